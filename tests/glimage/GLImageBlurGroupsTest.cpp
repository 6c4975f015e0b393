#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

#include "GLImageCpuSampling.h"
#include "glimage/GLImageAdaptiveThresholdFilter.h"
#include "glimage/GLImageBoxBlurFilter.h"
#include "glimage/GLImageGaussianBlurFilter.h"
#include "glimage/GLImageGaussianSelectiveBlurFilter.h"
#include "glimage/GLImageGrayscaleFilter.h"
#include "glimage/GLImageLanczosResamplingFilter.h"
#include "glimage/GLImageLuminanceRangeFilter.h"
#include "glimage/GLImageMotionBlurFilter.h"
#include "glimage/GLImagePicture.h"
#include "glimage/GLImageSaturationFilter.h"
#include "glimage/GLImageTiltShiftFilter.h"
#include "glimage/GLImageUnsharpMaskFilter.h"
#include "glimage/GLImageZoomBlurFilter.h"
#include "glimage/GLImageiOSBlurFilter.h"

namespace {

using zt::test::Colour;
using zt::test::CpuPicture;

constexpr int kWidth = 32;
constexpr int kHeight = 24;

std::shared_ptr<plat::Image> detailedPicture()
{
    return zt::test::makePicture(kWidth, kHeight, [](int x, int y) {
        const bool check = ((x / 3) + (y / 3)) % 2 == 0;
        return Colour {check ? 0.85 : 0.2, 0.3 + 0.02 * x, check ? 0.1 : 0.7 - 0.02 * y, 1.0};
    });
}

double smoothstep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

Colour mixColours(const Colour& a, const Colour& b, double t)
{
    return {a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t, a[3] + (b[3] - a[3]) * t};
}

// The blur the group's own blur member makes, on its own.
CpuPicture gaussianBlurred(const plat::Image& picture, double radius)
{
    auto blur = std::make_shared<zt::GLImageGaussianBlurFilter>();
    blur->setBlurRadiusInPixels(radius);
    return zt::test::cpuPicture(*zt::test::filtered(blur, picture));
}

struct MixCase {
    const char* name;
    std::function<std::shared_ptr<zt::GLImageOutput>()> make;
    double blurRadius;
    std::function<Colour(const Colour& sharp, const Colour& blurred, double u, double v)> formula;
};

TEST(GLImageBlurGroups, MixTheSharpAndTheBlurredPictureByTheirFormulas)
{
    const MixCase cases[] = {
        {"selective blur", [] { return std::make_shared<zt::GLImageGaussianSelectiveBlurFilter>(); }, 5.0,
            [](const Colour& sharp, const Colour& blurred, double u, double v) {
                const double ar = double(kWidth) / kHeight;
                const double d = std::hypot(u - 0.5, v * ar + 0.5 - 0.5 * ar - 0.5);
                return mixColours(sharp, blurred, smoothstep(60.0 / 320 - 30.0 / 320, 60.0 / 320, d));
            }},
        {"selective blur, square and moved",
            [] {
                auto filter = std::make_shared<zt::GLImageGaussianSelectiveBlurFilter>();
                filter->setAspectRatio(1.0);
                filter->setExcludeCirclePoint({0.3, 0.6});
                filter->setExcludeCircleRadius(0.3);
                filter->setExcludeBlurSize(0.1);
                return filter;
            },
            5.0,
            [](const Colour& sharp, const Colour& blurred, double u, double v) {
                return mixColours(sharp, blurred, smoothstep(0.2, 0.3, std::hypot(u - 0.3, v - 0.6)));
            }},
        {"unsharp mask, intensity 1", [] { return std::make_shared<zt::GLImageUnsharpMaskFilter>(); }, 4.0,
            [](const Colour& sharp, const Colour&, double, double) { return sharp; }},
        {"unsharp mask, intensity 2",
            [] {
                auto filter = std::make_shared<zt::GLImageUnsharpMaskFilter>();
                filter->setIntensity(2.0);
                filter->setBlurRadiusInPixels(3.0);
                return filter;
            },
            3.0,
            [](const Colour& sharp, const Colour& blurred, double, double) {
                return Colour {
                    2 * sharp[0] - blurred[0], 2 * sharp[1] - blurred[1], 2 * sharp[2] - blurred[2], sharp[3]};
            }},
        {"tilt shift", [] { return std::make_shared<zt::GLImageTiltShiftFilter>(); }, 7.0,
            [](const Colour& sharp, const Colour& blurred, double, double v) {
                const double b = 1 - smoothstep(0.2, 0.4, v) + smoothstep(0.6, 0.8, v);
                return mixColours(sharp, blurred, b);
            }},
    };
    auto picture = detailedPicture();
    const auto sharp = zt::test::cpuPicture(*picture);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto blurred = gaussianBlurred(*picture, c.blurRadius);
        auto result = zt::test::filtered(c.make(), *picture);
        ASSERT_TRUE(result);
        zt::test::expectPictureMatches(zt::test::mapPicture(sharp,
                                           [&](const CpuPicture& p, int x, int y) {
                                               const auto t = zt::test::pixelCentre(x, y, kWidth, kHeight);
                                               return c.formula(p.at(x, y), blurred.at(x, y), t[0], t[1]);
                                           }),
            *result);
    }
}

