#include "editor/ImageEditor.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <numbers>

#include "editor/EditorTestSupport.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/PinchGestureRecognizer.h"
#include "platform/ui/RotationGestureRecognizer.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "support/RunLoopWaiting.h"

namespace {

using plat::AffineTransform;
using plat::makeRect;
using zt::test::expectTransformNear;

constexpr double kPi = std::numbers::pi;

// Opens the protected gesture bookkeeping to the tests.
class ProbeEditor : public zt::ImageEditor {
public:
    using QVImageEditorViewController::handleGestureState;
};

std::shared_ptr<plat::Image> picture(int width, int height)
{
    return plat::test::makeImage(
        width, height, [=](int x, int y) { return zt::test::blockColour(x, y, width, height, 120); });
}

AffineTransform rotation(double degrees)
{
    return AffineTransform::makeRotation(degrees * kPi / 180);
}

// The frame editor's crop editor on a 568 x 320 phone: check-bounds, pan and
// rotate on, as the frame editor opens it.
class CropEditor : public zt::test::EditorScreens {
protected:
    explicit CropEditor(plat::UserInterfaceIdiom idiom = plat::UserInterfaceIdiom::Phone)
        : EditorScreens(idiom)
    {
    }

    void open(std::shared_ptr<const plat::Image> source)
    {
        editor = std::make_shared<ProbeEditor>();
        editor->setCheckBounds(true);
        editor->setRotateEnabled(true);
        editor->setPanEnabled(true);
        editor->setSourceImage(std::move(source));
        editor->reset(/*animated=*/false);
        editor->setDoneCallback([this](std::shared_ptr<plat::Image> image, bool cancelled) {
            results.push_back({std::move(image), cancelled});
        });
        window->setRootViewController(editor);
        driver.wait(0);
    }

    std::shared_ptr<plat::ImageView> pictureView() const
    {
        auto view = editor->imageView();
        if (!view)
            ADD_FAILURE() << "the editor shows no picture view";
        return view ? view : std::make_shared<plat::ImageView>();
    }
    AffineTransform shown() const { return pictureView()->transform(); }
    std::shared_ptr<const plat::Image> pictureShown() const { return pictureView()->image(); }
    bool acceptsTouches() const { return editor->view()->isUserInteractionEnabled(); }
    // Long enough for any snap-back or reset animation.
    void settle() { clock.advance(0.3); }
    void zoomToTwo()
    {
        driver.pinch(kCentre, 100, 200);
        settle();
        ASSERT_NEAR(editor->scale(), 2, 1e-9);
    }

    struct Result {
        std::shared_ptr<plat::Image> image;
        bool cancelled;
    };

