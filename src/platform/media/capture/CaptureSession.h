#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"

namespace plat {

class CaptureDeviceInput;
class CaptureInput;
class CaptureOutput;
class CaptureVideoPreviewLayer;
namespace detail {
class CaptureAudioEngine;
class CaptureEngine;
}  // namespace detail

// Posted (on the main queue, object the session) when a running session
// loses its camera; the session has stopped. userInfo {kCaptureSessionErrorKey: description}.
inline constexpr const char* kCaptureSessionRuntimeErrorNotification = "AVCaptureSessionRuntimeErrorNotification";
inline constexpr const char* kCaptureSessionErrorKey = "AVCaptureSessionErrorKey";

// The platform's capture session: one camera input and one microphone
// input, outputs and preview layers, a preset for the picture size. Changes between begin and commit
// take effect together at the commit; a running session picks them up
// there. A running session makes pictures at the camera's frame rate on
// plat::Clock (a real camera at its own pace) on a queue of its own and
// hands them to its outputs and layers; stopRunning returns once no more
// pictures are made and never waits for an output's queue, which may be
// waiting for the main thread. Main thread.
class CaptureSession : public std::enable_shared_from_this<CaptureSession> {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    static std::shared_ptr<CaptureSession> create();
    explicit CaptureSession(Passkey);
    ~CaptureSession();
    CaptureSession(const CaptureSession&) = delete;
    CaptureSession& operator=(const CaptureSession&) = delete;

    void beginConfiguration();
    void commitConfiguration();

    const std::string& sessionPreset() const { return _sessionPreset; }
    // A known preset that the camera (when there is one) can deliver.
    bool canSetSessionPreset(const std::string& preset) const;
    // Refused presets leave the preset as it was (with a log line).
    void setSessionPreset(const std::string& preset);

    const std::vector<std::shared_ptr<CaptureInput>>& inputs() const { return _inputs; }
    // One camera and one microphone at a time.
    bool canAddInput(const std::shared_ptr<CaptureInput>& input) const;
    void addInput(const std::shared_ptr<CaptureInput>& input);
    void removeInput(const std::shared_ptr<CaptureInput>& input);

    const std::vector<std::shared_ptr<CaptureOutput>>& outputs() const { return _outputs; }
    bool canAddOutput(const std::shared_ptr<CaptureOutput>& output) const;
    void addOutput(const std::shared_ptr<CaptureOutput>& output);
    void removeOutput(const std::shared_ptr<CaptureOutput>& output);

    // Without a camera input the session runs but makes no pictures; a
    // camera that cannot be opened stops it with a runtime error.
    void startRunning();
    void stopRunning();
    bool isRunning() const { return _running; }

    // How many pictures the session has taken from its cameras so far; for
    // tests that wait for the camera without looking at the outputs.
    uint64_t capturedPictureCount() const { return _capturedPictures->load(); }

private:
    friend class CaptureVideoPreviewLayer;
    friend class detail::CaptureEngine;
    void engineFailed(uint64_t run, const Error& error);
    void addPreviewLayer(const std::shared_ptr<CaptureVideoPreviewLayer>& layer);
    void removePreviewLayer(const CaptureVideoPreviewLayer* layer);

    std::shared_ptr<CaptureDeviceInput> cameraInput() const;
    std::shared_ptr<CaptureDeviceInput> microphoneInput() const;
    void startAudioEngine();
    void configurationChanged();
    void startEngine();
    void stopEngine();
    void updateActiveSizes();

    std::string _sessionPreset;
    std::vector<std::shared_ptr<CaptureInput>> _inputs;
    std::vector<std::shared_ptr<CaptureOutput>> _outputs;
    std::vector<std::weak_ptr<CaptureVideoPreviewLayer>> _previewLayers;
    int _configurationDepth = 0;
    bool _changedDuringConfiguration = false;
    bool _running = false;
    uint64_t _lastRun = 0;
    std::shared_ptr<detail::CaptureEngine> _engine;
    std::shared_ptr<detail::CaptureAudioEngine> _audioEngine;
    std::shared_ptr<std::atomic<uint64_t>> _capturedPictures;
};

}  // namespace plat
