// The cropped picture against one drawn here with cairo alone: the upright
// source placed as the screen shows it (centred on the crop rectangle,
// moved by the image view's transform) and scaled to the output width.
#include <cairo.h>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

#include "editor/EditorTestSupport.h"
#include "editor/ImageEditor.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "support/Pillow.h"
#include "support/RunLoopWaiting.h"

namespace {

using plat::test::Rgba;

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextDeleter {
    void operator()(cairo_t* context) const { cairo_destroy(context); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using ContextPtr = std::unique_ptr<cairo_t, ContextDeleter>;

constexpr int kBlock = 120;

// The same blocks as the picture handed to the editor, straight into cairo.
SurfacePtr blockSurface(int width, int height)
{
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            Rgba c = zt::test::blockColour(x, y, width, height, kBlock);
            row[x] = (uint32_t(c[3]) << 24) | (uint32_t(c[0]) << 16) | (uint32_t(c[1]) << 8) | uint32_t(c[2]);
        }
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

// What the output should be, from the upright source.
SurfacePtr referenceCrop(cairo_surface_t* upright, const plat::AffineTransform& transform, plat::Rect crop,
    plat::Size imageViewSize, double outputWidth)
{
    double outputHeight = outputWidth * crop.height() / crop.width();
    SurfacePtr output(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(outputWidth), static_cast<int>(outputHeight)));
    ContextPtr cr(cairo_create(output.get()));
    cairo_scale(cr.get(), outputWidth / crop.width(), outputHeight / crop.height());
    cairo_translate(cr.get(), crop.width() / 2, crop.height() / 2);
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, transform.a, transform.b, transform.c, transform.d, transform.tx, transform.ty);
    cairo_transform(cr.get(), &matrix);
    cairo_translate(cr.get(), -imageViewSize.width / 2, -imageViewSize.height / 2);
    cairo_scale(cr.get(), imageViewSize.width / cairo_image_surface_get_width(upright),
        imageViewSize.height / cairo_image_surface_get_height(upright));
    cairo_set_source_surface(cr.get(), upright, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr.get()), CAIRO_FILTER_GOOD);
    cairo_paint(cr.get());
    cairo_surface_flush(output.get());
    return output;
}

Rgba surfacePixel(cairo_surface_t* surface, int x, int y)
{
    const unsigned char* data = cairo_image_surface_get_data(surface);
    uint32_t p = reinterpret_cast<const uint32_t*>(
        data + static_cast<ptrdiff_t>(y) * cairo_image_surface_get_stride(surface))[x];
    return {int((p >> 16) & 0xff), int((p >> 8) & 0xff), int(p & 0xff), int(p >> 24)};
}

// Pixels more than kTolerance apart in any component; edges resampled a
// little differently stay within it, a shifted, turned or mirrored picture
// does not.
constexpr int kTolerance = 48;

int64_t differingPixels(const plat::Image& output, cairo_surface_t* reference)
{
    int64_t differing = 0;
    for (int y = 0; y < output.bitmap()->height(); ++y)
        for (int x = 0; x < output.bitmap()->width(); ++x)
            if (plat::test::componentDistance(plat::test::pixelAt(output, x, y), surfacePixel(reference, x, y))
                > kTolerance)
                ++differing;
    return differing;
}

class CropOutput : public zt::test::EditorScreens {
protected:
    void open(std::shared_ptr<const plat::Image> source)
    {
        editor = std::make_shared<zt::ImageEditor>();
        editor->setCheckBounds(true);
        editor->setSourceImage(std::move(source));
        editor->setDoneCallback([this](std::shared_ptr<plat::Image> image, bool cancelled) {
            result = std::move(image);
            reported = true;
            wasCancelled = cancelled;
        });
        window->setRootViewController(editor);
        driver.wait(0);
    }

    void settle() { clock.advance(0.3); }

    std::shared_ptr<plat::Image> crop()
    {
        editor->doneAction();
        EXPECT_TRUE(plat::test::runMainLoopUntil([&] { return reported; }));
        EXPECT_FALSE(wasCancelled);
        return result;
    }

    // Crops and compares with the reference drawn from upright; the
    // picture must match except along block edges (each block is 120
    // source pixels, so a pixel's shift alone would differ on over 1%).
    void expectCropMatches(cairo_surface_t* upright, double outputWidth)
    {
        auto view = editor->imageView();
        ASSERT_TRUE(view);
        plat::AffineTransform transform = view->transform();
        plat::Size viewSize = view->bounds().size;
        plat::Rect cropRect = editor->cropRect();
        auto output = crop();
        ASSERT_TRUE(output);
        SurfacePtr reference = referenceCrop(upright, transform, cropRect, viewSize, outputWidth);
        ASSERT_EQ(output->bitmap()->width(), cairo_image_surface_get_width(reference.get()));
        ASSERT_EQ(output->bitmap()->height(), cairo_image_surface_get_height(reference.get()));
        int64_t total = int64_t(output->bitmap()->width()) * output->bitmap()->height();
        EXPECT_LT(differingPixels(*output, reference.get()), total / 400)
            << "of " << total << " pixels, with transform " << transform.a << " " << transform.b << " " << transform.c
            << " " << transform.d << " " << transform.tx << " " << transform.ty;
    }

