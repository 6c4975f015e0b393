#include <cmath>
#include <gtest/gtest.h>

#include "GLImageCpuSampling.h"
#include "glimage/GLImageChromaKeyFilter.h"
#include "glimage/GLImageHistogramFilter.h"
#include "glimage/GLImageHistogramGenerator.h"
#include "glimage/GLImagePicture.h"
#include "glimage/GLImageWhiteBalanceFilter.h"

namespace {

using zt::test::Colour;
using zt::test::CpuPicture;

double smoothstep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

std::array<double, 2> chroma(double r, double g, double b)
{
    const double y = 0.2989 * r + 0.5866 * g + 0.1145 * b;
    return {0.7132 * (r - y), 0.5647 * (b - y)};
}

double chromaKeyBlend(const Colour& c, std::array<double, 3> key, double threshold, double smoothing)
{
    const auto k = chroma(key[0], key[1], key[2]);
    const auto p = chroma(c[0], c[1], c[2]);
    return smoothstep(threshold, threshold + smoothing, std::hypot(p[0] - k[0], p[1] - k[1]));
}

Colour whiteBalanced(const Colour& c, double temperature, double tint)
{
    const double toYIQ[9] = {0.299, 0.587, 0.114, 0.596, -0.274, -0.322, 0.212, -0.523, 0.311};
    const double toRGB[9] = {1.0, 0.956, 0.621, 1.0, -0.272, -0.647, 1.0, -1.105, 1.702};
    // mat3(a..i) * v: column j is (m[3j], m[3j+1], m[3j+2]), so each matrix
    // acts as the transpose of its printed table.
    const auto columns = [](const double m[9], const std::array<double, 3>& v) {
        return std::array<double, 3> {m[0] * v[0] + m[3] * v[1] + m[6] * v[2], m[1] * v[0] + m[4] * v[1] + m[7] * v[2],
            m[2] * v[0] + m[5] * v[1] + m[8] * v[2]};
    };
    auto yiq = columns(toYIQ, {c[0], c[1], c[2]});
    yiq[2] = std::clamp(yiq[2] + tint * 0.5226 * 0.1, -0.5226, 0.5226);
    const auto rgb = columns(toRGB, yiq);
    const double warm[3] = {0.93, 0.54, 0.0};
    Colour out {0, 0, 0, c[3]};
    for (size_t i = 0; i < 3; ++i) {
        const double overlaid = rgb[i] < 0.5 ? 2 * rgb[i] * warm[i] : 1 - 2 * (1 - rgb[i]) * (1 - warm[i]);
        out[i] = rgb[i] + (overlaid - rgb[i]) * temperature;
    }
    return out;
}

std::shared_ptr<plat::Image> keyedScene()
{
    return zt::test::makePicture(20, 10, [](int x, int y) {
        // Greens of every shade, greys and skin-like colours.
        if (x < 7)
            return Colour {0.1 * (y % 3), 0.4 + 0.06 * x, 0.05 * (y % 4), 1};
        if (x < 13)
            return Colour {0.1 * x - 0.6, 0.1 * x - 0.6, 0.1 * x - 0.6, 1};
        return Colour {0.9 - 0.02 * y, 0.6 + 0.02 * x - 0.26, 0.45, 1};
    });
}

struct ColourCase {
    const char* name;
    std::function<std::shared_ptr<zt::GLImageOutput>()> make;
    std::function<Colour(const Colour&)> formula;
};

TEST(GLImageColourKeyAndWhiteBalance, MatchTheirFormulasOnTheCpu)
{
    const ColourCase cases[] = {
        {"chroma key, defaults", [] { return std::make_shared<zt::GLImageChromaKeyFilter>(); },
            [](const Colour& c) {
                const double a = chromaKeyBlend(c, {0, 1, 0}, 0.4, 0.1);
                return Colour {c[0] * a, c[1] * a, c[2] * a, c[3] * a};
            }},
        {"chroma key, magenta and narrow",
            [] {
                auto filter = std::make_shared<zt::GLImageChromaKeyFilter>();
                filter->setColorToReplaceRed(0.8f, 0.5f, 0.45f);
                filter->setThresholdSensitivity(0.05f);
                filter->setSmoothing(0.2f);
                return filter;
            },
            [](const Colour& c) {
                const double a = chromaKeyBlend(c, {0.8, 0.5, 0.45}, 0.05f, 0.2f);
                return Colour {c[0] * a, c[1] * a, c[2] * a, c[3] * a};
            }},
        {"white balance, neutral", [] { return std::make_shared<zt::GLImageWhiteBalanceFilter>(); },
            [](const Colour& c) { return whiteBalanced(c, 0.0, 0.0); }},
        {"white balance, warm and tinted",
            [] {
                auto filter = std::make_shared<zt::GLImageWhiteBalanceFilter>();
                filter->setTemperature(7000);
                filter->setTint(60);
                return filter;
            },
            [](const Colour& c) { return whiteBalanced(c, 0.12, 0.6); }},
        {"white balance, cool",
            [] {
                auto filter = std::make_shared<zt::GLImageWhiteBalanceFilter>();
                filter->setTemperature(4000);
                filter->setTint(-100);
                return filter;
            },
            [](const Colour& c) { return whiteBalanced(c, -0.4, -1.0); }},
    };
    auto picture = keyedScene();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto result = zt::test::filtered(c.make(), *picture);
        ASSERT_TRUE(result);
        zt::test::expectPixelsMatch(*picture, *result, [&](const Colour& in, int, int) { return c.formula(in); });
    }
}

