#include "capture/CaptureController.h"

#include <algorithm>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/media/AssetExportSession.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/capture/CaptureDevice.h"

namespace zt {

namespace {

constexpr const char* kResourcePicture = "DEBUG_1.jpg";
constexpr const char* kResourcePictureFallback = "DEBUG_1080p.jpg";
constexpr const char* kMenuIcon = "capturesource_icon_camera.png";

}  // namespace

CaptureController::CaptureController() = default;
CaptureController::~CaptureController() = default;

void CaptureController::setFocusMode(int64_t) { }
void CaptureController::setExposureMode(int64_t) { }
void CaptureController::setWhiteBalanceMode(int64_t) { }
void CaptureController::changeExposureTargetBiasTo(float) { }
void CaptureController::stopCameraCapture() { }
void CaptureController::pauseCameraCapture() { }
void CaptureController::resumeCameraCapture() { }

bool CaptureController::focusAtPoint(plat::Point)
{
    return true;
}

void CaptureController::setModeSupport(bool focus, bool exposure, bool whiteBalance)
{
    _isFocusModeSuported = focus;
    _isExposureModeSuported = exposure;
    _isWhiteBalanceModeSuported = whiteBalance;
}

void CaptureController::setModes(int64_t focus, int64_t exposure, int64_t whiteBalance)
{
    _focusMode = focus;
    _exposureMode = exposure;
    _whiteBalanceMode = whiteBalance;
}

void CaptureController::initCaptureDevice()
{
    _isMultipleCaptureDeviceAvaliable = true;
    setModeSupport(true, true, true);
    _isReadyToCapture = true;
    if (auto listener = delegate())
        listener->captureControllerDidInitCaptureDeviceWithPositon(*this, kCapturePositionBack);
}

void CaptureController::switchCaptureDevice()
{
    if (auto listener = delegate())
        listener->captureControllerDidSwitchCaptureDevicePosition(*this, kCapturePositionBack);
}

std::shared_ptr<plat::Image> CaptureController::resourcePicture()
{
    if (auto picture = plat::Image::imageNamed(kResourcePicture))
        return picture;
    return plat::Image::imageNamed(kResourcePictureFallback);
}

void CaptureController::captureImage()
{
    deliverImage(resourcePicture());
}

void CaptureController::deliverImage(std::shared_ptr<const plat::Image> image)
{
    if (auto listener = delegate()) {
        listener->captureControllerDidTakeImage(*this, std::move(image));
        plat::releaseOnMainQueue(std::move(listener));
    }
}

const std::optional<plat::Error>& CaptureController::captureFailure() const
{
    static const std::optional<plat::Error> unknown;
    return unknown;
}

void CaptureController::reportSwitchFailure(const plat::Error& failure)
{
    setError(failure);
    reportOtherCameraUsed(failure);
}

void CaptureController::reportOtherCameraUsed(const plat::Error& notice)
{
    plat::log("capture source: a camera cannot be opened: {}", notice.description());
    if (auto listener = delegate())
        listener->captureControllerDidFailToSwitchCaptureDevice(*this, notice);
}

std::string CaptureController::getCaptureSourceName() const
{
    return "DEBUG-Capturesource";
}

std::shared_ptr<plat::Image> CaptureController::getCaptureSourceMenuIcon() const
{
    return plat::Image::imageNamed(kMenuIcon);
}

std::string CaptureController::getPresetWithMaximumResoulutionFromCaptureDevice(const plat::CaptureDevice& device)
{
    auto presets = plat::AssetExportSession::allExportPresets();
    bool exportsFullHD = std::find(presets.begin(), presets.end(), plat::kAssetExportPreset1920x1080) != presets.end();
    if (exportsFullHD && device.supportsAVCaptureSessionPreset(plat::kCaptureSessionPreset1920x1080))
        return plat::kCaptureSessionPreset1920x1080;
    if (device.supportsAVCaptureSessionPreset(plat::kCaptureSessionPreset1280x720))
        return plat::kCaptureSessionPreset1280x720;
    return plat::kCaptureSessionPreset640x480;
}

}  // namespace zt
