// The frame editor's toolbar and single-frame actions: merging and cropping
// a frame (on its stored picture, whatever movie effect is chosen), the
// painter, the look sheet, the single-frame
// controls, the help overlay, the menus, and panels that a double tap or
// closing the project could leave behind.
#include "audio/AudioRecorderViewController.h"
#include "document/AudioClip.h"
#include "document/FilledText.h"
#include "editor/ConfigurationCell.h"
#include "editor/ConfigurationViewController.h"
#include "editor/FrameEditorHelp.h"
#include "editor/FrameEditorTestSupport.h"
#include "editor/ImageEditor.h"
#include "editor/StripItemViews.h"
#include "editor/ThemeSettingsViewController.h"
#include "painter/PainterViewController.h"
#include "platform/foundation/Files.h"
#include "platform/graphics/Image.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/ui/Application.h"
#include "platform/ui/Control.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/testing/PictureComparison.h"
#include "render/OutlineViewController.h"
#include "render/ThemeCardEditViewController.h"
#include "render/ThemeCardTableViewController.h"
#include "support/FailingWrites.h"
#include "support/Idioms.h"
#include "support/MediaTools.h"
#include "support/RunLoopWaiting.h"
#include "support/SeeThrough.h"
#include "uikit/APInsetTextField.h"
#include "uikit/BubblePopoverContainerView.h"
#include "uikit/BubblePopoverController.h"
#include "uikit/Carousel.h"
#include "uikit/HelpStateFile.h"
#include "uikit/TipPopoverView.h"

namespace {

using zt::FrameEditorViewController;
using zt::test::FrameEditorScene;
using Rgba = plat::test::Rgba;

class FrameEditorActions : public FrameEditorScene {
protected:
    explicit FrameEditorActions(plat::UserInterfaceIdiom idiom = plat::UserInterfaceIdiom::Phone)
        : FrameEditorScene(idiom)
    {
    }
    // A tone of that many seconds, as a finished recording would leave it.
    std::string voice(double seconds)
    {
        const std::string path = sandbox.path("tmp/voice-" + std::to_string(++madeVoices) + ".wav");
        auto made = plat::test::runFFmpeg(sandbox.path("tmp"),
            {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=" + std::to_string(seconds), "-c:a",
                "pcm_s16le", path});
        EXPECT_EQ(made.exitCode, 0) << made.output;
        return path;
    }
    int madeVoices = 0;
    // Red, green and blue pictures, the chosen movie effect on.
    void openThreeColours()
    {
        auto made = makeProject(std::vector<Rgba> {{200, 0, 0, 255}, {0, 200, 0, 255}, {0, 0, 200, 255}});
        made->getMetaData()->set("RecordMovieFilter", 1);
        open(made);
        // The effect changes what a read of a frame gives, so a picture stored from such a read would show it.
        auto shown = zt::ImageProducer(project).getImageForFrameAtIndex(1);
        ASSERT_NE(shown, nullptr);
        const auto seen = plat::test::pixelAt(*shown, 160, 90);
        ASSERT_GT(std::abs(seen[0] - 0) + std::abs(seen[1] - 200) + std::abs(seen[2] - 0), 40);
    }
    std::shared_ptr<plat::Image> stored(const std::string& kind, int64_t index) const
    {
        auto data = plat::readFile(file(kind + "-" + *frames().getFrameIDAtIndex(index) + ".jpg"));
        return data.ok() ? plat::Image::imageWithData(data.value()) : nullptr;
    }
    plat::Data storedBytes(const std::string& kind, int64_t index) const
    {
        return plat::readFile(file(kind + "-" + *frames().getFrameIDAtIndex(index) + ".jpg")).valueOr(plat::Data());
    }
    static void expectColourNear(const plat::Image& picture, Rgba expected, const std::string& what)
    {
        const auto seen = plat::test::pixelAt(picture, picture.bitmap()->width() / 2, picture.bitmap()->height() / 2);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(seen[c], expected[c], 6) << what << " component " << c;
    }
    bool needsRendering() const { return metadata().getBool("RecordNeedsRendering").value_or(false); }
    void tapPicture()
    {
        ASSERT_TRUE(driver.tap(*editor->framePictureView()));
        driver.wait(0.5);
    }
};

TEST_F(FrameEditorActions, MergingBlendsTheTwoPicturesBeforeIntoTheStoredPictureWithoutTheEffect)
{
    openThreeColours();
    goTo(2);
    project->getMetaData()->set("RecordNeedsRendering", false);
    tapPicture();
    ASSERT_TRUE(editor->areSingleFrameControlsShown());
    ASSERT_TRUE(driver.tap("Merge"));
    driver.wait(0.5);
    // Blue, then green at 0.2 over it, then red at 0.1: (0, 40, 160) then (20, 36, 144).
    expectColourNear(*stored("frame", 2), {20, 36, 144, 255}, "the stored picture");
    expectColourNear(*stored("thumb", 2), {20, 36, 144, 255}, "the thumbnail");
    expectColourNear(*stored("preview", 2), {20, 36, 144, 255}, "the preview");
    EXPECT_TRUE(needsRendering());
    zt::ProjectModel reopened(project->getProjectPath());
    EXPECT_TRUE(reopened.getMetaData()->getBool("RecordNeedsRendering").value_or(false)) << "saved";
    EXPECT_FALSE(editor->areSingleFrameControlsShown()) << "the controls close";
    EXPECT_EQ(editor->currentFrame(), 2);
}

TEST_F(FrameEditorActions, MergingTheFirstFrameKeepsItsOwnPicture)
{
    openThreeColours();
    goTo(0);
    editor->actionMergeImages();
    driver.wait(0.5);
    expectColourNear(*stored("frame", 0), {200, 0, 0, 255}, "no neighbours to blend");
}

TEST_F(FrameEditorActions, CancellingTheCropLeavesEveryFileAsItWas)
{
    openThreeColours();
    goTo(1);
    project->getMetaData()->set("RecordNeedsRendering", false);
    const plat::Data picture = storedBytes("frame", 1);
    const plat::Data thumbnail = storedBytes("thumb", 1);
    tapPicture();
    ASSERT_TRUE(driver.tap("Crop"));
    driver.wait(0.29);
    EXPECT_EQ(editor->presentedViewController(), nullptr) << "the picture grows for 0.3 s first";
    driver.wait(0.02);
    auto cropper = std::dynamic_pointer_cast<zt::ImageEditor>(editor->presentedViewController());
    ASSERT_NE(cropper, nullptr);
    EXPECT_EQ(outlets().imageViewFrame->frame(), plat::makeRect(0, (320 - 568 * 0.5625) / 2, 568, 568 * 0.5625))
        << "the picture grew to full width first";
    cropper->cancelAction();
    driver.wait(0.1);
    EXPECT_EQ(editor->presentedViewController(), nullptr);
    EXPECT_EQ(storedBytes("frame", 1), picture);
    EXPECT_EQ(storedBytes("thumb", 1), thumbnail);
    EXPECT_FALSE(needsRendering());
    driver.wait(1.0);  // shrinks back over 1.0 s
    EXPECT_EQ(outlets().imageViewFrame->frame(), outlets().imageViewForeground->frame()) << "it shrank back";
    EXPECT_EQ(editor->currentFrame(), 1);
}

TEST_F(FrameEditorActions, ACroppedPictureIsStoredWithoutTheEffect)
{
    openThreeColours();
    goTo(1);
    project->getMetaData()->set("RecordNeedsRendering", false);
    editor->actionImageEdit();
    driver.wait(0.4);  // the picture grows for 0.3 s, then the editor comes
    auto cropper = std::dynamic_pointer_cast<zt::ImageEditor>(editor->presentedViewController());
    ASSERT_NE(cropper, nullptr);
    cropper->doneAction();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return editor->presentedViewController() == nullptr; }));
    driver.wait(0.1);
    EXPECT_TRUE(needsRendering()) << "the crop was stored";
    expectColourNear(*stored("frame", 1), {0, 200, 0, 255}, "the stored picture keeps its colours");
}

