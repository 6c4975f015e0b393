#include <gtest/gtest.h>
#include <optional>

#include "GLImageTestSupport.h"
#include "glimage/GLImageAverageColor.h"
#include "glimage/GLImageAverageLuminanceThresholdFilter.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageLuminosity.h"
#include "glimage/GLImagePicture.h"
#include "glimage/GLImageSolidColorGenerator.h"

namespace {

using zt::test::Colour;

struct Average {
    Colour colour;
    plat::MediaTime time;
};

// Sends picture once through filter and returns what its block got.
std::optional<Average> averageOf(const std::shared_ptr<zt::GLImageAverageColor>& filter, const plat::Image& picture)
{
    std::optional<Average> result;
    filter->setColorAverageProcessingFinishedBlock(
        [&](double r, double g, double b, double a, const plat::MediaTime& t) {
            result = Average {{r, g, b, a}, t};
        });
    auto source = std::make_shared<zt::GLImagePicture>(picture);
    source->addTarget(filter);
    source->processImage();
    zt::test::drainContextQueue();
    source->removeAllTargets();
    filter->setColorAverageProcessingFinishedBlock(nullptr);
    return result;
}

std::shared_ptr<plat::Image> flat(int width, int height, Colour colour)
{
    return zt::test::makePicture(width, height, [&](int, int) { return colour; });
}

TEST(GLImageAverageColor, AUniformFrameGivesItsColourAtAnySizeWithAStage)
{
    auto filter = std::make_shared<zt::GLImageAverageColor>();
    for (auto [w, h] : {std::pair {640, 480}, {8, 8}, {33, 17}}) {
        auto average = averageOf(filter, *flat(w, h, {0.2, 0.6, 0.8, 1.0}));
        ASSERT_TRUE(average) << w << " x " << h;
        EXPECT_NEAR(average->colour[0], 0.2, 1.0 / 255);
        EXPECT_NEAR(average->colour[1], 0.6, 1.0 / 255);
        EXPECT_NEAR(average->colour[2], 0.8, 1.0 / 255);
        EXPECT_NEAR(average->colour[3], 1.0, 1.0 / 255);
        EXPECT_TRUE(average->time.isIndefinite());
    }
}

TEST(GLImageAverageColor, MatchesTheMeanOfARampComputedHere)
{
    auto ramp = zt::test::makePicture(256, 192, [](int x, int y) {
        return Colour {x / 255.0, y / 191.0 * 0.5, (x % 16) / 15.0, 1.0};
    });
    double sums[3] = {};
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x) {
            auto c = zt::test::colourAt(*ramp->bitmap(), x, y);
            for (size_t i = 0; i < 3; ++i)
                sums[i] += c[i];
        }
    auto filter = std::make_shared<zt::GLImageAverageColor>();
    auto average = averageOf(filter, *ramp);
    ASSERT_TRUE(average);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_NEAR(average->colour[i], sums[i] / (256 * 192), 2.0 / 255) << "channel " << i;
}

TEST(GLImageAverageColor, CountsEveryPixelOfTheBlockEachStagePixelStandsFor)
{
    // Within each run of four columns (and four rows) only the middle two are
    // lit: a quarter of the pixels are white, whichever of them a stage reads.
    auto grid = zt::test::makePicture(64, 64, [](int x, int y) {
        const bool lit = (x % 4 == 1 || x % 4 == 2) && (y % 4 == 1 || y % 4 == 2);
        return lit ? Colour {1, 1, 1, 1} : Colour {0, 0, 0, 1};
    });
    auto filter = std::make_shared<zt::GLImageAverageColor>();
    auto average = averageOf(filter, *grid);
    ASSERT_TRUE(average);
    EXPECT_NEAR(average->colour[0], 0.25, 2.0 / 255);
    EXPECT_NEAR(average->colour[1], 0.25, 2.0 / 255);
    EXPECT_NEAR(average->colour[2], 0.25, 2.0 / 255);
}

TEST(GLImageAverageColor, PlansStagesThatShrinkFourfoldDownToTwoPixels)
{
    auto filter = std::make_shared<zt::GLImageAverageColor>();
    const std::pair<plat::Size, std::vector<plat::Size>> plans[] = {
        {{640, 480}, {{160, 120}, {40, 30}, {10, 7}}},
        {{1280, 720}, {{320, 180}, {80, 45}, {20, 11}, {5, 2}}},
        {{8, 8}, {{2, 2}}},
        {{7, 100}, {}},
    };
    for (const auto& [input, stages] : plans) {
        zt::runSynchronouslyOnContextQueue([&] { filter->setInputSize(input, 0); });
        EXPECT_EQ(filter->stageSizesForTesting(), stages) << input.width << " x " << input.height;
    }
}

TEST(GLImageAverageColor, GrowsItsReadBackBufferWithTheLastStage)
{
    auto filter = std::make_shared<zt::GLImageAverageColor>();
    ASSERT_TRUE(averageOf(filter, *flat(64, 64, {1, 0, 0, 1})));  // last stage 4 x 4
    EXPECT_EQ(filter->readBackBufferSizeForTesting(), 4u * 16);
    auto average = averageOf(filter, *flat(160, 120, {0, 0, 1, 1}));  // 40 x 30, then 10 x 7
    ASSERT_TRUE(average);
    EXPECT_EQ(filter->readBackBufferSizeForTesting(), 4u * 70);
    EXPECT_NEAR(average->colour[2], 1.0, 1.0 / 255);
    EXPECT_NEAR(average->colour[0], 0.0, 1.0 / 255);
}

