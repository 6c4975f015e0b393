// Keying a 1280 x 720 camera picture against a backdrop, frame by frame: the
// chroma-key blend on the GL pipeline (llvmpipe, all cores) against the
// ffmpeg command a user would otherwise run (colorkey and overlay, slice
// threads, all cores), on the same 300 frames.
//
// Both sides do the same work. Each camera frame comes from CPU memory (ours:
// written into a pixel buffer that is handed to the blend as a camera
// delivering BGRA frames hands it, one upload, into the blend's output where
// the driver reads framebuffers in shaders, else through the texture cache;
// ffmpeg: read from a file that sits in the page cache). The backdrop is
// decoded once and reused (ours: the picture's texture; ffmpeg: the loop
// filter repeats its one frame). Keying and blending happen in packed 8-bit
// RGB from end to end; overlay blends RGB in packed BGRA, so a planar
// backdrop (gbrap) would be converted back to BGRA on every frame. A check
// before the reference is timed asks ffmpeg's verbose log to show that no
// conversion was inserted, and the two outputs to agree within two levels in
// every byte. The keyed frame comes back to CPU memory (ours: read back into
// a bitmap; ffmpeg: handed to the null muxer, which takes it as it stands).
//
// The two keyers differ in formula: ours measures the distance from the key
// colour in the Cb-Cr plane with luma left out and ramps with a Hermite step;
// colorkey measures it in RGB, luma included, scaled to 0..1 by sqrt(3) x 255,
// and ramps linearly. Their thresholds are matched along the key colour's own
// shades, (0, g, 0), a green screen in light and shadow: there ours is
// (1 - g) x |chroma of green| = (1 - g) x 0.53361, colorkey's (1 - g) / sqrt(3),
// so our threshold 0.4 and edge 0.1 become 0.4328 and 0.1082. The frames keep
// every pixel outside both edges (the screen well inside both thresholds, the
// figure well beyond both edges), where the two formulas give the same picture.
#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "BenchRatio.h"
#include "glimage/GLImageChromaKeyBlendFilter.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImagePicture.h"
#include "platform/gl/GLTextureCache.h"
#include "platform/graphics/PixelBuffer.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kDistinctFrames = 30;
constexpr int kLoops = 10;  // frames run: kDistinctFrames * kLoops
constexpr int kFrameCount = kDistinctFrames * kLoops;
constexpr size_t kFrameBytes = size_t(kWidth) * kHeight * 4;
// Rounding apart, the pictures are the same: 8-bit levels.
constexpr int kMostLevelsApart = 2;
// Our threshold 0.4 and edge 0.1 as colorkey's similarity and blend (see above).
constexpr const char* kColorkeyArguments = "0x00FF00:0.4328:0.1082";

// BGRA frames: a green screen with a shaded edge and a figure that moves.
std::vector<std::vector<uint8_t>> makeCameraFrames()
{
    std::vector<std::vector<uint8_t>> frames(kDistinctFrames, std::vector<uint8_t>(kFrameBytes));
    for (int f = 0; f < kDistinctFrames; ++f) {
        uint8_t* p = frames[size_t(f)].data();
        const int figureX = 200 + f * 25;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x, p += 4) {
                const bool figure = (x - figureX) * (x - figureX) + (y - 360) * (y - 360) < 160 * 160;
                const uint8_t shade = uint8_t(150 + (x + y) % 90);
                p[0] = figure ? uint8_t(60 + y % 100) : 30;  // blue
                p[1] = figure ? uint8_t(60 + x % 60) : shade;  // green
                p[2] = figure ? 210 : 40;  // red
                p[3] = 255;
            }
        }
    }
    return frames;
}

std::vector<uint8_t> makeBackdrop()
{
    std::vector<uint8_t> backdrop(kFrameBytes);
    uint8_t* p = backdrop.data();
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x, p += 4) {
            p[0] = uint8_t(255 * y / kHeight);
            p[1] = uint8_t(x / 8);
            p[2] = uint8_t(255 - 255 * x / kWidth);
            p[3] = 255;
        }
    return backdrop;
}

// Processor seconds of this process (every thread, llvmpipe's too) and of
// its waited-for children.
double processorSeconds(int who)
{
    rusage usage {};
    ::getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class TemporaryFolder {
public:
    TemporaryFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "chromakey-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        path = pattern;
    }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
};

