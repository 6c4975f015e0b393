#pragma once
#include <map>
#include <string>

#include "document/FrameFiles.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace zt {

// The bytes of one frame's files (FrameFiles' names) at one moment, so that
// a change of the frame that cannot be finished (a painting whose picture
// cannot be written) puts every file back as it was. Any thread (a value).
class FrameFilesSnapshot {
public:
    // Fails when the folder cannot be listed or a file of the frame read.
    static plat::Result<FrameFilesSnapshot> take(const std::string& folder, const std::string& frameID);

    // Removes the frame's files made since and writes back those changed
    // or removed, going on past a file that cannot be put back.
    [[nodiscard]] FrameFilesReport restore() const;

private:
    std::string _folder;
    std::string _frameID;
    std::map<std::string, plat::Data> _files;
};

}  // namespace zt