    std::shared_ptr<zt::ImageEditor> editor;
    std::shared_ptr<plat::Image> result;
    bool reported = false;
    bool wasCancelled = false;
};

std::shared_ptr<plat::Image> blockPicture(int width, int height)
{
    return plat::test::makeImage(
        width, height, [=](int x, int y) { return zt::test::blockColour(x, y, width, height, kBlock); });
}

TEST_F(CropOutput, AnUntouchedLandscapePictureComesOutWhole)
{
    open(blockPicture(1920, 1080));
    auto upright = blockSurface(1920, 1080);
    expectCropMatches(upright.get(), 1920);
}

TEST_F(CropOutput, ALandscapePictureZoomedMovedAndTurned)
{
    open(blockPicture(1920, 1080));
    driver.pinch({220, 130}, 100, 250);
    settle();
    driver.drag({300, 160}, {330, 150});
    settle();
    turnFingers({284, 160}, 70, 15);
    settle();
    ASSERT_GT(std::abs(editor->imageView()->transform().b), 0.1) << "the picture is turned";
    auto upright = blockSurface(1920, 1080);
    expectCropMatches(upright.get(), 1920);
}

TEST_F(CropOutput, APortraitPictureMovedMirroredAndZoomed)
{
    open(blockPicture(1080, 1920));
    driver.drag({284, 200}, {284, 60});
    settle();
    editor->actionFlipVertical();
    driver.pinch({200, 100}, 100, 125);
    settle();
    ASSERT_LT(editor->imageView()->transform().d, -1) << "mirrored top to bottom and zoomed";
    auto upright = blockSurface(1080, 1920);
    expectCropMatches(upright.get(), 1080);
}

TEST_F(CropOutput, AnOutputWidthOtherThanTheSourcesScalesTheCrop)
{
    open(blockPicture(1920, 1080));
    driver.pinch({284, 160}, 100, 180);
    settle();
    editor->setOutputWidth(800);
    auto upright = blockSurface(1920, 1080);
    expectCropMatches(upright.get(), 800);
}

// Pillow writes stored blocks with an EXIF orientation and, as the
// reference, the upright picture it makes of that file.
class ExifCropOutput : public CropOutput, public ::testing::WithParamInterface<int> { };

TEST_P(ExifCropOutput, ATaggedPhotoIsCroppedAsItIsShownUpright)
{
    int exifOrientation = GetParam();
    auto output = plat::test::runPillow(sandbox.path(""), R"(
import sys
from PIL import Image, ImageDraw, ImageOps
colours = [(220,40,40), (40,190,60), (40,60,210), (235,210,30), (30,200,210), (200,60,200)]
w, h, b = 1600, 1200, 120
im = Image.new('RGB', (w, h))
draw = ImageDraw.Draw(im)
for row in range((h + b - 1) // b):
    for column in range((w + b - 1) // b):
        colour = colours[(column * 7 + row * 3) % 6]
        if column == 0 and row == 0: colour = (255, 255, 255)
        if column == (w - 1) // b and row == (h - 1) // b: colour = (0, 0, 0)
        draw.rectangle([column * b, row * b, column * b + b - 1, row * b + b - 1], fill=colour)
exif = Image.Exif()
exif[0x0112] = int(sys.argv[2])
im.save(sys.argv[1] + '/tagged.jpg', 'JPEG', quality=95, subsampling=0, exif=exif.tobytes())
ImageOps.exif_transpose(Image.open(sys.argv[1] + '/tagged.jpg')).save(sys.argv[1] + '/upright.png')
)",
        {sandbox.path(""), std::to_string(exifOrientation)});
    ASSERT_EQ(output.exitCode, 0) << output.output;
    auto tagged = plat::Image::imageWithContentsOfFile(sandbox.path("tagged.jpg"));
    ASSERT_TRUE(tagged);
    SurfacePtr upright(cairo_image_surface_create_from_png(sandbox.path("upright.png").c_str()));
    ASSERT_EQ(cairo_surface_status(upright.get()), CAIRO_STATUS_SUCCESS);
    ASSERT_EQ(tagged->size().width, cairo_image_surface_get_width(upright.get()));

    open(tagged);
    driver.pinch({250, 140}, 100, 190);
    settle();
    turnFingers({284, 160}, 70, -12);
    settle();
    expectCropMatches(upright.get(), tagged->size().width);
}

// 6: turned for display a quarter clockwise (portrait camera photos); 8: a
// quarter anticlockwise; 3: upside down; 5 and 7: the mirrored quarter turns.
INSTANTIATE_TEST_SUITE_P(Orientations, ExifCropOutput, ::testing::Values(6, 8, 3, 5, 7));

}  // namespace
