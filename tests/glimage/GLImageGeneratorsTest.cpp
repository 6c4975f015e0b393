#include <cmath>
#include <gtest/gtest.h>

#include "GLImageCpuSampling.h"
#include "glimage/GLImageJFAVoronoiFilter.h"
#include "glimage/GLImageMosaicFilter.h"
#include "glimage/GLImagePerlinNoiseFilter.h"
#include "glimage/GLImagePicture.h"
#include "glimage/GLImageVoronoiConsumerFilter.h"

namespace {

using zt::test::Colour;
using zt::test::CpuPicture;

// Classic two-dimensional gradient noise, in double precision.
double mod289(double x)
{
    return x - std::floor(x * (1.0 / 289.0)) * 289.0;
}

double permute(double x)
{
    return mod289((x * 34.0 + 1.0) * x);
}

double fade(double t)
{
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}

double cnoise(double px, double py)
{
    const double ix[4]
        = {mod289(std::floor(px)), mod289(std::floor(px) + 1), mod289(std::floor(px)), mod289(std::floor(px) + 1)};
    const double iy[4]
        = {mod289(std::floor(py)), mod289(std::floor(py)), mod289(std::floor(py) + 1), mod289(std::floor(py) + 1)};
    const double fx[4] = {px - std::floor(px), px - std::floor(px) - 1, px - std::floor(px), px - std::floor(px) - 1};
    const double fy[4] = {py - std::floor(py), py - std::floor(py), py - std::floor(py) - 1, py - std::floor(py) - 1};
    double n[4];
    for (int k = 0; k < 4; ++k) {
        const double i = permute(permute(ix[k]) + iy[k]);
        double gx = (i / 41.0 - std::floor(i / 41.0)) * 2.0 - 1.0;
        const double gy = std::abs(gx) - 0.5;
        gx -= std::floor(gx + 0.5);
        const double norm = 1.79284291400159 - 0.85373472095314 * (gx * gx + gy * gy);
        n[k] = norm * (gx * fx[k] + gy * fy[k]);
    }
    const double fadeX = fade(px - std::floor(px));
    const double fadeY = fade(py - std::floor(py));
    const double bottom = n[0] + (n[1] - n[0]) * fadeX;
    const double top = n[2] + (n[3] - n[2]) * fadeX;
    return 2.3 * (bottom + (top - bottom) * fadeY);
}

std::shared_ptr<plat::Image> rendered(const std::shared_ptr<zt::GLImageOutput>& filter, int width, int height)
{
    auto blank = zt::test::makePicture(width, height, [](int, int) { return Colour {0, 0, 0, 1}; });
    return zt::test::filtered(filter, *blank);
}

TEST(GLImagePerlinNoiseFilter, IsGradientNoiseBetweenItsTwoColours)
{
    struct Case {
        float scale;
        zt::GPUVector4 start;
        zt::GPUVector4 finish;
    };
    for (const Case& c :
        {Case {8.0f, {0, 0, 0, 1}, {1, 1, 1, 1}}, Case {3.5f, {0.2f, 0.1f, 0.6f, 1}, {0.9f, 0.8f, 0.1f, 1}},
            Case {0.0f, {0.2f, 0.4f, 0.6f, 1}, {0.6f, 0.0f, 1.0f, 1}}}) {
        SCOPED_TRACE(c.scale);
        auto noise = std::make_shared<zt::GLImagePerlinNoiseFilter>();
        noise->setScale(c.scale);
        noise->setColorStart(c.start);
        noise->setColorFinish(c.finish);
        auto result = rendered(noise, 40, 30);
        ASSERT_TRUE(result);
        CpuPicture expected(40, 30);
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 40; ++x) {
                const double n = (cnoise((x + 0.5) / 40 * c.scale, (y + 0.5) / 30 * c.scale) + 1.0) / 2.0;
                const float start[4] = {c.start.one, c.start.two, c.start.three, c.start.four};
                const float finish[4] = {c.finish.one, c.finish.two, c.finish.three, c.finish.four};
                for (size_t i = 0; i < 4; ++i)
                    expected.at(x, y)[i] = start[i] + (finish[i] - start[i]) * n;
            }
        }
        zt::test::expectPictureMatches(expected, *result);
    }
}

