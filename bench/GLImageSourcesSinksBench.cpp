// The pipeline's camera source and movie sink at 1280 x 720.
//
// CameraSepiaDisplayView: a 1280 x 720 virtual camera through the sepia
// filter into a display view filling a phone's screen on its side (568 x 320
// points at the screen's scale, 1136 x 640 pixels at 2), which reads its
// picture back for the layer as the stand-in's display does. The camera's clock is a
// manual one moved one frame a round, and each round waits until the view
// has the frame: frames_per_second is what the machine can do (the goal is
// at least 30 on llvmpipe), not the camera's frame rate. Twice: as the
// camera chooses (full-range YUV planes, converted to RGB on the GPU) and
// with its output made to give BGRA (uploaded as it is).
//
// MovieWriterOurs / MovieWriterFFmpeg: 300 frames of 1280 x 720 BGRA written
// as an H.264 QuickTime movie at 30 frames per second, beside the ffmpeg
// command doing the same from the same raw frames. Both encode with libx264
// through libavcodec at the same settings (High profile, x264's defaults for
// rate control, B-frames and preset, as many threads as the machine has,
// 4:2:0 video range); ours uploads each frame, draws it at the movie's size,
// reads it back and converts it, ffmpeg reads it from a file in the page
// cache and converts it. Before timing, ffprobe reads both movies and they
// must agree in frame count, size and profile. The processor seconds of
// each side are compared too: on a shared machine they follow the work more
// than the time does.
#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "BenchRatio.h"
#include "CameraBenchSupport.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageMovieWriter.h"
#include "glimage/GLImageSepiaFilter.h"
#include "glimage/GLImageTextureInput.h"
#include "glimage/GLImageVideoCamera.h"
#include "glimage/GLImageView.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/Semaphore.h"
#include "platform/media/AssetWriter.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/capture/CaptureDevice.h"
#include "platform/media/capture/CaptureDeviceFolder.h"
#include "platform/media/capture/CaptureSession.h"
#include "platform/media/capture/CaptureVideoDataOutput.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kCameraRate = 32;
constexpr int64_t kCameraYUV = 0;
constexpr int64_t kCameraBGRA = 1;
constexpr int kMovieFrames = 300;
constexpr int kMovieRate = 30;
constexpr int kDistinctFrames = 10;
constexpr size_t kFrameBytes = size_t(kWidth) * kHeight * 4;

using SteadyClock = std::chrono::steady_clock;

// A temporary sandbox with one 1280 x 720 virtual camera on a manual clock.
class BenchDevice : public zt::bench::BenchCameraDevice {
public:
    BenchDevice()
        : BenchCameraDevice(
            zt::bench::virtualBackCamera(plat::CaptureDeviceKind::TestPattern, kWidth, kHeight, kCameraRate),
            "zt-glimage-bench")
    {
    }
};

using zt::bench::SignallingTarget;

