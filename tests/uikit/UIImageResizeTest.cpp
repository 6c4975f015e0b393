#include "uikit/UIImageResize.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

#include "platform/graphics/Image.h"
#include "support/Pixels.h"

namespace {

using plat::ImageOrientation;
using plat::test::Rgba;

// Every pixel of a picture up to 42 x 32 has its own colour.
Rgba uniqueColour(int x, int y)
{
    return {x * 6, y * 8, 128, 255};
}

// The stored pixel shown at (X, Y) of the upright picture, by the EXIF
// definition of each orientation (stored size w x h).
std::pair<int, int> storedPixelShownAt(ImageOrientation orientation, int X, int Y, int w, int h)
{
    switch (orientation) {
    case ImageOrientation::Up:
        return {X, Y};
    case ImageOrientation::UpMirrored:
        return {w - 1 - X, Y};
    case ImageOrientation::Down:
        return {w - 1 - X, h - 1 - Y};
    case ImageOrientation::DownMirrored:
        return {X, h - 1 - Y};
    case ImageOrientation::LeftMirrored:
        return {Y, X};
    case ImageOrientation::Right:
        return {Y, h - 1 - X};
    case ImageOrientation::RightMirrored:
        return {w - 1 - Y, h - 1 - X};
    case ImageOrientation::Left:
        return {w - 1 - Y, X};
    }
    return {0, 0};
}

TEST(UprightConversion, EveryOrientationOfANonSquarePictureComesOutWhole)
{
    constexpr int kWidth = 40, kHeight = 30;
    for (int value = 0; value <= 7; ++value) {
        auto orientation = static_cast<ImageOrientation>(value);
        SCOPED_TRACE(value);
        auto tagged = plat::test::makeImage(kWidth, kHeight, uniqueColour, orientation);
        auto upright = zt::scaledAndRotatedImageWithMaxResolution(*tagged, 1920);
        ASSERT_TRUE(upright);
        EXPECT_EQ(upright->imageOrientation(), ImageOrientation::Up);
        EXPECT_EQ(upright->scale(), 1.0);
        int width = plat::isTransposed(orientation) ? kHeight : kWidth;
        int height = plat::isTransposed(orientation) ? kWidth : kHeight;
        ASSERT_EQ(upright->bitmap()->width(), width);
        ASSERT_EQ(upright->bitmap()->height(), height);
        for (int Y = 0; Y < height; ++Y) {
            for (int X = 0; X < width; ++X) {
                auto [x, y] = storedPixelShownAt(orientation, X, Y, kWidth, kHeight);
                ASSERT_LE(plat::test::componentDistance(plat::test::pixelAt(*upright, X, Y), uniqueColour(x, y)), 1)
                    << X << "," << Y;
            }
        }
    }
}

TEST(UprightConversion, ScaledDownPicturesKeepTheirBlocksInEveryOrientation)
{
    // 4 x 3 blocks of 100 pixels, brought down to a longest side of 192.
    auto blockColour = [](int x, int y) { return Rgba {(x / 100) * 80, (y / 100) * 120, 200, 255}; };
    for (int value = 0; value <= 7; ++value) {
        auto orientation = static_cast<ImageOrientation>(value);
        SCOPED_TRACE(value);
        auto upright = zt::scaledAndRotatedImageWithMaxResolution(
            *plat::test::makeImage(400, 300, blockColour, orientation), 192);
        ASSERT_TRUE(upright);
        bool transposed = plat::isTransposed(orientation);
        ASSERT_EQ(upright->bitmap()->width(), transposed ? 144 : 192);
        ASSERT_EQ(upright->bitmap()->height(), transposed ? 192 : 144);
        // The centre of every block, and pixels next to every edge of the canvas.
        for (int Y = 0; Y < upright->bitmap()->height(); Y += 6) {
            for (int X = 0; X < upright->bitmap()->width(); X += 6) {
                // The result is the upright picture at 192 / 400 of its size.
                double fullX = (X + 0.5) / 0.48;
                double fullY = (Y + 0.5) / 0.48;
                auto [x, y]
                    = storedPixelShownAt(orientation, static_cast<int>(fullX), static_cast<int>(fullY), 400, 300);
                // Only pixels well inside a block: the block edges are blended by the scaling.
                if (x % 100 < 5 || x % 100 > 95 || y % 100 < 5 || y % 100 > 95)
                    continue;
                ASSERT_LE(plat::test::componentDistance(plat::test::pixelAt(*upright, X, Y), blockColour(x, y)), 2)
                    << X << "," << Y;
            }
        }
    }
}

TEST(UprightConversion, SizesFollowTheLongerSide)
{
    auto sizeOf = [](int width, int height, ImageOrientation orientation, int limit) {
        auto image = plat::test::makeFlatImage(width, height, {1, 2, 3, 255});
        auto tagged = std::make_shared<plat::Image>(image->bitmap(), 1.0, orientation);
        auto upright = zt::scaledAndRotatedImageWithMaxResolution(*tagged, limit);
        return plat::Size {
            static_cast<double>(upright->bitmap()->width()), static_cast<double>(upright->bitmap()->height())};
    };
    EXPECT_EQ(sizeOf(3000, 2000, ImageOrientation::Up, 1920), (plat::Size {1920, 1280}));
    EXPECT_EQ(sizeOf(3000, 2000, ImageOrientation::Right, 1920), (plat::Size {1280, 1920}));
    EXPECT_EQ(sizeOf(4000, 3000, ImageOrientation::Right, 1920), (plat::Size {1440, 1920}));
    EXPECT_EQ(sizeOf(3000, 3000, ImageOrientation::Up, 1920), (plat::Size {1920, 1920}));
    EXPECT_EQ(sizeOf(800, 600, ImageOrientation::Up, 1920), (plat::Size {800, 600}));
    EXPECT_EQ(sizeOf(1000, 800, ImageOrientation::LeftMirrored, 1920), (plat::Size {800, 1000}));
}

TEST(UprightConversion, SmallPicturesAreRedrawnUnchanged)
{
    auto image = plat::test::makeImage(40, 30, uniqueColour);
    auto same = zt::scaledAndRotatedImageWithMaxResolution(*image, 1920);
    ASSERT_TRUE(same);
    EXPECT_NE(same->bitmap(), image->bitmap());
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(plat::test::pixelAt(*same, x, y), uniqueColour(x, y));
}

// Aspect-fill crop against the area average of the source over each pixel's footprint.
TEST(AspectFillCrop, MatchesTheAreaAverageOfTheCoveredSource)
{
    auto colour = [](int x, int y) {
        return Rgba {(x * 255) / 639, (y * 255) / 479, ((x / 7 + y / 5) % 2) * 255, 255};
    };
    auto source = plat::test::makeImage(640, 480, colour);
    auto thumb = zt::imageByScalingAndCroppingForSize(*source, {272, 153});
    ASSERT_TRUE(thumb);
    ASSERT_EQ(thumb->bitmap()->width(), 272);
    ASSERT_EQ(thumb->bitmap()->height(), 153);
    // 4:3 into 16:9: scale 272 / 640, drawn 272 x 204, moved up by 25.5 - top and bottom cut evenly.
    double scale = 272.0 / 640;
    double offsetY = (153 - 480 * scale) / 2;
    EXPECT_DOUBLE_EQ(offsetY, -25.5);
    for (int Y = 0; Y < 153; Y += 5) {
        for (int X = 0; X < 272; X += 7) {
            double u0 = X / scale, u1 = (X + 1) / scale;
            double v0 = (Y - offsetY) / scale, v1 = (Y + 1 - offsetY) / scale;
            std::array<double, 3> sum {};
            double area = 0;
            for (int y = static_cast<int>(v0); y < std::ceil(v1); ++y) {
                double wy = std::min<double>(y + 1, v1) - std::max<double>(y, v0);
                for (int x = static_cast<int>(u0); x < std::ceil(u1); ++x) {
                    double w = (std::min<double>(x + 1, u1) - std::max<double>(x, u0)) * wy;
                    Rgba c = colour(x, y);
                    for (int i = 0; i < 3; ++i)
                        sum[i] += w * c[i];
                    area += w;
                }
            }
            Rgba got = plat::test::pixelAt(*thumb, X, Y);
            for (int i = 0; i < 3; ++i)
                ASSERT_NEAR(got[i], sum[i] / area, 1.5) << X << "," << Y << " component " << i;
            ASSERT_EQ(got[3], 255);
        }
    }
}

TEST(AspectFillCrop, SameAspectLosesNothingAndWiderPicturesLoseTheirSides)
{
    auto wide = plat::test::makeImage(200, 100, [](int x, int) { return Rgba {x, 0, 0, 255}; });
    auto square = zt::imageByScalingAndCroppingForSize(*wide, {100, 100});
    ASSERT_TRUE(square);
    // Drawn unscaled, moved left by 50: the middle of the picture.
    EXPECT_EQ(plat::test::pixelAt(*square, 0, 50), (Rgba {50, 0, 0, 255}));
    EXPECT_EQ(plat::test::pixelAt(*square, 99, 50), (Rgba {149, 0, 0, 255}));
    auto same = zt::imageByScalingAndCroppingForSize(*wide, {200, 100});
    EXPECT_EQ(plat::test::pixelAt(*same, 199, 99), (Rgba {199, 0, 0, 255}));

    auto full = plat::test::makeImage(1920, 1080, [](int x, int y) {
        return Rgba {x < 8 ? 255 : 0, y < 8 ? 255 : 0, 0, 255};
    });
    auto thumb = zt::imageByScalingAndCroppingForSize(*full, {272, 153});
    EXPECT_EQ(plat::test::pixelAt(*thumb, 0, 76)[0], 255);  // the left edge is still there
    EXPECT_EQ(plat::test::pixelAt(*thumb, 136, 0)[1], 255);  // and the top
}

TEST(AspectFillCrop, TaggedPicturesAreScaledUpright)
{
    auto tagged = plat::test::makeImage(
        30, 20,
        [](int x, int) {
            return Rgba {x < 15 ? 255 : 0, 0, 0, 255};
        },
        ImageOrientation::Right);
    auto result = zt::imageByScalingAndCroppingForSize(*tagged, {20, 30});
    ASSERT_TRUE(result);
    // Turned right, the stored left half is the upper half.
    EXPECT_EQ(plat::test::pixelAt(*result, 10, 5)[0], 255);
    EXPECT_EQ(plat::test::pixelAt(*result, 10, 25)[0], 0);
}

TEST(Resize, BoundedResizeFitsOrFills)
{
    auto image = plat::test::makeFlatImage(400, 200, {9, 9, 9, 255});
    auto fit = zt::resizedImageWithContentMode(
        *image, zt::kContentModeScaleAspectFit, {100, 100}, plat::InterpolationQuality::High);
    auto fill = zt::resizedImageWithContentMode(
        *image, zt::kContentModeScaleAspectFill, {100, 100}, plat::InterpolationQuality::High);
    ASSERT_TRUE(fit && fill);
    EXPECT_EQ(fit->size(), (plat::Size {100, 50}));
    EXPECT_EQ(fill->size(), (plat::Size {200, 100}));
    EXPECT_EQ(plat::test::pixelAt(*fit, 99, 49), (Rgba {9, 9, 9, 255}));
    EXPECT_FALSE(zt::resizedImageWithContentMode(*image, 3, {100, 100}, plat::InterpolationQuality::High));
}

TEST(Resize, TaggedPicturesAreDrawnTransposedAndComeOutUpright)
{
    constexpr int kWidth = 40, kHeight = 30;
    for (auto orientation : {ImageOrientation::Left, ImageOrientation::RightMirrored, ImageOrientation::Down}) {
        SCOPED_TRACE(static_cast<int>(orientation));
        auto tagged = plat::test::makeImage(kWidth, kHeight, uniqueColour, orientation);
        plat::Size upright = tagged->size();
        auto resized = zt::resizedImage(*tagged, upright, plat::InterpolationQuality::Default);
        ASSERT_TRUE(resized);
        ASSERT_EQ(resized->size(), upright);
        for (int Y = 0; Y < upright.height; ++Y)
            for (int X = 0; X < upright.width; ++X) {
                auto [x, y] = storedPixelShownAt(orientation, X, Y, kWidth, kHeight);
                ASSERT_LE(plat::test::componentDistance(plat::test::pixelAt(*resized, X, Y), uniqueColour(x, y)), 1);
            }
    }
}

TEST(Crop, TakesWholePixelsInsideTheBitmap)
{
    auto image = plat::test::makeImage(40, 30, uniqueColour, ImageOrientation::Right);
    auto part = zt::croppedImage(*image, plat::makeRect(10.5, 5, 4.2, 3));
    ASSERT_TRUE(part);
    EXPECT_EQ(part->size(), (plat::Size {5, 3}));  // 10...15 x 5...8
    EXPECT_EQ(part->imageOrientation(), ImageOrientation::Up);
    EXPECT_EQ(plat::test::pixelAt(*part, 0, 0), uniqueColour(10, 5));
    auto clipped = zt::croppedImage(*image, plat::makeRect(35, 25, 100, 100));
    EXPECT_EQ(clipped->size(), (plat::Size {5, 5}));
    EXPECT_FALSE(zt::croppedImage(*image, plat::makeRect(50, 0, 10, 10)));
}

TEST(Thumbnail, SquareFromTheMiddleWithAnOptionalTransparentBorder)
{
    auto image = plat::test::makeImage(400, 200, [](int x, int) { return Rgba {x / 2, 0, 0, 255}; });
    auto thumb = zt::thumbnailImage(*image, 100, 0, plat::InterpolationQuality::Default);
    ASSERT_TRUE(thumb);
    EXPECT_EQ(thumb->size(), (plat::Size {100, 100}));
    // Filled to 200 x 100, then (50, 0, 100, 100) cut out: source columns 100...299.
    EXPECT_NEAR(plat::test::pixelAt(*thumb, 0, 50)[0], 50, 1);
    EXPECT_NEAR(plat::test::pixelAt(*thumb, 99, 50)[0], 149, 1);
    auto framed = zt::thumbnailImage(*image, 100, 5, plat::InterpolationQuality::Default);
    ASSERT_TRUE(framed);
    EXPECT_EQ(framed->size(), (plat::Size {110, 110}));
    EXPECT_EQ(plat::test::pixelAt(*framed, 2, 50), (Rgba {0, 0, 0, 0}));
    EXPECT_EQ(plat::test::pixelAt(*framed, 5, 55), plat::test::pixelAt(*thumb, 0, 50));
}

TEST(Rotation, TurnsAboutTheCentreOntoTheTurnedBox)
{
    auto image = plat::test::makeImage(40, 20, uniqueColour);
    auto turned = zt::rotatedByDegrees(*image, std::numbers::pi / 2);
    ASSERT_TRUE(turned);
    EXPECT_EQ(turned->size(), (plat::Size {20, 40}));
    // A quarter turn clockwise on screen: (x, y) goes to (19 - y, x).
    for (int y = 0; y < 20; y += 3)
        for (int x = 0; x < 40; x += 3)
            EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*turned, 19 - y, x), uniqueColour(x, y)), 1);
    auto diagonal = zt::rotatedByDegrees(*plat::test::makeFlatImage(10, 10, {0, 0, 0, 255}), std::numbers::pi / 4);
    EXPECT_NEAR(diagonal->size().width, 15, 1);
    EXPECT_EQ(plat::test::pixelAt(*diagonal, 0, 0)[3], 0);  // the corner is outside the turned square
}

