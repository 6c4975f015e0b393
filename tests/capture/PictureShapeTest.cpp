// A camera whose pictures have another shape than the session's, or a folder
// picture of another shape than its camera, fills the frame cut about its
// middle: a round thing stays round, upright, in the live picture and in the
// stored frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "CaptureScreenTestSupport.h"
#include "platform/graphics/UprightPixels.h"
#include "platform/ui/ViewRendering.h"
#include "support/Idioms.h"

namespace {

using plat::test::Rgba;

constexpr Rgba kWhite {255, 255, 255, 255};
constexpr Rgba kRed {220, 30, 30, 255};
constexpr Rgba kBlue {30, 30, 220, 255};

// A red disc in the middle of a white picture, a small blue one above it.
std::shared_ptr<plat::Image> discPicture(int width, int height)
{
    return plat::test::makeImage(width, height, [width, height](int x, int y) {
        auto within = [&](int centreX, int centreY, int radius) {
            const int dx = x - centreX, dy = y - centreY;
            return dx * dx + dy * dy <= radius * radius;
        };
        if (within(width / 2, height / 2, 100))
            return kRed;
        if (within(width / 2, height / 2 - 160, 20))
            return kBlue;
        return kWhite;
    });
}

struct Extent {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool found() const { return right >= left; }
    double widthToHeight() const { return static_cast<double>(right - left + 1) / (bottom - top + 1); }
};

Extent extentOf(const plat::Bitmap& pixels, const Rgba& colour)
{
    Extent extent;
    for (int y = 0; y < pixels.height(); ++y) {
        for (int x = 0; x < pixels.width(); ++x) {
            if (plat::test::componentDistance(plat::test::pixelAt(pixels, x, y), colour) > 90)
                continue;
            extent.left = std::min(extent.left, x);
            extent.right = std::max(extent.right, x);
            extent.top = std::min(extent.top, y);
            extent.bottom = std::max(extent.bottom, y);
        }
    }
    return extent;
}

// "round and upright", or what the disc and its mark look like instead.
std::string discShape(const plat::Bitmap& pixels)
{
    const Extent disc = extentOf(pixels, kRed);
    const Extent mark = extentOf(pixels, kBlue);
    if (!disc.found() || !mark.found())
        return "no disc";
    char shape[96];
    std::snprintf(shape, sizeof shape, "%.2f times as wide as high", disc.widthToHeight());
    if (std::abs(disc.widthToHeight() - 1) > 0.05)
        return shape;
    const int markMiddle = (mark.left + mark.right) / 2;
    if (mark.bottom >= disc.top || markMiddle < disc.left || markMiddle > disc.right)
        return "round, its mark not above it";
    return "round and upright";
}

struct Shape {
    const char* what;
    int cameraWidth, cameraHeight;
    int pictureWidth, pictureHeight;
};

const Shape kShapes[] = {
    {"a square camera", 1000, 1000, 1000, 1000},
    {"a portrait camera", 720, 1280, 720, 1280},
    {"a square picture in a wide camera", 1280, 720, 1000, 1000},
};

class PictureShapes : public zt::test::CaptureScreenScene,
                      public ::testing::WithParamInterface<plat::UserInterfaceIdiom> {
protected:
    PictureShapes()
        : CaptureScreenScene(GetParam())
    {
    }

    plat::CaptureDeviceDescription cameraFor(const Shape& shape)
    {
        auto camera = zt::test::pictureCamera(shape.what, *discPicture(shape.pictureWidth, shape.pictureHeight));
        camera.width = shape.cameraWidth;
        camera.height = shape.cameraHeight;
        return camera;
    }
    std::shared_ptr<const plat::Bitmap> livePixels()
    {
        auto picture = plat::renderViewToImage(*outlet<plat::View>("viewCamera"), 1, /*opaque=*/true);
        return picture ? plat::uprightPixels(*picture) : nullptr;
    }
    std::shared_ptr<const plat::Bitmap> storedPixels(const std::string& frameID)
    {
        auto stored = plat::Image::imageWithContentsOfFile(
            plat::appendingPathComponent(*project->getProjectPath(), "frame-" + frameID + ".jpg"));
        return stored ? plat::uprightPixels(*stored) : nullptr;
    }
};

TEST_P(PictureShapes, APictureOfAnotherShapeIsCutAboutItsMiddleNeverStretched)
{
    for (const Shape& shape : kShapes) {
        SCOPED_TRACE(shape.what);
        plat::test::setUpCameras({cameraFor(shape)});
        if (!screen)
            showScreen(GetParam() == plat::UserInterfaceIdiom::Pad ? zt::CaptureViewController::kTabletLayout
                                                                   : zt::CaptureViewController::kPhoneLayout);
        else
            screen->switchCaptureSource(screen->captureSource());
        std::string live;
        runCameraUntil([&] {
            auto pixels = livePixels();
            live = pixels ? discShape(*pixels) : "no live picture";
            return live != "no disc";
        });
        EXPECT_EQ(live, "round and upright") << "the live picture";
        ASSERT_TRUE(takePicture());
        auto stored = storedPixels(announcedFrames.back());
        ASSERT_TRUE(stored);
        EXPECT_EQ(discShape(*stored), "round and upright") << "the stored frame";
        endStill();
    }
}

INSTANTIATE_TEST_SUITE_P(Idioms, PictureShapes, plat::test::bothIdioms(), plat::test::idiomName);

}  // namespace
