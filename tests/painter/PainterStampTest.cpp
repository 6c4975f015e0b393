#include "painter/PainterStampViewController.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

#include "PainterTestSupport.h"
#include "painter/PainterBrush.h"
#include "painter/PainterStampDelegate.h"
#include "painter/PainterStampHolderView.h"
#include "painter/PaintingView.h"
#include "painter/Stroke.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/TouchSynthesizer.h"
#include "platform/ui/ViewRendering.h"
#include "support/Pixels.h"
#include "support/RootScreenTest.h"

namespace {

using plat::test::pixelAt;

class RecordingStampDelegate : public zt::PainterStampDelegate {
public:
    void PainterStampDelegateDidFinish(zt::PainterStampViewController& stamp) override
    {
        ++finished;
        size = stamp.size();
        rotation = stamp.rotation();
        position = stamp.position();
    }
    int finished = 0;
    double size = 0;
    double rotation = 0;
    plat::Point position;
};

class StampOverlay : public plat::test::RootScreenTest {
protected:
    StampOverlay()
    {
        stamp->setStamp(plat::Image::imageNamed("Brush.png"));
        stamp->setDelegate(recorder);
        stamp->view()->setFrame(root->view()->bounds());
        root->view()->addSubview(stamp->view());
        driver.wait(0);
    }
    // A tap on the background, away from the stamp.
    void confirm() { driver.tapAt({20, 300}); }

    std::shared_ptr<zt::PainterStampViewController> stamp = std::make_shared<zt::PainterStampViewController>();
    std::shared_ptr<RecordingStampDelegate> recorder = std::make_shared<RecordingStampDelegate>();
};

}  // namespace

TEST_F(StampOverlay, AStampTurnedAQuarterReportsNinetyDegreesAndItsHeightAsSize)
{
    ASSERT_TRUE(stamp->_imageViewStamp->image());
    stamp->_viewStamp->setTransform(plat::rotate(plat::AffineTransform {}, std::numbers::pi / 2));
    stamp->_viewStamp->setTransform(plat::scale(stamp->_viewStamp->transform(), 1.0, 0.5));
    confirm();
    ASSERT_EQ(recorder->finished, 1);
    EXPECT_NEAR(recorder->rotation, 90, 1e-4);
    // Scaled to half its height, then turned: its width on screen is that height.
    EXPECT_NEAR(recorder->size, stamp->_imageViewStamp->bounds().size.height * 0.5, 1e-6);
}

TEST_F(StampOverlay, AStampMovedToTheTopEdgeReportsTheOverlaysHeight)
{
    const plat::Point centre = stamp->_viewStamp->center();
    stamp->_viewStamp->setCenter({centre.x, 0});
    confirm();
    ASSERT_EQ(recorder->finished, 1);
    EXPECT_DOUBLE_EQ(recorder->position.y, stamp->view()->bounds().size.height);
    EXPECT_DOUBLE_EQ(recorder->position.x, centre.x);
}

TEST_F(StampOverlay, DraggingTheStampMovesItAndItsHandlesFollow)
{
    const plat::Point centre = stamp->_viewStamp->center();
    driver.drag(centre, {centre.x + 80, centre.y + 30});
    driver.wait(0);
    EXPECT_NEAR(stamp->_viewStamp->center().x, centre.x + 80, 1);
    EXPECT_NEAR(stamp->_viewStamp->center().y, centre.y + 30, 1);
    const plat::Point lowerMarker
        = stamp->_viewStamp->convertPoint(stamp->_viewLowerMarker->center(), stamp->view().get());
    EXPECT_NEAR(stamp->_viewLowerHandle->center().x, lowerMarker.x, 1e-6);
    EXPECT_NEAR(stamp->_viewLowerHandle->center().y, lowerMarker.y, 1e-6);
    EXPECT_EQ(recorder->finished, 0);
}

