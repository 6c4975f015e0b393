// The green-screen source's camera controls: front and back, modes, focus
// point, exposure bias and what the camera can do.
#include <algorithm>

#include "capture/CaptureDeviceControls.h"
#include "document/DataManager.h"
#include "glimage/GLImageVideoCamera.h"
#include "glimage/GLImageView.h"
#include "greenscreen/CaptureChromaKeyCamera.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/capture/CaptureDevice.h"
#include "platform/media/capture/CaptureInput.h"
#include "platform/media/capture/CaptureSession.h"

namespace zt {

std::shared_ptr<plat::CaptureDevice> CaptureChromaKeyCamera::currentDevice() const
{
    return _videoCamera ? _videoCamera->inputCamera() : nullptr;
}

void CaptureChromaKeyCamera::switchCaptureDevice()
{
    if (!isMultipleCaptureDeviceAvaliable() || !_videoCamera)
        return;
    // The video camera gives up on a camera it cannot open without a word:
    // try it here first, so that the person hears which camera and why.
    const auto wanted = _videoCamera->cameraPosition() == plat::CaptureDevicePosition::Back
        ? plat::CaptureDevicePosition::Front
        : plat::CaptureDevicePosition::Back;
    std::shared_ptr<plat::CaptureDevice> other;
    for (const auto& device : plat::CaptureDevice::devicesWithMediaType(plat::kMediaTypeVideo)) {
        if (device->position() == wanted)
            other = device;
    }
    if (other) {
        auto tried = plat::CaptureDeviceInput::deviceInputWithDevice(other);
        if (!tried.ok()) {
            reportSwitchFailure(tried.error());
            return;
        }
    }
    const auto& session = _videoCamera->captureSession();
    session->beginConfiguration();
    session->setSessionPreset(plat::kCaptureSessionPreset640x480);
    session->commitConfiguration();
    _videoCamera->rotateCamera();
    const auto position = static_cast<int64_t>(_videoCamera->cameraPosition());
    DataManager::sharedDataManager().setAvCaptureDevicePosition(position);
    if (auto device = currentDevice()) {
        session->beginConfiguration();
        session->setSessionPreset(getPresetWithMaximumResoulutionFromCaptureDevice(*device));
        session->commitConfiguration();
    }
    checkDeviceCapabilities();
    if (_stoppedRunning)
        runAgainAfterStop();
    if (auto listener = delegate())
        listener->captureControllerDidSwitchCaptureDevicePosition(*this, position);
}

void CaptureChromaKeyCamera::setFocusMode(int64_t mode)
{
    if (auto device = currentDevice())
        setFocusModeValue(applyFocusMode(*device, mode));
}

void CaptureChromaKeyCamera::setExposureMode(int64_t mode)
{
    if (auto device = currentDevice())
        setExposureModeValue(applyExposureMode(*device, mode));
}

void CaptureChromaKeyCamera::setWhiteBalanceMode(int64_t mode)
{
    if (auto device = currentDevice())
        setWhiteBalanceModeValue(applyWhiteBalanceMode(*device, mode));
}

void CaptureChromaKeyCamera::changeExposureTargetBiasTo(float bias)
{
    auto device = currentDevice();
    if (device && applyExposureTargetBias(*device, bias))
        setCurrentExposureTargetBias(device->exposureTargetBias());
}

bool CaptureChromaKeyCamera::focusAtPoint(plat::Point point)
{
    auto device = currentDevice();
    if (!device || !device->isFocusPointOfInterestSupported()
        || !device->isFocusModeSupported(plat::CaptureFocusMode::AutoFocus))
        return true;
    const plat::Point interest = convertToPointOfInterestFromViewCoordinates(point);
    if (!device->lockForConfiguration(nullptr))
        return false;
    device->setFocusPointOfInterest(interest);
    device->setFocusMode(plat::CaptureFocusMode::AutoFocus);
    device->unlockForConfiguration();
    return true;
}

plat::Point CaptureChromaKeyCamera::convertToPointOfInterestFromViewCoordinates(plat::Point point) const
{
    const plat::Point centre {0.5, 0.5};
    if (!_videoCamera || !_viewCamera)
        return centre;
    const auto& inputs = _videoCamera->captureSession()->inputs();
    if (inputs.empty())
        return centre;
    for (const plat::CaptureInputPort& port : inputs.back()->ports()) {
        if (port.mediaType() != plat::kMediaTypeVideo)
            continue;
        // Either camera's picture is shown turned half round in landscape
        // left: both deliver upright pixels.
        const bool turned = _videoCamera->outputImageOrientation() == GLImageInterfaceOrientation::LandscapeLeft;
        return pointOfInterestUnderTap(
            point, ShownPicture {_viewCamera->bounds().size, port.cleanAperture().size, turned, /*mirrored=*/false});
    }
    return centre;
}

bool CaptureChromaKeyCamera::checkDeviceFocusModeSupport() const
{
    auto device = currentDevice();
    return device && supportsFocusModes(*device);
}

bool CaptureChromaKeyCamera::checkDeviceExposureModeSupport() const
{
    auto device = currentDevice();
    return device && supportsExposureModes(*device);
}

bool CaptureChromaKeyCamera::checkDeviceWhiteBalanceModeSupport() const
{
    auto device = currentDevice();
    return device && supportsWhiteBalanceModes(*device);
}

void CaptureChromaKeyCamera::checkDeviceCaptureResolution()
{
    auto device = currentDevice();
    if (!device)
        return;
    if (device->supportsAVCaptureSessionPreset(plat::kCaptureSessionPreset1920x1080))
        _captureResolution = {1920, 1080};
    else if (device->supportsAVCaptureSessionPreset(plat::kCaptureSessionPreset1280x720))
        _captureResolution = {1280, 720};
    else
        _captureResolution = {640, 480};
}

void CaptureChromaKeyCamera::checkDeviceCapabilities()
{
    auto device = currentDevice();
    if (!device)
        return;
    checkDeviceCaptureResolution();
    setModeSupport(
        checkDeviceFocusModeSupport(), checkDeviceExposureModeSupport(), checkDeviceWhiteBalanceModeSupport());
    setPosition(static_cast<int64_t>(device->position()));
    setModes(static_cast<int64_t>(device->focusMode()), static_cast<int64_t>(device->exposureMode()),
        static_cast<int64_t>(device->whiteBalanceMode()));
    if (offersExposureTargetBias(*device)) {
        setExposureBiasRange(device->minExposureTargetBias(), device->maxExposureTargetBias());
        setCurrentExposureTargetBias(device->exposureTargetBias());
    }
}

}  // namespace zt
