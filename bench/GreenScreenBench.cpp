// The green screen's keyed preview at 1280 x 720, against the ffmpeg command
// keying the same frames over the same backdrop.
//
// GreenScreenPreviewOurs: the virtual green-screen camera (a figure before a
// lit green field, 1280 x 720) through the pipeline's camera, the
// chroma-key blend with a theme picture as backdrop, and the display view
// filling a phone's screen on its side (568 x 320 points, 1136 x 640 pixels),
// which reads its picture back for the layer as the stand-in's display does.
// The camera's clock is a manual one moved one frame a round, and each round
// waits until the view has the frame: frames_per_second is what the machine
// manages (the goal is at least 30 on llvmpipe).
//
// GreenScreenPreviewFFmpeg: the same camera frames (read once through the
// same camera reader and kept as raw BGRA) and the same backdrop through
// ffmpeg's chromakey (green, similarity 0.4, blend 0.1, the blend filter's
// defaults) and overlay, scaled to the view's 1136 x 640 and converted back
// to BGRA, as many frames as ours.
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
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

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kCameraRate = 32;
constexpr int kFrames = 300;
constexpr const char* kBackdropName = "background_23_bg.jpg";

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

using zt::bench::SignallingTarget;

void GreenScreenPreviewOurs(benchmark::State& state)
{
    BenchDevice device;
    auto camera = zt::GLImageVideoCamera::initWithSessionPreset(
        plat::kCaptureSessionPreset1280x720, plat::CaptureDevicePosition::Back);
    auto backdropPicture = plat::Image::imageNamed(kBackdropName);
    if (!camera || !backdropPicture) {
        state.SkipWithError("no camera or no backdrop");
        return;
    }
    auto blend = std::make_shared<zt::GLImageChromaKeyBlendFilter>();
    auto view = std::make_shared<zt::GLImageView>(plat::makeRect(0, 0, 568, 320));
    view->setFillMode(zt::fillModeAspectFill);
    auto shown = std::make_shared<SignallingTarget>();
    camera->addTarget(blend);
    zt::ChromaKeyBackdrop backdrop(blend);
    backdrop.showPicture(*backdropPicture);
    // The view first: a frame has been shown when the signal comes.
    blend->addTarget(view);
    blend->addTarget(shown);
    camera->startCameraCapture();
    for (auto _ : state) {
        device.nextFrame();
        if (!shown->arrived.wait(30)) {
            state.SkipWithError("no frame reached the view");
            break;
        }
        // The camera is free again before the next picture comes.
        zt::runSynchronouslyOnContextQueue([] {});
    }
    camera->stopCameraCapture();
    plat::RunLoop::main().drain();
    camera->removeAllTargets();
    backdrop.detach();
    blend->removeAllTargets();
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

void GreenScreenPreviewFFmpeg(benchmark::State& state)
{
    ReferenceFiles& files = ReferenceFiles::shared();
    const std::string size = std::to_string(kWidth) + "x" + std::to_string(kHeight);
    const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -f rawvideo -pix_fmt bgra -s " + size
        + " -r 32 -i '" + files.cameraFrames + "' -f rawvideo -pix_fmt bgra -s " + size + " -r 32 -stream_loop -1 -i '"
        + files.backdrop
        + "' -filter_complex '[0:v]chromakey=0x00FF00:0.4:0.1[keyed];"
          "[1:v][keyed]overlay=shortest=1,scale=1136:640,format=bgra' -frames:v "
        + std::to_string(kFrames) + " -f null -";
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const int status = std::system(command.c_str());
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (status != 0) {
            state.SkipWithError("the ffmpeg command failed");
            return;
        }
        state.SetIterationTime(elapsed.count() / kFrames);
        state.counters["frames_per_second"] = kFrames / elapsed.count();
    }
}

const zt::bench::Comparison kPreview("GreenScreenPreviewOurs", "GreenScreenPreviewFFmpeg");

}  // namespace

// Each round of ours is one frame; ffmpeg's time is given per frame too.
BENCHMARK(GreenScreenPreviewOurs)->Iterations(kFrames)->Repetitions(3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(GreenScreenPreviewFFmpeg)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);
