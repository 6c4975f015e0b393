#pragma once
#include <atomic>
#include <memory>

#include "capture/CaptureLocalCamera.h"

namespace plat {
class CaptureStillImageOutput;
}

namespace zt {

// The local camera with the same live view, taking each picture as a
// full-resolution JPEG still at the photo preset (up to 3840 x 2160) whose
// orientation travels with the image instead of redrawn pixels. Ready
// again when the still has arrived, so a second shutter press meanwhile is
// refused. The still comes on the platform's completion thread; a still
// that does not come (the session stopped) is handed over as nullptr.
class Capture4KCamera : public CaptureLocalCamera {
public:
    static constexpr const char* kAlertShownKey = "is4KAlertShown";

    Capture4KCamera();

    void initCaptureDevice() override;
    void stopCameraCapture() override;
    void captureImage() override;
    std::string getCaptureSourceName() const override;
    std::shared_ptr<plat::Image> getCaptureSourceMenuIcon() const override;
    bool hasShutterSound() const override { return true; }
    // Between a still's request and its arrival, and once the camera is gone, not ready.
    bool isReadyToCapture() const override { return _isReady.load() && CaptureLocalCamera::isReadyToCapture(); }
    // After a front/back switch the source goes back to full-resolution stills.
    void changeCaptureQuality() override;

private:
    void showStorageAlert();

    std::shared_ptr<plat::CaptureStillImageOutput> _stillImageOutput;
    std::atomic<bool> _isReady {false};
};

}  // namespace zt
