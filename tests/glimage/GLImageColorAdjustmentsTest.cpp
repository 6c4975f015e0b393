#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

#include "GLImageTestSupport.h"
#include "glimage/GLImageCGAColorspaceFilter.h"
#include "glimage/GLImageColorPackingFilter.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageExposureFilter.h"
#include "glimage/GLImageFalseColorFilter.h"
#include "glimage/GLImageGrayscaleFilter.h"
#include "glimage/GLImageHSBFilter.h"
#include "glimage/GLImageHazeFilter.h"
#include "glimage/GLImageHighlightShadowFilter.h"
#include "glimage/GLImageHueFilter.h"
#include "glimage/GLImageLevelsFilter.h"
#include "glimage/GLImageLuminanceRangeFilter.h"
#include "glimage/GLImageLuminanceThresholdFilter.h"
#include "glimage/GLImageMonochromeFilter.h"
#include "glimage/GLImageOpacityFilter.h"
#include "glimage/GLImagePicture.h"
#include "glimage/GLImagePosterizeFilter.h"
#include "glimage/GLImageRGBFilter.h"

namespace {

using zt::test::Colour;

double luminance(const Colour& c)
{
    return c[0] * 0.2125 + c[1] * 0.7154 + c[2] * 0.0721;
}

Colour withRgb(const Colour& c, double r, double g, double b)
{
    return {r, g, b, c[3]};
}

// A ramp that avoids exact ties at posterize and threshold boundaries.
std::shared_ptr<plat::Image> ramp()
{
    return zt::test::makeColourRamp(16, 16);
}

template <typename Filter> std::shared_ptr<plat::Image> filtered(Filter& filter, const plat::Image& input)
{
    auto result = filter->imageByFilteringImage(input);
    EXPECT_TRUE(result);
    return result;
}

TEST(GLImageExposureFilter, ScalesByTwoToTheExposure)
{
    auto input = ramp();
    auto filter = std::make_shared<zt::GLImageExposureFilter>();
    filter->setExposure(-0.5);
    const double gain = std::pow(2.0, -0.5);
    zt::test::expectPixelsMatch(*input, *filtered(filter, *input),
        [&](const Colour& c, int, int) { return withRgb(c, c[0] * gain, c[1] * gain, c[2] * gain); });
}

TEST(GLImageRGBFilter, MultipliesEachChannelByItsGain)
{
    auto input = ramp();
    auto filter = std::make_shared<zt::GLImageRGBFilter>();
    filter->setRed(0.5);
    filter->setGreen(1.2);
    filter->setBlue(0.0);
    zt::test::expectPixelsMatch(*input, *filtered(filter, *input),
        [](const Colour& c, int, int) { return withRgb(c, c[0] * 0.5, c[1] * 1.2, 0.0); });
}

TEST(GLImageOpacityFilter, MultipliesAlpha)
{
    auto input = ramp();
    auto filter = std::make_shared<zt::GLImageOpacityFilter>();
    filter->setOpacity(0.4);
    // Premultiplied: the colour fades with the alpha.
    zt::test::expectPixelsMatch(*input, *filtered(filter, *input), [](const Colour& c, int, int) {
        return Colour {c[0] * 0.4, c[1] * 0.4, c[2] * 0.4, 0.4};
    });
}

TEST(GLImageOpacityFilter, FadesSeeThroughPixelsFurtherWithTheirColour)
{
    auto input = zt::test::makePicture(8, 8, [](int x, int y) {
        const double alpha = (x + 1) / 8.0;
        return Colour {alpha * y / 7.0, alpha * 0.5, alpha, alpha};
    });
    auto filter = std::make_shared<zt::GLImageOpacityFilter>();
    filter->setOpacity(0.5);
    zt::test::expectPixelsMatch(*input, *filtered(filter, *input), [](const Colour& c, int, int) {
        return Colour {c[0] * 0.5, c[1] * 0.5, c[2] * 0.5, c[3] * 0.5};
    });
}

TEST(GLImageLuminanceRangeFilter, PullsTowardsMidGrey)
{
    auto input = ramp();
    auto filter = std::make_shared<zt::GLImageLuminanceRangeFilter>();
    EXPECT_EQ(filter->rangeReductionFactor(), 0.6);
    zt::test::expectPixelsMatch(*input, *filtered(filter, *input), [](const Colour& c, int, int) {
        double shift = (0.5 - luminance(c)) * 0.6;
        return withRgb(c, c[0] + shift, c[1] + shift, c[2] + shift);
    });
}

TEST(GLImageLuminanceThresholdFilter, WhiteFromTheThresholdUp)
{
    auto input = ramp();
    auto filter = std::make_shared<zt::GLImageLuminanceThresholdFilter>();
    filter->setThreshold(0.42);
    zt::test::expectPixelsMatch(*input, *filtered(filter, *input), [](const Colour& c, int, int) {
        double v = luminance(c) >= 0.42 ? 1.0 : 0.0;
        return withRgb(c, v, v, v);
    });
}

TEST(GLImageLuminanceThresholdFilter, ExactlyAtTheThresholdGivesWhite)
{
    // Pure green has exactly the green weight as its luminance.
    auto green = zt::test::makePicture(2, 2, [](int, int) { return Colour {0, 1, 0, 1.0}; });
    auto filter = std::make_shared<zt::GLImageLuminanceThresholdFilter>();
    filter->setThreshold(0.7154);
    EXPECT_EQ(plat::test::pixelAt(*filtered(filter, *green), 0, 0), (plat::test::Rgba {255, 255, 255, 255}));
    filter->setThreshold(0.7155);
    EXPECT_EQ(plat::test::pixelAt(*filtered(filter, *green), 0, 0), (plat::test::Rgba {0, 0, 0, 255}));
}

TEST(GLImagePosterizeFilter, RoundsToTheLevels)
{
    auto input = zt::test::makePicture(16, 16, [](int x, int y) {
        return Colour {(x * 16 + y) / 255.0 * 0.98 + 0.004, 0.33, 0.71, 1.0};
    });
    auto filter = std::make_shared<zt::GLImagePosterizeFilter>();
    filter->setColorLevels(4);
    zt::test::expectPixelsMatch(*input, *filtered(filter, *input), [](const Colour& c, int, int) {
        auto level = [](double v) { return std::floor(v * 4 + 0.5) / 4; };
        return Colour {level(c[0]), level(c[1]), level(c[2]), level(c[3])};
    });
}

TEST(GLImagePosterizeFilter, OneLevelMapsEveryComponentToZeroOrOne)
{
    auto input = zt::test::makePicture(2, 1, [](int x, int) {
        return x == 0 ? Colour {0.45, 0.55, 0.2, 1.0} : Colour {0.8, 0.1, 0.51, 1.0};
    });
    auto filter = std::make_shared<zt::GLImagePosterizeFilter>();
    filter->setColorLevels(1);
    auto result = filtered(filter, *input);
    EXPECT_EQ(plat::test::pixelAt(*result, 0, 0), (plat::test::Rgba {0, 255, 0, 255}));
    EXPECT_EQ(plat::test::pixelAt(*result, 1, 0), (plat::test::Rgba {255, 0, 255, 255}));
}

TEST(GLImageHazeFilter, RemovesAHazeThatGrowsDownTheFrame)
{
    auto input = zt::test::makePicture(16, 16, [](int x, int y) {
        return Colour {0.5 + 0.02 * x, 0.6, 0.4 + 0.03 * y, 1.0};
    });
    auto filter = std::make_shared<zt::GLImageHazeFilter>();
    filter->setDistance(0.1);
    filter->setSlope(0.2);
    zt::test::expectPixelsMatch(*input, *filtered(filter, *input), [](const Colour& c, int, int y) {
        double d = (y + 0.5) / 16.0 * 0.2 + 0.1;
        Colour out;
        for (size_t i = 0; i < 4; ++i)
            out[i] = std::min((c[i] - d) / (1 - d), 1.0);
        return out;
    });
}

TEST(GLImageHazeFilter, ZeroDistanceAndSlopeReproduceTheInput)
{
    auto input = ramp();
    auto filter = std::make_shared<zt::GLImageHazeFilter>();
    filter->setDistance(0.0);
    zt::test::expectPixelsMatch(*input, *filtered(filter, *input), [](const Colour& c, int, int) { return c; });
}

Colour highlightShadow(const Colour& c, double shadows, double highlights)
{
    double l = (c[0] + c[1] + c[2]) * 0.3;
    double shadow = std::clamp(std::pow(l, 1 / (shadows + 1)) - 0.76 * std::pow(l, 2 / (shadows + 1)) - l, 0.0, 1.0);
    double highlight = std::clamp(
        1 - (std::pow(1 - l, 1 / (2 - highlights)) - 0.8 * std::pow(1 - l, 2 / (2 - highlights))) - l, -1.0, 0.0);
    double k = (l + shadow + highlight) / l;
    return withRgb(c, c[0] * k, c[1] * k, c[2] * k);
}

TEST(GLImageHighlightShadowFilter, LiftsShadowsAndDarkensHighlights)
{
    auto input = zt::test::makePicture(16, 16, [](int x, int y) {
        return Colour {0.05 + 0.055 * x, 0.1 + 0.05 * y, 0.3, 1.0};
    });
    auto filter = std::make_shared<zt::GLImageHighlightShadowFilter>();
    filter->setShadows(0.6);
    filter->setHighlights(0.3);
    zt::test::expectPixelsMatch(
        *input, *filtered(filter, *input), [](const Colour& c, int, int) { return highlightShadow(c, 0.6, 0.3); });
}

TEST(GLImageHighlightShadowFilter, DefaultsLeaveLitPixelsUnchanged)
{
    auto input = zt::test::makePicture(16, 16, [](int x, int y) {
        return Colour {0.05 + 0.055 * x, 0.1 + 0.05 * y, 0.3, 1.0};
    });
    auto filter = std::make_shared<zt::GLImageHighlightShadowFilter>();
    zt::test::expectPixelsMatch(*input, *filtered(filter, *input), [](const Colour& c, int, int) { return c; });
}

TEST(GLImageMonochromeFilter, OverlaysTheColourOnTheLuminance)
{
    auto input = ramp();
    auto filter = std::make_shared<zt::GLImageMonochromeFilter>();
    filter->setIntensity(0.8);
    filter->setColor({0.2f, 0.7f, 0.4f, 1.0f});
    EXPECT_FLOAT_EQ(filter->color().two, 0.7f);
    zt::test::expectPixelsMatch(*input, *filtered(filter, *input), [](const Colour& c, int, int) {
        double l = luminance(c);
        const double f[3] = {0.2, 0.7, 0.4};
        Colour out = c;
        for (size_t i = 0; i < 3; ++i) {
            double t = l < 0.5 ? 2 * l * f[i] : 1 - 2 * (1 - l) * (1 - f[i]);
            out[i] = c[i] + (t - c[i]) * 0.8;
        }
        return out;
    });
}

TEST(GLImageFalseColorFilter, MapsLuminanceOntoTheTwoColours)
{
    auto input = ramp();
    auto filter = std::make_shared<zt::GLImageFalseColorFilter>();
    zt::test::expectPixelsMatch(*input, *filtered(filter, *input), [](const Colour& c, int, int) {
        double l = luminance(c);
        return withRgb(c, l, 0.0, 0.5 * (1 - l));
    });
    filter->setSecondColor({0.0f, 1.0f, 0.0f, 1.0f});
    zt::test::expectPixelsMatch(*input, *filtered(filter, *input), [](const Colour& c, int, int) {
        double l = luminance(c);
        return withRgb(c, 0.0, l, 0.5 * (1 - l));
    });
}

TEST(GLImageHueFilter, TakesDegreesAndKeepsRadians)
{
    auto filter = std::make_shared<zt::GLImageHueFilter>();
    EXPECT_NEAR(filter->hue(), std::numbers::pi / 2, 1e-12);
    filter->setHue(450);
    EXPECT_NEAR(filter->hue(), std::numbers::pi / 2, 1e-12);
    filter->setHue(-90);
    EXPECT_NEAR(filter->hue(), -std::numbers::pi / 2, 1e-12);
}

TEST(GLImageHueFilter, TurnsTheHueInYIQ)
{
    auto input = ramp();
    auto filter = std::make_shared<zt::GLImageHueFilter>();
    filter->setHue(130);
    const double adjust = 130 * std::numbers::pi / 180;
    zt::test::expectPixelsMatch(*input, *filtered(filter, *input), [&](const Colour& c, int, int) {
        double y = 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2];
        double i = 0.595716 * c[0] - 0.274453 * c[1] - 0.321263 * c[2];
        double q = 0.211456 * c[0] - 0.522591 * c[1] + 0.31135 * c[2];
        double angle = std::atan2(q, i) - adjust, chroma = std::hypot(i, q);
        i = chroma * std::cos(angle);
        q = chroma * std::sin(angle);
        return withRgb(c, y + 0.9563 * i + 0.6210 * q, y - 0.2721 * i - 0.6474 * q, y - 1.1070 * i + 1.7046 * q);
    });
}

