#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "capture/CaptureController.h"
#include "capture/CaptureSourceSelectionView.h"
#include "platform/foundation/Date.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/ViewController.h"

namespace plat {
class AudioPlayer;
class Button;
class Control;
class ImageView;
class Label;
class PinchGestureRecognizer;
class Slider;
class Switch;
class TapGestureRecognizer;
class Timer;
class View;
}  // namespace plat

namespace zt {

class BubblePopoverController;
class DataManager;
class Frame;
class Hudy;
class ImageProducer;
class ProjectModel;
class QVCircularProgressView;

// The screen where a project gains its pictures: it hosts one capture
// source at a time, shows its live picture over the onion skin of the last
// two frames, takes a picture on the shutter (or for the interval timer and
// the volume buttons), shows it briefly and stores it as a new frame before
// the capture placeholder, then tells the frame editor ("AddFrameNotification").
// Set-up, life cycle and errors are in CaptureViewController.cpp, the
// sources in ...Sources.cpp, the shutter and storing in ...Frames.cpp, the
// aids (onion skin, grid, sounds, focus, exposure and white-balance toggles,
// options panel, digital zoom, tap to focus with exposure bias) in
// ...Aids.cpp, and the volume-button shutter and interval timer in ...Timer.cpp.
// Main thread; a source's picture may arrive on any thread, which waits
// while the main thread shows and stores it.
class CaptureViewController : public plat::ViewController,
                              public CaptureControllerDelegate,
                              public CaptureSourceSelectionDelegate {
public:
    static constexpr const char* kPhoneLayout = "CaptureView_568";
    static constexpr const char* kTabletLayout = "CaptureView-iPad";
    // The tablet layout's options and interval timer: a group placed in
    // screen points where the frame editor's toolbar lies, which the editor
    // takes into its toolbar.
    static constexpr const char* kToolbarControlsOutlet = "viewToolbarControls";
    static constexpr const char* kGotoCaptureFrameNotification = "GotoCaptureFrameNotification";
    static constexpr const char* kFramesDeletedNotification = "PLAYERVIEWCONTROLLER_FRAMES_DELETED";
    static constexpr const char* kErrorDomain = "CaptureViewController";
    static constexpr int64_t kUnknownStoreError = 636;
    static constexpr int64_t kNoSpaceStoreError = 623;
    // Below this much free space a failed write is blamed on the full device.
    static constexpr uint64_t kLowSpaceBytes = 104857600;
    // The platform's capture error for an app that may not use the camera.
    static constexpr int64_t kCameraNotAuthorizedError = -11852;
    static constexpr int64_t kVolumeViewTag = 54870149;
    static constexpr double kLoopSeconds = 1.0;
    static constexpr double kMinimumZoomScale = 1.0;
    static constexpr double kMaximumZoomScale = 5.0;
    // A shutter press whose picture has neither come nor failed by then is
    // given up: the shutter works again and the person is told.
    static constexpr double kCaptureTimeoutSeconds = 30.0;

    // initWithNibName:bundle:project: kPhoneLayout or kTabletLayout.
    CaptureViewController(std::string nibName, std::shared_ptr<ProjectModel> project);
    ~CaptureViewController() override;

    // What the frame editor calls.
    void showLiveView();
    void showImageView();
    void disableControls(bool disabled);
    void pauseCameraCapture();
    void resumeCameraCapture();
    void stopCameraCapture();
    void startCameraCapture() { }
    // Stops the source, the timers and the observers, saves the metadata and leaves.
    void finishUpAndExit();

    const std::shared_ptr<plat::ImageView>& viewOnionFront() const { return _viewOnionFront; }
    void setViewOnionFront(std::shared_ptr<plat::ImageView> view) { _viewOnionFront = std::move(view); }
    const std::shared_ptr<plat::ImageView>& viewOnionBack() const { return _viewOnionBack; }
    void setViewOnionBack(std::shared_ptr<plat::ImageView> view) { _viewOnionBack = std::move(view); }
    const std::shared_ptr<plat::View>& viewFade() const { return _viewFade; }
    void setViewFade(std::shared_ptr<plat::View> view) { _viewFade = std::move(view); }
    const std::shared_ptr<plat::View>& viewAspectRatioMask() const { return _viewAspectRatioMask; }
    void setViewAspectRatioMask(std::shared_ptr<plat::View> view) { _viewAspectRatioMask = std::move(view); }
    const std::shared_ptr<plat::ImageView>& imageViewForeground() const { return _imageViewForeground; }
    void setImageViewForeground(std::shared_ptr<plat::ImageView> view) { _imageViewForeground = std::move(view); }
    const std::shared_ptr<BubblePopoverController>& popoverController() const { return _popoverController; }
    void setPopoverController(std::shared_ptr<BubblePopoverController> popover);

    const std::shared_ptr<ProjectModel>& project() const { return _project; }
    const std::shared_ptr<CaptureController>& captureSource() const { return _captureSource; }
    bool isImageShowing() const { return _isImageShowing; }
    bool isVolumeControllerActive() const { return _isVolumeControllerActiv; }
    double effectiveScale() const { return _effectiveScale.load(); }
    int32_t lastIntervalTimestamp() const { return _lastIntervalTimestamp; }
    int32_t infoScreenIndex() const { return _infoLCDScreenCurrentIndex; }
    const std::shared_ptr<plat::AudioPlayer>& audioCamera() const { return _audioCamera; }
    const std::shared_ptr<plat::AudioPlayer>& audioTimer() const { return _audioTimer; }
    // The last short message shown (for whoever looks: tests, scripts).
    const std::shared_ptr<Hudy>& messageDisplay() const { return _messageHud; }

    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const override;
    unsigned supportedInterfaceOrientations() const override;
    void didRotateFromInterfaceOrientation(plat::InterfaceOrientation fromOrientation) override;

    // CaptureControllerDelegate.
    void captureControllerDidInitCaptureDeviceWithPositon(CaptureController& source, int64_t position) override;
    void captureControllerDidSwitchCaptureDevicePosition(CaptureController& source, int64_t position) override;
    void captureControllerDidTakeImage(CaptureController& source, std::shared_ptr<const plat::Image> image) override;
    void captureControllerDidStopWithError(CaptureController& source, const plat::Error& error) override;
    void captureControllerDidFailToSwitchCaptureDevice(CaptureController& source, const plat::Error& error) override;
    // CaptureSourceSelectionDelegate.
    void captureSourceSelection(
        CaptureSourceSelectionView& chooser, std::shared_ptr<CaptureController> source) override;

    // Chooses the source the settings name (else the registry's first) and switches to it.
    void initCaptureDevice();
    void switchCaptureSource(const std::shared_ptr<CaptureController>& source);
    void restoreCaptureSourceConfiguration();

    // Actions of the layout.
    void actionCaptureSource();
    void actionPauseRecord();
    void actionHome();
    void actionLCDScreen();
    void actionSliderOverlayValueChanged();
    void actionGrid();
    void actionSound();
    void actionFocus();
    void actionExposure();
    void actionWhiteBalance();
    void actionCameraControls();
    void actionCaptureDevice();
    void actionSliderZoomChanged();
    void actionSliderExposureBiasChanged();
    void sliderTouchBegan() { }
    void sliderTouchEnded();
    void actionTimer();
    void actionTimerConfiguration();
    void handlePinchGesture(plat::PinchGestureRecognizer& recognizer);
    void doSingleTap(plat::TapGestureRecognizer& recognizer);

    // The still display of a delivered picture (nullptr after a failed capture).
    void captureImage(const std::shared_ptr<const plat::Image>& picture);
    // Stores the picture as a new frame; none when it could not be kept.
    std::optional<Frame> storeImageOperation(const plat::Image& picture);
    void onLoopTimer();
    void updateInfoScreen();
    // The frame position ("%.4d / %.4d") or the movie length, as shown.
    std::string infoScreenText();
    void showError(const std::optional<plat::Error>& error);
    void showMessageInHUD(const std::string& text);
    void updateOnionSkinning();
    void updateZoomScale();
    void drawFocusBoxAtPointOfInterest(plat::Point point);
    void volumeChanged(const plat::Notification& notification);
    void onCaptureImageTimer();

    // The error a failed frame write reports, by the free space left; it
    // wraps the write's own error (cause), which the alert gives as the reason.
    static plat::Error storeFailureError(uint64_t freeBytes, const std::optional<plat::Error>& cause = std::nullopt);
    // The zoom's centre cut, scaled back to the picture's size without
    // interpolation; the picture itself at scale 1 or below. Any thread.
    static std::shared_ptr<const plat::Image> zoomedPicture(
        const std::shared_ptr<const plat::Image>& picture, double scale);
    // The overlay value snapped to whole tenths, halves away from zero.
    static double snappedOverlayValue(double value);

private:
    void initController();
    void bindOutlets();
    void showSourceCapabilities(CaptureController& source);
    void selectModeButtons(CaptureController& source);
    void applyOverlay(double value);
    void endStillDisplay();
    void countDownIntervalTimer();
    void hideIdleSliders();
    void giveUpPendingCapture();
    // The reason the source gave, or that no picture came.
    void reportFailedCapture(const std::optional<plat::Error>& reason);
    void toggleMode(int64_t (CaptureController::*current)() const, void (CaptureController::*set)(int64_t),
        void (DataManager::*store)(int64_t), const std::shared_ptr<plat::Button>& button, const char* enabledMessage,
        const char* disabledMessage);
    void initVolumeControl();
    void hideVolumeControllhandler();
    void scheduleLoopTimer();
    void observeApplication();
    void enterBackground();
    void enterForeground();
    // Closes the source chooser (its help row's sheet opens without it) first.
    void showHelpPage(const std::string& page);
    // The source chooser, the options or the timer's settings.
    void closePopover();
    void playSound(const std::shared_ptr<plat::AudioPlayer>& player);
    bool isTablet() const;

    std::shared_ptr<ProjectModel> _project;
    std::shared_ptr<ImageProducer> _imageProducer;
    std::shared_ptr<CaptureController> _captureSource;
    std::shared_ptr<plat::Timer> _loopTimer;
    std::shared_ptr<plat::AudioPlayer> _audioTimer;
    std::shared_ptr<plat::AudioPlayer> _audioCamera;
    std::shared_ptr<BubblePopoverController> _popoverController;
    std::shared_ptr<Hudy> _messageHud;
    std::shared_ptr<Hudy> _closingHud;
    DataManager* _dataManager = nullptr;  // the process's settings, which outlive every screen
    int32_t _lastIntervalTimestamp = 0;
    bool _isImageShowing = false;
    float _lastVolume = 0;
    bool _isControllsDisabled = false;
    bool _isVolumeControllerActiv = false;
    double _beginGestureScale = 1.0;
    // Read by the delivering thread for the zoom crop.
    std::atomic<double> _effectiveScale {1.0};
    plat::Date _dateZoomLastUse;
    plat::Date _dateLastExposureSliderUsed;
    int32_t _infoLCDScreenCurrentIndex = 0;
    // Read by the delivering thread: pictures after Home are dropped.
    std::atomic<bool> _isClosing {false};
    bool _isInBackground = false;
    bool _isPausedByEditor = false;
    // The uptime of the shutter press still waiting for its picture.
    std::optional<double> _pendingCaptureUptime;
    std::shared_ptr<plat::TapGestureRecognizer> _tapRecognizer;
    std::shared_ptr<plat::View> _volumeView;

    // Outlets.
    std::shared_ptr<plat::View> _viewCamera;
    std::shared_ptr<plat::View> _viewCameraContainer;
    std::shared_ptr<plat::Button> _recordBtn;
    std::shared_ptr<plat::Button> _capturedeviseBtn;
    std::shared_ptr<plat::Label> _frameLabel;
    std::shared_ptr<plat::Label> _frameTitleLabel;
    std::shared_ptr<plat::Button> _buttonOptions;
    std::shared_ptr<plat::Button> _buttonHome;
    std::shared_ptr<plat::View> _viewGrid;
    std::shared_ptr<plat::View> _viewOverlayControls;
    std::shared_ptr<plat::Slider> _sliderOverlayControl;
    // The slider's value before showImageView hid the live picture, for showLiveView.
    std::optional<double> _overlayBeforeImageView;
    std::shared_ptr<plat::Label> _labelTimer;
    std::shared_ptr<plat::View> _viewFocusRect;
    std::shared_ptr<plat::View> _viewCaptureControls;
    std::shared_ptr<plat::Switch> _switchTimer;
    std::shared_ptr<plat::Button> _btnTimerConfig;
    std::shared_ptr<QVCircularProgressView> _progressTimer;
    std::shared_ptr<plat::Button> _buttonGrid;
    std::shared_ptr<plat::Button> _buttonFocus;
    std::shared_ptr<plat::Button> _buttonSound;
    std::shared_ptr<plat::Button> _buttonExposure;
    std::shared_ptr<plat::Button> _buttonWhiteBalance;
    std::shared_ptr<plat::Button> _buttonCaptureSource;
    std::shared_ptr<plat::Slider> _sliderZoom;
    std::shared_ptr<plat::View> _viewAddtionalCaptureControls;
    std::shared_ptr<plat::View> _toolbarCaptureControls;
    std::shared_ptr<plat::View> _viewFrameInfo;
    std::shared_ptr<plat::Slider> _sliderExposureBias;
    std::shared_ptr<plat::View> _viewFade;
    std::shared_ptr<plat::View> _viewAspectRatioMask;
    std::shared_ptr<plat::ImageView> _imageViewForeground;
    std::shared_ptr<plat::ImageView> _viewOnionFront;
    std::shared_ptr<plat::ImageView> _viewOnionBack;
};

}  // namespace zt
