#pragma once
#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "capture/CaptureController.h"
#include "capture/RemoteCameraStatus.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/URL.h"

namespace plat {
class ImageView;
}

namespace zt {

// The camera of another device on the local network, as a capture source:
// a preview refreshed as fast as the peer answers (on the low-priority
// global queue), the peer's modes, focus point and camera switch, and a
// full-size picture on the shutter. Status, mode, focus and switch requests
// are waited for on the main thread, each within a short time-out; replies
// are outside input and refused when they are not what the protocol says.
// After kMaxFailedPreviews failed previews in a row the source is no longer
// ready; the preview is then tried once a second, and the first picture
// that comes sets the connection up again. Main thread.
class CaptureRemoteCameraClient : public CaptureController {
public:
    static constexpr int kMaxFailedPreviews = 11;
    static constexpr double kRetrySeconds = 1.0;
    // Told to the delegate when a connected camera stops answering.
    static constexpr const char* kErrorDomain = "CaptureRemoteCameraClient";
    static constexpr int64_t kErrorNoAnswer = 1;
    // A captured picture that does not decode.
    static constexpr int64_t kErrorUnreadablePicture = 2;

    // initWithRemoteURL:andName: the base URL of the service (none: a source
    // that does nothing remote) and its name.
    CaptureRemoteCameraClient(std::optional<plat::URL> remoteURL, std::string name);
    ~CaptureRemoteCameraClient() override;

    void initCaptureDevice() override;
    void stopCameraCapture() override;
    void pauseCameraCapture() override;
    void resumeCameraCapture() override;
    void switchCaptureDevice() override;
    void setFocusMode(int64_t mode) override;
    void setExposureMode(int64_t mode) override;
    void setWhiteBalanceMode(int64_t mode) override;
    bool focusAtPoint(plat::Point point) override;
    void captureImage() override;
    std::string getCaptureSourceName() const override;
    std::shared_ptr<plat::Image> getCaptureSourceMenuIcon() const override;
    const std::optional<plat::Error>& captureFailure() const override { return _captureFailure; }

    void initConnection();
    void restartConnection();
    void liveImageRunLoop();
    void checkDeviceCapabilities();

    const std::optional<plat::URL>& remoteCameraURL() const { return _remoteCameraURL; }
    const std::string& name() const { return _name; }
    const std::optional<RemoteCameraStatus>& remoteCameraStatus() const { return _remoteCameraStatus; }
    const std::shared_ptr<plat::ImageView>& imageView() const { return _imageView; }
    plat::Size imageCaptureSize() const { return _imageCaptureSize; }
    int heartbeatCounter() const;

private:
    struct Loop;
    static void previewRound(const std::shared_ptr<Loop>& loop);
    void showPreview(std::shared_ptr<plat::Image> picture);
    // A control request on the main thread: the reply, or why none came.
    plat::Result<plat::Data> sendControlRequest(const std::string& path, const std::string& query = {});
    void takeStatus(const plat::Data& reply);
    void sendModeRequest(const std::string& path, const char* key, int64_t mode);

    std::optional<plat::URL> _remoteCameraURL;
    std::string _name;
    std::optional<RemoteCameraStatus> _remoteCameraStatus;
    std::shared_ptr<plat::ImageView> _imageView;
    plat::Size _imageCaptureSize;
    std::shared_ptr<Loop> _loop;  // shared with the background tasks
    std::optional<plat::Error> _captureFailure;
};

}  // namespace zt