TEST(GLImageLevelsFilter, DefaultsReproduceTheInput)
{
    auto input = ramp();
    auto filter = std::make_shared<zt::GLImageLevelsFilter>();
    zt::test::expectPixelsMatch(*input, *filtered(filter, *input), [](const Colour& c, int, int) { return c; });
}

TEST(GLImageLevelsFilter, ClipsAppliesGammaAndStretchesPerChannel)
{
    auto input = ramp();
    auto filter = std::make_shared<zt::GLImageLevelsFilter>();
    filter->setMin(0.2, 1.5, 0.8);
    filter->setBlueMin(0.0, 0.5, 1.0, 0.25, 0.75);
    auto level = [](double v, double lo, double gamma, double hi, double outLo, double outHi) {
        double t = std::pow(std::min(std::max(v - lo, 0.0) / (hi - lo), 1.0), 1 / gamma);
        return outLo + (outHi - outLo) * t;
    };
    zt::test::expectPixelsMatch(*input, *filtered(filter, *input), [&](const Colour& c, int, int) {
        return withRgb(c, level(c[0], 0.2, 1.5, 0.8, 0, 1), level(c[1], 0.2, 1.5, 0.8, 0, 1),
            level(c[2], 0.0, 0.5, 1.0, 0.25, 0.75));
    });
}

