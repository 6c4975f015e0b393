#include <gtest/gtest.h>

#include <cmath>

#include "CaptureScreenTestSupport.h"
#include "capture/SimulatorCamera.h"
#include "capture/TimerConfigurationViewController.h"
#include "platform/foundation/PropertyList.h"
#include "platform/media/AudioPlayer.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/testing/PictureComparison.h"
#include "share/InfoCenterHelpViewController.h"
#include "support/Idioms.h"
#include "uikit/BubblePopoverContainerView.h"
#include "uikit/BubblePopoverController.h"
#include "uikit/QVCircularProgressView.h"

namespace {

using zt::CaptureViewController;

// The screen with the test source, which hands its picture over at once, so
// that each shot is in the project by the time the clock stops.
class IntervalTimer : public zt::test::CaptureScreenScene {
protected:
    explicit IntervalTimer(plat::UserInterfaceIdiom idiom = plat::UserInterfaceIdiom::Phone)
        : CaptureScreenScene(idiom)
    {
    }
    void showWithTestSource(int64_t intervalSeconds)
    {
        project->getMetaData()->set("CaptureTimerValue", intervalSeconds);
        plat::test::setUpCameras({zt::test::pictureCamera("sky", *zt::test::landscapePicture())});
        showScreen();
        screen->switchCaptureSource(source);
    }
    void setTimer(bool on)
    {
        auto timer = outlet<plat::Switch>("switchTimer");
        timer->setOn(on);
        timer->sendActionsForControlEvents(plat::ControlEventValueChanged);
    }
    std::string countdown()
    {
        auto label = outlet<plat::Label>("labelTimer");
        return label ? label->text() : std::string("<no label>");
    }
    float progress()
    {
        auto ring = outlet<zt::QVCircularProgressView>("progressTimer");
        return ring ? ring->progress() : -1.0f;
    }
    // One tick of the loop timer.
    void tick() { clock.advance(1.0); }

