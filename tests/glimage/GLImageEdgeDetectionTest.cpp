#include <cmath>
#include <gtest/gtest.h>
#include <limits>

#include "GLImageCpuReference.h"
#include "glimage/GLImageCannyEdgeDetectionFilter.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageDirectionalNonMaximumSuppressionFilter.h"
#include "glimage/GLImageGrayscaleFilter.h"
#include "glimage/GLImagePrewittEdgeDetectionFilter.h"
#include "glimage/GLImageSketchFilter.h"
#include "glimage/GLImageSobelEdgeDetectionFilter.h"
#include "glimage/GLImageThresholdEdgeDetectionFilter.h"
#include "glimage/GLImageThresholdSketchFilter.h"
#include "glimage/GLImageXYDerivativeFilter.h"

namespace {

using zt::test::Colour;
using zt::test::CpuPicture;

constexpr double kEither = std::numeric_limits<double>::quiet_NaN();

// Soft and hard edges in colour, so that the luminance pass matters.
std::shared_ptr<plat::Image> scene()
{
    return zt::test::makePicture(16, 14, [](int x, int y) {
        if (x >= 5 && x < 11 && y >= 4 && y < 10)
            return Colour {0.9, 0.3, 0.2, 1.0};
        const double ramp = 0.03 * x + 0.02 * y;
        return Colour {0.1 + ramp, 0.2 + ramp, 0.6 - ramp, 1.0};
    });
}

// The first pass is the luminance filter's (checked against its own
// formula elsewhere); taken from it, so that the formulas below start from
// the same 8-bit values as the second pass, whichever way a luminance half
// a step between two bytes was rounded.
CpuPicture luminance(const plat::Image& input)
{
    auto grey = std::make_shared<zt::GLImageGrayscaleFilter>()->imageByFilteringImage(input);
    EXPECT_TRUE(grey);
    return zt::test::cpuPicture(*grey);
}

struct Gradient {
    double h, v;
};

// weight 2: Sobel, 1: Prewitt; h runs down the picture, v across it.
Gradient gradientOf(const CpuPicture& p, int x, int y, double weight)
{
    auto i = [&](int dx, int dy) { return p.at(x + dx, y + dy)[0]; };
    return {-i(-1, -1) - weight * i(0, -1) - i(1, -1) + i(-1, 1) + weight * i(0, 1) + i(1, 1),
        -i(-1, 1) - weight * i(-1, 0) - i(-1, -1) + i(1, 1) + weight * i(1, 0) + i(1, -1)};
}

Colour grey(double v)
{
    return {v, v, v, 1.0};
}

// 1 from the threshold up; either way within margin of it.
double stepWithMargin(double threshold, double value, double margin = 0.02)
{
    if (std::abs(value - threshold) < margin)
        return kEither;
    return value >= threshold ? 1.0 : 0.0;
}

struct EdgeCase {
    const char* name;
    std::function<std::shared_ptr<zt::GLImageOutput>()> make;
    std::function<Colour(const CpuPicture& luminance, int x, int y)> expected;
};

TEST(GLImageEdgeDetectionFilters, MatchTheirFormulasOnTheCpu)
{
    const EdgeCase cases[] = {
        {"sobel", [] { return std::make_shared<zt::GLImageSobelEdgeDetectionFilter>(); },
            [](const CpuPicture& p, int x, int y) {
                auto g = gradientOf(p, x, y, 2);
                return grey(std::hypot(g.h, g.v));
            }},
        {"sobel, edge strength 0.3",
            [] {
                auto filter = std::make_shared<zt::GLImageSobelEdgeDetectionFilter>();
                filter->setEdgeStrength(0.3);
                return filter;
            },
            [](const CpuPicture& p, int x, int y) {
                auto g = gradientOf(p, x, y, 2);
                return grey(std::hypot(g.h, g.v) * 0.3);
            }},
        {"sketch, edge strength 0.5",
            [] {
                auto filter = std::make_shared<zt::GLImageSketchFilter>();
                filter->setEdgeStrength(0.5);
                return filter;
            },
            [](const CpuPicture& p, int x, int y) {
                auto g = gradientOf(p, x, y, 2);
                return grey(1.0 - std::hypot(g.h, g.v) * 0.5);
            }},
        {"prewitt", [] { return std::make_shared<zt::GLImagePrewittEdgeDetectionFilter>(); },
            [](const CpuPicture& p, int x, int y) {
                auto g = gradientOf(p, x, y, 1);
                return grey(std::hypot(g.h, g.v));
            }},
        {"xy derivative, edge strength 0.8",
            [] {
                auto filter = std::make_shared<zt::GLImageXYDerivativeFilter>();
                filter->setEdgeStrength(0.8);
                return filter;
            },
            [](const CpuPicture& p, int x, int y) {
                auto g = gradientOf(p, x, y, 1);
                const double vertical = g.h * 0.8, horizontal = g.v * 0.8;
                return Colour {horizontal * horizontal, vertical * vertical, (vertical * horizontal + 1) / 2, 1.0};
            }},
        {"threshold edges", [] { return std::make_shared<zt::GLImageThresholdEdgeDetectionFilter>(); },
            [](const CpuPicture& p, int x, int y) {
                auto i = [&](int dx, int dy) { return p.at(x + dx, y + dy)[0]; };
                return grey(stepWithMargin(0.25, std::hypot(i(0, 1) - i(0, -1), i(1, 0) - i(-1, 0))));
            }},
        {"threshold edges, threshold 0.1 and edge strength 2",
            [] {
                auto filter = std::make_shared<zt::GLImageThresholdEdgeDetectionFilter>();
                filter->setThreshold(0.1);
                filter->setEdgeStrength(2.0);
                return filter;
            },
            [](const CpuPicture& p, int x, int y) {
                auto i = [&](int dx, int dy) { return p.at(x + dx, y + dy)[0]; };
                return grey(stepWithMargin(0.1, 2 * std::hypot(i(0, 1) - i(0, -1), i(1, 0) - i(-1, 0))));
            }},
        {"threshold sketch", [] { return std::make_shared<zt::GLImageThresholdSketchFilter>(); },
            [](const CpuPicture& p, int x, int y) {
                auto g = gradientOf(p, x, y, 2);
                return grey(1.0 - stepWithMargin(0.25, std::hypot(g.h, g.v)));
            }},
    };
    auto input = scene();
    const CpuPicture grey = luminance(*input);
    for (const auto& edgeCase : cases) {
        SCOPED_TRACE(edgeCase.name);
        auto result = edgeCase.make()->imageByFilteringImage(*input);
        ASSERT_TRUE(result);
        zt::test::expectPictureMatches(
            zt::test::mapPicture(grey, [&](const CpuPicture& p, int x, int y) { return edgeCase.expected(p, x, y); }),
            *result);
    }
}

TEST(GLImageEdgeDetectionFilters, FlatPicturesHaveNoEdges)
{
    auto flat = plat::test::makeFlatImage(6, 5, {90, 140, 30, 255});
    const std::pair<std::shared_ptr<zt::GLImageOutput>, plat::test::Rgba> filters[] = {
        {std::make_shared<zt::GLImageSobelEdgeDetectionFilter>(), {0, 0, 0, 255}},
        {std::make_shared<zt::GLImagePrewittEdgeDetectionFilter>(), {0, 0, 0, 255}},
        {std::make_shared<zt::GLImageThresholdEdgeDetectionFilter>(), {0, 0, 0, 255}},
        {std::make_shared<zt::GLImageSketchFilter>(), {255, 255, 255, 255}},
        {std::make_shared<zt::GLImageThresholdSketchFilter>(), {255, 255, 255, 255}},
        {std::make_shared<zt::GLImageXYDerivativeFilter>(), {0, 0, 128, 255}},
        {std::make_shared<zt::GLImageCannyEdgeDetectionFilter>(), {0, 0, 0, 255}},
    };
    for (const auto& [filter, expected] : filters) {
        auto result = filter->imageByFilteringImage(*flat);
        ASSERT_TRUE(result);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x)
                ASSERT_LE(plat::test::componentDistance(plat::test::pixelAt(*result, x, y), expected), 1)
                    << x << ", " << y;
    }
}