TEST_F(FrameEditorActions, ThePlaceholderHasNothingToCrop)
{
    open(2);
    goTo(2);
    editor->actionImageEdit();
    driver.wait(1);
    EXPECT_EQ(editor->presentedViewController(), nullptr);
}

TEST_F(FrameEditorActions, PaintAndMaskOpenThePainterExceptWhilePlayingOrOnThePlaceholder)
{
    ASSERT_TRUE(zt::HelpStateFile::recordShown("PaintColor").ok());
    ASSERT_TRUE(zt::HelpStateFile::recordShown("Mask").ok());
    open(4);
    goTo(4);
    editor->actionDraw();
    driver.wait(1);
    EXPECT_EQ(editor->presentedViewController(), nullptr) << "the placeholder";
    goTo(1);
    editor->playPreview();
    editor->actionMask();
    driver.wait(1);
    EXPECT_EQ(editor->presentedViewController(), nullptr) << "playing";
    editor->stopPreview();
    goTo(1);
    tapPicture();
    ASSERT_TRUE(driver.tap("Paint"));
    driver.wait(1);
    auto painter = std::dynamic_pointer_cast<zt::PainterViewController>(editor->presentedViewController());
    ASSERT_TRUE(painter);
    EXPECT_FALSE(painter->isMasking());
    EXPECT_EQ(painter->currentFrame(), 1);
    EXPECT_EQ(alertText(), "<no alert>");

    // A pen line across the middle, then back: the frame's pictures have it.
    ASSERT_TRUE(driver.tap("Pen"));
    driver.wait(1);
    std::vector<plat::Point> line;
    for (double x = 150; x <= 420; x += 3)
        line.push_back(painter->drawingView()->convertPoint({x, 160}, nullptr));
    driver.drag(line.front(), line.back(), 1.5);
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Back"));
    driver.wait(1);
    EXPECT_EQ(editor->presentedViewController(), nullptr);
    auto painted = stored("frame", 1);
    ASSERT_TRUE(painted);
    expectColourNear(*painted, {228, 73, 19, 255}, "the painted frame");
    auto thumb = stored("thumb", 1);
    ASSERT_TRUE(thumb);
    // The thumbnail is a JPEG of half quality: near, not exact.
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*thumb, 136, 76), Rgba {228, 73, 19, 255}), 24);
    EXPECT_TRUE(needsRendering());

    tapPicture();
    ASSERT_TRUE(driver.tap("Mask"));
    driver.wait(1);
    painter = std::dynamic_pointer_cast<zt::PainterViewController>(editor->presentedViewController());
    ASSERT_TRUE(painter);
    EXPECT_TRUE(painter->isMasking());
    ASSERT_TRUE(driver.tap("Back"));
    driver.wait(1);
    EXPECT_EQ(editor->presentedViewController(), nullptr);
}

