#include "document/FramePasteboardRecord.h"

#include <filesystem>

#include "document/ProjectsList.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/KeyedArchive.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"

namespace zt {

namespace {

plat::Error damaged(const std::string& why)
{
    return plat::Error(FramePasteboardRecord::kErrorDomain, FramePasteboardRecord::kDamagedError,
        plat::localized("The frames on the pasteboard cannot be read."),
        plat::Dictionary {{plat::kLocalizedFailureReasonErrorKey, why}});
}

bool isProjectFolderName(const std::string& name)
{
    const std::string prefix = std::string(ProjectsList::kProjectFolderPrefix) + "-";
    return name.size() > prefix.size() && name.starts_with(prefix) && plat::isPlainFileName(name);
}

}  // namespace

std::string resolvedFolderPath(const std::string& path)
{
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    if (error)
        return path;
    std::string text = resolved.string();
    while (text.size() > 1 && text.ends_with('/'))
        text.pop_back();
    return text;
}

plat::Result<plat::Data> FramePasteboardRecord::archivedData() const
{
    plat::Array archived;
    for (const Frame& frame : frames)
        archived.append(std::make_shared<Frame>(frame));
    return plat::KeyedArchiver::archivedDataWithRootObject(
        plat::Dictionary {{kFramesKey, archived}, {kLocationKey, location}});
}

plat::Result<FramePasteboardRecord> FramePasteboardRecord::fromArchivedData(const plat::Data& data)
{
    auto decoded = plat::KeyedUnarchiver::unarchiveObjectWithData(data, {{"Frame", Frame::initWithCoder}});
    if (!decoded.ok())
        return damaged(decoded.error().localizedDescription());
    auto root = decoded.value().asDictionary();
    if (!root)
        return damaged("the archive holds no dictionary");
    auto frames = root->getArray(kFramesKey);
    auto location = root->getString(kLocationKey);
    if (!frames || !location)
        return damaged("the frames or their location are missing");
    FramePasteboardRecord record;
    record.location = *location;
    record.frames.reserve(frames->count());
    for (const plat::Value& entry : *frames) {
        auto frame = entry.asObjectOf<Frame>();
        if (!frame)
            return damaged("an entry is not a frame");
        record.frames.push_back(*frame);
    }
    return record;
}

plat::Result<std::string> FramePasteboardRecord::projectFolder() const
{
    auto foreign = [this] {
        return plat::Error(kErrorDomain, kForeignLocationError,
            plat::localized("The frames on the pasteboard do not come from a project of this app."),
            plat::Dictionary {{plat::kFilePathErrorKey, location}});
    };
    if (location.empty() || !location.starts_with('/'))
        return foreign();
    auto sandbox = plat::Sandbox::current();
    const std::string folder = resolvedFolderPath(location);
    const std::string parent = plat::deletingLastPathComponent(folder);
    const bool inAppFolder = parent == resolvedFolderPath(sandbox->documentsDirectory())
        || parent == resolvedFolderPath(sandbox->cachesDirectory());
    // A project deleted since the copy passes: its frames are then reported as missing, one by one.
    if (!inAppFolder || !isProjectFolderName(plat::lastPathComponent(folder))
        || (plat::fileExists(folder) && !plat::isDirectory(folder)))
        return foreign();
    return folder;
}

bool FramePasteboardRecord::listsFrameOfProject(const std::string& frameID, const std::string& projectFolder) const
{
    if (resolvedFolderPath(location) != resolvedFolderPath(projectFolder))
        return false;
    for (const Frame& frame : frames) {
        if (frame.frameID() == frameID)
            return true;
    }
    return false;
}

}  // namespace zt