TEST(GLImageGrayscaleFilter, GivesTheLuminanceGrey)
{
    auto input = ramp();
    auto filter = std::make_shared<zt::GLImageGrayscaleFilter>();
    EXPECT_TRUE(filter->wantsMonochromeInput());
    EXPECT_TRUE(filter->providesMonochromeOutput());
    zt::test::expectPixelsMatch(*input, *filtered(filter, *input), [](const Colour& c, int, int) {
        double l = luminance(c);
        return withRgb(c, l, l, l);
    });
}

TEST(GLImageGrayscaleFilter, WithGreyInputHandsItsInputOnUnturned)
{
    auto filter = std::make_shared<zt::GLImageGrayscaleFilter>();
    auto target = std::make_shared<zt::test::RecordingTarget>();
    filter->addTarget(target);
    zt::runSynchronouslyOnContextQueue([&] {
        filter->setCurrentlyReceivingMonochromeInput(true);
        filter->setInputRotation(zt::GLImageRotationMode::RotateLeft, 0);
        filter->setInputTexture(77, 0);
        filter->setInputSize({640, 480}, 0);
        filter->newFrameReadyAtTime(plat::MediaTime::make(1, 30), 0);
    });
    EXPECT_EQ(target->texture, 77u);
    EXPECT_EQ(target->rotation, zt::GLImageRotationMode::RotateLeft);
    EXPECT_EQ(target->size, (plat::Size {640, 480}));  // turned to 480 x 640 and back for the target to turn
    ASSERT_EQ(target->frames.size(), 1u);
    EXPECT_EQ(filter->framebufferForTesting(), 0u);
}

