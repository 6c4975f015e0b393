#include <algorithm>
#include <gtest/gtest.h>

#include "GLImageCpuSampling.h"
#include "glimage/GLImageClosingFilter.h"
#include "glimage/GLImageDilationFilter.h"
#include "glimage/GLImageErosionFilter.h"
#include "glimage/GLImageOpeningFilter.h"
#include "glimage/GLImageRGBClosingFilter.h"
#include "glimage/GLImageRGBDilationFilter.h"
#include "glimage/GLImageRGBErosionFilter.h"
#include "glimage/GLImageRGBOpeningFilter.h"

namespace {

using zt::test::Colour;
using zt::test::CpuPicture;

enum class Extreme { Largest, Smallest };
enum class Channels { Red, All };

// The largest or smallest value over the square of radius r, clamped at the
// edges; the grey filters take the red channel into opaque grey.
CpuPicture squareExtreme(const CpuPicture& in, int radius, Extreme extreme, Channels channels, int spacing = 1)
{
    return zt::test::mapPicture(in, [&](const CpuPicture& p, int x, int y) {
        Colour result = p.at(x, y);
        for (int dy = -radius; dy <= radius; ++dy) {
            for (int dx = -radius; dx <= radius; ++dx) {
                const Colour& c = p.at(x + dx * spacing, y + dy * spacing);
                for (size_t i = 0; i < 4; ++i)
                    result[i] = extreme == Extreme::Largest ? std::max(result[i], c[i]) : std::min(result[i], c[i]);
            }
        }
        if (channels == Channels::Red)
            return Colour {result[0], result[0], result[0], 1.0};
        return result;
    });
}

// Colours, alphas and sharp steps everywhere, so that every neighbour matters.
std::shared_ptr<plat::Image> speckledPicture()
{
    return zt::test::makePicture(23, 17, [](int x, int y) {
        const double alpha = (x * 7 + y * 3) % 5 == 0 ? 0.6 : 1.0;
        const double r = ((x * 13 + y * 7) % 11) / 10.0;
        const double g = ((x * 5 + y * 11) % 9) / 8.0;
        const double b = ((x + y * 2) % 7) / 6.0;
        return Colour {r * alpha, g * alpha, b * alpha, alpha};
    });
}

struct MorphologyCase {
    const char* name;
    std::function<std::shared_ptr<zt::GLImageOutput>(uint32_t radius)> make;
    std::function<CpuPicture(const CpuPicture&, int radius)> expected;
};

TEST(GLImageMorphology, EveryFilterMatchesItsSquareAtRadiiOneToFourAndLargerActsAsFour)
{
    const MorphologyCase cases[] = {
        {"dilation", [](uint32_t r) { return std::make_shared<zt::GLImageDilationFilter>(r); },
            [](const CpuPicture& p, int r) { return squareExtreme(p, r, Extreme::Largest, Channels::Red); }},
        {"erosion", [](uint32_t r) { return std::make_shared<zt::GLImageErosionFilter>(r); },
            [](const CpuPicture& p, int r) { return squareExtreme(p, r, Extreme::Smallest, Channels::Red); }},
        {"RGB dilation", [](uint32_t r) { return std::make_shared<zt::GLImageRGBDilationFilter>(r); },
            [](const CpuPicture& p, int r) { return squareExtreme(p, r, Extreme::Largest, Channels::All); }},
        {"RGB erosion", [](uint32_t r) { return std::make_shared<zt::GLImageRGBErosionFilter>(r); },
            [](const CpuPicture& p, int r) { return squareExtreme(p, r, Extreme::Smallest, Channels::All); }},
        {"opening", [](uint32_t r) { return std::make_shared<zt::GLImageOpeningFilter>(r); },
            [](const CpuPicture& p, int r) {
                return squareExtreme(
                    squareExtreme(p, r, Extreme::Smallest, Channels::Red), r, Extreme::Largest, Channels::Red);
            }},
        {"closing", [](uint32_t r) { return std::make_shared<zt::GLImageClosingFilter>(r); },
            [](const CpuPicture& p, int r) {
                return squareExtreme(
                    squareExtreme(p, r, Extreme::Largest, Channels::Red), r, Extreme::Smallest, Channels::Red);
            }},
        {"RGB opening", [](uint32_t r) { return std::make_shared<zt::GLImageRGBOpeningFilter>(r); },
            [](const CpuPicture& p, int r) {
                return squareExtreme(
                    squareExtreme(p, r, Extreme::Smallest, Channels::All), r, Extreme::Largest, Channels::All);
            }},
        {"RGB closing", [](uint32_t r) { return std::make_shared<zt::GLImageRGBClosingFilter>(r); },
            [](const CpuPicture& p, int r) {
                return squareExtreme(
                    squareExtreme(p, r, Extreme::Largest, Channels::All), r, Extreme::Smallest, Channels::All);
            }},
    };
    auto picture = speckledPicture();
    const auto input = zt::test::cpuPicture(*picture);
    for (const auto& morphology : cases) {
        for (uint32_t radius : {0u, 1u, 2u, 3u, 4u, 7u}) {
            SCOPED_TRACE(std::string(morphology.name) + " radius " + std::to_string(radius));
            const int effective = std::clamp(int(radius), 1, 4);
            auto result = zt::test::filtered(morphology.make(radius), *picture);
            ASSERT_TRUE(result);
            zt::test::expectPictureMatches(morphology.expected(input, effective), *result);
        }
    }
}

TEST(GLImageMorphology, ASinglePixelDilatesToTheSquareOfTheRadius)
{
    auto dot = zt::test::makePicture(15, 15, [](int x, int y) {
        return x == 7 && y == 7 ? Colour {1, 1, 1, 1} : Colour {0, 0, 0, 1};
    });
    for (uint32_t radius : {1u, 4u}) {
        auto result = zt::test::filtered(std::make_shared<zt::GLImageDilationFilter>(radius), *dot);
        ASSERT_TRUE(result);
        int lit = 0;
        for (int y = 0; y < 15; ++y)
            for (int x = 0; x < 15; ++x)
                lit += plat::test::pixelAt(*result, x, y)[0] == 255 ? 1 : 0;
        EXPECT_EQ(lit, int((2 * radius + 1) * (2 * radius + 1))) << "radius " << radius;
        EXPECT_EQ(plat::test::pixelAt(*result, 7 - int(radius), 7 + int(radius))[0], 255);
    }
}

TEST(GLImageMorphology, GreyFiltersReadTheRedChannelOnlyAndColourFiltersEachChannel)
{
    auto blue = zt::test::makePicture(6, 6, [](int, int) { return Colour {0, 0, 1, 1}; });
    auto grey = zt::test::filtered(std::make_shared<zt::GLImageDilationFilter>(), *blue);
    EXPECT_EQ(plat::test::pixelAt(*grey, 3, 3), (plat::test::Rgba {0, 0, 0, 255}));

    auto pair = zt::test::makePicture(4, 1, [](int x, int) {
        return x == 1 ? Colour {1, 0, 0, 1} : (x == 2 ? Colour {0, 1, 0, 1} : Colour {0, 0, 0, 1});
    });
    auto colour = zt::test::filtered(std::make_shared<zt::GLImageRGBDilationFilter>(), *pair);
    EXPECT_EQ(plat::test::pixelAt(*colour, 1, 0), (plat::test::Rgba {255, 255, 0, 255}));
    EXPECT_EQ(plat::test::pixelAt(*colour, 2, 0), (plat::test::Rgba {255, 255, 0, 255}));
}

TEST(GLImageMorphology, OpeningRemovesSpecksAndClosingFillsHolesSmallerThanTheSquare)
{
    // A white field with a black hole of 2 x 2 and a black one with a white speck of 2 x 2.
    auto holed = zt::test::makePicture(12, 12, [](int x, int y) {
        const bool hole = x >= 5 && x < 7 && y >= 5 && y < 7;
        return hole ? Colour {0, 0, 0, 1} : Colour {1, 1, 1, 1};
    });
    auto specked = zt::test::makePicture(12, 12, [](int x, int y) {
        const bool speck = x >= 5 && x < 7 && y >= 5 && y < 7;
        return speck ? Colour {1, 1, 1, 1} : Colour {0, 0, 0, 1};
    });
    auto closed = zt::test::filtered(std::make_shared<zt::GLImageClosingFilter>(2), *holed);
    auto opened = zt::test::filtered(std::make_shared<zt::GLImageOpeningFilter>(2), *specked);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            EXPECT_EQ(plat::test::pixelAt(*closed, x, y)[0], 255) << x << ", " << y;
            EXPECT_EQ(plat::test::pixelAt(*opened, x, y)[0], 0) << x << ", " << y;
        }
    }
}

