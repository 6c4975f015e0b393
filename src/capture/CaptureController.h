#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Error.h"
#include "platform/foundation/Geometry.h"
#include "platform/ui/ViewController.h"

namespace plat {
class CaptureDevice;
class Image;
class View;
}  // namespace plat

namespace zt {

class CaptureController;
class ProjectModel;

// Camera positions and modes, in the platform's numbers.
inline constexpr int64_t kCapturePositionUnspecified = 0;
inline constexpr int64_t kCapturePositionBack = 1;
inline constexpr int64_t kCapturePositionFront = 2;
inline constexpr int64_t kCaptureModeLocked = 0;
inline constexpr int64_t kCaptureModeOnce = 1;
inline constexpr int64_t kCaptureModeContinuous = 2;

// What a capture source tells the capture screen. The first two come on the
// main thread; a picture may come on any thread, and the receiver hops to
// the main thread itself.
class CaptureControllerDelegate {
public:
    virtual ~CaptureControllerDelegate() = default;
    // captureController:didInitCaptureDeviceWithPositon: the source is set up.
    virtual void captureControllerDidInitCaptureDeviceWithPositon(CaptureController& source, int64_t position) = 0;
    // captureController:didSwitchCaptureDevicePosition: a front/back switch finished.
    virtual void captureControllerDidSwitchCaptureDevicePosition(CaptureController& source, int64_t position) = 0;
    // captureController:didTakeImage: the picture of one captureImage;
    // nullptr when the source could not get one.
    virtual void captureControllerDidTakeImage(CaptureController& source, std::shared_ptr<const plat::Image> image) = 0;
    // A set-up source lost its camera while running (a webcam unplugged):
    // it is no longer ready and error() says why. Main thread.
    virtual void captureControllerDidStopWithError(CaptureController& source, const plat::Error& error)
    {
        (void)source;
        (void)error;
    }
    // A front/back switch could not open the other camera: the camera in use
    // goes on and error() says why. Main thread.
    virtual void captureControllerDidFailToSwitchCaptureDevice(CaptureController& source, const plat::Error& error)
    {
        (void)source;
        (void)error;
    }
};

// Anything that shows a live picture and hands over one still picture on
// request. The capture screen places the source's view over its camera
// area, sets delegate, main view controller, control strip and project,
// then calls initCaptureDevice; the same object is initialised and stopped
// again each time it is chosen. This base is the resource-picture source:
// ready at once, one camera, every mode offered. Main thread, except the
// flags a source changes from its camera's threads, which are atomic.
class CaptureController : public plat::ViewController {
public:
    CaptureController();
    ~CaptureController() override;

    std::shared_ptr<CaptureControllerDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<CaptureControllerDelegate> delegate) { _delegate = std::move(delegate); }
    // The view with the live picture (tap to focus goes there), or nullptr.
    const std::shared_ptr<plat::View>& captureSourceViewCamera() const { return _captureSourceViewCamera; }
    void setCaptureSourceViewCamera(std::shared_ptr<plat::View> view) { _captureSourceViewCamera = std::move(view); }
    std::shared_ptr<plat::ViewController> mainViewController() const { return _mainViewController.lock(); }
    void setMainViewController(std::weak_ptr<plat::ViewController> controller)
    {
        _mainViewController = std::move(controller);
    }
    const std::shared_ptr<plat::View>& viewForAdditionalControls() const { return _viewForAdditionalControls; }
    void setViewForAdditionalControls(std::shared_ptr<plat::View> view)
    {
        _viewForAdditionalControls = std::move(view);
    }
    std::shared_ptr<ProjectModel> project() const { return _project.lock(); }
    void setProject(std::weak_ptr<ProjectModel> project) { _project = std::move(project); }

    // The stable identifier kept in the settings.
    const std::string& captureSourceID() const { return _captureSourceID; }
    bool isMultipleCaptureDeviceAvaliable() const { return _isMultipleCaptureDeviceAvaliable; }
    bool isFocusModeSuported() const { return _isFocusModeSuported; }
    bool isExposureModeSuported() const { return _isExposureModeSuported; }
    bool isWhiteBalanceModeSuported() const { return _isWhiteBalanceModeSuported; }
    // The shutter may be pressed.
    virtual bool isReadyToCapture() const { return _isReadyToCapture.load(); }
    int64_t position() const { return _position; }
    int64_t focusMode() const { return _focusMode; }
    int64_t exposureMode() const { return _exposureMode; }
    int64_t whiteBalanceMode() const { return _whiteBalanceMode; }
    float minExposureTargetBias() const { return _minExposureTargetBias; }
    float maxExposureTargetBias() const { return _maxExposureTargetBias; }
    float currentExposureTargetBias() const { return _currentExposureTargetBias; }
    // The source makes its own shutter sound.
    virtual bool hasShutterSound() const { return false; }
    // Set when an initialisation fails; a later one clears it only where the source says so.
    const std::optional<plat::Error>& error() const { return _error; }
    // Why the last picture asked for came as none, where the source can
    // tell; set before the receiver hears of the picture. Main thread.
    virtual const std::optional<plat::Error>& captureFailure() const;