TEST_F(FrameEditorActions, ATapOnThePictureTogglesTheControlsOfPictureFramesOnly)
{
    open(3);
    goTo(1);
    tapPicture();
    EXPECT_TRUE(editor->areSingleFrameControlsShown());
    EXPECT_EQ(outlets().viewSingleFrameEditControls->alpha(), 1.0);
    ASSERT_NE(editor->btnCloseModalController(), nullptr);
    driver.tapAt({300, 20});  // on the picture, beside the controls
    driver.wait(0.5);
    EXPECT_FALSE(editor->areSingleFrameControlsShown());
    EXPECT_EQ(outlets().viewSingleFrameEditControls->superview(), nullptr);
    EXPECT_EQ(editor->btnCloseModalController(), nullptr);

    goTo(3);
    tapPicture();
    EXPECT_FALSE(editor->areSingleFrameControlsShown()) << "the placeholder";
    goTo(1);
    editor->playPreview();
    plat::TapGestureRecognizer tap;
    editor->handleSingeTap(tap);
    EXPECT_FALSE(editor->areSingleFrameControlsShown()) << "playing";
}

TEST_F(FrameEditorActions, PlaybackHidesTheControls)
{
    open(4);
    goTo(0);
    tapPicture();
    ASSERT_TRUE(editor->areSingleFrameControlsShown());
    editor->previewPlayerShowFrameAtIndex(*editor->previewPlayer(), 1);
    driver.wait(0.5);
    EXPECT_FALSE(editor->areSingleFrameControlsShown());
}

TEST_F(FrameEditorActions, ATapOnATitleCardOpensTheLookSheetOnItsOutline)
{
    auto made = makeProject(2);
    made->getFrameList().insertFrame(zt::Frame(zt::FrameTypeTitle), 0);
    open(made);
    goTo(0);
    tapPicture();
    auto sheet = editor->outlineNavigationController();
    ASSERT_NE(sheet, nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<zt::ThemeSettingsViewController>(sheet->viewControllers().front()), nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<zt::OutlineViewController>(sheet->topViewController()), nullptr);
}

TEST_F(FrameEditorActions, TheLookButtonOpensTheLookSheetAndItsCatchButtonClosesIt)
{
    open(4);
    ASSERT_TRUE(driver.tap("Movie Look"));
    driver.wait(1);
    auto sheet = editor->outlineNavigationController();
    ASSERT_NE(sheet, nullptr);
    auto settings = std::dynamic_pointer_cast<zt::ThemeSettingsViewController>(sheet->topViewController());
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->nibName(), "ThemeSettingsViewController");
    EXPECT_EQ(sheet->view()->frame(), plat::makeRect(0, 150, 568, 170));
    EXPECT_EQ(alertText(), "<no alert>");
    EXPECT_FALSE(outlets().btnExplorer->isEnabled());

    ASSERT_NE(editor->btnCloseModalController(), nullptr);
    editor->btnCloseModalController()->sendActionsForControlEvents(plat::ControlEventTouchUpInside);
    driver.wait(1);
    EXPECT_EQ(sheet->view()->superview(), nullptr);
    EXPECT_TRUE(outlets().btnExplorer->isEnabled());
}

TEST_F(FrameEditorActions, ClosingTheLookSheetKeepsTheOutlineBeingTyped)
{
    open(4);
    editor->showThemeWithPageOpen(1);
    driver.wait(1);
    auto sheet = editor->outlineNavigationController();
    ASSERT_NE(sheet, nullptr);
    auto outline = std::dynamic_pointer_cast<zt::OutlineViewController>(sheet->topViewController());
    ASSERT_NE(outline, nullptr);
    auto table = outline->tableView();
    table->scrollToRowAtIndexPath({2, 0}, plat::TableViewScrollPosition::Middle, /*animated=*/false);
    table->layoutIfNeeded();
    auto studio = std::dynamic_pointer_cast<zt::APTextFieldCell>(table->cellForRowAtIndexPath({2, 0}));
    ASSERT_NE(studio, nullptr);
    ASSERT_TRUE(studio->rightTextField()->becomeFirstResponder());
    driver.type("Owl Films");
    driver.wait(1);
    editor->btnCloseModalController()->sendActionsForControlEvents(plat::ControlEventTouchUpInside);
    driver.wait(1);
    EXPECT_EQ(sheet->view()->superview(), nullptr);
    auto metadata = editor->project()->getMetaData();
    ASSERT_TRUE(metadata);
    auto stored = metadata->getDictionary("META_RECORD_OUTLINE_DATA");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->getString("META_RECORD_OUTLINE_STUDIO"), "Owl Films");
}

TEST_F(FrameEditorActions, ATapOnAThemeCardOpensItsEditorOnceAndFinishingClosesIt)
{
    auto made = makeProject(2);
    made->getFrameList().insertFrame(zt::Frame(zt::FrameTypeThemeCard), 1);
    ASSERT_TRUE(made->saveAllDataToDisk().ok());
    open(made);
    goTo(1);
    tapPicture();
    auto cards = editor->themeCardEditViewController();
    ASSERT_NE(std::dynamic_pointer_cast<zt::ThemeCardEditViewController>(cards), nullptr);
    EXPECT_EQ(cards->nibName(), "ThemeCardEditViewController");
    editor->actionTextCardEdit();
    EXPECT_EQ(editor->themeCardEditViewController(), cards) << "a double tap opens one editor";
    EXPECT_EQ(cards->view()->superview(), editor->view());
    EXPECT_FALSE(editor->areSingleFrameControlsShown()) << "a card has no picture controls";
    post("ThemeCardEditFinishedNotification");
    driver.wait(0.35);  // fades out over 0.25 s
    EXPECT_EQ(editor->themeCardEditViewController(), nullptr);
    EXPECT_EQ(cards->view()->superview(), nullptr);
}

TEST_F(FrameEditorActions, TheSingleFrameButtonsShowTheirIcons)
{
    open(2);
    EXPECT_EQ(outlets().btnImageEdit->imageForState(plat::ControlStateNormal),
        plat::Image::imageNamed("frameedit_icon_crop"));
    EXPECT_EQ(outlets().btnImagePaint->imageForState(plat::ControlStateNormal),
        plat::Image::imageNamed("frameedit_icon_paint"));
    EXPECT_EQ(outlets().btnImageMask->imageForState(plat::ControlStateNormal),
        plat::Image::imageNamed("frameedit_icon_mask"));
    EXPECT_EQ(outlets().btnImageMerge->imageForState(plat::ControlStateNormal),
        plat::Image::imageNamed("frameedit_icon_merge"));
}

