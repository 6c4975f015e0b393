#include "editor/DeletedFramesStash.h"

#include "document/FileUtil.h"
#include "document/FrameFiles.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"

namespace zt {

DeletedFramesStash::DeletedFramesStash(std::string projectFolder)
    : _projectFolder(std::move(projectFolder))
{
}

DeletedFramesStash::~DeletedFramesStash()
{
    if (_stashFolder.empty())
        return;
    auto removed = plat::removeItem(_stashFolder);
    if (!removed.ok())
        plat::log("strip: the deleted frames kept for undo stay in {}: {}", _stashFolder,
            removed.error().localizedDescription());
}

std::string DeletedFramesStash::stashFolder()
{
    if (_stashFolder.empty()) {
        std::string folder = plat::appendingPathComponent(
            plat::Sandbox::current()->temporaryDirectory(), "deleted-frames-" + FileUtil::createUUID());
        auto made = plat::createDirectory(folder, plat::IntermediateDirectories::Yes);
        if (!made.ok()) {
            plat::log("strip: no folder to keep deleted frames for undo: {}", made.error().localizedDescription());
            return {};
        }
        _stashFolder = std::move(folder);
    }
    return _stashFolder;
}

void DeletedFramesStash::takeFilesOfFrame(const std::string& frameID)
{
    auto names = plat::contentsOfDirectory(_projectFolder);
    if (!names.ok())
        return;
    const std::string folder = stashFolder();
    for (const std::string& name : names.value()) {
        if (!FrameFiles::belongsToFrame(name, frameID))
            continue;
        const std::string source = plat::appendingPathComponent(_projectFolder, name);
        if (!folder.empty() && plat::moveItem(source, plat::appendingPathComponent(folder, name)).ok()) {
            _fileNames.push_back(name);
            continue;
        }
        auto removed = plat::removeItem(source);
        if (!removed.ok())
            plat::log("strip: cannot delete {}: {}", source, removed.error().localizedDescription());
    }
}

void DeletedFramesStash::restoreFiles()
{
    for (const std::string& name : _fileNames) {
        const std::string target = plat::appendingPathComponent(_projectFolder, name);
        if (plat::fileExists(target))
            continue;
        auto moved = plat::moveItem(plat::appendingPathComponent(_stashFolder, name), target);
        if (!moved.ok())
            plat::log("strip: cannot put {} back: {}", name, moved.error().localizedDescription());
    }
    _fileNames.clear();
}

}  // namespace zt
