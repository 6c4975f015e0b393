#include "document/ProjectDataWrapper.h"

#include <cerrno>
#include <utility>

#include "document/DataManager.h"
#include "document/FileUtil.h"
#include "document/ProjectsList.h"
#include "document/StorableValue.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Sandbox.h"
#include "platform/graphics/Image.h"

namespace zt {

namespace {

constexpr const char* kFolderPrefix = ".plovix";
constexpr const char* kErrorDomain = "ProjectDataWrapperErrorDomain";
constexpr int64_t kReadOnlySnapshotError = 1;
constexpr int64_t kUnreadableMetaDataError = 2;
constexpr int64_t kRefusedFileNameError = 3;
constexpr int64_t kUnreadableFrameListError = 4;
constexpr int64_t kMaxProjectFileBytes = int64_t(1) << 30;
constexpr int64_t kMaxMetaDataBytes = int64_t(64) << 20;
constexpr int kMaxNameAttempts = 1000;

std::string documentsPath(const std::string& name)
{
    return plat::appendingPathComponent(plat::Sandbox::current()->documentsDirectory(), name);
}

std::string timestampName()
{
    // The digits are fixed by the pattern; the POSIX locale keeps them Western.
    plat::DateFormatter formatter;
    formatter.setLocale(plat::Locale("en_US_POSIX"));
    formatter.setTimeZone(plat::TimeZone::localTimeZone());
    formatter.setDateFormat("yyyy-MM-dd-HH-mm-ss");
    return std::string(kFolderPrefix) + "-" + formatter.stringFromDate(plat::Date::now());
}

// False, with why in error when the caller asked.
bool failWith(std::optional<plat::Error>* error, plat::Error failure)
{
    if (error)
        *error = std::move(failure);
    return false;
}

}  // namespace

ProjectDataWrapper::ProjectDataWrapper(std::optional<std::string> projectPath)
    : _projectPath(std::move(projectPath))
{
}

std::optional<std::string> ProjectDataWrapper::pathForFile(const std::string& preferredFilename) const
{
    if (!_projectPath || !plat::isPlainFileName(preferredFilename))
        return std::nullopt;
    return plat::appendingPathComponent(*_projectPath, preferredFilename);
}

plat::Dictionary ProjectDataWrapper::makeDefaultMetaData() const
{
    return plat::Dictionary {
        {"ProductVersion", 5.0f},
        {"RecordName", plat::localized("My Plovix Movie")},
        {"RecordDateCreated", plat::Date::now().timeIntervalSince1970()},
        {"RecordFPS", kDefaultRecordFPS},
        {"PlayAsLoop", true},
        {"CaptureTimerValue", 30},
    };
}

std::optional<plat::Dictionary> ProjectDataWrapper::getMetaData()
{
    if (_metadata)
        return _metadata;
    auto path = pathForFile(kMetaDataFileName);
    if (!path || !plat::fileExists(*path)) {
        _metadataUnreadable = false;
        _metadata = makeDefaultMetaData();
        return _metadata;
    }
    auto bytes = plat::readFile(*path, kMaxMetaDataBytes);
    auto parsed = bytes.ok() ? plat::PropertyListSerialization::propertyListWithData(bytes.value())
                             : plat::Result<plat::Value>(bytes.error());
    auto dictionary = parsed.ok() ? parsed.value().asDictionary() : std::nullopt;
    if (!dictionary) {
        // Left unset: the next call tries again, and nothing overwrites the file meanwhile.
        plat::log("project: cannot read {}: {}", *path,
            parsed.ok() ? std::string("not a dictionary") : parsed.error().localizedDescription());
        _metadataUnreadable = true;
        return std::nullopt;
    }
    _metadataUnreadable = false;
    _metadata = dictionary;
    return _metadata;
}

FrameList& ProjectDataWrapper::getFrameList()
{
    if (_frameList)
        return *_frameList;
    auto path = pathForFile(kFrameListFileName);
    if (!path || !plat::fileExists(*path)) {
        _frameList = std::make_unique<FrameList>();
        return *_frameList;
    }
    auto bytes = plat::readFile(*path, kMaxProjectFileBytes);
    if (!bytes.ok()) {
        // Nothing is known of its frames: nothing is repaired, and no save replaces it.
        plat::log("project: cannot read {}: {}", *path, bytes.error().localizedDescription());
        _frameList = std::make_unique<FrameList>();
        _frameListReadError = bytes.error();
        return *_frameList;
    }
    _frameList = std::make_unique<FrameList>(bytes.value());
    _frameListDamaged = _frameList->wasDamaged();
    if (_frameListDamaged) {
        FrameListRepair repair = FrameListRepair::repair(bytes.value(), *_projectPath);
        plat::log("project: repaired the frame list of {}: {} entries read, {} pictures found", *_projectPath,
            repair.readEntries, repair.foundPictures);
        _frameList = std::make_unique<FrameList>(repair.records);
        _frameListRepair = std::move(repair);
    }
    return *_frameList;
}

std::optional<FrameListRepair> ProjectDataWrapper::takeFrameListRepair()
{
    return std::exchange(_frameListRepair, std::nullopt);
}

std::optional<plat::Error> ProjectDataWrapper::frameListReadError()
{
    getFrameList();
    return _frameListReadError;
}

void ProjectDataWrapper::copyForReading(ProjectDataWrapper& source)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto metadata = source.getMetaData();
    _metadata = metadata ? std::optional<plat::Dictionary>(metadata->deepCopy()) : std::nullopt;
    _metadataUnreadable = source._metadataUnreadable;
    // Entries are never changed in place, so the copied list may share them.
    _frameList = std::make_unique<FrameList>(source.getFrameList());
    _frameListReadError = source._frameListReadError;
    _readOnlySnapshot = true;
}