TEST_F(FrameEditorActions, TheHelpPagesOpenOverTheEditor)
{
    open(2);
    editor->showInternalHelp();
    driver.wait(1);
    auto pages = std::dynamic_pointer_cast<plat::NavigationController>(editor->presentedViewController());
    ASSERT_NE(pages, nullptr);
    auto top = pages->topViewController();
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->nibName(), "InfoCenterHelpViewController");
}

TEST_F(FrameEditorActions, BackFromTheHelpPagesThePersonIsWhereTheyWere)
{
    auto made = makeProject(4);
    made->getMetaData()->set("CurrentFrameIndex", 3);
    open(made);
    ASSERT_EQ(editor->currentFrame(), 3);
    goTo(0);
    editor->showInternalHelp();
    driver.wait(1);
    editor->dismissViewControllerAnimated(/*animated=*/false, nullptr);
    driver.wait(1);
    EXPECT_EQ(editor->currentFrame(), 0) << "not the stored place of the last opening";
}

TEST_F(FrameEditorActions, AnOrientationCorrectedRectangleIsAlwaysLandscape)
{
    EXPECT_EQ(FrameEditorViewController::getOrientationCorrectedRectFromRect(plat::makeRect(5, 6, 320, 568)),
        plat::makeRect(5, 6, 568, 320));
    EXPECT_EQ(FrameEditorViewController::getOrientationCorrectedRectFromRect(plat::makeRect(0, 0, 1024, 768)),
        plat::makeRect(0, 0, 1024, 768));
}

TEST_F(FrameEditorActions, TheHelpButtonOpensTheOverlayAndASecondTapClosesIt)
{
    open(4);
    ASSERT_TRUE(driver.tap("Help"));
    auto help = editor->frameEditorHelp();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isShown());
    EXPECT_TRUE(outlets().btnHelp->isSelected());
    EXPECT_FALSE(help->helpItems().empty());
    editor->actionHelp();
    EXPECT_EQ(editor->frameEditorHelp(), nullptr);
    EXPECT_FALSE(outlets().btnHelp->isSelected());
    driver.wait(1);
    ASSERT_NE(help->closeButton(), nullptr);
    EXPECT_EQ(help->closeButton()->superview(), nullptr);
    for (const auto& bubble : help->popovers())
        EXPECT_EQ(bubble->superview(), nullptr);
}

// The toolbar's popovers on a phone and on a tablet, each row reached by a
// tap as a person reaches it: the bubble must have room on its side.
class ToolbarPopovers : public FrameEditorActions, public ::testing::WithParamInterface<plat::UserInterfaceIdiom> {
protected:
    ToolbarPopovers()
        : FrameEditorActions(GetParam())
    {
        // The tablet's embedded capture screen gets a camera.
        plat::test::setUpCameras({plat::test::testPatternCamera(plat::CaptureDevicePosition::Back, 640, 360, 10)});
        // As the project explorer leaves it: the popovers may use the whole screen.
        plat::Application::sharedApplication().setStatusBarHidden(true);
    }
    // The open popover's content, shown whole on the screen at the size it asked for.
    template <typename Content> std::shared_ptr<Content> shownContent()
    {
        auto popover = editor->popoverController();
        auto bubble = popover ? std::dynamic_pointer_cast<zt::BubblePopoverContainerView>(popover->view()) : nullptr;
        if (!bubble || !bubble->contentView()) {
            ADD_FAILURE() << "no popover on screen";
            return nullptr;
        }
        const plat::Rect content = bubble->contentView()->convertRect(bubble->contentView()->bounds(), nullptr);
        EXPECT_EQ(content.size, popover->popoverContentSize());
        const plat::Rect screen = window->bounds();
        EXPECT_TRUE(content.minX() >= screen.minX() && content.minY() >= screen.minY()
            && content.maxX() <= screen.maxX() && content.maxY() <= screen.maxY())
            << "the content lies on the screen";
        return std::dynamic_pointer_cast<Content>(popover->contentViewController());
    }
};

TEST_P(ToolbarPopovers, TheMediaMenuOpensOnceAndAChoiceClosesIt)
{
    open(4);
    ASSERT_TRUE(driver.tap("Add Media"));
    auto popover = editor->popoverController();
    ASSERT_NE(popover, nullptr);
    editor->actionMusic();
    EXPECT_EQ(editor->popoverController(), popover) << "a double tap shows one menu";
    driver.wait(0.5);
    ASSERT_NE(shownContent<zt::MediaSelectionViewController>(), nullptr);
    ASSERT_TRUE(driver.tap("Theme Cards"));
    EXPECT_EQ(editor->popoverController(), nullptr);
    driver.wait(1);
    auto gallery = std::dynamic_pointer_cast<plat::NavigationController>(editor->presentedViewController());
    ASSERT_NE(gallery, nullptr) << "the theme-card gallery";
    EXPECT_EQ(gallery->modalPresentationStyle(), plat::ModalPresentationStyle::FormSheet);
    EXPECT_NE(std::dynamic_pointer_cast<zt::ThemeCardTableViewController>(gallery->topViewController()), nullptr);
    editor->dismissViewControllerAnimated(/*animated=*/false, nullptr);
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Add Media"));
    ASSERT_NE(editor->popoverController(), nullptr) << "the menu opens again once it is gone";
    EXPECT_NE(editor->popoverController(), popover);
}

