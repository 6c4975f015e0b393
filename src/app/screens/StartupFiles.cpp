#include "app/screens/StartupFiles.h"

#include <algorithm>

#include "app/DataManager.h"
#include "app/FileUtil.h"
#include "app/ProjectsList.h"
#include "app/QVZipArchive.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Sandbox.h"

namespace zt::detail {

namespace {

constexpr const char* kPassCodeKey = "passCode";
constexpr const char* kGalleryKey = "isYoutubeGalleryEnabled";

}  // namespace

void resetSettingsKeepingParentalControls()
{
    const std::string path = DataManager::settingsFilePath();
    plat::Dictionary kept;
    if (auto settings = plat::dictionaryWithContentsOfFile(path)) {
        if (auto passCode = settings->getString(kPassCodeKey))
            kept.set(kPassCodeKey, *passCode);
        if (auto gallery = settings->getBool(kGalleryKey))
            kept.set(kGalleryKey, *gallery);
    }
    std::optional<plat::Error> error;
    if (!FileUtil::removeItemAtPath(path, &error) && error)
        plat::log("start-up: cannot remove the settings: {}", error->localizedDescription());
    if (kept.count() == 0)
        return;
    auto written = plat::writePropertyListFile(kept, path, plat::PropertyListFormat::XML);
    if (!written.ok())
        plat::log("start-up: cannot keep the parental controls: {}", written.error().localizedDescription());
}

void installSampleProject()
{
    auto archive = plat::Bundle::mainBundle().pathForResource("sample", "zip");
    if (!archive) {
        plat::log("start-up: the bundle has no sample project");
        return;
    }
    (void)installSampleProjectFromArchive(*archive);
}

bool installSampleProjectFromArchive(const std::string& archive)
{
    const std::string folder = ProjectsList::folderPathForName(ProjectsList::introductionName());
    if (plat::fileExists(folder))
        return true;
    // Unpacked beside its place and moved in whole: a failed unpack leaves
    // nothing that passes for the sample, so the next start tries again.
    const std::string staging = folder + ".unpacking";
    (void)plat::removeItem(staging);
    auto created = plat::createDirectory(staging, plat::IntermediateDirectories::Yes);
    if (!created.ok()) {
        plat::log("start-up: {}", created.error().localizedDescription());
        return false;
    }
    std::optional<plat::Error> error;
    if (!QVZipArchive::unzipFileAtPath(archive, staging, Overwrite::Yes, std::nullopt, &error)) {
        plat::log("start-up: cannot unpack the sample project: {}", error ? error->localizedDescription() : "");
        (void)plat::removeItem(staging);
        return false;
    }
    auto moved = plat::moveItem(staging, folder);
    if (!moved.ok()) {
        plat::log("start-up: cannot put the sample project in place: {}", moved.error().localizedDescription());
        (void)plat::removeItem(staging);
        return false;
    }
    return true;
}

std::vector<std::string> projectFolderNames()
{
    const std::string documents = plat::Sandbox::current()->documentsDirectory();
    auto names = plat::contentsOfDirectory(documents);
    if (!names.ok()) {
        plat::log("start-up: {}", names.error().localizedDescription());
        return {};
    }
    // The folders begin with the prefix and a dash; the sample lives in Caches.
    const std::string prefix = std::string(ProjectsList::kProjectFolderPrefix) + "-";
    std::vector<std::string> folders;
    for (const std::string& name : names.value()) {
        if (name.starts_with(prefix) && name != ProjectsList::introductionName()
            && plat::isDirectory(plat::appendingPathComponent(documents, name)))
            folders.push_back(name);
    }
    return folders;
}

bool createProjectsListIfUnreadable(IntroductionEntry introduction)
{
    const std::string path = ProjectsList::path();
    if (ProjectsList::projectNames())
        return false;
    if (plat::fileExists(path)) {
        std::string aside = path + ".damaged";
        (void)plat::removeItem(aside);
        auto moved = plat::moveItem(path, aside);
        if (!moved.ok())
            plat::log("start-up: cannot set the damaged projects list aside: {}", moved.error().localizedDescription());
        else
            plat::log("start-up: the projects list was unreadable; kept as {}", aside);
    }
    std::vector<std::string> names;
    const std::string intro = ProjectsList::introductionName();
    if (introduction == IntroductionEntry::Always || plat::fileExists(ProjectsList::folderPathForName(intro)))
        names.push_back(intro);
    // Folder names carry their creation time: newest first, as the list keeps them.
    std::vector<std::string> folders = projectFolderNames();
    std::sort(folders.begin(), folders.end(), std::greater<>());
    names.insert(names.end(), folders.begin(), folders.end());
    if (!ProjectsList::replace(names))
        return false;
    plat::log("start-up: wrote a projects list of {} entries", names.size());
    return true;
}

}  // namespace zt::detail