TEST(GLImageColourKeyAndWhiteBalance, KeyColourGoesAndGreyStaysAgainstGreen)
{
    auto picture = zt::test::makePicture(2, 1, [](int x, int) {
        return x == 0 ? Colour {0, 1, 0, 1} : Colour {0.5, 0.5, 0.5, 1};
    });
    auto result = zt::test::filtered(std::make_shared<zt::GLImageChromaKeyFilter>(), *picture);
    ASSERT_TRUE(result);
    EXPECT_EQ(plat::test::pixelAt(*result, 0, 0), (plat::test::Rgba {0, 0, 0, 0}));
    EXPECT_EQ(plat::test::pixelAt(*result, 1, 0), (plat::test::Rgba {128, 128, 128, 255}));
    EXPECT_NEAR(std::hypot(chroma(0, 1, 0)[0], chroma(0, 1, 0)[1]), 0.534, 0.001);
}

TEST(GLImageColourKeyAndWhiteBalance, TemperatureAndTintBecomeTheirUniforms)
{
    EXPECT_FLOAT_EQ(zt::GLImageWhiteBalanceFilter::temperatureUniformValue(5000), 0.0f);
    EXPECT_FLOAT_EQ(zt::GLImageWhiteBalanceFilter::temperatureUniformValue(4000), -0.4f);
    EXPECT_FLOAT_EQ(zt::GLImageWhiteBalanceFilter::temperatureUniformValue(7000), 0.12f);
    EXPECT_FLOAT_EQ(zt::GLImageWhiteBalanceFilter::tintUniformValue(100), 1.0f);
    auto filter = std::make_shared<zt::GLImageWhiteBalanceFilter>();
    filter->setTemperature(6500);
    EXPECT_EQ(filter->temperature(), 6500);
    EXPECT_EQ(filter->tint(), 0);
}

// The bins of a histogram read back: the middle row's channel c at bin v.
int bin(const plat::Image& histogram, int value, int channel)
{
    return plat::test::pixelAt(histogram, value, 1)[size_t(channel)];
}

std::shared_ptr<plat::Image> histogramOf(
    zt::GLImageHistogramType type, const plat::Image& picture, uint64_t factor = 16)
{
    auto filter = std::make_shared<zt::GLImageHistogramFilter>(type);
    filter->setDownsamplingFactor(factor);
    return zt::test::filtered(filter, picture);
}

