#include <cmath>
#include <gtest/gtest.h>

#include "platform/graphics/Image.h"
#include "platform/graphics/UprightPixels.h"
#include "support/Pixels.h"

namespace {

using plat::ImageOrientation;

// Where the stored pixel (x, y) of a w x h picture shows, by the EXIF
// definition of each orientation (EXIF number in the comment).
std::pair<int, int> shownAt(ImageOrientation orientation, int x, int y, int w, int h)
{
    switch (orientation) {
    case ImageOrientation::Up:  // 1
        return {x, y};
    case ImageOrientation::UpMirrored:  // 2: mirrored left to right
        return {w - 1 - x, y};
    case ImageOrientation::Down:  // 3: turned half round
        return {w - 1 - x, h - 1 - y};
    case ImageOrientation::DownMirrored:  // 4: mirrored top to bottom
        return {x, h - 1 - y};
    case ImageOrientation::LeftMirrored:  // 5: row 0 is the left side, column 0 the top
        return {y, x};
    case ImageOrientation::Right:  // 6: row 0 is the right side, column 0 the top
        return {h - 1 - y, x};
    case ImageOrientation::RightMirrored:  // 7: row 0 is the right side, column 0 the bottom
        return {h - 1 - y, w - 1 - x};
    case ImageOrientation::Left:  // 8: row 0 is the left side, column 0 the bottom
        return {y, w - 1 - x};
    }
    return {-1, -1};
}

TEST(ImageOrientationTransform, PutsEveryStoredPixelWhereItsOrientationShowsIt)
{
    constexpr int kWidth = 5, kHeight = 3;
    for (int value = 0; value <= 7; ++value) {
        auto orientation = static_cast<ImageOrientation>(value);
        auto transform = plat::uprightTransform(orientation, {kWidth, kHeight});
        int shownWidth = plat::isTransposed(orientation) ? kHeight : kWidth;
        int shownHeight = plat::isTransposed(orientation) ? kWidth : kHeight;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                plat::Point centre = transform.apply({x + 0.5, y + 0.5});
                auto expected = shownAt(orientation, x, y, kWidth, kHeight);
                EXPECT_EQ(static_cast<int>(std::floor(centre.x)), expected.first) << value << " " << x << "," << y;
                EXPECT_EQ(static_cast<int>(std::floor(centre.y)), expected.second) << value << " " << x << "," << y;
                EXPECT_TRUE(centre.x > 0 && centre.x < shownWidth && centre.y > 0 && centre.y < shownHeight);
            }
        }
    }
}

TEST(Image, SizeIsInPointsAndTurnedWithTheOrientation)
{
    auto bitmap = plat::test::makeBitmap(40, 30, plat::PixelOrder::BGRA, [](int, int) {
        return plat::test::Rgba {0, 0, 0, 255};
    });
    EXPECT_EQ(plat::Image(bitmap, 2, ImageOrientation::Up).size(), (plat::Size {20, 15}));
    EXPECT_EQ(plat::Image(bitmap, 2, ImageOrientation::Right).size(), (plat::Size {15, 20}));
    EXPECT_EQ(plat::Image(bitmap, 1, ImageOrientation::LeftMirrored).size(), (plat::Size {30, 40}));
    EXPECT_EQ(plat::Image(bitmap, 1, ImageOrientation::DownMirrored).size(), (plat::Size {40, 30}));
    auto tinted = plat::Image(bitmap, 1, ImageOrientation::Down)
                      .imageWithRenderingMode(plat::ImageRenderingMode::AlwaysTemplate);
    EXPECT_EQ(tinted->renderingMode(), plat::ImageRenderingMode::AlwaysTemplate);
    EXPECT_EQ(tinted->bitmap(), bitmap);
    EXPECT_EQ(tinted->imageOrientation(), ImageOrientation::Down);
}

