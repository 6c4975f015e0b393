// Blurring and edge-detecting 1280 x 720 frames one by one: the Gaussian
// blur at sigma 2, 8 and 24 and the Sobel edge filter on the GL pipeline
// (llvmpipe, all cores) against the ffmpeg command's gblur (same sigma) and
// sobel filters (slice threads, all cores) on the same frames. Both take
// each BGRA frame from CPU memory and give the filtered BGRA frame back in
// CPU memory; both run the same number of frames.
//
// Before the reference is timed, both sides filter the distinct frames and
// the pictures are compared; a disagreement fails the reference's run, and
// levels_apart and mean_levels_apart say how close they came. Ours is a
// true Gaussian cut where its weights fall below 1/256; gblur approximates
// one by rounds of a recursive filter, and takes four (steps=4) to land
// within a level of ours on average (its default single round is three
// levels off at sigma 8 and 24). The two treat the picture's edges
// differently (ours repeats the edge pixel), so the outer three sigma are
// left out. A sigma a quarter off already puts them three levels apart.
#include <benchmark/benchmark.h>
#include <map>
#include <string>

#include "BenchRatio.h"
#include "FilterBenchSupport.h"
#include "glimage/GLImageGaussianBlurFilter.h"
#include "glimage/GLImageSobelEdgeDetectionFilter.h"

namespace {

// Both sides' pictures of the distinct frames are compared once a run,
// before the reference is timed (see the top).
using Agreements = std::map<int64_t, zt::bench::FilterAgreement>;

std::shared_ptr<zt::GLImageFilter> makeBlur(int64_t sigma)
{
    auto blur = std::make_shared<zt::GLImageGaussianBlurFilter>();
    blur->setBlurRadiusInPixels(double(sigma));
    return blur;
}

std::string blurChain(int64_t sigma)
{
    return "gblur=sigma=" + std::to_string(sigma) + ":steps=4";
}

const zt::bench::FilterAgreement& blurAgreement(int64_t sigma)
{
    static Agreements agreements;
    auto found = agreements.find(sigma);
    if (found == agreements.end()) {
        const zt::bench::FilterTolerance tolerance {12, 1.5, int(3 * sigma)};
        found = agreements.emplace(sigma, zt::bench::compareWithFFmpeg(makeBlur(sigma), blurChain(sigma), tolerance))
                    .first;
    }
    return found->second;
}

void GaussianBlurPipeline(benchmark::State& state)
{
    zt::bench::runFilterPipeline(state, makeBlur(state.range(0)));
}

void GaussianBlurFFmpeg(benchmark::State& state)
{
    if (zt::bench::reportAgreement(state, blurAgreement(state.range(0))))
        zt::bench::runFFmpegFilter(state, blurChain(state.range(0)));
}

// Our Sobel filter works on luminance with its own weights (0.2125 red,
// 0.7154 green, 0.0721 blue): the reference makes the same plane (ffmpeg's
// own grey conversion weighs and scales otherwise).
constexpr const char* kSobelChain = "colorchannelmixer=gr=0.2125:gg=0.7154:gb=0.0721,format=gbrp,extractplanes=g,sobel";

void SobelPipeline(benchmark::State& state)
{
    zt::bench::runFilterPipeline(state, std::make_shared<zt::GLImageSobelEdgeDetectionFilter>());
}

void SobelFFmpeg(benchmark::State& state)
{
    static const zt::bench::FilterAgreement agreement = zt::bench::compareWithFFmpeg(
        std::make_shared<zt::GLImageSobelEdgeDetectionFilter>(), kSobelChain, {12, 2.5, 1});
    if (zt::bench::reportAgreement(state, agreement))
        zt::bench::runFFmpegFilter(state, kSobelChain);
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
