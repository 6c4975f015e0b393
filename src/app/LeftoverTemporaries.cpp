#include "app/LeftoverTemporaries.h"

#include <string>
#include <string_view>
#include <vector>

#include "document/FrameFilesSnapshot.h"
#include "document/ProjectsList.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"
#include "platform/security/Keychain.h"
#include "render/MovieRenderer.h"

namespace zt {

namespace {

// Earlier versions built shared folders under this name; a person names nothing so.
constexpr std::string_view kOldShareFolderPrefix = ".tmp-share-";

bool isLeftoverName(std::string_view name)
{
    if (plat::isTemporaryItemName(name))
        return true;
    // ".tmp-share-" and the six letters or digits mkdtemp gave.
    return name.starts_with(kOldShareFolderPrefix)
        && plat::isTemporaryItemName(std::string(".tmp-") + std::string(name.substr(kOldShareFolderPrefix.size())));
}

void removeLeftover(const std::string& path)
{
    if (auto removed = plat::removeItem(path); !removed.ok())
        plat::log("start-up: cannot remove a leftover: {}", removed.error().localizedDescription());
    else
        plat::log("start-up: removed the leftover {}", path);
}

// Removes the folder's leftovers; with Depth::Folders also those in each folder inside.
enum class Depth { Folder, Folders };
void removeLeftoversIn(const std::string& folder, Depth depth)
{
    auto names = plat::contentsOfDirectory(folder);
    if (!names.ok())
        return;  // no such folder yet: nothing was left there
    for (const std::string& name : names.value()) {
        const std::string path = plat::appendingPathComponent(folder, name);
        if (isLeftoverName(name))
            removeLeftover(path);
        else if (depth == Depth::Folders && plat::isDirectory(path))
            removeLeftoversIn(path, Depth::Folder);
    }
}

// The project folders, where saves write beside the project's files: those
// in Documents and the sample's in Caches. A person's own folders in
// Documents are not among them.
std::vector<std::string> projectFolders()
{
    const std::string documents = plat::Sandbox::current()->documentsDirectory();
    const std::string prefix = std::string(ProjectsList::kProjectFolderPrefix) + "-";
    std::vector<std::string> folders;
    for (const std::string& name : plat::contentsOfDirectory(documents).valueOr({})) {
        const std::string path = plat::appendingPathComponent(documents, name);
        if (name.starts_with(prefix) && plat::isDirectory(path))
            folders.push_back(path);
    }
    const std::string sample = ProjectsList::folderPathForName(ProjectsList::introductionName());
    if (plat::isDirectory(sample))
        folders.push_back(sample);
    return folders;
}

}  // namespace

void removeLeftoverTemporaries()
{
    auto sandbox = plat::Sandbox::current();
    for (const std::string& project : projectFolders()) {
        // A frame's change cut short (a painting's strokes written, its
        // pictures not) is undone whole, before its temporaries go.
        FrameFilesSnapshot::restoreUnfinishedChanges(project);
        removeLeftoversIn(project, Depth::Folder);
    }
    // The settings, the projects list, imports and duplicates built aside, shared copies.
    removeLeftoversIn(sandbox->documentsDirectory(), Depth::Folder);
    // Files other apps hand over, copied in whole.
    removeLeftoversIn(sandbox->inboxDirectory(), Depth::Folder);
    removeLeftoversIn(MovieRenderer::renderCacheDirectory(), Depth::Folders);
    // The sample project is deleted from there.
    removeLeftoversIn(sandbox->cachesDirectory(), Depth::Folder);
    removeLeftoversIn(sandbox->preferencesDirectory(), Depth::Folder);
    removeLeftoversIn(plat::deletingLastPathComponent(plat::Keychain::forCurrentSandbox().storePath()), Depth::Folder);
    // The tmp folder holds only what a run needs while it lasts.
    auto temporary = plat::contentsOfDirectory(sandbox->temporaryDirectory());
    for (const std::string& name : temporary.valueOr(std::vector<std::string>()))
        removeLeftover(plat::appendingPathComponent(sandbox->temporaryDirectory(), name));
}

}  // namespace zt
