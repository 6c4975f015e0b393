#pragma once
// What the filter benchmarks share: 1280 x 720 BGRA frames, a run of them
// through a filter of the GL pipeline, and the same frames through the
// ffmpeg command, both from CPU memory to CPU memory.
#include <benchmark/benchmark.h>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace zt {
class GLImageFilter;
}

namespace zt::bench {

constexpr int kFilterFrameWidth = 1280;
constexpr int kFilterFrameHeight = 720;

// Shaded stripes, a bright disc that moves and fine texture, so that blurs,
// edges, extremes and colour tables have work everywhere.
std::vector<std::vector<uint8_t>> makeFilterFrames();

// A folder of its own, removed with everything in it.
class TemporaryBenchFolder {
public:
    TemporaryBenchFolder();
    ~TemporaryBenchFolder();
    TemporaryBenchFolder(const TemporaryBenchFolder&) = delete;
    TemporaryBenchFolder& operator=(const TemporaryBenchFolder&) = delete;
    const std::filesystem::path& folder() const { return _folder; }

private:
    std::filesystem::path _folder;
};

// Every frame through filter the camera's way (a pixel buffer turned into
// a texture by the texture cache), each result read back.
void runFilterPipeline(benchmark::State& state, const std::shared_ptr<GLImageFilter>& filter);

// The same frames through the ffmpeg command: BGRA in, the filter chain,
// BGRA out, thrown away. With a second input (a file and the ffmpeg input
// options before it) the chain reads [0] and [1].
struct FFmpegInput {
    std::string options;
    std::filesystem::path file;
};
void runFFmpegFilter(benchmark::State& state, const std::string& filterChain, const FFmpegInput* secondInput = nullptr);

// How far apart two filters' pictures of the same frame may be, in 8-bit
// levels of a colour component: the formulas of two implementations round
// and approximate differently, but a filter doing other work (another
// radius, no filtering at all) lands well beyond.
struct FilterTolerance {
    int mostLevelsApart = 0;  // in any one component of any pixel compared
    double meanLevelsApart = 0;  // over every component of every pixel compared
    // Pixels this close to an edge are left out: implementations reach
    // beyond the picture differently (ours repeats the edge pixel).
    int edgePixels = 0;
};

// The distinct frames through both sides, the pictures compared (colour
// components; alpha is opaque on both); empty disagreement when they agree
// within tolerance.
struct FilterAgreement {
    std::string disagreement;
    int mostLevelsApart = 0;
    double meanLevelsApart = 0;
};
FilterAgreement compareWithFFmpeg(
    const std::shared_ptr<GLImageFilter>& filter, const std::string& filterChain, const FilterTolerance& tolerance);
// Sets the reference's counters from the agreement, or fails the run when
// the two sides disagree; false when failed.
bool reportAgreement(benchmark::State& state, const FilterAgreement& agreement);

}  // namespace zt::bench