    static constexpr plat::Point kCentre {284, 160};
    std::shared_ptr<ProbeEditor> editor;
    std::vector<Result> results;
};

TEST_F(CropEditor, OnAPhoneTheBandIsFullWidthSixteenByNine)
{
    open(picture(1920, 1080));
    EXPECT_EQ(editor->cropRect(), makeRect(0, 0.25, 568, 319.5));
    EXPECT_EQ(editor->initialImageFrame(), makeRect(0, 0.25, 568, 319.5)) << "just covers the band";
    EXPECT_EQ(pictureView()->frame(), makeRect(0, 0.25, 568, 319.5));
    EXPECT_EQ(editor->minimumScale(), 1.0) << "check-bounds keeps the picture at least covering";
    EXPECT_EQ(editor->maximumScale(), 10.0);
    EXPECT_TRUE(shown().isIdentity());
}

class CropEditorOnTablet : public CropEditor {
protected:
    CropEditorOnTablet()
        : CropEditor(plat::UserInterfaceIdiom::Pad)
    {
    }
};

TEST_F(CropEditorOnTablet, TheBandIsCentredOnTheLargerScreen)
{
    open(picture(1920, 1080));
    EXPECT_EQ(editor->cropRect(), makeRect(0, 96, 1024, 576));
    EXPECT_EQ(editor->view()->frame(), makeRect(0, 0, 1024, 768));
}

TEST_F(CropEditor, APortraitPictureCoversTheBandByItsWidth)
{
    open(picture(1080, 1920));
    plat::Rect frame = editor->initialImageFrame();
    EXPECT_DOUBLE_EQ(frame.width(), 568);
    EXPECT_NEAR(frame.height(), 1009.7778, 1e-3);
    EXPECT_NEAR(frame.midY(), 160, 1e-9);
}

TEST_F(CropEditor, PinchingBelowOneSnapsBackToTheLastCoveringPictureAtScaleOne)
{
    open(picture(1920, 1080));
    driver.pinch(kCentre, 200, 100);
    EXPECT_NEAR(editor->scale(), 0.5, 1e-9) << "the scale changes when the snap-back ends";
    EXPECT_FALSE(acceptsTouches()) << "no touches while it snaps back";
    expectTransformNear(shown(), AffineTransform::makeScale(1, 1), 1e-9, "heading back to cover the band");
    settle();
    EXPECT_EQ(editor->scale(), 1.0);
    EXPECT_TRUE(acceptsTouches());
    EXPECT_EQ(editor->gestureCount(), 0u);
}

TEST_F(CropEditor, PinchingAboveTenReturnsToTenAboutThePinchCentre)
{
    open(picture(1920, 1080));
    // The fingers' centre is 84 points left of and 40 above the picture's
    // centre; zooming by 10 about it moves the centre by 9 times that.
    driver.pinch({200, 120}, 20, 260);
    settle();
    EXPECT_NEAR(editor->scale(), 10, 1e-9);
    expectTransformNear(shown(), {10, 0, 0, 10, 756, 360}, 1e-9);
}

TEST_F(CropEditor, APanThatWouldUncoverTheBandSnapsBackWhenTheFingerLifts)
{
    open(picture(1920, 1080));
    plat::TouchSynthesizer touches(window);
    auto finger = touches.touchDown({300, 160});
    for (int step = 1; step <= 10; ++step) {
        clock.advance(1.0 / 60);
        touches.moveTouch(finger, {300 + 6.0 * step, 160});
    }
    expectTransformNear(shown(), AffineTransform::makeTranslation(60, 0), 1e-9, "follows the finger");
    EXPECT_TRUE(editor->validTransform().isIdentity()) << "but the last covering position is kept";
    touches.liftTouch(finger);
    driver.wait(0);
    expectTransformNear(shown(), AffineTransform::identity(), 1e-9);
    settle();
    EXPECT_TRUE(acceptsTouches());
}

TEST_F(CropEditor, APanOfAZoomedPictureMovesItWithTheFinger)
{
    open(picture(1920, 1080));
    zoomToTwo();
    driver.drag({300, 160}, {340, 180});
    settle();
    expectTransformNear(shown(), {2, 0, 0, 2, 40, 20}, 1e-9);
    expectTransformNear(editor->validTransform(), shown(), 1e-12);
}

TEST_F(CropEditor, TurningTwoFingersTurnsThePictureWithThem)
{
    open(picture(1920, 1080));
    zoomToTwo();
    turnFingers(kCentre, 60, 20);
    settle();
    AffineTransform expected = AffineTransform::concat(AffineTransform::makeScale(2, 2), rotation(20));
    expectTransformNear(shown(), expected, 1e-6, "clockwise on screen, about the fingers' centre");
    EXPECT_EQ(editor->validTransform(), shown()) << "a zoomed picture still covers the band turned by 20 degrees";
}

TEST_F(CropEditor, TurningAnUnzoomedPictureUncoversTheBandAndSnapsBack)
{
    open(picture(1920, 1080));
    turnFingers(kCentre, 60, 20);
    settle();
    expectTransformNear(shown(), AffineTransform::identity(), 1e-9);
}

TEST_F(CropEditor, AMirroredPictureStillTurnsWithTheFingers)
{
    open(picture(1920, 1080));
    zoomToTwo();
    editor->actionFlipHorizontal();
    EXPECT_TRUE(editor->isFlipped());
    expectTransformNear(shown(), AffineTransform::makeScale(-2, 2), 1e-12);
    turnFingers(kCentre, 60, 20);
    settle();
    // Mirrored first, then turned clockwise on screen.
    AffineTransform expected = AffineTransform::concat(AffineTransform::makeScale(-2, 2), rotation(20));
    expectTransformNear(shown(), expected, 1e-6);
}

TEST_F(CropEditor, FlippingVerticallyMirrorsTopAndBottom)
{
    open(picture(1920, 1080));
    editor->actionFlipVertical();
    expectTransformNear(shown(), AffineTransform::makeScale(1, -1), 1e-12);
    EXPECT_TRUE(editor->isFlipped());
    EXPECT_EQ(editor->validTransform(), shown()) << "a mirrored picture covers as much";
    editor->actionFlipHorizontal();
    EXPECT_FALSE(editor->isFlipped()) << "two mirrors make a turn";
    expectTransformNear(shown(), AffineTransform::makeScale(-1, -1), 1e-12);
}

TEST_F(CropEditor, ADoubleTapResetsThePictureOverAQuarterSecond)
{
    open(picture(1920, 1080));
    zoomToTwo();
    driver.drag({300, 160}, {340, 180});
    settle();
    driver.doubleTapAt(kCentre);
    expectTransformNear(shown(), AffineTransform::identity(), 1e-12);
    EXPECT_EQ(editor->scale(), 1.0);
    EXPECT_FALSE(acceptsTouches());
    clock.advance(0.15);
    EXPECT_FALSE(acceptsTouches()) << "0.2 s into the reset";
    clock.advance(0.06);
    EXPECT_TRUE(acceptsTouches());
}

TEST_F(CropEditor, AResetShowsThePictureUnmirroredAndTurningFollowsTheFingersAgain)
{
    open(picture(1920, 1080));
    editor->actionFlipHorizontal();
    driver.doubleTapAt(kCentre);
    settle();
    EXPECT_FALSE(editor->isFlipped());
    zoomToTwo();
    turnFingers(kCentre, 60, 20);
    settle();
    AffineTransform expected = AffineTransform::concat(AffineTransform::makeScale(2, 2), rotation(20));
    expectTransformNear(shown(), expected, 1e-6, "not turned against the fingers");
}

TEST_F(CropEditor, AnEndWithoutABeginningLeavesTheGestureCountAtZero)
{
    open(picture(1920, 1080));
    EXPECT_FALSE(editor->handleGestureState(plat::GestureRecognizerState::Ended));
    EXPECT_EQ(editor->gestureCount(), 0u) << "not wrapped round to the largest count";
    EXPECT_TRUE(editor->handleGestureState(plat::GestureRecognizerState::Began));
    EXPECT_TRUE(editor->handleGestureState(plat::GestureRecognizerState::Began));
    EXPECT_FALSE(editor->handleGestureState(plat::GestureRecognizerState::Cancelled));
    EXPECT_TRUE(acceptsTouches()) << "one gesture still runs: no snap-back yet";
    EXPECT_FALSE(editor->handleGestureState(plat::GestureRecognizerState::Ended));
    EXPECT_EQ(editor->gestureCount(), 0u);
    EXPECT_FALSE(acceptsTouches()) << "the last one ended: snapping back";
}

TEST_F(CropEditor, PinchScalesOfZeroBelowZeroOrNotANumberAreIgnored)
{
    open(picture(1920, 1080));
    auto recognizer = std::make_shared<plat::PinchGestureRecognizer>();
    for (double bad : {0.0, -2.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        SCOPED_TRACE(bad);
        recognizer->setScale(bad);
        editor->handlePinch(*recognizer);
        EXPECT_EQ(editor->scale(), 1.0);
        EXPECT_TRUE(shown().isIdentity());
    }
    recognizer->setScale(1.5);
    editor->handlePinch(*recognizer);
    EXPECT_DOUBLE_EQ(editor->scale(), 1.5) << "a sound scale still applies";
}

TEST_F(CropEditor, FingersThatMeetLeaveASoundPicture)
{
    open(picture(1920, 1080));
    zoomToTwo();
    driver.pinch(kCentre, 120, 0);
    EXPECT_TRUE(std::isfinite(editor->scale()));
    EXPECT_GT(editor->scale(), 0);
    settle();
    EXPECT_EQ(editor->scale(), 1.0);
    AffineTransform t = shown();
    EXPECT_TRUE(std::isfinite(t.a + t.b + t.c + t.d + t.tx + t.ty));
    EXPECT_TRUE(t.isInvertible());
    driver.pinch(kCentre, 100, 150);
    settle();
    EXPECT_NEAR(editor->scale(), 1.5, 1e-9) << "the next pinch zooms as usual";
}

TEST_F(CropEditor, TheDoneButtonReportsThePicture)
{
    open(picture(1920, 1080));
    ASSERT_TRUE(driver.tap("Done"));
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return !results.empty(); }));
    EXPECT_TRUE(results[0].image);
    EXPECT_FALSE(results[0].cancelled);
}

