// Capture: from the shutter of the local camera on a 1920 x 1080 virtual
// camera to the frame's three pictures stored in the project (the frame
// taken from the camera, drawn upright, then thumbnail, preview and full
// picture written through the project's atomic writes), beside encoding the
// same three JPEGs of the same picture with libjpeg-turbo directly; and the
// pictures a second that a 1280 x 720 virtual camera delivers through a
// video data output. The camera's clock is a manual one that each round
// moves by one frame, so the figures are what the machine can do, not the
// camera's frame rate.
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <string>

#include "BenchRatio.h"
#include "JpegReference.h"
#include "app/DataManager.h"
#include "app/ImageProducer.h"
#include "app/ProjectModel.h"
#include "app/ProjectsList.h"
#include "capture/CaptureLocalCamera.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/Semaphore.h"
#include "platform/graphics/Image.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/capture/CaptureDevice.h"
#include "platform/media/capture/CaptureDeviceFolder.h"
#include "platform/media/capture/CaptureInput.h"
#include "platform/media/capture/CaptureSession.h"
#include "platform/media/capture/CaptureVideoDataOutput.h"
#include "platform/ui/View.h"
#include "uikit/UIImageResize.h"

namespace {

constexpr int kFrameRate = 32;
constexpr double kFrame = 1.0 / kFrameRate;

// A device folder in a new temporary sandbox, with one virtual camera, on a
// manual clock; all undone at the end.
class BenchDevice {
public:
    BenchDevice(int width, int height)
    {
        std::string root = "/tmp/zt-capture-bench-XXXXXX";
        if (::mkdtemp(root.data()) == nullptr)
            std::abort();
        _sandbox = std::make_shared<plat::Sandbox>(root);
        plat::Sandbox::setCurrent(_sandbox);
        _previousClock = plat::Clock::currentShared();
        _clock = std::make_shared<plat::ManualClock>(1000.0, plat::Date::withTimeIntervalSinceReferenceDate(0));
        plat::Clock::setCurrent(_clock);
        plat::CaptureDeviceDescription camera;
        camera.kind = plat::CaptureDeviceKind::TestPattern;
        camera.width = width;
        camera.height = height;
        camera.frameRate = kFrameRate;
        if (!plat::CaptureDeviceFolder::writeCameras({camera}).ok())
            std::abort();
        zt::DataManager::sharedDataManager().resetToDefaultsForTesting();
        (void)zt::ProjectsList::replace({});
    }
    ~BenchDevice()
    {
        plat::RunLoop::main().discardPendingWork();
        plat::Clock::setCurrent(_previousClock);
        plat::Sandbox::setCurrent(nullptr);
        (void)plat::removeItem(_sandbox->root());
    }
    void nextFrame() { _clock->advance(kFrame); }

private:
    std::shared_ptr<plat::Sandbox> _sandbox;
    std::shared_ptr<plat::ManualClock> _clock;
    std::shared_ptr<plat::Clock> _previousClock;
};

// Stores each picture the camera hands over as the frame "bench", on the
// camera's queue while the shutter waits.
class StoringDelegate : public zt::CaptureControllerDelegate {
public:
    explicit StoringDelegate(std::shared_ptr<zt::ProjectModel> project)
        : _producer(std::move(project))
    {
    }
    void captureControllerDidInitCaptureDeviceWithPositon(zt::CaptureController&, int64_t) override { }
    void captureControllerDidSwitchCaptureDevicePosition(zt::CaptureController&, int64_t) override { }
    void captureControllerDidTakeImage(zt::CaptureController&, std::shared_ptr<const plat::Image> image) override
    {
        stored = image && _producer.storeImage(*image, "bench");
        last = image;
        done.signal();
    }
    plat::Semaphore done;
    bool stored = false;
    std::shared_ptr<const plat::Image> last;

private:
    zt::ImageProducer _producer;
};

struct CaptureRig {
    CaptureRig()
        : device(1920, 1080)
    {
        project = std::make_shared<zt::ProjectModel>(std::nullopt);
        if (!project->createFilePathForProject().ok())
            std::abort();
        delegate = std::make_shared<StoringDelegate>(project);
        camera = std::make_shared<zt::CaptureLocalCamera>();
        camera->view()->setFrame(plat::makeRect(0, 0, 568, 320));
        camera->setDelegate(delegate);
        camera->initCaptureDevice();
        if (!camera->isReadyToCapture())
            std::abort();
    }
    ~CaptureRig() { camera->stopCameraCapture(); }
    bool shoot()
    {
        camera->captureImage();
        device.nextFrame();
        bool stored = delegate->done.wait(30) && delegate->stored;
        // The callback has returned before the next shot: a picture that
        // came while it ran would be dropped as late.
        camera->videoDataOutput()->sampleBufferCallbackQueue()->sync([] {});
        return stored;
    }

