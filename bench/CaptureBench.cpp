// Capture: from the shutter of the local camera on a 1920 x 1080 virtual
// camera to the frame's three pictures stored in the project, beside the
// same work done with the libraries directly; and the pictures a second
// that a 1280 x 720 virtual camera delivers through a video data output.
//
// Ours (CaptureToStored): the shutter; the camera's next picture (FFmpeg's
// lavfi test source, BGRA) taken on the camera's queue, handed to the
// source's video data output and made into the picture (and shown by the
// preview layer, which the reference has no need of: both share the
// camera's memory, nothing is copied); then ImageProducer::storeImage:
// thumbnail and preview scaled and cropped, the three JPEGs encoded and
// written through the project's atomic writes.
//
// The reference (CaptureDirect) does the same work without the app: the
// next picture of the same test source read through libavdevice and
// decoded, then the three files stored as DirectFrameStore.h says (the same
// resampler, libjpeg-turbo at the same qualities, the same temporary files,
// flushes and renames, the same three threads). Before timing, the
// reference stores the picture that ours captured and the files of both
// sides are compared byte for byte.
//
// The camera's clock is a manual one that each round moves by one frame, so
// the figures are what the machine can do, not the camera's frame rate.
// The flushes take most of the time on a busy disk; with TMPDIR=/dev/shm
// (where a flush costs nothing) the rest shows more steadily.
// EncodeOnlyLibjpegTurbo, the three encodes alone on one thread into
// memory, is there for scale only (no picture taken, nothing scaled or
// written): it was this benchmark's reference before, and its ratio is
// still printed.
//
// The pair is also split in two, each half beside its reference: the
// camera's part (CaptureOnly: shutter to picture in the delegate, against
// DirectCameraOnly: the next picture read and decoded) and the storing part
// (StoreCapturedPicture against StoreDirect, both storing the one captured
// picture). The camera's part reads the same libavdevice source on both
// sides, so its difference is the hand-overs between the camera's queues
// and the preview layer's share of each picture.
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
}

#include "BenchRatio.h"
#include "DirectFrameStore.h"
#include "JpegReference.h"
#include "capture/CaptureLocalCamera.h"
#include "document/DataManager.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "document/ProjectsList.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
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

// A device folder in a new temporary sandbox (in TMPDIR, /tmp by default),
// with one virtual camera, on a manual clock; all undone at the end.
class BenchDevice {
public:
    BenchDevice(int width, int height)
    {
        const char* base = std::getenv("TMPDIR");
        std::string root = plat::appendingPathComponent(base && *base ? base : "/tmp", "zt-capture-bench-XXXXXX");
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
        stored = image && (!storing || _producer.storeImage(*image, "bench"));
        last = image;
        done.signal();
    }
    plat::Semaphore done;
    bool storing = true;
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
    bool shoot(benchmark::State* timed = nullptr)
    {
        camera->captureImage();
        device.nextFrame();
        bool stored = delegate->done.wait(30) && delegate->stored;
        // The callback has returned before the next shot: a picture that
        // came while it ran would be dropped as late. The wait is the
        // harness's, not the capture's, so it is left out of the time.
        if (timed)
            timed->PauseTiming();
        camera->videoDataOutput()->sampleBufferCallbackQueue()->sync([] {});
        if (timed)
            timed->ResumeTiming();
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
        if (!rig.shoot(&state)) {
            state.SkipWithError("the picture was not stored");
            break;
        }
    }
}

void EncodeOnlyLibjpegTurbo(benchmark::State& state)
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