// A seed's colour code of its own position, as the Voronoi filters read it
// back for a seed size under 256: red and green the pixel's x and y.
Colour seedColour(int x, int y)
{
    return {x / 255.0, y / 255.0, 0, 1};
}

// The position a code stands for, in texture units of a size x size map.
std::array<double, 2> decoded(const plat::test::Rgba& c, int size)
{
    const double z = c[2] / 255.0 * 256.0;
    const double yOffset = std::floor(z / 8.0);
    const double xOffset = z - 8.0 * std::floor(z / 8.0);
    return {(c[0] / 255.0 * 256.0 + xOffset * 256.0) / size, (c[1] / 255.0 * 256.0 + yOffset * 256.0) / size};
}

TEST(GLImageJFAVoronoiFilter, HandsEveryPixelTheCodeOfItsNearestSeed)
{
    constexpr int kSide = 64;
    const std::array<std::array<int, 2>, 6> seeds = {{{5, 7}, {50, 12}, {30, 30}, {12, 52}, {58, 58}, {40, 45}}};
    auto seedPicture = zt::test::makePicture(kSide, kSide, [&](int x, int y) {
        for (const auto& seed : seeds)
            if (seed[0] == x && seed[1] == y)
                return seedColour(x, y);
        return Colour {0, 0, 0, 0};
    });
    auto voronoi = std::make_shared<zt::GLImageJFAVoronoiFilter>();
    voronoi->setSizeInPixels({kSide, kSide});
    auto result = zt::test::filtered(voronoi, *seedPicture);
    ASSERT_TRUE(result);
    EXPECT_EQ(voronoi->numPassesForTesting(), 6u);
    int wrong = 0;
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const auto got = plat::test::pixelAt(*result, x, y);
            const auto centre = zt::test::pixelCentre(x, y, kSide, kSide);
            double nearest = 10;
            for (const auto& seed : seeds) {
                const auto at = decoded(plat::test::Rgba {seed[0], seed[1], 0, 255}, kSide);
                nearest = std::min(nearest, std::hypot(at[0] - centre[0], at[1] - centre[1]));
            }
            const bool isSeed = got[3] == 255 && std::any_of(seeds.begin(), seeds.end(), [&](const auto& s) {
                return s[0] == got[0] && s[1] == got[1];
            });
            const auto at = decoded(got, kSide);
            // Jump flooding may take a seed a hair farther than the nearest.
            const bool nearEnough = std::hypot(at[0] - centre[0], at[1] - centre[1]) <= nearest + 1.0 / kSide;
            if ((!isSeed || !nearEnough) && wrong++ < 5)
                ADD_FAILURE() << "pixel " << x << ", " << y << " holds " << got[0] << ", " << got[1] << ", " << got[3];
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(GLImageJFAVoronoiFilter, PixelsAFrameOrMoreFromEverySeedKeepTheirOwnColour)
{
    constexpr int kSide = 32;
    auto seedPicture = zt::test::makePicture(kSide, kSide, [](int x, int y) {
        return x == 1 && y == 1 ? seedColour(1, 1) : Colour {0, 0, 0, 0};
    });
    auto voronoi = std::make_shared<zt::GLImageJFAVoronoiFilter>();
    voronoi->setSizeInPixels({kSide, kSide});
    auto result = zt::test::filtered(voronoi, *seedPicture);
    ASSERT_TRUE(result);
    EXPECT_EQ(plat::test::pixelAt(*result, 10, 10), (plat::test::Rgba {1, 1, 0, 255}));
    // (31.5, 31.5) lies 1.36 frames from the seed: never reached.
    EXPECT_EQ(plat::test::pixelAt(*result, 31, 31), (plat::test::Rgba {0, 0, 0, 0}));
}

TEST(GLImageJFAVoronoiFilter, SeedSizesMustBeSquarePowersOfTwo)
{
    auto voronoi = std::make_shared<zt::GLImageJFAVoronoiFilter>();
    voronoi->setSizeInPixels({256, 256});
    EXPECT_EQ(voronoi->sizeInPixels(), (plat::Size {256, 256}));
    voronoi->setSizeInPixels({256, 128});
    voronoi->setSizeInPixels({100, 100});
    voronoi->setSizeInPixels({0, 0});
    EXPECT_EQ(voronoi->sizeInPixels(), (plat::Size {256, 256}));
    auto consumer = std::make_shared<zt::GLImageVoronoiConsumerFilter>();
    consumer->setSizeInPixels({100, 100});
    EXPECT_EQ(consumer->sizeInPixels(), (plat::Size {}));
    EXPECT_EQ(zt::GLImageJFAVoronoiFilter::nextPowerOfTwo({640, 480}), 1024u);
    EXPECT_EQ(zt::GLImageJFAVoronoiFilter::nextPowerOfTwo({256, 256}), 256u);
    EXPECT_EQ(zt::GLImageJFAVoronoiFilter::nextPowerOfTwo({0, 0}), 1u);
}

TEST(GLImageVoronoiConsumerFilter, PaintsEachCellWithThePicturesColourAtItsSeed)
{
    constexpr int kSide = 16;
    auto picture = zt::test::makePicture(kSide, kSide, [](int x, int y) {
        return Colour {x / 15.0, y / 15.0, (x + y) % 3 / 2.0, 1};
    });
    // Left half: the seed at (3, 4); right half: at (12, 9).
    auto map
        = zt::test::makePicture(kSide, kSide, [](int x, int) { return x < 8 ? seedColour(3, 4) : seedColour(12, 9); });
    auto consumer = std::make_shared<zt::GLImageVoronoiConsumerFilter>();
    consumer->setSizeInPixels({kSide, kSide});
    auto result = zt::test::renderTwoInputs(consumer, *picture, *map);
    ASSERT_TRUE(result);
    const auto source = zt::test::cpuPicture(*picture);
    zt::test::expectPixelsMatch(*picture, *result, [&](const Colour&, int x, int) {
        const auto at = decoded(x < 8 ? plat::test::Rgba {3, 4, 0, 255} : plat::test::Rgba {12, 9, 0, 255}, kSide);
        return zt::test::sampleLinear(source, at[0], at[1]);
    });
}

// A tile set of 8 x 8 flat tiles of 8 pixels, tile k of colour (k/63, 1 - k/63, 0.5).
std::shared_ptr<plat::Image> tileSet()
{
    return zt::test::makePicture(64, 64, [](int x, int y) {
        const int k = (y / 8) * 8 + x / 8;
        return Colour {k / 63.0, 1 - k / 63.0, 0.5, 1};
    });
}

CpuPicture expectedMosaic(
    const CpuPicture& picture, const CpuPicture& tiles, double display, double tileSide, double numTiles, bool colorOn)
{
    return zt::test::mapPicture(picture, [&](const CpuPicture& p, int x, int y) {
        const auto t = zt::test::pixelCentre(x, y, p.width, p.height);
        const double cx = t[0] - std::fmod(t[0], display);
        const double cy = t[1] - std::fmod(t[1], display);
        const Colour c = zt::test::sampleLinear(p, cx, cy);
        const double lum = 1.0 - (0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2]);
        const double perRow = std::floor(1.0 / tileSide + 0.001);
        const double last = std::min(std::floor(numTiles), perRow * perRow) - 1;
        const double exact = lum * std::floor(numTiles);
        if (std::abs(exact - std::round(exact)) < 0.01 && std::round(exact) <= last)
            return zt::test::eitherSide();
        const double k = std::clamp(std::floor(exact + 0.001), 0.0, last);
        const double column = std::fmod(k, perRow);
        const double row = std::floor(k / perRow);
        const Colour tile = zt::test::sampleLinear(tiles, column * tileSide + (t[0] - cx) * tileSide / display,
            row * tileSide + (t[1] - cy) * tileSide / display);
        if (!colorOn)
            return tile;
        return Colour {tile[0] * c[0], tile[1] * c[1], tile[2] * c[2], tile[3] * c[3]};
    });
}

