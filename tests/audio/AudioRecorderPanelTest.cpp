#include "audio/AudioRecorderViewController.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "audio/AudioScreenLayouts.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"
#include "platform/media/AudioSession.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/DateTestSupport.h"
#include "support/Idioms.h"
#include "support/ManualClockScope.h"
#include "support/MediaTools.h"
#include "support/TemporarySandbox.h"
#include "support/TextContrast.h"
#include "support/VirtualMicrophone.h"
#include "uikit/QVBarGauge.h"

namespace {

using plat::test::UIDriver;

constexpr int kRate = 44100;
// The panel opens at 12:00:00 (UTC); Record is pressed at once and its
// countdown prepares the recording a second later.
constexpr const char* kRecordingName = "record-2015-05-31-12-00-01.caf";

struct PanelEvents : zt::AudioRecorderViewDelegate {
    void audioRecorderDidStartRecording(zt::AudioRecorderViewController&) override
    {
        starts.push_back(plat::Clock::current().uptimeSeconds());
        if (onStart)
            onStart();
    }
    void audioRecorderDidStopRecording(zt::AudioRecorderViewController&, const std::string& file) override
    {
        files.push_back(file);
    }
    void audioRecorderDidCancelRecording(zt::AudioRecorderViewController&) override { ++cancels; }

    std::vector<double> starts;
    std::vector<std::string> files;
    int cancels = 0;
    std::function<void()> onStart;
};

class RecorderPanel : public ::testing::Test {
protected:
    void SetUp() override
    {
        zt::registerAudioScreenLayouts();
        session.resetForTesting();
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        driver.wait(0);
        plat::test::useSignalMicrophone(plat::test::sineAtAveragePower(-20));
    }
    void TearDown() override
    {
        if (panel)
            panel->setDelegate({});
        session.resetForTesting();
    }

    void open()
    {
        panel = std::make_shared<zt::AudioRecorderViewController>();
        panel->setDelegate(events);
        panel->setStartRecordingAtFrame(3);
        root->addChildViewController(panel);
        root->view()->addSubview(panel->view());
        panel->didMoveToParentViewController(root.get());
        driver.wait(0);  // the microphone question is answered
    }
    std::string label() const { return panel->labelAudioRecordInfo()->text(); }
    std::string buttonTitle() const
    {
        return panel->btnAudioStartRecord()->titleForState(plat::ControlStateNormal).value_or("");
    }
    // Presses Record or Stop; the press counts when the finger lifts.
    void press() { ASSERT_TRUE(driver.tap(*panel->btnAudioStartRecord())); }
    std::vector<std::string> recordingsInTemporaryFolder() const
    {
        std::vector<std::string> found;
        auto names = plat::contentsOfDirectory(plat::Sandbox::current()->temporaryDirectory());
        if (names.ok())
            for (const auto& name : names.value())
                if (name.starts_with("record-"))
                    found.push_back(name);
        return found;
    }
    std::string temporaryPath(const std::string& name) const
    {
        return plat::appendingPathComponent(plat::Sandbox::current()->temporaryDirectory(), name);
    }

    plat::test::ScopedEnvironmentVariable timeZone {"TZ", std::string("UTC")};
    plat::test::ManualClockScope clock;
    plat::test::TemporarySandbox sandbox;
    plat::test::UIScope ui;
    plat::AudioSession& session = plat::AudioSession::sharedInstance();
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    std::shared_ptr<plat::ViewController> root = std::make_shared<plat::ViewController>();
    UIDriver driver;
    std::shared_ptr<zt::AudioRecorderViewController> panel;
    std::shared_ptr<PanelEvents> events = std::make_shared<PanelEvents>();
};

}  // namespace