plat::Result<bool> ProjectDataWrapper::prepareFolderForSaving()
{
    if (_readOnlySnapshot) {
        plat::log("project: a read-only snapshot is never saved");
        return plat::Error(kErrorDomain, kReadOnlySnapshotError, "A read-only copy of a project is never saved.");
    }
    if (_projectPath)
        return true;
    if (getFrameList().count() < 2)
        return false;  // only the capture placeholder: nothing worth a folder yet
    auto created = createFilePathForProject();
    if (!created.ok())
        return created.error();
    return false;
}

plat::Result<void> ProjectDataWrapper::saveMetaDataToDisk()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto prepared = prepareFolderForSaving();
    if (!prepared.ok())
        return prepared.error();
    return prepared.value() ? writeMetaData() : plat::Result<void>::success();
}

plat::Result<void> ProjectDataWrapper::saveFramelistToDisk()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto prepared = prepareFolderForSaving();
    if (!prepared.ok())
        return prepared.error();
    return prepared.value() ? writeFrameList() : plat::Result<void>::success();
}

plat::Result<void> ProjectDataWrapper::saveAllDataToDisk()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto prepared = prepareFolderForSaving();
    if (!prepared.ok())
        return prepared.error();
    if (!prepared.value())
        return plat::Result<void>::success();
    // The metadata may name the list's new frames (the project's picture):
    // it is not stored beside a list that was not.
    auto frames = writeFrameList();
    if (!frames.ok())
        return frames;
    return writeMetaData();
}

plat::Result<void> ProjectDataWrapper::writeMetaData()
{
    auto metadata = getMetaData();
    if (!metadata) {
        // An unreadable file stays as it is.
        return plat::Error(kErrorDomain, kUnreadableMetaDataError, "The project's details cannot be read.");
    }
    auto bytes = plat::PropertyListSerialization::dataWithPropertyList(*metadata, plat::PropertyListFormat::XML);
    if (!bytes.ok()) {
        // Values another tool wrote that no property list can be written
        // with are left out, so that the rest is saved at all.
        plat::log(
            "project: {}; leaving out the metadata values that cannot be stored", bytes.error().localizedDescription());
        bytes = plat::PropertyListSerialization::dataWithPropertyList(
            detail::storableValue(*metadata).value_or(plat::Value(plat::Dictionary())), plat::PropertyListFormat::XML);
    }
    if (!bytes.ok()) {
        plat::log("project: cannot encode the metadata: {}", bytes.error().localizedDescription());
        return bytes.error();
    }
    return writeFile(bytes.value(), kMetaDataFileName);
}

plat::Result<void> ProjectDataWrapper::writeFrameList()
{
    FrameList& list = getFrameList();
    auto bytes = list.getFrameListRepresentationData();
    if (!bytes.ok()) {
        plat::log("project: cannot encode the frame list: {}", bytes.error().localizedDescription());
        return bytes.error();
    }
    if (_frameListReadError) {
        // An empty list would take the place of every frame the file holds.
        return plat::Error(kErrorDomain, kUnreadableFrameListError, "The project's frame list cannot be read.", {},
            std::make_shared<const plat::Error>(*_frameListReadError));
    }
    if (_frameListDamaged) {
        // The stored list could not be read whole: keep a copy beside the new
        // one. A copy, so that the list stays in place should the write fail.
        if (auto path = pathForFile(kFrameListFileName); path && plat::fileExists(*path)) {
            auto aside = plat::keepFileAside(*path, ".damaged", plat::KeepAside::Copying);
            if (!aside.ok()) {
                plat::log("project: cannot keep the damaged frame list, so it is not replaced: {}",
                    aside.error().localizedDescription());
                return aside.error();
            }
            plat::log("project: kept the unreadable frame list as {}", aside.value());
            _frameListKeptAside = plat::lastPathComponent(aside.value());
        }
    }
    auto written = writeFile(bytes.value(), kFrameListFileName);
    if (written.ok())
        _frameListDamaged = false;
    return written;
}

