#include "capture/CaptureDeviceControls.h"

#include <algorithm>

#include "platform/media/capture/CaptureDevice.h"

namespace zt {

int64_t applyFocusMode(plat::CaptureDevice& device, int64_t mode)
{
    const auto wanted = static_cast<plat::CaptureFocusMode>(mode);
    if (device.isFocusModeSupported(wanted) && device.focusMode() != wanted && device.lockForConfiguration(nullptr)) {
        device.setFocusMode(wanted);
        device.unlockForConfiguration();
    }
    return static_cast<int64_t>(device.focusMode());
}

int64_t applyExposureMode(plat::CaptureDevice& device, int64_t mode)
{
    const auto wanted = static_cast<plat::CaptureExposureMode>(mode);
    if (device.isExposureModeSupported(wanted) && device.exposureMode() != wanted
        && device.lockForConfiguration(nullptr)) {
        device.setExposureMode(wanted);
        device.unlockForConfiguration();
    }
    return static_cast<int64_t>(device.exposureMode());
}

int64_t applyWhiteBalanceMode(plat::CaptureDevice& device, int64_t mode)
{
    const auto wanted = static_cast<plat::CaptureWhiteBalanceMode>(mode);
    if (device.isWhiteBalanceModeSupported(wanted) && device.whiteBalanceMode() != wanted
        && device.lockForConfiguration(nullptr)) {
        device.setWhiteBalanceMode(wanted);
        device.unlockForConfiguration();
    }
    return static_cast<int64_t>(device.whiteBalanceMode());
}

bool offersExposureTargetBias(const plat::CaptureDevice& device)
{
    return device.maxExposureTargetBias() > device.minExposureTargetBias();
}

bool applyExposureTargetBias(plat::CaptureDevice& device, float bias)
{
    if (!offersExposureTargetBias(device) || !device.lockForConfiguration(nullptr))
        return false;
    device.setExposureTargetBias(bias, nullptr);
    device.unlockForConfiguration();
    return true;
}

bool supportsFocusModes(const plat::CaptureDevice& device)
{
    return device.isFocusModeSupported(plat::CaptureFocusMode::Locked)
        && device.isFocusModeSupported(plat::CaptureFocusMode::ContinuousAutoFocus);
}

bool supportsExposureModes(const plat::CaptureDevice& device)
{
    return device.isExposureModeSupported(plat::CaptureExposureMode::Locked)
        && device.isExposureModeSupported(plat::CaptureExposureMode::ContinuousAutoExposure);
}

bool supportsWhiteBalanceModes(const plat::CaptureDevice& device)
{
    return device.isWhiteBalanceModeSupported(plat::CaptureWhiteBalanceMode::Locked)
        && device.isWhiteBalanceModeSupported(plat::CaptureWhiteBalanceMode::ContinuousAutoWhiteBalance);
}

plat::Point pointOfInterestUnderTap(plat::Point tap, const ShownPicture& shown)
{
    const double viewWidth = shown.viewSize.width, viewHeight = shown.viewSize.height;
    const double pictureWidth = shown.pictureSize.width, pictureHeight = shown.pictureSize.height;
    if (!(viewWidth > 0) || !(viewHeight > 0) || !(pictureWidth > 0) || !(pictureHeight > 0))
        return {0.5, 0.5};
    // Aspect fill: the whole picture at the scale that covers the view, its middle under the view.
    const double scale = std::max(viewWidth / pictureWidth, viewHeight / pictureHeight);
    const double shownWidth = pictureWidth * scale, shownHeight = pictureHeight * scale;
    double x = std::clamp((tap.x + (shownWidth - viewWidth) / 2) / shownWidth, 0.0, 1.0);
    double y = std::clamp((tap.y + (shownHeight - viewHeight) / 2) / shownHeight, 0.0, 1.0);
    if (shown.mirrored)
        x = 1 - x;
    if (shown.turnedHalfRound) {
        x = 1 - x;
        y = 1 - y;
    }
    return {x, y};
}

}  // namespace zt