TEST(TintedImage, MissingResourcesGiveNone)
{
    EXPECT_FALSE(zt::tintedImageNamed("not_in_the_bundle.png"));
}

}  // namespace

TEST(UprightConversion, APartlyCoveredEdgeEndsAtTheRightOrBottomInEveryOrientation)
{
    // 1921 x 1000 brought down to 1920 x 999.48: the canvas's last row of 1000 is partly uncovered.
    for (int value = 0; value <= 7; ++value) {
        auto orientation = static_cast<ImageOrientation>(value);
        SCOPED_TRACE(value);
        auto flat = plat::test::makeFlatImage(1921, 1000, {200, 100, 50, 255});
        auto upright = zt::scaledAndRotatedImageWithMaxResolution(plat::Image(flat->bitmap(), 1.0, orientation), 1920);
        ASSERT_TRUE(upright);
        const plat::Bitmap& pixels = *upright->bitmap();
        bool transposed = plat::isTransposed(orientation);
        ASSERT_EQ(pixels.width(), transposed ? 1000 : 1920);
        ASSERT_EQ(pixels.height(), transposed ? 1920 : 1000);
        int lastX = pixels.width() - 1, lastY = pixels.height() - 1;
        EXPECT_EQ(plat::test::pixelAt(pixels, 0, 0)[3], 255);
        EXPECT_EQ(plat::test::pixelAt(pixels, transposed ? 0 : lastX, transposed ? lastY : 0)[3], 255);
        EXPECT_LT(plat::test::pixelAt(pixels, lastX, lastY)[3], 255);
    }
}