TEST(GLImageBlurGroups, TheSelectiveBlursAspectRatioFollowsTheInputUntilSet)
{
    auto filter = std::make_shared<zt::GLImageGaussianSelectiveBlurFilter>();
    EXPECT_EQ(filter->blurRadiusInPixels(), 5.0);
    EXPECT_DOUBLE_EQ(filter->excludeCircleRadius(), 0.1875);
    EXPECT_DOUBLE_EQ(filter->excludeBlurSize(), 0.09375);
    auto wide = zt::test::makePicture(64, 48, [](int, int) { return Colour {0.5, 0.5, 0.5, 1}; });
    (void)zt::test::filtered(filter, *wide);
    EXPECT_NEAR(filter->aspectRatio(), 4.0 / 3.0, 1e-9);
    filter->setAspectRatio(1.0);
    auto tall = zt::test::makePicture(30, 60, [](int, int) { return Colour {0.5, 0.5, 0.5, 1}; });
    (void)zt::test::filtered(filter, *tall);
    EXPECT_EQ(filter->aspectRatio(), 1.0);
}

TEST(GLImageBlurGroups, AdaptiveThresholdIsWhereTheGreyReachesItsNeighbourhoodLessAStep)
{
    auto picture = detailedPicture();
    auto grey = zt::test::filtered(std::make_shared<zt::GLImageGrayscaleFilter>(), *picture);
    ASSERT_TRUE(grey);
    const auto local = zt::test::cpuPicture(*grey);
    const auto blurred = zt::test::cpuPicture(*zt::test::filtered(std::make_shared<zt::GLImageBoxBlurFilter>(), *grey));
    auto filter = std::make_shared<zt::GLImageAdaptiveThresholdFilter>();
    EXPECT_EQ(filter->blurRadiusInPixels(), 4.0);
    auto result = zt::test::filtered(filter, *picture);
    ASSERT_TRUE(result);
    zt::test::expectPictureMatches(zt::test::mapPicture(local,
                                       [&](const CpuPicture& p, int x, int y) {
                                           const double edge = blurred.at(x, y)[0] - 0.05;
                                           if (std::abs(p.at(x, y)[0] - edge) < 1.5 / 255)
                                               return zt::test::eitherSide();
                                           const double white = p.at(x, y)[0] >= edge ? 1.0 : 0.0;
                                           return Colour {white, white, white, 1.0};
                                       }),
        *result);

    auto flat = zt::test::makePicture(12, 12, [](int, int) { return Colour {0.4, 0.4, 0.4, 1}; });
    auto flatResult = zt::test::filtered(std::make_shared<zt::GLImageAdaptiveThresholdFilter>(), *flat);
    ASSERT_TRUE(flatResult);
    zt::test::expectPixelsMatch(
        *flat, *flatResult,
        [](const Colour&, int, int) {
            return Colour {1, 1, 1, 1};
        },
        0);
}

