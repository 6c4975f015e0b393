#pragma once
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "capture/CaptureController.h"
#include "greenscreen/ChromaKeyConfigurationDelegate.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Color.h"

namespace plat {
class Asset;
class Button;
class CaptureDevice;
class DispatchQueue;
class Timer;
}  // namespace plat

namespace zt {

class BubblePopoverController;
class ChromaKeyBackdrop;
class GLImageBrightnessFilter;
class GLImageChromaKeyBlendFilter;
class GLImagePicture;
class GLImageVideoCamera;
class GLImageView;
class Hudy;

// The green-screen source: the live camera on the GPU with one colour keyed
// out and a backdrop in its place, in a view over the capture screen; a
// capture is the keyed picture. A button on the capture screen opens the
// configuration popover, whose screens report here. The key colour and the
// sensitivity are kept in the settings, the backdrop in the project.
//
// Wiring: camera -> blend filter (input 0) <- backdrop picture (input 1),
// blend filter -> view. While the key colour is measured, the camera feeds
// a pass-through filter that feeds the view, so the unkeyed picture shows.
//
// Main thread. The pipeline's own work runs on its context queue; the
// measured colour comes back from there and is handed to the main thread
// before it changes anything here.
//
// A camera that stops while running makes the source not ready, with an
// error, and is told to the delegate, so the last keyed picture is never
// taken as a new one; a front/back switch then starts the other camera.
class CaptureChromaKeyCamera : public CaptureController, public ChromaKeyConfigurationDelegate {
public:
    static constexpr const char* kCaptureSourceID = "CaptureChromaKeyCamera";
    static constexpr const char* kErrorDomain = "CaptureLocalCamera";
    static constexpr int64_t kErrorNoCaptureDevice = 63;
    // No camera could be opened; the error names each and why.
    static constexpr int64_t kErrorFallbackDeviceUnavailable = 119;
    // The running camera stopped (its pictures failed, a webcam unplugged).
    static constexpr int64_t kErrorCameraStopped = 120;
    // The camera at the stored position could not be opened; another one is in use.
    static constexpr int64_t kErrorOtherDeviceUsed = 121;
    static constexpr double kDetectionDelaySeconds = 5.0;
    static constexpr double kConfigurationButtonSide = 50;
    static constexpr double kConfigurationButtonInset = 10;
    static constexpr const char* kImportQueueLabel = "com.quorvane.chromakey_importqueue";
    // How long the note that the last frame has no picture stays up.
    static constexpr double kNoteSeconds = 2.5;

    CaptureChromaKeyCamera();
    ~CaptureChromaKeyCamera() override;

    // CaptureController
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
    // Set up, and the keyed picture has come at least once.
    bool isReadyToCapture() const override;
    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const override;
    void didRotateFromInterfaceOrientation(plat::InterfaceOrientation fromOrientation) override;

    // ChromaKeyConfigurationDelegate
    void didSelectChangeBackDrop(plat::ViewController& sender) override;
    void didSelectChangeBackDrop(plat::ViewController& sender, const std::shared_ptr<plat::Image>& image) override;
    void didSelectUseFrameAsBackdrop(plat::ViewController& sender) override;
    void didChangedFilterValue(plat::ViewController& sender, float value) override;
    void didSelectChangeChromaKeyColor(plat::ViewController& sender, const plat::Color& color) override;
    void didSelectChangeAutoChromaKeyColor(plat::ViewController& sender) override;
    void didSelectResetChromaKeyColor(plat::ViewController& sender) override;

    // The configuration button's action.
    void actionShowConfiguration(plat::Button& sender);
    void saveConfiguration();
    // Samples the unkeyed picture and sets the key colour to its average.
    void detectMainColorAndChangeChromaKeyFilter();
    void checkDeviceCapabilities();
    void checkDeviceCaptureResolution();
    bool checkDeviceFocusModeSupport() const;
    bool checkDeviceExposureModeSupport() const;
    bool checkDeviceWhiteBalanceModeSupport() const;
    // A point of the live view (aspect fill) as the camera's point of interest.
    plat::Point convertToPointOfInterestFromViewCoordinates(plat::Point point) const;

    const std::shared_ptr<GLImageVideoCamera>& videoCamera() const { return _videoCamera; }
    const std::shared_ptr<GLImageView>& viewCamera() const { return _viewCamera; }
    const std::shared_ptr<GLImageChromaKeyBlendFilter>& filter() const { return _filter; }
    std::shared_ptr<GLImagePicture> sourcePicture() const;
    const std::shared_ptr<GLImageBrightnessFilter>& passFilter() const { return _passFilter; }
    const std::shared_ptr<BubblePopoverController>& popoverController() const { return _popoverController; }
    void setPopoverController(std::shared_ptr<BubblePopoverController> popover)
    {
        _popoverController = std::move(popover);
    }
    const plat::Color& chromaColor() const { return _chromaColor; }
    plat::Size captureResolution() const { return _captureResolution; }
    const std::shared_ptr<Hudy>& hudy() const { return _hudy; }
    const std::shared_ptr<plat::Button>& configurationButton() const { return _configurationButton; }
    // Whether a key-colour sample is scheduled or being taken.
    bool isSampling() const { return _passFilter != nullptr; }

private:
    // Set-up steps.
    // The camera at the stored position first, then the others in the device's order.
    std::vector<std::shared_ptr<plat::CaptureDevice>> devicesInTurn(
        const std::vector<std::shared_ptr<plat::CaptureDevice>>& devices) const;
    void addConfigurationButton();
    // A new flag for the first keyed frame from now on, which the filter sets.
    void watchForKeyedFrame();
    void cameraDidStop(const std::string& reason);
    // After a stop, the camera starts again with the device it now has.
    void runAgainAfterStop();
    void restoreConfiguration();
    // The key colour the filter takes, and what is shown as the current one.
    void applyKeyColor(const plat::Color& color);
    void closePopoverLater();
    void closePopoverNow();
    // The measured colour, on the main thread.
    void finishDetection(const plat::Color& measured);
    // Back to camera -> blend filter; the pass-through filter goes.
    void rewireAfterSampling();
    void importPickedPhoto(const std::shared_ptr<plat::Asset>& asset);
    void showNote(const std::string& englishText);
    std::shared_ptr<plat::CaptureDevice> currentDevice() const;
    std::weak_ptr<CaptureChromaKeyCamera> weakSelf();

    std::shared_ptr<GLImageVideoCamera> _videoCamera;
    std::shared_ptr<GLImageView> _viewCamera;
    std::shared_ptr<GLImageChromaKeyBlendFilter> _filter;
    std::unique_ptr<ChromaKeyBackdrop> _backdrop;
    std::shared_ptr<GLImageBrightnessFilter> _passFilter;
    std::shared_ptr<BubblePopoverController> _popoverController;
    std::shared_ptr<Hudy> _hudy;
    std::shared_ptr<Hudy> _note;
    std::shared_ptr<plat::Timer> _detectionTimer;
    std::shared_ptr<plat::Button> _configurationButton;
    plat::Color _chromaColor = plat::Color::colorWithRed(0, 1, 0, 1);
    plat::Size _captureResolution;
    // Set on the context queue by the first keyed frame of this set-up; each
    // set-up has its own, so a late frame of an earlier one counts for nothing.
    std::shared_ptr<std::atomic<bool>> _hasKeyedFrame = std::make_shared<std::atomic<bool>>(false);
    plat::ObserverToken _stopObserver;
    bool _stoppedRunning = false;
};

}  // namespace zt
