#include "editor/TimelineViewController.h"

#include "editor/StripTestSupport.h"

namespace {

using zt::test::StripTest;

class Timeline : public StripTest {
protected:
    void showTimeline(int entries, double width)
    {
        std::vector<std::string> frames;
        for (int i = 0; i + 1 < entries; ++i)
            frames.push_back("F" + std::to_string(i));
        project = makeProject(frames);
        timeline = std::make_shared<zt::TimelineViewController>(project);
        root->addChildViewController(timeline);
        auto view = timeline->view();
        view->setFrame(plat::makeRect(0, 320 - view->bounds().height(), width, view->bounds().height()));
        root->view()->addSubview(view);
        picture = std::make_shared<plat::ImageView>(plat::makeRect(0, 0, 300, 100));
        root->view()->addSubview(picture);
        timeline->setImageViewPreview(picture);
        timeline->setFrameEditDelegate(editor);
        timeline->updateClip();
        driver.wait(0);
    }
    plat::ScrollView& scroller() const { return *timeline->outlets().viewClipScroller; }
    void scrollTo(double x)
    {
        scroller().setContentOffset({x, 0});
        driver.wait(0);
    }
    std::vector<int64_t> tileFrames() const
    {
        std::vector<int64_t> shown;
        for (const auto& tile : timeline->tiles()) {
            for (int64_t i = 0; i < project->getFrameList().count(); ++i) {
                auto expected = zt::test::colourFor("F" + std::to_string(i));
                if (tile->image()
                    && plat::test::componentDistance(plat::test::pixelAt(*tile->image(), 136, 76), expected) <= 12) {
                    shown.push_back(i);
                    break;
                }
            }
        }
        return shown;
    }
    ~Timeline() override
    {
        if (timeline)
            timeline->viewWillClose();
    }

    std::shared_ptr<zt::TimelineViewController> timeline;
};

TEST_F(Timeline, ThreeFramesInA440PointViewGetATileEachAnd44PointsOfScrolling)
{
    showTimeline(4, 440);
    EXPECT_EQ(timeline->tiles().size(), 4u) << "the placeholder has a tile too";
    EXPECT_EQ(timeline->pointsPerFrame(), 44);
    EXPECT_EQ(timeline->outlets().viewClip->frame(), plat::makeRect(220, 10, 176, 25));
    EXPECT_EQ(timeline->outlets().viewClipShadow->frame(), plat::makeRect(222, 12, 172, 21));
    EXPECT_EQ(scroller().contentSize(), (plat::Size {176 + 440, 45}));
    EXPECT_EQ(tileFrames(), (std::vector<int64_t> {0, 1, 2}));
    EXPECT_EQ(timeline->getCurrentFrame(), -1);
}

TEST_F(Timeline, TwentyFiveFramesSampleEverySecondFrame)
{
    showTimeline(25, 440);
    ASSERT_EQ(timeline->tiles().size(), 10u);
    EXPECT_EQ(tileFrames(), (std::vector<int64_t> {0, 2, 4, 6, 8, 10, 12, 14, 16, 18}));
    EXPECT_NEAR(timeline->pointsPerFrame(), 17.6, 1e-9);
    scrollTo(17.6 * 7 + 1);
    EXPECT_EQ(timeline->getCurrentFrame(), 7);
    EXPECT_EQ(timeline->outlets().labelFrameNumber->text(), "8 / 25");
    EXPECT_EQ(editor->currentFrames.back(), 7);
}

TEST_F(Timeline, ARebuildReplacesTheTilesInsteadOfPilingThemUp)
{
    showTimeline(25, 440);
    timeline->updateClip();
    timeline->updateClip();
    EXPECT_EQ(timeline->tiles().size(), 10u);
    EXPECT_EQ(timeline->outlets().viewClip->subviews().size(), 10u);
    project->getFrameList().removeFrameAtIndex(0);
    for (int i = 0; i < 20; ++i)
        project->getFrameList().removeFrameAtIndex(0);
    timeline->updateClip();
    EXPECT_EQ(timeline->outlets().viewClip->subviews().size(), 4u);
}

TEST_F(Timeline, APinnedFrameHoldsUntilTheUserDrags)
{
    showTimeline(10, 440);
    timeline->scrollToFrame(3);
    EXPECT_EQ(timeline->getCurrentFrame(), 3);
    EXPECT_EQ(scroller().contentOffset().x, 3 * 44);
    scrollTo(300);
    EXPECT_EQ(timeline->getCurrentFrame(), 3) << "pinned";
    const plat::Point middle = scroller().convertPoint({scroller().bounds().midX(), 20}, nullptr);
    driver.drag(middle, {middle.x - 100, middle.y});
    driver.wait(1);
    EXPECT_EQ(editor->scrollStarts, 1);
    EXPECT_NE(timeline->getCurrentFrame(), 3);
}

TEST_F(Timeline, ScrollingPastEitherEndReportsTheFirstOrLastFrame)
{
    showTimeline(10, 440);
    scrollTo(5000);
    EXPECT_EQ(timeline->getCurrentFrame(), 9);
    scrollTo(-80);
    EXPECT_EQ(timeline->getCurrentFrame(), 0);
}

TEST_F(Timeline, AViewNarrowerThanATileHasNoTilesAndShowsFrameZero)
{
    showTimeline(10, 40);
    EXPECT_TRUE(timeline->tiles().empty());
    EXPECT_EQ(timeline->pointsPerFrame(), 0);
    scrollTo(10);
    EXPECT_EQ(timeline->getCurrentFrame(), 0);
    timeline->scrollToFrame(6);
    EXPECT_EQ(scroller().contentOffset().x, 0);
    EXPECT_EQ(timeline->getCurrentFrame(), 6);
}

TEST_F(Timeline, TheFullPictureFollowsHalfASecondAfterThePreviewOnEveryScroll)
{
    showTimeline(4, 440);
    for (int64_t frame : {1, 2}) {
        timeline->scrollToFrame(frame);
        ASSERT_NE(picture->image(), nullptr);
        EXPECT_EQ(picture->image()->size(), (plat::Size {796, 448})) << "the preview of frame " << frame;
        clock.advance(1);  // the deadline, then the next check of the half-second timer
        EXPECT_EQ(picture->image()->size(), (plat::Size {64, 36})) << "the full picture of frame " << frame;
        EXPECT_LE(plat::test::componentDistance(
                      plat::test::pixelAt(*picture->image(), 30, 18), zt::test::colourFor("F" + std::to_string(frame))),
            12);
    }
    EXPECT_TRUE(editor->fullPictures.empty()) << "the timeline does not report it";
}

TEST_F(Timeline, ADoubleTapZoomsIn)
{
    showTimeline(4, 440);
    driver.doubleTapAt(timeline->view()->convertPoint({100, 50}, nullptr));
    driver.wait(0.5);
    EXPECT_EQ(editor->zoomIns, 1);
}

}  // namespace
