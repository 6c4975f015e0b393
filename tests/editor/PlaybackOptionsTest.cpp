#include "editor/ConfigurationViewController.h"

#include "editor/ConfigurationCell.h"
#include "editor/DuplicateFramesView.h"
#include "editor/SpeedViewController.h"
#include "editor/StripTestSupport.h"
#include "platform/ui/Button.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Switch.h"
#include "uikit/AppTint.h"

namespace {

using zt::test::StripTest;

class PlaybackOptions : public StripTest {
protected:
    void show(int pictures, int framesPerSecond)
    {
        std::vector<std::string> frames;
        for (int i = 0; i < pictures; ++i)
            frames.push_back("F");
        project = makeProject(frames);
        project->getMetaData()->set("RecordFPS", framesPerSecond);
        project->getMetaData()->set("RecordNeedsRendering", false);
        ASSERT_TRUE(project->saveMetaDataToDisk().ok());
        options = std::make_shared<zt::ConfigurationViewController>(project);
        root->addChildViewController(options);
        root->view()->addSubview(options->view());
        driver.wait(0);
    }
    std::shared_ptr<zt::ConfigurationCell> cell(int64_t row)
    {
        return std::dynamic_pointer_cast<zt::ConfigurationCell>(
            options->tableView()->cellForRowAtIndexPath(plat::IndexPath::indexPathForRow(row, 0)));
    }
    plat::Dictionary stored() const { return *zt::ProjectModel(project->getProjectPath()).getMetaData(); }
    zt::SpeedViewController& speed() const { return *options->speedViewController(); }
    std::string speedText() const { return speed().outlets().labelValue->text(); }

    std::shared_ptr<zt::ConfigurationViewController> options;
};

TEST_F(PlaybackOptions, FourRowsShowTheSwitchesAsStoredAndTheSpeedPanel)
{
    project = nullptr;
    show(3, 5);
    EXPECT_EQ(options->contentSizeForViewInPopover(), (plat::Size {320, 206}));
    ASSERT_NE(cell(0), nullptr);
    EXPECT_EQ(cell(0)->labelTitle()->text(), "Play last 12 frames only");
    EXPECT_EQ(cell(1)->labelTitle()->text(), "Play as loop");
    EXPECT_EQ(cell(2)->labelTitle()->text(), "Play at half speed");
    EXPECT_FALSE(cell(0)->switchOnOff()->isOn());
    EXPECT_TRUE(cell(1)->switchOnOff()->isOn()) << "a new project loops";
    EXPECT_FALSE(cell(2)->switchOnOff()->isOn());
    EXPECT_EQ(
        *cell(1)->switchOnOff()->onTintColor(), plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1));
    EXPECT_TRUE(cell(3)->switchOnOff()->isHidden());
    EXPECT_TRUE(speed().view()->isDescendantOfView(*cell(3)));
    EXPECT_EQ(options->tableView()->rectForRowAtIndexPath(plat::IndexPath::indexPathForRow(3, 0)).height(), 74);
    EXPECT_FALSE(options->tableView()->isScrollEnabled());
}

TEST_F(PlaybackOptions, ASwitchStoresItsKeyAtOnce)
{
    show(3, 5);
    ASSERT_TRUE(driver.tap(*cell(2)->switchOnOff()));
    driver.wait(0.5);
    EXPECT_EQ(stored().getBool("PlayAtHalfSpeed"), true);
    ASSERT_TRUE(driver.tap(*cell(1)->switchOnOff()));
    driver.wait(0.5);
    EXPECT_EQ(stored().getBool("PlayAsLoop"), false);
    ASSERT_TRUE(driver.tap(*cell(0)->switchOnOff()));
    driver.wait(0.5);
    EXPECT_EQ(stored().getBool("PlayLastFramesOnly"), true);
}

