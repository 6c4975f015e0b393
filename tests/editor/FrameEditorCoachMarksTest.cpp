// The frame editor's coach marks by the frame count: which one is due, in
// what order they come across dismissals, and where each points.
#include <gtest/gtest.h>

#include "editor/FrameEditorCoachMarks.h"
#include "editor/HelpManager.h"
#include "editor/HelpManagerDelegate.h"
#include "editor/HelpStateFile.h"
#include "editor/HelpTestSupport.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/PropertyList.h"

namespace {

using zt::HelpManager;

struct Expected {
    const char* name;
    plat::Point spot;
    uint64_t nextPosition;
};

class EditorCoachMarks : public zt::test::EditorScreens {
protected:
    explicit EditorCoachMarks(plat::UserInterfaceIdiom idiom = plat::UserInterfaceIdiom::Phone)
        : EditorScreens(idiom)
        , screen(*window)
    {
    }

    std::shared_ptr<HelpManager> showAt(int64_t count)
    {
        auto coachMark = zt::showFrameEditorCoachMark(count, screen.controls, delegate);
        driver.wait(HelpManager::kFadeSeconds);
        return coachMark;
    }

    void dismiss(HelpManager& coachMark)
    {
        driver.tap(*coachMark.outlets().btnNext);
        driver.wait(HelpManager::kFadeSeconds);
    }

    // Shows what is due at the highest count and taps Next, until none is
    // left: each comes once, in order, over the screen and fully faded in.
    void expectAllInOrderOneDismissalAtATime()
    {
        const size_t screenViews = screen.host->subviews().size();
        std::vector<std::string> shown;
        while (auto coachMark = showAt(41)) {
            shown.push_back(coachMark->name());
            EXPECT_EQ(coachMark->view()->superview(), screen.host);
            EXPECT_DOUBLE_EQ(coachMark->view()->alpha(), 1.0);
            EXPECT_EQ(coachMark->delegate(), delegate);
            dismiss(*coachMark);
            ASSERT_LE(shown.size(), 6u);
        }
        EXPECT_EQ(
            shown, (std::vector<std::string> {"Timeline", "Media", "CopyPaste", "Speed", "Effects", "ImageEdit"}));
        EXPECT_EQ(screen.host->subviews().size(), screenViews) << "every overlay went";
    }

    void expectEachAtItsSpot(const std::vector<Expected>& expected)
    {
        for (const Expected& mark : expected) {
            recordAllBut(mark.name);
            auto coachMark = showAt(41);
            ASSERT_TRUE(coachMark) << mark.name;
            EXPECT_EQ(coachMark->name(), mark.name);
            EXPECT_NEAR(coachMark->positionLabel().x, mark.spot.x, 0.01) << mark.name;
            EXPECT_NEAR(coachMark->positionLabel().y, mark.spot.y, 0.01) << mark.name;
            EXPECT_EQ(coachMark->positionNextBtn(), mark.nextPosition) << mark.name;
            EXPECT_EQ(coachMark->view()->frame(), screen.host->bounds()) << mark.name;
            coachMark->view()->removeFromSuperview();
        }
    }

    void recordAllBut(const std::string& name)
    {
        plat::Dictionary shown;
        for (const auto& mark : zt::kFrameEditorCoachMarks)
            if (mark.name != name)
                shown.set(mark.name, true);
        ASSERT_TRUE(plat::writePropertyListFile(plat::Value(shown), zt::HelpStateFile::path()).ok());
    }

    class Delegate : public zt::HelpManagerDelegate { };
    zt::test::StandInEditorScreen screen;
    std::shared_ptr<Delegate> delegate = std::make_shared<Delegate>();
};

TEST_F(EditorCoachMarks, NoneIsDueBelowElevenEntries)
{
    EXPECT_FALSE(showAt(10));
    EXPECT_FALSE(showAt(1));
    auto coachMark = showAt(11);
    ASSERT_TRUE(coachMark);
    EXPECT_EQ(coachMark->name(), "Timeline");
}

TEST_F(EditorCoachMarks, EachDismissalLetsTheNextComeInOrderUntilAllWereShown)
{
    expectAllInOrderOneDismissalAtATime();
}

TEST_F(EditorCoachMarks, TheSearchStopsAtTheFirstCountNotReached)
{
    auto timeline = showAt(15);
    ASSERT_TRUE(timeline);
    dismiss(*timeline);
    EXPECT_FALSE(showAt(15)) << "Media needs 16";
    auto media = showAt(16);
    ASSERT_TRUE(media);
    EXPECT_EQ(media->name(), "Media");
}

TEST_F(EditorCoachMarks, StaysDueUntilItsNextIsTapped)
{
    auto first = showAt(11);
    ASSERT_TRUE(first);
    auto second = showAt(11);
    ASSERT_TRUE(second) << "the editor itself shows one per screen life";
    EXPECT_EQ(second->name(), "Timeline") << "nothing is recorded before Next";
}

TEST_F(EditorCoachMarks, EachPointsAtItsControlInTheScreensCoordinates)
{
    // The stand-in phone screen: panels 79.56 wide, the right one from 488.44,
    // the strip below 230, the picture between the panels.
    const std::vector<Expected> expected = {
        {"Timeline", {284, 275}, 2},
        {"Media", {39.78, 140}, 2},
        {"CopyPaste", {284, 275}, 2},
        {"Speed", {528.22, 110}, 3},
        {"Effects", {39.78, 195}, 2},
        {"ImageEdit", {384, 115}, 2},
    };
    expectEachAtItsSpot(expected);
}

class TabletEditorCoachMarks : public EditorCoachMarks {
protected:
    TabletEditorCoachMarks()
        : EditorCoachMarks(plat::UserInterfaceIdiom::Pad)
    {
    }
};

TEST_F(TabletEditorCoachMarks, EachDismissalLetsTheNextComeInOrderUntilAllWereShown)
{
    expectAllInOrderOneDismissalAtATime();
}

TEST_F(TabletEditorCoachMarks, EachPointsAtItsControlWithNextAtTheBottomRight)
{
    // The stand-in tablet screen: panels 112 wide, the right one from 912,
    // the strip below 620, the picture between the panels and 450 high.
    expectEachAtItsSpot({
        {"Timeline", {512, 694}, HelpManager::NextButtonBottomRight},
        {"Media", {56, 210}, HelpManager::NextButtonBottomRight},
        {"CopyPaste", {512, 694}, HelpManager::NextButtonBottomRight},
        {"Speed", {968, 40}, HelpManager::NextButtonBottomRight},
        {"Effects", {56, 300}, HelpManager::NextButtonBottomRight},
        {"ImageEdit", {612, 225}, HelpManager::NextButtonBottomRight},
    });
}

}  // namespace
