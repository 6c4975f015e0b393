#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <numbers>

#include "GLImageCpuReference.h"
#include "glimage/GLImageBilateralFilter.h"
#include "glimage/GLImageBoxBlurFilter.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageGaussianBlurFilter.h"
#include "glimage/GLImageGaussianBlurPositionFilter.h"
#include "glimage/GLImageSingleComponentGaussianBlurFilter.h"

namespace {

using zt::test::Colour;
using zt::test::CpuPicture;

// Sharp blocks of different colours over a slow ramp: every tap of a blur
// shows in the result.
std::shared_ptr<plat::Image> blocks(int width = 24, int height = 20)
{
    return zt::test::makePicture(width, height, [](int x, int y) {
        const bool odd = ((x / 3) + (y / 4)) % 2 == 1;
        return odd ? Colour {0.9, 0.2 + 0.02 * x, 0.1, 1.0} : Colour {0.1, 0.7, 0.04 * y, 1.0};
    });
}

// The Gaussian of sigma over the taps -radius..radius, summing to 1.
std::vector<double> gaussian(int radius, double sigma)
{
    std::vector<double> weights;
    double sum = 0;
    for (int i = -radius; i <= radius; ++i) {
        weights.push_back(std::exp(-i * i / (2 * sigma * sigma)));
        sum += weights.back();
    }
    for (auto& w : weights)
        w /= sum;
    return weights;
}

std::vector<double> box(int radius)
{
    return std::vector<double>(size_t(2 * radius + 1), 1.0 / (2 * radius + 1));
}

CpuPicture redAsGrey(const CpuPicture& in)
{
    return zt::test::mapPicture(in, [](const CpuPicture& p, int x, int y) {
        const double r = p.at(x, y)[0];
        return Colour {r, r, r, 1.0};
    });
}

// Nine taps four pixels apart, each weighed down by its colour distance to the centre.
CpuPicture bilateralPass(const CpuPicture& in, int dx, int dy, double factor)
{
    const double base[9] = {0.05, 0.09, 0.12, 0.15, 0.18, 0.15, 0.12, 0.09, 0.05};
    return zt::test::mapPicture(in, [&](const CpuPicture& p, int x, int y) {
        const Colour centre = p.at(x, y);
        double total = 0.18;
        Colour sum;
        for (size_t i = 0; i < 4; ++i)
            sum[i] = centre[i] * 0.18;
        for (int k = 0; k < 9; ++k) {
            if (k == 4)
                continue;
            const Colour sample = p.at(x + (k - 4) * 4 * dx, y + (k - 4) * 4 * dy);
            double distance = 0;
            for (size_t i = 0; i < 4; ++i)
                distance += (sample[i] - centre[i]) * (sample[i] - centre[i]);
            const double weight = base[k] * (1.0 - std::min(std::sqrt(distance) * factor, 1.0));
            total += weight;
            for (size_t i = 0; i < 4; ++i)
                sum[i] += sample[i] * weight;
        }
        for (auto& v : sum)
            v /= total;
        return sum;
    });
}

// Nine taps inside the circle (centre, radius in texture coordinates, kept
// round by the aspect ratio), the pixel itself outside.
CpuPicture circlePass(const CpuPicture& in, int dx, int dy, double radius)
{
    const double weights[9] = {0.05, 0.09, 0.12, 0.15, 0.18, 0.15, 0.12, 0.09, 0.05};
    const double aspect = double(in.height) / in.width;
    return zt::test::mapPicture(in, [&](const CpuPicture& p, int x, int y) {
        const double tx = (x + 0.5) / in.width;
        const double ty = ((y + 0.5) / in.height) * aspect + 0.5 - 0.5 * aspect;
        if (std::hypot(tx - 0.5, ty - 0.5) >= radius)
            return p.at(x, y);
        Colour sum {};
        for (int k = 0; k < 9; ++k) {
            const Colour& c = p.at(x + (k - 4) * dx, y + (k - 4) * dy);
            for (size_t i = 0; i < 4; ++i)
                sum[i] += c[i] * weights[k];
        }
        return sum;
    });
}

struct BlurCase {
    const char* name;
    std::function<std::shared_ptr<zt::GLImageOutput>()> make;
    std::function<CpuPicture(const CpuPicture&)> expected;
};

template <typename Filter> std::shared_ptr<Filter> blurWithRadius(double radius)
{
    auto filter = std::make_shared<Filter>();
    filter->setBlurRadiusInPixels(radius);
    return filter;
}

TEST(GLImageBlurFilters, MatchTheirFormulasOnTheCpu)
{
    const BlurCase cases[] = {
        {"gaussian, sample radius 4, sigma 2", [] { return std::make_shared<zt::GLImageGaussianBlurFilter>(); },
            [](const CpuPicture& in) { return zt::test::separable(in, gaussian(4, 2)); }},
        {"gaussian, radius 5 (sample radius 12)", [] { return blurWithRadius<zt::GLImageGaussianBlurFilter>(5); },
            [](const CpuPicture& in) { return zt::test::separable(in, gaussian(12, 5)); }},
        {"gaussian, radius 8 (sample radius 18, pairs read in the fragment shader)",
            [] { return blurWithRadius<zt::GLImageGaussianBlurFilter>(8); },
            [](const CpuPicture& in) { return zt::test::separable(in, gaussian(18, 8)); }},
        {"gaussian, three runs a frame",
            [] {
                auto filter = blurWithRadius<zt::GLImageGaussianBlurFilter>(3);
                filter->setBlurPasses(3);
                return filter;
            },
            [](const CpuPicture& in) {
                auto once
                    = [](const CpuPicture& p) { return zt::test::stored(zt::test::separable(p, gaussian(8, 3))); };
                return once(once(once(in)));
            }},
        {"gaussian, radius 0.4 copies", [] { return blurWithRadius<zt::GLImageGaussianBlurFilter>(0.4); },
            [](const CpuPicture& in) { return in; }},
        {"gaussian, radius 150 copies", [] { return blurWithRadius<zt::GLImageGaussianBlurFilter>(150); },
            [](const CpuPicture& in) { return in; }},
        {"box, radius 4", [] { return std::make_shared<zt::GLImageBoxBlurFilter>(); },
            [](const CpuPicture& in) { return zt::test::separable(in, box(4)); }},
        {"box, radius 5 (6 taps a side)", [] { return blurWithRadius<zt::GLImageBoxBlurFilter>(5); },
            [](const CpuPicture& in) { return zt::test::separable(in, box(6)); }},
        {"box, radius 0.9 copies", [] { return blurWithRadius<zt::GLImageBoxBlurFilter>(0.9); },
            [](const CpuPicture& in) { return in; }},
        {"single component", [] { return std::make_shared<zt::GLImageSingleComponentGaussianBlurFilter>(); },
            [](const CpuPicture& in) { return zt::test::separable(redAsGrey(in), gaussian(4, 2)); }},
        {"single component, radius 6", [] { return blurWithRadius<zt::GLImageSingleComponentGaussianBlurFilter>(6); },
            [](const CpuPicture& in) { return zt::test::separable(redAsGrey(in), gaussian(14, 6)); }},
        {"bilateral", [] { return std::make_shared<zt::GLImageBilateralFilter>(); },
            [](const CpuPicture& in) {
                return bilateralPass(zt::test::stored(bilateralPass(in, 0, 1, 8.0)), 1, 0, 8.0);
            }},
        {"bilateral, distance factor 2",
            [] {
                auto filter = std::make_shared<zt::GLImageBilateralFilter>();
                filter->setDistanceNormalizationFactor(2.0);
                return filter;
            },
            [](const CpuPicture& in) {
                return bilateralPass(zt::test::stored(bilateralPass(in, 0, 1, 2.0)), 1, 0, 2.0);
            }},
        {"bilateral given a new radius blurs as a gaussian",
            [] {
                auto filter = blurWithRadius<zt::GLImageBilateralFilter>(3);
                filter->setTexelSpacingMultiplier(1.0);  // the bilateral's own is 4
                return filter;
            },
            [](const CpuPicture& in) { return zt::test::separable(in, gaussian(8, 3)); }},
        {"inside a circle",
            [] {
                auto filter = std::make_shared<zt::GLImageGaussianBlurPositionFilter>();
                filter->setBlurRadius(0.3);
                return filter;
            },
            [](const CpuPicture& in) { return circlePass(zt::test::stored(circlePass(in, 0, 1, 0.3)), 1, 0, 0.3); }},
    };
    auto input = blocks();
    const CpuPicture cpuInput = zt::test::cpuPicture(*input);
    for (const auto& blurCase : cases) {
        SCOPED_TRACE(blurCase.name);
        auto filter = blurCase.make();
        auto result = filter->imageByFilteringImage(*input);
        ASSERT_TRUE(result);
        zt::test::expectPictureMatches(blurCase.expected(cpuInput), *result);
    }
}

}  // namespace