TEST(GLImageHistogramFilter, CountsEachChannelOrLuminanceIntoItsBins)
{
    auto grey = zt::test::makePicture(16, 16, [](int, int) {
        return Colour {128 / 255.0, 128 / 255.0, 128 / 255.0, 1};
    });
    auto luminance = histogramOf(zt::GLImageHistogramType::Luminance, *grey, 1);
    ASSERT_TRUE(luminance);
    ASSERT_EQ(luminance->bitmap()->width(), 256);
    ASSERT_EQ(luminance->bitmap()->height(), 3);
    // 256 pixels fill the bin (one step each), on the middle row only.
    EXPECT_EQ(bin(*luminance, 128, 0), 255);
    EXPECT_EQ(bin(*luminance, 128, 2), 255);
    EXPECT_EQ(bin(*luminance, 127, 0), 0);
    EXPECT_EQ(bin(*luminance, 129, 0), 0);
    EXPECT_EQ(plat::test::pixelAt(*luminance, 128, 0)[0], 0);

    // A red frame lights the top red bin and the bottom green and blue ones.
    auto red = zt::test::makePicture(8, 8, [](int, int) { return Colour {1, 0, 0, 1}; });
    auto rgb = histogramOf(zt::GLImageHistogramType::RGB, *red, 1);
    ASSERT_TRUE(rgb);
    EXPECT_EQ(bin(*rgb, 255, 0), 64);
    EXPECT_EQ(bin(*rgb, 0, 1), 64);
    EXPECT_EQ(bin(*rgb, 0, 2), 64);
    EXPECT_EQ(bin(*rgb, 0, 0), 0);
    EXPECT_EQ(bin(*rgb, 255, 1), 0);

    // A ramp spreads one count over each value of the one channel asked for.
    auto ramp = zt::test::makePicture(16, 16, [](int x, int y) { return Colour {0.2, (y * 16 + x) / 255.0, 0.7, 1}; });
    auto green = histogramOf(zt::GLImageHistogramType::Green, *ramp, 1);
    ASSERT_TRUE(green);
    for (int v : {0, 1, 100, 254, 255})
        EXPECT_EQ(bin(*green, v, 1), 1) << v;
    EXPECT_EQ(bin(*green, 100, 0), 0);
}

TEST(GLImageHistogramFilter, AFractionalLuminanceCountsInTheBinOfItsWholePart)
{
    struct Case {
        int red, green, blue;
        int bin;  // the whole part of 0.2125 r + 0.7154 g + 0.0721 b
    };
    const Case cases[] = {
        {0, 100, 0, 71},  // 71.54
        {255, 255, 0, 236},  // 236.6145
        {255, 0, 0, 54},  // 54.1875
    };
    for (const Case& entry : cases) {
        SCOPED_TRACE(entry.bin);
        auto picture = zt::test::makePicture(4, 4, [&](int, int) {
            return Colour {entry.red / 255.0, entry.green / 255.0, entry.blue / 255.0, 1};
        });
        auto luminance = histogramOf(zt::GLImageHistogramType::Luminance, *picture, 1);
        ASSERT_TRUE(luminance);
        EXPECT_EQ(bin(*luminance, entry.bin, 0), 16);
        EXPECT_EQ(bin(*luminance, entry.bin + 1, 0), 0);
    }
}

