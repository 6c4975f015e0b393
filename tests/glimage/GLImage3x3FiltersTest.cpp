#include <cmath>
#include <gtest/gtest.h>
#include <limits>

#include "GLImageCpuReference.h"
#include "glimage/GLImage3x3ConvolutionFilter.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageEmbossFilter.h"
#include "glimage/GLImageLaplacianFilter.h"
#include "glimage/GLImageLocalBinaryPatternFilter.h"
#include "glimage/GLImageMedianFilter.h"
#include "glimage/GLImagePicture.h"
#include "glimage/GLImageSmoothToonFilter.h"
#include "glimage/GLImageToonFilter.h"

namespace {

using zt::test::Colour;
using zt::test::CpuPicture;

// Uneven colours, a few bright specks and see-through pixels: every
// neighbour weighs differently.
std::shared_ptr<plat::Image> texture()
{
    return zt::test::makePicture(16, 12, [](int x, int y) {
        const double alpha = x < 12 ? 1.0 : 0.6;
        const bool speck = (x * 7 + y * 3) % 11 == 0;
        const double r = speck ? 0.95 : 0.1 + 0.05 * ((x * 5 + y) % 9);
        const double g = 0.2 + 0.04 * ((x + y * 3) % 13);
        const double b = speck ? 0.9 : 0.5 - 0.03 * ((x * 2 + y * 5) % 7);
        return Colour {r * alpha, g * alpha, b * alpha, alpha};
    });
}

// kernel[row][column], row 0 the top (toward smaller y).
using Kernel = std::array<std::array<double, 3>, 3>;

CpuPicture convolve(const CpuPicture& in, const Kernel& kernel, double offset = 0.0)
{
    return zt::test::mapPicture(in, [&](const CpuPicture& p, int x, int y) {
        Colour out {offset, offset, offset, p.at(x, y)[3]};
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column)
                for (size_t c = 0; c < 3; ++c)
                    out[c] += kernel[size_t(row)][size_t(column)] * p.at(x + column - 1, y + row - 1)[c];
        return out;
    });
}

CpuPicture median(const CpuPicture& in)
{
    return zt::test::mapPicture(in, [](const CpuPicture& p, int x, int y) {
        Colour out {0, 0, 0, 1.0};
        for (size_t c = 0; c < 3; ++c) {
            std::vector<double> values;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    values.push_back(p.at(x + dx, y + dy)[c]);
            std::nth_element(values.begin(), values.begin() + 4, values.end());
            out[c] = values[4];
        }
        return out;
    });
}

// The Sobel magnitude of the red channel.
double sobelOfRed(const CpuPicture& p, int x, int y)
{
    auto r = [&](int dx, int dy) { return p.at(x + dx, y + dy)[0]; };
    const double h = -r(-1, -1) - 2 * r(0, -1) - r(1, -1) + r(-1, 1) + 2 * r(0, 1) + r(1, 1);
    const double v = -r(-1, 1) - 2 * r(-1, 0) - r(-1, -1) + r(1, 1) + 2 * r(1, 0) + r(1, -1);
    return std::hypot(h, v);
}

// margin: how near the threshold or a level's edge a value may come before
// the result counts as either (a blurred input carries rounding).
CpuPicture toon(const CpuPicture& in, double threshold, double levels, double margin = 0.0)
{
    constexpr double kEither = std::numeric_limits<double>::quiet_NaN();
    return zt::test::mapPicture(in, [&](const CpuPicture& p, int x, int y) {
        const Colour& c = p.at(x, y);
        const double magnitude = sobelOfRed(p, x, y);
        const bool edge = magnitude >= threshold;
        const bool nearThreshold = std::abs(magnitude - threshold) < margin;
        Colour out {0, 0, 0, c[3]};
        for (size_t i = 0; i < 3; ++i) {
            const double scaled = c[i] * levels + 0.5;
            const bool nearLevelEdge = std::abs(scaled - std::round(scaled)) < margin * levels;
            out[i] = edge ? 0.0 : std::floor(scaled) / levels;
            if (nearThreshold || (!edge && nearLevelEdge))
                out[i] = kEither;
        }
        return out;
    });
}

CpuPicture localBinaryPattern(const CpuPicture& in)
{
    // (dx, dy, bit): top right 1, top 2, top left 4, left 8, bottom left 16, bottom 32, bottom right 64, right 128.
    const int neighbours[8][3]
        = {{1, -1, 1}, {0, -1, 2}, {-1, -1, 4}, {-1, 0, 8}, {-1, 1, 16}, {0, 1, 32}, {1, 1, 64}, {1, 0, 128}};
    return zt::test::mapPicture(in, [&](const CpuPicture& p, int x, int y) {
        int tally = 0;
        for (const auto& n : neighbours)
            tally += p.at(x + n[0], y + n[1])[0] >= p.at(x, y)[0] ? n[2] : 0;
        const double v = tally / 255.0;
        return Colour {v, v, v, 1.0};
    });
}

