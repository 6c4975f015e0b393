// The music library reads whatever lies in its folder: playlists (M3U text)
// and the tags, lengths and cover pictures of sound files. Each input is read
// as a playlist and, written to a file, as a song with its cover picture;
// both must end in a value or an error, never a crash or a hang.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <unistd.h>

#include "platform/graphics/Image.h"
#include "platform/library/MediaFileTags.h"
#include "platform/library/MediaPlaylistFile.h"

namespace {

std::string writeInput(const uint8_t* data, size_t size)
{
    static const std::string path = [] {
        char pattern[] = "/tmp/zt-music-fuzz-XXXXXX";
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
    auto playlist
        = plat::detail::parsePlaylistFile(std::string_view(reinterpret_cast<const char*>(data), size), "/music/lists");
    for (const auto& entry : playlist.entries)
        if (entry.empty() || entry.front() != '/')
            __builtin_trap();
    std::string path = writeInput(data, size);
    auto tags = plat::detail::readMediaFileTags(path);
    if (tags.ok() && tags.value().artworkStreamIndex >= 0) {
        if (auto picture = plat::detail::readAttachedPicture(path, tags.value().artworkStreamIndex))
            (void)plat::Image::imageWithData(*picture);
    }
    return 0;
}