TEST(GLImageAverageColor, AFrameWithoutAStageGivesNoResult)
{
    auto filter = std::make_shared<zt::GLImageAverageColor>();
    EXPECT_FALSE(averageOf(filter, *flat(7, 100, {0.5, 0.5, 0.5, 1})));
}

TEST(GLImageAverageColor, IgnoresTheInputRotation)
{
    auto filter = std::make_shared<zt::GLImageAverageColor>();
    auto picture = zt::test::makePicture(64, 32, [](int x, int) { return Colour {x < 16 ? 1.0 : 0.0, 0, 0, 1}; });
    auto straight = averageOf(filter, *picture);
    zt::runSynchronouslyOnContextQueue([&] { filter->setInputRotation(zt::GLImageRotationMode::RotateLeft, 0); });
    auto source = std::make_shared<zt::GLImagePicture>(*picture);
    std::optional<double> red;
    filter->setColorAverageProcessingFinishedBlock(
        [&](double r, double, double, double, const plat::MediaTime&) { red = r; });
    source->addTarget(filter);
    zt::runSynchronouslyOnContextQueue([&] { filter->setInputRotation(zt::GLImageRotationMode::RotateLeft, 0); });
    source->processImage();
    zt::test::drainContextQueue();
    ASSERT_TRUE(straight && red);
    EXPECT_NEAR(*red, straight->colour[0], 1e-9);
    EXPECT_NEAR(*red, 0.25, 2.0 / 255);
}

TEST(GLImageLuminosity, ReducesAFrameToItsAverageLuminance)
{
    auto ramp = zt::test::makePicture(128, 96, [](int x, int y) { return Colour {x / 127.0, 0.3, y / 95.0, 1.0}; });
    double sum = 0;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 128; ++x) {
            auto c = zt::test::colourAt(*ramp->bitmap(), x, y);
            sum += c[0] * 0.2125 + c[1] * 0.7154 + c[2] * 0.0721;
        }
    auto filter = std::make_shared<zt::GLImageLuminosity>();
    std::optional<double> luminosity;
    filter->setLuminosityProcessingFinishedBlock([&](double l, const plat::MediaTime&) { luminosity = l; });
    auto source = std::make_shared<zt::GLImagePicture>(*ramp);
    source->addTarget(filter);
    source->processImage();
    zt::test::drainContextQueue();
    ASSERT_TRUE(luminosity);
    EXPECT_NEAR(*luminosity, sum / (128 * 96), 2.0 / 255);
}

TEST(GLImageAverageLuminanceThresholdFilter, ThresholdsAtAMultipleOfTheFramesAverageLuminance)
{
    // Grey columns 0.1 .. 0.8: average luminance 0.45.
    auto input = zt::test::makePicture(64, 64, [](int x, int) {
        double v = 0.1 + 0.1 * (x / 8);
        return Colour {v, v, v, 1.0};
    });
    auto filter = std::make_shared<zt::GLImageAverageLuminanceThresholdFilter>();
    filter->setThresholdMultiplier(1.2);  // threshold 0.54
    auto result = filter->imageByFilteringImage(*input);
    ASSERT_TRUE(result);
    zt::test::expectPixelsMatch(*input, *result, [](const Colour& c, int, int) {
        double v = c[0] >= 0.54 ? 1.0 : 0.0;
        return Colour {v, v, v, 1.0};
    });
}

TEST(GLImageSolidColorGenerator, RendersAtOnceWhenGivenASizeAndServesLateTargets)
{
    auto generator = std::make_shared<zt::GLImageSolidColorGenerator>();
    generator->setColorRed(0.2f, 0.4f, 0.6f, 1.0f);
    generator->forceProcessingAtSize({4, 2});
    auto image = generator->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->bitmap()->width(), 4);
    EXPECT_EQ(plat::test::pixelAt(*image, 3, 1), (plat::test::Rgba {51, 102, 153, 255}));

    auto late = std::make_shared<zt::test::RecordingTarget>();
    generator->addTarget(late);
    EXPECT_EQ(late->size, (plat::Size {4, 2}));
    ASSERT_EQ(late->frames.size(), 1u);
    EXPECT_TRUE(late->frames[0].time.isIndefinite());
}

TEST(GLImageSolidColorGenerator, CanKeepTheInputsAlpha)
{
    // White, premultiplied: opaque, opaque, half and wholly see-through.
    auto input = zt::test::makePicture(4, 4, [](int x, int) {
        const double alpha = x < 2 ? 1.0 : x == 2 ? 0.5 : 0.0;
        return Colour {alpha, alpha, alpha, alpha};
    });
    auto generator = std::make_shared<zt::GLImageSolidColorGenerator>();
    generator->setColor({1.0f, 0.0f, 0.0f, 1.0f});
    auto opaque = generator->imageByFilteringImage(*input);
    EXPECT_EQ(plat::test::pixelAt(*opaque, 3, 0), (plat::test::Rgba {255, 0, 0, 255}));
    generator->setUseExistingAlpha(true);
    auto keeping = generator->imageByFilteringImage(*input);
    EXPECT_EQ(plat::test::pixelAt(*keeping, 0, 0), (plat::test::Rgba {255, 0, 0, 255}));
    EXPECT_EQ(plat::test::pixelAt(*keeping, 2, 0), (plat::test::Rgba {128, 0, 0, 128}));
    EXPECT_EQ(plat::test::pixelAt(*keeping, 3, 0), (plat::test::Rgba {0, 0, 0, 0}));
}

}  // namespace