TEST_F(PlaybackOptions, TheSpeedPanelShowsTheMoviesLengthAndStoresNothingOnOpening)
{
    show(9, 5);  // 10 entries with the placeholder
    EXPECT_EQ(speed().outlets().labelTitle->text(), "Movie Speed (frames/sec.)");
    EXPECT_EQ(speedText(), "00:02 at 5 FPS");
    EXPECT_EQ(stored().getBool("RecordNeedsRendering"), false) << "a panel only looked at changes nothing";
}

TEST_F(PlaybackOptions, AnHourAtOneFrameASecondShowsTheHours)
{
    EXPECT_EQ(zt::SpeedViewController::getFormatedDuration(3600), "01:00:00");
    EXPECT_EQ(zt::SpeedViewController::getFormatedDuration(75), "01:15");
}

TEST_F(PlaybackOptions, TheSliderSnapsToWholeFramesAndThePlusAndMinusStep)
{
    show(9, 5);
    auto& slider = *speed().outlets().sliderSpeed;
    slider.setValue(7.5);
    speed().actionValueChanged(slider);
    EXPECT_EQ(slider.value(), 8);
    EXPECT_EQ(speedText(), "00:01 at 8 FPS");
    EXPECT_EQ(stored().get("RecordFPS").type(), plat::Value::Type::Integer);
    EXPECT_EQ(stored().getInt64("RecordFPS"), 8);
    speed().actionMinus(slider);
    EXPECT_EQ(stored().getInt64("RecordFPS"), 7);
    slider.setValue(slider.maximumValue());
    speed().actionPlus(slider);
    EXPECT_EQ(slider.value(), slider.maximumValue()) << "the slider keeps it in its range";
}

TEST_F(PlaybackOptions, TheHoldPanelsLabelAndButtonFollowTheSlider)
{
    int applied = 0;
    auto panel = std::make_shared<zt::DuplicateFramesView>(3, [&](int32_t times) { applied = times; });
    root->addChildViewController(panel);
    root->view()->addSubview(panel->view());
    driver.wait(0);
    EXPECT_EQ(panel->outlets().infoLabel->text(), "Hold 3 times");
    ASSERT_TRUE(driver.tap("+"));
    EXPECT_EQ(panel->outlets().btnDublicate->titleForState(plat::ControlStateNormal), "Hold 4 times");
    ASSERT_TRUE(driver.tap("\u2212"));
    ASSERT_TRUE(driver.tap("Fewer"));
    ASSERT_TRUE(driver.tap("Hold 2 times"));
    EXPECT_EQ(applied, 2);
    panel->outlets().sliderTimer->setValue(0);
    panel->closeHandler();
    EXPECT_EQ(applied, 1) << "never below one";
}

TEST_F(PlaybackOptions, AtTheEndOfItsRangeAHoldStepButtonIsDimmedRingAndAll)
{
    struct End {
        int64_t startValue;
        std::shared_ptr<plat::Button> zt::DuplicateFramesView::Outlets::*dimmed;
        const char* otherWay;
    };
    const End ends[] = {
        {1, &zt::DuplicateFramesView::Outlets::btnMinus, "More"},
        {24, &zt::DuplicateFramesView::Outlets::btnPlus, "Fewer"},
    };
    for (const End& end : ends) {
        SCOPED_TRACE(end.startValue);
        auto panel = std::make_shared<zt::DuplicateFramesView>(end.startValue, [](int32_t) {});
        root->addChildViewController(panel);
        root->view()->addSubview(panel->view());
        driver.wait(0);
        const plat::Button& dimmed = *(panel->outlets().*end.dimmed);
        EXPECT_FALSE(dimmed.isEnabled());
        EXPECT_NE(dimmed.layer()->borderColor(), zt::appTintColor()) << "the ring dims with its sign";
        ASSERT_TRUE(driver.tap(end.otherWay));
        EXPECT_TRUE(dimmed.isEnabled());
        EXPECT_EQ(dimmed.layer()->borderColor(), zt::appTintColor());
        panel->view()->removeFromSuperview();
        panel->removeFromParentViewController();
    }
}

}  // namespace
