#include <gtest/gtest.h>

#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/graphics/IncrementalImageSource.h"
#include "support/DeclaredPictureSize.h"
#include "support/Pixels.h"

namespace {

using plat::test::Rgba;

// 48 x 64: the top 16 rows green, then noise, so that the compressed bytes
// grow with the rows.
std::shared_ptr<plat::Image> banded(int alpha)
{
    return plat::test::makeImage(48, 64, [alpha](int x, int y) {
        if (y < 16)
            return Rgba {0, alpha, 0, alpha};
        int noise = (x * 7919 + y * 104729) % 251;
        return Rgba {noise * alpha / 255, (noise * 3 % 256) * alpha / 255, (255 - noise) * alpha / 255, alpha};
    });
}

plat::Data prefix(const plat::Data& data, size_t length)
{
    return plat::Data(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length));
}

std::shared_ptr<plat::Image> partialImage(const plat::Data& data, size_t length)
{
    plat::IncrementalImageSource source;
    source.updateData(prefix(data, length), /*isFinal=*/false);
    return source.createImageAtIndex0();
}

TEST(IncrementalImageSource, AJPEGGivesItsSizeFromTheHeaderAndRowsAsTheyArrive)
{
    plat::Data jpeg = *plat::JPEGRepresentation(*banded(255), 0.9);
    plat::IncrementalImageSource source;
    source.updateData(prefix(jpeg, 20), /*isFinal=*/false);
    EXPECT_FALSE(source.pixelSizeAtIndex0());
    EXPECT_FALSE(source.createImageAtIndex0());

    source.updateData(prefix(jpeg, jpeg.size() * 2 / 3), /*isFinal=*/false);
    auto size = source.pixelSizeAtIndex0();
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 48);
    EXPECT_EQ(size->height, 64);
    auto partial = source.createImageAtIndex0();
    ASSERT_TRUE(partial);
    EXPECT_EQ(partial->bitmap()->width(), 48);
    EXPECT_GE(partial->bitmap()->height(), 16);  // the green band compresses to almost nothing
    EXPECT_LT(partial->bitmap()->height(), 64);
    EXPECT_TRUE(partial->bitmap()->isOpaque());
    Rgba top = plat::test::pixelAt(*partial, 10, 3);
    EXPECT_NEAR(top[1], 255, 3);
    EXPECT_NEAR(top[0], 0, 3);

    // More bytes, more rows; all bytes (not yet marked final) make every row.
    auto later = partialImage(jpeg, jpeg.size() - 2);
    ASSERT_TRUE(later);
    EXPECT_GE(later->bitmap()->height(), partial->bitmap()->height());
    EXPECT_EQ(partialImage(jpeg, jpeg.size())->bitmap()->height(), 64);
}

TEST(IncrementalImageSource, APNGGivesPremultipliedRowsFromTheTop)
{
    plat::Data png = *plat::PNGRepresentation(*banded(128));
    auto partial = partialImage(png, png.size() / 2);
    ASSERT_TRUE(partial);
    EXPECT_EQ(partial->bitmap()->width(), 48);
    EXPECT_GT(partial->bitmap()->height(), 16);
    EXPECT_LT(partial->bitmap()->height(), 64);
    EXPECT_FALSE(partial->bitmap()->isOpaque());
    EXPECT_EQ(plat::test::pixelAt(*partial, 5, 5), (Rgba {0, 128, 0, 128}));
    EXPECT_FALSE(partialImage(png, 60));  // the header alone
}

TEST(IncrementalImageSource, FinalBytesGiveTheWholePictureOrNone)
{
    plat::Data png = *plat::PNGRepresentation(*banded(255));
    plat::IncrementalImageSource source;
    source.updateData(png, /*isFinal=*/true);
    auto whole = source.createImageAtIndex0();
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->bitmap()->height(), 64);
    // Final bytes that stop short are a damaged picture, not a partial one.
    source.updateData(prefix(png, png.size() - 20), /*isFinal=*/true);
    EXPECT_FALSE(source.createImageAtIndex0());
}

TEST(IncrementalImageSource, AnAbsurdDeclaredSizeIsReportedButNeverDecoded)
{
    plat::Data png = plat::test::withDeclaredPNGSize(*plat::PNGRepresentation(*banded(255)), 100000, 90000);
    plat::IncrementalImageSource pngSource;
    pngSource.updateData(png, /*isFinal=*/false);
    auto pngSize = pngSource.pixelSizeAtIndex0();
    ASSERT_TRUE(pngSize);
    EXPECT_EQ(pngSize->width, 100000);
    EXPECT_EQ(pngSize->height, 90000);
    EXPECT_FALSE(pngSource.createImageAtIndex0());

    plat::Data jpeg = plat::test::withDeclaredJPEGSize(*plat::JPEGRepresentation(*banded(255), 0.9), 60000, 50000);
    plat::IncrementalImageSource jpegSource;
    jpegSource.updateData(jpeg, /*isFinal=*/false);
    auto jpegSize = jpegSource.pixelSizeAtIndex0();
    ASSERT_TRUE(jpegSize);
    EXPECT_EQ(jpegSize->width, 60000);
    EXPECT_EQ(jpegSize->height, 50000);
    EXPECT_FALSE(jpegSource.createImageAtIndex0());
}

TEST(IncrementalImageSource, BytesThatAreNoPictureGiveNothing)
{
    plat::Data text = {'<', 'h', 't', 'm', 'l', '>', ' ', 'n', 'o', 'p', 'e'};
    plat::IncrementalImageSource source;
    source.updateData(text, /*isFinal=*/false);
    EXPECT_FALSE(source.pixelSizeAtIndex0());
    EXPECT_FALSE(source.createImageAtIndex0());
    // A JPEG signature followed by garbage.
    plat::Data garbage = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x02, 0xFF, 0xC0, 0x00, 0x01, 0x13, 0x37};
    source.updateData(garbage, /*isFinal=*/false);
    EXPECT_FALSE(source.pixelSizeAtIndex0());
    EXPECT_FALSE(source.createImageAtIndex0());
}

}  // namespace
