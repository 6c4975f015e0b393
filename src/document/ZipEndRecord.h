#pragma once
#include <cstdint>

namespace zt::detail {

// Whether the archive's end-of-central-directory record (the last one in
// its tail, as readers look for it) is cut off by the end of the file. The
// system's minizip opens such an archive as if whole; Info-ZIP and python's
// zipfile refuse it. An archive without the record is not cut short: the
// opening finds it damaged anyway. Any thread.
bool isEndRecordCutShort(int file, uint64_t fileBytes);

}  // namespace zt::detail
