// Morphology and colour tables on 1280 x 720 frames one by one, on the GL
// pipeline (llvmpipe, all cores) against the ffmpeg command (slice threads,
// all cores) on the same frames, each from CPU memory to CPU memory:
// - grey dilation and erosion of radius 1 to 4 (the square of 2r + 1 over
//   the red channel) against r rounds of ffmpeg's 3 x 3 dilation or erosion
//   on the extracted red plane, which make the same square;
// - colour dilation of radius 1 to 4 against the same rounds on all planes;
// - the lookup filter with the app's "lookup_orrinval.png" against ffmpeg's
//   haldclut (trilinear, as ours mixes) with the same table laid out as a
//   Hald image of level 8.
// Two pass-through passes show the floor of any two-pass filter here: what
// llvmpipe takes to draw a 1280 x 720 frame twice, with no sampling work.
#include <benchmark/benchmark.h>
#include <fstream>
#include <string>
#include <vector>

#include "BenchRatio.h"
#include "FilterBenchSupport.h"
#include "glimage/GLImageDilationFilter.h"
#include "glimage/GLImageErosionFilter.h"
#include "glimage/GLImageLookupFilter.h"
#include "glimage/GLImagePicture.h"
#include "glimage/GLImageRGBDilationFilter.h"
#include "glimage/GLImageTwoPassFilter.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"

namespace {

constexpr const char* kTableName = "lookup_orrinval.png";

// ffmpeg's filter r times over: its 3 x 3 square grown to 2r + 1.
std::string rounds(const std::string& filter, int64_t radius)
{
    std::string chain;
    for (int64_t i = 0; i < radius; ++i)
        chain += (i ? "," : "") + filter;
    return chain;
}

void TwoPassFloorPipeline(benchmark::State& state)
{
    zt::bench::runFilterPipeline(state,
        std::make_shared<zt::GLImageTwoPassFilter>(
            zt::kGLImagePassthroughFragmentShaderString, zt::kGLImagePassthroughFragmentShaderString));
}

void DilationPipeline(benchmark::State& state)
{
    zt::bench::runFilterPipeline(state, std::make_shared<zt::GLImageDilationFilter>(uint32_t(state.range(0))));
}

void DilationFFmpeg(benchmark::State& state)
{
    zt::bench::runFFmpegFilter(state, "extractplanes=r," + rounds("dilation", state.range(0)));
}

void ErosionPipeline(benchmark::State& state)
{
    zt::bench::runFilterPipeline(state, std::make_shared<zt::GLImageErosionFilter>(uint32_t(state.range(0))));
}

void ErosionFFmpeg(benchmark::State& state)
{
    zt::bench::runFFmpegFilter(state, "extractplanes=r," + rounds("erosion", state.range(0)));
}

void RGBDilationPipeline(benchmark::State& state)
{
    zt::bench::runFilterPipeline(state, std::make_shared<zt::GLImageRGBDilationFilter>(uint32_t(state.range(0))));
}

void RGBDilationFFmpeg(benchmark::State& state)
{
    zt::bench::runFFmpegFilter(state, "format=gbrap," + rounds("dilation", state.range(0)));
}

void LookupPipeline(benchmark::State& state)
{
    auto table = plat::Image::imageNamed(kTableName);
    if (!table) {
        state.SkipWithError("the app's colour table is missing");
        return;
    }
    auto lookup = std::make_shared<zt::GLImageLookupFilter>();
    auto tablePicture = std::make_shared<zt::GLImagePicture>(*table);
    tablePicture->addTarget(lookup, 1);
    tablePicture->processImage();
    zt::bench::runFilterPipeline(state, lookup);
    tablePicture->removeAllTargets();
}

// The table as a Hald image: pixel i holds the colour for red i % 64,
// green (i / 64) % 64, blue i / 4096.
bool writeHaldImage(const std::filesystem::path& path)
{
    auto table = plat::Image::imageNamed(kTableName);
    if (!table)
        return false;
    const auto& bitmap = *table->bitmap();
    std::vector<uint8_t> hald(512 * 512 * 4);
    for (int i = 0; i < 512 * 512; ++i) {
        const int r = i % 64;
        const int g = (i / 64) % 64;
        const int b = i / 4096;
        const uint8_t* p = bitmap.row((b / 8) * 64 + g) + size_t((b % 8) * 64 + r) * 4;
        const bool bgra = bitmap.order() == plat::PixelOrder::BGRA;
        hald[size_t(i) * 4] = bgra ? p[2] : p[0];
        hald[size_t(i) * 4 + 1] = p[1];
        hald[size_t(i) * 4 + 2] = bgra ? p[0] : p[2];
        hald[size_t(i) * 4 + 3] = 255;
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(hald.data()), std::streamsize(hald.size()));
    return bool(out);
}

void LookupFFmpeg(benchmark::State& state)
{
    zt::bench::TemporaryBenchFolder temporary;
    const zt::bench::FFmpegInput clut {"-f rawvideo -pix_fmt rgba -s 512x512", temporary.folder() / "hald.rgba"};
    if (!writeHaldImage(clut.file)) {
        state.SkipWithError("the app's colour table is missing");
        return;
    }
    zt::bench::runFFmpegFilter(state, "[0][1]haldclut=interp=trilinear", &clut);
}

const zt::bench::Comparison kDilation("DilationPipeline", "DilationFFmpeg");
const zt::bench::Comparison kErosion("ErosionPipeline", "ErosionFFmpeg");
const zt::bench::Comparison kRGBDilation("RGBDilationPipeline", "RGBDilationFFmpeg");
const zt::bench::Comparison kLookup("LookupPipeline", "LookupFFmpeg");

}  // namespace

#define ZT_RADII(benchmarkName)                                                                                        \
    BENCHMARK(benchmarkName)                                                                                           \
        ->DenseRange(1, 4)                                                                                             \
        ->Iterations(1)                                                                                                \
        ->Repetitions(3)                                                                                               \
        ->UseManualTime()                                                                                              \
        ->Unit(benchmark::kMillisecond)
ZT_RADII(DilationPipeline);
ZT_RADII(DilationFFmpeg);
ZT_RADII(ErosionPipeline);
ZT_RADII(ErosionFFmpeg);
ZT_RADII(RGBDilationPipeline);
ZT_RADII(RGBDilationFFmpeg);
BENCHMARK(TwoPassFloorPipeline)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(LookupPipeline)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(LookupFFmpeg)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);
