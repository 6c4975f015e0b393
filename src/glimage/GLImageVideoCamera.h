#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "glimage/GLImagePixelBufferOutput.h"
#include "platform/foundation/Semaphore.h"
#include "platform/media/capture/CaptureAudioDataOutput.h"
#include "platform/media/capture/CaptureDeviceFolder.h"
#include "platform/media/capture/CaptureVideoDataOutput.h"

namespace plat {
class CaptureDevice;
class CaptureDeviceInput;
class CaptureSession;
class DispatchQueue;
class SampleBuffer;
}  // namespace plat

namespace zt {

// Hears of each camera picture before it is processed, on the context queue.
class GLImageVideoCameraDelegate {
public:
    virtual ~GLImageVideoCameraDelegate() = default;
    virtual void willOutputSampleBuffer(const std::shared_ptr<const plat::SampleBuffer>& sampleBuffer) = 0;
};

// The platform's interface orientations, as the camera is told them.
enum class GLImageInterfaceOrientation : int64_t {
    Unknown = 0,
    Portrait = 1,
    PortraitUpsideDown = 2,
    LandscapeRight = 3,
    LandscapeLeft = 4,
};

// The live camera as a frame source: a capture session with one camera and
// a video data output (and, for a movie writer's sound, the microphone and
// an audio data output). Each picture becomes a texture on the context queue
// and reaches the targets with its time and the turn that the interface
// orientation and camera position call for. One picture is in flight at a
// time: pictures that come meanwhile are dropped at the capture queue.
// Session and configuration on the main thread; pictures arrive on the
// capture queues; GL work on the context queue.
class GLImageVideoCamera : public GLImagePixelBufferOutput,
                           public plat::CaptureVideoDataOutputSampleBufferDelegate,
                           public plat::CaptureAudioDataOutputSampleBufferDelegate {
public:
    // None when no camera faces that way or the video output cannot be added.
    static std::shared_ptr<GLImageVideoCamera> initWithSessionPreset(
        const std::string& sessionPreset, plat::CaptureDevicePosition cameraPosition);
    // A 640 x 480 back camera.
    static std::shared_ptr<GLImageVideoCamera> init();
    ~GLImageVideoCamera() override;

    void startCameraCapture();
    void stopCameraCapture();
    void pauseCameraCapture() { capturePaused = true; }
    void resumeCameraCapture() { capturePaused = false; }
    void rotateCamera();
    plat::CaptureDevicePosition cameraPosition() const;

    const std::shared_ptr<plat::CaptureSession>& captureSession() const { return _captureSession; }
    const std::shared_ptr<plat::CaptureDevice>& inputCamera() const { return _inputCamera; }
    const std::string& captureSessionPreset() const { return _captureSessionPreset; }
    void setCaptureSessionPreset(const std::string& captureSessionPreset);
    int32_t frameRate() const { return _frameRate; }
    void setFrameRate(int32_t frameRate);
    std::shared_ptr<plat::CaptureConnection> videoCaptureConnection() const;

    static bool isBackFacingCameraPresent();
    static bool isFrontFacingCameraPresent();

    bool runBenchmark() const { return _runBenchmark.load(); }
    void setRunBenchmark(bool value) { _runBenchmark = value; }
    // Milliseconds per frame over the frames counted after the first five.
    double averageFrameDurationDuringCapture();
    void resetBenchmarkAverage();

    GLImageInterfaceOrientation outputImageOrientation() const { return _outputImageOrientation; }
    void setOutputImageOrientation(GLImageInterfaceOrientation newValue);
    bool horizontallyMirrorFrontFacingCamera() const { return _horizontallyMirrorFrontFacingCamera; }
    void setHorizontallyMirrorFrontFacingCamera(bool newValue);
    bool horizontallyMirrorRearFacingCamera() const { return _horizontallyMirrorRearFacingCamera; }
    void setHorizontallyMirrorRearFacingCamera(bool newValue);
    void setDelegate(std::weak_ptr<GLImageVideoCameraDelegate> delegate);
    void updateOrientationSendToTargets();

    using GLImageOutput::addTarget;
    void addTarget(const std::shared_ptr<GLImageInput>& newTarget, int64_t textureLocation) override;
    void setAudioEncodingTarget(std::shared_ptr<GLImageMovieWriter> newValue) override;
    bool addAudioInputsAndOutputs();
    bool removeAudioInputsAndOutputs();
    virtual void removeInputsAndOutputs();

    // Both outputs' pictures and sound, on their capture queues.
    void captureOutput(plat::CaptureOutput& output, const std::shared_ptr<const plat::SampleBuffer>& sampleBuffer,
        plat::CaptureConnection& connection) override;
    // Context queue.
    void processVideoSampleBuffer(const std::shared_ptr<const plat::SampleBuffer>& sampleBuffer);
    void processAudioSampleBuffer(const std::shared_ptr<const plat::SampleBuffer>& sampleBuffer);
    void updateTargetsForVideoCameraUsingCacheTextureAtWidth(
        int bufferWidth, int bufferHeight, const plat::MediaTime& currentTime);

    GLImageRotationMode outputRotationForTesting() const;
    // The conversion framebuffer's size (0 x 0 before the first YUV picture) and
    // how often it has been made.
    plat::Size yuvConversionFramebufferSizeForTesting() const;
    int yuvConversionFramebuffersMadeForTesting() const;
    // Whether pictures are taken as YUV planes (else as BGRA).
    bool capturesAsYUV() const { return captureAsYUV; }

    struct Passkey {
        explicit Passkey() = default;
    };
    explicit GLImageVideoCamera(Passkey);

protected:
    // Completes the set-up once the camera can hand itself out as a delegate.
    bool setUp(const std::string& sessionPreset, plat::CaptureDevicePosition cameraPosition);
    // Holds one picture in flight; the still camera holds it while it takes a photo.
    plat::Semaphore& frameSemaphore() { return frameRenderingSemaphore; }
    const std::shared_ptr<plat::CaptureVideoDataOutput>& videoDataOutput() const { return videoOutput; }
    void setCapturesAsYUV(bool value) { captureAsYUV = value; }
    bool isCapturing() const { return _capturing.load(); }

private:
    std::shared_ptr<GLImageVideoCamera> selfAsCamera();
    void configureVideoOutputFormat();

    // Main thread.
    std::shared_ptr<plat::CaptureSession> _captureSession;
    std::shared_ptr<plat::CaptureDevice> _inputCamera;
    std::shared_ptr<plat::CaptureDevice> _microphone;
    std::shared_ptr<plat::CaptureDeviceInput> videoInput;
    std::shared_ptr<plat::CaptureVideoDataOutput> videoOutput;
    std::shared_ptr<plat::CaptureDeviceInput> audioInput;
    std::shared_ptr<plat::CaptureAudioDataOutput> audioOutput;
    bool addedAudioInputsDueToEncodingTarget = false;
    std::string _captureSessionPreset;
    int32_t _frameRate = 0;
    std::shared_ptr<plat::DispatchQueue> cameraProcessingQueue;
    std::shared_ptr<plat::DispatchQueue> audioProcessingQueue;

    plat::Semaphore frameRenderingSemaphore {1};
    std::atomic<bool> capturePaused {false};
    std::atomic<bool> _capturing {false};
    std::atomic<bool> _runBenchmark {false};
    std::atomic<bool> captureAsYUV {true};

    // Context queue.
    GLImageRotationMode outputRotation = GLImageRotationMode::NoRotation;
    uint64_t numberOfFramesCaptured = 0;
    double totalFrameTimeDuringCapture = 0;
    GLImageInterfaceOrientation _outputImageOrientation = GLImageInterfaceOrientation::Unknown;
    bool _horizontallyMirrorFrontFacingCamera = false;
    bool _horizontallyMirrorRearFacingCamera = false;
    plat::CaptureDevicePosition _currentPosition = plat::CaptureDevicePosition::Unspecified;

    std::mutex _delegateLock;
    std::weak_ptr<GLImageVideoCameraDelegate> _delegate;  // guarded by _delegateLock
};

}  // namespace zt