std::shared_ptr<plat::Image> blackToWhiteStep()
{
    return plat::test::makeImage(10, 4, [](int x, int) {
        return x < 5 ? plat::test::Rgba {0, 0, 0, 255} : plat::test::Rgba {255, 255, 255, 255};
    });
}

TEST(GLImageEdgeDetectionFilters, AStepGivesFourTimesTheStrengthBesideItForSobelAndThreeForPrewitt)
{
    auto sobel = std::make_shared<zt::GLImageSobelEdgeDetectionFilter>();
    sobel->setEdgeStrength(0.2);
    auto prewitt = std::make_shared<zt::GLImagePrewittEdgeDetectionFilter>();
    prewitt->setEdgeStrength(0.2);
    auto sobelResult = sobel->imageByFilteringImage(*blackToWhiteStep());
    auto prewittResult = prewitt->imageByFilteringImage(*blackToWhiteStep());
    for (int x : {4, 5}) {
        EXPECT_NEAR(plat::test::pixelAt(*sobelResult, x, 1)[0], 204, 1);  // 0.8
        EXPECT_NEAR(plat::test::pixelAt(*prewittResult, x, 1)[0], 153, 1);  // 0.6
    }
    EXPECT_EQ(plat::test::pixelAt(*sobelResult, 3, 1)[0], 0);
    // Beyond 1 the 8-bit output holds 1.
    auto full = std::make_shared<zt::GLImageSobelEdgeDetectionFilter>()->imageByFilteringImage(*blackToWhiteStep());
    EXPECT_EQ(plat::test::pixelAt(*full, 4, 1)[0], 255);
}

