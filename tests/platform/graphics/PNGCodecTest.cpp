#include <gtest/gtest.h>
#include <sstream>

#include "platform/foundation/Files.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "support/DeclaredPictureSize.h"
#include "support/Pillow.h"
#include "support/Pixels.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::test::Rgba;

class PNGCodec : public ::testing::Test {
protected:
    plat::test::TemporaryFolder folder;
};

TEST_F(PNGCodec, TranslucentPixelsArePremultipliedAndWrittenStraight)
{
    // Half-transparent red: stored premultiplied as 128, 0, 0, 128.
    auto image = plat::test::makeImage(3, 2, [](int x, int) {
        return x == 0 ? Rgba {128, 0, 0, 128} : x == 1 ? Rgba {0, 0, 0, 0} : Rgba {10, 20, 30, 255};
    });
    auto png = plat::PNGRepresentation(*image);
    ASSERT_TRUE(png);
    std::string path = folder.path("ours.png");
    ASSERT_TRUE(plat::writeFileAtomically(path, *png).ok());
    auto output = plat::test::runPillow(folder.path(), R"(
import sys
from PIL import Image
im = Image.open(sys.argv[1])
print(im.format, im.mode, *im.getpixel((0, 0)), *im.getpixel((2, 1)))
)",
        {path});
    ASSERT_EQ(output.exitCode, 0) << output.output;
    EXPECT_EQ(output.output, "PNG RGBA 255 0 0 128 10 20 30 255\n");

    auto decoded = plat::Image::imageWithData(*png);
    ASSERT_TRUE(decoded);
    EXPECT_FALSE(decoded->bitmap()->isOpaque());
    EXPECT_EQ(plat::test::pixelAt(*decoded, 0, 0), (Rgba {128, 0, 0, 128}));
    EXPECT_EQ(plat::test::pixelAt(*decoded, 1, 0), (Rgba {0, 0, 0, 0}));
    EXPECT_EQ(plat::test::pixelAt(*decoded, 2, 1), (Rgba {10, 20, 30, 255}));
}

TEST_F(PNGCodec, OpaquePicturesAreWrittenWithoutAlpha)
{
    auto image = plat::test::makeFlatImage(4, 4, {1, 2, 3, 255});
    std::string path = folder.path("opaque.png");
    ASSERT_TRUE(plat::writeFileAtomically(path, *plat::PNGRepresentation(*image)).ok());
    auto output = plat::test::runPillow(
        folder.path(), "import sys\nfrom PIL import Image\nprint(Image.open(sys.argv[1]).mode)\n", {path});
    EXPECT_EQ(output.output, "RGB\n");
    EXPECT_TRUE(plat::Image::imageWithContentsOfFile(path)->bitmap()->isOpaque());
}

TEST_F(PNGCodec, ReadsPaletteGreyAndSixteenBitFilesOfAnotherEncoder)
{
    auto output = plat::test::runPillow(folder.path(), R"(
import sys
from PIL import Image
Image.new('P', (5, 5), 3).save(sys.argv[1] + '/palette.png')
Image.new('L', (5, 5), 200).save(sys.argv[1] + '/grey.png')
Image.new('I;16', (5, 5), 65535).save(sys.argv[1] + '/deep.png')
Image.new('LA', (5, 5), (255, 51)).save(sys.argv[1] + '/greyalpha.png')
)",
        {folder.path()});
    ASSERT_EQ(output.exitCode, 0) << output.output;
    auto palette = plat::Image::imageWithContentsOfFile(folder.path("palette.png"));
    auto grey = plat::Image::imageWithContentsOfFile(folder.path("grey.png"));
    auto deep = plat::Image::imageWithContentsOfFile(folder.path("deep.png"));
    auto greyAlpha = plat::Image::imageWithContentsOfFile(folder.path("greyalpha.png"));
    ASSERT_TRUE(palette && grey && deep && greyAlpha);
    EXPECT_EQ(plat::test::pixelAt(*grey, 2, 2), (Rgba {200, 200, 200, 255}));
    EXPECT_EQ(plat::test::pixelAt(*deep, 2, 2), (Rgba {255, 255, 255, 255}));
    EXPECT_EQ(plat::test::pixelAt(*greyAlpha, 2, 2), (Rgba {51, 51, 51, 51}));
    EXPECT_EQ(palette->bitmap()->width(), 5);
}

TEST_F(PNGCodec, TruncatedAndOversizedFilesGiveNoImage)
{
    auto noisy = plat::test::makeImage(40, 40, [](int x, int y) { return Rgba {x * 6, y * 6, (x * y) % 256, 255}; });
    plat::Data whole = *plat::PNGRepresentation(*noisy);
    ASSERT_TRUE(plat::Image::imageWithData(whole));
    for (size_t length : {size_t(8), size_t(30), whole.size() / 2, whole.size() - 13}) {
        plat::Data cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_FALSE(plat::Image::imageWithData(cut)) << length;
    }
    EXPECT_FALSE(plat::Image::imageWithData(plat::test::withDeclaredPNGSize(whole, 100000, 100000)));
}

}  // namespace