plat::Size outputSizeOf(const std::shared_ptr<zt::GLImageOutput>& filter)
{
    auto image = filter->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    return image ? plat::Size {double(image->bitmap()->width()), double(image->bitmap()->height())} : plat::Size {};
}

TEST(GLImageBlurGroups, TheFrostedGlassBlursAReducedPictureAndScalesItBack)
{
    auto picture = zt::test::makePicture(64, 48, [](int x, int y) { return Colour {x / 63.0, y / 47.0, 0.5, 1}; });
    auto glass = std::make_shared<zt::GLImageiOSBlurFilter>();
    EXPECT_EQ(glass->downsampling(), 4.0);
    EXPECT_NEAR(glass->saturation(), 0.8, 1e-6);
    EXPECT_EQ(glass->blurRadiusInPixels(), 12.0);
    auto source = std::make_shared<zt::GLImagePicture>(*picture);
    source->addTarget(glass);
    source->processImage();
    EXPECT_EQ(outputSizeOf(glass->saturationFilter()), (plat::Size {16, 12}));
    EXPECT_EQ(outputSizeOf(glass->blurFilter()), (plat::Size {16, 12}));
    EXPECT_EQ(outputSizeOf(glass), (plat::Size {64, 48}));

    // A factor of 1 forces no size: every member follows the frame again.
    glass->setDownsampling(1.0);
    source->processImage();
    EXPECT_EQ(outputSizeOf(glass->saturationFilter()), (plat::Size {64, 48}));
    EXPECT_EQ(outputSizeOf(glass), (plat::Size {64, 48}));
    source->removeAllTargets();

    auto plain = std::make_shared<zt::GLImageiOSBlurFilter>();
    plain->setDownsampling(1.0);
    source->addTarget(plain);
    source->processImage();
    EXPECT_EQ(outputSizeOf(plain->saturationFilter()), (plat::Size {64, 48}));
    EXPECT_EQ(outputSizeOf(plain->blurFilter()), (plat::Size {64, 48}));
    source->removeAllTargets();
}

TEST(GLImageLanczosResamplingFilter, ResamplesOneAxisAPassWithTheFixedKernel)
{
    auto large = zt::test::makePicture(1000, 800, [](int x, int y) { return Colour {x / 999.0, y / 799.0, 0.5, 1}; });
    auto lanczos = std::make_shared<zt::GLImageLanczosResamplingFilter>();
    lanczos->forceProcessingAtSize({500, 400});
    auto halved = zt::test::filtered(lanczos, *large);
    ASSERT_TRUE(halved);
    EXPECT_EQ(lanczos->firstPassSizeForTesting(), (plat::Size {1000, 400}));
    EXPECT_EQ(halved->bitmap()->width(), 500);
    EXPECT_EQ(halved->bitmap()->height(), 400);

    // On a small picture against the kernel on the CPU: taps one input pixel
    // apart around each output pixel, vertically into 8 bits, then across.
    const double weights[9] = {-0.02143, -0.02612, 0.08074, 0.27667, 0.38026, 0.27667, 0.08074, -0.02612, -0.02143};
    auto small = detailedPicture();
    const auto input = zt::test::cpuPicture(*small);
    constexpr int kOutWidth = 20;
    constexpr int kOutHeight = 10;
    CpuPicture firstPass(kWidth, kOutHeight);
    for (int y = 0; y < kOutHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            Colour sum {};
            for (int k = -4; k <= 4; ++k) {
                const Colour c
                    = zt::test::sampleLinear(input, (x + 0.5) / kWidth, (y + 0.5) / kOutHeight + double(k) / kHeight);
                for (size_t i = 0; i < 4; ++i)
                    sum[i] += c[i] * weights[k + 4];
            }
            firstPass.at(x, y) = sum;
        }
    }
    firstPass = zt::test::stored(firstPass);
    CpuPicture expected(kOutWidth, kOutHeight);
    for (int y = 0; y < kOutHeight; ++y) {
        for (int x = 0; x < kOutWidth; ++x) {
            Colour sum {};
            for (int k = -4; k <= 4; ++k) {
                const Colour c = zt::test::sampleLinear(
                    firstPass, (x + 0.5) / kOutWidth + double(k) / kWidth, (y + 0.5) / kOutHeight);
                for (size_t i = 0; i < 4; ++i)
                    sum[i] += c[i] * weights[k + 4];
            }
            expected.at(x, y) = sum;
        }
    }
    auto resampler = std::make_shared<zt::GLImageLanczosResamplingFilter>();
    resampler->forceProcessingAtSize({kOutWidth, kOutHeight});
    auto result = zt::test::filtered(resampler, *small);
    ASSERT_TRUE(result);
    zt::test::expectPictureMatches(expected, *result);
}

