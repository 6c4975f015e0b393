// Keying a 1280 x 720 camera picture against a backdrop, frame by frame:
// the chroma-key blend on the GL pipeline (llvmpipe, all cores) against the
// ffmpeg command's chromakey and overlay filters (slice threads, all cores)
// on the same frames. Both take each frame from CPU memory and give the keyed
// frame back in CPU memory; both run the same number of frames.
#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
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
                p[1] = figure ? uint8_t(90 + x % 60) : shade;  // green
                p[2] = figure ? 200 : 40;  // red
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

class TemporaryFrames {
public:
    TemporaryFrames()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "chromakey-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        folder = pattern;
    }
    ~TemporaryFrames()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::filesystem::path folder;
};

void ChromaKeyPipeline(benchmark::State& state)
{
    const auto frames = makeCameraFrames();
    const auto backdropBytes = makeBackdrop();
    auto backdropBitmap = plat::Bitmap::allocate(kWidth, kHeight, plat::PixelOrder::BGRA);
    std::memcpy(backdropBitmap->mutableBytes(), backdropBytes.data(), kFrameBytes);
    auto backdrop = std::make_shared<zt::GLImagePicture>(plat::Image(backdropBitmap, 1, plat::ImageOrientation::Up));

    auto blend = std::make_shared<zt::GLImageChromaKeyBlendFilter>();
    backdrop->addTarget(blend, 1);
    backdrop->processImage();

    // The camera's road: a pixel buffer turned into a texture by the texture cache.
    std::shared_ptr<plat::GLTextureCache> cache;
    std::shared_ptr<plat::PixelBuffer> cameraBuffer;
    std::shared_ptr<plat::GLCacheTexture> cameraTexture;
    zt::runSynchronouslyOnContextQueue([&] {
        zt::GLImageContext::useImageProcessingContext();
        cache = plat::GLTextureCache::create(zt::GLImageContext::sharedImageProcessingContext().context()).value();
        cameraBuffer = plat::PixelBuffer::create(kWidth, kHeight, plat::kPixelFormatType_32BGRA).value();
        cameraTexture = cache
                            ->createTextureFromImage(
                                cameraBuffer, GL_TEXTURE_2D, GL_RGBA, kWidth, kHeight, GL_BGRA_EXT, GL_UNSIGNED_BYTE, 0)
                            .value();
        blend->setInputTexture(cameraTexture->name(), 0);
        blend->setInputSize({double(kWidth), double(kHeight)}, 0);
    });

    double framesPerSecond = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kFrameCount; ++i) {
            zt::runSynchronouslyOnContextQueue([&] {
                zt::GLImageContext::useImageProcessingContext();
                cameraBuffer->lockBaseAddress(plat::PixelBufferLock::ReadWrite);
                std::memcpy(cameraBuffer->baseAddress(), frames[size_t(i % kDistinctFrames)].data(), kFrameBytes);
                cameraBuffer->unlockBaseAddress(plat::PixelBufferLock::ReadWrite);
                blend->newFrameReadyAtTime(plat::MediaTime::make(i, 30), 0);
            });
            auto keyed = blend->newCGImageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
            benchmark::DoNotOptimize(keyed->bytes());
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        framesPerSecond = kFrameCount / elapsed.count();
    }
    state.counters["frames"] = kFrameCount;
    state.counters["fps"] = framesPerSecond;
    zt::runSynchronouslyOnContextQueue([&] {
        zt::GLImageContext::useImageProcessingContext();
        cameraTexture.reset();
        cache.reset();
    });
}

void ChromaKeyFFmpeg(benchmark::State& state)
{
    TemporaryFrames temporary;
    const auto camera = temporary.folder / "camera.bgra";
    const auto backdrop = temporary.folder / "backdrop.bgra";
    {
        std::ofstream out(camera, std::ios::binary);
        for (const auto& frame : makeCameraFrames())
            out.write(reinterpret_cast<const char*>(frame.data()), std::streamsize(frame.size()));
        std::ofstream back(backdrop, std::ios::binary);
        const auto bytes = makeBackdrop();
        back.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    const std::string size = std::to_string(kWidth) + "x" + std::to_string(kHeight);
    // The same key colour and edge: similarity 0.4, blend 0.1; the keyed
    // frames over the backdrop, converted back to BGRA and thrown away.
    const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -f rawvideo -pix_fmt bgra -s " + size
        + " -r 30 -stream_loop " + std::to_string(kLoops - 1) + " -i '" + camera.string()
        + "' -f rawvideo -pix_fmt bgra -s " + size + " -r 30 -stream_loop -1 -i '" + backdrop.string()
        + "' -filter_complex '[0:v]chromakey=0x00FF00:0.4:0.1[keyed];[1:v][keyed]overlay=shortest=1,format=bgra' "
          "-frames:v "
        + std::to_string(kFrameCount) + " -f null -";
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

const zt::bench::Comparison kKeying("ChromaKeyPipeline", "ChromaKeyFFmpeg");

}  // namespace

BENCHMARK(ChromaKeyPipeline)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ChromaKeyFFmpeg)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);