TEST_F(CropEditor, CancelReportsNoPictureAndTheCancelledFlag)
{
    open(picture(1920, 1080));
    driver.tap("Cancel");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].image, nullptr);
    EXPECT_TRUE(results[0].cancelled);
}

TEST_F(CropEditor, SourcesThatCannotBeCroppedGiveTheCancelledResult)
{
    const plat::Data garbage {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'};
    std::vector<std::shared_ptr<const plat::Image>> sources {nullptr, plat::Image::imageWithData(garbage),
        std::make_shared<plat::Image>(nullptr, 1.0, plat::ImageOrientation::Up),
        std::make_shared<plat::Image>(picture(40, 30)->bitmap(), 1.0, static_cast<plat::ImageOrientation>(9))};
    for (size_t i = 0; i < sources.size(); ++i) {
        SCOPED_TRACE(i);
        results.clear();
        open(sources[i]);
        EXPECT_EQ(pictureShown(), nullptr);
        driver.doubleTapAt(kCentre);
        editor->doneAction();
        ASSERT_EQ(results.size(), 1u) << "reported at once";
        EXPECT_EQ(results[0].image, nullptr);
        EXPECT_TRUE(results[0].cancelled);
        EXPECT_TRUE(acceptsTouches());
    }
}

TEST_F(CropEditor, AnOutputTooLargeForAPictureIsReportedAsCancelled)
{
    open(picture(1920, 1080));
    editor->setOutputWidth(1e6);
    editor->doneAction();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return !results.empty(); }));
    EXPECT_EQ(results[0].image, nullptr);
    EXPECT_TRUE(results[0].cancelled);
    EXPECT_TRUE(acceptsTouches());
}