TEST_F(RecorderPanel, IsDressedAndReadyOnceTheMicrophoneMayBeUsed)
{
    open();
    EXPECT_EQ(label(), "Ready to Record");
    EXPECT_EQ(buttonTitle(), "Record");
    EXPECT_EQ(panel->btnAudioStartRecord()->titleColorForState(plat::ControlStateNormal),
        plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1));
    EXPECT_TRUE(panel->btnAudioStartRecord()->isEnabled());
    EXPECT_EQ(panel->btnAudioCancel()->titleForState(plat::ControlStateNormal), "Cancel");
    EXPECT_TRUE(panel->sliderAudioRecordLevel()->thumbImageForState(plat::ControlStateNormal));
    const auto& meter = *panel->levelMeter();
    EXPECT_FALSE(meter.litEffect());
    EXPECT_TRUE(meter.holdPeak());
    EXPECT_EQ(meter.normalBarColor(), plat::Color::colorWithRed(46 / 255.0, 204 / 255.0, 113 / 255.0, 1));
    EXPECT_EQ(meter.backgroundColor(), plat::Color::clearColor());
    EXPECT_TRUE(panel->isMetering());
    EXPECT_EQ(session.category(), plat::kAudioSessionCategoryRecord);
}

TEST_F(RecorderPanel, CountsDownThenRecordsAndHandsTheFileOver)
{
    std::string source = plat::test::makeNoiseFile(sandbox.root(), "speech.wav", 6.0);
    plat::test::useFileMicrophone(source);
    open();
    EXPECT_EQ(recordingsInTemporaryFolder(), std::vector<std::string> {"record-2015-05-31-12-00-00.caf"});
    press();
    const double pressed = clock.uptimeSeconds();
    EXPECT_EQ(label(), "Prepare for Recording");
    EXPECT_EQ(buttonTitle(), "Stop");
    clock.advance(1.0);
    EXPECT_EQ(recordingsInTemporaryFolder(), std::vector<std::string> {kRecordingName})
        << "the file of the recorder made with the panel is gone";
    clock.advance(1.0);
    EXPECT_EQ(label(), "3");
    clock.advance(1.0);
    EXPECT_EQ(label(), "2");
    clock.advance(1.0);
    EXPECT_EQ(label(), "1");
    EXPECT_TRUE(events->starts.empty());
    clock.advance(1.0);
    EXPECT_EQ(label(), "Recording");
    ASSERT_EQ(events->starts.size(), 1u);
    EXPECT_DOUBLE_EQ(events->starts[0], pressed + 5.0);

    clock.advance(3.0 - UIDriver::kTapHoldSeconds);
    press();
    ASSERT_EQ(events->files, std::vector<std::string> {temporaryPath(kRecordingName)});
    EXPECT_EQ(events->cancels, 0);
    EXPECT_FALSE(panel->isAudioRecording());
    EXPECT_FALSE(panel->isMetering());
    EXPECT_EQ(session.category(), plat::kAudioSessionCategorySoloAmbient);

    const std::string& file = events->files[0];
    auto probe = plat::test::probeMedia(file);
    ASSERT_EQ(probe.exitCode, 0) << probe.output;
    auto audio = probe.stream("audio");
    EXPECT_EQ(audio["codec_name"], "alac");
    EXPECT_EQ(audio["sample_rate"], "44100");
    EXPECT_EQ(audio["channels"], "1");
    EXPECT_NEAR(std::stod(audio["duration"]), 3.0, 4096.0 / kRate);
    auto recorded = plat::test::decodeAudioWithFFmpeg(sandbox.root(), file, kRate, 1);
    ASSERT_EQ(recorded.size(), static_cast<size_t>(3 * kRate));
    auto original = plat::test::decodeAudioWithFFmpeg(sandbox.root(), source, kRate, 1);
    EXPECT_GT(plat::test::correlation(recorded.data(), original.data(), recorded.size()), 0.999);
}

TEST_F(RecorderPanel, TheMeterFollowsTheSignal)
{
    // Silent for its first second, then at -20 dB, from its third second at -5 dB.
    plat::test::useSignalMicrophone(
        "aevalsrc=if(lt(t\\,1)\\,0\\,if(lt(t\\,2)\\,0.1414*sin(2*PI*440*t)\\,0.7953*sin(2*PI*440*t))):s=44100");
    open();
    const auto& meter = *panel->levelMeter();
    press();
    clock.advance(4.0);
    EXPECT_LT(meter.value(), 0) << "nothing is measured while counting down";
    EXPECT_EQ(meter.offIndex(), -60);
    clock.advance(1.5);  // half a second into the recording
    EXPECT_LT(meter.value(), 0);
    clock.advance(1.0);
    EXPECT_NEAR(meter.value(), 0.5, 0.01) << "-20 dB reads half";
    clock.advance(1.0);
    EXPECT_NEAR(meter.value(), 0.875, 0.01);
    EXPECT_EQ(meter.offIndex(), 17);
    EXPECT_EQ(meter.peakBarIndex(), 17);
}