plat::Result<void> ProjectDataWrapper::writeFile(const plat::Data& data, const std::string& preferredFilename)
{
    auto path = pathForFile(preferredFilename);
    if (!path) {
        plat::log("project: refused to write the file name \"{}\"", preferredFilename);
        return plat::Error(kErrorDomain, kRefusedFileNameError, "\"" + preferredFilename + "\" cannot name a file.");
    }
    auto written = plat::writeFileAtomically(*path, data);
    if (!written.ok())
        plat::log("project: cannot write {}: {}", preferredFilename, written.error().localizedDescription());
    return written;
}

plat::Result<void> ProjectDataWrapper::changeMetaData(const MetaDataChange& values)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto metadata = getMetaData();
    if (!metadata) {
        // An unreadable file is never overwritten.
        return plat::Error(kErrorDomain, kUnreadableMetaDataError, "The project's details cannot be read.");
    }
    MetaDataChange before;
    before.reserve(values.size());
    for (const auto& [key, value] : values) {
        before.emplace_back(key, metadata->get(key));
        metadata->set(key, value);
    }
    auto saved = saveMetaDataToDisk();
    if (!saved.ok()) {
        // Back in reverse order: a key given twice gets its first value back.
        for (auto entry = before.rbegin(); entry != before.rend(); ++entry)
            metadata->set(entry->first, entry->second);
    }
    return saved;
}

bool ProjectDataWrapper::updateRegularFileWithContents(
    const plat::Data& data, const std::string& preferredFilename, std::optional<plat::Error>* error)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!plat::isPlainFileName(preferredFilename))
        return failWith(error,
            plat::Error(kErrorDomain, kRefusedFileNameError, "\"" + preferredFilename + "\" cannot name a file."));
    if (_readOnlySnapshot)
        return failWith(
            error, plat::Error(kErrorDomain, kReadOnlySnapshotError, "A read-only copy of a project is never saved."));
    if (!_projectPath) {
        if (auto created = createFilePathForProject(); !created.ok())
            return failWith(error, created.error());
    }
    auto written = writeFile(data, preferredFilename);
    return written.ok() || failWith(error, written.error());
}

std::optional<plat::Data> ProjectDataWrapper::fileDataForFileWithPreferredFilename(
    const std::string& preferredFilename, std::optional<plat::Error>* error) const
{
    auto path = pathForFile(preferredFilename);
    if (!path)
        return std::nullopt;
    auto bytes = plat::readFile(*path, kMaxProjectFileBytes);
    if (!bytes.ok()) {
        const bool missing = bytes.error().isPOSIXError(ENOENT);
        if (error && !missing)
            *error = bytes.error();
        return std::nullopt;
    }
    return std::move(bytes).value();
}

bool ProjectDataWrapper::removeRegularFileWithPreferredFilename(
    const std::string& preferredFilename, std::optional<plat::Error>* error)
{
    if (!plat::isPlainFileName(preferredFilename) || _readOnlySnapshot) {
        if (error)
            *error = plat::Error(kErrorDomain, _readOnlySnapshot ? kReadOnlySnapshotError : kRefusedFileNameError,
                "\"" + preferredFilename + "\" cannot be removed here.");
        return false;
    }
    auto path = pathForFile(preferredFilename);
    if (!path)
        return true;  // no folder: nothing to remove
    return FileUtil::removeItemAtPath(*path, error);
}

bool ProjectDataWrapper::cloneFileWithPreferredFilename(
    const std::string& source, const std::string& destination, std::optional<plat::Error>* error)
{
    if (_readOnlySnapshot)
        return failWith(error,
            plat::Error(kErrorDomain, kReadOnlySnapshotError, "A read-only copy of a project is never changed."));
    auto from = pathForFile(source);
    auto to = pathForFile(destination);
    if (!from || !to)
        return failWith(error,
            plat::Error(kErrorDomain, kRefusedFileNameError,
                "\"" + (from ? destination : source) + "\" cannot name a file of the project."));
    auto copied = plat::copyItem(*from, *to, plat::ReplaceExisting::No);
    if (!copied.ok()) {
        plat::log("project: cannot copy {} to {}: {}", source, destination, copied.error().localizedDescription());
        return failWith(error, copied.error());
    }
    return true;
}