TEST_F(CropEditor, DoneRendersAtTheSourceWidthWhileTouchesWait)
{
    open(picture(1920, 1080));
    // The result comes through the main queue, which nothing runs until the wait below.
    editor->doneAction();
    EXPECT_FALSE(acceptsTouches());
    EXPECT_TRUE(results.empty());
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return !results.empty(); }));
    ASSERT_TRUE(results[0].image);
    EXPECT_FALSE(results[0].cancelled);
    EXPECT_EQ(results[0].image->bitmap()->width(), 1920);
    EXPECT_EQ(results[0].image->bitmap()->height(), 1080);
    EXPECT_EQ(results[0].image->imageOrientation(), plat::ImageOrientation::Up);
    EXPECT_TRUE(acceptsTouches());

    results.clear();
    editor->setOutputWidth(640);
    editor->doneAction();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return !results.empty(); }));
    ASSERT_TRUE(results[0].image);
    EXPECT_EQ(results[0].image->bitmap()->width(), 640);
    EXPECT_EQ(results[0].image->bitmap()->height(), 360);
}

TEST_F(CropEditor, ALargePortraitPictureIsShownAtItsOwnAspect)
{
    auto source = picture(1080, 1920);
    open(source);
    auto preview = editor->previewImage();
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->size(), (plat::Size {120, 213})) << "a small preview first";
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return pictureShown() && pictureShown() != preview; }));
    EXPECT_EQ(pictureShown()->size(), (plat::Size {576, 1024})) << "tall as the picture, not turned into a landscape";
}

TEST_F(CropEditor, ALargeLandscapePictureIsShownAt1024Wide)
{
    open(picture(1920, 1080));
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return pictureShown() && pictureShown()->size().width == 1024; }));
    EXPECT_EQ(pictureShown()->size(), (plat::Size {1024, 576}));
}

TEST_F(CropEditor, ASmallPictureIsItsOwnPreview)
{
    auto source = picture(800, 450);
    open(source);
    EXPECT_EQ(editor->previewImage(), source);
    EXPECT_EQ(pictureShown(), source);
    editor->setSourceImage(picture(800, 450));
    EXPECT_NE(editor->previewImage(), source) << "a new source drops the old preview";
}

TEST_F(CropEditor, TheGestureSwitchesFollowTheirFlags)
{
    open(picture(1920, 1080));
    EXPECT_TRUE(editor->tapRecognizer()->isEnabled());
    EXPECT_EQ(editor->tapRecognizer()->numberOfTapsRequired(), 2);
    EXPECT_TRUE(editor->pinchRecognizer()->isEnabled());
    editor->setPanEnabled(false);
    editor->setRotateEnabled(false);
    EXPECT_FALSE(editor->panRecognizer()->isEnabled());
    EXPECT_FALSE(editor->rotationRecognizer()->isEnabled());
    zoomToTwo();
    driver.drag({300, 160}, {340, 180});
    settle();
    expectTransformNear(shown(), AffineTransform::makeScale(2, 2), 1e-9, "a switched-off pan does nothing");
}

TEST_F(CropEditor, WithoutBoundsCheckingThePictureStaysWhereItWasLeft)
{
    open(picture(1920, 1080));
    editor->setCheckBounds(false);
    driver.drag({300, 160}, {360, 160});
    settle();
    expectTransformNear(shown(), AffineTransform::makeTranslation(60, 0), 1e-9);
}

}  // namespace