TEST_P(ToolbarPopovers, TheMenusImagesAndSoundRowsOpenTheirPickersOverTheEditor)
{
    open(4);
    for (const char* row : {"Add Images", "Audio and Music"}) {
        SCOPED_TRACE(row);
        ASSERT_TRUE(driver.tap("Add Media"));
        driver.wait(0.5);
        ASSERT_NE(shownContent<zt::MediaSelectionViewController>(), nullptr);
        ASSERT_TRUE(driver.tap(row));
        driver.wait(1);
        EXPECT_EQ(editor->popoverController(), nullptr);
        ASSERT_NE(editor->presentedViewController(), nullptr) << "its picker";
        editor->dismissViewControllerAnimated(/*animated=*/false, nullptr);
        driver.wait(1);
        closeAlert();  // the photo picker's word that this device's library is empty
    }
}

TEST_P(ToolbarPopovers, TheOptionsOpenOnceAndTheirLoopSwitchAndSpeedButtonsStoreAtOnce)
{
    open(4);
    project->getMetaData()->set("RecordFPS", 5);
    ASSERT_TRUE(driver.tap("Playback Options"));
    driver.wait(1);
    auto popover = editor->popoverController();
    ASSERT_NE(popover, nullptr);
    EXPECT_EQ(editor->fps(), 5);
    editor->actionMore();
    EXPECT_EQ(editor->popoverController(), popover) << "a second tap opens no second popover";
    auto options = shownContent<zt::ConfigurationViewController>();
    ASSERT_NE(options, nullptr);
    auto loop = std::dynamic_pointer_cast<zt::ConfigurationCell>(
        options->tableView()->cellForRowAtIndexPath(plat::IndexPath::indexPathForRow(1, 0)));
    ASSERT_NE(loop, nullptr);
    ASSERT_EQ(loop->labelTitle()->text(), "Play as loop");
    ASSERT_TRUE(driver.tap(*loop->switchOnOff()));
    driver.wait(0.5);
    ASSERT_TRUE(driver.tap("Faster"));
    driver.wait(0.5);
    zt::ProjectModel stored(project->getProjectPath());
    EXPECT_EQ(stored.getMetaData()->getBool("PlayAsLoop"), false);
    EXPECT_EQ(stored.getMetaData()->get("RecordFPS").int64Value(), 6);
}

TEST_P(ToolbarPopovers, TheOptionsOpenedAndClosedUntouchedLeaveTheMetadataFileAsItWas)
{
    open(4);
    project->getMetaData()->set("RecordFPS", int64_t(5));
    project->getMetaData()->set("RecordNeedsRendering", false);
    ASSERT_TRUE(project->saveMetaDataToDisk().ok());
    const plat::Data before = plat::readFile(file("plovix.meta")).valueOr(plat::Data());
    ASSERT_TRUE(driver.tap("Playback Options"));
    driver.wait(1);
    ASSERT_NE(shownContent<zt::ConfigurationViewController>(), nullptr);
    driver.tapAt({20, 160});  // beside the bubble
    driver.wait(1);
    ASSERT_FALSE(editor->popoverController()->isPopoverVisible());
    EXPECT_EQ(plat::readFile(file("plovix.meta")).valueOr(plat::Data()), before);
}

// Every control and caption of the view's tree that shows, with its frame on the screen.
void collectShownParts(const std::shared_ptr<plat::View>& view, std::vector<std::shared_ptr<plat::View>>& parts)
{
    if (view->isHidden() || view->alpha() <= 0)
        return;
    auto label = std::dynamic_pointer_cast<plat::Label>(view);
    if (std::dynamic_pointer_cast<plat::Control>(view) || (label && !label->text().empty())) {
        parts.push_back(view);
        return;
    }
    for (const auto& subview : view->subviews())
        collectShownParts(subview, parts);
}

TEST_P(ToolbarPopovers, TheOptionsShowEveryControlWholeInsideTheirBubble)
{
    open(4);
    ASSERT_TRUE(driver.tap("Playback Options"));
    driver.wait(1);
    auto popover = editor->popoverController();
    ASSERT_NE(shownContent<zt::ConfigurationViewController>(), nullptr);
    auto bubble = std::dynamic_pointer_cast<zt::BubblePopoverContainerView>(popover->view());
    const plat::Rect content = bubble->contentView()->convertRect(bubble->contentView()->bounds(), nullptr);
    std::vector<std::shared_ptr<plat::View>> parts;
    collectShownParts(bubble->contentView(), parts);
    EXPECT_EQ(parts.size(), 11u) << "three switches and their titles, two step buttons, the slider, two texts";
    for (const auto& part : parts) {
        const plat::Rect frame = part->convertRect(part->bounds(), nullptr);
        EXPECT_TRUE(frame.minX() >= content.minX() && frame.minY() >= content.minY() && frame.maxX() <= content.maxX()
            && frame.maxY() <= content.maxY())
            << part->accessibilityLabel() << " at " << plat::stringFromRect(frame) << " leaves the bubble's "
            << plat::stringFromRect(content);
    }
    // The bubble alone, whatever lies behind it.
    auto picture = plat::renderViewToImage(*bubble, 1);
    ASSERT_NE(picture, nullptr);
    const std::string name = GetParam() == plat::UserInterfaceIdiom::Pad ? "tablet" : "phone";
    auto comparison = plat::test::compareWithReferencePicture(*picture,
        plat::test::sourcePath("tests/data/editor/playback_options_" + name + ".png"), sandbox.path("pictures"));
    EXPECT_TRUE(comparison.matches) << comparison.explanation;
}