TEST(GLImageDirectionalBlurs, MotionBlurStepsAlongItsAngleAndZoomBlurTowardsItsCentre)
{
    auto motion = std::make_shared<zt::GLImageMotionBlurFilter>();
    motion->setBlurAngle(90);
    auto wide = zt::test::makePicture(640, 480, [](int, int) { return Colour {0.5, 0.5, 0.5, 1}; });
    (void)zt::test::filtered(motion, *wide);
    EXPECT_NEAR(motion->directionalTexelStepForTesting().x, 0.0, 1e-9);
    EXPECT_DOUBLE_EQ(motion->directionalTexelStepForTesting().y, 2.5 / 640);

    const double taps[9] = {0.05, 0.09, 0.12, 0.15, 0.18, 0.15, 0.12, 0.09, 0.05};
    auto picture = detailedPicture();
    const auto input = zt::test::cpuPicture(*picture);
    const auto blurAlong = [&](const std::function<std::array<double, 2>(double u, double v)>& step) {
        return zt::test::mapPicture(input, [&](const CpuPicture& p, int x, int y) {
            const auto t = zt::test::pixelCentre(x, y, kWidth, kHeight);
            const auto s = step(t[0], t[1]);
            Colour sum {};
            for (int k = -4; k <= 4; ++k) {
                const Colour c = zt::test::sampleLinear(p, t[0] + k * s[0], t[1] + k * s[1]);
                for (size_t i = 0; i < 4; ++i)
                    sum[i] += c[i] * taps[k + 4];
            }
            return sum;
        });
    };

    motion = std::make_shared<zt::GLImageMotionBlurFilter>();
    motion->setBlurAngle(30);
    motion->setBlurSize(2.0);
    auto smeared = zt::test::filtered(motion, *picture);
    ASSERT_TRUE(smeared);
    const double a = 30 * std::numbers::pi / 180;
    zt::test::expectPictureMatches(blurAlong([&](double, double) {
        return std::array<double, 2> {
            double(kHeight) / kWidth * 2.0 * std::cos(a) / kWidth, 2.0 * std::sin(a) / kWidth};
    }),
        *smeared);

    auto zoom = std::make_shared<zt::GLImageZoomBlurFilter>();
    zoom->setBlurSize(3.0);
    zoom->setBlurCenter({0.4, 0.6});
    auto zoomed = zt::test::filtered(zoom, *picture);
    ASSERT_TRUE(zoomed);
    zt::test::expectPictureMatches(blurAlong([](double u, double v) {
        return std::array<double, 2> {(0.4 - u) * 3.0 / 100, (0.6 - v) * 3.0 / 100};
    }),
        *zoomed);
}

}  // namespace
