// A movie shown by the preview player is outside input (a rendered file that
// may be cut short or damaged): opening it for its pictures and stepping to
// pictures ahead, far ahead and back must end in pictures or an error,
// never a crash or a hang. The decoder takes a path, so each input is
// written to a file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "platform/graphics/Bitmap.h"
#include "platform/media/VideoFrameDecoder.h"

namespace {

std::string writeInput(const uint8_t* data, size_t size)
{
    static const std::string path = [] {
        char pattern[] = "/tmp/zt-movie-fuzz-XXXXXX";
        int fd = ::mkstemp(pattern);
        if (fd >= 0)
            ::close(fd);
        return std::string(pattern);
    }();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        __builtin_trap();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        __builtin_trap();
    std::fclose(file);
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto decoder = plat::detail::VideoFrameDecoder::open(writeInput(data, size));
    if (!decoder.ok())
        return 0;
    for (double seconds : {0.0, 0.04, 0.5, 30.0, 0.2, -1.0}) {
        auto picture = decoder.value()->pictureAt(seconds);
        if (picture.ok() && (picture.value()->width() != decoder.value()->width()))
            __builtin_trap();
    }
    return 0;
}