TEST(GLImageCGAColorspaceFilter, PicksTheNearestPaletteColourWithTiesToTheEarlier)
{
    // Exactly between white and cyan: 170/255, 1, 1.
    const double between = (1.0 + 85.0 / 255.0) / 2;
    const std::pair<Colour, plat::test::Rgba> cases[] = {
        {{0.1, 0.1, 0.2, 1}, {0, 0, 0, 255}},
        {{0.9, 0.95, 0.9, 1}, {255, 255, 255, 255}},
        {{0.95, 0.2, 0.9, 1}, {255, 85, 255, 255}},
        {{0.3, 0.9, 0.95, 1}, {85, 255, 255, 255}},
        {{between, 1, 1, 1}, {255, 255, 255, 255}},
    };
    auto filter = std::make_shared<zt::GLImageCGAColorspaceFilter>();
    for (const auto& [colour, expected] : cases) {
        auto input = zt::test::makePicture(4, 4, [&](int, int) { return colour; });
        EXPECT_EQ(plat::test::pixelAt(*filtered(filter, *input), 1, 1), expected) << colour[0];
    }
}

TEST(GLImageColorPackingFilter, PacksFourRedValuesIntoHalfTheSize)
{
    // Red by column, so each packed pixel holds its 2 x 2 block's reds.
    auto input = zt::test::makePicture(8, 4, [](int x, int y) { return Colour {(x * 4 + y) / 32.0, 0.5, 0.5, 1.0}; });
    auto filter = std::make_shared<zt::GLImageColorPackingFilter>();
    auto picture = std::make_shared<zt::GLImagePicture>(*input);
    picture->addTarget(filter);
    picture->processImage();
    auto result = filter->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(result);
    ASSERT_EQ(result->bitmap()->width(), 4);
    ASSERT_EQ(result->bitmap()->height(), 2);
    zt::runSynchronouslyOnContextQueue([&] { EXPECT_EQ(filter->outputFrameSize(), (plat::Size {4, 2})); });
    // Output pixel (1, 0) samples the input at the centres of pixels (2..3, 0..1).
    auto pixel = zt::test::colourAt(*result->bitmap(), 1, 0);
    // Each packed value is read back as it stands, alpha (the lower right) scaling none of the others.
    EXPECT_NEAR(pixel[0], (2 * 4 + 0) / 32.0, 1.5 / 255);
    EXPECT_NEAR(pixel[1], (3 * 4 + 0) / 32.0, 1.5 / 255);
    EXPECT_NEAR(pixel[2], (2 * 4 + 1) / 32.0, 1.5 / 255);
    EXPECT_NEAR(pixel[3], (3 * 4 + 1) / 32.0, 1.5 / 255);
}