TEST(GLImageMosaicFilter, RebuildsThePictureFromTilesPickedByDarkness)
{
    // Cells two pixels off the display tiles, so that each tile's corner
    // (where its colour is read) lies inside one cell, not between four.
    auto picture = zt::test::makePicture(32, 32, [](int x, int y) {
        const int cell = (std::min((y + 2) / 8, 3)) * 4 + std::min((x + 2) / 8, 3);
        // Every shade from white to black, and one colour.
        if (cell == 5)
            return Colour {0.9, 0.3, 0.2, 1};
        return Colour {1 - cell / 15.0, 1 - cell / 15.0, 1 - cell / 15.0, 1};
    });
    struct Case {
        double numTiles;
        bool colorOn;
    };
    for (const Case& c : {Case {64, true}, Case {64, false}, Case {10, true}, Case {200, false}}) {
        SCOPED_TRACE(c.numTiles);
        auto mosaic = std::make_shared<zt::GLImageMosaicFilter>();
        mosaic->setTileSetImage(*tileSet());
        mosaic->setDisplayTileSize({0.25, 0.25});
        mosaic->setNumTiles(float(c.numTiles));
        mosaic->setColorOn(c.colorOn);
        auto result = zt::test::filtered(mosaic, *picture);
        ASSERT_TRUE(result);
        zt::test::expectPictureMatches(expectedMosaic(zt::test::cpuPicture(*picture), zt::test::cpuPicture(*tileSet()),
                                           0.25, 0.125, c.numTiles, c.colorOn),
            *result);
    }
}

