#include "app/StartupFiles.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <string_view>

#include "document/DataManager.h"
#include "document/FileUtil.h"
#include "document/ProjectsList.h"
#include "document/QVZipArchive.h"
#include "document/ReadableListElements.h"
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
// ".plovix-" then the creation time "yyyy-MM-dd-HH-mm-ss", then "-2", "-3"... for a name taken in that second.
constexpr size_t kTimestampLength = 19;
constexpr int64_t kMaxListBytes = int64_t(64) << 20;

void removeOrLog(const std::string& path)
{
    if (auto removed = plat::removeItemIfExists(path); !removed.ok())
        plat::log("start-up: {}", removed.error().localizedDescription());
}

// The creation time and the same-second number of a project folder's name;
// names of another form come after every dated one.
struct FolderDate {
    std::string_view timestamp;
    int64_t sameSecondNumber = 1;
};

std::optional<FolderDate> folderDate(std::string_view name)
{
    const std::string prefix = std::string(ProjectsList::kProjectFolderPrefix) + "-";
    if (!name.starts_with(prefix) || name.size() < prefix.size() + kTimestampLength)
        return std::nullopt;
    FolderDate date {name.substr(prefix.size(), kTimestampLength)};
    std::string_view rest = name.substr(prefix.size() + kTimestampLength);
    if (rest.empty())
        return date;
    if (rest.front() != '-')
        return std::nullopt;
    rest.remove_prefix(1);
    auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), date.sameSecondNumber);
    if (error != std::errc() || end != rest.data() + rest.size())
        return std::nullopt;
    return date;
}

// Newest first, as the list keeps them: a later time, or a later number in the same second.
bool isNewer(const std::string& a, const std::string& b)
{
    auto dateA = folderDate(a);
    auto dateB = folderDate(b);
    if (!dateA || !dateB)
        return dateA ? true : dateB ? false : a > b;
    if (dateA->timestamp != dateB->timestamp)
        return dateA->timestamp > dateB->timestamp;
    return dateA->sameSecondNumber > dateB->sameSecondNumber;
}

// The names a damaged list still shows, in its order.
std::vector<std::string> readableNames(const std::string& listPath)
{
    std::vector<std::string> names;
    auto bytes = plat::readFile(listPath, kMaxListBytes);
    if (!bytes.ok())
        return names;
    for (const plat::Value& element : readableListElements(bytes.value(), {}))
        if (const std::string* name = element.asString(); name && plat::isPlainFileName(*name))
            names.push_back(*name);
    return names;
}

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
    if (!installSampleProjectFromArchive(*archive))
        plat::log("start-up: the sample project is not installed; the next start tries again");
}

bool installSampleProjectFromArchive(const std::string& archive)
{
    const std::string folder = ProjectsList::folderPathForName(ProjectsList::introductionName());
    if (plat::fileExists(folder))
        return true;
    // Unpacked beside its place and moved in whole: a failed unpack leaves
    // nothing that passes for the sample, so the next start tries again.
    const std::string staging = folder + ".unpacking";
    removeOrLog(staging);
    auto created = plat::createDirectory(staging, plat::IntermediateDirectories::Yes);
    if (!created.ok()) {
        plat::log("start-up: {}", created.error().localizedDescription());
        return false;
    }
    std::optional<plat::Error> error;
    if (!QVZipArchive::unzipFileAtPath(archive, staging, Overwrite::Yes, std::nullopt, &error)) {
        plat::log("start-up: cannot unpack the sample project: {}", error ? error->localizedDescription() : "");
        removeOrLog(staging);
        return false;
    }
    auto moved = plat::moveItem(staging, folder);
    if (!moved.ok()) {
        plat::log("start-up: cannot put the sample project in place: {}", moved.error().localizedDescription());
        removeOrLog(staging);
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
    const std::string intro = ProjectsList::introductionName();
    const bool introductionShown
        = introduction == IntroductionEntry::Always || plat::fileExists(ProjectsList::folderPathForName(intro));
    std::vector<std::string> names;
    std::set<std::string> listed;
    auto list = [&](const std::string& name) {
        if (listed.insert(name).second)
            names.push_back(name);
    };
    if (plat::fileExists(path)) {
        // What can still be read keeps its place: a person finds the projects where they were.
        for (const std::string& name : readableNames(path)) {
            if (plat::isDirectory(ProjectsList::folderPathForName(name)) || (name == intro && introductionShown))
                list(name);
        }
        auto aside = plat::moveDamagedFileAside(path);
        if (!aside.ok())
            plat::log("start-up: cannot set the damaged projects list aside: {}", aside.error().localizedDescription());
        else
            plat::log("start-up: the projects list was unreadable; kept as {}", aside.value());
    }
    // A new list (the first start) names the sample first. In a damaged one
    // the sample, listed at the first start, comes after every project made
    // since; the folders follow by their creation time, newest first.
    const bool rebuilding = !names.empty() || introduction == IntroductionEntry::WhenItsFolderExists;
    if (introductionShown && !rebuilding)
        list(intro);
    std::vector<std::string> folders = projectFolderNames();
    std::sort(folders.begin(), folders.end(), isNewer);
    for (const std::string& folder : folders)
        list(folder);
    if (introductionShown)
        list(intro);
    std::optional<plat::Error> error;
    if (!ProjectsList::replace(names, &error))
        return false;
    plat::log("start-up: wrote a projects list of {} entries", names.size());
    return true;
}

}  // namespace zt::detail