TEST(GLImageHistogramFilter, CountsOnePixelInTheFactorAndTakesAFactorOfZeroAsOne)
{
    auto grey = zt::test::makePicture(64, 64, [](int, int) { return Colour {0.5, 0.5, 0.5, 1}; });
    // 4096 pixels, one in 16 counted: 256 steps, a full bin.
    EXPECT_EQ(bin(*histogramOf(zt::GLImageHistogramType::Red, *grey, 16), 128, 0), 255);
    EXPECT_EQ(bin(*histogramOf(zt::GLImageHistogramType::Red, *grey, 32), 128, 0), 128);
    auto filter = std::make_shared<zt::GLImageHistogramFilter>(zt::GLImageHistogramType::Red);
    filter->setDownsamplingFactor(0);
    EXPECT_EQ(filter->downsamplingFactor(), 1u);
    auto small = zt::test::makePicture(5, 5, [](int, int) { return Colour {0.5, 0.5, 0.5, 1}; });
    auto counted = zt::test::filtered(filter, *small);
    ASSERT_TRUE(counted);
    EXPECT_EQ(bin(*counted, 128, 0), 25);
    // A factor past the pixel count counts nothing at all.
    EXPECT_EQ(bin(*histogramOf(zt::GLImageHistogramType::Red, *small, 1000), 128, 0), 0);
}

TEST(GLImageHistogramFilter, ATurnOfTheInputChangesNothing)
{
    auto ramp = zt::test::makePicture(12, 8, [](int x, int y) { return Colour {(x * 8 + y) / 255.0, 0, 0, 1}; });
    auto straight = histogramOf(zt::GLImageHistogramType::Red, *ramp, 1);
    auto filter = std::make_shared<zt::GLImageHistogramFilter>(zt::GLImageHistogramType::Red);
    filter->setDownsamplingFactor(1);
    filter->setInputRotation(zt::GLImageRotationMode::RotateLeft, 0);
    auto turned = zt::test::filtered(filter, *ramp);
    ASSERT_TRUE(straight && turned);
    zt::test::expectPictureMatches(zt::test::cpuPicture(*straight), *turned, 0);
}

TEST(GLImageHistogramGenerator, LightsEachColumnUpToItsBins)
{
    // A histogram: bin x holds red x/255, green the reverse, blue 0; drawn 32 high.
    auto histogram = zt::test::makePicture(256, 3, [](int x, int) { return Colour {x / 255.0, 1 - x / 255.0, 0, 1}; });
    auto generator = std::make_shared<zt::GLImageHistogramGenerator>();
    // Set through the base, as code that holds any filter does.
    static_cast<zt::GLImageFilter&>(*generator).setBackgroundColorRed(0.1f, 0.2f, 0.3f, 1.0f);
    generator->forceProcessingAtSize({256, 32});
    auto source = std::make_shared<zt::GLImagePicture>(*histogram);
    source->addTarget(generator);
    source->processImage();
    auto result = generator->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    source->removeAllTargets();
    ASSERT_TRUE(result);
    ASSERT_EQ(result->bitmap()->height(), 32);
    const auto bins = zt::test::cpuPicture(*histogram);
    int failures = 0;
    for (int y = 0; y < 32; ++y) {
        const double height = 1.0 - (y + 0.5) / 32.0;
        for (int x = 0; x < 256; ++x) {
            const Colour c = zt::test::sampleLinear(bins, (x + 0.5) / 256.0, 0.5);
            if (std::abs(c[0] - height) < 0.01 || std::abs(c[1] - height) < 0.01)
                continue;  // on a bar's top edge
            const double lit[3] = {c[0] >= height ? 1.0 : 0.0, c[1] >= height ? 1.0 : 0.0, c[2] >= height ? 1.0 : 0.0};
            const double weight = std::min(lit[0] + lit[1] + lit[2], 1.0);
            const Colour want
                = {0.1 + (lit[0] - 0.1) * weight, 0.2 + (lit[1] - 0.2) * weight, 0.3 + (lit[2] - 0.3) * weight, 1.0};
            const auto got = plat::test::pixelAt(*result, x, y);
            for (size_t i = 0; i < 4; ++i)
                if (std::abs(got[i] - zt::test::toByte(want[i])) > 2 && failures++ < 5)
                    ADD_FAILURE() << x << ", " << y << " channel " << i << ": " << got[i];
        }
    }
    EXPECT_EQ(failures, 0);
}

}  // namespace
