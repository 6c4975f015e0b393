// The frame editor's states: the controls by frame count, opening, the zoom
// between strip and timeline, playback and closing, on a phone and a tablet.
#include "capture/CaptureViewController.h"
#include "document/AudioClip.h"
#include "editor/FrameEditorTestSupport.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Slider.h"

namespace {

using zt::FrameEditorViewController;
using zt::test::FrameEditorScene;
using zt::test::TabletFrameEditorScene;

class FrameEditor : public FrameEditorScene { };
class TabletFrameEditor : public TabletFrameEditorScene { };

std::vector<bool> enabledOf(const FrameEditorViewController::Outlets& o)
{
    return {o.btnMore->isEnabled(), o.btnAudio->isEnabled(), o.btnPlay->isEnabled(), o.btnTheme->isEnabled()};
}

TEST_F(FrameEditor, AProjectWithoutPicturesShowsTheHintAndCannotPlayOrZoomOut)
{
    open(0);
    EXPECT_FALSE(outlets().viewEmptyHelp->isHidden());
    EXPECT_EQ(outlets().labelEmptyHelp->text(), "Tap here to\radd some pictures");
    EXPECT_EQ(enabledOf(outlets()), std::vector<bool>(4, false));
    editor->zoomOut(*editor);
    EXPECT_EQ(editor->currentFrameEditorState(), FrameEditorViewController::kZoomedIn);
    EXPECT_EQ(editor->linkThumbImageForProject(), "") << "no picture to be the thumbnail";
}

TEST_F(FrameEditor, OnePictureHidesTheHintButStillCannotPlayOrZoomOut)
{
    open(1);
    EXPECT_TRUE(outlets().viewEmptyHelp->isHidden());
    EXPECT_EQ(enabledOf(outlets()), std::vector<bool>(4, false));
    editor->zoomOut(*editor);
    EXPECT_EQ(editor->currentFrameEditorState(), FrameEditorViewController::kZoomedIn);
}

TEST_F(FrameEditor, TwoPicturesEnableTheControlsThatNeedFrames)
{
    open(2);
    EXPECT_EQ(enabledOf(outlets()), std::vector<bool>(4, true));
    EXPECT_TRUE(outlets().viewEmptyHelp->isHidden());
}

TEST_F(FrameEditor, APhoneOpensOnThePictureBeforeTheStoredPlaceholderIndex)
{
    auto made = makeProject(4);
    made->getMetaData()->set("CurrentFrameIndex", 4);
    open(made);
    EXPECT_EQ(editor->currentFrame(), 3);
    EXPECT_EQ(strip().getCurrentFrame(), 3);
    EXPECT_EQ(frames().frameIndexAtPlayhead(), 3);
}

TEST_F(FrameEditor, AStoredIndexBeyondTheListOpensOnItsLastEntry)
{
    auto made = makeProject(3);
    made->getMetaData()->set("CurrentFrameIndex", 40);
    open(made);
    EXPECT_EQ(editor->currentFrame(), 3) << "the last entry, the placeholder, kept in range";
}

TEST_F(FrameEditor, ThePhoneLayoutPutsASixteenByNinePictureBetweenTheColumns)
{
    open(2);
    // 320 high, the strip container 104: a picture 216 high, 384 wide, the columns 92 wide.
    const float height = 216;
    const float width = height * 16 / 9;
    EXPECT_EQ(outlets().imageViewFrame->frame(), plat::makeRect(92, 0, width, height));
    EXPECT_EQ(outlets().viewLeftControls->frame(), plat::makeRect(0, 0, 92, height));
    EXPECT_EQ(outlets().viewRightControls->frame(), plat::makeRect(476, 0, 92, height));
    // Bars of (216 - 384 / 2.35) / 2 = 26.298 points leave 2.35:1 open.
    EXPECT_NEAR(outlets().viewMaskUpper->frame().height(), 26.298, 1e-3);
    EXPECT_EQ(outlets().viewMaskUpper->frame().minY(), 0);
    EXPECT_NEAR(outlets().viewMaskLower->frame().minY(), 216 - 26.298, 1e-3);
    EXPECT_EQ(outlets().viewMaskLower->frame().width(), width);
}

TEST_F(FrameEditor, ZoomingOutShowsTheTimelineAtTheStripsFrameAndBack)
{
    open(5);
    goTo(2);
    editor->zoomOut(*editor);
    EXPECT_EQ(editor->currentFrameEditorState(), FrameEditorViewController::kZoomedOut);
    EXPECT_EQ(outlets().viewTimelineViewController->alpha(), 1.0);
    EXPECT_EQ(outlets().viewPlayerViewController->alpha(), 0.0);
    EXPECT_NE(outlets().viewTimelineViewController->layer()->animationForKey("ZoomIn"), nullptr);
    EXPECT_EQ(timeline().getCurrentFrame(), 2);
    driver.wait(0.29);
    EXPECT_NE(outlets().viewTimelineViewController->layer()->animationForKey("ZoomIn"), nullptr)
        << "the zoom takes 0.3 s";
    driver.wait(0.02);
    EXPECT_EQ(outlets().viewTimelineViewController->layer()->animationForKey("ZoomIn"), nullptr)
        << "the scale is not kept";

    timeline().scrollToFrame(4);
    editor->zoomIn(*editor);
    EXPECT_EQ(editor->currentFrameEditorState(), FrameEditorViewController::kZoomedIn);
    EXPECT_EQ(outlets().viewPlayerViewController->alpha(), 1.0);
    EXPECT_EQ(outlets().viewTimelineViewController->alpha(), 0.0);
    EXPECT_EQ(strip().getCurrentFrame(), 4);
}

TEST_F(FrameEditor, PlayingRunsOnTheTimelineLocksTheToolbarAndReturnsToTheStrip)
{
    open(5);
    goTo(1);
    ASSERT_TRUE(driver.tap("Play"));
    EXPECT_TRUE(editor->previewPlayer()->isPlaying());
    EXPECT_TRUE(outlets().btnPlay->isSelected());
    EXPECT_EQ(editor->currentFrameEditorState(), FrameEditorViewController::kZoomedOut);
    for (const auto& locked : {outlets().btnCamera, outlets().btnMore, outlets().btnExplorer, outlets().btnAudio,
             outlets().btnMusic, outlets().btnTheme, outlets().btnBackward, outlets().btnForward})
        EXPECT_FALSE(locked->isEnabled()) << locked->accessibilityLabel();
    EXPECT_TRUE(outlets().btnHelp->isEnabled());
    editor->zoomIn(*editor);
    EXPECT_EQ(editor->currentFrameEditorState(), FrameEditorViewController::kZoomedOut) << "no zoom while playing";

    ASSERT_TRUE(driver.tap("Stop"));
    EXPECT_FALSE(editor->previewPlayer()->isPlaying());
    EXPECT_EQ(editor->currentFrameEditorState(), FrameEditorViewController::kZoomedIn);
    EXPECT_TRUE(outlets().btnExplorer->isEnabled());
    EXPECT_TRUE(outlets().btnForward->isEnabled());
}

TEST_F(FrameEditor, ScrollingDuringPlaybackStopsItAndStaysOnTheTimeline)
{
    open(5);
    editor->playPreview();
    editor->userStartScrolling();
    EXPECT_FALSE(editor->previewPlayer()->isPlaying());
    EXPECT_FALSE(outlets().btnPlay->isSelected());
    EXPECT_EQ(editor->currentFrameEditorState(), FrameEditorViewController::kZoomedOut);
}

TEST_F(FrameEditor, PlaybackEndingByItselfReturnsToTheStrip)
{
    auto made = makeProject(3);
    made->getMetaData()->set("PlayAsLoop", false);
    open(made);
    goTo(0);
    editor->playPreview();
    driver.wait(5);
    EXPECT_FALSE(editor->previewPlayer()->isPlaying());
    EXPECT_FALSE(outlets().btnPlay->isSelected());
    EXPECT_EQ(editor->currentFrameEditorState(), FrameEditorViewController::kZoomedIn);
}

TEST_F(FrameEditor, ClosingStoresTheThumbnailTheFrameAndTellsTheRootAfterTheFade)
{
    open(4);
    goTo(2);
    const std::string shown = *frames().getFrameIDAtIndex(2);
    ASSERT_TRUE(driver.tap("Projects"));
    EXPECT_EQ(closing->closed, 0) << "the look layers fade first";
    EXPECT_EQ(outlets().imageViewForeground->alpha(), 0.0);
    driver.wait(0.24);
    EXPECT_EQ(closing->closed, 0) << "the fade takes a quarter of a second";
    driver.wait(0.02);
    EXPECT_EQ(closing->closed, 1);

    zt::ProjectModel stored(project->getProjectPath());
    auto saved = *stored.getMetaData();
    EXPECT_EQ(saved.getString("META_RECORD_THUMB_FRAME_ID"), shown);
    EXPECT_EQ(saved.getInt64("CurrentFrameIndex"), 2);
    EXPECT_EQ(saved.getBool("RecordNeedsRendering"), true);
    editor->actionProjectExplorer();
    driver.wait(1);
    EXPECT_EQ(closing->closed, 1) << "a second tap while it closes does nothing";
}

TEST_F(FrameEditor, ClosingAtThePlaceholderStoresThePictureBeforeItAsTheThumbnail)
{
    struct Case {
        int pictures;
        bool placeholderFirst;
        int64_t shownAt;
        std::optional<int64_t> thumbnailAt;  // none: no picture stands for the project
    };
    const Case cases[] = {
        {1, false, 1, 0},
        {3, false, 3, 2},
        {3, false, 1, 1},
        {3, true, 0, 3},
        {0, false, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        auto made = makeProject(c.pictures);
        auto& list = made->getFrameList();
        if (c.placeholderFirst) {
            const zt::Frame placeholder = *list.getFrameAtIndex(list.getCaptureIndex());
            list.removeFrameAtIndex(list.getCaptureIndex());
            list.insertFrame(placeholder, 0);
            ASSERT_TRUE(made->saveAllDataToDisk().ok());
        }
        open(made);
        goTo(c.shownAt);
        ASSERT_EQ(editor->currentFrame(), c.shownAt);
        const std::string expected = c.thumbnailAt ? *frames().getFrameIDAtIndex(*c.thumbnailAt) : "";
        close();
        zt::ProjectModel stored(project->getProjectPath());
        EXPECT_EQ(stored.getMetaData()->getString("META_RECORD_THUMB_FRAME_ID"), expected)
            << c.pictures << " pictures shown at " << c.shownAt;
        closing->closed = 0;
    }
}

TEST_F(FrameEditor, OnlyTheTwoLandscapeOrientationsAreAccepted)
{
    open(0);
    EXPECT_TRUE(editor->shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation::LandscapeLeft));
    EXPECT_TRUE(editor->shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation::LandscapeRight));
    EXPECT_FALSE(editor->shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation::Portrait));
}