TEST(GLImageThresholdEdgeDetectionFilter, MarksAMagnitudeExactlyAtTheThreshold)
{
    auto filter = std::make_shared<zt::GLImageThresholdEdgeDetectionFilter>();
    filter->setThreshold(1.0);  // the two-sided difference beside the step is exactly 1
    auto result = filter->imageByFilteringImage(*blackToWhiteStep());
    EXPECT_EQ(plat::test::pixelAt(*result, 4, 1)[0], 255);
    EXPECT_EQ(plat::test::pixelAt(*result, 5, 1)[0], 255);
    EXPECT_EQ(plat::test::pixelAt(*result, 6, 1)[0], 0);
    filter->setThreshold(1.01);
    result = filter->imageByFilteringImage(*blackToWhiteStep());
    EXPECT_EQ(plat::test::pixelAt(*result, 4, 1)[0], 0);
}

TEST(GLImageSobelEdgeDetectionFilter, TexelSizeFollowsTheOutputUntilSetByHand)
{
    auto filter = std::make_shared<zt::GLImageSobelEdgeDetectionFilter>();
    EXPECT_TRUE(filter->imageByFilteringImage(*plat::test::makeFlatImage(640, 4, {0, 0, 0, 255})));
    EXPECT_DOUBLE_EQ(filter->texelWidth(), 1.0 / 640);
    EXPECT_DOUBLE_EQ(filter->texelHeight(), 1.0 / 4);
    filter->setTexelWidth(0.01);
    EXPECT_TRUE(filter->imageByFilteringImage(*plat::test::makeFlatImage(320, 8, {0, 0, 0, 255})));
    EXPECT_DOUBLE_EQ(filter->texelWidth(), 0.01);
    EXPECT_DOUBLE_EQ(filter->texelHeight(), 1.0 / 4);
}

// A ridge of gradient magnitude down column 3, pointing across it (direction
// (1, 0) stored as (1, 0.5)); lower magnitudes either side.
std::shared_ptr<plat::Image> ridge(double magnitude)
{
    return zt::test::makePicture(8, 4, [=](int x, int) {
        const double m = x == 3 ? magnitude : (x == 2 || x == 4 ? magnitude * 0.5 : 0.0);
        return Colour {m, 1.0, 0.5, 1.0};
    });
}