plat::Result<std::string> ProjectDataWrapper::keepFileAside(
    const std::string& preferredFilename, std::string_view suffix, plat::KeepAside how)
{
    if (_readOnlySnapshot)
        return plat::Error(kErrorDomain, kReadOnlySnapshotError, "A read-only copy of a project is never changed.");
    auto path = pathForFile(preferredFilename);
    if (!path)
        return plat::Error(kErrorDomain, kRefusedFileNameError, "\"" + preferredFilename + "\" cannot name a file.");
    auto aside = plat::keepFileAside(*path, suffix, how);
    if (!aside.ok())
        return aside.error();
    return plat::lastPathComponent(aside.value());
}

std::shared_ptr<plat::Image> ProjectDataWrapper::getThumbImageForProject()
{
    auto decoded = [this](const std::string& fileName) -> std::shared_ptr<plat::Image> {
        auto bytes = fileDataForFileWithPreferredFilename(fileName);
        return bytes ? plat::Image::imageWithData(*bytes) : nullptr;
    };
    if (auto thumb = decoded("thumb.jpg"))
        return thumb;
    auto metadata = getMetaData();
    if (auto frameID = metadata ? metadata->getString("META_RECORD_THUMB_FRAME_ID") : std::nullopt;
        frameID && isValidFrameID(*frameID)) {
        if (auto preview = decoded("preview-" + *frameID + ".jpg"))
            return preview;
    }
    return plat::Image::imageNamed("explorer_placeholder.png");
}

int64_t ProjectDataWrapper::getUsedStorageSpace()
{
    _usedStorageSpace = _projectPath ? FileUtil::folderSize(*_projectPath) : 0;
    return _usedStorageSpace;
}

std::string ProjectDataWrapper::createProjectDirName()
{
    std::string base = timestampName();
    std::string name = base;
    for (int suffix = 2; plat::fileExists(documentsPath(name)); ++suffix)
        name = base + "-" + std::to_string(suffix);
    return name;
}

plat::Result<std::string> ProjectDataWrapper::reserveProjectDir(const std::function<std::string()>& makeName)
{
    // Making the folder is the reservation: a project made in the same
    // second on another queue finds the folder taken and gets the next suffix.
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        std::string name = makeName();
        auto made = plat::createDirectory(documentsPath(name), plat::IntermediateDirectories::No);
        if (made.ok())
            return name;
        if (made.error().domain() != plat::kPOSIXErrorDomain || made.error().code() != EEXIST)
            return made.error();
    }
    return plat::Error::posix(EEXIST, "create project folder", documentsPath(makeName()));
}

plat::Result<std::string> ProjectDataWrapper::moveProjectDirIntoPlace(
    const std::string& builtFolder, const std::function<std::string()>& makeName)
{
    // The move never replaces: a folder made meanwhile under the name makes it ask again.
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        std::string name = makeName();
        auto moved = plat::moveItem(builtFolder, documentsPath(name));
        if (moved.ok())
            return name;
        if (moved.error().domain() != plat::kPOSIXErrorDomain || moved.error().code() != EEXIST)
            return moved.error();
    }
    return plat::Error::posix(EEXIST, "move project folder", builtFolder);
}

plat::Result<void> ProjectDataWrapper::createFilePathForProject()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto reserved = reserveProjectDir(createProjectDirName);
    if (!reserved.ok()) {
        plat::log("project: {}", reserved.error().localizedDescription());
        return reserved.error();
    }
    const std::string name = reserved.value();
    _projectPath = documentsPath(name);
    if (!ProjectsList::insertProjectName(name))
        plat::log("project: the projects list cannot be read; {} is not listed", name);
    DataManager::sharedDataManager().setLastSelection(1);
    auto saved = saveAllDataToDisk();
    if (!saved.ok())
        undoNewFolder(name);
    return saved;
}

void ProjectDataWrapper::undoNewFolder(const std::string& name)
{
    // A project that could not be stored must not show up half made.
    bool unlisted = ProjectsList::update([&](plat::Array& names) {
        plat::Array kept;
        for (const plat::Value& entry : names)
            if (const std::string* listed = entry.asString(); !listed || *listed != name)
                kept.append(entry);
        names = kept;
    });
    if (!unlisted)
        plat::log("project: cannot take {} off the projects list", name);
    if (auto removed = plat::removeItemIfExists(*_projectPath); !removed.ok())
        plat::log("project: cannot remove {}: {}", *_projectPath, removed.error().localizedDescription());
    _projectPath.reset();
}

int64_t ProjectDataWrapper::recordFPS()
{
    auto metadata = getMetaData();
    int64_t fps = metadata ? metadata->getInt64("RecordFPS").value_or(kDefaultRecordFPS) : kDefaultRecordFPS;
    return fps >= 1 ? fps : kDefaultRecordFPS;
}

}  // namespace zt
