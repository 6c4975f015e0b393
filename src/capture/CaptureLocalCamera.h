#pragma once
#include <atomic>
#include <memory>
#include <mutex>

#include "capture/CaptureController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/media/capture/CaptureVideoDataOutput.h"

namespace plat {
class CaptureDeviceInput;
class CaptureSession;
class CaptureVideoPreviewLayer;
class DispatchQueue;
enum class ImageOrientation : int;
}  // namespace plat

namespace zt {

class VideoPreview;

// The device's own camera, front or back: its live video in a preview, and
// as a picture the next video frame after the shutter, drawn upright. The
// frames arrive on the serial "cameraQueue", where the picture is made and
// handed to the delegate. A camera that stops while running (unplugged)
// makes the source not ready, with an error, and is told to the delegate;
// a front/back switch then starts the other camera.
// Main thread otherwise.
class CaptureLocalCamera : public CaptureController, public plat::CaptureVideoDataOutputSampleBufferDelegate {
public:
    static constexpr const char* kErrorDomain = "CaptureLocalCamera";
    static constexpr int64_t kErrorNoCaptureDevice = 63;
    static constexpr int64_t kErrorFallbackDeviceUnavailable = 119;
    // The running camera went away (a webcam unplugged).
    static constexpr int64_t kErrorCameraStopped = 120;
    // The camera at the stored position could not be opened; another one is in use.
    static constexpr int64_t kErrorOtherDeviceUsed = 121;

    CaptureLocalCamera();
    ~CaptureLocalCamera() override;

    void initCaptureDevice() override;
    void stopCameraCapture() override;
    void pauseCameraCapture() override;
    void resumeCameraCapture() override;
    void switchCaptureDevice() override;
    void captureImage() override;
    void setFocusMode(int64_t mode) override;
    void setExposureMode(int64_t mode) override;
    void setWhiteBalanceMode(int64_t mode) override;
    bool focusAtPoint(plat::Point point) override;
    void changeExposureTargetBiasTo(float bias) override;
    std::string getCaptureSourceName() const override;
    std::shared_ptr<plat::Image> getCaptureSourceMenuIcon() const override;
    bool getIsZoomSupported() const override { return true; }

    void checkDeviceCapabilities();
    bool checkDeviceFocusModeSupport() const;
    bool checkDeviceExposureModeSupport() const;
    bool checkDeviceWhiteBalanceModeSupport() const;
    // Picks the best video preset the current camera has (after a switch).
    virtual void changeCaptureQuality();
    // How a picture taken now stands, from the interface orientation and
    // the stored camera position.
    plat::ImageOrientation getImageOrientation() const;
    // A point of the preview (aspect fill) as the camera's point of interest.
    plat::Point convertToPointOfInterestFromViewCoordinates(plat::Point point) const;

    // The camera's video frames, on the camera queue.
    void captureOutput(plat::CaptureOutput& output, const std::shared_ptr<const plat::SampleBuffer>& sampleBuffer,
        plat::CaptureConnection& connection) override;

    // For the 4K source and tests.
    const std::shared_ptr<plat::CaptureSession>& captureSession() const { return _captureSession; }
    const std::shared_ptr<plat::CaptureDeviceInput>& captureInput() const { return _captureInput; }
    const std::shared_ptr<VideoPreview>& previewView() const { return _previewView; }
    const std::shared_ptr<plat::CaptureVideoPreviewLayer>& previewLayer() const { return _previewLayer; }
    const std::shared_ptr<plat::CaptureVideoDataOutput>& videoDataOutput() const { return _videoOutput; }

protected:
    // True when this set-up ended without a new error.
    bool lastSetUpSucceeded() const { return _lastSetUpSucceeded; }

private:
    // The session lost its camera: not ready, a waiting picture is given up
    // (nullptr), and the delegate hears why.
    void sessionDidFail(const std::string& description);
    // A shutter press no frame will answer ends as a failed picture (nullptr).
    void giveUpWaitingPicture();
    // After a stop, the session starts again with the camera it now has (the
    // other one after a switch).
    void runAgainAfterStop();

    std::shared_ptr<plat::CaptureSession> _captureSession;
    std::shared_ptr<plat::CaptureDeviceInput> _captureInput;
    std::shared_ptr<plat::CaptureVideoPreviewLayer> _previewLayer;
    std::shared_ptr<VideoPreview> _previewView;
    std::shared_ptr<plat::CaptureVideoDataOutput> _videoOutput;
    std::shared_ptr<plat::DispatchQueue> _cameraQueue;
    // Set by the shutter on the main thread, taken by one frame on the
    // camera queue; the orientation is the one at the shutter.
    std::atomic<bool> _recordNextImage {false};
    std::atomic<int> _recordOrientation {0};
    std::mutex _recordLock;
    std::weak_ptr<CaptureControllerDelegate> _recordDelegate;  // guarded by _recordLock
    bool _lastSetUpSucceeded = false;
    // The session stopped itself (its camera failed); main thread.
    bool _stoppedRunning = false;
    plat::ObserverToken _sessionErrorObserver;
};

}  // namespace zt
