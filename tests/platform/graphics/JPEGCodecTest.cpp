#include <gtest/gtest.h>
#include <sstream>

#include "platform/foundation/Files.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "support/DeclaredPictureSize.h"
#include "support/Pillow.h"
#include "support/Pixels.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::ImageOrientation;
using plat::test::Rgba;

// Six flat blocks of 16 x 16 pixels in 3 columns and 2 rows: JPEG keeps flat
// blocks nearly exact, and every orientation moves them somewhere else.
constexpr Rgba kBlockColours[] = {{230, 30, 30, 255}, {30, 200, 30, 255}, {30, 30, 220, 255}, {240, 220, 20, 255},
    {20, 210, 220, 255}, {250, 250, 250, 255}};

Rgba blockColour(int x, int y)
{
    return kBlockColours[(y / 16) * 3 + x / 16];
}

class JPEGCodec : public ::testing::Test {
protected:
    plat::Data encoded(const plat::Image& image, double quality)
    {
        auto data = plat::JPEGRepresentation(image, quality);
        EXPECT_TRUE(data.has_value());
        return data.value_or(plat::Data {});
    }
    std::string write(const std::string& name, const plat::Data& data)
    {
        std::string path = folder.path(name);
        EXPECT_TRUE(plat::writeFileAtomically(path, data).ok());
        return path;
    }
    plat::test::TemporaryFolder folder;
};

TEST_F(JPEGCodec, RoundTripKeepsSizeAndColours)
{
    auto image = plat::test::makeImage(48, 32, blockColour);
    auto decoded = plat::Image::imageWithData(encoded(*image, 1.0));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->bitmap()->width(), 48);
    EXPECT_EQ(decoded->bitmap()->height(), 32);
    EXPECT_TRUE(decoded->bitmap()->isOpaque());
    EXPECT_EQ(decoded->imageOrientation(), ImageOrientation::Up);
    for (int y = 4; y < 32; y += 8)
        for (int x = 4; x < 48; x += 8)
            EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*decoded, x, y), blockColour(x, y)), 6)
                << x << "," << y;
}

TEST_F(JPEGCodec, LowerQualityMakesSmallerFiles)
{
    auto noisy = plat::test::makeImage(64, 64, [](int x, int y) {
        return Rgba {(x * 37 + y * 11) % 256, (x * y) % 256, (x ^ y) * 4 % 256, 255};
    });
    EXPECT_LT(encoded(*noisy, 0.5).size(), encoded(*noisy, 1.0).size());
}

TEST_F(JPEGCodec, RGBAAndBGRABitmapsEncodeAlike)
{
    auto bgra = plat::test::makeImage(48, 32, blockColour, ImageOrientation::Up, plat::PixelOrder::BGRA);
    auto rgba = plat::test::makeImage(48, 32, blockColour, ImageOrientation::Up, plat::PixelOrder::RGBA);
    EXPECT_EQ(encoded(*bgra, 0.8), encoded(*rgba, 0.8));
}

TEST_F(JPEGCodec, AnotherDecoderReadsOurFilesWithTheirOrientation)
{
    auto image = plat::test::makeImage(48, 32, blockColour, ImageOrientation::Right);
    std::string path = write("ours.jpg", encoded(*image, 0.9));
    auto output = plat::test::runPillow(folder.path(), R"(
import sys
from PIL import Image
im = Image.open(sys.argv[1])
im.load()
print(im.format, im.size[0], im.size[1], im.getexif().get(0x0112), *im.convert('RGB').getpixel((40, 24)))
)",
        {path});
    ASSERT_EQ(output.exitCode, 0) << output.output;
    std::istringstream words(output.output);
    std::string format;
    int width = 0, height = 0, orientation = 0;
    Rgba corner {0, 0, 0, 255};
    words >> format >> width >> height >> orientation >> corner[0] >> corner[1] >> corner[2];
    EXPECT_EQ(format, "JPEG");
    EXPECT_EQ(width, 48);  // the stored pixels; the tag turns them
    EXPECT_EQ(height, 32);
    EXPECT_EQ(orientation, 6);  // EXIF's number for "right"
    EXPECT_LE(plat::test::componentDistance(corner, blockColour(40, 24)), 6);
}