TEST(UprightConversion, AReducedDecodeGivesTheFullPicturesSizeAndLook)
{
    // 4 x 3 blocks of 201 pixels (an odd size), and the same picture at half its size.
    auto blockColour = [](int x, int y) { return Rgba {(x / 201) * 80, (y / 201) * 120, 200, 255}; };
    auto full = plat::test::makeImage(804, 603, blockColour, ImageOrientation::Right);
    auto half = plat::test::makeImage(
        402, 302, [&](int x, int y) { return blockColour(x * 2, std::min(y * 2, 602)); }, ImageOrientation::Right);
    auto fromFull = zt::scaledAndRotatedImageWithMaxResolution(*full, 500);
    auto fromHalf = zt::scaledAndRotatedImageWithMaxResolution(*half, {804, 603}, 500);
    ASSERT_TRUE(fromFull && fromHalf);
    ASSERT_EQ(fromFull->bitmap()->width(), 375);  // 603 x 500 / 804
    ASSERT_EQ(fromFull->bitmap()->height(), 500);
    ASSERT_EQ(fromHalf->bitmap()->width(), 375);
    ASSERT_EQ(fromHalf->bitmap()->height(), 500);
    // Alike but for the blending along the block edges.
    int64_t total = 0;
    for (int y = 0; y < 500; ++y)
        for (int x = 0; x < 375; ++x)
            total += plat::test::componentDistance(
                plat::test::pixelAt(*fromHalf, x, y), plat::test::pixelAt(*fromFull, x, y));
    EXPECT_LT(static_cast<double>(total) / (375 * 500), 3.0);
    EXPECT_LE(
        plat::test::componentDistance(plat::test::pixelAt(*fromHalf, 40, 40), plat::test::pixelAt(*fromFull, 40, 40)),
        2);
}