TEST_F(StampOverlay, APinchAndATurnScaleAndRotateTheStampByTheFingersOnly)
{
    const plat::Point centre = stamp->_viewStamp->center();
    const plat::Point onScreen = stamp->view()->convertPoint(centre, nullptr);
    driver.pinch(onScreen, 60, 120);  // twice as far apart
    // Two fingers 100 apart turn an eighth of a turn clockwise about the centre.
    plat::TouchSynthesizer touches(window);
    auto at = [&](double radians, double side) {
        return plat::Point {onScreen.x + side * 50 * std::cos(radians), onScreen.y + side * 50 * std::sin(radians)};
    };
    auto fingers = touches.touchesDown({at(0, 1), at(0, -1)});
    constexpr int kSteps = 18;
    for (int i = 1; i <= kSteps; ++i) {
        clock.advance(1.0 / 60);
        const double turned = std::numbers::pi / 4 * i / kSteps;
        touches.moveTouches({{fingers[0], at(turned, 1)}, {fingers[1], at(turned, -1)}});
    }
    touches.liftTouches(fingers);
    driver.wait(0);

    // The upper marker, 60 above the middle of the 120-point stamp: twice as
    // far, turned 45 degrees clockwise.
    const double reach = 120 / std::numbers::sqrt2;
    EXPECT_NEAR(stamp->_viewUpperHandle->center().x, centre.x + reach, 0.5);
    EXPECT_NEAR(stamp->_viewUpperHandle->center().y, centre.y - reach, 0.5);
    confirm();
    ASSERT_EQ(recorder->finished, 1);
    EXPECT_NEAR(recorder->rotation, 45, 0.1);
    // A 240-point square turned 45 degrees spans its diagonal.
    EXPECT_NEAR(recorder->size, 240 * std::numbers::sqrt2, 0.5);
}

TEST_F(StampOverlay, TheCanvasTurnsAConfirmedStampIntoAStroke)
{
    auto canvas = std::make_shared<zt::PaintingView>(root->view()->bounds());
    auto brushes = zt::test::makeBrushes();
    canvas->setBrushes(brushes);
    root->view()->insertSubview(canvas, 0);
    driver.wait(0);
    canvas->changeBrush(zt::kBrushTypePen);
    canvas->setViewControllerStamp(stamp);
    stamp->setDelegate(canvas);
    stamp->_viewStamp->setCenter({200, 100});
    stamp->_viewStamp->setTransform(plat::scale(plat::AffineTransform {}, 0.25, 0.25));
    confirm();
    ASSERT_EQ(canvas->strokeBuffer().size(), 1u);
    const auto& samples = canvas->strokeBuffer()[0]->points().at(0);
    ASSERT_EQ(samples.size(), 4u);
    const double height = root->view()->bounds().size.height;
    EXPECT_EQ(samples[0].pos(), (plat::Point {200, height - 100}));
    EXPECT_FLOAT_EQ(samples[0].width(), 30.0f);
    EXPECT_EQ(brushes[zt::kBrushTypePen]->size(), 30);
    EXPECT_FALSE(stamp->view()->superview());
    EXPECT_GT(pixelAt(*canvas->createImage(), 200, 100)[3], 0);
}

TEST(PainterStampHolderView, DrawsALightRingAndADarkDot)
{
    plat::test::UIScope ui;
    auto handle = std::make_shared<zt::PainterStampHolderView>(plat::makeRect(0, 0, 44, 44));
    auto picture = plat::renderViewToImage(*handle, 1.0);
    ASSERT_TRUE(picture);
    const auto centre = pixelAt(*picture, 22, 22);
    EXPECT_LT(centre[0], 100);  // the dot: black at 0.7
    EXPECT_NEAR(centre[3], 202, 3);  // 0.7 over the disc's 0.3
    const auto ring = pixelAt(*picture, 22, 5);  // white at 0.3
    EXPECT_NEAR(ring[3], 77, 3);
    EXPECT_EQ(pixelAt(*picture, 1, 1)[3], 0);  // outside the circle
}
