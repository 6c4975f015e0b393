#include "document/FramePictureChecks.h"

#include <sys/stat.h>

#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/ImageSource.h"

namespace zt {

bool FramePictureChecks::canReadPictureFile(const std::string& path)
{
    struct stat info { };
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    const FileState state {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino),
        static_cast<int64_t>(info.st_size), static_cast<int64_t>(info.st_mtim.tv_sec),
        static_cast<int64_t>(info.st_mtim.tv_nsec)};
    {
        std::lock_guard lock(_lock);
        if (auto known = _verdicts.find(path); known != _verdicts.end() && known->second.state == state)
            return known->second.readable;
    }
    // Decoding the picture to know would cost a strip scrolling through the
    // film a decode per frame coming in; the header and end are what a
    // file cut short, emptied or overwritten loses.
    const bool readable = plat::pictureFileLooksWhole(path);
    if (!readable)
        plat::log("frames: the picture {} cannot be read", path);
    std::lock_guard lock(_lock);
    _verdicts[path] = {state, readable};
    return readable;
}

}  // namespace zt
