// The coach mark and the help overlay as a person sees them, over a
// stand-in of the frame editor's screen, against their reference pictures;
// a missing circle, arrow, text, button or bubble fails the comparison.
#include <gtest/gtest.h>

#include "editor/FrameEditorCoachMarks.h"
#include "editor/FrameEditorHelp.h"
#include "editor/FrameEditorHelpItems.h"
#include "editor/HelpTestSupport.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/testing/PictureComparison.h"
#include "uikit/HelpManager.h"
#include "uikit/TipPopoverView.h"
#include "uikit/VerticallyAlignedLabel.h"

namespace {

plat::test::PictureComparison compare(plat::Window& window, const std::string& reference, const std::string& output)
{
    auto picture = plat::snapshotWindow(window, 1);
    if (!picture)
        return {};
    return plat::test::compareWithReferencePicture(
        *picture, plat::test::sourcePath("tests/data/editor/" + reference), output);
}

class CoachMarkPicture : public zt::test::EditorScreens {
protected:
    CoachMarkPicture()
        : screen(*window)
    {
        coachMark = zt::showFrameEditorCoachMark(16, screen.controls, {});
        driver.wait(0.25);  // fully shown
    }

    zt::test::StandInEditorScreen screen;
    std::shared_ptr<zt::HelpManager> coachMark;
    plat::test::TemporaryFolder output;
};

TEST_F(CoachMarkPicture, DimsTheScreenAndRingsTheStripWithItsTextsAndNext)
{
    ASSERT_TRUE(coachMark);
    auto result = compare(*window, "coach_mark_timeline.png", output.path());
    EXPECT_TRUE(result.matches) << result.explanation;
}

TEST_F(CoachMarkPicture, AMissingPartFailsTheComparison)
{
    ASSERT_TRUE(coachMark);
    const auto& outlets = coachMark->outlets();
    const std::pair<std::shared_ptr<plat::View>, const char*> parts[]
        = {{coachMark->imageViewCircle(), "circle"}, {outlets.imageViewArrow, "arrow"}, {outlets.labelTitle, "title"},
            {outlets.labelDescription, "description"}, {outlets.btnNext, "Next"}};
    for (const auto& [part, name] : parts) {
        part->setHidden(true);
        EXPECT_FALSE(compare(*window, "coach_mark_timeline.png", output.path()).matches) << "without the " << name;
        part->setHidden(false);
    }
}

class HelpOverlayPicture : public zt::test::EditorScreens {
protected:
    explicit HelpOverlayPicture(plat::UserInterfaceIdiom idiom = plat::UserInterfaceIdiom::Phone)
        : EditorScreens(idiom)
        , screen(*window)
    {
        zt::addFrameEditorHelpItems(*help, screen.controls, [] {});
        help->showHelpInView(screen.host);
        driver.wait(1);
    }

    zt::test::StandInEditorScreen screen;
    std::shared_ptr<zt::FrameEditorHelp> help = std::make_shared<zt::FrameEditorHelp>();
    plat::test::TemporaryFolder output;
};

TEST_F(HelpOverlayPicture, OnAPhoneABubblePointsAtEachControl)
{
    auto result = compare(*window, "help_overlay_phone.png", output.path());
    EXPECT_TRUE(result.matches) << result.explanation;
}

TEST_F(HelpOverlayPicture, AMissingBubbleFailsTheComparison)
{
    for (size_t index : {0u, 6u, 8u}) {
        help->popovers()[index]->setHidden(true);
        EXPECT_FALSE(compare(*window, "help_overlay_phone.png", output.path()).matches) << "without bubble " << index;
        help->popovers()[index]->setHidden(false);
    }
}

class TabletHelpOverlayPicture : public HelpOverlayPicture {
protected:
    TabletHelpOverlayPicture()
        : HelpOverlayPicture(plat::UserInterfaceIdiom::Pad)
    {
    }
};

TEST_F(TabletHelpOverlayPicture, OnATabletTheBubblesAlsoPointAtTheCaptureScreen)
{
    auto result = compare(*window, "help_overlay_tablet.png", output.path());
    EXPECT_TRUE(result.matches) << result.explanation;
}

}  // namespace