    std::shared_ptr<zt::SimulatorCamera> source = std::make_shared<zt::SimulatorCamera>();
};

TEST_F(IntervalTimer, TenSecondsBeepAtTheSeventhTickAndShootAfterTheTenth)
{
    showWithTestSource(10);
    clock.advance(0.01);  // each look comes just after a tick
    setTimer(true);
    EXPECT_EQ(countdown(), "10");
    EXPECT_FLOAT_EQ(progress(), 0.01f);
    EXPECT_FALSE(outlet<plat::View>("progressTimer")->isHidden());
    EXPECT_FALSE(outlet<plat::Button>("btnTimerConfig")->isEnabled());
    for (int k = 1; k <= 6; ++k)
        tick();
    EXPECT_EQ(countdown(), "4");
    EXPECT_FLOAT_EQ(progress(), 0.6f);
    EXPECT_FALSE(screen->audioTimer()->isPlaying());
    tick();
    EXPECT_TRUE(screen->audioTimer()->isPlaying());  // three seconds before the shot
    tick();
    tick();
    EXPECT_TRUE(announcedFrames.empty());
    tick();
    EXPECT_EQ(countdown(), "0");
    EXPECT_EQ(screen->lastIntervalTimestamp(), 0);  // the count starts again
    EXPECT_TRUE(announcedFrames.empty());
    clock.advance(0.085);  // 0.095 s after the tick
    EXPECT_TRUE(announcedFrames.empty());
    clock.advance(0.01);
    EXPECT_EQ(announcedFrames.size(), 1u);
    EXPECT_TRUE(screen->audioCamera()->isPlaying());
    // The next shot ten seconds later.
    for (int k = 1; k <= 10; ++k)
        tick();
    EXPECT_EQ(announcedFrames.size(), 2u);
    EXPECT_EQ(project->getFrameList().count(), 3);
}

TEST_F(IntervalTimer, AChangedIntervalCountsFromTheNextTick)
{
    showWithTestSource(10);
    setTimer(true);
    tick();
    tick();
    project->getMetaData()->set("CaptureTimerValue", 3);
    tick();
    clock.advance(0.2);
    EXPECT_EQ(announcedFrames.size(), 1u);
}

TEST_F(IntervalTimer, WithoutAnIntervalItNeverShootsAndShowsNoShare)
{
    showWithTestSource(10);
    project->getMetaData()->remove("CaptureTimerValue");
    setTimer(true);
    for (int k = 0; k < 40; ++k)
        tick();
    EXPECT_TRUE(announcedFrames.empty());
    EXPECT_FLOAT_EQ(progress(), 0.01f);
    EXPECT_TRUE(std::isfinite(progress()));
}

TEST_F(IntervalTimer, AManualShotStartsTheCountAgain)
{
    showWithTestSource(10);
    setTimer(true);
    for (int k = 0; k < 5; ++k)
        tick();
    ASSERT_TRUE(driver.tap(*shutter()));
    EXPECT_EQ(announcedFrames.size(), 1u);
    EXPECT_EQ(screen->lastIntervalTimestamp(), 0);
    for (int k = 0; k < 9; ++k)
        tick();
    clock.advance(0.5);
    EXPECT_EQ(announcedFrames.size(), 1u);
    clock.advance(0.6);
    EXPECT_EQ(announcedFrames.size(), 2u);
}

TEST_F(IntervalTimer, SwitchedOffItStopsTheBeepAndShootsNoMore)
{
    showWithTestSource(4);
    setTimer(true);
    tick();
    EXPECT_TRUE(screen->audioTimer()->isPlaying());
    setTimer(false);
    EXPECT_FALSE(screen->audioTimer()->isPlaying());
    EXPECT_TRUE(outlet<plat::View>("progressTimer")->isHidden());
    EXPECT_TRUE(outlet<plat::Button>("btnTimerConfig")->isEnabled());
    for (int k = 0; k < 10; ++k)
        tick();
    EXPECT_TRUE(announcedFrames.empty());
}

TEST_F(IntervalTimer, TheTimerStopsWithTheScreenEvenJustBeforeAShot)
{
    showWithTestSource(2);
    setTimer(true);
    tick();
    tick();  // the shot is due 0.1 s from now
    clock.advance(0.05);
    screen->finishUpAndExit();
    for (int k = 0; k < 10; ++k)
        tick();
    EXPECT_TRUE(announcedFrames.empty());
}

TEST_F(IntervalTimer, AHelpPageOverTheScreenNeitherStopsNorDoublesTheTimer)
{
    showWithTestSource(5);
    setTimer(true);
    plat::Dictionary page;
    page.set("page", "plovix-remotecamera");
    plat::NotificationCenter::defaultCenter().post(
        zt::CaptureSourceSelectionView::kShowHelpPageNotification, nullptr, page);
    driver.wait(1);
    auto help = std::dynamic_pointer_cast<zt::InfoCenterHelpViewController>(
        driver.findController("InfoCenterHelpViewController"));
    ASSERT_TRUE(help);
    EXPECT_EQ(help->subpage(), "plovix-remotecamera");
    help->actionDone();
    driver.wait(1);
    EXPECT_FALSE(screen->presentedViewController());
    const size_t before = announcedFrames.size();
    for (int k = 0; k < 10; ++k)
        tick();
    clock.advance(0.2);
    EXPECT_EQ(announcedFrames.size() - before, 2u);  // one shot each five seconds, not two
}

TEST_F(IntervalTimer, DisablingTheControlsStartsTheCountAgainAndKeepsItRunning)
{
    showWithTestSource(5);
    setTimer(true);
    for (int k = 0; k < 3; ++k)
        tick();
    screen->disableControls(true);
    EXPECT_EQ(screen->lastIntervalTimestamp(), 0);
    for (int k = 0; k < 5; ++k)
        tick();
    clock.advance(0.2);
    EXPECT_EQ(announcedFrames.size(), 1u);
}

TEST_F(IntervalTimer, ASourceThatIsNotReadyTurnsTheSwitchBackOff)
{
    plat::test::setUpCameras({});
    showScreen();
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Dismiss"));  // no camera
    driver.wait(1);
    setTimer(true);
    EXPECT_FALSE(outlet<plat::Switch>("switchTimer")->isOn());
    driver.wait(0.5);
    EXPECT_TRUE(driver.findView("No capture device found."));
}

// The settings' popover on a phone and on a tablet: the bubble has room
// above the button and its controls answer.
class IntervalSettings : public IntervalTimer, public ::testing::WithParamInterface<plat::UserInterfaceIdiom> {
protected:
    IntervalSettings()
        : IntervalTimer(GetParam())
    {
    }
};

TEST_P(IntervalSettings, OpenInAPopoverWhileTheTimerIsOff)
{
    showWithTestSource(10);
    ASSERT_TRUE(driver.tap("Interval"));
    driver.wait(1);
    ASSERT_TRUE(screen->popoverController());
    auto settings = std::dynamic_pointer_cast<zt::TimerConfigurationViewController>(
        screen->popoverController()->contentViewController());
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->contentSizeForViewInPopover(), (plat::Size {320, 70}));
    EXPECT_EQ(settings->view()->frame().size, (plat::Size {320, 70})) << "shown whole";
    EXPECT_TRUE(driver.findView("10 seconds"));
    ASSERT_TRUE(driver.tap("Longer"));
    EXPECT_TRUE(driver.findView("15 seconds"));
    EXPECT_EQ(project->getMetaData()->get("CaptureTimerValue").int64Value(), 15);
}

