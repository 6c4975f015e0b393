#include "platform/media/capture/CaptureDevice.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>

#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/capture/Video4Linux2.h"

namespace plat {

namespace {

constexpr int32_t kSyncTimescale = 1000000;

struct PresetSize {
    const char* preset;
    int width;
    int height;
};
constexpr PresetSize kVideoPresets[] = {
    {kCaptureSessionPreset1920x1080, 1920, 1080},
    {kCaptureSessionPreset1280x720, 1280, 720},
    {kCaptureSessionPreset640x480, 640, 480},
};

// Live device objects by identifier, so that asking again while a camera
// is in use gives the object in use (with its modes and lock).
std::mutex liveDevicesLock;
std::map<std::string, std::weak_ptr<CaptureDevice>>& liveDevices()
{
    static std::map<std::string, std::weak_ptr<CaptureDevice>> devices;
    return devices;
}

std::string identifierFor(const CaptureDeviceDescription& description, size_t index)
{
    switch (description.kind) {
    case CaptureDeviceKind::Video4Linux2:
        return description.devicePath;
    case CaptureDeviceKind::TestPattern:
        return formatLine("virtual-test-pattern-{}", index);
    case CaptureDeviceKind::Pictures:
        return formatLine("virtual-pictures-{}", index);
    case CaptureDeviceKind::GreenScreen:
        return formatLine("virtual-green-screen-{}", index);
    }
    return formatLine("camera-{}", index);
}

bool contains(const std::vector<int64_t>& modes, int64_t mode)
{
    return std::find(modes.begin(), modes.end(), mode) != modes.end();
}

template <typename Mode> Mode initialMode(const std::vector<int64_t>& supported)
{
    // Cameras start in continuous automatic mode where they have it.
    for (int64_t preferred : {2, 1, 0}) {
        if (contains(supported, preferred))
            return static_cast<Mode>(preferred);
    }
    return static_cast<Mode>(0);
}

Point clampedPoint(Point point)
{
    return {std::clamp(point.x, 0.0, 1.0), std::clamp(point.y, 0.0, 1.0)};
}

}  // namespace

std::vector<std::shared_ptr<CaptureDevice>> CaptureDevice::devices()
{
    std::vector<CaptureDeviceDescription> cameras = CaptureDeviceFolder::cameras();
    std::vector<std::shared_ptr<CaptureDevice>> devices;
    std::lock_guard lock(liveDevicesLock);
    auto& live = liveDevices();
    std::erase_if(live, [](const auto& entry) { return entry.second.expired(); });
    for (size_t index = 0; index < cameras.size(); ++index) {
        std::string identifier = identifierFor(cameras[index], index);
        auto existing = live.find(identifier);
        if (existing != live.end()) {
            auto device = existing->second.lock();
            if (device && device->description() == cameras[index]) {
                devices.push_back(std::move(device));
                continue;
            }
        }
        auto device = std::make_shared<CaptureDevice>(std::move(cameras[index]), identifier);
        live[identifier] = device;
        devices.push_back(std::move(device));
    }
    // The microphone after the cameras.
    if (auto microphone = MicrophoneFolder::microphone(); microphone.kind != MicrophoneKind::None) {
        const std::string identifier = "microphone";
        auto existing = live.find(identifier);
        std::shared_ptr<CaptureDevice> device = existing != live.end() ? existing->second.lock() : nullptr;
        if (!device || device->microphoneDescription() != microphone) {
            device = std::make_shared<CaptureDevice>(std::move(microphone), identifier);
            live[identifier] = device;
        }
        devices.push_back(std::move(device));
    }
    return devices;
}

std::vector<std::shared_ptr<CaptureDevice>> CaptureDevice::devicesWithMediaType(std::string_view mediaType)
{
    if (mediaType != kMediaTypeVideo && mediaType != kMediaTypeAudio)
        return {};
    auto all = devices();
    std::erase_if(all, [&](const std::shared_ptr<CaptureDevice>& device) { return !device->hasMediaType(mediaType); });
    return all;
}

std::shared_ptr<CaptureDevice> CaptureDevice::defaultDeviceWithMediaType(std::string_view mediaType)
{
    auto all = devicesWithMediaType(mediaType);
    // The back camera where there is one, as the platform's default.
    for (const auto& device : all) {
        if (device->position() == CaptureDevicePosition::Back)
            return device;
    }
    return all.empty() ? nullptr : all.front();
}

CaptureDevice::CaptureDevice(CaptureDeviceDescription description, std::string uniqueID)
    : _description(std::move(description))
    , _uniqueID(std::move(uniqueID))
{
    _localizedName = _description.name;
    if (_localizedName.empty()) {
        _localizedName = _description.position == CaptureDevicePosition::Front ? "Front Camera"
            : _description.position == CaptureDevicePosition::Back             ? "Back Camera"
                                                                               : "Camera";
    }
    if (_description.kind == CaptureDeviceKind::Video4Linux2)
        _controls = std::make_unique<detail::Video4Linux2Controls>(_description.devicePath);
    _focusMode = initialMode<CaptureFocusMode>(_description.focusModes);
    _exposureMode = initialMode<CaptureExposureMode>(_description.exposureModes);
    _whiteBalanceMode = initialMode<CaptureWhiteBalanceMode>(_description.whiteBalanceModes);
}

CaptureDevice::CaptureDevice(MicrophoneDescription microphone, std::string uniqueID)
    : _microphone(std::move(microphone))
    , _uniqueID(std::move(uniqueID))
{
    _description.position = CaptureDevicePosition::Unspecified;
    _description.focusModes = {};
    _description.exposureModes = {};
    _description.whiteBalanceModes = {};
    _description.focusPointOfInterest = false;
    _description.exposurePointOfInterest = false;
    _description.exposureBias.reset();
    _localizedName = "iPhone Microphone";
}

CaptureDevice::~CaptureDevice() = default;

bool CaptureDevice::hasMediaType(std::string_view mediaType) const
{
    return mediaType == (_microphone ? kMediaTypeAudio : kMediaTypeVideo);
}

std::optional<Size> CaptureDevice::sizeForSessionPreset(std::string_view preset) const
{
    if (_microphone)
        return std::nullopt;  // pictures are a camera's
    const Size largest {static_cast<double>(_description.width), static_cast<double>(_description.height)};
    if (preset == kCaptureSessionPresetPhoto)
        return largest;
    if (preset == kCaptureSessionPresetHigh) {
        for (const PresetSize& entry : kVideoPresets) {
            if (entry.width <= _description.width && entry.height <= _description.height)
                return Size {static_cast<double>(entry.width), static_cast<double>(entry.height)};
        }
        return largest;
    }
    for (const PresetSize& entry : kVideoPresets) {
        if (preset == entry.preset && entry.width <= _description.width && entry.height <= _description.height)
            return Size {static_cast<double>(entry.width), static_cast<double>(entry.height)};
    }
    // Every camera takes the smallest preset, as a phone's cameras all do: a
    // smaller one (a 640 x 360 webcam) gives its own pictures there.
    if (preset == std::end(kVideoPresets)[-1].preset)
        return largest;
    return std::nullopt;
}

bool CaptureDevice::supportsAVCaptureSessionPreset(std::string_view preset) const
{
    return sizeForSessionPreset(preset).has_value();
}

bool CaptureDevice::lockForConfiguration(std::optional<Error>* error)
{
    if (_description.configurationLockFails) {
        if (error)
            *error = Error(kMediaErrorDomain, kMediaErrorDeviceLockedForConfigurationByAnotherProcess,
                "The camera is being configured by another application.");
        return false;
    }
    _locked = true;
    return true;
}

void CaptureDevice::unlockForConfiguration()
{
    _locked = false;
}

void CaptureDevice::requireLock(const char* operation) const
{
    if (!_locked)
        detail::fatal("CaptureDevice::{}: the device is not locked for configuration", operation);
}

bool CaptureDevice::isFocusModeSupported(CaptureFocusMode mode) const
{
    return contains(_description.focusModes, static_cast<int64_t>(mode));
}

void CaptureDevice::setFocusMode(CaptureFocusMode mode)
{
    requireLock("setFocusMode");
    if (!isFocusModeSupported(mode)) {
        log("camera {}: focus mode {} is not supported", _uniqueID, static_cast<int64_t>(mode));
        return;
    }
    if (_controls && !_controls->setFocusMode(static_cast<int64_t>(mode)))
        return;
    _focusMode = mode;
}

void CaptureDevice::setFocusPointOfInterest(Point point)
{
    requireLock("setFocusPointOfInterest");
    if (!isFocusPointOfInterestSupported()) {
        log("camera {}: no focus point of interest", _uniqueID);
        return;
    }
    _focusPointOfInterest = clampedPoint(point);
}

bool CaptureDevice::isExposureModeSupported(CaptureExposureMode mode) const
{
    return contains(_description.exposureModes, static_cast<int64_t>(mode));
}

void CaptureDevice::setExposureMode(CaptureExposureMode mode)
{
    requireLock("setExposureMode");
    if (!isExposureModeSupported(mode)) {
        log("camera {}: exposure mode {} is not supported", _uniqueID, static_cast<int64_t>(mode));
        return;
    }
    if (_controls && !_controls->setExposureMode(static_cast<int64_t>(mode)))
        return;
    _exposureMode = mode;
}

void CaptureDevice::setExposurePointOfInterest(Point point)
{
    requireLock("setExposurePointOfInterest");
    if (!isExposurePointOfInterestSupported()) {
        log("camera {}: no exposure point of interest", _uniqueID);
        return;
    }
    _exposurePointOfInterest = clampedPoint(point);
}

float CaptureDevice::minExposureTargetBias() const
{
    return _description.exposureBias ? _description.exposureBias->first : 0.0f;
}

float CaptureDevice::maxExposureTargetBias() const
{
    return _description.exposureBias ? _description.exposureBias->second : 0.0f;
}

void CaptureDevice::setExposureTargetBias(float bias, std::function<void(MediaTime)> handler)
{
    requireLock("setExposureTargetBias");
    if (!_description.exposureBias) {
        log("camera {}: no exposure bias", _uniqueID);
        return;
    }
    if (!(bias == bias))  // NaN
        bias = 0;
    bias = std::clamp(bias, minExposureTargetBias(), maxExposureTargetBias());
    if (_controls && !_controls->setExposureBias(bias))
        return;
    _exposureTargetBias = bias;
    if (handler) {
        MediaTime now = MediaTime::makeWithSeconds(Clock::current().uptimeSeconds(), kSyncTimescale);
        DispatchQueue::mainQueue().async([handler = std::move(handler), now] { handler(now); });
    }
}

bool CaptureDevice::isWhiteBalanceModeSupported(CaptureWhiteBalanceMode mode) const
{
    return contains(_description.whiteBalanceModes, static_cast<int64_t>(mode));
}

void CaptureDevice::setWhiteBalanceMode(CaptureWhiteBalanceMode mode)
{
    requireLock("setWhiteBalanceMode");
    if (!isWhiteBalanceModeSupported(mode)) {
        log("camera {}: white balance mode {} is not supported", _uniqueID, static_cast<int64_t>(mode));
        return;
    }
    if (_controls && !_controls->setWhiteBalanceMode(static_cast<int64_t>(mode)))
        return;
    _whiteBalanceMode = mode;
}

namespace {

// Invalid, or a positive number of seconds.
MediaTime validDuration(const MediaTime& duration)
{
    return duration.isNumeric() && duration > MediaTime::zero() ? duration : MediaTime::invalid();
}

}  // namespace

void CaptureDevice::setActiveVideoMinFrameDuration(const MediaTime& duration)
{
    requireLock("setActiveVideoMinFrameDuration");
    const MediaTime shortest = validDuration(duration);
    if (shortest.isValid() && _description.frameRate > 0
        && shortest < MediaTime::make(1, static_cast<int32_t>(_description.frameRate))) {
        log("camera {}: {} s between pictures is faster than its {} pictures a second", _uniqueID, shortest.seconds(),
            _description.frameRate);
        return;
    }
    if (shortest == _activeVideoMinFrameDuration)
        return;
    const int before = activeFrameRate();
    _activeVideoMinFrameDuration = shortest;
    if (activeFrameRate() != before)
        NotificationCenter::defaultCenter().post(kCaptureDeviceActiveFrameRateDidChangeNotification, this);
}

void CaptureDevice::setActiveVideoMaxFrameDuration(const MediaTime& duration)
{
    requireLock("setActiveVideoMaxFrameDuration");
    _activeVideoMaxFrameDuration = validDuration(duration);
}

int CaptureDevice::activeFrameRate() const
{
    const int own = _description.frameRate;
    if (!_activeVideoMinFrameDuration.isValid())
        return own;
    const auto rate = static_cast<int>(std::lround(1.0 / _activeVideoMinFrameDuration.seconds()));
    return std::clamp(rate, 1, std::max(own, 1));
}

}  // namespace plat
