// Blurring and edge-detecting 1280 x 720 frames one by one: the Gaussian
// blur at sigma 2, 8 and 24 and the Sobel edge filter on the GL pipeline
// (llvmpipe, all cores) against the ffmpeg command's gblur (same sigma) and
// sobel filters (slice threads, all cores) on the same frames. Both take
// each BGRA frame from CPU memory and give the filtered BGRA frame back in
// CPU memory; both run the same number of frames.
#include <benchmark/benchmark.h>
#include <string>

#include "BenchRatio.h"
#include "FilterBenchSupport.h"
#include "glimage/GLImageGaussianBlurFilter.h"
#include "glimage/GLImageSobelEdgeDetectionFilter.h"

namespace {

void GaussianBlurPipeline(benchmark::State& state)
{
    auto blur = std::make_shared<zt::GLImageGaussianBlurFilter>();
    blur->setBlurRadiusInPixels(double(state.range(0)));
    zt::bench::runFilterPipeline(state, blur);
}

void GaussianBlurFFmpeg(benchmark::State& state)
{
    zt::bench::runFFmpegFilter(state, "gblur=sigma=" + std::to_string(state.range(0)));
}

// Our Sobel filter works on luminance: so does the reference.
void SobelPipeline(benchmark::State& state)
{
    zt::bench::runFilterPipeline(state, std::make_shared<zt::GLImageSobelEdgeDetectionFilter>());
}

void SobelFFmpeg(benchmark::State& state)
{
    zt::bench::runFFmpegFilter(state, "format=gray,sobel");
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
