#include "effects/UIImageFilter.h"

#include <gtest/gtest.h>

#include "effects/ColorChangeFilter.h"
#include "effects/GrayscaleFilter.h"
#include "effects/OverlayFilter.h"
#include "support/Pixels.h"

namespace {

using plat::test::Rgba;

// A filter that records what it is handed.
class RecordingFilter final : public zt::RGBFilter {
public:
    using zt::RGBFilter::processFilter;
    void processFilter(uint8_t* pixels, int32_t width, int32_t height) const override
    {
        seenWidth = width;
        seenHeight = height;
        firstBytes.assign(pixels, pixels + 8);
    }
    mutable int32_t seenWidth = 0;
    mutable int32_t seenHeight = 0;
    mutable std::vector<uint8_t> firstBytes;
};

TEST(UIImageFilter, HandsTheFilterPackedRedGreenBlueAlphaWhateverTheLayout)
{
    // Stored blue first, with padding at the end of each row.
    auto padded = plat::Bitmap::allocate(3, 2, plat::PixelOrder::BGRA, 64);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            uint8_t* p = padded->mutableRow(y) + x * 4;
            p[0] = 30;  // blue
            p[1] = 20;
            p[2] = static_cast<uint8_t>(10 + x + 3 * y);  // red
            p[3] = 255;
        }
    auto recorder = std::make_shared<RecordingFilter>();
    zt::UIImageFilter filter(recorder);
    auto image = std::make_shared<plat::Image>(padded, 2.0, plat::ImageOrientation::Right);
    auto result = filter.processImage(image);
    ASSERT_TRUE(result);
    EXPECT_EQ(recorder->seenWidth, 3);
    EXPECT_EQ(recorder->seenHeight, 2);
    EXPECT_EQ(recorder->firstBytes, (std::vector<uint8_t> {10, 20, 30, 255, 11, 20, 30, 255}));
    EXPECT_EQ(result->bitmap()->order(), plat::PixelOrder::RGBA);
    EXPECT_TRUE(result->bitmap()->hasPackedRows());
    EXPECT_EQ(result->scale(), 2.0);
    EXPECT_EQ(result->imageOrientation(), plat::ImageOrientation::Right);
    EXPECT_EQ(plat::test::pixelAt(*result, 2, 1), (Rgba {15, 20, 30, 255}));
    EXPECT_EQ(plat::test::pixelAt(*image, 2, 1), (Rgba {15, 20, 30, 255}));  // the source is untouched
}

TEST(UIImageFilter, FiltersTheColoursAsDeclaredAndKeepsAlpha)
{
    auto image = plat::test::makeImage(2, 1, [](int x, int) {
        return x ? Rgba {200, 10, 0, 255} : Rgba {0, 0, 90, 90};
    });
    auto swapped = zt::UIImageFilter(std::make_shared<zt::ColorChangeFilter>()).processImage(image);
    EXPECT_EQ(plat::test::pixelAt(*swapped, 1, 0), (Rgba {0, 10, 200, 255}));
    EXPECT_EQ(plat::test::pixelAt(*swapped, 0, 0), (Rgba {90, 0, 0, 90}));
    auto grey = zt::UIImageFilter(std::make_shared<zt::GrayscaleFilter>()).processImage(image);
    int y = (28 * 200 + 151 * 10 + 77 * 0) >> 8;
    EXPECT_EQ(plat::test::pixelAt(*grey, 1, 0), (Rgba {y, y, y, 255}));
}

TEST(UIImageFilter, WithoutAFilterOrAPictureNothingChanges)
{
    zt::UIImageFilter plain(nullptr);
    EXPECT_FALSE(plain.processImage(nullptr));
    auto image = plat::test::makeFlatImage(3, 3, {9, 8, 7, 255});
    auto copy = plain.processImage(image);
    ASSERT_TRUE(copy);
    EXPECT_NE(copy->bitmap(), image->bitmap());
    EXPECT_EQ(plat::test::pixelAt(*copy, 1, 1), (Rgba {9, 8, 7, 255}));
    EXPECT_TRUE(copy->bitmap()->isOpaque());
}

TEST(UIImageFilter, DarkRedsWithoutBlueBecomeTransparent)
{
    auto image = plat::test::makeImage(4, 1, [](int x, int) {
        Rgba colours[] = {{124, 68, 0, 255}, {125, 68, 0, 255}, {10, 69, 0, 255}, {0, 0, 1, 255}};
        return colours[x];
    });
    auto masked = zt::UIImageFilter(nullptr).changeWhiteColorTransparent(image);
    ASSERT_TRUE(masked);
    EXPECT_EQ(plat::test::pixelAt(*masked, 0, 0), (Rgba {0, 0, 0, 0}));
    EXPECT_EQ(plat::test::pixelAt(*masked, 1, 0), (Rgba {125, 68, 0, 255}));
    EXPECT_EQ(plat::test::pixelAt(*masked, 2, 0), (Rgba {10, 69, 0, 255}));
    EXPECT_EQ(plat::test::pixelAt(*masked, 3, 0), (Rgba {0, 0, 1, 255}));
    EXPECT_FALSE(masked->bitmap()->isOpaque());
}

TEST(OverlayFilter, AddsATenthOfTheLastPicturesAndForgetsOlderOnes)
{
    zt::OverlayFilter echo(2);
    std::vector<uint8_t> dest(8, 99);
    uint8_t first[8] = {100, 50, 255, 0, 10, 10, 10, 10};
    uint8_t second[8] = {200, 200, 200, 7, 9, 19, 29, 0};
    uint8_t third[8] = {30, 30, 30, 30, 0, 0, 0, 0};
    echo.processFilter(first, dest.data(), 2, 1, 8);
    EXPECT_EQ(dest, (std::vector<uint8_t> {10, 5, 25, 255, 1, 1, 1, 255}));
    echo.processFilter(second, dest.data(), 2, 1, 8);
    EXPECT_EQ(dest, (std::vector<uint8_t> {30, 25, 45, 255, 1, 2, 3, 255}));
    echo.processFilter(third, dest.data(), 2, 1, 8);  // the first has dropped out
    EXPECT_EQ(dest, (std::vector<uint8_t> {23, 23, 23, 255, 0, 1, 2, 255}));
    EXPECT_EQ(echo.imageCount(), 2u);
}

TEST(OverlayFilter, SumsWrapPastTheTopAndRowsMayBePadded)
{
    zt::OverlayFilter echo(30);
    uint8_t white[12] = {255, 255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0};  // one pixel and 8 bytes of padding
    std::vector<uint8_t> dest(4);
    for (int i = 0; i < 11; ++i)
        echo.processFilter(white, dest.data(), 1, 1, 12);
    EXPECT_EQ(dest[0], static_cast<uint8_t>(11 * 25));  // 275 wraps to 19
    EXPECT_EQ(dest[3], 255);
}

}  // namespace
