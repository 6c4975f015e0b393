#include "FilterBenchSupport.h"

#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
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

namespace {

// A filter fed the camera's way: a pixel buffer the texture cache makes the
// filter's input texture, written with each frame, the result read back.
class FilterPipeline {
public:
    explicit FilterPipeline(std::shared_ptr<GLImageFilter> filter)
        : _filter(std::move(filter))
    {
        runSynchronouslyOnContextQueue([&] {
            GLImageContext::useImageProcessingContext();
            _cache = plat::GLTextureCache::create(GLImageContext::sharedImageProcessingContext().context()).value();
            _buffer = plat::PixelBuffer::create(kWidth, kHeight, plat::kPixelFormatType_32BGRA).value();
            _texture = _cache
                           ->createTextureFromImage(
                               _buffer, GL_TEXTURE_2D, GL_RGBA, kWidth, kHeight, GL_BGRA_EXT, GL_UNSIGNED_BYTE, 0)
                           .value();
            // Clamped at the edges, as the camera's textures are: a blur
            // must not wrap the far edge's pixels round.
            glBindTexture(_texture->target(), _texture->name());
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
            _filter->setInputTexture(_texture->name(), 0);
            _filter->setInputSize({double(kWidth), double(kHeight)}, 0);
        });
    }
    ~FilterPipeline()
    {
        runSynchronouslyOnContextQueue([&] {
            GLImageContext::useImageProcessingContext();
            _texture.reset();
            _cache.reset();
        });
    }
    FilterPipeline(const FilterPipeline&) = delete;
    FilterPipeline& operator=(const FilterPipeline&) = delete;

    // The filtered frame (frame i of the run), read back; nullptr when none came out.
    std::shared_ptr<const plat::Bitmap> filterFrame(const std::vector<uint8_t>& frame, int i)
    {
        runSynchronouslyOnContextQueue([&] {
            GLImageContext::useImageProcessingContext();
            _buffer->lockBaseAddress(plat::PixelBufferLock::ReadWrite);
            std::memcpy(_buffer->baseAddress(), frame.data(), kFrameBytes);
            _buffer->unlockBaseAddress(plat::PixelBufferLock::ReadWrite);
            _filter->newFrameReadyAtTime(plat::MediaTime::make(i, 30), 0);
        });
        return _filter->newCGImageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    }

private:
    std::shared_ptr<GLImageFilter> _filter;
    std::shared_ptr<plat::GLTextureCache> _cache;
    std::shared_ptr<plat::PixelBuffer> _buffer;
    std::shared_ptr<plat::GLCacheTexture> _texture;
};

// The ffmpeg command over the frames (as a raw BGRA file, run loops times)
// and the chain, its output to output (ffmpeg's output options and name).
std::string ffmpegCommand(const std::filesystem::path& frames, int loops, const std::string& filterChain,
    const FFmpegInput* secondInput, const std::string& output)
{
    std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -f rawvideo -pix_fmt bgra -s "
        + std::to_string(kWidth) + "x" + std::to_string(kHeight) + " -r 30 -stream_loop " + std::to_string(loops - 1)
        + " -i '" + frames.string() + "'";
    if (secondInput)
        command += " " + secondInput->options + " -i '" + secondInput->file.string() + "' -filter_complex '";
    else
        command += " -vf '";
    return command + filterChain + ",format=bgra' -frames:v " + std::to_string(kDistinctFrames * loops) + " " + output;
}

void writeFrames(const std::filesystem::path& path)
{
    std::ofstream out(path, std::ios::binary);
    for (const auto& frame : makeFilterFrames())
        out.write(reinterpret_cast<const char*>(frame.data()), std::streamsize(frame.size()));
}

}  // namespace

void runFilterPipeline(benchmark::State& state, const std::shared_ptr<GLImageFilter>& filter)
{
    const auto frames = makeFilterFrames();
    FilterPipeline pipeline(filter);
    double framesPerSecond = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kFrameCount; ++i) {
            auto result = pipeline.filterFrame(frames[size_t(i % kDistinctFrames)], i);
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
}

FilterAgreement compareWithFFmpeg(
    const std::shared_ptr<GLImageFilter>& filter, const std::string& filterChain, const FilterTolerance& tolerance)
{
    TemporaryBenchFolder temporary;
    const auto input = temporary.folder() / "frames.bgra";
    const auto output = temporary.folder() / "filtered.bgra";
    writeFrames(input);
    if (std::system(ffmpegCommand(input, 1, filterChain, nullptr, "-f rawvideo '" + output.string() + "'").c_str())
        != 0)
        return {"the ffmpeg command failed"};
    std::ifstream in(output, std::ios::binary);
    const std::vector<uint8_t> theirs {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (theirs.size() != kFrameBytes * kDistinctFrames)
        return {"ffmpeg gave " + std::to_string(theirs.size()) + " bytes"};

    const auto frames = makeFilterFrames();
    FilterPipeline pipeline(filter);
    std::vector<uint8_t> ours(kFrameBytes);
    int most = 0;
    uint64_t sum = 0;
    uint64_t compared = 0;
    const int edge = tolerance.edgePixels;
    for (int f = 0; f < kDistinctFrames; ++f) {
        auto filtered = pipeline.filterFrame(frames[size_t(f)], f);
        if (!filtered || filtered->width() != kWidth || filtered->height() != kHeight)
            return {"the pipeline gave no frame " + std::to_string(f)};
        filtered->copyPixelsTo(ours.data(), plat::PixelOrder::BGRA);
        const uint8_t* their = theirs.data() + kFrameBytes * size_t(f);
        for (int y = edge; y < kHeight - edge; ++y) {
            for (int x = edge; x < kWidth - edge; ++x) {
                const size_t at = (size_t(y) * kWidth + size_t(x)) * 4;
                for (size_t c = 0; c < 3; ++c) {
                    const int apart = std::abs(int(ours[at + c]) - int(their[at + c]));
                    most = std::max(most, apart);
                    sum += uint64_t(apart);
                }
            }
        }
        compared += uint64_t(kWidth - 2 * edge) * uint64_t(kHeight - 2 * edge) * 3;
    }
    const double mean = double(sum) / double(compared);
    FilterAgreement agreement {{}, most, mean};
    if (most > tolerance.mostLevelsApart || mean > tolerance.meanLevelsApart)
        agreement.disagreement = "the pictures differ by up to " + std::to_string(most) + " levels, "
            + std::to_string(mean) + " on average";
    return agreement;
}

bool reportAgreement(benchmark::State& state, const FilterAgreement& agreement)
{
    if (!agreement.disagreement.empty()) {
        state.SkipWithError(agreement.disagreement.c_str());
        return false;
    }
    state.counters["levels_apart"] = agreement.mostLevelsApart;
    state.counters["mean_levels_apart"] = agreement.meanLevelsApart;
    return true;
}

void runFFmpegFilter(benchmark::State& state, const std::string& filterChain, const FFmpegInput* secondInput)
{
    TemporaryBenchFolder temporary;
    const auto input = temporary.folder() / "frames.bgra";
    writeFrames(input);
    const std::string command = ffmpegCommand(input, kLoops, filterChain, secondInput, "-f null -");
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
