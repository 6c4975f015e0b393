#pragma once
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "platform/foundation/Files.h"
#include "platform/foundation/Value.h"

namespace zt {

// The app's one settings object, kept in Documents/".settings.plist": capture
// and camera choices, grid, sounds, passcode, gallery switch, the carousel's
// last selection, the data version and a free dictionary ("METADATA") in
// which other parts of the app keep their own settings.
// sharedDataManager, loadState and saveState hold the class lock; the
// properties are read and changed on the main queue without it.
class DataManager {
public:
    static DataManager& sharedDataManager();
    DataManager(const DataManager&) = delete;
    DataManager& operator=(const DataManager&) = delete;

    // Reads the settings file into the instance: keys present (and of the
    // right type) replace the current values, absent ones keep them. A missing
    // file leaves everything as it is. One that cannot be read (damaged, or
    // not to be opened) leaves the settings too, and is moved aside to
    // ".settings.plist.damaged" ("-2", "-3"... when taken) before anything
    // replaces it; takeUnreadableSettings then says so, once.
    static void loadState();
    // Writes every setting to the settings file atomically. A failed write is
    // logged, not reported. A file that could not be read is never written
    // over: while it cannot be set aside, nothing is written.
    static void saveState();

    // The settings file that could not be read at the last load, and where
    // it is kept, once: the person is told that the settings were reset.
    std::optional<plat::UnreadableStoredFile> takeUnreadableSettings();

    // The free dictionary; changes reach disk with the next saveState.
    plat::Value objectForKey(const std::string& key) const;
    void setValue(const plat::Value& value, const std::string& key);

    const std::optional<double>& version() const { return _settings.version; }
    void setVersion(std::optional<double> version) { _settings.version = version; }
    const std::optional<int64_t>& lastSelection() const { return _settings.lastSelection; }
    void setLastSelection(std::optional<int64_t> selection) { _settings.lastSelection = selection; }
    const std::optional<std::string>& passCode() const { return _settings.passCode; }
    void setPassCode(std::optional<std::string> passCode) { _settings.passCode = std::move(passCode); }
    bool isYoutubeGalleryEnabled() const { return _settings.isYoutubeGalleryEnabled; }
    void setIsYoutubeGalleryEnabled(bool enabled) { _settings.isYoutubeGalleryEnabled = enabled; }
    const std::string& currentCaptureSourceID() const { return _settings.currentCaptureSourceID; }
    void setCurrentCaptureSourceID(std::string identifier) { _settings.currentCaptureSourceID = std::move(identifier); }
    int64_t avCaptureDevicePosition() const { return _settings.avCaptureDevicePosition; }
    void setAvCaptureDevicePosition(int64_t position) { _settings.avCaptureDevicePosition = position; }
    int64_t focusMode() const { return _settings.focusMode; }
    void setFocusMode(int64_t mode) { _settings.focusMode = mode; }
    int64_t exposureMode() const { return _settings.exposureMode; }
    void setExposureMode(int64_t mode) { _settings.exposureMode = mode; }
    int64_t whiteBalanceMode() const { return _settings.whiteBalanceMode; }
    void setWhiteBalanceMode(int64_t mode) { _settings.whiteBalanceMode = mode; }
    bool isGridEnabled() const { return _settings.isGridEnabled; }
    void setIsGridEnabled(bool enabled) { _settings.isGridEnabled = enabled; }
    bool isGUISoundEnabled() const { return _settings.isGUISoundEnabled; }
    void setIsGUISoundEnabled(bool enabled) { _settings.isGUISoundEnabled = enabled; }
    bool isLowSpaceWarningShown() const { return _settings.isLowSpaceWarningShown; }
    void setIsLowSpaceWarningShown(bool shown) { _settings.isLowSpaceWarningShown = shown; }
    float overlaySetting() const { return _settings.overlaySetting; }
    void setOverlaySetting(float opacity) { _settings.overlaySetting = opacity; }
    float cameraEffectiveScale() const { return _settings.cameraEffectiveScale; }
    void setCameraEffectiveScale(float scale) { _settings.cameraEffectiveScale = scale; }

    // Documents/".settings.plist" of the current sandbox.
    static std::string settingsFilePath();

    // Puts every setting back to its default; for tests, which share the one instance.
    void resetToDefaultsForTesting();

private:
    DataManager() = default;
    void apply(const plat::Dictionary& stored);
    // Under the class lock; false while the unreadable file stays in its place.
    bool keepUnreadableSettingsAside(const std::string& path);
    plat::Dictionary encode() const;

    static std::mutex& classLock();

    // Every setting with its default, so that a reset is one assignment.
    struct Settings {
        std::optional<double> version;
        std::optional<int64_t> lastSelection;
        std::optional<std::string> passCode;
        bool isYoutubeGalleryEnabled = true;
        plat::Dictionary metadata;
        std::string currentCaptureSourceID = "CaptureLocalCamera";
        int64_t avCaptureDevicePosition = 1;  // back camera
        bool isGridEnabled = false;
        bool isGUISoundEnabled = true;
        float overlaySetting = 1.0f;
        int64_t whiteBalanceMode = 2;  // continuous automatic
        int64_t focusMode = 2;  // continuous automatic
        int64_t exposureMode = 2;  // continuous automatic
        float cameraEffectiveScale = 1.0f;
        bool isLowSpaceWarningShown = false;  // per run, never stored
        std::optional<plat::UnreadableStoredFile> unreadable;  // per run, never stored
        bool isUnreadableFileInPlace = false;  // per run: the file may not be written over
    };
    Settings _settings;
};

}  // namespace zt