TEST_P(IntervalSettings, ThePopoverCoversNoneOfTheControlsBesideTheButton)
{
    // Each device's own layout: a tablet's puts the button at the end of the toolbar below the picture.
    const bool tablet = GetParam() == plat::UserInterfaceIdiom::Pad;
    project->getMetaData()->set("CaptureTimerValue", int64_t {10});
    plat::test::setUpCameras({zt::test::pictureCamera("sky", *zt::test::landscapePicture())});
    showScreen(tablet ? CaptureViewController::kTabletLayout : CaptureViewController::kPhoneLayout);
    screen->switchCaptureSource(source);
    ASSERT_TRUE(driver.tap("Interval"));
    driver.wait(1);
    ASSERT_TRUE(screen->popoverController() && screen->popoverController()->view());
    const auto& content = screen->popoverController()->view()->contentView();
    const plat::Rect shown = content->convertRect(content->bounds(), nullptr);
    for (const char* name : {"buttonOptions", "switchTimer", "recordBtn", "buttonCaptureSource"}) {
        auto control = outlet<plat::View>(name);
        const plat::Rect place = control->convertRect(control->bounds(), nullptr);
        const bool overlaps = shown.minX() < place.maxX() && place.minX() < shown.maxX() && shown.minY() < place.maxY()
            && place.minY() < shown.maxY();
        EXPECT_FALSE(overlaps) << name << " at " << plat::stringFromRect(place) << " lies under the popover at "
                               << plat::stringFromRect(shown);
    }
}

INSTANTIATE_TEST_SUITE_P(Idioms, IntervalSettings, plat::test::bothIdioms(), plat::test::idiomName);

// Volume buttons

TEST_F(IntervalTimer, TheVolumeButtonsShootAfterTwoSecondsAndKeepTheVolume)
{
    showWithTestSource(10);
    auto& volume = plat::SystemVolume::shared();
    volume.pressVolumeUp();  // too early: a volume button still
    EXPECT_TRUE(announcedFrames.empty());
    EXPECT_DOUBLE_EQ(volume.outputVolume(), 0.5625);
    clock.advance(2);
    EXPECT_TRUE(screen->isVolumeControllerActive());
    volume.pressVolumeUp();
    EXPECT_EQ(announcedFrames.size(), 1u);
    EXPECT_DOUBLE_EQ(volume.outputVolume(), 0.5);  // back where it was before the first press
    ASSERT_TRUE(screen->view()->viewWithTag(CaptureViewController::kVolumeViewTag));
    // While the still shows, the shutter is off, and so are the buttons.
    volume.pressVolumeDown();
    EXPECT_EQ(announcedFrames.size(), 1u);
    EXPECT_DOUBLE_EQ(volume.outputVolume(), 0.4375);
}

TEST_F(IntervalTimer, TheVolumeButtonsDoNotShootWhileTheTimerRuns)
{
    showWithTestSource(100);
    clock.advance(2);
    setTimer(true);
    plat::SystemVolume::shared().pressVolumeUp();
    EXPECT_TRUE(announcedFrames.empty());
}

class TabletCaptureScreen : public IntervalTimer {
protected:
    TabletCaptureScreen()
        : IntervalTimer(plat::UserInterfaceIdiom::Pad)
    {
    }
};

TEST_F(TabletCaptureScreen, WithTheLivePictureHiddenTheVolumeButtonsAreVolumeButtons)
{
    showWithTestSource(10);
    clock.advance(2);
    screen->showImageView();  // the overlay at 0: the editor shows a frame
    EXPECT_TRUE(outlet<plat::View>("viewCamera")->isHidden());
    auto& volume = plat::SystemVolume::shared();
    volume.pressVolumeUp();
    EXPECT_TRUE(announcedFrames.empty());
    EXPECT_DOUBLE_EQ(volume.outputVolume(), 0.5625);
    auto volumeView = screen->view()->viewWithTag(CaptureViewController::kVolumeViewTag);
    ASSERT_TRUE(volumeView);
    EXPECT_EQ(volumeView->alpha(), 0.0);
    clock.advance(3.1);
    EXPECT_EQ(volumeView->alpha(), 1.0);
    screen->showLiveView();
    EXPECT_FALSE(outlet<plat::View>("viewCamera")->isHidden());
    volume.pressVolumeUp();
    EXPECT_EQ(announcedFrames.size(), 1u);
    EXPECT_DOUBLE_EQ(volume.outputVolume(), 0.5625);
}