struct FormatContextCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecContextFreer {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFreer {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

// The reference's camera: the test source of the virtual camera, read and
// decoded one picture at a time through libavdevice.
class DirectCamera {
public:
    DirectCamera(int width, int height)
    {
        avdevice_register_all();
        const std::string source
            = "testsrc2=size=" + std::to_string(width) + "x" + std::to_string(height) + ":rate=32,format=bgra";
        AVFormatContext* opened = nullptr;
        if (avformat_open_input(&opened, source.c_str(), av_find_input_format("lavfi"), nullptr) < 0)
            return;
        _format.reset(opened);
        _stream = av_find_best_stream(_format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (_stream < 0)
            return;
        const AVCodecParameters* parameters = _format->streams[_stream]->codecpar;
        const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
        _decoder.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
        if (!_decoder || avcodec_parameters_to_context(_decoder.get(), parameters) < 0
            || avcodec_open2(_decoder.get(), codec, nullptr) < 0)
            _decoder.reset();
    }

    // The next picture as a bitmap over the decoded frame's memory, good
    // until the next call; nullptr when there is none.
    std::shared_ptr<plat::Bitmap> nextPicture()
    {
        if (!_decoder)
            return nullptr;
        av_frame_unref(_frame.get());
        while (avcodec_receive_frame(_decoder.get(), _frame.get()) == AVERROR(EAGAIN)) {
            if (av_read_frame(_format.get(), _packet.get()) < 0)
                return nullptr;
            if (_packet->stream_index == _stream)
                avcodec_send_packet(_decoder.get(), _packet.get());
            av_packet_unref(_packet.get());
        }
        if (_frame->format != AV_PIX_FMT_BGRA)
            return nullptr;
        std::shared_ptr<const uint8_t> pixels(_frame->data[0], [](const uint8_t*) {});
        auto bitmap = plat::Bitmap::sharing(_frame->width, _frame->height, plat::PixelOrder::BGRA,
            static_cast<size_t>(_frame->linesize[0]), std::move(pixels));
        if (bitmap)
            bitmap->setOpaque(true);
        return bitmap;
    }

private:
    std::unique_ptr<AVFormatContext, FormatContextCloser> _format;
    std::unique_ptr<AVCodecContext, CodecContextFreer> _decoder;
    std::unique_ptr<AVFrame, FrameFreer> _frame {av_frame_alloc()};
    std::unique_ptr<AVPacket, PacketFreer> _packet {av_packet_alloc()};
    int _stream = -1;
};

// The camera's part alone: from the shutter to the picture in the delegate.
void CaptureOnly(benchmark::State& state)
{
    CaptureRig rig;
    rig.delegate->storing = false;
    for (auto _ : state) {
        if (!rig.shoot(&state)) {
            state.SkipWithError("no picture");
            break;
        }
    }
}

void DirectCameraOnly(benchmark::State& state)
{
    DirectCamera camera(1920, 1080);
    for (auto _ : state) {
        if (!camera.nextPicture()) {
            state.SkipWithError("no picture");
            break;
        }
    }
}

std::string sameFilesOnBothSides(const std::string& ours, const std::string& direct)
{
    for (const char* name : {"thumb-bench.jpg", "preview-bench.jpg", "frame-bench.jpg"}) {
        auto a = plat::readFile(ours + "/" + name);
        auto b = plat::readFile(direct + "/" + name);
        if (!a.ok() || !b.ok() || a.value().empty())
            return std::string(name) + " is missing";
        if (a.value() != b.value())
            return std::string(name) + " differs";
    }
    return {};
}

void CaptureDirect(benchmark::State& state)
{
    CaptureRig rig;
    const std::string folder = plat::Sandbox::current()->root() + "/direct";
    if (!rig.shoot() || !plat::createDirectory(folder, plat::IntermediateDirectories::No).ok()) {
        state.SkipWithError("no picture");
        return;
    }
    // Both sides store the same picture alike, or the pair compares nothing.
    zt::bench::DirectFrameStore store;
    if (!store.store(*rig.delegate->last->bitmap(), folder, "bench")) {
        state.SkipWithError("the direct store failed");
        return;
    }
    if (auto difference = sameFilesOnBothSides(*rig.project->getProjectPath(), folder); !difference.empty()) {
        state.SkipWithError(("the two sides store different files: " + difference).c_str());
        return;
    }
    DirectCamera camera(1920, 1080);
    for (auto _ : state) {
        auto picture = camera.nextPicture();
        if (!picture || !store.store(*picture, folder, "bench")) {
            state.SkipWithError("the picture was not stored");
            break;
        }
    }
}

// The storing part alone: the captured picture's three files, ours and the
// reference's.
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

void StoreDirect(benchmark::State& state)
{
    CaptureRig rig;
    const std::string folder = plat::Sandbox::current()->root() + "/direct";
    if (!rig.shoot() || !plat::createDirectory(folder, plat::IntermediateDirectories::No).ok()) {
        state.SkipWithError("no picture");
        return;
    }
    zt::bench::DirectFrameStore store;
    for (auto _ : state) {
        if (!store.store(*rig.delegate->last->bitmap(), folder, "again"))
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

const zt::bench::Comparison kCapture("CaptureToStored", "CaptureDirect");
const zt::bench::Comparison kCameraOnly("CaptureOnly", "DirectCameraOnly");
const zt::bench::Comparison kStoreOnly("StoreCapturedPicture", "StoreDirect");
const zt::bench::Comparison kAgainstEncodesAlone("CaptureToStored", "EncodeOnlyLibjpegTurbo");

}  // namespace

// The flushes' times vary: each is repeated, and the medians compared.
BENCHMARK(CaptureToStored)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);
BENCHMARK(CaptureDirect)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);
BENCHMARK(CaptureOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);
BENCHMARK(DirectCameraOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);
BENCHMARK(EncodeOnlyLibjpegTurbo)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(StoreCapturedPicture)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);
BENCHMARK(StoreDirect)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);
BENCHMARK(PreviewFramesPerSecond)->Unit(benchmark::kMillisecond)->UseRealTime();
