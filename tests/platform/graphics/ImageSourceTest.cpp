#include "platform/graphics/ImageSource.h"

#include <gtest/gtest.h>
#include <string>

#include "platform/foundation/Files.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "support/QuadrantPictures.h"
#include "support/TemporarySandbox.h"

namespace {

plat::Data jpegOf(const plat::Image& image)
{
    auto bytes = plat::JPEGRepresentation(image, 0.9);
    EXPECT_TRUE(bytes);
    return bytes.value_or(plat::Data());
}

// The JPEG with application segments of filler after its start: a header far
// longer than the first piece read of a file.
plat::Data withLongHeader(const plat::Data& jpeg, size_t fillerBytes)
{
    plat::Data padded(jpeg.begin(), jpeg.begin() + 2);
    constexpr size_t kSegmentPayload = 65000;
    for (size_t written = 0; written < fillerBytes; written += kSegmentPayload) {
        size_t length = kSegmentPayload + 2;
        padded.insert(
            padded.end(), {0xFF, 0xE2, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length & 0xFF)});
        padded.insert(padded.end(), kSegmentPayload, 0x20);
    }
    padded.insert(padded.end(), jpeg.begin() + 2, jpeg.end());
    return padded;
}

}  // namespace

TEST(ImageSource, TheHeaderGivesTheStoredSizeAndEveryOrientation)
{
    for (int value = 0; value < 8; ++value) {
        auto orientation = static_cast<plat::ImageOrientation>(value);
        auto properties = plat::imagePropertiesOfData(jpegOf(*plat::test::makeQuadrantPicture(30, 20, orientation)));
        ASSERT_TRUE(properties) << value;
        EXPECT_EQ(properties->orientation, orientation);
        EXPECT_EQ(properties->pixelWidth, plat::isTransposed(orientation) ? 20 : 30);
    }
    auto png = plat::PNGRepresentation(*plat::test::makeFlatImage(7, 5, {1, 2, 3, 255}));
    EXPECT_EQ(plat::imagePropertiesOfData(*png), (plat::ImageProperties {7, 5, plat::ImageOrientation::Up}));
}

TEST(ImageSource, NoHeaderNoProperties)
{
    auto jpeg = jpegOf(*plat::test::makeFlatImage(30, 20, {1, 2, 3, 255}));
    EXPECT_FALSE(plat::imagePropertiesOfData(plat::Data(jpeg.begin(), jpeg.begin() + 40)));
    EXPECT_FALSE(plat::imagePropertiesOfData(plat::Data {'G', 'I', 'F', '8', '9', 'a'}));
    EXPECT_FALSE(plat::imagePropertiesOfData(plat::Data()));
}

TEST(ImageSource, AFileIsReadAsFarAsItsHeaderGoes)
{
    plat::test::TemporaryFolder folder;
    auto jpeg = jpegOf(*plat::test::makeQuadrantPicture(30, 20, plat::ImageOrientation::LeftMirrored));
    std::string path = folder.path("long.jpg");
    ASSERT_TRUE(plat::writeFileAtomically(path, withLongHeader(jpeg, 300000)).ok());
    auto properties = plat::imagePropertiesOfFile(path);
    ASSERT_TRUE(properties);
    EXPECT_EQ(properties->orientation, plat::ImageOrientation::LeftMirrored);
    EXPECT_EQ(properties->pixelWidth, 20);
    EXPECT_FALSE(plat::imagePropertiesOfFile(folder.path("missing.jpg")));
}

TEST(ImageSource, ThumbnailsFitTheSizeAndKeepTheStoredOrientation)
{
    auto stored = plat::test::makeQuadrantPicture(1200, 1600, plat::ImageOrientation::Right);  // 1600 x 1200 stored
    auto thumbnail = plat::thumbnailImageWithData(jpegOf(*stored), 100);
    ASSERT_NE(thumbnail, nullptr);
    EXPECT_EQ(thumbnail->bitmap()->width(), 100);
    EXPECT_EQ(thumbnail->bitmap()->height(), 75);
    EXPECT_EQ(thumbnail->imageOrientation(), plat::ImageOrientation::Right);
    // Stored turned back a quarter: the picture's top left lies at the stored bottom left.
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*thumbnail, 10, 65), plat::test::kQuadrantTopLeft), 24);

    auto small = plat::thumbnailImageWithData(jpegOf(*plat::test::makeFlatImage(40, 30, {9, 9, 9, 255})), 100);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(small->size(), (plat::Size {40, 30})) << "never enlarged";
    EXPECT_EQ(plat::thumbnailImageWithData(jpegOf(*stored), 0), nullptr);
    auto jpeg = jpegOf(*stored);
    EXPECT_EQ(plat::thumbnailImageWithData(plat::Data(jpeg.begin(), jpeg.begin() + jpeg.size() / 2), 100), nullptr);
}

TEST(ImageSource, AReducedDecodeKeepsTheLongerSideAtLeastTheMinimum)
{
    auto jpeg = jpegOf(*plat::test::makeQuadrantPicture(1200, 1600, plat::ImageOrientation::Right));
    auto sizeFor = [&](int minimum) {
        auto image = plat::imageWithDataReducedTo(jpeg, minimum);
        return image ? plat::Size {double(image->bitmap()->width()), double(image->bitmap()->height())} : plat::Size {};
    };
    EXPECT_EQ(sizeFor(700), (plat::Size {800, 600})) << "four eighths";
    EXPECT_EQ(sizeFor(601), (plat::Size {800, 600}));
    EXPECT_EQ(sizeFor(600), (plat::Size {600, 450})) << "three eighths";
    EXPECT_EQ(sizeFor(150), (plat::Size {200, 150})) << "one eighth at most";
    EXPECT_EQ(sizeFor(1401), (plat::Size {1600, 1200})) << "no fraction is large enough";
    EXPECT_EQ(plat::imageWithDataReducedTo(jpeg, 700)->imageOrientation(), plat::ImageOrientation::Right);
}