std::vector<double> gaussianFourTwo()
{
    std::vector<double> weights;
    double sum = 0;
    for (int i = -4; i <= 4; ++i) {
        weights.push_back(std::exp(-i * i / 8.0));
        sum += weights.back();
    }
    for (auto& w : weights)
        w /= sum;
    return weights;
}

struct SamplingCase {
    const char* name;
    std::function<std::shared_ptr<zt::GLImageOutput>()> make;
    std::function<CpuPicture(const CpuPicture&)> expected;
};

TEST(GLImage3x3SamplingFilters, MatchTheirFormulasOnTheCpu)
{
    const Kernel uneven = {{{0.1, 0.2, 0.0}, {-0.1, 0.6, 0.1}, {0.0, 0.3, -0.2}}};
    const SamplingCase cases[] = {
        {"convolution, identity", [] { return std::make_shared<zt::GLImage3x3ConvolutionFilter>(); },
            [](const CpuPicture& in) { return in; }},
        {"convolution, uneven kernel",
            [&] {
                auto filter = std::make_shared<zt::GLImage3x3ConvolutionFilter>();
                filter->setConvolutionKernel({{0.1f, 0.2f, 0.0f}, {-0.1f, 0.6f, 0.1f}, {0.0f, 0.3f, -0.2f}});
                return filter;
            },
            [&](const CpuPicture& in) { return convolve(in, uneven); }},
        {"emboss", [] { return std::make_shared<zt::GLImageEmbossFilter>(); },
            [](const CpuPicture& in) {
                return convolve(in, {{{-2, -1, 0}, {-1, 1, 1}, {0, 1, 2}}});
            }},
        {"emboss, intensity 0.5",
            [] {
                auto filter = std::make_shared<zt::GLImageEmbossFilter>();
                filter->setIntensity(0.5);
                return filter;
            },
            [](const CpuPicture& in) {
                return convolve(in, {{{-1, -0.5, 0}, {-0.5, 1, 0.5}, {0, 0.5, 1}}});
            }},
        {"emboss, intensity 0",
            [] {
                auto filter = std::make_shared<zt::GLImageEmbossFilter>();
                filter->setIntensity(0.0);
                return filter;
            },
            [](const CpuPicture& in) { return in; }},
        {"laplacian", [] { return std::make_shared<zt::GLImageLaplacianFilter>(); },
            [](const CpuPicture& in) {
                return convolve(in, {{{0.5, 1, 0.5}, {1, -6, 1}, {0.5, 1, 0.5}}}, 0.5);
            }},
        {"median", [] { return std::make_shared<zt::GLImageMedianFilter>(); }, median},
        {"toon", [] { return std::make_shared<zt::GLImageToonFilter>(); },
            [](const CpuPicture& in) { return toon(in, 0.2, 10); }},
        {"toon, threshold 0.9 and 4 levels",
            [] {
                auto filter = std::make_shared<zt::GLImageToonFilter>();
                filter->setThreshold(0.9);
                filter->setQuantizationLevels(4);
                return filter;
            },
            [](const CpuPicture& in) { return toon(in, 0.9, 4); }},
        {"smooth toon", [] { return std::make_shared<zt::GLImageSmoothToonFilter>(); },
            [](const CpuPicture& in) {
                return toon(zt::test::stored(zt::test::separable(in, gaussianFourTwo())), 0.2, 10, 0.04);
            }},
        {"local binary pattern", [] { return std::make_shared<zt::GLImageLocalBinaryPatternFilter>(); },
            localBinaryPattern},
    };
    auto input = texture();
    const CpuPicture cpuInput = zt::test::cpuPicture(*input);
    for (const auto& samplingCase : cases) {
        SCOPED_TRACE(samplingCase.name);
        auto filter = samplingCase.make();
        auto result = filter->imageByFilteringImage(*input);
        ASSERT_TRUE(result);
        zt::test::expectPictureMatches(samplingCase.expected(cpuInput), *result);
    }
}