    BenchDevice device;
    std::shared_ptr<zt::ProjectModel> project;
    std::shared_ptr<StoringDelegate> delegate;
    std::shared_ptr<zt::CaptureLocalCamera> camera;
};

void CaptureToStored(benchmark::State& state)
{
    CaptureRig rig;
    for (auto _ : state) {
        if (!rig.shoot()) {
            state.SkipWithError("the picture was not stored");
            break;
        }
    }
}

void DirectLibjpegTurbo(benchmark::State& state)
{
    CaptureRig rig;
    if (!rig.shoot())
        state.SkipWithError("no picture");
    const plat::Image& picture = *rig.delegate->last;
    auto thumbnail = zt::imageByScalingAndCroppingForSize(picture, zt::kFrameThumbnailSize);
    auto preview = zt::imageByScalingAndCroppingForSize(picture, zt::kFramePreviewSize);
    for (auto _ : state) {
        benchmark::DoNotOptimize(zt::bench::encodeDirectly(*thumbnail->bitmap(), 50));
        benchmark::DoNotOptimize(zt::bench::encodeDirectly(*preview->bitmap(), 50));
        benchmark::DoNotOptimize(zt::bench::encodeDirectly(*picture.bitmap(), 100));
    }
}

// The storing part alone: the captured picture's three files.
void StoreCapturedPicture(benchmark::State& state)
{
    CaptureRig rig;
    if (!rig.shoot())
        state.SkipWithError("no picture");
    zt::ImageProducer producer(rig.project);
    for (auto _ : state) {
        if (!producer.storeImage(*rig.delegate->last, "again"))
            state.SkipWithError("not stored");
    }
}

class CountingDelegate : public plat::CaptureVideoDataOutputSampleBufferDelegate {
public:
    void captureOutput(
        plat::CaptureOutput&, const std::shared_ptr<const plat::SampleBuffer>&, plat::CaptureConnection&) override
    {
        arrived.signal();
    }
    plat::Semaphore arrived;
};

void PreviewFramesPerSecond(benchmark::State& state)
{
    BenchDevice device(1280, 720);
    auto session = plat::CaptureSession::create();
    auto input = plat::CaptureDeviceInput::deviceInputWithDevice(
        plat::CaptureDevice::defaultDeviceWithMediaType(plat::kMediaTypeVideo));
    if (!input.ok())
        std::abort();
    auto output = std::make_shared<plat::CaptureVideoDataOutput>();
    auto delegate = std::make_shared<CountingDelegate>();
    auto queue = plat::DispatchQueue::create("bench.camera");
    output->setSampleBufferDelegate(delegate, queue);
    session->setSessionPreset(plat::kCaptureSessionPreset1280x720);
    session->addInput(input.value());
    session->addOutput(output);
    session->startRunning();
    for (auto _ : state) {
        device.nextFrame();
        if (!delegate->arrived.wait(30)) {
            state.SkipWithError("no picture");
            break;
        }
        queue->sync([] {});  // returned, so the next picture is not late
    }
    session->stopRunning();
    state.counters["frames_per_second"]
        = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

const zt::bench::Comparison kCapture("CaptureToStored", "DirectLibjpegTurbo");

}  // namespace

BENCHMARK(CaptureToStored)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DirectLibjpegTurbo)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(StoreCapturedPicture)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PreviewFramesPerSecond)->Unit(benchmark::kMillisecond)->UseRealTime();
