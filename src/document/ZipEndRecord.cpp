#include "document/ZipEndRecord.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace zt::detail {

namespace {

constexpr uint8_t kEndRecordSignature[] = {'P', 'K', 5, 6};
constexpr size_t kEndRecordBytes = 22;  // without the comment
constexpr size_t kMaxCommentBytes = 0xFFFF;

}  // namespace

bool isEndRecordCutShort(int file, uint64_t fileBytes)
{
    const auto tailBytes = static_cast<size_t>(std::min<uint64_t>(fileBytes, kEndRecordBytes + kMaxCommentBytes));
    std::vector<uint8_t> tail(tailBytes);
    size_t got = 0;
    while (got < tailBytes) {
        ssize_t read
            = ::pread(file, tail.data() + got, tailBytes - got, static_cast<off_t>(fileBytes - tailBytes + got));
        if (read < 0 && errno == EINTR)
            continue;
        if (read <= 0)
            return false;  // unreadable: the opening reports it
        got += static_cast<size_t>(read);
    }
    auto signature
        = std::find_end(tail.begin(), tail.end(), std::begin(kEndRecordSignature), std::end(kEndRecordSignature));
    return signature != tail.end() && static_cast<size_t>(tail.end() - signature) < kEndRecordBytes;
}

}  // namespace zt::detail
