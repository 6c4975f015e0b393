#include "document/ProjectsList.h"

#include <cerrno>
#include <mutex>

#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Sandbox.h"

namespace zt {

namespace {

constexpr const char* kFileName = ".projects.plist";

std::mutex& listLock()
{
    static std::mutex lock;
    return lock;
}

bool writeList(const plat::Array& names, std::optional<plat::Error>* error)
{
    auto written = plat::writePropertyListFile(names, ProjectsList::path(), plat::PropertyListFormat::XML);
    if (!written.ok()) {
        plat::log("projects list: cannot write: {}", written.error().localizedDescription());
        if (error)
            *error = written.error();
    }
    return written.ok();
}

// Only a folder that is surely not there: one that cannot be looked at stays listed.
bool isMissingFolder(const std::string& name, ProjectsList::SampleFolder sample)
{
    if (!plat::isPlainFileName(name)
        || (name == ProjectsList::introductionName() && sample == ProjectsList::SampleFolder::MayComeBack))
        return false;
    auto attributes = plat::attributesOfItem(ProjectsList::folderPathForName(name));
    return !attributes.ok() && attributes.error().isPOSIXError(ENOENT);
}

}  // namespace

std::string ProjectsList::path()
{
    return plat::appendingPathComponent(plat::Sandbox::current()->documentsDirectory(), kFileName);
}

std::string ProjectsList::introductionName()
{
    return std::string(kProjectFolderPrefix) + "-introduction";
}

std::string ProjectsList::folderPathForName(const std::string& name)
{
    const auto sandbox = plat::Sandbox::current();
    const std::string& folder = name == introductionName() ? sandbox->cachesDirectory() : sandbox->documentsDirectory();
    return plat::appendingPathComponent(folder, name);
}

std::optional<std::vector<std::string>> ProjectsList::projectNames()
{
    std::lock_guard lock(listLock());
    auto names = plat::arrayWithContentsOfFile(path());
    if (!names)
        return std::nullopt;
    std::vector<std::string> result;
    for (const plat::Value& entry : *names) {
        const std::string* name = entry.asString();
        if (name && plat::isPlainFileName(*name))
            result.push_back(*name);
    }
    return result;
}

bool ProjectsList::update(const std::function<void(plat::Array& names)>& change, std::optional<plat::Error>* error)
{
    std::lock_guard lock(listLock());
    auto names = plat::arrayWithContentsOfFile(path());
    if (!names) {
        if (error)
            *error = plat::Error(
                ProjectsList::kErrorDomain, ProjectsList::kUnreadableListError, "The list of projects cannot be read.");
        return false;
    }
    change(*names);
    return writeList(*names, error);
}

bool ProjectsList::insertProjectName(const std::string& name)
{
    return update([&](plat::Array& names) {
        for (const plat::Value& entry : names)
            if (const std::string* listed = entry.asString(); listed && *listed == name)
                return;
        names.insert(0, name);
    });
}

void ProjectsList::removeNamesOfMissingFolders(SampleFolder sample)
{
    std::lock_guard lock(listLock());
    auto names = plat::arrayWithContentsOfFile(path());
    if (!names)
        return;
    plat::Array kept;
    for (const plat::Value& entry : *names) {
        if (const std::string* name = entry.asString(); name && isMissingFolder(*name, sample)) {
            plat::log("projects list: {} has no folder; taken off the list", *name);
            continue;
        }
        kept.append(entry);
    }
    if (kept.count() != names->count())
        writeList(kept, nullptr);
}

bool ProjectsList::replace(const std::vector<std::string>& names, std::optional<plat::Error>* error)
{
    std::lock_guard lock(listLock());
    plat::Array list;
    for (const std::string& name : names)
        list.append(name);
    return writeList(list, error);
}

}  // namespace zt