void CameraSepiaDisplayView(benchmark::State& state)
{
    BenchDevice device;
    auto camera = zt::GLImageVideoCamera::initWithSessionPreset(
        plat::kCaptureSessionPreset1280x720, plat::CaptureDevicePosition::Back);
    if (!camera) {
        state.SkipWithError("no camera");
        return;
    }
    if (state.range(0) == kCameraBGRA) {
        for (const auto& output : camera->captureSession()->outputs()) {
            if (auto video = std::dynamic_pointer_cast<plat::CaptureVideoDataOutput>(output))
                video->setVideoSettings(plat::Dictionary {
                    {plat::kCVPixelBufferPixelFormatTypeKey, int64_t {plat::kPixelFormatType_32BGRA}}});
        }
    }
    state.SetLabel(state.range(0) == kCameraBGRA ? "BGRA" : "YUV 420f");
    auto sepia = std::make_shared<zt::GLImageSepiaFilter>();
    auto view = std::make_shared<zt::GLImageView>(plat::makeRect(0, 0, 568, 320));
    auto shown = std::make_shared<SignallingTarget>();
    camera->addTarget(sepia);
    // The view first: a frame has been shown when the signal comes.
    sepia->addTarget(view);
    sepia->addTarget(shown);
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
    sepia->removeAllTargets();
    state.counters["frames_per_second"]
        = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// Ten BGRA frames of shaded stripes, texture and a moving disc, looped to 300.
const std::vector<std::vector<uint8_t>>& distinctFrames()
{
    static const std::vector<std::vector<uint8_t>> frames = [] {
        std::vector<std::vector<uint8_t>> made(kDistinctFrames, std::vector<uint8_t>(kFrameBytes));
        for (int f = 0; f < kDistinctFrames; ++f) {
            uint8_t* p = made[size_t(f)].data();
            const int discX = 240 + f * 80;
            for (int y = 0; y < kHeight; ++y) {
                for (int x = 0; x < kWidth; ++x, p += 4) {
                    const bool disc = (x - discX) * (x - discX) + (y - 360) * (y - 360) < 150 * 150;
                    const uint8_t stripe = uint8_t(((x / 40 + y / 30) % 2) * 120 + (x * y + f) % 17);
                    p[0] = disc ? 230 : stripe;
                    p[1] = disc ? 210 : uint8_t(60 + (x + f * 7) % 90);
                    p[2] = disc ? 40 : uint8_t(255 - stripe);
                    p[3] = 255;
                }
            }
        }
        return made;
    }();
    return frames;
}

// The frames as one raw file for ffmpeg, and a folder for both movies.
class MovieFiles {
public:
    static MovieFiles& shared()
    {
        static MovieFiles files;
        return files;
    }
    ~MovieFiles() { (void)plat::removeItem(folder); }
    std::string folder;
    std::string rawFrames;

private:
    MovieFiles()
    {
        folder = "/tmp/zt-movie-writer-bench-XXXXXX";
        if (::mkdtemp(folder.data()) == nullptr)
            std::abort();
        rawFrames = folder + "/frames.bgra";
        FILE* file = std::fopen(rawFrames.c_str(), "wb");
        if (!file)
            std::abort();
        for (const auto& frame : distinctFrames())
            std::fwrite(frame.data(), 1, frame.size(), file);
        std::fclose(file);
    }
};

double processorSeconds(int who)
{
    rusage usage {};
    ::getrusage(who, &usage);
    auto seconds = [](const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Seconds to write the 300 frames through the movie writer into path.
std::optional<double> writeOurMovie(const std::string& path)
{
    (void)plat::removeItem(path);
    uint32_t texture = 0;
    zt::runSynchronouslyOnContextQueue([&] {
        zt::GLImageContext::useImageProcessingContext();
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glBindTexture(GL_TEXTURE_2D, 0);
    });
    const auto start = SteadyClock::now();
    // Offline: every frame waits for the encoder rather than being dropped.
    auto writer = zt::GLImageMovieWriter::initWithMovieURL(plat::URL::fileURLWithPath(path), {kWidth, kHeight},
        plat::kFileTypeQuickTimeMovie,
        plat::Dictionary {{plat::kVideoCodecKey, plat::kVideoCodecH264}, {plat::kVideoWidthKey, kWidth},
            {plat::kVideoHeightKey, kHeight}, {zt::kEncodingLiveVideoKey, false}});
    auto input = std::make_shared<zt::GLImageTextureInput>(texture, plat::Size {kWidth, kHeight});
    input->addTarget(writer);
    writer->startRecording();
    const auto& frames = distinctFrames();
    for (int i = 0; i < kMovieFrames; ++i) {
        zt::runSynchronouslyOnContextQueue([&] {
            zt::GLImageContext::useImageProcessingContext();
            glBindTexture(GL_TEXTURE_2D, texture);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kWidth, kHeight, 0, GL_BGRA_EXT, GL_UNSIGNED_BYTE,
                frames[size_t(i % kDistinctFrames)].data());
            glBindTexture(GL_TEXTURE_2D, 0);
        });
        input->processTextureWithFrameTime(plat::MediaTime::make(i, kMovieRate));
    }
    plat::Semaphore finished;
    writer->finishRecordingWithCompletionHandler([&] { finished.signal(); });
    const bool done = finished.wait(600);
    const double seconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
    input->removeAllTargets();
    zt::runSynchronouslyOnContextQueue([&] { glDeleteTextures(1, &texture); });
    if (!done || !writer->assetWriter() || writer->assetWriter()->status() != plat::AssetWriterStatus::Completed)
        return std::nullopt;
    return seconds;
}

std::string quoted(const std::string& path)
{
    return "'" + path + "'";
}

std::string ffmpegCommand(const std::string& path)
{
    return "ffmpeg -hide_banner -nostdin -v error -y -f rawvideo -pix_fmt bgra -s " + std::to_string(kWidth) + "x"
        + std::to_string(kHeight) + " -framerate " + std::to_string(kMovieRate) + " -stream_loop "
        + std::to_string(kMovieFrames / kDistinctFrames - 1) + " -i " + quoted(MovieFiles::shared().rawFrames)
        + " -an -c:v libx264 -profile:v high -pix_fmt yuv420p -color_range tv -colorspace smpte170m "
          "-color_primaries smpte170m -color_trc smpte170m "
        + quoted(path);
}

std::optional<double> writeFFmpegMovie(const std::string& path)
{
    const auto start = SteadyClock::now();
    const int result = std::system(ffmpegCommand(path).c_str());
    const double seconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
    if (result != 0)
        return std::nullopt;
    return seconds;
}

std::string describeMovie(const std::string& path)
{
    const std::string command = "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                "stream=nb_read_frames,width,height,profile -of csv=p=0 "
        + quoted(path);
    std::string description;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            description += buffer;
        ::pclose(pipe);
    }
    return description;
}

// Both movies once, before anything is timed: they must agree.
bool moviesAgree(benchmark::State& state)
{
    static bool checked = false;
    if (checked)
        return true;
    const auto& files = MovieFiles::shared();
    const std::string ours = files.folder + "/ours.mov";
    const std::string theirs = files.folder + "/ffmpeg.mov";
    if (!writeOurMovie(ours) || !writeFFmpegMovie(theirs)) {
        state.SkipWithError("a movie could not be written");
        return false;
    }
    const std::string mine = describeMovie(ours);
    const std::string reference = describeMovie(theirs);
    if (mine.empty() || mine != reference || mine.find(std::to_string(kMovieFrames)) == std::string::npos) {
        state.SkipWithError(("the two movies differ: ours " + mine + ", ffmpeg's " + reference).c_str());
        return false;
    }
    checked = true;
    return true;
}

void MovieWriterOurs(benchmark::State& state)
{
    if (!moviesAgree(state))
        return;
    const std::string path = MovieFiles::shared().folder + "/ours.mov";
    const double processorBefore = processorSeconds(RUSAGE_SELF);
    for (auto _ : state) {
        auto seconds = writeOurMovie(path);
        if (!seconds) {
            state.SkipWithError("the movie was not written");
            return;
        }
        state.SetIterationTime(*seconds);
    }
    state.counters["processor_s"] = processorSeconds(RUSAGE_SELF) - processorBefore;
}

void MovieWriterFFmpeg(benchmark::State& state)
{
    if (!moviesAgree(state))
        return;
    const std::string path = MovieFiles::shared().folder + "/ffmpeg.mov";
    const double processorBefore = processorSeconds(RUSAGE_CHILDREN);
    for (auto _ : state) {
        auto seconds = writeFFmpegMovie(path);
        if (!seconds) {
            state.SkipWithError("the ffmpeg command failed");
            return;
        }
        state.SetIterationTime(*seconds);
    }
    state.counters["processor_s"] = processorSeconds(RUSAGE_CHILDREN) - processorBefore;
}

const zt::bench::Comparison kMovieWriter("MovieWriterOurs", "MovieWriterFFmpeg");
const zt::bench::Comparison kMovieWriterProcessor("MovieWriterOurs", "MovieWriterFFmpeg", "processor_s");

}  // namespace

BENCHMARK(CameraSepiaDisplayView)
    ->Arg(kCameraYUV)
    ->Arg(kCameraBGRA)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3.0);
BENCHMARK(MovieWriterOurs)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(5);
BENCHMARK(MovieWriterFFmpeg)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(5);
