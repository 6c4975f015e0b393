// The green screen's keyed preview at 1280 x 720, against the ffmpeg command
// keying the same frames over the same backdrop.
//
// GreenScreenPreviewOurs: the virtual green-screen camera (a figure before a
// lit green field, 1280 x 720) through the pipeline's camera, the
// chroma-key blend with a theme picture as backdrop, and the display view
// filling a phone's screen on its side (568 x 320 points, 1136 x 640 pixels),
// which reads its picture back for the layer as the stand-in's display does.
// The camera's clock is a manual one moved one frame a round, and each round
// waits until the view has the frame. A round's time runs from the moment
// the pipeline takes up the camera's picture to the view's present: the
// virtual camera's own work (drawing the scene through FFmpeg's filters,
// converting it for the video output), which a real camera does in its own
// hardware and the reference reads ready-made from a file, is left out.
// frames_per_second is what the pipeline manages (the goal is at least 30
// on llvmpipe).
//
// GreenScreenPreviewFFmpeg: the same camera frames (read once through the
// same camera reader and kept as raw BGRA) and the same backdrop through
// ffmpeg's chromakey and overlay with the blend filter's key (green,
// threshold 0.4, edge 0.1, see kReferenceChain), scaled to the view's
// 1136 x 640 and converted back to BGRA, as many frames as ours.
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

#include "BenchRatio.h"
#include "CameraBenchSupport.h"
#include "glimage/GLImageChromaKeyBlendFilter.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageVideoCamera.h"
#include "glimage/GLImageView.h"
#include "greenscreen/ChromaKeyBackdrop.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/Semaphore.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/media/capture/CaptureDevice.h"
#include "platform/media/capture/CaptureDeviceFolder.h"
#include "platform/media/capture/CaptureFrameReader.h"
#include "platform/ui/Layer.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kCameraRate = 32;
constexpr int kFrames = 300;
constexpr const char* kBackdropName = "background_23_bg.jpg";
// The display view's picture: a phone's screen on its side.
constexpr int kViewWidth = 1136;
constexpr int kViewHeight = 640;
// The reference keys in full-range Y'CbCr 4:4:4 (chromakey measures the
// key colour's chroma so, and ours keys every pixel), with our threshold
// 0.4 and edge 0.1 divided by sqrt(2): chromakey scales its chroma distance
// into 0..1 by 255 x sqrt(2), ours does not. It blends in RGB, as ours
// does, and scales bilinearly to the view.
constexpr const char* kReferenceChain
    = "[0:v]scale=out_range=full,format=yuva444p,chromakey=0x00FF00:0.28284:0.070711[keyed];"
      "[1:v][keyed]overlay=format=rgb:shortest=1,scale=1136:640:flags=bilinear,format=bgra";
// Both sides' pictures of the first frames are compared before the
// reference is timed. The keyers ramp differently across their edges (ours
// a Hermite step on each pixel, chromakey linearly on the mean of a 3 x 3
// neighbourhood), and the scalers differ (the view samples two pixels a
// side, swscale's bilinear weighs more), which shows in the backdrop's fine
// detail: a few pixels land far apart, the rest within a level. A keyer
// set a little off (0.4 and 0.1 as given, or an edge moved by a fifth)
// already puts them 5 levels apart on average, 6% of the pixels far apart.
constexpr int kComparedFrames = 30;
constexpr int kFarApartLevels = 16;
constexpr double kMostMeanLevelsApart = 1.0;
constexpr double kMostShareFarApart = 0.02;

// A temporary sandbox with the green-screen camera on a manual clock.
class BenchDevice : public zt::bench::BenchCameraDevice {
public:
    BenchDevice()
        : BenchCameraDevice(
            zt::bench::virtualBackCamera(plat::CaptureDeviceKind::GreenScreen, kWidth, kHeight, kCameraRate),
            "zt-greenscreen-bench")
    {
    }
};