TEST(GLImageMorphology, GroupsReportTheirOwnSpacingAndPassASetOneToBothMembers)
{
    auto opening = std::make_shared<zt::GLImageOpeningFilter>(1);
    EXPECT_EQ(opening->verticalTexelSpacing(), 0.0);
    EXPECT_EQ(opening->horizontalTexelSpacing(), 0.0);
    EXPECT_EQ(opening->erosionFilter()->verticalTexelSpacing(), 1.0);
    opening->setVerticalTexelSpacing(2.0);
    opening->setHorizontalTexelSpacing(3.0);
    EXPECT_EQ(opening->verticalTexelSpacing(), 2.0);
    for (const auto& member :
        {std::static_pointer_cast<zt::GLImageTwoPassTextureSamplingFilter>(opening->erosionFilter()),
            std::static_pointer_cast<zt::GLImageTwoPassTextureSamplingFilter>(opening->dilationFilter())}) {
        EXPECT_EQ(member->verticalTexelSpacing(), 2.0);
        EXPECT_EQ(member->horizontalTexelSpacing(), 3.0);
    }

    // A spacing of 2 samples every other pixel.
    auto closing = std::make_shared<zt::GLImageClosingFilter>(1);
    closing->setVerticalTexelSpacing(2.0);
    closing->setHorizontalTexelSpacing(2.0);
    auto picture = speckledPicture();
    const auto input = zt::test::cpuPicture(*picture);
    auto result = zt::test::filtered(closing, *picture);
    zt::test::expectPictureMatches(squareExtreme(squareExtreme(input, 1, Extreme::Largest, Channels::Red, 2), 1,
                                       Extreme::Smallest, Channels::Red, 2),
        *result);
}

}  // namespace