TEST_F(FrameEditor, TheJumpButtonsGoToTheFirstAndTheCaptureFrame)
{
    open(4);
    goTo(2);
    ASSERT_TRUE(driver.tap("First Frame"));
    EXPECT_EQ(editor->currentFrame(), 0);
    ASSERT_TRUE(driver.tap("Capture Frame"));
    EXPECT_EQ(editor->currentFrame(), 4);
}

TEST_F(TabletFrameEditor, EmbedsTheCaptureScreenAndOpensOnThePlaceholderWithItsLiveView)
{
    auto made = makeProject(3);
    made->getMetaData()->set("CurrentFrameIndex", 3);
    open(made);
    auto capture = editor->captureViewController();
    ASSERT_NE(capture, nullptr);
    EXPECT_EQ(capture->nibName(), "CaptureView-iPad");
    EXPECT_EQ(capture->parentViewController().get(), editor.get());
    EXPECT_EQ(capture->view()->superview(), outlets().viewCaptureView);
    EXPECT_EQ(editor->currentFrame(), 3) << "a tablet opens on the placeholder";
    EXPECT_EQ(editor->framePictureView(), capture->viewOnionFront());
    EXPECT_EQ(editor->nibName(), "FrameEditorViewController_iPad");
    EXPECT_TRUE(capture->outlet("buttonHome")->isHidden()) << "the editor's Projects button leaves both";
}