using SteadyClock = std::chrono::steady_clock;

// Marks when the pipeline takes up a camera picture, on the context queue:
// the camera (drawing the virtual scene, converting it for the video
// output) has done its part by then.
class PipelineStart : public zt::GLImageVideoCameraDelegate {
public:
    void willOutputSampleBuffer(const std::shared_ptr<const plat::SampleBuffer>&) override
    {
        _at = SteadyClock::now().time_since_epoch().count();
    }
    SteadyClock::time_point at() const { return SteadyClock::time_point(SteadyClock::duration(_at.load())); }

private:
    std::atomic<SteadyClock::rep> _at {0};
};

// Says when a frame has reached it (behind the view: the view has drawn
// and presented it by then), and marks the moment on the context queue.
class ShownTarget : public zt::bench::SignallingTarget {
public:
    void newFrameReadyAtTime(const plat::MediaTime& time, int64_t index) override
    {
        _at = SteadyClock::now().time_since_epoch().count();
        SignallingTarget::newFrameReadyAtTime(time, index);
    }
    SteadyClock::time_point at() const { return SteadyClock::time_point(SteadyClock::duration(_at.load())); }

private:
    std::atomic<SteadyClock::rep> _at {0};
};

// The keyed preview: the green-screen camera, the blend over the backdrop
// and the display view, on a device of its own.
class KeyedPreview {
public:
    KeyedPreview()
        : _camera(zt::GLImageVideoCamera::initWithSessionPreset(
            plat::kCaptureSessionPreset1280x720, plat::CaptureDevicePosition::Back))
    {
        auto backdropPicture = plat::Image::imageNamed(kBackdropName);
        if (!_camera || !backdropPicture)
            return;
        _view->setFillMode(zt::fillModeAspectFill);
        _camera->setDelegate(_start);
        _camera->addTarget(_blend);
        _backdrop.showPicture(*backdropPicture);
        // The view first: a frame has been shown when the signal comes.
        _blend->addTarget(_view);
        _blend->addTarget(_shown);
        _camera->startCameraCapture();
        _ready = true;
    }
    ~KeyedPreview()
    {
        if (!_camera)
            return;
        _camera->stopCameraCapture();
        plat::RunLoop::main().drain();
        _camera->removeAllTargets();
        _backdrop.detach();
        _blend->removeAllTargets();
    }
    KeyedPreview(const KeyedPreview&) = delete;
    KeyedPreview& operator=(const KeyedPreview&) = delete;

    bool isReady() const { return _ready; }

    // Moves the camera's clock one frame on; the seconds the pipeline took
    // over the new frame, from the camera's hand-over to the view's
    // present, or none when no frame reached the view.
    std::optional<double> showNextFrame()
    {
        _device.nextFrame();
        if (!_shown->arrived.wait(30))
            return std::nullopt;
        // The camera is free again before the next picture comes.
        zt::runSynchronouslyOnContextQueue([] {});
        return std::chrono::duration<double>(_shown->at() - _start->at()).count();
    }

    // What the view shows: presents reach the layer through the main queue.
    std::shared_ptr<const plat::Bitmap> shownPicture()
    {
        plat::RunLoop::main().drain();
        const auto& contents = _view->layer()->contents();
        return contents ? contents->bitmap() : nullptr;
    }

private:
    BenchDevice _device;
    std::shared_ptr<zt::GLImageVideoCamera> _camera;
    std::shared_ptr<zt::GLImageChromaKeyBlendFilter> _blend = std::make_shared<zt::GLImageChromaKeyBlendFilter>();
    zt::ChromaKeyBackdrop _backdrop {_blend};
    std::shared_ptr<zt::GLImageView> _view = std::make_shared<zt::GLImageView>(plat::makeRect(0, 0, 568, 320));
    std::shared_ptr<PipelineStart> _start = std::make_shared<PipelineStart>();
    std::shared_ptr<ShownTarget> _shown = std::make_shared<ShownTarget>();
    bool _ready = false;
};