// The camera's road: each frame written into a pixel buffer, which the
// texture cache makes the blend's input 0, and the texture let go after the
// frame, as a camera's frames go (so writing the buffer never reads a texture
// back first); the backdrop picture into input 1.
class KeyingPipeline {
public:
    KeyingPipeline()
        : _frames(makeCameraFrames())
    {
        const auto backdropBytes = makeBackdrop();
        auto backdropBitmap = plat::Bitmap::allocate(kWidth, kHeight, plat::PixelOrder::BGRA);
        std::memcpy(backdropBitmap->mutableBytes(), backdropBytes.data(), kFrameBytes);
        _backdrop = std::make_shared<zt::GLImagePicture>(plat::Image(backdropBitmap, 1, plat::ImageOrientation::Up));
        _backdrop->addTarget(_blend, 1);
        _backdrop->processImage();

        zt::runSynchronouslyOnContextQueue([&] {
            zt::GLImageContext::useImageProcessingContext();
            _cache = plat::GLTextureCache::create(zt::GLImageContext::sharedImageProcessingContext().context()).value();
            _cameraBuffer = plat::PixelBuffer::create(kWidth, kHeight, plat::kPixelFormatType_32BGRA).value();
        });
    }

    ~KeyingPipeline()
    {
        zt::runSynchronouslyOnContextQueue([&] {
            zt::GLImageContext::useImageProcessingContext();
            _cameraTexture.reset();
            _cache.reset();
        });
    }

    KeyingPipeline(const KeyingPipeline&) = delete;
    KeyingPipeline& operator=(const KeyingPipeline&) = delete;

    // Frame i of the run, keyed and read back (RGBA).
    std::shared_ptr<const plat::Bitmap> keyFrame(int i)
    {
        zt::runSynchronouslyOnContextQueue([&] {
            zt::GLImageContext::useImageProcessingContext();
            _cameraTexture.reset();
            _cameraBuffer->lockBaseAddress(plat::PixelBufferLock::ReadWrite);
            std::memcpy(_cameraBuffer->baseAddress(), _frames[size_t(i % kDistinctFrames)].data(), kFrameBytes);
            _cameraBuffer->unlockBaseAddress(plat::PixelBufferLock::ReadWrite);
            _blend->setInputSize({double(kWidth), double(kHeight)}, 0);
            if (_blend->takesPictures(0)) {
                _blend->setInputPicture(_cameraBuffer, 0);
            } else {
                _cameraTexture = _cache
                                     ->createTextureFromImage(_cameraBuffer, GL_TEXTURE_2D, GL_RGBA, kWidth, kHeight,
                                         GL_BGRA_EXT, GL_UNSIGNED_BYTE, 0)
                                     .value();
                _blend->setInputTexture(_cameraTexture->name(), 0);
            }
            _blend->newFrameReadyAtTime(plat::MediaTime::make(i, 30), 0);
        });
        return _blend->newCGImageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    }

private:
    std::vector<std::vector<uint8_t>> _frames;
    std::shared_ptr<zt::GLImagePicture> _backdrop;
    std::shared_ptr<zt::GLImageChromaKeyBlendFilter> _blend = std::make_shared<zt::GLImageChromaKeyBlendFilter>();
    std::shared_ptr<plat::GLTextureCache> _cache;
    std::shared_ptr<plat::PixelBuffer> _cameraBuffer;
    std::shared_ptr<plat::GLCacheTexture> _cameraTexture;
};