TEST(Bitmap, SizesBeyondTheLimitsAreRefused)
{
    EXPECT_FALSE(plat::Bitmap::allocate(0, 10, plat::PixelOrder::RGBA));
    EXPECT_FALSE(plat::Bitmap::allocate(10, -1, plat::PixelOrder::RGBA));
    EXPECT_FALSE(plat::Bitmap::allocate(40000, 1, plat::PixelOrder::RGBA));
    EXPECT_FALSE(plat::Bitmap::allocate(10000, 10000, plat::PixelOrder::RGBA));  // 100 megapixels
    EXPECT_FALSE(plat::Bitmap::allocate(10, 10, plat::PixelOrder::RGBA, 39));  // rows too short
    EXPECT_TRUE(plat::Bitmap::allocate(8192, 8192, plat::PixelOrder::RGBA));
}

TEST(Bitmap, CopiesPackPaddedRowsAndSwapTheOrder)
{
    auto padded = plat::Bitmap::allocate(3, 2, plat::PixelOrder::RGBA, 20);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            uint8_t* p = padded->mutableRow(y) + x * 4;
            p[0] = static_cast<uint8_t>(10 * x + y);
            p[1] = 100;
            p[2] = 200;
            p[3] = 255;
        }
    }
    auto packed = padded->copyWithOrder(plat::PixelOrder::BGRA);
    ASSERT_TRUE(packed);
    EXPECT_TRUE(packed->hasPackedRows());
    EXPECT_FALSE(padded->hasPackedRows());
    EXPECT_EQ(packed->row(1)[8], 200);  // blue first now
    EXPECT_EQ(packed->row(1)[10], 21);  // red of (2, 1)
    EXPECT_EQ(plat::test::pixelAt(*packed, 2, 1), plat::test::pixelAt(*padded, 2, 1));
}

TEST(Image, AResourceThatDoesNotExistGivesNoImage)
{
    EXPECT_FALSE(plat::Image::imageNamed("no_such_picture.png"));
}

TEST(Image, TheAppsArtKeepsTheNameOfItsResourceThroughItsCopiesAndOtherPicturesHaveNone)
{
    auto art = plat::Image::imageNamed("movieplayer_btn_loop.png");
    ASSERT_TRUE(art);
    EXPECT_EQ(art->resourceName(), "movieplayer_btn_loop.png");
    EXPECT_EQ(art->resizableImageWithCapInsets({2, 2, 2, 2})->resourceName(), "movieplayer_btn_loop.png");
    EXPECT_EQ(art->imageWithRenderingMode(plat::ImageRenderingMode::AlwaysTemplate)->resourceName(),
        "movieplayer_btn_loop.png");
    auto photo = plat::Image::imageWithBitmap(art->bitmap(), art->scale());
    EXPECT_EQ(photo->resourceName(), "");
}

}  // namespace

TEST(TurnedUpright, MovesEveryPixelWhereDrawingUprightPutsIt)
{
    auto stored = plat::test::makeBitmap(7, 4, plat::PixelOrder::BGRA, [](int x, int y) {
        return plat::test::Rgba {x * 30, y * 60, 90, 255};
    });
    for (int value = 0; value <= 7; ++value) {
        auto orientation = static_cast<plat::ImageOrientation>(value);
        SCOPED_TRACE(value);
        auto turned = plat::turnedUpright(*stored, orientation);
        auto drawn = plat::uprightPixels(plat::Image(stored, 1, orientation));
        ASSERT_TRUE(turned && drawn);
        ASSERT_EQ(turned->width(), drawn->width());
        ASSERT_EQ(turned->height(), drawn->height());
        EXPECT_TRUE(turned->isOpaque());
        for (int y = 0; y < turned->height(); ++y)
            for (int x = 0; x < turned->width(); ++x)
                ASSERT_EQ(plat::test::pixelAt(*turned, x, y), plat::test::pixelAt(*drawn, x, y)) << x << "," << y;
    }
}