namespace {

bool hasNoNonNumbers(const std::string& source)
{
    return source.find("nan") == std::string::npos && source.find("inf") == std::string::npos;
}

std::shared_ptr<zt::GLImageGaussianBlurFilter> standardBlur(uint32_t radius, double sigma)
{
    const auto vertex = zt::GLImageGaussianBlurFilter::vertexShaderForStandardBlurOfRadius(radius, sigma);
    const auto fragment = zt::GLImageGaussianBlurFilter::fragmentShaderForStandardBlurOfRadius(radius, sigma);
    EXPECT_TRUE(hasNoNonNumbers(vertex) && hasNoNonNumbers(fragment));
    return std::make_shared<zt::GLImageGaussianBlurFilter>(vertex, fragment, vertex, fragment);
}

std::shared_ptr<zt::GLImageGaussianBlurFilter> pairedBlur(uint32_t radius, double sigma)
{
    const auto vertex = zt::GLImageGaussianBlurFilter::vertexShaderForOptimizedBlurOfRadius(radius, sigma);
    const auto fragment = zt::GLImageGaussianBlurFilter::fragmentShaderForOptimizedBlurOfRadius(radius, sigma);
    EXPECT_TRUE(hasNoNonNumbers(vertex) && hasNoNonNumbers(fragment));
    return std::make_shared<zt::GLImageGaussianBlurFilter>(vertex, fragment, vertex, fragment);
}

// Every program below must compile and link (a failure aborts the test
// binary) and blur as its kernel says.
TEST(GLImageGaussianBlurFilter, GeneratedShadersStayValidAtTheExtremes)
{
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double infinity = std::numeric_limits<double>::infinity();
    using Make = std::shared_ptr<zt::GLImageGaussianBlurFilter> (*)(uint32_t, double);
    struct Extreme {
        const char* name;
        Make make;
        uint32_t radius;
        double sigma;
        std::vector<double> kernel;  // empty: the input comes back
    };
    const Extreme extremes[] = {
        {"paired, radius 0", pairedBlur, 0, 2.0, {}},
        {"standard, radius 0", standardBlur, 0, 2.0, {}},
        {"paired, sigma 0", pairedBlur, 4, 0.0, {}},
        {"paired, negative sigma", pairedBlur, 4, -3.0, {}},
        {"paired, sigma not a number", pairedBlur, 6, nan, {}},
        {"paired, sigma too small for any weight beside the centre", pairedBlur, 6, 1e-30, {}},
        {"standard, sigma 0", standardBlur, 4, 0.0, {}},
        {"paired, huge sigma", pairedBlur, 6, 1e300, box(6)},
        {"paired, sigma past what a double's square holds", pairedBlur, 8, 1e200, box(8)},
        {"paired, infinite sigma", pairedBlur, 4, infinity, box(4)},
        {"standard, huge sigma", standardBlur, 6, 1e300, box(6)},
        {"paired, odd radius", pairedBlur, 7, 3.0, gaussian(7, 3.0)},
        {"paired, radius 16", pairedBlur, 16, 7.0, gaussian(16, 7.0)},
        {"standard, radius 5", standardBlur, 5, 2.0, gaussian(5, 2.0)},
        {"standard, radius 12 (taps past 7 read in the fragment shader)", standardBlur, 12, 5.0, gaussian(12, 5.0)},
        {"standard, radius far past the largest", standardBlur, 100000, 20.0, gaussian(62, 20.0)},
    };
    auto input = blocks(40, 20);
    const CpuPicture cpuInput = zt::test::cpuPicture(*input);
    for (const auto& extreme : extremes) {
        SCOPED_TRACE(extreme.name);
        auto filter = extreme.make(extreme.radius, extreme.sigma);
        auto result = filter->imageByFilteringImage(*input);
        ASSERT_TRUE(result);
        zt::test::expectPictureMatches(
            extreme.kernel.empty() ? cpuInput : zt::test::separable(cpuInput, extreme.kernel), *result);
    }
}

TEST(GLImageGaussianBlurFilter, RadiiPastTheLargestSampleRadiusGiveItsShaders)
{
    using Filter = zt::GLImageGaussianBlurFilter;
    EXPECT_EQ(Filter::vertexShaderForOptimizedBlurOfRadius(1u << 31, 20.0),
        Filter::vertexShaderForOptimizedBlurOfRadius(62, 20.0));
    EXPECT_EQ(Filter::fragmentShaderForOptimizedBlurOfRadius(1u << 31, 20.0),
        Filter::fragmentShaderForOptimizedBlurOfRadius(62, 20.0));
}

TEST(GLImageGaussianBlurFilter, ReadsSevenPairsFromTheVertexShaderAndTheRestInTheFragmentShader)
{
    const auto vertex = zt::GLImageGaussianBlurFilter::vertexShaderForOptimizedBlurOfRadius(16, 7.0);
    const auto fragment = zt::GLImageGaussianBlurFilter::fragmentShaderForOptimizedBlurOfRadius(16, 7.0);
    EXPECT_NE(vertex.find("varying vec2 blurCoordinates[15];"), std::string::npos);
    auto count = [](const std::string& text, const std::string& what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    };
    // One pair, between taps 15 and 16.
    EXPECT_EQ(count(fragment, "blurCoordinates[0] + singleStepOffset"), 1u);
    EXPECT_EQ(count(fragment, "blurCoordinates[0] - singleStepOffset"), 1u);
    EXPECT_EQ(
        count(zt::GLImageGaussianBlurFilter::fragmentShaderForOptimizedBlurOfRadius(14, 6.0), "singleStepOffset *"),
        0u);
}

TEST(GLImageGaussianBlurFilter, SampleRadiusFollowsTheRoundedRadius)
{
    // (blur radius, sample radius), the outermost tap keeping about 1/256.
    const std::pair<double, uint32_t> radii[] = {{1, 4}, {2, 6}, {3, 8}, {4, 10}, {5, 12}, {6, 14}, {7, 16}, {8, 18},
        {10, 22}, {12, 24}, {20, 36}, {50, 60}, {60, 62}, {80, 56}, {100, 20}, {102, 6}, {103, 0}};
    auto filter = std::make_shared<zt::GLImageGaussianBlurFilter>();
    for (const auto& [radius, sampleRadius] : radii) {
        SCOPED_TRACE(radius);
        filter->setBlurRadiusInPixels(radius);
        EXPECT_EQ(filter->blurRadiusInPixels(), radius);
        auto [vertex, fragment] = filter->shaderSourcesForTesting();
        EXPECT_EQ(vertex, zt::GLImageGaussianBlurFilter::vertexShaderForOptimizedBlurOfRadius(sampleRadius, radius));
        EXPECT_EQ(
            fragment, zt::GLImageGaussianBlurFilter::fragmentShaderForOptimizedBlurOfRadius(sampleRadius, radius));
    }
}

TEST(GLImageGaussianBlurFilter, RegeneratesOnlyForANewWholeRadius)
{
    using Filter = zt::GLImageGaussianBlurFilter;
    auto filter = std::make_shared<Filter>();
    const std::pair<std::string, std::string> initial = {
        Filter::vertexShaderForOptimizedBlurOfRadius(4, 2.0), Filter::fragmentShaderForOptimizedBlurOfRadius(4, 2.0)};
    EXPECT_EQ(filter->shaderSourcesForTesting(), initial);
    filter->setBlurRadiusInPixels(2.0);
    filter->setBlurRadiusInPixels(2.4);
    EXPECT_EQ(filter->shaderSourcesForTesting(), initial);
    filter->setBlurRadiusInPixels(2.6);
    EXPECT_EQ(filter->blurRadiusInPixels(), 3.0);
    EXPECT_EQ(filter->shaderSourcesForTesting().first, Filter::vertexShaderForOptimizedBlurOfRadius(8, 3.0));
}

TEST(GLImageGaussianBlurFilter, RadiiThatAreNotPositiveNumbersCopyTheInput)
{
    auto input = blocks();
    for (double radius : {-4.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        SCOPED_TRACE(radius);
        auto filter = std::make_shared<zt::GLImageGaussianBlurFilter>();
        filter->setBlurRadiusInPixels(radius);
        auto result = filter->imageByFilteringImage(*input);
        ASSERT_TRUE(result);
        zt::test::expectPictureMatches(zt::test::cpuPicture(*input), *result, 0);
    }
}

TEST(GLImageBoxBlurFilter, UsesTheNearestEvenRadiusWithinTheLargest)
{
    auto filter = std::make_shared<zt::GLImageBoxBlurFilter>();
    EXPECT_EQ(filter->blurRadiusInPixels(), 4.0);
    filter->setBlurRadiusInPixels(5.0);
    EXPECT_EQ(filter->blurRadiusInPixels(), 6.0);
    auto [vertex, fragment] = filter->shaderSourcesForTesting();
    for (const char* offset : {"1.500000", "3.500000", "5.500000"})
        EXPECT_NE(vertex.find(offset), std::string::npos) << offset;
    EXPECT_NE(fragment.find("0.076923"), std::string::npos);  // 1/13, the centre
    EXPECT_NE(fragment.find("0.153846"), std::string::npos);  // 2/13, each pair
    filter->setBlurRadiusInPixels(1e12);
    EXPECT_EQ(filter->blurRadiusInPixels(), 62.0);
    auto input = blocks(40, 8);
    auto result = filter->imageByFilteringImage(*input);
    ASSERT_TRUE(result);
    zt::test::expectPictureMatches(zt::test::separable(zt::test::cpuPicture(*input), box(62)), *result);
}

TEST(GLImageGaussianBlurPositionFilter, KeepsTheCircleRoundForTheFrameAndItsTurn)
{
    auto filter = std::make_shared<zt::GLImageGaussianBlurPositionFilter>();
    zt::runSynchronouslyOnContextQueue([&] { filter->setInputSize({640, 480}, 0); });
    EXPECT_DOUBLE_EQ(filter->aspectRatio(), 0.75);
    auto turned = std::make_shared<zt::GLImageGaussianBlurPositionFilter>();
    zt::runSynchronouslyOnContextQueue([&] {
        turned->setInputRotation(zt::GLImageRotationMode::RotateLeft, 0);
        turned->setInputSize({640, 480}, 0);
    });
    EXPECT_NEAR(turned->aspectRatio(), 4.0 / 3.0, 1e-12);
}

}  // namespace