TEST_F(JPEGCodec, EveryExifOrientationDrawsLikeAnotherDecoderTurnsIt)
{
    // Pillow writes the blocks with each EXIF orientation and, as the
    // reference, the picture it makes upright from that file.
    auto output = plat::test::runPillow(folder.path(), R"(
import sys
from PIL import Image, ImageOps
colours = [(230,30,30), (30,200,30), (30,30,220), (240,220,20), (20,210,220), (250,250,250)]
im = Image.new('RGB', (48, 32))
for y in range(32):
    for x in range(48):
        im.putpixel((x, y), colours[(y // 16) * 3 + x // 16])
for value in range(1, 9):
    exif = Image.Exif()
    exif[0x0112] = value
    path = '%s/o%d.jpg' % (sys.argv[1], value)
    im.save(path, 'JPEG', quality=95, subsampling=0, exif=exif.tobytes())
    ImageOps.exif_transpose(Image.open(path)).save('%s/u%d.png' % (sys.argv[1], value))
)",
        {folder.path()});
    ASSERT_EQ(output.exitCode, 0) << output.output;
    for (int value = 1; value <= 8; ++value) {
        SCOPED_TRACE(value);
        auto tagged = plat::Image::imageWithContentsOfFile(folder.path("o" + std::to_string(value) + ".jpg"));
        auto reference = plat::Image::imageWithContentsOfFile(folder.path("u" + std::to_string(value) + ".png"));
        ASSERT_TRUE(tagged && reference);
        plat::Size size = tagged->size();
        ASSERT_EQ(size.width, reference->bitmap()->width());
        ASSERT_EQ(size.height, reference->bitmap()->height());
        auto context = plat::GraphicsContext::bitmapContext(
            static_cast<int>(size.width), static_cast<int>(size.height), 1, plat::ContextOpacity::Transparent);
        context->drawImage(*tagged, {{0, 0}, size});
        auto upright = context->takeImage();
        for (int y = 8; y < size.height; y += 16)
            for (int x = 8; x < size.width; x += 16)
                EXPECT_LE(plat::test::componentDistance(
                              plat::test::pixelAt(*upright, x, y), plat::test::pixelAt(*reference, x, y)),
                    8)
                    << x << "," << y;
    }
}

TEST_F(JPEGCodec, OurOrientationTagSurvivesTheRoundTrip)
{
    for (int value = 0; value <= 7; ++value) {
        auto orientation = static_cast<ImageOrientation>(value);
        auto image = plat::test::makeImage(16, 8, blockColour, orientation);
        auto decoded = plat::Image::imageWithData(encoded(*image, 0.7));
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->imageOrientation(), orientation);
        EXPECT_EQ(decoded->size(), image->size());
    }
}

TEST_F(JPEGCodec, GreyAndCMYKFilesDecodeToColour)
{
    auto output = plat::test::runPillow(folder.path(), R"(
import sys
from PIL import Image
Image.new('L', (20, 10), 77).save(sys.argv[1] + '/grey.jpg', quality=95)
Image.new('CMYK', (20, 10), (0, 255, 255, 0)).save(sys.argv[1] + '/cmyk.jpg', quality=95)
)",
        {folder.path()});
    ASSERT_EQ(output.exitCode, 0) << output.output;
    auto grey = plat::Image::imageWithContentsOfFile(folder.path("grey.jpg"));
    ASSERT_TRUE(grey);
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*grey, 10, 5), {77, 77, 77, 255}), 2);
    auto cmyk = plat::Image::imageWithContentsOfFile(folder.path("cmyk.jpg"));
    ASSERT_TRUE(cmyk);
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*cmyk, 10, 5), {255, 0, 0, 255}), 6);
}

TEST_F(JPEGCodec, MissingEmptyTruncatedAndForeignDataGiveNoImage)
{
    EXPECT_FALSE(plat::Image::imageWithContentsOfFile(folder.path("missing.jpg")));
    EXPECT_FALSE(plat::Image::imageWithData({}));
    EXPECT_FALSE(plat::Image::imageWithData({0xFF, 0xD8, 0xFF}));
    std::string text = "GIF89a is not what this is";
    EXPECT_FALSE(plat::Image::imageWithData(plat::Data(text.begin(), text.end())));
    auto noisy = plat::test::makeImage(64, 64, [](int x, int y) { return Rgba {x * 4, y * 4, (x * y) % 256, 255}; });
    plat::Data whole = encoded(*noisy, 0.9);
    ASSERT_TRUE(plat::Image::imageWithData(whole));
    for (size_t length : {size_t(20), whole.size() / 3, whole.size() / 2, whole.size() - 10}) {
        plat::Data cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_FALSE(plat::Image::imageWithData(cut)) << length;
    }
    plat::Data garbled = whole;
    for (size_t i = 700; i < garbled.size() - 2; i += 3)
        garbled[i] = static_cast<uint8_t>(i * 7);
    (void)plat::Image::imageWithData(garbled);  // whatever it makes of it, it must not crash
}

TEST_F(JPEGCodec, AHugeClaimedSizeIsRefusedBeforeDecoding)
{
    plat::Data data = encoded(*plat::test::makeFlatImage(8, 8, {1, 2, 3, 255}), 0.5);
    // 20000 x 20000 fits the file format and is over 64 megapixels.
    data = plat::test::withDeclaredJPEGSize(std::move(data), 20000, 20000);
    EXPECT_FALSE(plat::Image::imageWithData(data));
}

}  // namespace

namespace {

TEST(JPEGStreaming, PiecesMakeTheSameFileAndAFailingSinkStopsTheEncoder)
{
    auto noisy = plat::test::makeImage(
        300, 200,
        [](int x, int y) {
            return plat::test::Rgba {(x * 37) % 256, (y * 13) % 256, (x * y) % 256, 255};
        },
        plat::ImageOrientation::Left);
    plat::Data streamed;
    int pieces = 0;
    ASSERT_TRUE(plat::writeJPEGRepresentation(*noisy, 1.0, [&](const uint8_t* bytes, size_t length) {
        streamed.insert(streamed.end(), bytes, bytes + length);
        ++pieces;
        return true;
    }));
    EXPECT_EQ(streamed, plat::JPEGRepresentation(*noisy, 1.0));
    EXPECT_GE(pieces, 1);
    int calls = 0;
    EXPECT_FALSE(plat::writeJPEGRepresentation(*noisy, 1.0, [&](const uint8_t*, size_t) {
        ++calls;
        return false;
    }));
    EXPECT_EQ(calls, 1);
}

}  // namespace