void GreenScreenPreviewOurs(benchmark::State& state)
{
    KeyedPreview preview;
    if (!preview.isReady()) {
        state.SkipWithError("no camera or no backdrop");
        return;
    }
    for (auto _ : state) {
        auto seconds = preview.showNextFrame();
        if (!seconds) {
            state.SkipWithError("no frame reached the view");
            break;
        }
        state.SetIterationTime(*seconds);
    }
    state.counters["frames_per_second"]
        = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// The camera's frames and the backdrop as raw BGRA files for ffmpeg.
class ReferenceFiles {
public:
    static ReferenceFiles& shared()
    {
        static ReferenceFiles files;
        return files;
    }
    ~ReferenceFiles() { (void)plat::removeItem(folder); }
    std::string folder;
    std::string cameraFrames;
    std::string backdrop;

private:
    ReferenceFiles()
    {
        folder = "/tmp/zt-greenscreen-reference-XXXXXX";
        if (::mkdtemp(folder.data()) == nullptr)
            std::abort();
        cameraFrames = folder + "/camera.bgra";
        backdrop = folder + "/backdrop.bgra";
        auto reader = plat::detail::CaptureFrameReader::open(
            zt::bench::virtualBackCamera(plat::CaptureDeviceKind::GreenScreen, kWidth, kHeight, kCameraRate), kWidth,
            kHeight);
        FILE* frames = std::fopen(cameraFrames.c_str(), "wb");
        if (!reader.ok() || !frames)
            std::abort();
        for (int i = 0; i < kFrames; ++i) {
            auto frame = reader.value()->readFrame();
            if (!frame.pixelBuffer)
                std::abort();
            plat::PixelBuffer& pixels = *frame.pixelBuffer;
            pixels.lockBaseAddress(plat::PixelBufferLock::ReadOnly);
            for (int y = 0; y < kHeight; ++y)
                std::fwrite(pixels.baseAddress() + size_t(y) * pixels.bytesPerRow(), 4, kWidth, frames);
            pixels.unlockBaseAddress(plat::PixelBufferLock::ReadOnly);
        }
        std::fclose(frames);
        auto picture = plat::Image::imageNamed(kBackdropName);
        FILE* back = std::fopen(backdrop.c_str(), "wb");
        if (!picture || !back)
            std::abort();
        const plat::Bitmap& bitmap = *picture->bitmap();
        std::vector<uint8_t> bgra(size_t(bitmap.width()) * bitmap.height() * 4);
        bitmap.copyPixelsTo(bgra.data(), plat::PixelOrder::BGRA);
        std::fwrite(bgra.data(), 1, bgra.size(), back);
        std::fclose(back);
    }
};

// The reference over the first frames, its pictures to output (ffmpeg's
// output options and name).
std::string referenceCommand(int frames, const std::string& output)
{
    ReferenceFiles& files = ReferenceFiles::shared();
    const std::string size = std::to_string(kWidth) + "x" + std::to_string(kHeight);
    return "ffmpeg -nostdin -hide_banner -loglevel error -f rawvideo -pix_fmt bgra -s " + size + " -r 32 -i '"
        + files.cameraFrames + "' -f rawvideo -pix_fmt bgra -s " + size + " -r 32 -stream_loop -1 -i '" + files.backdrop
        + "' -filter_complex '" + kReferenceChain + "' -frames:v " + std::to_string(frames) + " " + output;
}

struct Agreement {
    std::string disagreement;  // empty when both sides agree
    int mostLevelsApart = 0;
    double meanLevelsApart = 0;
    double shareFarApart = 0;  // of the pixels, a component more than kFarApartLevels off
};

// Both sides' pictures of the first frames, compared once a run before the
// reference is timed.
Agreement compareBothSides()
{
    const std::string output = ReferenceFiles::shared().folder + "/keyed.bgra";
    if (std::system(referenceCommand(kComparedFrames, "-f rawvideo '" + output + "'").c_str()) != 0)
        return {"the ffmpeg command failed"};
    auto theirs = plat::readFile(output);
    const size_t frameBytes = size_t(kViewWidth) * kViewHeight * 4;
    if (!theirs.ok() || theirs.value().size() != frameBytes * kComparedFrames)
        return {"ffmpeg gave no pictures of the view's size"};

    KeyedPreview preview;
    if (!preview.isReady())
        return {"no camera or no backdrop"};
    std::vector<uint8_t> ours(frameBytes);
    int most = 0;
    uint64_t sum = 0;
    uint64_t farApart = 0;
    for (int f = 0; f < kComparedFrames; ++f) {
        auto shown = preview.showNextFrame() ? preview.shownPicture() : nullptr;
        if (!shown || shown->width() != kViewWidth || shown->height() != kViewHeight)
            return {"the view showed no picture of its size for frame " + std::to_string(f)};
        shown->copyPixelsTo(ours.data(), plat::PixelOrder::BGRA);
        const uint8_t* their = theirs.value().data() + frameBytes * size_t(f);
        for (size_t i = 0; i < frameBytes; i += 4) {
            int pixelApart = 0;
            for (size_t c = 0; c < 3; ++c)
                pixelApart = std::max(pixelApart, std::abs(int(ours[i + c]) - int(their[i + c])));
            for (size_t c = 0; c < 3; ++c)
                sum += uint64_t(std::abs(int(ours[i + c]) - int(their[i + c])));
            most = std::max(most, pixelApart);
            farApart += pixelApart > kFarApartLevels ? 1 : 0;
            std::fprintf(stderr, "x%zu y%zu ours %d %d %d theirs %d %d %d\n", (i / 4) % kViewWidth,
                (i / 4) / kViewWidth, ours[i + 2], ours[i + 1], ours[i], their[i + 2], their[i + 1], their[i]);
        }
    }
    const double pixels = double(kViewWidth) * kViewHeight * kComparedFrames;
    Agreement agreement {{}, most, double(sum) / (pixels * 3), double(farApart) / pixels};
    if (agreement.meanLevelsApart > kMostMeanLevelsApart || agreement.shareFarApart > kMostShareFarApart)
        agreement.disagreement = "the pictures differ: " + std::to_string(agreement.meanLevelsApart)
            + " levels on average, " + std::to_string(agreement.shareFarApart * 100) + "% of the pixels by more than "
            + std::to_string(kFarApartLevels);
    return agreement;
}

void GreenScreenPreviewFFmpeg(benchmark::State& state)
{
    static const Agreement agreement = compareBothSides();
    if (!agreement.disagreement.empty()) {
        state.SkipWithError(agreement.disagreement.c_str());
        return;
    }
    const std::string command = referenceCommand(kFrames, "-f null -");
    for (auto _ : state) {
        const auto start = SteadyClock::now();
        const int status = std::system(command.c_str());
        const std::chrono::duration<double> elapsed = SteadyClock::now() - start;
        if (status != 0) {
            state.SkipWithError("the ffmpeg command failed");
            return;
        }
        state.SetIterationTime(elapsed.count() / kFrames);
        state.counters["frames_per_second"] = kFrames / elapsed.count();
    }
    state.counters["levels_apart"] = agreement.mostLevelsApart;
    state.counters["mean_levels_apart"] = agreement.meanLevelsApart;
    state.counters["share_far_apart"] = agreement.shareFarApart;
}

const zt::bench::Comparison kPreview("GreenScreenPreviewOurs", "GreenScreenPreviewFFmpeg");

}  // namespace

// Each round of ours is one frame; ffmpeg's time is given per frame too.
BENCHMARK(GreenScreenPreviewOurs)->Iterations(kFrames)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(GreenScreenPreviewFFmpeg)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);
