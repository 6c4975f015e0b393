#include "document/DataManager.h"

#include <utility>

#include "platform/foundation/Error.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Sandbox.h"

namespace zt {

namespace {

constexpr const char* kSettingsFileName = ".settings.plist";

constexpr const char* kVersionKey = "version";
constexpr const char* kLastSelectionKey = "lastSelection";
constexpr const char* kPassCodeKey = "passCode";
constexpr const char* kGalleryKey = "isYoutubeGalleryEnabled";
constexpr const char* kMetadataKey = "METADATA";
constexpr const char* kCaptureSourceKey = "_currentCaptureSourceID";
constexpr const char* kDevicePositionKey = "_avCaptureDevicePosition";
constexpr const char* kGridKey = "_isGridEnabled";
constexpr const char* kSoundKey = "_isGUISoundEnabled";
constexpr const char* kOverlayKey = "_overlaySetting";
constexpr const char* kWhiteBalanceKey = "_whiteBalanceMode";
constexpr const char* kFocusKey = "_focusMode";
constexpr const char* kExposureKey = "_exposureMode";
constexpr const char* kScaleKey = "_cameraEffectiveScale";

// Modes and the camera position are stored as 32-bit numbers.
plat::Value storedMode(int64_t mode)
{
    return plat::Value(static_cast<int32_t>(mode));
}

}  // namespace

std::mutex& DataManager::classLock()
{
    static std::mutex lock;
    return lock;
}

DataManager& DataManager::sharedDataManager()
{
    std::lock_guard lock(classLock());
    static DataManager instance;
    return instance;
}

std::string DataManager::settingsFilePath()
{
    return plat::appendingPathComponent(plat::Sandbox::current()->documentsDirectory(), kSettingsFileName);
}

void DataManager::loadState()
{
    DataManager& manager = sharedDataManager();
    std::lock_guard lock(classLock());
    std::string path = settingsFilePath();
    if (!plat::fileExists(path))
        return;
    auto stored = plat::readPropertyListFile(path);
    auto dictionary = stored.ok() ? stored.value().asDictionary() : std::nullopt;
    if (dictionary) {
        manager.apply(*dictionary);
        return;
    }
    plat::Error reason = stored.ok()
        ? plat::Error(plat::kCocoaErrorDomain, plat::kPropertyListReadCorruptError,
            "It holds a " + std::string(plat::typeName(stored.value().type())) + ", not a dictionary of settings.")
        : stored.error();
    plat::log("settings: cannot read {}: {}", path, reason.localizedDescription());
    // Whatever kept it from being read, it may hold what the person set: the defaults never replace it unseen.
    manager._settings.unreadable = plat::UnreadableStoredFile {std::move(reason), std::nullopt};
    manager._settings.isUnreadableFileInPlace = true;
    manager.keepUnreadableSettingsAside(path);
}

bool DataManager::keepUnreadableSettingsAside(const std::string& path)
{
    if (!plat::moveUnreadableFileAside(path, _settings.unreadable))
        return false;
    _settings.isUnreadableFileInPlace = false;
    return true;
}

std::optional<plat::UnreadableStoredFile> DataManager::takeUnreadableSettings()
{
    std::lock_guard lock(classLock());
    return std::exchange(_settings.unreadable, std::nullopt);
}

void DataManager::apply(const plat::Dictionary& stored)
{
    if (auto version = stored.getDouble(kVersionKey))
        _settings.version = version;
    if (auto selection = stored.getInt64(kLastSelectionKey))
        _settings.lastSelection = selection;
    if (auto passCode = stored.getString(kPassCodeKey))
        _settings.passCode = passCode;
    if (auto enabled = stored.getBool(kGalleryKey))
        _settings.isYoutubeGalleryEnabled = *enabled;
    if (auto metadata = stored.getDictionary(kMetadataKey))
        _settings.metadata = metadata->deepCopy();
    if (auto source = stored.getString(kCaptureSourceKey))
        _settings.currentCaptureSourceID = *source;
    if (auto position = stored.getInt64(kDevicePositionKey))
        _settings.avCaptureDevicePosition = *position;
    if (auto grid = stored.getBool(kGridKey))
        _settings.isGridEnabled = *grid;
    if (auto sound = stored.getBool(kSoundKey))
        _settings.isGUISoundEnabled = *sound;
    if (auto overlay = stored.getDouble(kOverlayKey))
        _settings.overlaySetting = static_cast<float>(*overlay);
    if (auto mode = stored.getInt64(kWhiteBalanceKey))
        _settings.whiteBalanceMode = *mode;
    if (auto mode = stored.getInt64(kFocusKey))
        _settings.focusMode = *mode;
    if (auto mode = stored.getInt64(kExposureKey))
        _settings.exposureMode = *mode;
    if (auto scale = stored.getDouble(kScaleKey))
        _settings.cameraEffectiveScale = static_cast<float>(*scale);
}

plat::Dictionary DataManager::encode() const
{
    plat::Dictionary settings;
    if (_settings.version)
        settings.set(kVersionKey, *_settings.version);
    if (_settings.lastSelection)
        settings.set(kLastSelectionKey, *_settings.lastSelection);
    if (_settings.passCode)
        settings.set(kPassCodeKey, *_settings.passCode);
    settings.set(kGalleryKey, _settings.isYoutubeGalleryEnabled);
    settings.set(kMetadataKey, _settings.metadata);
    settings.set(kCaptureSourceKey, _settings.currentCaptureSourceID);
    settings.set(kDevicePositionKey, storedMode(_settings.avCaptureDevicePosition));
    settings.set(kGridKey, _settings.isGridEnabled);
    settings.set(kSoundKey, _settings.isGUISoundEnabled);
    settings.set(kOverlayKey, _settings.overlaySetting);
    settings.set(kWhiteBalanceKey, storedMode(_settings.whiteBalanceMode));
    settings.set(kFocusKey, storedMode(_settings.focusMode));
    settings.set(kExposureKey, storedMode(_settings.exposureMode));
    settings.set(kScaleKey, _settings.cameraEffectiveScale);
    return settings;
}

void DataManager::saveState()
{
    DataManager& manager = sharedDataManager();
    std::lock_guard lock(classLock());
    std::string path = settingsFilePath();
    if (manager._settings.isUnreadableFileInPlace && plat::fileExists(path)
        && !manager.keepUnreadableSettingsAside(path)) {
        plat::log("settings: not saved, so that the unreadable {} is not written over", path);
        return;
    }
    manager._settings.isUnreadableFileInPlace = false;
    auto written = plat::writePropertyListFile(manager.encode(), path, plat::PropertyListFormat::XML);
    if (!written.ok())
        plat::log("settings: cannot write {}: {}", path, written.error().localizedDescription());
}

plat::Value DataManager::objectForKey(const std::string& key) const
{
    return _settings.metadata.get(key);
}

void DataManager::setValue(const plat::Value& value, const std::string& key)
{
    _settings.metadata.set(key, value);
}

void DataManager::resetToDefaultsForTesting()
{
    std::lock_guard lock(classLock());
    _settings = Settings();
}

}  // namespace zt
