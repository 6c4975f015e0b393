// The seven colour effects against their formulas, computed here per pixel
// over every byte value that matters.
#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "effects/ColorChangeFilter.h"
#include "effects/DitherFilter.h"
#include "effects/GrayscaleFilter.h"
#include "effects/PosterizeFilter.h"
#include "effects/SepiaFilter.h"
#include "effects/ThermalFilter.h"
#include "effects/XRayFilter.h"

namespace {

using Pixel = std::array<int, 4>;

std::vector<uint8_t> bufferOf(const std::vector<Pixel>& pixels)
{
    std::vector<uint8_t> bytes;
    for (const Pixel& p : pixels)
        for (int c : p)
            bytes.push_back(static_cast<uint8_t>(c));
    return bytes;
}

Pixel pixel(const std::vector<uint8_t>& bytes, size_t index)
{
    return {bytes[index * 4], bytes[index * 4 + 1], bytes[index * 4 + 2], bytes[index * 4 + 3]};
}

Pixel filtered(const zt::RGBFilter& filter, Pixel input)
{
    auto bytes = bufferOf({input});
    filter.processFilter(bytes.data(), 1, 1);
    return pixel(bytes, 0);
}

// Many pixels of random colour and alpha, plus the extremes.
std::vector<Pixel> samplePixels()
{
    std::vector<Pixel> pixels {{0, 0, 0, 255}, {255, 255, 255, 255}, {255, 0, 0, 7}, {0, 255, 0, 0}, {0, 0, 255, 128}};
    std::mt19937 random(42);
    for (int i = 0; i < 2000; ++i)
        pixels.push_back({static_cast<int>(random() % 256), static_cast<int>(random() % 256),
            static_cast<int>(random() % 256), static_cast<int>(random() % 256)});
    return pixels;
}

int clampByte(int value)
{
    return value < 0 ? 0 : value > 255 ? 255 : value;
}

void expectFormulaForAllSamples(const zt::RGBFilter& filter, const std::function<Pixel(Pixel)>& formula)
{
    auto pixels = samplePixels();
    auto bytes = bufferOf(pixels);
    filter.processFilter(bytes.data(), static_cast<int32_t>(pixels.size()), 1);
    for (size_t i = 0; i < pixels.size(); ++i) {
        Pixel expected = formula(pixels[i]);
        ASSERT_EQ(pixel(bytes, i), expected)
            << "input " << pixels[i][0] << " " << pixels[i][1] << " " << pixels[i][2] << " " << pixels[i][3];
    }
}

TEST(ColorEffects, GreyScaleWeighsByteTwoMost)
{
    expectFormulaForAllSamples(zt::GrayscaleFilter(), [](Pixel p) {
        int y = (28 * p[0] + 151 * p[1] + 77 * p[2]) >> 8;
        return Pixel {y, y, y, p[3]};
    });
    EXPECT_EQ(filtered(zt::GrayscaleFilter(), {255, 255, 255, 255}), (Pixel {255, 255, 255, 255}));
    EXPECT_EQ(filtered(zt::GrayscaleFilter(), {0, 0, 0, 255}), (Pixel {0, 0, 0, 255}));
}

TEST(ColorEffects, SepiaTintsTheGrey)
{
    expectFormulaForAllSamples(zt::SepiaFilter(), [](Pixel p) {
        int s = (77 * p[0] + 151 * p[1] + 28 * p[2]) >> 8;
        return Pixel {clampByte(s + 40), clampByte(s + 20), clampByte(s - 30), p[3]};
    });
    EXPECT_EQ(filtered(zt::SepiaFilter(), {0, 0, 0, 255}), (Pixel {40, 20, 0, 255}));
    EXPECT_EQ(filtered(zt::SepiaFilter(), {255, 255, 255, 255}), (Pixel {255, 255, 225, 255}));
}

TEST(ColorEffects, PosterizeKeepsFourLevels)
{
    zt::PosterizeFilter filter(4);
    expectFormulaForAllSamples(filter, [](Pixel p) {
        auto level = [](int v) { return v < 64 ? 0 : v < 128 ? 85 : v < 192 ? 170 : 255; };
        return Pixel {level(p[0]), level(p[1]), level(p[2]), p[3]};
    });
    EXPECT_EQ(filtered(filter, {63, 64, 191, 192}), (Pixel {0, 85, 170, 192}));
    EXPECT_EQ(filtered(filter, {192, 0, 0, 1}), (Pixel {255, 0, 0, 1}));
    EXPECT_EQ(zt::PosterizeFilter(1).numLevels(), 2);
    EXPECT_EQ(zt::PosterizeFilter(2).levels()[127], 0);
    EXPECT_EQ(zt::PosterizeFilter(2).levels()[128], 255);
}

TEST(ColorEffects, ColourChangeSwapsBytesZeroAndTwoAndUndoesItself)
{
    zt::ColorChangeFilter filter;
    expectFormulaForAllSamples(filter, [](Pixel p) { return Pixel {p[2], p[1], p[0], p[3]}; });
    auto bytes = bufferOf(samplePixels());
    auto original = bytes;
    filter.processFilter(bytes.data(), static_cast<int32_t>(bytes.size() / 4), 1);
    filter.processFilter(bytes.data(), static_cast<int32_t>(bytes.size() / 4), 1);
    EXPECT_EQ(bytes, original);
}

TEST(ColorEffects, ThermalColoursFollowTheHeatScale)
{
    // The scale, band by band, written out from the colour stops.
    auto heat = [](int g) -> Pixel {  // {mapr, mapg, mapb}
        if (g >= 214)
            return {255, 6 * (255 - g), 0, 0};
        if (g >= 172)
            return {255 - 6 * (213 - g), 255, 0, 0};
        if (g >= 130)
            return {0, 255, 6 * (171 - g), 0};
        if (g >= 88)
            return {0, 255 - 6 * (129 - g), 255, 0};
        if (g >= 46)
            return {87 - g, 0, 255, 0};
        if (g >= 14)
            return {70 - (45 - g), 0, 255 - 6 * (45 - g), 0};
        return {0, 0, 0, 0};
    };
    expectFormulaForAllSamples(zt::ThermalFilter(), [&](Pixel p) {
        Pixel h = heat((p[0] + p[1] + p[2]) / 3);
        return Pixel {h[2], h[1], h[0], p[3]};
    });
    zt::ThermalFilter filter;
    EXPECT_EQ(filtered(filter, {255, 255, 255, 9}), (Pixel {0, 0, 255, 9}));
    EXPECT_EQ(filtered(filter, {171, 171, 171, 255}), (Pixel {0, 255, 0, 255}));
    for (int g = 0; g <= 13; ++g)
        EXPECT_EQ(filtered(filter, {g, g, g, 255}), (Pixel {0, 0, 0, 255}));
}

TEST(ColorEffects, XRayInvertsWithAColdCast)
{
    expectFormulaForAllSamples(zt::XRayFilter(), [](Pixel p) {
        int x = (28 * (255 - p[0]) + 151 * (255 - p[1]) + 77 * (255 - p[2])) >> 8;
        return Pixel {clampByte(x + 20), clampByte(x + 20), clampByte(x - 20), p[3]};
    });
    EXPECT_EQ(filtered(zt::XRayFilter(), {0, 0, 0, 255}), (Pixel {255, 255, 235, 255}));
    EXPECT_EQ(filtered(zt::XRayFilter(), {255, 255, 255, 255}), (Pixel {20, 20, 0, 255}));
}

TEST(ColorEffects, DitherSpreadsAFlatGreyOverTheMatrix)
{
    constexpr int kMatrix[16] = {0, 14, 3, 13, 11, 5, 8, 6, 12, 2, 15, 1, 7, 9, 4, 10};
    zt::DitherFilter filter;
    // A flat grey of 128 over 8 x 8 pixels: 170 where the matrix entry is below 8, else 85.
    std::vector<Pixel> grey(64, Pixel {128, 128, 128, 200});
    auto bytes = bufferOf(grey);
    filter.processFilter(bytes.data(), 8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            int expected = kMatrix[(y % 4) * 4 + x % 4] < 8 ? 170 : 85;
            EXPECT_EQ(pixel(bytes, y * 8 + x), (Pixel {expected, expected, expected, 200})) << x << "," << y;
        }
    // Every grey level at every matrix position, by the definition.
    for (int g = 0; g < 256; ++g) {
        std::vector<Pixel> row(16, Pixel {g, g, g, 255});
        auto line = bufferOf(row);
        filter.processFilter(line.data(), 4, 4);
        for (int i = 0; i < 16; ++i) {
            int level = 3 * g / 256 + (17 * g / 256 > kMatrix[i] ? 1 : 0);
            ASSERT_EQ(pixel(line, i)[0], level * 85) << g << " at " << i;
        }
    }
    EXPECT_EQ(filtered(filter, {0, 0, 0, 255}), (Pixel {0, 0, 0, 255}));
    EXPECT_EQ(filtered(filter, {255, 255, 255, 255}), (Pixel {255, 255, 255, 255}));
}

TEST(ColorEffects, EmptySizesLeaveTheBufferAlone)
{
    auto bytes = bufferOf({{1, 2, 3, 4}});
    zt::SepiaFilter().processFilter(bytes.data(), 0, 1);
    zt::DitherFilter().processFilter(bytes.data(), 1, -3);
    EXPECT_EQ(pixel(bytes, 0), (Pixel {1, 2, 3, 4}));
}

TEST(ColorEffectVariants, DestinationVariantsDifferOnlyWhereDefined)
{
    auto pixels = samplePixels();
    auto source = bufferOf(pixels);
    for (const zt::RGBFilter* filter : std::initializer_list<const zt::RGBFilter*> {new zt::GrayscaleFilter,
             new zt::PosterizeFilter(4), new zt::ThermalFilter, new zt::XRayFilter, new zt::DitherFilter}) {
        std::unique_ptr<const zt::RGBFilter> owned(filter);
        auto inPlace = source;
        filter->processFilter(inPlace.data(), static_cast<int32_t>(pixels.size()), 1);
        std::vector<uint8_t> dest(source.size(), 77);
        filter->processFilter(source.data(), dest.data(), static_cast<int32_t>(pixels.size()), 1);
        for (size_t i = 0; i < pixels.size(); ++i) {
            Pixel a = pixel(inPlace, i);
            Pixel b = pixel(dest, i);
            ASSERT_EQ((Pixel {a[0], a[1], a[2], 77}), b);  // the fourth byte is never written
        }
    }
    // Sepia's destination variant weighs and tints the other way round.
    std::vector<uint8_t> dest(4, 0);
    auto black = bufferOf({{0, 0, 0, 255}});
    zt::SepiaFilter().processFilter(black.data(), dest.data(), 1, 1);
    EXPECT_EQ(pixel(dest, 0), (Pixel {0, 30, 60, 0}));
    auto mixed = bufferOf({{10, 100, 200, 255}});
    zt::SepiaFilter().processFilter(mixed.data(), dest.data(), 1, 1);
    int s = (28 * 10 + 151 * 100 + 77 * 200) >> 8;
    EXPECT_EQ(pixel(dest, 0), (Pixel {s - 50, s + 30, s + 60, 0}));
    zt::ColorChangeFilter().processFilter(mixed.data(), dest.data(), 1, 1);
    EXPECT_EQ(pixel(dest, 0), (Pixel {200, 100, 10, 0}));
}

TEST(ColorEffectVariants, ScaledVariantSamplesNearestSourcePixels)
{
    // A 4 x 4 source whose byte 0 is its index; scaled into the 2 x 2 rectangle at (1, 1).
    std::vector<Pixel> source;
    for (int i = 0; i < 16; ++i)
        source.push_back({i * 10, 0, 0, 255});
    auto bytes = bufferOf(source);
    std::vector<uint8_t> dest(bytes.size(), 0);
    zt::ColorChangeFilter().processFilter(bytes.data(), dest.data(), plat::Size {4, 4}, plat::makeRect(1, 1, 2, 2));
    // Steps of 2: samples (0,0), (2,0), (0,2), (2,2) land at (1,1), (2,1), (1,2), (2,2).
    EXPECT_EQ(pixel(dest, 5), (Pixel {0, 0, 0, 0}));
    EXPECT_EQ(pixel(dest, 6), (Pixel {0, 0, 20, 0}));
    EXPECT_EQ(pixel(dest, 9), (Pixel {0, 0, 80, 0}));
    EXPECT_EQ(pixel(dest, 10), (Pixel {0, 0, 100, 0}));
    EXPECT_EQ(pixel(dest, 0), (Pixel {0, 0, 0, 0}));
    EXPECT_EQ(pixel(dest, 15), (Pixel {0, 0, 0, 0}));

    // Posterize stops a step early and passes byte 0 through but byte 3 through its levels.
    std::vector<uint8_t> posterized(bytes.size(), 1);
    zt::PosterizeFilter(4).processFilter(
        bytes.data(), posterized.data(), plat::Size {4, 4}, plat::makeRect(0, 0, 4, 4));
    EXPECT_EQ(pixel(posterized, 5), (Pixel {50, 0, 0, 255}));
    EXPECT_EQ(pixel(posterized, 3), (Pixel {1, 1, 1, 1}));  // column 3 is past w - 1: not written
    EXPECT_EQ(pixel(posterized, 12), (Pixel {1, 1, 1, 1}));
}

}  // namespace