TEST_F(RecorderPanel, StopDuringTheCountdownGoesBackToReady)
{
    open();
    press();
    clock.advance(3.0);
    ASSERT_EQ(label(), "2");
    press();
    EXPECT_EQ(label(), "Ready to Record");
    EXPECT_EQ(buttonTitle(), "Record");
    clock.advance(10.0);
    EXPECT_TRUE(events->starts.empty());
    EXPECT_FALSE(panel->audioRecorder()->isRecording());
    EXPECT_EQ(label(), "Ready to Record");
}

TEST_F(RecorderPanel, OnlyTheLatestCountdownRuns)
{
    open();
    press();
    clock.advance(0.3);
    press();  // stopped before its first step
    clock.advance(0.3);
    press();
    const double pressed = clock.uptimeSeconds();
    clock.advance(2.0);
    EXPECT_EQ(label(), "3");
    clock.advance(10.0);
    ASSERT_EQ(events->starts.size(), 1u) << "one countdown, one recording";
    EXPECT_DOUBLE_EQ(events->starts[0], pressed + 5.0);
    EXPECT_EQ(recordingsInTemporaryFolder().size(), 1u);
}

TEST_F(RecorderPanel, CancelDuringARecordingReportsACancelAndLeavesNothing)
{
    open();
    press();
    clock.advance(6.0);
    ASSERT_TRUE(panel->audioRecorder()->isRecording());
    ASSERT_TRUE(driver.tap("Cancel"));
    EXPECT_EQ(events->cancels, 1);
    EXPECT_TRUE(events->files.empty());
    EXPECT_FALSE(panel->isMetering());
    EXPECT_TRUE(recordingsInTemporaryFolder().empty());
    EXPECT_EQ(session.category(), plat::kAudioSessionCategorySoloAmbient);
}

TEST_F(RecorderPanel, ATapOutsideClosesOnlyAnIdlePanel)
{
    open();
    press();
    clock.advance(2.0);
    panel->removeRecorderIfNotRecording();
    EXPECT_EQ(events->cancels, 0) << "counting down";
    clock.advance(4.0);
    panel->removeRecorderIfNotRecording();
    EXPECT_EQ(events->cancels, 0) << "recording";
    press();
    ASSERT_EQ(events->files.size(), 1u);
    panel->removeRecorderIfNotRecording();
    EXPECT_EQ(events->cancels, 1);
}

TEST_F(RecorderPanel, AReviewOnlyTellsTheDelegate)
{
    open();
    panel->actionReview(*panel->btnAudioStartRecord());
    EXPECT_EQ(events->starts.size(), 1u);
    EXPECT_FALSE(panel->audioRecorder()->isRecording());
}

TEST_F(RecorderPanel, WithoutPermissionItExplainsAndItsButtonCancels)
{
    plat::test::denyMicrophone();
    open();
    driver.wait(1);
    EXPECT_FALSE(panel->btnAudioStartRecord()->isEnabled());
    ASSERT_TRUE(driver.findView("Error"));
    EXPECT_TRUE(driver.findView(plat::localized("AUDIOREORDER_MICROPHONE_ACCESS_HELP")));
    ASSERT_TRUE(driver.tap("Dismiss"));
    driver.wait(1);
    EXPECT_EQ(events->cancels, 1);
    EXPECT_TRUE(recordingsInTemporaryFolder().empty());
}

TEST_F(RecorderPanel, ADeviceWithoutMicrophoneIsReportedAndNothingStarts)
{
    plat::test::setUpMicrophone({plat::MicrophoneKind::None, {}, {}, {}});
    open();
    press();
    clock.advance(5.0);
    EXPECT_TRUE(events->starts.empty());
    EXPECT_TRUE(driver.findView("The voice-over could not be recorded."));
    EXPECT_EQ(label(), "Ready to Record");
    EXPECT_EQ(buttonTitle(), "Record");
    EXPECT_FALSE(panel->isAudioRecording());
    EXPECT_TRUE(recordingsInTemporaryFolder().empty());
    ASSERT_TRUE(driver.tap("Dismiss"));
}