// The reference: the camera frames and the backdrop as raw BGRA files, and
// the ffmpeg command over them.
class FFmpegKeying {
public:
    FFmpegKeying()
    {
        std::ofstream camera(cameraPath(), std::ios::binary);
        for (const auto& frame : makeCameraFrames())
            camera.write(reinterpret_cast<const char*>(frame.data()), std::streamsize(frame.size()));
        std::ofstream backdrop(backdropPath(), std::ios::binary);
        const auto bytes = makeBackdrop();
        backdrop.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    // The backdrop's one frame looped, the camera keyed by colorkey and laid
    // over it by overlay in packed RGB: BGRA in, BGRA out.
    std::string command(int loops, const std::string& logLevel, const std::string& output) const
    {
        const std::string size = std::to_string(kWidth) + "x" + std::to_string(kHeight);
        return "ffmpeg -nostdin -hide_banner -loglevel " + logLevel + " -f rawvideo -pix_fmt bgra -s " + size
            + " -r 30 -stream_loop " + std::to_string(loops - 1) + " -i '" + cameraPath().string()
            + "' -f rawvideo -pix_fmt bgra -s " + size + " -r 30 -i '" + backdropPath().string()
            + "' -filter_complex '[1:v]loop=-1:1:0[bg];[0:v]colorkey=" + kColorkeyArguments
            + "[k];[bg][k]overlay=format=rgb:shortest=1' -frames:v " + std::to_string(kDistinctFrames * loops) + " "
            + output;
    }

    std::filesystem::path folder() const { return _folder.path; }

private:
    std::filesystem::path cameraPath() const { return _folder.path / "camera.bgra"; }
    std::filesystem::path backdropPath() const { return _folder.path / "backdrop.bgra"; }

    TemporaryFolder _folder;
};

std::vector<uint8_t> readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Agreement {
    std::string disagreement;  // empty when both sides agree
    int mostLevelsApart = 0;
};

// Runs the distinct frames through both sides and compares the pictures byte
// by byte (ours RGBA, ffmpeg's BGRA); also checks that ffmpeg inserted no
// format conversion.
Agreement compareBothSides()
{
    const FFmpegKeying reference;
    const auto output = reference.folder() / "keyed.bgra";
    const auto log = reference.folder() / "ffmpeg.log";
    const std::string command
        = reference.command(1, "verbose", "-f rawvideo '" + output.string() + "' 2>'" + log.string() + "'");
    if (std::system(command.c_str()) != 0)
        return {"the ffmpeg command failed"};
    const auto logText = readFile(log);
    if (std::string(logText.begin(), logText.end()).find("auto-inserting") != std::string::npos)
        return {"ffmpeg converted pixel formats on the way"};
    const auto theirs = readFile(output);
    if (theirs.size() != kFrameBytes * kDistinctFrames)
        return {"ffmpeg gave " + std::to_string(theirs.size()) + " bytes"};

    KeyingPipeline pipeline;
    int apart = 0;
    for (int f = 0; f < kDistinctFrames; ++f) {
        auto ours = pipeline.keyFrame(f);
        if (!ours || ours->width() != kWidth || ours->height() != kHeight || ours->order() != plat::PixelOrder::RGBA)
            return {"the pipeline gave no RGBA frame " + std::to_string(f)};
        const uint8_t* their = theirs.data() + kFrameBytes * size_t(f);
        for (int y = 0; y < kHeight; ++y) {
            const uint8_t* our = ours->row(y);
            const uint8_t* its = their + size_t(y) * kWidth * 4;
            for (int x = 0; x < kWidth * 4; x += 4) {
                apart = std::max({apart, std::abs(our[x] - its[x + 2]), std::abs(our[x + 1] - its[x + 1]),
                    std::abs(our[x + 2] - its[x]), std::abs(our[x + 3] - its[x + 3])});
            }
        }
    }
    if (apart > kMostLevelsApart)
        return {"the pictures differ by " + std::to_string(apart) + " levels", apart};
    return {{}, apart};
}

// Once for the whole run, before the reference is timed.
const Agreement& agreementOfBothSides()
{
    static const Agreement agreement = compareBothSides();
    return agreement;
}

void ChromaKeyPipeline(benchmark::State& state)
{
    KeyingPipeline pipeline;
    double framesPerSecond = 0;
    double processorMillisecondsPerFrame = 0;
    for (auto _ : state) {
        const double processorStart = processorSeconds(RUSAGE_SELF);
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kFrameCount; ++i) {
            auto keyed = pipeline.keyFrame(i);
            benchmark::DoNotOptimize(keyed->bytes());
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        framesPerSecond = kFrameCount / elapsed.count();
        processorMillisecondsPerFrame = (processorSeconds(RUSAGE_SELF) - processorStart) * 1000 / kFrameCount;
    }
    state.counters["frames"] = kFrameCount;
    state.counters["fps"] = framesPerSecond;
    state.counters["cpu_ms_per_frame"] = processorMillisecondsPerFrame;
}

void ChromaKeyFFmpeg(benchmark::State& state)
{
    const Agreement& agreement = agreementOfBothSides();
    if (!agreement.disagreement.empty()) {
        state.SkipWithError(agreement.disagreement.c_str());
        return;
    }
    const FFmpegKeying reference;
    const std::string command = reference.command(kLoops, "error", "-f null -");
    double framesPerSecond = 0;
    double processorMillisecondsPerFrame = 0;
    for (auto _ : state) {
        const double processorStart = processorSeconds(RUSAGE_CHILDREN);
        const auto start = std::chrono::steady_clock::now();
        const int status = std::system(command.c_str());
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (status != 0) {
            state.SkipWithError("the ffmpeg command failed");
            return;
        }
        state.SetIterationTime(elapsed.count());
        framesPerSecond = kFrameCount / elapsed.count();
        processorMillisecondsPerFrame = (processorSeconds(RUSAGE_CHILDREN) - processorStart) * 1000 / kFrameCount;
    }
    state.counters["frames"] = kFrameCount;
    state.counters["fps"] = framesPerSecond;
    state.counters["cpu_ms_per_frame"] = processorMillisecondsPerFrame;
    state.counters["levels_apart"] = agreement.mostLevelsApart;
}

const zt::bench::Comparison kKeying("ChromaKeyPipeline", "ChromaKeyFFmpeg");
// Processor time a frame, every thread of either side counted: what the
// keying costs whatever else the machine is running.
const zt::bench::Comparison kKeyingProcessorTime("ChromaKeyPipeline", "ChromaKeyFFmpeg", "cpu_ms_per_frame");

}  // namespace

BENCHMARK(ChromaKeyPipeline)->Iterations(1)->Repetitions(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ChromaKeyFFmpeg)->Iterations(1)->Repetitions(5)->UseManualTime()->Unit(benchmark::kMillisecond);
