#include <gtest/gtest.h>

#include "GLImageTestSupport.h"
#include "glimage/GLImagePicture.h"
#include "glimage/GLImageView.h"
#include "platform/ui/Layer.h"
#include "support/ManualClockScope.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::test::Rgba;

// Four columns of 16 pixels, red, green, blue and white; the top half
// bright, the bottom half at half strength.
std::shared_ptr<plat::Image> makeStripes()
{
    return plat::test::makeImage(64, 48, [](int x, int y) {
        static const Rgba columns[4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}};
        Rgba c = columns[x / 16];
        if (y >= 24) {
            for (int i = 0; i < 3; ++i)
                c[size_t(i)] /= 2;
        }
        return c;
    });
}

class GLImageViewTest : public ::testing::Test {
protected:
    // A view of 32 x 48 points showing the stripes.
    void SetUp() override
    {
        view = std::make_shared<zt::GLImageView>(plat::makeRect(0, 0, 32, 48));
        scale = view->contentScaleFactor();
        picture->addTarget(view);
    }
    void TearDown() override { picture->removeAllTargets(); }

    // Sends the picture and waits for the view's layer to show what it drew.
    std::shared_ptr<const plat::Image> show()
    {
        auto before = view->layer()->contents();
        picture->processImage();
        zt::test::drainContextQueue();
        EXPECT_TRUE(plat::test::runMainLoopUntil([&] { return view->layer()->contents() != before; }));
        return view->layer()->contents();
    }
    // The shown colour at a point of the view (points, top-left origin).
    Rgba at(const plat::Image& shown, double x, double y) const
    {
        return plat::test::pixelAt(shown, int(x * scale), int(y * scale));
    }

    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
    std::shared_ptr<zt::GLImagePicture> picture = std::make_shared<zt::GLImagePicture>(*makeStripes());
    std::shared_ptr<zt::GLImageView> view;
    double scale = 1;
};

void expectNear(Rgba got, Rgba expected, const char* where)
{
    for (size_t i = 0; i < 4; ++i)
        EXPECT_NEAR(got[i], expected[i], 3) << where << " channel " << i;
}

}  // namespace

TEST_F(GLImageViewTest, AspectFitShowsTheWholeFrameBetweenBarsOfTheBackground)
{
    EXPECT_EQ(view->fillMode(), zt::fillModeAspectFit);
    EXPECT_EQ(view->sizeInPixels(), (plat::Size {32 * scale, 48 * scale}));
    auto shown = show();
    ASSERT_TRUE(shown);
    ASSERT_EQ(shown->bitmap()->width(), int(32 * scale));
    ASSERT_EQ(shown->bitmap()->height(), int(48 * scale));
    // 64 x 48 fitted into 32 x 48: 32 x 24 in the middle, bars of 12 above and below.
    expectNear(at(*shown, 16, 4), {0, 0, 0, 255}, "bar above");
    expectNear(at(*shown, 16, 44), {0, 0, 0, 255}, "bar below");
    expectNear(at(*shown, 4, 15), {255, 0, 0, 255}, "top left");
    expectNear(at(*shown, 28, 15), {255, 255, 255, 255}, "top right");
    expectNear(at(*shown, 4, 33), {128, 0, 0, 255}, "bottom left");
    const float* vertices = view->imageVerticesForTesting();
    EXPECT_FLOAT_EQ(vertices[6], 1.0f);
    EXPECT_FLOAT_EQ(vertices[7], 0.5f);
}

TEST_F(GLImageViewTest, AspectFillCutsTheSidesAndOtherModesStretch)
{
    view->setFillMode(zt::fillModeAspectFill);
    auto filled = show();
    ASSERT_TRUE(filled);
    // Only the middle half of the width shows: green and blue, full height.
    expectNear(at(*filled, 4, 2), {0, 255, 0, 255}, "fill left");
    expectNear(at(*filled, 28, 2), {0, 0, 255, 255}, "fill right");
    expectNear(at(*filled, 28, 46), {0, 0, 128, 255}, "fill bottom right");
    EXPECT_FLOAT_EQ(view->imageVerticesForTesting()[6], 2.0f);
    EXPECT_FLOAT_EQ(view->imageVerticesForTesting()[7], 1.0f);

    view->setFillMode(5);
    auto stretched = show();
    ASSERT_TRUE(stretched);
    expectNear(at(*stretched, 2, 2), {255, 0, 0, 255}, "stretch top left");
    expectNear(at(*stretched, 30, 46), {128, 128, 128, 255}, "stretch bottom right");
}

TEST_F(GLImageViewTest, ARotatedFrameIsTurnedAndItsSizeSwapped)
{
    view->setFillMode(zt::fillModeStretch);
    view->setInputRotation(zt::GLImageRotationMode::RotateLeft, 0);
    auto shown = show();
    ASSERT_TRUE(shown);
    EXPECT_EQ(view->inputImageSizeForTesting(), (plat::Size {48, 64}));
    // Turned a quarter counter-clockwise: the frame's top row runs up the
    // left side, its left column along the bottom.
    expectNear(at(*shown, 2, 46), {255, 0, 0, 255}, "bottom left");
    expectNear(at(*shown, 2, 2), {255, 255, 255, 255}, "top left");
    expectNear(at(*shown, 30, 46), {128, 0, 0, 255}, "bottom right");
}

TEST_F(GLImageViewTest, ABackgroundColourFillsTheBars)
{
    view->setBackgroundColorRed(0.0f, 0.0f, 1.0f, 1.0f);
    auto shown = show();
    ASSERT_TRUE(shown);
    expectNear(at(*shown, 16, 2), {0, 0, 255, 255}, "bar");
}

TEST_F(GLImageViewTest, ResizingToNothingKeepsTheFramebufferAndANewSizeRebuildsIt)
{
    const plat::Size before = view->sizeInPixels();
    view->setFrame(plat::makeRect(0, 0, 0, 0));
    EXPECT_EQ(view->sizeInPixels(), before);
    view->setFrame(plat::makeRect(0, 0, 20, 10));
    EXPECT_EQ(view->sizeInPixels(), (plat::Size {20 * scale, 10 * scale}));
    auto shown = show();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->bitmap()->width(), int(20 * scale));
    EXPECT_EQ(shown->bitmap()->height(), int(10 * scale));
    // 64 x 48 into 20 x 10: fitted 13.33 x 10, bars at the sides.
    expectNear(at(*shown, 1, 5), {0, 0, 0, 255}, "side bar");
}

TEST(GLImageViewEmpty, AViewWithoutPixelsDrawsNothingAndSaysItsSizeIsNone)
{
    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
    auto view = std::make_shared<zt::GLImageView>(plat::makeRect(0, 0, 0, 0));
    EXPECT_EQ(view->sizeInPixels(), (plat::Size {0, 0}));
    auto picture = std::make_shared<zt::GLImagePicture>(*makeStripes());
    picture->addTarget(view);
    picture->processImage();
    zt::test::drainContextQueue();
    plat::test::runMainLoopUntil([] { return true; });
    EXPECT_FALSE(view->layer()->contents());
    picture->removeAllTargets();
}