// The frame menu, the hold panel and the voice-over panel over the editor's
// toolbar and picture: none of it may show through them beside their own
// icons and texts.
TEST_P(ToolbarPopovers, TheMenusAndPanelsHideWhatLiesBehindThem)
{
    open(4);
    goTo(1);
    auto item = strip().outlets().carousel->itemViewAtIndex(1);
    ASSERT_NE(item, nullptr);
    // The item's picture: its sound lanes lie below it.
    std::shared_ptr<plat::View> thumbnail;
    for (const auto& part : item->subviews())
        if (!thumbnail && part->tag() == zt::detail::kThumbnailTag)
            thumbnail = part;
    ASSERT_TRUE(thumbnail && driver.tap(*thumbnail));
    driver.wait(1);  // a second tap is waited out, then the menu fades in
    // A level or two is rounding where a stretched picture is drawn at a fraction of a pixel.
    constexpr int kUnseen = 2;
    // Inside the body, clear of its rounded corners and its shadow.
    auto bodyOf = [](const zt::BubblePopoverContainerView& bubble) {
        return bubble.contentView()->convertRect(bubble.contentView()->bounds(), nullptr);
    };
    auto menu = strip().popoverController();
    ASSERT_TRUE(menu && menu->view());
    EXPECT_LE(plat::test::largestSeeThrough(*window, *menu->view(), bodyOf(*menu->view())), kUnseen)
        << "the frame menu";
    ASSERT_TRUE(driver.tap("Hold"));
    driver.wait(1);
    ASSERT_TRUE(strip().popoverController() && strip().popoverController()->view());
    const auto& hold = *strip().popoverController()->view();
    EXPECT_LE(plat::test::largestSeeThrough(*window, *strip().popoverController()->view(), bodyOf(hold)), kUnseen)
        << "the hold panel";
    strip().popoverController()->dismissPopoverAnimated(/*animated=*/false);
    driver.wait(0.5);

    ASSERT_TRUE(driver.tap("Voice-over"));
    driver.wait(1);
    auto recorder = editor->audioRecorderView();
    ASSERT_NE(recorder, nullptr);
    constexpr double kCornerInset = 10;
    const plat::Rect panel = recorder->view()->convertRect(recorder->view()->bounds(), nullptr);
    EXPECT_LE(plat::test::largestSeeThrough(*window, *recorder->view(),
                  plat::makeRect(panel.minX() + kCornerInset, panel.minY() + kCornerInset,
                      panel.width() - 2 * kCornerInset, panel.height() - 2 * kCornerInset)),
        kUnseen)
        << "the voice-over panel";
}

INSTANTIATE_TEST_SUITE_P(Idioms, ToolbarPopovers, plat::test::bothIdioms(), plat::test::idiomName);

TEST_F(FrameEditorActions, TheVoiceOverPanelOpenedTwiceShowsOnceAndATapBesideItClosesIt)
{
    open(4);
    goTo(2);
    ASSERT_TRUE(driver.tap("Voice-over"));
    auto recorder = editor->audioRecorderView();
    ASSERT_NE(recorder, nullptr);
    editor->actionAudio();
    EXPECT_EQ(editor->audioRecorderView(), recorder);
    driver.wait(0.5);  // rises over 0.5 s
    int catchButtons = 0;
    int panels = 0;
    for (const auto& subview : editor->view()->subviews()) {
        catchButtons += subview == editor->btnCloseModalController();
        panels += subview == recorder->view();
    }
    EXPECT_EQ(catchButtons, 1);
    EXPECT_EQ(panels, 1);
    EXPECT_EQ(recorder->startRecordingAtFrame(), 2);
    EXPECT_EQ(recorder->view()->frame().maxY(), 320) << "it slid up to the bottom edge";
    EXPECT_FALSE(outlets().btnForward->isEnabled());

    ASSERT_TRUE(driver.tap(*editor->btnCloseModalController()));
    driver.wait(0.6);  // goes down over 0.5 s
    EXPECT_EQ(editor->audioRecorderView(), nullptr);
    EXPECT_EQ(recorder->view()->superview(), nullptr);
    EXPECT_TRUE(outlets().btnForward->isEnabled());
    EXPECT_EQ(outlets().viewPlayerViewController->frame().maxY(), 320) << "the strip is back";
}

TEST_F(FrameEditorActions, AVoiceOverLandsAtTheFrameWhereItsRecordingStarted)
{
    open(12);
    goTo(7);
    editor->actionAudio();
    auto recorder = editor->audioRecorderView();
    ASSERT_NE(recorder, nullptr);
    driver.wait(0.5);
    // The recorder's callbacks as it sends them; the movie plays on meanwhile.
    editor->audioRecorderDidStartRecording(*recorder);
    driver.wait(0.6);
    EXPECT_GT(editor->currentFrame(), 7);
    editor->audioRecorderDidStopRecording(*recorder, voice(1.0));
    auto clip = editor->audioController()->getAudioClipForFrameAtIndex(7, int64_t {0});
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->type(), zt::AudioClip::VoiceOver);
    EXPECT_EQ(clip->startFrameIndex(), 7);
    EXPECT_EQ(clip->linkToFrameUID(), frames().getFrameAtIndex(7)->UID());
    // The strip shows the clip land in its lane and keeps it in view, to be
    // tapped; a jump brings the frames back.
    auto strip = outlets().viewPlayerViewController;
    driver.wait(8);
    EXPECT_GT(strip->contentOffset().y, 0) << "the audio lanes";
    editor->actionBackToFirstFrame();
    driver.wait(1);
    EXPECT_EQ(strip->contentOffset().y, 0) << "the frames";
}

