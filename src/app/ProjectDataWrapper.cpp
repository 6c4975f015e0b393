#include "app/ProjectDataWrapper.h"

#include <cerrno>
#include <sys/stat.h>

#include "app/DataManager.h"
#include "app/FileUtil.h"
#include "app/ProjectsList.h"
#include "app/StorableValue.h"
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
constexpr int64_t kMaxProjectFileBytes = int64_t(1) << 30;
constexpr int64_t kMaxMetaDataBytes = int64_t(64) << 20;

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
    if (!_frameList) {
        auto path = pathForFile(kFrameListFileName);
        if (path && plat::fileExists(*path)) {
            auto bytes = plat::readFile(*path, kMaxProjectFileBytes);
            _frameList = std::make_unique<FrameList>(bytes.ok() ? bytes.value() : plat::Data());
            _frameListDamaged = _frameList->wasDamaged();
        } else {
            _frameList = std::make_unique<FrameList>();
        }
    }
    return *_frameList;
}

void ProjectDataWrapper::copyForReading(ProjectDataWrapper& source)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto metadata = source.getMetaData();
    _metadata = metadata ? std::optional<plat::Dictionary>(metadata->deepCopy()) : std::nullopt;
    _metadataUnreadable = source._metadataUnreadable;
    // Entries are never changed in place, so the copied list may share them.
    _frameList = std::make_unique<FrameList>(source.getFrameList());
    _readOnlySnapshot = true;
}

bool ProjectDataWrapper::hasNoFolderAndNothingToSave()
{
    if (_readOnlySnapshot) {
        plat::log("project: a read-only snapshot is never saved");
        return true;
    }
    if (_projectPath)
        return false;
    if (getFrameList().count() < 2)
        return true;  // only the capture placeholder: nothing worth a folder yet
    createFilePathForProject();
    return false;
}

void ProjectDataWrapper::saveMetaDataToDisk()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (hasNoFolderAndNothingToSave())
        return;
    auto metadata = getMetaData();
    if (!metadata)
        return;  // an unreadable file stays as it is
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
        return;
    }
    (void)writeFile(bytes.value(), kMetaDataFileName);
}

void ProjectDataWrapper::saveFramelistToDisk()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (hasNoFolderAndNothingToSave())
        return;
    FrameList& list = getFrameList();
    auto bytes = list.getFrameListRepresentationData();
    if (!bytes.ok()) {
        plat::log("project: cannot encode the frame list: {}", bytes.error().localizedDescription());
        return;
    }
    if (_frameListDamaged) {
        // The stored list could not be read whole: keep a copy beside the new
        // one. A copy, so that the list stays in place should the write fail.
        if (auto path = pathForFile(kFrameListFileName); path && plat::fileExists(*path)) {
            std::string aside = *path + ".damaged";
            if (!plat::copyItem(*path, aside, plat::ReplaceExisting::Yes).ok())
                return;
            plat::log("project: kept the unreadable frame list as {}", aside);
        }
    }
    if (writeFile(bytes.value(), kFrameListFileName))
        _frameListDamaged = false;
}

void ProjectDataWrapper::saveAllDataToDisk()
{
    saveFramelistToDisk();
    saveMetaDataToDisk();
}

bool ProjectDataWrapper::writeFile(const plat::Data& data, const std::string& preferredFilename)
{
    auto path = pathForFile(preferredFilename);
    if (!path) {
        plat::log("project: refused to write the file name \"{}\"", preferredFilename);
        return false;
    }
    auto written = plat::writeFileAtomically(*path, data);
    if (!written.ok()) {
        plat::log("project: cannot write {}: {}", preferredFilename, written.error().localizedDescription());
        return false;
    }
    return true;
}

bool ProjectDataWrapper::updateRegularFileWithContents(const plat::Data& data, const std::string& preferredFilename)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!plat::isPlainFileName(preferredFilename) || _readOnlySnapshot)
        return false;
    if (!_projectPath)
        createFilePathForProject();
    return writeFile(data, preferredFilename);
}

std::optional<plat::Data> ProjectDataWrapper::fileDataForFileWithPreferredFilename(
    const std::string& preferredFilename) const
{
    auto path = pathForFile(preferredFilename);
    if (!path)
        return std::nullopt;
    auto bytes = plat::readFile(*path, kMaxProjectFileBytes);
    if (!bytes.ok())
        return std::nullopt;
    return std::move(bytes).value();
}

bool ProjectDataWrapper::removeRegularFileWithPreferredFilename(const std::string& preferredFilename)
{
    if (!plat::isPlainFileName(preferredFilename) || _readOnlySnapshot)
        return false;
    auto path = pathForFile(preferredFilename);
    if (!path)
        return true;  // no folder: nothing to remove
    return FileUtil::removeItemAtPath(*path);
}

bool ProjectDataWrapper::cloneFileWithPreferredFilename(const std::string& source, const std::string& destination)
{
    if (_readOnlySnapshot)
        return false;
    auto from = pathForFile(source);
    auto to = pathForFile(destination);
    if (!from || !to)
        return false;
    auto copied = plat::copyItem(*from, *to, plat::ReplaceExisting::No);
    if (!copied.ok())
        plat::log("project: cannot copy {} to {}: {}", source, destination, copied.error().localizedDescription());
    return copied.ok();
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
    // mkdir is the reservation: a project made in the same second on another
    // queue finds the folder taken and gets the next suffix.
    constexpr int kMaxAttempts = 1000;
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        std::string name = makeName();
        std::string path = documentsPath(name);
        if (::mkdir(path.c_str(), 0755) == 0)
            return name;
        if (errno != EEXIST)
            return plat::Error::posix(errno, "create project folder", path);
    }
    return plat::Error::posix(EEXIST, "create project folder", documentsPath(makeName()));
}

void ProjectDataWrapper::createFilePathForProject()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto reserved = reserveProjectDir(createProjectDirName);
    if (!reserved.ok())
        plat::log("project: {}", reserved.error().localizedDescription());
    std::string name = reserved.ok() ? reserved.value() : createProjectDirName();
    _projectPath = documentsPath(name);
    if (!ProjectsList::insertProjectName(name))
        plat::log("project: the projects list cannot be read; {} is not listed", name);
    DataManager::sharedDataManager().setLastSelection(1);
    saveAllDataToDisk();
}

int64_t ProjectDataWrapper::recordFPS()
{
    auto metadata = getMetaData();
    int64_t fps = metadata ? metadata->getInt64("RecordFPS").value_or(kDefaultRecordFPS) : kDefaultRecordFPS;
    return fps >= 1 ? fps : kDefaultRecordFPS;
}

}  // namespace zt
