// Blurring and edge-detecting 1280 x 720 frames one by one: the Gaussian
// blur at sigma 2, 8 and 24 and the Sobel edge filter on the GL pipeline
// (llvmpipe, all cores) against the ffmpeg command's gblur (same sigma) and
// sobel filters (slice threads, all cores) on the same frames. Both take
// each BGRA frame from CPU memory and give the filtered BGRA frame back in
// CPU memory; both run the same number of frames.
#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

#include "BenchRatio.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageGaussianBlurFilter.h"
#include "glimage/GLImageSobelEdgeDetectionFilter.h"
#include "platform/gl/GLTextureCache.h"
#include "platform/gl/PixelBuffer.h"
#include "platform/graphics/Bitmap.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kDistinctFrames = 10;
constexpr int kLoops = 6;  // frames run: kDistinctFrames * kLoops
constexpr int kFrameCount = kDistinctFrames * kLoops;
constexpr size_t kFrameBytes = size_t(kWidth) * kHeight * 4;

// BGRA frames: shaded stripes, a bright disc that moves and fine texture,
// so that both blurs and edges have work everywhere.
std::vector<std::vector<uint8_t>> makeFrames()
{
    std::vector<std::vector<uint8_t>> frames(kDistinctFrames, std::vector<uint8_t>(kFrameBytes));
    for (int f = 0; f < kDistinctFrames; ++f) {
        uint8_t* p = frames[size_t(f)].data();
        const int discX = 240 + f * 80;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x, p += 4) {
                const bool disc = (x - discX) * (x - discX) + (y - 360) * (y - 360) < 150 * 150;
                const uint8_t stripe = uint8_t(((x / 40 + y / 30) % 2) * 120 + (x * y + f) % 17);
                p[0] = disc ? 230 : stripe;  // blue
                p[1] = disc ? 210 : uint8_t(60 + (x + f * 7) % 90);  // green
                p[2] = disc ? 40 : uint8_t(255 - stripe);  // red
                p[3] = 255;
            }
        }
    }
    return frames;
}

class TemporaryFolder {
public:
    TemporaryFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "filter-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        folder = pattern;
    }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::filesystem::path folder;
};

// Runs every frame through filter the camera's way (a pixel buffer turned
// into a texture by the texture cache) and reads each result back.
void runPipeline(benchmark::State& state, const std::shared_ptr<zt::GLImageFilter>& filter)
{
    const auto frames = makeFrames();
    std::shared_ptr<plat::GLTextureCache> cache;
    std::shared_ptr<plat::PixelBuffer> buffer;
    std::shared_ptr<plat::GLCacheTexture> texture;
    zt::runSynchronouslyOnContextQueue([&] {
        zt::GLImageContext::useImageProcessingContext();
        cache = plat::GLTextureCache::create(zt::GLImageContext::sharedImageProcessingContext().context()).value();
        buffer = plat::PixelBuffer::create(kWidth, kHeight, plat::kPixelFormatType_32BGRA).value();
        texture = cache
                      ->createTextureFromImage(
                          buffer, GL_TEXTURE_2D, GL_RGBA, kWidth, kHeight, GL_BGRA_EXT, GL_UNSIGNED_BYTE, 0)
                      .value();
        filter->setInputTexture(texture->name(), 0);
        filter->setInputSize({double(kWidth), double(kHeight)}, 0);
    });

    double framesPerSecond = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kFrameCount; ++i) {
            zt::runSynchronouslyOnContextQueue([&] {
                zt::GLImageContext::useImageProcessingContext();
                buffer->lockBaseAddress(plat::PixelBufferLock::ReadWrite);
                std::memcpy(buffer->baseAddress(), frames[size_t(i % kDistinctFrames)].data(), kFrameBytes);
                buffer->unlockBaseAddress(plat::PixelBufferLock::ReadWrite);
                filter->newFrameReadyAtTime(plat::MediaTime::make(i, 30), 0);
            });
            auto result = filter->newCGImageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
            if (!result) {
                state.SkipWithError("no frame came out of the filter");
                return;
            }
            benchmark::DoNotOptimize(result->bytes());
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        framesPerSecond = kFrameCount / elapsed.count();
    }
    state.counters["frames"] = kFrameCount;
    state.counters["fps"] = framesPerSecond;
    zt::runSynchronouslyOnContextQueue([&] {
        zt::GLImageContext::useImageProcessingContext();
        texture.reset();
        cache.reset();
    });
}

// The same frames through the ffmpeg command: BGRA in, the filter chain,
// BGRA out, thrown away.
void runFFmpeg(benchmark::State& state, const std::string& filterChain)
{
    TemporaryFolder temporary;
    const auto input = temporary.folder / "frames.bgra";
    {
        std::ofstream out(input, std::ios::binary);
        for (const auto& frame : makeFrames())
            out.write(reinterpret_cast<const char*>(frame.data()), std::streamsize(frame.size()));
    }
    const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -f rawvideo -pix_fmt bgra -s "
        + std::to_string(kWidth) + "x" + std::to_string(kHeight) + " -r 30 -stream_loop " + std::to_string(kLoops - 1)
        + " -i '" + input.string() + "' -vf '" + filterChain + ",format=bgra' -frames:v " + std::to_string(kFrameCount)
        + " -f null -";
    double framesPerSecond = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const int status = std::system(command.c_str());
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (status != 0) {
            state.SkipWithError("the ffmpeg command failed");
            return;
        }
        state.SetIterationTime(elapsed.count());
        framesPerSecond = kFrameCount / elapsed.count();
    }
    state.counters["frames"] = kFrameCount;
    state.counters["fps"] = framesPerSecond;
}

void GaussianBlurPipeline(benchmark::State& state)
{
    auto blur = std::make_shared<zt::GLImageGaussianBlurFilter>();
    blur->setBlurRadiusInPixels(double(state.range(0)));
    runPipeline(state, blur);
}

void GaussianBlurFFmpeg(benchmark::State& state)
{
    runFFmpeg(state, "gblur=sigma=" + std::to_string(state.range(0)));
}

// Our Sobel filter works on luminance: so does the reference.
void SobelPipeline(benchmark::State& state)
{
    runPipeline(state, std::make_shared<zt::GLImageSobelEdgeDetectionFilter>());
}

void SobelFFmpeg(benchmark::State& state)
{
    runFFmpeg(state, "format=gray,sobel");
}

const zt::bench::Comparison kBlur("GaussianBlurPipeline", "GaussianBlurFFmpeg");
const zt::bench::Comparison kSobel("SobelPipeline", "SobelFFmpeg");

}  // namespace

BENCHMARK(GaussianBlurPipeline)
    ->Arg(2)
    ->Arg(8)
    ->Arg(24)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(GaussianBlurFFmpeg)
    ->Arg(2)
    ->Arg(8)
    ->Arg(24)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SobelPipeline)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(SobelFFmpeg)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);