TEST_F(TabletCaptureScreen, TheEditorIsToldToShowTheCaptureFrameAndTheOnionFollowsDeletions)
{
    showWithTestSource(10);
    int gotoCapture = 0;
    auto observer
        = plat::NotificationCenter::defaultCenter().addObserver(CaptureViewController::kGotoCaptureFrameNotification,
            screen.get(), [&](const plat::Notification&) { ++gotoCapture; });
    ASSERT_TRUE(driver.tap(*shutter()));
    EXPECT_EQ(gotoCapture, 0);
    tick();
    EXPECT_EQ(gotoCapture, 1);
    screen->actionCaptureDevice();
    EXPECT_EQ(gotoCapture, 2);

    // The strip deleted the frame: the onion shows what is left.
    EXPECT_TRUE(screen->viewOnionFront()->image());
    project->getFrameList().removeFrameAtIndex(0);
    addStoredPictures({{200, 10, 10, 255}, {10, 10, 200, 255}});
    plat::NotificationCenter::defaultCenter().post(CaptureViewController::kFramesDeletedNotification);
    driver.wait(0);
    auto front = screen->viewOnionFront()->image();
    ASSERT_TRUE(front);
    EXPECT_GT(plat::test::pixelAt(*front, 10, 10)[2], 150);
}

// Timer settings

class TimerSettings : public zt::test::CaptureScreenScene {
protected:
    std::shared_ptr<zt::TimerConfigurationViewController> open()
    {
        auto settings = std::make_shared<zt::TimerConfigurationViewController>(
            zt::TimerConfigurationViewController::kLayoutName, project);
        settings->view();
        return settings;
    }
    int64_t storedSeconds()
    {
        auto stored = plat::dictionaryWithContentsOfFile(
            plat::appendingPathComponent(*project->getProjectPath(), zt::ProjectDataWrapper::kMetaDataFileName));
        return stored ? stored->get("CaptureTimerValue").int64Value().value_or(-1) : -1;
    }
    void slideTo(zt::TimerConfigurationViewController& settings, double value)
    {
        settings.sliderTimer()->setValue(value);
        settings.sliderTimer()->sendActionsForControlEvents(plat::ControlEventValueChanged);
    }
};

TEST_F(TimerSettings, AProjectWithoutAnIntervalShowsAndStoresThirtySeconds)
{
    project->getMetaData()->remove("CaptureTimerValue");
    auto settings = open();
    EXPECT_EQ(settings->sliderTimer()->value(), 30);
    EXPECT_EQ(settings->labelValue()->text(), "30 seconds");
    EXPECT_EQ(storedSeconds(), 30);
}

TEST_F(TimerSettings, TheSliderSnapsToFiveSecondSteps)
{
    auto settings = open();
    slideTo(*settings, 12.4);
    EXPECT_EQ(settings->sliderTimer()->value(), 10);
    EXPECT_EQ(settings->labelValue()->text(), "10 seconds");
    EXPECT_EQ(storedSeconds(), 10);
    slideTo(*settings, 12.6);
    EXPECT_EQ(settings->sliderTimer()->value(), 15);
    slideTo(*settings, 12.5);
    EXPECT_EQ(settings->sliderTimer()->value(), 15);  // halves go up
    EXPECT_EQ(project->getMetaData()->get("CaptureTimerValue").int64Value(), 15);
}

TEST_F(TimerSettings, PlusAtTheMaximumKeepsItAndStoresItAgain)
{
    auto settings = open();
    const double maximum = settings->sliderTimer()->maximumValue();
    slideTo(*settings, maximum);
    ASSERT_TRUE(plat::removeItem(
        plat::appendingPathComponent(*project->getProjectPath(), zt::ProjectDataWrapper::kMetaDataFileName))
                    .ok());
    settings->actionPlus();
    EXPECT_EQ(settings->sliderTimer()->value(), maximum);
    EXPECT_EQ(storedSeconds(), static_cast<int64_t>(maximum));
    settings->actionMinus();
    EXPECT_EQ(storedSeconds(), static_cast<int64_t>(maximum) - 5);
}

TEST_F(TimerSettings, LookAsTheyShouldInTheirBubble)
{
    project->getMetaData()->set("CaptureTimerValue", 45);
    auto settings = open();
    auto backdrop = std::make_shared<plat::View>(plat::makeRect(0, 0, 320, 70));
    backdrop->setBackgroundColor(plat::Color::colorWithWhite(0.93, 1));
    window->addSubview(backdrop);
    backdrop->addSubview(settings->view());
    clock.advance(0);
    auto picture = plat::renderViewToImage(*backdrop, 2);
    ASSERT_TRUE(picture);
    auto comparison = plat::test::compareWithReferencePicture(
        *picture, plat::test::sourcePath("tests/data/capture/timer_settings.png"), ::testing::TempDir());
    EXPECT_TRUE(comparison.matches) << comparison.explanation;
}

}  // namespace