TEST(GLImageColorPackingFilter, KeepsItsOwnSamplingStepBesideAnotherOfAnotherSize)
{
    // Both filters share one program; each must sample at its own input's pixel centres.
    auto input = zt::test::makePicture(8, 4, [](int x, int) { return Colour {x % 2 ? 1.0 : 0.0, 0, 0, 1}; });
    auto larger = zt::test::makePicture(32, 16, [](int, int) { return Colour {0.5, 0, 0, 1}; });
    auto small = std::make_shared<zt::GLImageColorPackingFilter>();
    auto large = std::make_shared<zt::GLImageColorPackingFilter>();
    auto smallPicture = std::make_shared<zt::GLImagePicture>(*input);
    auto largePicture = std::make_shared<zt::GLImagePicture>(*larger);
    smallPicture->addTarget(small);
    largePicture->addTarget(large);
    smallPicture->processImage();
    largePicture->processImage();
    zt::test::drainContextQueue();
    ASSERT_TRUE(smallPicture->processImageWithCompletionHandler(nullptr));
    auto result = small->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(result);
    // Left reds 0, right reds 1: red 0, green 1, blue 0, alpha 1 in every packed pixel.
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(plat::test::pixelAt(*result, x, 1), (plat::test::Rgba {0, 255, 0, 255})) << x;
}