TEST_F(RecorderPanel, AFullDiskEndsTheRecordingWithAReportAndNoFile)
{
    plat::test::useSignalMicrophone("anoisesrc=amplitude=0.5");
    open();
    ASSERT_EQ(::symlink("/dev/full", temporaryPath(kRecordingName).c_str()), 0);
    press();
    clock.advance(5.0);
    ASSERT_EQ(events->starts.size(), 1u);
    clock.advance(10.0);
    EXPECT_TRUE(driver.findView("The voice-over could not be recorded."));
    EXPECT_TRUE(events->files.empty());
    EXPECT_EQ(events->cancels, 1) << "the delegate that started the movie hears the recording is over";
    EXPECT_TRUE(recordingsInTemporaryFolder().empty());
}

TEST_F(RecorderPanel, ARecordingWithoutSoundIsNotHandedOver)
{
    open();
    events->onStart = [this] { panel->actionStartRecord(*panel->btnAudioStartRecord()); };
    press();
    clock.advance(5.0);
    ASSERT_EQ(events->starts.size(), 1u);
    EXPECT_TRUE(events->files.empty());
    EXPECT_EQ(events->cancels, 1);
    EXPECT_TRUE(driver.findView("Nothing was recorded."));
    EXPECT_TRUE(recordingsInTemporaryFolder().empty());
}

TEST_F(RecorderPanel, APanelLetGoStopsItsLoopsAndLeavesNoFile)
{
    open();
    press();
    clock.advance(6.0);
    std::weak_ptr<zt::AudioRecorderViewController> weakPanel = panel;
    panel->view()->removeFromSuperview();
    panel->removeFromParentViewController();
    panel.reset();
    EXPECT_TRUE(weakPanel.expired()) << "nothing the panel scheduled keeps it";
    clock.advance(2.0);
    EXPECT_TRUE(recordingsInTemporaryFolder().empty());
    EXPECT_TRUE(events->files.empty());
}

namespace {

// The panel over a frame of the film, on a phone and on a tablet: its
// buttons' titles must read whatever the frame behind it.
class RecorderPanelTitles : public ::testing::TestWithParam<plat::UserInterfaceIdiom> {
protected:
    plat::test::ManualClockScope clock;
    plat::test::TemporarySandbox sandbox;
    plat::test::UIScope ui {GetParam()};
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    std::shared_ptr<plat::ViewController> root = std::make_shared<plat::ViewController>();
    UIDriver driver;
};

}  // namespace

TEST_P(RecorderPanelTitles, RecordAndCancelReadOverALightAndADarkFrame)
{
    zt::registerAudioScreenLayouts();
    plat::AudioSession::sharedInstance().resetForTesting();
    plat::test::useSignalMicrophone(plat::test::sineAtAveragePower(-20));
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    auto frame = std::make_shared<plat::ImageView>(root->view()->bounds());
    root->view()->addSubview(frame);
    auto panel = std::make_shared<zt::AudioRecorderViewController>();
    root->addChildViewController(panel);
    root->view()->addSubview(panel->view());
    panel->didMoveToParentViewController(root.get());
    panel->view()->setCenter({root->view()->bounds().midX(), root->view()->bounds().midY()});
    driver.wait(0);
    ASSERT_TRUE(panel->btnAudioStartRecord()->isEnabled());

    constexpr double kScreenScale = 2;
    constexpr double kReadable = 4.5;  // the titles are 15 points: not large text
    for (const plat::test::Rgba& behind : {plat::test::Rgba {250, 250, 250, 255}, plat::test::Rgba {8, 8, 8, 255}}) {
        frame->setImage(plat::test::makeFlatImage(64, 36, behind));
        for (const auto& button : {panel->btnAudioStartRecord(), panel->btnAudioCancel()}) {
            const auto contrast = plat::test::measureTextContrast(*window, *button->titleLabel(), kScreenScale);
            EXPECT_GE(contrast.ratio, kReadable)
                << button->titleForState(plat::ControlStateNormal).value_or("") << " over a frame of " << behind[0];
        }
    }
    panel->setDelegate({});
    plat::AudioSession::sharedInstance().resetForTesting();
}

INSTANTIATE_TEST_SUITE_P(Idioms, RecorderPanelTitles, plat::test::bothIdioms(), plat::test::idiomName);
