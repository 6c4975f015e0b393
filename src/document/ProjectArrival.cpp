#include "document/ProjectArrival.h"

#include "document/ProjectDataWrapper.h"
#include "document/ProjectsList.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Sandbox.h"

namespace zt {

namespace {

// The archive, by where it lies within the device, and what tells it from
// another file put under its name since. A device folder copied whole
// keeps both (the file's number on disk it does not).
constexpr const char* kArchiveInDeviceKey = "ArchiveInDevice";
constexpr const char* kArchiveSizeKey = "ArchiveSize";
constexpr const char* kArchiveModifiedKey = "ArchiveModified";
// Earlier notes named the archive by its absolute path, and its number on disk.
constexpr const char* kOldArchivePathKey = "Archive";
constexpr const char* kOldArchiveFileNumberKey = "ArchiveFileNumber";

std::string notePath(const std::string& folder)
{
    return plat::appendingPathComponent(folder, ProjectArrival::kNoteFileName);
}

plat::Result<plat::Dictionary> makeNote(const std::optional<std::string>& archive)
{
    plat::Dictionary note;
    if (!archive)
        return note;
    auto attributes = plat::attributesOfItem(*archive);
    if (!attributes.ok())
        return attributes.error();
    // An archive outside the device is not the start's to remove: the note names none.
    auto inDevice = plat::Sandbox::current()->relativePath(*archive);
    if (!inDevice)
        return note;
    note.set(kArchiveInDeviceKey, *inDevice);
    note.set(kArchiveSizeKey, attributes.value().size);
    note.set(kArchiveModifiedKey, attributes.value().modificationDate.timeIntervalSince1970());
    return note;
}

// The archive the note names in this device, while it is the file that was
// imported. Never one outside the device, whatever the note says.
std::optional<std::string> notedArchive(const plat::Dictionary& note)
{
    auto sandbox = plat::Sandbox::current();
    std::optional<std::string> archive;
    if (auto inDevice = note.getString(kArchiveInDeviceKey))
        archive = sandbox->pathForRelativePath(*inDevice);
    else if (auto old = note.getString(kOldArchivePathKey); old && sandbox->relativePath(*old))
        archive = *old;
    if (!archive)
        return std::nullopt;
    auto attributes = plat::attributesOfItem(*archive);
    auto fileNumber = note.getInt64(kOldArchiveFileNumberKey);
    if (!attributes.ok() || attributes.value().isDirectory || note.getInt64(kArchiveSizeKey) != attributes.value().size
        || note.getDouble(kArchiveModifiedKey) != attributes.value().modificationDate.timeIntervalSince1970()
        || (fileNumber && *fileNumber != static_cast<int64_t>(attributes.value().fileNumber)))
        return std::nullopt;
    return archive;
}

void removeNote(const std::string& folder)
{
    if (auto removed = plat::removeItemIfExists(notePath(folder)); !removed.ok())
        plat::log("projects: {}", removed.error().localizedDescription());
}

}  // namespace

plat::Result<std::string> ProjectArrival::placeProjectDir(const std::string& builtFolder,
    const std::function<std::string()>& makeName, const std::optional<std::string>& archive)
{
    auto note = makeNote(archive);
    if (!note.ok())
        return note.error();
    // Binary: the archive's time comes back exactly as it was written.
    auto written = plat::writePropertyListFile(note.value(), notePath(builtFolder), plat::PropertyListFormat::Binary);
    if (!written.ok())
        return written.error();
    return ProjectDataWrapper::moveProjectDirIntoPlace(builtFolder, makeName);
}

bool ProjectArrival::listArrival(const std::string& name)
{
    if (ProjectsList::insertProjectName(name))
        return true;
    if (ProjectsList::projectNames()) {
        plat::log("projects: the projects list cannot be written; {} is not listed yet", name);
        return false;
    }
    // A fresh device has no list yet: the start makes it from the folders, this one among them.
    if (plat::fileExists(ProjectsList::path()))
        plat::log("projects: the projects list cannot be read; {} is listed when the start makes it anew", name);
    return true;
}

void ProjectArrival::finishArrival(const std::string& name)
{
    removeNote(ProjectsList::folderPathForName(name));
}

void ProjectArrival::finishArrivalsCutShort()
{
    const std::string documents = plat::Sandbox::current()->documentsDirectory();
    const std::string prefix = std::string(ProjectsList::kProjectFolderPrefix) + "-";
    for (const std::string& name : plat::contentsOfDirectory(documents).valueOr({})) {
        const std::string folder = plat::appendingPathComponent(documents, name);
        if (!name.starts_with(prefix) || !plat::fileExists(notePath(folder)))
            continue;
        // The folder came whole: it is listed, and the archive it came from is not imported again.
        const bool listed = listArrival(name);
        auto note = plat::dictionaryWithContentsOfFile(notePath(folder));
        if (auto archive = note ? notedArchive(*note) : std::nullopt) {
            if (auto removed = plat::removeItem(*archive); !removed.ok())
                plat::log(
                    "projects: cannot remove the imported {}: {}", *archive, removed.error().localizedDescription());
        }
        plat::log("projects: {} arrived before a run ended{}", name, listed ? "" : "; it cannot be listed yet");
        // Kept while the list cannot take it: the next start tries again.
        if (listed)
            removeNote(folder);
    }
}

}  // namespace zt