TEST_F(FrameEditorActions, NoRoomForAVoiceOverOpensNoPanelAndLeavesTheToolbarEnabled)
{
    open(12);
    goTo(7);
    for (int track = 0; track < 2; ++track)
        editor->audioController()->addAudioFromFile(voice(1.0), 7, std::nullopt, zt::AudioClip::SoundEffect);
    editor->actionAudio();
    EXPECT_EQ(editor->audioRecorderView(), nullptr);
    EXPECT_EQ(alertText(), "Error\nToo many clips already exist at playhead.");
    closeAlert();
    for (const auto& button : {outlets().btnPlay, outlets().btnMore, outlets().btnExplorer, outlets().btnAudio,
             outlets().btnCamera, outlets().btnForward})
        EXPECT_TRUE(button->isEnabled()) << button->accessibilityLabel();
}

TEST_F(FrameEditorActions, ClosingWhilePanelsAnimateLeavesNothingBehind)
{
    open(4);
    goTo(1);
    post("ShowActivityNotification", plat::Dictionary {{"INFO", "Working"}});
    tapPicture();
    editor->showSingleFrameControls();  // fading out
    editor->actionAudio();  // sliding in
    std::weak_ptr<FrameEditorViewController> weakEditor = editor;
    auto view = editor->view();
    auto controls = outlets().viewSingleFrameEditControls;
    editor->actionProjectExplorer();
    EXPECT_EQ(editor->audioRecorderView(), nullptr);
    EXPECT_EQ(editor->btnCloseModalController(), nullptr);
    EXPECT_EQ(controls->superview(), nullptr);
    driver.wait(0.24);
    EXPECT_EQ(closing->closed, 0) << "the panels' animations do not cut the fade short";
    driver.wait(0.02);
    EXPECT_EQ(closing->closed, 1);
    view->removeFromSuperview();
    editor->removeFromParentViewController();
    editor.reset();
    driver.wait(30);  // every timer the screen had would have fired
    EXPECT_TRUE(weakEditor.expired()) << "nothing keeps the screen";
    for (const auto& subview : view->subviews()) {
        EXPECT_EQ(std::dynamic_pointer_cast<plat::Button>(subview), nullptr) << "a catch button stayed";
    }
}

TEST_F(FrameEditorActions, LeavingWhenTheProjectCannotBeSavedSaysWhyInTheSystemsWords)
{
    open(2);
    {
        plat::test::FailingWrites readOnly("plovix.meta", plat::detail::WriteFailurePoint::ReadOnly);
        close();
    }
    EXPECT_EQ(closing->closed, 1) << "the person still leaves";
    EXPECT_EQ(alertText(), "Error\nThe project could not be saved.\nRead-only file system.");
}

TEST_F(FrameEditorActions, UndoTakesBackTheStripsDelete)
{
    open(4);
    goTo(1);
    const std::string deleted = *frames().getFrameIDAtIndex(1);
    driver.tapAt({284, 259});  // the centred item of the strip
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Delete"));
    driver.wait(1);
    ASSERT_EQ(frames().count(), 4);
    editor->actionUndoRedo();
    driver.wait(1);
    EXPECT_EQ(frames().count(), 5);
    EXPECT_EQ(frames().getFrameIDAtIndex(1), deleted);
}

}  // namespace

namespace {
class TabletFrameEditorActions : public zt::test::TabletFrameEditorScene { };
}  // namespace

TEST_F(TabletFrameEditorActions, ThePainterOpensAtOnceOverTheCaptureScreenAndComesBack)
{
    ASSERT_TRUE(zt::HelpStateFile::recordShown("PaintColor").ok());
    open(3);
    goTo(1);
    editor->actionDraw();
    // No zoom on a tablet: the painter is there at once, over the whole screen.
    auto painter = std::dynamic_pointer_cast<zt::PainterViewController>(editor->presentedViewController());
    ASSERT_TRUE(painter);
    driver.wait(1);
    EXPECT_EQ(painter->view()->frame(), plat::makeRect(0, 0, 1024, 768));
    EXPECT_EQ(painter->paintMainView()->frame(), plat::makeRect(0, 96, 1024, 576));
    ASSERT_TRUE(driver.tap("Back"));
    driver.wait(1);
    EXPECT_EQ(editor->presentedViewController(), nullptr);
    EXPECT_EQ(editor->currentFrame(), 1);
}

namespace {

class TabletCaptureCounter : public zt::test::TabletFrameEditorScene {
protected:
    std::string counterText() const
    {
        auto label = std::dynamic_pointer_cast<plat::Label>(driver.findOutlet("frameLabel"));
        return label ? label->text() : "<no counter>";
    }
    // Taps the item's thumbnail, then a command of its menu.
    void tapItemAndChoose(int64_t index, const std::string& command)
    {
        readAnyCoachMark();
        goTo(index);
        auto item = strip().outlets().carousel->itemViewAtIndex(index);
        ASSERT_NE(item, nullptr);
        ASSERT_TRUE(driver.tap(*item->subviews().front())) << "the thumbnail of " << index;
        driver.wait(1);  // a second tap is waited out, then the menu fades in
        ASSERT_TRUE(driver.tap(command)) << command;
        driver.wait(1);
    }
    void addTwoPhotos()
    {
        auto library = plat::PhotoLibrary::forCurrentSandbox();
        for (auto colour : {Rgba {200, 0, 0, 255}, Rgba {0, 0, 200, 255}})
            ASSERT_TRUE(library.saveImage(*plat::test::makeFlatImage(64, 48, colour)).ok());
        readAnyCoachMark();
        for (const char* tap : {"Add Media", "Add Images", "Camera Roll", "IMG_0001.JPG", "IMG_0002.JPG", "Done"}) {
            ASSERT_TRUE(plat::test::runMainLoopUntil([&] {
                driver.wait(0.1);
                return driver.findView(tap) != nullptr;
            })) << tap;
            ASSERT_TRUE(driver.tap(tap)) << tap;
            driver.wait(1);
        }
        ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return frames().count() == 13; }));
        driver.wait(1);
    }
    void holdThreeTimes()
    {
        tapItemAndChoose(3, "Hold");
        for (const char* tap : {"More", "More", "Hold 3 times"}) {
            ASSERT_TRUE(driver.tap(tap)) << tap;
            driver.wait(0.5);
        }
    }
    void chooseATheme()
    {
        readAnyCoachMark();
        for (const char* tap : {"Movie Look", "Sky", "Done"}) {
            ASSERT_TRUE(driver.tap(tap)) << tap;
            driver.wait(3);
        }
    }
    void pasteThree()
    {
        tapItemAndChoose(6, "Select");
        tapItemAndChoose(8, "Copy");
        tapItemAndChoose(9, "Paste");
        // The paste is done when its frames are saved, after the last one's files came.
        ASSERT_TRUE(plat::test::runMainLoopUntil(
            [&] { return zt::ProjectModel(project->getProjectPath()).getFrameList().count() == 18; }));
        driver.wait(1);
    }
};

