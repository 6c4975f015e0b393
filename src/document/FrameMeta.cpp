#include "document/FrameMeta.h"

#include "document/Frame.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"

namespace zt {

FrameMeta::FrameMeta(std::string frameID, std::string projectPath)
    : _frameID(std::move(frameID))
    , _projectPath(std::move(projectPath))
{
    if (!isValidFrameID(_frameID))
        return;
    if (auto stored
        = plat::dictionaryWithContentsOfFile(plat::appendingPathComponent(_projectPath, fileNameForFrameID(_frameID))))
        _metadata = *stored;
}

bool FrameMeta::saveMetaData(std::optional<plat::Error>* error) const
{
    if (_metadata.empty())
        return true;
    if (!isValidFrameID(_frameID)) {
        plat::log("frame metadata: refused the frame id \"{}\"", _frameID);
        if (error)
            *error = plat::Error("FrameMeta", 1, "\"" + _frameID + "\" cannot name a file.");
        return false;
    }
    auto written = plat::writePropertyListFile(_metadata,
        plat::appendingPathComponent(_projectPath, fileNameForFrameID(_frameID)), plat::PropertyListFormat::XML);
    if (!written.ok()) {
        plat::log("frame metadata: {}", written.error().localizedDescription());
        if (error)
            *error = written.error();
    }
    return written.ok();
}

}  // namespace zt
