#include "FilterBenchSupport.h"

#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <unistd.h>

#include "glimage/GLImageContext.h"
#include "glimage/GLImageFilter.h"
#include "platform/gl/GLTextureCache.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/PixelBuffer.h"

namespace zt::bench {

namespace {

constexpr int kWidth = kFilterFrameWidth;
constexpr int kHeight = kFilterFrameHeight;
constexpr int kDistinctFrames = 10;
constexpr int kLoops = 6;  // frames run: kDistinctFrames * kLoops
constexpr int kFrameCount = kDistinctFrames * kLoops;
constexpr size_t kFrameBytes = size_t(kWidth) * kHeight * 4;

}  // namespace

std::vector<std::vector<uint8_t>> makeFilterFrames()
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

TemporaryBenchFolder::TemporaryBenchFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "filter-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    _folder = pattern;
}

TemporaryBenchFolder::~TemporaryBenchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(_folder, ignored);
}

void runFilterPipeline(benchmark::State& state, const std::shared_ptr<GLImageFilter>& filter)
{
    const auto frames = makeFilterFrames();
    std::shared_ptr<plat::GLTextureCache> cache;
    std::shared_ptr<plat::PixelBuffer> buffer;
    std::shared_ptr<plat::GLCacheTexture> texture;
    runSynchronouslyOnContextQueue([&] {
        GLImageContext::useImageProcessingContext();
        cache = plat::GLTextureCache::create(GLImageContext::sharedImageProcessingContext().context()).value();
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
            runSynchronouslyOnContextQueue([&] {
                GLImageContext::useImageProcessingContext();
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
    runSynchronouslyOnContextQueue([&] {
        GLImageContext::useImageProcessingContext();
        texture.reset();
        cache.reset();
    });
}

void runFFmpegFilter(benchmark::State& state, const std::string& filterChain, const FFmpegInput* secondInput)
{
    TemporaryBenchFolder temporary;
    const auto input = temporary.folder() / "frames.bgra";
    {
        std::ofstream out(input, std::ios::binary);
        for (const auto& frame : makeFilterFrames())
            out.write(reinterpret_cast<const char*>(frame.data()), std::streamsize(frame.size()));
    }
    std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -f rawvideo -pix_fmt bgra -s "
        + std::to_string(kWidth) + "x" + std::to_string(kHeight) + " -r 30 -stream_loop " + std::to_string(kLoops - 1)
        + " -i '" + input.string() + "'";
    if (secondInput)
        command += " " + secondInput->options + " -i '" + secondInput->file.string() + "' -filter_complex '";
    else
        command += " -vf '";
    command += filterChain + ",format=bgra' -frames:v " + std::to_string(kFrameCount) + " -f null -";
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

}  // namespace zt::bench