TEST(GLImageDirectionalNonMaximumSuppressionFilter, KeepsMaximaAboveTheUpperThresholdAndDropsThoseBelowTheLower)
{
    auto filter = std::make_shared<zt::GLImageDirectionalNonMaximumSuppressionFilter>();
    auto strong = filter->imageByFilteringImage(*ridge(0.6));
    EXPECT_EQ(plat::test::pixelAt(*strong, 3, 1), (plat::test::Rgba {255, 255, 255, 255}));
    EXPECT_EQ(plat::test::pixelAt(*strong, 2, 1)[0], 0);  // not a maximum along its gradient
    EXPECT_EQ(plat::test::pixelAt(*strong, 4, 1)[0], 0);
    auto weak = filter->imageByFilteringImage(*ridge(0.08));
    EXPECT_EQ(plat::test::pixelAt(*weak, 3, 1)[0], 0);
    // Between the thresholds: smoothstep(0.1, 0.5, 0.3) = 0.5.
    auto middle = filter->imageByFilteringImage(*ridge(0.3));
    EXPECT_NEAR(plat::test::pixelAt(*middle, 3, 1)[0], 128, 3);
}

TEST(GLImageCannyEdgeDetectionFilter, FindsTheOutlineOfARectangle)
{
    const int left = 8, right = 24, top = 6, bottom = 18;  // the rectangle covers [left, right) x [top, bottom)
    auto picture = zt::test::makePicture(32, 24, [&](int x, int y) {
        const bool inside = x >= left && x < right && y >= top && y < bottom;
        return inside ? Colour {0.9, 0.9, 0.8, 1.0} : Colour {0.1, 0.15, 0.2, 1.0};
    });
    auto canny = std::make_shared<zt::GLImageCannyEdgeDetectionFilter>();
    auto result = canny->imageByFilteringImage(*picture);
    ASSERT_TRUE(result);
    auto lit = [&](int x, int y) { return plat::test::pixelAt(*result, x, y)[0] > 128; };
    // How far a pixel lies from the rectangle's border.
    auto distanceToBorder = [&](int x, int y) {
        const double cx = std::clamp(double(x), left - 0.5, right - 0.5);
        const double cy = std::clamp(double(y), top - 0.5, bottom - 0.5);
        const bool inside = x >= left && x < right && y >= top && y < bottom;
        if (!inside)
            return std::hypot(x - cx, y - cy);
        return std::min({x - (left - 0.5), (right - 0.5) - x, y - (top - 0.5), (bottom - 0.5) - y});
    };
    int onBorder = 0;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (!lit(x, y))
                continue;
            EXPECT_LE(distanceToBorder(x, y), 1.5) << "edge far from the outline at " << x << ", " << y;
            ++onBorder;
        }
    }
    // Each side is found across its middle, thin: a step between two pixels
    // has its gradient's maximum on both, which both keep.
    int leftSide = 0, rightSide = 0, topSide = 0, bottomSide = 0;
    for (int x = 0; x < 32; ++x) {
        leftSide += lit(x, 12) && x < 16;
        rightSide += lit(x, 12) && x >= 16;
    }
    for (int y = 0; y < 24; ++y) {
        topSide += lit(16, y) && y < 12;
        bottomSide += lit(16, y) && y >= 12;
    }
    for (int side : {leftSide, rightSide, topSide, bottomSide}) {
        EXPECT_GE(side, 1);
        EXPECT_LE(side, 2);
    }
    EXPECT_GT(onBorder, 40);
}

TEST(GLImageCannyEdgeDetectionFilter, ForwardsItsPropertiesToItsStages)
{
    auto canny = std::make_shared<zt::GLImageCannyEdgeDetectionFilter>();
    EXPECT_DOUBLE_EQ(canny->upperThreshold(), 0.4);
    EXPECT_DOUBLE_EQ(canny->lowerThreshold(), 0.1);
    EXPECT_EQ(canny->blurRadiusInPixels(), 2.0);
    canny->setUpperThreshold(0.7);
    EXPECT_DOUBLE_EQ(canny->upperThreshold(), 0.7);
    canny->setBlurRadiusInPixels(3.6);
    EXPECT_EQ(canny->blurRadiusInPixels(), 4.0);
    canny->setBlurTexelSpacingMultiplier(2.0);
    EXPECT_EQ(canny->blurTexelSpacingMultiplier(), 2.0);
    canny->setTexelWidth(0.5);
    EXPECT_EQ(canny->texelWidth(), 0.5);
}

}  // namespace
