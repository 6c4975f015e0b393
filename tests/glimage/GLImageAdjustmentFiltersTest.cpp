#include <cmath>
#include <gtest/gtest.h>

#include "GLImageTestSupport.h"
#include "glimage/GLImageBrightnessFilter.h"
#include "glimage/GLImageColorInvertFilter.h"
#include "glimage/GLImageColorMatrixFilter.h"
#include "glimage/GLImageContrastFilter.h"
#include "glimage/GLImageGammaFilter.h"
#include "glimage/GLImageKuwaharaFilter.h"
#include "glimage/GLImageSaturationFilter.h"
#include "glimage/GLImageSepiaFilter.h"

namespace {

using zt::test::Colour;

std::shared_ptr<plat::Image> flat(double r, double g, double b, double a = 1.0)
{
    return zt::test::makePicture(4, 4, [=](int, int) { return Colour {r, g, b, a}; });
}

TEST(GLImageBrightnessFilter, DefaultPassesEveryPixelThrough)
{
    auto input = zt::test::makeColourRamp();
    auto filter = std::make_shared<zt::GLImageBrightnessFilter>();
    zt::test::expectPixelsMatch(
        *input, *filter->imageByFilteringImage(*input), [](const Colour& c, int, int) { return c; });
}

TEST(GLImageBrightnessFilter, RaisesEachChannelUpToOne)
{
    auto input = zt::test::makeColourRamp();
    auto filter = std::make_shared<zt::GLImageBrightnessFilter>();
    filter->setBrightness(0.25);
    EXPECT_EQ(filter->brightness(), 0.25);
    zt::test::expectPixelsMatch(*input, *filter->imageByFilteringImage(*input), [](const Colour& c, int, int) {
        return Colour {c[0] + 0.25, c[1] + 0.25, c[2] + 0.25, c[3]};
    });
}

TEST(GLImageContrastFilter, ScalesAroundMidGreyAndZeroGivesGrey)
{
    auto input = zt::test::makeColourRamp();
    auto filter = std::make_shared<zt::GLImageContrastFilter>();
    filter->setContrast(1.5);
    zt::test::expectPixelsMatch(*input, *filter->imageByFilteringImage(*input), [](const Colour& c, int, int) {
        return Colour {(c[0] - 0.5) * 1.5 + 0.5, (c[1] - 0.5) * 1.5 + 0.5, (c[2] - 0.5) * 1.5 + 0.5, c[3]};
    });
    filter->setContrast(0.0);
    auto grey = filter->imageByFilteringImage(*flat(0.9, 0.1, 0.3, 1.0));
    EXPECT_EQ(plat::test::pixelAt(*grey, 1, 1), (plat::test::Rgba {128, 128, 128, 255}));
}

TEST(GLImageSaturationFilter, MixesWithTheLuminanceGrey)
{
    auto input = zt::test::makeColourRamp();
    auto filter = std::make_shared<zt::GLImageSaturationFilter>();
    filter->setSaturation(1.7);
    zt::test::expectPixelsMatch(*input, *filter->imageByFilteringImage(*input), [](const Colour& c, int, int) {
        double l = c[0] * 0.2125 + c[1] * 0.7154 + c[2] * 0.0721;
        return Colour {l + (c[0] - l) * 1.7, l + (c[1] - l) * 1.7, l + (c[2] - l) * 1.7, c[3]};
    });
    filter->setSaturation(0.0);
    auto grey = filter->imageByFilteringImage(*flat(1, 0, 0));
    EXPECT_EQ(plat::test::pixelAt(*grey, 0, 0), (plat::test::Rgba {54, 54, 54, 255}));  // 0.2125
}

TEST(GLImageGammaFilter, RaisesEachChannelToThePower)
{
    auto input = zt::test::makeColourRamp();
    auto filter = std::make_shared<zt::GLImageGammaFilter>();
    filter->setGamma(2.2);
    zt::test::expectPixelsMatch(*input, *filter->imageByFilteringImage(*input), [](const Colour& c, int, int) {
        return Colour {std::pow(c[0], 2.2), std::pow(c[1], 2.2), std::pow(c[2], 2.2), c[3]};
    });
}

TEST(GLImageColorInvertFilter, ComplementsTheColourAndKeepsAlpha)
{
    auto input = zt::test::makeColourRamp();
    auto filter = std::make_shared<zt::GLImageColorInvertFilter>();
    zt::test::expectPixelsMatch(*input, *filter->imageByFilteringImage(*input), [](const Colour& c, int, int) {
        return Colour {1 - c[0], 1 - c[1], 1 - c[2], c[3]};
    });
}

TEST(GLImageColorMatrixFilter, DotsTheColourWithEachRowAndBlendsByIntensity)
{
    auto input = zt::test::makeColourRamp();
    auto filter = std::make_shared<zt::GLImageColorMatrixFilter>();
    filter->setColorMatrix(
        {{0.0f, 1.0f, 0.0f, 0.0f}, {0.5f, 0.0f, 0.5f, 0.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 0.0f, 1.0f}});
    filter->setIntensity(0.75);
    zt::test::expectPixelsMatch(*input, *filter->imageByFilteringImage(*input), [](const Colour& c, int, int) {
        Colour m {c[1], 0.5 * c[0] + 0.5 * c[2], c[3], c[3]};
        Colour out;
        for (size_t i = 0; i < 4; ++i)
            out[i] = 0.75 * m[i] + 0.25 * c[i];
        return out;
    });
}

TEST(GLImageColorMatrixFilter, ZeroIntensityPassesTheInputWhateverTheMatrix)
{
    auto input = zt::test::makeColourRamp();
    auto filter = std::make_shared<zt::GLImageColorMatrixFilter>();
    filter->setColorMatrix({{0, 0, 1, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 0, 1}});
    filter->setIntensity(0.0);
    zt::test::expectPixelsMatch(
        *input, *filter->imageByFilteringImage(*input), [](const Colour& c, int, int) { return c; });
}

TEST(GLImageSepiaFilter, TurnsWhiteIntoWarmWhiteWithTheRedSumClamped)
{
    auto filter = std::make_shared<zt::GLImageSepiaFilter>();
    auto result = filter->imageByFilteringImage(*flat(1, 1, 1));
    EXPECT_EQ(plat::test::pixelAt(*result, 2, 2), (plat::test::Rgba {255, 255, 204, 255}));
}

// The CPU version of the quadrant search, with the shader's fixed texel step
// and clamped edges over a picture of the given size.
Colour kuwaharaAt(const plat::Bitmap& bitmap, int x, int y, int radius)
{
    const int w = bitmap.width(), h = bitmap.height();
    auto sample = [&](int dx, int dy) {
        // Offsets of a 768 x 1024 step, sampled linearly on the w x h texture.
        double u = (x + 0.5) / w + dx / 768.0;
        double v = (y + 0.5) / h + dy / 1024.0;
        double fx = std::clamp(u * w - 0.5, 0.0, double(w - 1)), fy = std::clamp(v * h - 0.5, 0.0, double(h - 1));
        int x0 = int(fx), y0 = int(fy);
        int x1 = std::min(x0 + 1, w - 1), y1 = std::min(y0 + 1, h - 1);
        double ax = fx - x0, ay = fy - y0;
        Colour out {};
        for (int c = 0; c < 3; ++c) {
            auto at = [&](int px, int py) { return zt::test::colourAt(bitmap, px, py)[size_t(c)]; };
            out[size_t(c)]
                = (at(x0, y0) * (1 - ax) + at(x1, y0) * ax) * (1 - ay) + (at(x0, y1) * (1 - ax) + at(x1, y1) * ax) * ay;
        }
        return out;
    };
    const int quadrants[4][4]
        = {{-radius, 0, -radius, 0}, {0, radius, -radius, 0}, {0, radius, 0, radius}, {-radius, 0, 0, radius}};
    double minSigma = 100.0;
    Colour result {0, 0, 0, 1};
    for (const auto& q : quadrants) {
        double sum[3] = {}, squares[3] = {};
        for (int j = q[2]; j <= q[3]; ++j)
            for (int i = q[0]; i <= q[1]; ++i) {
                Colour c = sample(i, j);
                for (int k = 0; k < 3; ++k) {
                    sum[k] += c[size_t(k)];
                    squares[k] += c[size_t(k)] * c[size_t(k)];
                }
            }
        const double n = (radius + 1) * (radius + 1);
        double sigma = 0;
        Colour mean {0, 0, 0, 1};
        for (int k = 0; k < 3; ++k) {
            mean[size_t(k)] = sum[k] / n;
            sigma += std::abs(squares[k] / n - mean[size_t(k)] * mean[size_t(k)]);
        }
        if (sigma < minSigma) {
            minSigma = sigma;
            result = mean;
        }
    }
    return result;
}

TEST(GLImageKuwaharaFilter, TakesTheMeanOfTheLeastVariedQuadrant)
{
    // A hard edge: pixels near it take the side whose quadrant is uniform.
    auto input = zt::test::makePicture(24, 32, [](int x, int y) {
        return x < 12 ? Colour {0.9, 0.2, 0.1, 1.0} : Colour {0.1 + 0.01 * y, 0.3, 0.8, 1.0};
    });
    auto filter = std::make_shared<zt::GLImageKuwaharaFilter>();
    filter->setRadius(2);
    auto result = filter->imageByFilteringImage(*input);
    zt::test::expectPixelsMatch(
        *input, *result, [&](const Colour&, int x, int y) { return kuwaharaAt(*input->bitmap(), x, y, 2); });
}

TEST(GLImageKuwaharaFilter, GivesAUniformFrameItsColourWithFullAlpha)
{
    auto filter = std::make_shared<zt::GLImageKuwaharaFilter>();
    auto result = filter->imageByFilteringImage(*flat(0.2, 0.4, 0.6, 1.0));
    EXPECT_EQ(plat::test::pixelAt(*result, 3, 3), (plat::test::Rgba {51, 102, 153, 255}));
}

}  // namespace
