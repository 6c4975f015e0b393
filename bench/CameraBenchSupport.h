#pragma once
// What the camera benchmarks share: a temporary device with one virtual
// camera on a manual clock, and a target that says when a frame reached it.
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

#include "glimage/GLImageInput.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/Semaphore.h"
#include "platform/media/capture/CaptureDevice.h"
#include "platform/media/capture/CaptureDeviceFolder.h"

namespace zt::bench {

// A virtual back camera of kind at width x height and frameRate.
inline plat::CaptureDeviceDescription virtualBackCamera(
    plat::CaptureDeviceKind kind, int width, int height, int frameRate)
{
    plat::CaptureDeviceDescription camera;
    camera.kind = kind;
    camera.width = width;
    camera.height = height;
    camera.frameRate = frameRate;
    camera.position = plat::CaptureDevicePosition::Back;
    return camera;
}

// A temporary sandbox (under /tmp, named by prefix) whose only camera is
// camera, with a manual clock that nextFrame() moves on by one camera frame.
class BenchCameraDevice {
public:
    BenchCameraDevice(const plat::CaptureDeviceDescription& camera, const std::string& prefix)
        : _frameSeconds(1.0 / camera.frameRate)
    {
        std::string root = "/tmp/" + prefix + "-XXXXXX";
        if (::mkdtemp(root.data()) == nullptr)
            std::abort();
        _sandbox = std::make_shared<plat::Sandbox>(root);
        plat::Sandbox::setCurrent(_sandbox);
        _previousClock = plat::Clock::currentShared();
        _clock = std::make_shared<plat::ManualClock>(1000.0, plat::Date::withTimeIntervalSinceReferenceDate(0));
        plat::Clock::setCurrent(_clock);
        if (!plat::CaptureDeviceFolder::writeCameras({camera}).ok())
            std::abort();
    }
    ~BenchCameraDevice()
    {
        plat::RunLoop::main().discardPendingWork();
        plat::Clock::setCurrent(_previousClock);
        plat::Sandbox::setCurrent(nullptr);
        (void)plat::removeItem(_sandbox->root());
    }
    BenchCameraDevice(const BenchCameraDevice&) = delete;
    BenchCameraDevice& operator=(const BenchCameraDevice&) = delete;

    void nextFrame() { _clock->advance(_frameSeconds); }
    const std::string& root() const { return _sandbox->root(); }

private:
    double _frameSeconds;
    std::shared_ptr<plat::Sandbox> _sandbox;
    std::shared_ptr<plat::ManualClock> _clock;
    std::shared_ptr<plat::Clock> _previousClock;
};

// A target that says when a frame has reached it.
class SignallingTarget : public zt::GLImageInput {
public:
    void newFrameReadyAtTime(const plat::MediaTime&, int64_t) override { arrived.signal(); }
    void setInputTexture(uint32_t, int64_t) override { }
    void setTextureDelegate(std::weak_ptr<zt::GLImageTextureDelegate>, int64_t) override { }
    int64_t nextAvailableTextureIndex() override { return 0; }
    void setInputSize(plat::Size, int64_t) override { }
    void setInputRotation(zt::GLImageRotationMode, int64_t) override { }
    plat::Size maximumOutputSize() override { return {}; }
    void endProcessing() override { }
    bool shouldIgnoreUpdatesToThisTarget() override { return false; }
    bool enabled() override { return true; }
    void conserveMemoryForNextFrame() override { }
    bool wantsMonochromeInput() override { return false; }
    void setCurrentlyReceivingMonochromeInput(bool) override { }

    plat::Semaphore arrived;
};

}  // namespace zt::bench