    virtual void setFocusMode(int64_t mode);
    virtual void setExposureMode(int64_t mode);
    virtual void setWhiteBalanceMode(int64_t mode);
    virtual void changeExposureTargetBiasTo(float bias);
    // A point in the source's view; whether the source will focus there.
    virtual bool focusAtPoint(plat::Point point);
    virtual void initCaptureDevice();
    virtual void stopCameraCapture();
    virtual void switchCaptureDevice();
    virtual void captureImage();
    virtual void pauseCameraCapture();
    virtual void resumeCameraCapture();
    virtual std::string getCaptureSourceName() const;
    virtual std::shared_ptr<plat::Image> getCaptureSourceMenuIcon() const;
    virtual bool getIsZoomSupported() const { return false; }

    // The best session preset of a camera: 1920x1080 when the camera can and
    // the platform exports at that size, else 1280x720 when the camera can,
    // else 640x480.
    static std::string getPresetWithMaximumResoulutionFromCaptureDevice(const plat::CaptureDevice& device);

protected:
    void setCaptureSourceID(std::string identifier) { _captureSourceID = std::move(identifier); }
    void setIsMultipleCaptureDeviceAvaliable(bool available) { _isMultipleCaptureDeviceAvaliable = available; }
    void setModeSupport(bool focus, bool exposure, bool whiteBalance);
    void setIsReadyToCapture(bool ready) { _isReadyToCapture = ready; }
    void setPosition(int64_t position) { _position = position; }
    void setModes(int64_t focus, int64_t exposure, int64_t whiteBalance);
    void setFocusModeValue(int64_t mode) { _focusMode = mode; }
    void setExposureModeValue(int64_t mode) { _exposureMode = mode; }
    void setWhiteBalanceModeValue(int64_t mode) { _whiteBalanceMode = mode; }
    void setExposureBiasRange(float minimum, float maximum)
    {
        _minExposureTargetBias = minimum;
        _maxExposureTargetBias = maximum;
    }
    void setCurrentExposureTargetBias(float bias) { _currentExposureTargetBias = bias; }
    void setError(plat::Error error) { _error = std::move(error); }
    void clearError() { _error.reset(); }
    // Keeps the error of a switch that could not open the other camera and
    // tells the delegate.
    void reportSwitchFailure(const plat::Error& failure);
    // Tells the delegate, as a failed switch, that a set-up went on with
    // another camera than the one it tried first. The set-up worked, so
    // nothing is kept as error(): the shutter has nothing to say again.
    void reportOtherCameraUsed(const plat::Error& notice);
    // Hands the picture to the delegate on the calling thread.
    void deliverImage(std::shared_ptr<const plat::Image> image);
    // The delegate as it is now, for a thread that delivers later.
    std::weak_ptr<CaptureControllerDelegate> delegateReference() const { return _delegate; }

    // The app's resource picture for sources without a camera.
    static std::shared_ptr<plat::Image> resourcePicture();

private:
    std::weak_ptr<CaptureControllerDelegate> _delegate;
    std::shared_ptr<plat::View> _captureSourceViewCamera;
    std::weak_ptr<plat::ViewController> _mainViewController;
    std::shared_ptr<plat::View> _viewForAdditionalControls;
    std::weak_ptr<ProjectModel> _project;
    std::string _captureSourceID;
    bool _isMultipleCaptureDeviceAvaliable = false;
    bool _isFocusModeSuported = false;
    bool _isExposureModeSuported = false;
    bool _isWhiteBalanceModeSuported = false;
    std::atomic<bool> _isReadyToCapture {false};
    int64_t _position = kCapturePositionUnspecified;
    int64_t _focusMode = kCaptureModeLocked;
    int64_t _exposureMode = kCaptureModeLocked;
    int64_t _whiteBalanceMode = kCaptureModeLocked;
    float _minExposureTargetBias = 0;
    float _maxExposureTargetBias = 0;
    float _currentExposureTargetBias = 0;
    std::optional<plat::Error> _error;
};

}  // namespace zt
