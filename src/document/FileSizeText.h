#pragma once
#include <cstdint>
#include <string>

namespace zt {

// "12.3 MB", "640 KB", "3.26 GB": decimal units, as the platform counts file
// sizes for the person. Any thread.
std::string formattedFileSize(uint64_t bytes);

}  // namespace zt