// On the placeholder the embedded capture screen's overlay slider, dragged
// down, shows the frame before the placeholder where the live picture was,
// and keeps showing it once the strip has loaded its full pictures.
TEST_F(TabletFrameEditor, TheOverlaySliderDraggedDownShowsTheFrameBeforeThePlaceholder)
{
    const plat::test::Rgba red {200, 40, 40, 255};
    const plat::test::Rgba blue {40, 40, 200, 255};
    open(makeProject(std::vector<plat::test::Rgba> {red, blue}));
    ASSERT_EQ(editor->currentFrame(), 2) << "on the placeholder, the live picture";
    auto slider
        = std::dynamic_pointer_cast<plat::Slider>(editor->captureViewController()->outlet("sliderOverlayControl"));
    ASSERT_NE(slider, nullptr);
    ASSERT_EQ(slider->value(), 1.0);
    // Upright, its top end is the live picture: the thumb taken to the bottom end.
    const plat::Rect track = slider->convertRect(slider->bounds(), nullptr);
    driver.drag({track.midX(), track.minY() + 12}, {track.midX(), track.maxY() + 20});
    driver.wait(1);
    ASSERT_EQ(slider->value(), 0.0);
    auto shown = driver.screenshot();
    ASSERT_NE(shown, nullptr);
    const plat::Rect picture = outlets().viewCaptureView->frame();
    const double scale = shown->scale();
    const auto seen = plat::test::pixelAt(
        *shown, static_cast<int>(picture.midX() * scale), static_cast<int>(picture.midY() * scale));
    EXPECT_LE(plat::test::componentDistance(seen, blue), 24) << "the frame before the placeholder";
}