TEST(GLImage3x3SamplingFilters, FlatPicturesGiveTheirFixedPoints)
{
    auto flat = plat::test::makeFlatImage(6, 5, {100, 150, 200, 255});
    auto laplacian = std::make_shared<zt::GLImageLaplacianFilter>()->imageByFilteringImage(*flat);
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*laplacian, 3, 2), {128, 128, 128, 255}), 1);
    auto pattern = std::make_shared<zt::GLImageLocalBinaryPatternFilter>()->imageByFilteringImage(*flat);
    EXPECT_EQ(plat::test::pixelAt(*pattern, 3, 2), (plat::test::Rgba {255, 255, 255, 255}));
}

TEST(GLImageToonFilter, BlackensAMagnitudeExactlyAtTheThreshold)
{
    // A step from black to white: the Sobel magnitude beside it is exactly 4.
    auto step = plat::test::makeImage(8, 4, [](int x, int) {
        return x < 4 ? plat::test::Rgba {0, 0, 0, 255} : plat::test::Rgba {255, 255, 255, 255};
    });
    auto filter = std::make_shared<zt::GLImageToonFilter>();
    filter->setThreshold(4.0);
    auto result = filter->imageByFilteringImage(*step);
    EXPECT_EQ(plat::test::pixelAt(*result, 4, 1), (plat::test::Rgba {0, 0, 0, 255}));
    EXPECT_EQ(plat::test::pixelAt(*result, 6, 1), (plat::test::Rgba {255, 255, 255, 255}));
    filter->setThreshold(4.01);
    result = filter->imageByFilteringImage(*step);
    EXPECT_EQ(plat::test::pixelAt(*result, 4, 1), (plat::test::Rgba {255, 255, 255, 255}));
}

TEST(GLImage3x3TextureSamplingFilter, TexelSizeSetByHandOutlivesANewInputSize)
{
    auto filter = std::make_shared<zt::GLImage3x3ConvolutionFilter>();
    filter->setConvolutionKernel({{0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 0.0f}});  // the right neighbour
    auto small = texture();
    EXPECT_TRUE(filter->imageByFilteringImage(*small));
    EXPECT_DOUBLE_EQ(filter->texelWidth(), 1.0 / 16);
    filter->setTexelWidth(2.0 / 16);

    auto larger = zt::test::makePicture(32, 12, [](int x, int y) { return Colour {x / 31.0, y / 11.0, 0.5, 1.0}; });
    auto result = filter->imageByFilteringImage(*larger);
    ASSERT_TRUE(result);
    EXPECT_DOUBLE_EQ(filter->texelWidth(), 2.0 / 16);
    // Two sixteenths of 32 pixels: four pixels to the right.
    zt::test::expectPictureMatches(zt::test::mapPicture(zt::test::cpuPicture(*larger),
                                       [](const CpuPicture& p, int x, int y) {
                                           Colour c = p.at(x + 4, y);
                                           c[3] = p.at(x, y)[3];
                                           return c;
                                       }),
        *result);
}

TEST(GLImage3x3TextureSamplingFilter, ATurnedInputSwapsTheStepsSentToTheShader)
{
    auto input = texture();
    auto filter = std::make_shared<zt::GLImageLocalBinaryPatternFilter>();
    auto picture = std::make_shared<zt::GLImagePicture>(*input);
    zt::runSynchronouslyOnContextQueue([&] { filter->setInputRotation(zt::GLImageRotationMode::RotateLeft, 0); });
    picture->addTarget(filter, 0);
    picture->processImage();
    auto result = filter->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(result);
    // The properties stay those of the output size.
    EXPECT_DOUBLE_EQ(filter->texelWidth(), 1.0 / 12);
    EXPECT_DOUBLE_EQ(filter->texelHeight(), 1.0 / 16);
    // The neighbours are the input texture's own, a texel of its size
    // apart: the pattern is the input's, turned left (output (x, y) is input
    // (width - 1 - y, x)).
    const CpuPicture pattern = localBinaryPattern(zt::test::cpuPicture(*input));
    CpuPicture turned(pattern.height, pattern.width);
    for (int y = 0; y < turned.height; ++y)
        for (int x = 0; x < turned.width; ++x)
            turned.at(x, y) = pattern.at(pattern.width - 1 - y, x);
    zt::test::expectPictureMatches(turned, *result);
    picture->removeAllTargets();
}

TEST(GLImageSmoothToonFilter, ForwardsItsPropertiesToItsFilters)
{
    auto filter = std::make_shared<zt::GLImageSmoothToonFilter>();
    EXPECT_EQ(filter->blurRadiusInPixels(), 2.0);
    EXPECT_DOUBLE_EQ(filter->threshold(), 0.2);
    filter->setQuantizationLevels(6);
    EXPECT_EQ(filter->quantizationLevels(), 6.0);
    filter->setTexelWidth(0.25);
    EXPECT_EQ(filter->texelWidth(), 0.25);
}

}  // namespace
