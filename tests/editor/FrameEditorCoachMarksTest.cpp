// The coach marks the frame editor shows as a project grows: at most one a
// screen life, in their order, each once for good.
#include "editor/FrameEditorTestSupport.h"

namespace {

using zt::test::FrameEditorScene;
using zt::test::TabletFrameEditorScene;

class FrameEditorCoachMarks : public FrameEditorScene {
protected:
    std::string shownName() const { return editor->helpManager() ? editor->helpManager()->name() : "<none>"; }
    void readToTheEnd()
    {
        ASSERT_NE(editor->helpManager(), nullptr);
        ASSERT_TRUE(driver.tap(*editor->helpManager()->outlets().btnNext));
        driver.wait(0.25);  // fades out over 0.25 s
        EXPECT_EQ(editor->helpManager(), nullptr);
    }
    // Leaves the editor and opens it again on the same project.
    void reopen()
    {
        close();
        closing->closed = 0;
        auto same = std::make_shared<zt::ProjectModel>(project->getProjectPath());
        open(same);
    }
};

class TabletFrameEditorCoachMarks : public TabletFrameEditorScene { };

TEST_F(FrameEditorCoachMarks, TenEntriesBringNone)
{
    open(9);
    EXPECT_EQ(shownName(), "<none>");
    EXPECT_FALSE(editor->isHelpShownThisTime());
}

TEST_F(FrameEditorCoachMarks, ElevenEntriesBringTheTimelinesOnceAScreenLife)
{
    open(10);
    EXPECT_EQ(shownName(), "Timeline");
    EXPECT_TRUE(editor->isHelpShownThisTime());
    readToTheEnd();
    // Five more pictures reach the next one's count: it waits for the next opening.
    zt::ImageProducer producer(project);
    for (int i = 0; i < 5; ++i) {
        zt::Frame frame(zt::FrameTypePicture);
        ASSERT_TRUE(producer.storeImage(*plat::test::makeFlatImage(32, 18, {9, 9, 9, 255}), frame.frameID()));
        frames().insertFrame(frame, frames().getCaptureIndex());
        post("AddFrameNotification", plat::Dictionary {{"FRAME", frame.encode()}});
    }
    driver.wait(1);
    EXPECT_EQ(frames().count(), 16);
    EXPECT_EQ(shownName(), "<none>");
    ASSERT_TRUE(project->saveAllDataToDisk().ok());
    reopen();
    EXPECT_EQ(shownName(), "Media");
}

TEST_F(FrameEditorCoachMarks, AllSixComeInTheirOrderOneAScreenLifeAndThenNone)
{
    open(40);
    for (const char* expected : {"Timeline", "Media", "CopyPaste", "Speed", "Effects", "ImageEdit"}) {
        EXPECT_EQ(shownName(), expected);
        readToTheEnd();
        reopen();
    }
    EXPECT_EQ(shownName(), "<none>") << "every one was read";
}

TEST_F(FrameEditorCoachMarks, OneLeftUnreadComesAgainAndClosingTakesItDown)
{
    open(10);
    ASSERT_EQ(shownName(), "Timeline");
    auto overlay = editor->helpManager()->view();
    reopen();
    EXPECT_EQ(overlay->superview(), nullptr) << "closing took it down";
    EXPECT_EQ(shownName(), "Timeline");
}

TEST_F(FrameEditorCoachMarks, TheCoachMarkRingsTheStrip)
{
    open(10);
    ASSERT_NE(editor->helpManager(), nullptr);
    const plat::Rect strip = outlets().viewPlayerViewController->frame();
    EXPECT_EQ(editor->helpManager()->positionLabel(), (plat::Point {strip.midX(), strip.midY()}));
    EXPECT_EQ(editor->helpManager()->view()->superview(), editor->view());
}

TEST_F(TabletFrameEditorCoachMarks, ATabletShowsThemToo)
{
    open(15);
    ASSERT_NE(editor->helpManager(), nullptr);
    EXPECT_EQ(editor->helpManager()->name(), "Timeline");
    EXPECT_EQ(editor->helpManager()->positionNextBtn(), zt::HelpManager::NextButtonBottomRight);
}

}  // namespace