TEST_F(TabletFrameEditor, PlayingDisablesTheCaptureScreensControls)
{
    open(4);
    auto options = std::dynamic_pointer_cast<plat::Button>(editor->captureViewController()->outlet("buttonOptions"));
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(options->isEnabled());
    editor->playPreview();
    EXPECT_FALSE(options->isEnabled());
    editor->stopPreview();
    EXPECT_TRUE(options->isEnabled());
}

TEST_F(TabletFrameEditor, ClosingLetsTheCaptureScreenGo)
{
    open(2);
    std::shared_ptr<zt::CaptureViewController> capture = editor->captureViewController();
    ASSERT_NE(capture, nullptr);
    close();
    EXPECT_EQ(closing->closed, 1);
    EXPECT_EQ(capture->parentViewController(), nullptr);
}

}  // namespace

namespace {

class PhoneCapture : public zt::test::FrameEditorScene {
protected:
    PhoneCapture()
    {
        plat::test::setUpCameras({plat::test::testPatternCamera(plat::CaptureDevicePosition::Back, 640, 360, 10)});
    }
    size_t flyingBoxesAfterAPosting()
    {
        const size_t before = editor->view()->subviews().size();
        auto clip = std::make_shared<zt::AudioClip>();
        post("AudioControllerAddAudioNotification", plat::Dictionary {{"CLIP", clip}});
        const size_t added = editor->view()->subviews().size() - before;
        driver.wait(1);
        return added;
    }
};

TEST_F(PhoneCapture, ReturningFromTheCaptureScreenOpensOnTheLastPictureAndListensOnceAgain)
{
    open(4);
    goTo(1);
    ASSERT_TRUE(driver.tap("Capture"));
    driver.wait(1);
    auto capture = std::dynamic_pointer_cast<zt::CaptureViewController>(editor->presentedViewController());
    ASSERT_NE(capture, nullptr);
    EXPECT_EQ(capture->nibName(), "CaptureView_568");
    EXPECT_FALSE(outlets().btnCamera->isEnabled());
    EXPECT_EQ(flyingBoxesAfterAPosting(), 0u) << "nobody listens while the capture screen is up";

    ASSERT_TRUE(driver.tap("Done"));
    driver.wait(2);
    EXPECT_EQ(editor->presentedViewController(), nullptr);
    EXPECT_TRUE(outlets().btnCamera->isEnabled());
    EXPECT_EQ(editor->currentFrame(), 3) << "the picture before the placeholder";
    EXPECT_FALSE(editor->isCommingBackFromCaptureView());
    EXPECT_EQ(flyingBoxesAfterAPosting(), 1u) << "each posting runs its handler once";
}

}  // namespace
