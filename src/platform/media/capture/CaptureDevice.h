#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/Geometry.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/MediaTime.h"
#include "platform/media/MicrophoneFolder.h"
#include "platform/media/capture/CaptureDeviceFolder.h"

namespace plat {

namespace detail {
class Video4Linux2Controls;
}

// The platform's modes, with its numbers.
enum class CaptureFocusMode : int64_t { Locked = 0, AutoFocus = 1, ContinuousAutoFocus = 2 };
enum class CaptureExposureMode : int64_t { Locked = 0, AutoExpose = 1, ContinuousAutoExposure = 2 };
enum class CaptureWhiteBalanceMode : int64_t { Locked = 0, AutoWhiteBalance = 1, ContinuousAutoWhiteBalance = 2 };

// Session presets: the size of the pictures a session makes.
inline constexpr const char* kCaptureSessionPresetPhoto = "AVCaptureSessionPresetPhoto";
inline constexpr const char* kCaptureSessionPresetHigh = "AVCaptureSessionPresetHigh";
inline constexpr const char* kCaptureSessionPreset1920x1080 = "AVCaptureSessionPreset1920x1080";
inline constexpr const char* kCaptureSessionPreset1280x720 = "AVCaptureSessionPreset1280x720";
inline constexpr const char* kCaptureSessionPreset640x480 = "AVCaptureSessionPreset640x480";

// Errors of capture, in the platform's media domain (the device not being
// connected is shared with the microphone, in MediaConstants.h).
inline constexpr int64_t kMediaErrorDeviceIsNotAvailable = -11815;
inline constexpr int64_t kMediaErrorApplicationIsNotAuthorizedToUseDevice = -11852;
inline constexpr int64_t kMediaErrorDeviceLockedForConfigurationByAnotherProcess = -11817;

// One camera of the device (CaptureDeviceFolder), or its microphone
// (MicrophoneFolder). A camera tells where it faces, which
// session presets it can deliver, and its focus, exposure and white-balance
// modes, points of interest and exposure bias. Modes it lacks are reported
// as unsupported, as the platform does. Changes need the configuration lock,
// which may be refused. The same camera gives the same object while anyone
// holds it. Main thread.
class CaptureDevice {
public:
    static std::vector<std::shared_ptr<CaptureDevice>> devices();
    // Cameras for kMediaTypeVideo, the microphone for kMediaTypeAudio.
    static std::vector<std::shared_ptr<CaptureDevice>> devicesWithMediaType(std::string_view mediaType);
    static std::shared_ptr<CaptureDevice> defaultDeviceWithMediaType(std::string_view mediaType);

    explicit CaptureDevice(CaptureDeviceDescription description, std::string uniqueID);
    // The device's microphone (media type audio, no position, no modes).
    CaptureDevice(MicrophoneDescription microphone, std::string uniqueID);
    ~CaptureDevice();
    CaptureDevice(const CaptureDevice&) = delete;
    CaptureDevice& operator=(const CaptureDevice&) = delete;

    const std::string& uniqueID() const { return _uniqueID; }
    const std::string& localizedName() const { return _localizedName; }
    CaptureDevicePosition position() const { return _description.position; }
    bool hasMediaType(std::string_view mediaType) const;
    const CaptureDeviceDescription& description() const { return _description; }
    // Set for the microphone only.
    const std::optional<MicrophoneDescription>& microphoneDescription() const { return _microphone; }

    bool supportsAVCaptureSessionPreset(std::string_view preset) const;
    // The picture size the camera delivers under a preset it supports (the
    // photo preset: its largest picture).
    std::optional<Size> sizeForSessionPreset(std::string_view preset) const;

    // False, with an error, when the camera refuses.
    bool lockForConfiguration(std::optional<Error>* error);
    void unlockForConfiguration();
    bool isLockedForConfiguration() const { return _locked; }

    // Setting without the configuration lock is a programmer error and
    // aborts; setting an unsupported mode is ignored with a log line.
    bool isFocusModeSupported(CaptureFocusMode mode) const;
    CaptureFocusMode focusMode() const { return _focusMode; }
    void setFocusMode(CaptureFocusMode mode);
    bool isFocusPointOfInterestSupported() const { return _description.focusPointOfInterest; }
    // 0 to 1 across the picture in the camera's own landscape orientation.
    Point focusPointOfInterest() const { return _focusPointOfInterest; }
    void setFocusPointOfInterest(Point point);

    bool isExposureModeSupported(CaptureExposureMode mode) const;
    CaptureExposureMode exposureMode() const { return _exposureMode; }
    void setExposureMode(CaptureExposureMode mode);
    bool isExposurePointOfInterestSupported() const { return _description.exposurePointOfInterest; }
    Point exposurePointOfInterest() const { return _exposurePointOfInterest; }
    void setExposurePointOfInterest(Point point);

    // 0, 0 and 0 for a camera without exposure bias.
    float minExposureTargetBias() const;
    float maxExposureTargetBias() const;
    float exposureTargetBias() const { return _exposureTargetBias; }
    // Clamped to the range; the handler (may be empty) runs on the main
    // queue once the bias is in effect, with the time of the first picture
    // taken with it.
    void setExposureTargetBias(float bias, std::function<void(MediaTime syncTime)> handler);

    // The shortest and the longest time between two pictures while a
    // session runs the camera; invalid (the default) for the camera's own
    // rate. A shortest time below the camera's own interval is refused with
    // a log line. A running session takes the new pace at once (its outputs
    // see a new run). Setting needs the configuration lock.
    MediaTime activeVideoMinFrameDuration() const { return _activeVideoMinFrameDuration; }
    void setActiveVideoMinFrameDuration(const MediaTime& duration);
    MediaTime activeVideoMaxFrameDuration() const { return _activeVideoMaxFrameDuration; }
    void setActiveVideoMaxFrameDuration(const MediaTime& duration);
    // Pictures a second while a session runs the camera: its own rate, or
    // as many as the shortest active time allows. A camera makes no pictures
    // on demand, so the longest time is kept by any rate.
    int activeFrameRate() const;

    bool isWhiteBalanceModeSupported(CaptureWhiteBalanceMode mode) const;
    CaptureWhiteBalanceMode whiteBalanceMode() const { return _whiteBalanceMode; }
    void setWhiteBalanceMode(CaptureWhiteBalanceMode mode);

private:
    void requireLock(const char* operation) const;

    CaptureDeviceDescription _description;
    std::optional<MicrophoneDescription> _microphone;
    std::string _uniqueID;
    std::string _localizedName;
    std::unique_ptr<detail::Video4Linux2Controls> _controls;  // real cameras only
    bool _locked = false;
    CaptureFocusMode _focusMode = CaptureFocusMode::Locked;
    CaptureExposureMode _exposureMode = CaptureExposureMode::Locked;
    CaptureWhiteBalanceMode _whiteBalanceMode = CaptureWhiteBalanceMode::Locked;
    Point _focusPointOfInterest {0.5, 0.5};
    Point _exposurePointOfInterest {0.5, 0.5};
    float _exposureTargetBias = 0;
    MediaTime _activeVideoMinFrameDuration = MediaTime::invalid();
    MediaTime _activeVideoMaxFrameDuration = MediaTime::invalid();
};

// Posted on the main thread, object the camera, when the rate its active frame durations allow changes.
inline constexpr const char* kCaptureDeviceActiveFrameRateDidChangeNotification
    = "plat.CaptureDeviceActiveFrameRateDidChange";

}  // namespace plat