TEST(GLImageColorPackingFilter, HalvesA640By480Input)
{
    auto filter = std::make_shared<zt::GLImageColorPackingFilter>();
    zt::runSynchronouslyOnContextQueue([&] {
        filter->setInputSize({640, 480}, 0);
        EXPECT_EQ(filter->outputFrameSize(), (plat::Size {320, 240}));
        EXPECT_EQ(filter->sizeOfFBO(), (plat::Size {320, 240}));
    });
}

// Colour times matrix, the colour as a row vector.
Colour transform(const zt::GLImageHSBFilter::Matrix& m, const Colour& c)
{
    Colour out {};
    for (size_t j = 0; j < 4; ++j)
        out[j] = c[0] * m[0][j] + c[1] * m[1][j] + c[2] * m[2][j] + c[3] * m[3][j];
    return out;
}

TEST(GLImageHSBFilter, RotatingHueKeepsGreyAndLuminance)
{
    auto filter = std::make_shared<zt::GLImageHSBFilter>();
    filter->rotateHue(0);
    auto grey = transform(filter->matrixForTesting(), {0.4, 0.4, 0.4, 1});
    EXPECT_NEAR(grey[0], 0.4, 1e-5);
    EXPECT_NEAR(grey[2], 0.4, 1e-5);
    filter->rotateHue(120);
    grey = transform(filter->matrixForTesting(), {0.4, 0.4, 0.4, 1});
    EXPECT_NEAR(grey[0], 0.4, 1e-5);
    EXPECT_NEAR(grey[1], 0.4, 1e-5);
    Colour colour = transform(filter->matrixForTesting(), {0.8, 0.3, 0.1, 1});
    EXPECT_NEAR(colour[0] * 0.3 + colour[1] * 0.59 + colour[2] * 0.11, 0.8 * 0.3 + 0.3 * 0.59 + 0.1 * 0.11, 1e-5);
    EXPECT_GT(colour[1], colour[0]);  // red turned a third of the way round is greenish
}

TEST(GLImageHSBFilter, RendersThroughItsMatrix)
{
    auto input = ramp();
    auto filter = std::make_shared<zt::GLImageHSBFilter>();
    filter->rotateHue(45);
    filter->adjustSaturation(0.7f);
    filter->adjustBrightness(0.9f);
    auto matrix = filter->matrixForTesting();
    zt::test::expectPixelsMatch(
        *input, *filtered(filter, *input), [&](const Colour& c, int, int) { return transform(matrix, c); });
}

TEST(GLImageHSBFilter, ZeroSaturationGivesLuminanceGrey)
{
    auto input = ramp();
    auto filter = std::make_shared<zt::GLImageHSBFilter>();
    filter->adjustSaturation(0);
    zt::test::expectPixelsMatch(*input, *filtered(filter, *input), [](const Colour& c, int, int) {
        double l = c[0] * 0.3 + c[1] * 0.59 + c[2] * 0.11;
        return withRgb(c, l, l, l);
    });
    filter->reset();
    zt::test::expectPixelsMatch(*input, *filtered(filter, *input), [](const Colour& c, int, int) { return c; });
}

}  // namespace
