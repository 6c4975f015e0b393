#include "platform/graphics/Resample.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

#include "support/Pixels.h"

namespace {

using plat::test::Rgba;

// A premultiplied picture of random pixels.
std::shared_ptr<plat::Bitmap> randomBitmap(int width, int height, plat::PixelOrder order, unsigned seed)
{
    std::mt19937 random(seed);
    return plat::test::makeBitmap(width, height, order, [&](int, int) {
        int alpha = static_cast<int>(random() % 256);
        return Rgba {static_cast<int>(random() % (alpha + 1)), static_cast<int>(random() % (alpha + 1)),
            static_cast<int>(random() % (alpha + 1)), alpha};
    });
}

double overlap(double a0, double a1, double b0, double b1)
{
    return std::max(0.0, std::min(a1, b1) - std::max(a0, b0));
}

// The box filter by its definition: the mean of the source over the device
// pixel's footprint, counting area outside the picture as transparent.
std::array<double, 4> areaAverage(
    const plat::Bitmap& source, double scaleX, double scaleY, double offsetX, double offsetY, int x, int y)
{
    std::array<double, 4> sum {};
    double u0 = (x - offsetX) / scaleX, u1 = (x + 1 - offsetX) / scaleX;
    double v0 = (y - offsetY) / scaleY, v1 = (y + 1 - offsetY) / scaleY;
    for (int sy = 0; sy < source.height(); ++sy) {
        double wy = overlap(sy, sy + 1, v0, v1);
        if (wy == 0)
            continue;
        for (int sx = 0; sx < source.width(); ++sx) {
            double weight = overlap(sx, sx + 1, u0, u1) * wy * scaleX * scaleY;
            if (weight == 0)
                continue;
            Rgba p = plat::test::pixelAt(source, sx, sy);
            for (int c = 0; c < 4; ++c)
                sum[c] += weight * p[c];
        }
    }
    return sum;
}

void expectMatchesAreaAverage(const plat::Bitmap& source, double scaleX, double scaleY, double offsetX, double offsetY,
    int clipWidth, int clipHeight)
{
    auto tile = plat::detail::resampleAxisAligned(source, scaleX, scaleY, offsetX, offsetY, clipWidth, clipHeight);
    ASSERT_TRUE(tile);
    int checked = 0;
    for (int y = 0; y < clipHeight; ++y) {
        for (int x = 0; x < clipWidth; ++x) {
            auto expected = areaAverage(source, scaleX, scaleY, offsetX, offsetY, x, y);
            bool inTile = x >= tile->x && x < tile->x + tile->pixels->width() && y >= tile->y
                && y < tile->y + tile->pixels->height();
            if (!inTile) {
                EXPECT_LT(expected[3], 0.5) << x << "," << y;
                continue;
            }
            Rgba got = plat::test::pixelAt(*tile->pixels, x - tile->x, y - tile->y);
            for (int c = 0; c < 4; ++c)
                EXPECT_NEAR(got[c], expected[c], 1.0) << x << "," << y << " component " << c;
            ++checked;
        }
    }
    EXPECT_GT(checked, 0);
}

TEST(Resample, ShrinkingAveragesTheSourceOverEachPixel)
{
    auto source = randomBitmap(37, 23, plat::PixelOrder::BGRA, 7);
    expectMatchesAreaAverage(*source, 0.37, 0.61, 1.3, 2.7, 20, 20);
    expectMatchesAreaAverage(*source, 0.5, 0.5, 0, 0, 19, 12);
    expectMatchesAreaAverage(*source, 0.1, 0.9, -0.25, 0.4, 8, 30);
}

TEST(Resample, RGBASourcesComeOutInCairosOrder)
{
    auto rgba = randomBitmap(16, 16, plat::PixelOrder::RGBA, 11);
    auto bgra = rgba->copyWithOrder(plat::PixelOrder::BGRA);
    auto fromRgba = plat::detail::resampleAxisAligned(*rgba, 0.3, 0.3, 0.5, 0.5, 10, 10);
    auto fromBgra = plat::detail::resampleAxisAligned(*bgra, 0.3, 0.3, 0.5, 0.5, 10, 10);
    ASSERT_TRUE(fromRgba && fromBgra);
    EXPECT_EQ(fromRgba->pixels->order(), plat::PixelOrder::BGRA);
    EXPECT_EQ(0, std::memcmp(fromRgba->pixels->bytes(), fromBgra->pixels->bytes(), fromBgra->pixels->byteCount()));
}

TEST(Resample, EnlargingInterpolatesBetweenPixelCentres)
{
    // Two pixels, 0 and 200 in red, enlarged four times: centres at 2 and 6.
    auto source = plat::test::makeBitmap(2, 1, plat::PixelOrder::BGRA, [](int x, int) {
        return Rgba {x == 0 ? 0 : 200, 0, 0, 255};
    });
    auto tile = plat::detail::resampleAxisAligned(*source, 4, 4, 0, 0, 8, 4);
    ASSERT_TRUE(tile);
    // Device centre x + 0.5 maps to source u = (x + 0.5) / 4 - 0.5, clamped at the ends.
    int expected[] = {0, 0, 25, 75, 125, 175, 200, 200};
    for (int x = 0; x < 8; ++x)
        EXPECT_NEAR(plat::test::pixelAt(*tile->pixels, x, 1)[0], expected[x], 1) << x;
}

TEST(Resample, FlatColoursStayExactAndEdgesShowTheirCoverage)
{
    auto flat = plat::test::makeBitmap(97, 61, plat::PixelOrder::BGRA, [](int, int) {
        return Rgba {255, 128, 7, 255};
    });
    // 97 pixels into 30 from x = 0.25: the first device pixel is three quarters covered.
    auto tile = plat::detail::resampleAxisAligned(*flat, 30.0 / 97, 20.0 / 61, 0.25, 0, 40, 40);
    ASSERT_TRUE(tile);
    EXPECT_EQ(tile->x, 0);
    EXPECT_EQ(tile->pixels->width(), 31);
    EXPECT_EQ(tile->pixels->height(), 20);
    EXPECT_EQ(plat::test::pixelAt(*tile->pixels, 15, 10), (Rgba {255, 128, 7, 255}));
    Rgba edge = plat::test::pixelAt(*tile->pixels, 0, 10);
    EXPECT_NEAR(edge[3], 191, 1);
    EXPECT_NEAR(edge[0], 191, 1);
}

TEST(Resample, NothingCoveredGivesNoTile)
{
    auto source = randomBitmap(4, 4, plat::PixelOrder::BGRA, 3);
    EXPECT_FALSE(plat::detail::resampleAxisAligned(*source, 0.5, 0.5, 100, 0, 50, 50));
    EXPECT_FALSE(plat::detail::resampleAxisAligned(*source, 0, 0.5, 0, 0, 50, 50));
    EXPECT_FALSE(plat::detail::resampleAxisAligned(*source, 0.5, 0.5, NAN, 0, 50, 50));
}

}  // namespace