// Ten pictures and the capture placeholder; the capture screen beside the
// editor counts every change of the frames, not only its own pictures.
TEST_F(TabletCaptureCounter, FollowsPhotosAddedAHoldAndAPaste)
{
    open(10);
    ASSERT_EQ(counterText(), "0011 / 0011");
    const struct {
        const char* step;
        std::function<void()> run;
        const char* counter;
    } steps[] = {
        {"two photos added", [this] { addTwoPhotos(); }, "0013 / 0013"},
        {"a frame held three times", [this] { holdThreeTimes(); }, "0015 / 0015"},
        {"three frames pasted", [this] { pasteThree(); }, "0018 / 0018"},
        // Four seconds of title before the frames and of credits after them, at five frames a second.
        {"a theme chosen", [this] { chooseATheme(); }, "0038 / 0058"},
    };
    for (const auto& [step, run, counter] : steps) {
        run();
        EXPECT_EQ(counterText(), counter) << step;
    }
}

}  // namespace

namespace {

class RenamedTitle : public FrameEditorActions, public ::testing::WithParamInterface<plat::UserInterfaceIdiom> {
protected:
    RenamedTitle()
        : FrameEditorActions(GetParam())
    {
        // The tablet's embedded capture screen gets a camera.
        plat::test::setUpCameras({plat::test::testPatternCamera(plat::CaptureDevicePosition::Back, 640, 360, 10)});
    }
    void tapAndWait(const std::string& text, double seconds)
    {
        readAnyCoachMark();
        ASSERT_TRUE(driver.tap(text)) << text;
        driver.wait(seconds);
    }
    // The strip's tiles of title and credits entries in view; each counted
    // when it shows, drawn, something else than its card's thumbnail as the
    // card's file holds it now.
    std::pair<int, int> cardTilesAndStaleOnes()
    {
        int tiles = 0;
        int stale = 0;
        auto& carousel = *strip().outlets().carousel;
        for (int64_t index : carousel.indexesForVisibleItems()) {
            auto frame = frames().getFrameAtIndex(index);
            if (!frame || (frame->type() != zt::FrameTypeTitle && frame->type() != zt::FrameTypeCredits))
                continue;
            auto tile = std::dynamic_pointer_cast<plat::ImageView>(carousel.itemViewAtIndex(index)->subviews().front());
            if (!tile)
                continue;
            auto card = std::make_shared<plat::ImageView>(tile->bounds());
            card->setContentMode(tile->contentMode());
            card->setClipsToBounds(true);
            card->setImage(plat::Image::imageWithContentsOfFile(file("thumb-" + frame->frameID() + ".jpg")));
            constexpr double kScreenScale = 2;
            auto shown = plat::renderViewToImage(*tile, kScreenScale);
            auto expected = plat::renderViewToImage(*card, kScreenScale);
            ++tiles;
            stale += plat::test::differingPixels(*shown, *expected, 24) > 0;
        }
        return {tiles, stale};
    }
};

// The movie's name changed on the outline: once the cards are drawn again,
// the strip's title and credits tiles show them, without a jump to the
// first frame or a project opened again.
TEST_P(RenamedTitle, TheStripsCardTilesShowTheNewName)
{
    open(3);
    tapAndWait("Movie Look", 1);
    tapAndWait("Sky", 3);
    tapAndWait("Outline", 1);
    auto sheet = editor->outlineNavigationController();
    ASSERT_NE(sheet, nullptr);
    auto outline = std::dynamic_pointer_cast<zt::OutlineViewController>(sheet->topViewController());
    ASSERT_NE(outline, nullptr);
    auto name = std::dynamic_pointer_cast<zt::APTextFieldCell>(outline->tableView()->cellForRowAtIndexPath({0, 0}));
    ASSERT_NE(name, nullptr);
    ASSERT_TRUE(driver.tap(*name->rightTextField()));
    ASSERT_TRUE(driver.type(" of Kites"));
    tapAndWait("Done", 0);
    const struct {
        const char* moment;
        std::function<void()> reach;
    } moments[] = {
        {"10 s after Done", [this] { driver.wait(10); }},
        {"after Play and Stop",
            [this] {
                tapAndWait("Play", 2);
                tapAndWait("Stop", 1);
            }},
    };
    for (const auto& [moment, reach] : moments) {
        reach();
        const auto [tiles, stale] = cardTilesAndStaleOnes();
        EXPECT_TRUE(tiles > 0 && stale == 0)
            << moment << ": " << stale << " of " << tiles << " tiles show the old cards";
    }
}

INSTANTIATE_TEST_SUITE_P(Idioms, RenamedTitle, plat::test::bothIdioms(), plat::test::idiomName);

}  // namespace