TEST(GLImageMosaicFilter, BlackTakesTheLastTileRatherThanOnePastTheSet)
{
    auto black = zt::test::makePicture(8, 8, [](int, int) { return Colour {0, 0, 0, 1}; });
    auto white = zt::test::makePicture(8, 8, [](int, int) { return Colour {1, 1, 1, 1}; });
    for (float numTiles : {64.0f, 100.0f}) {
        auto mosaic = std::make_shared<zt::GLImageMosaicFilter>();
        mosaic->setTileSetImage(*tileSet());
        mosaic->setDisplayTileSize({0.5, 0.5});
        mosaic->setNumTiles(numTiles);
        mosaic->setColorOn(false);
        auto dark = zt::test::filtered(mosaic, *black);
        ASSERT_TRUE(dark);
        EXPECT_EQ(plat::test::pixelAt(*dark, 1, 1), (plat::test::Rgba {255, 0, 128, 255})) << numTiles;
        auto light = zt::test::filtered(mosaic, *white);
        ASSERT_TRUE(light);
        EXPECT_EQ(plat::test::pixelAt(*light, 1, 1), (plat::test::Rgba {0, 255, 128, 255})) << numTiles;
    }
}

TEST(GLImageMosaicFilter, TileSizesAreClampedAndAMissingTileSetChangesNothing)
{
    auto mosaic = std::make_shared<zt::GLImageMosaicFilter>();
    mosaic->setInputTileSize({2.0, -1.0});
    EXPECT_EQ(mosaic->inputTileSize(), (plat::Size {1.0, 0.0}));
    mosaic->setDisplayTileSize({0.5, 3});
    EXPECT_EQ(mosaic->displayTileSize(), (plat::Size {0.5, 1.0}));
    mosaic->setTileSet("no tile set of this name");
    // The app's own pictures serve as tile sets by name.
    mosaic->setInputTileSize({0.125, 0.125});
    mosaic->setTileSet("lookup_orrinval.png");
    auto result = zt::test::filtered(mosaic, *tileSet());
    ASSERT_TRUE(result);
    EXPECT_EQ(plat::test::pixelAt(*result, 0, 0)[3], 255);
}

}  // namespace
