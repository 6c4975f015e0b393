// A voice-over from the microphone to the exported movie, through the
// frame editor: recorded at a frame while the movie plays, trimmed in the
// clip editor, previewed at both speeds and exported.
#include <cmath>
#include <complex>
#include <numbers>

#include "app/AppScreensTestSupport.h"
#include "audio/AudioConfigurationViewController.h"
#include "audio/AudioController.h"
#include "document/AudioClip.h"
#include "document/ImageProducer.h"
#include "editor/PlayerViewController.h"
#include "platform/foundation/PropertyList.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/AudioSession.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/TouchSynthesizer.h"
#include "render/MovieExportType.h"
#include "render/ZantropeMovieRenderer.h"
#include "support/MediaTools.h"
#include "support/MountNamespace.h"
#include "support/Pixels.h"
#include "support/VirtualMicrophone.h"
#include "uikit/QVBarGauge.h"

namespace {

using plat::test::UIDriver;

constexpr int kRate = 44100;
constexpr int64_t kVoiceFrame = 5;  // one second into the movie at 5 frames per second
constexpr double kVoiceStart = 1.0;
// The microphone hears 400 Hz in its first second, 600 Hz in its second, 800 Hz after.
constexpr const char* kVoice = "aevalsrc=0.3*sin(2*PI*if(lt(t\\,1)\\,400\\,if(lt(t\\,2)\\,600\\,800))*t):s=44100";
constexpr double kVoiceAmplitude = 0.3;

// The level of one frequency in a stretch of samples (one bin of a Fourier transform).
template <typename Sample>
double levelOf(const std::vector<Sample>& samples, double scale, double frequency, double fromSeconds, double toSeconds)
{
    auto first = static_cast<size_t>(fromSeconds * kRate);
    auto last = std::min(samples.size(), static_cast<size_t>(toSeconds * kRate));
    if (last <= first)
        return -1;
    std::complex<double> sum;
    for (size_t i = first; i < last; ++i) {
        double phase = 2 * std::numbers::pi * frequency * static_cast<double>(i - first) / kRate;
        sum += static_cast<double>(samples[i]) / scale * std::complex<double>(std::cos(phase), -std::sin(phase));
    }
    return 2.0 * std::abs(sum) / static_cast<double>(last - first);
}

class VoiceOver : public zt::test::AppScreens {
protected:
    void SetUp() override
    {
        plat::AudioSession::sharedInstance().resetForTesting();
        // Twenty-one pictures (room for a whole recording from the voice's
        // frame to the movie's end), the project selected in the explorer.
        ASSERT_TRUE(plat::writePropertyListFile(plat::Dictionary {{"version", 4.0}, {"lastSelection", 1}},
            zt::DataManager::settingsFilePath(), plat::PropertyListFormat::XML)
                        .ok());
        makeProjectWithPictures(kProject, 21);
        ASSERT_TRUE(zt::ProjectsList::replace({kProject}));
        launch();
        settle();
        driver.tapAt({284, 119});
        driver.wait(1);
        ASSERT_NE(editor(), nullptr);
        dismissCoachMark();  // so many pictures bring one
        plat::test::useSignalMicrophone(kVoice);
        plat::AudioOutput::shared().setMonitor([this](const float* samples, int64_t count) {
            for (int64_t i = 0; i < count; ++i)
                heard.push_back(samples[i * plat::AudioOutput::kChannels]);
        });
    }
    void TearDown() override
    {
        plat::AudioOutput::shared().setMonitor({});
        plat::AudioSession::sharedInstance().resetForTesting();
    }

    zt::PlayerViewController& strip() const { return *editor()->playerViewController(); }
    zt::AudioController& audio() const { return *editor()->audioController(); }
    std::shared_ptr<zt::AudioClip> voiceClip() const
    {
        for (const auto& track : audio().audioTracks())
            for (const auto& clip : track)
                if (clip->type() == zt::AudioClip::VoiceOver)
                    return clip;
        return nullptr;
    }
    std::string projectFile(const std::string& name) const
    {
        return plat::appendingPathComponent(*editor()->project()->getProjectPath(), name);
    }

    // Opens the voice-over panel at the voice frame and lets it rise: null when it does not open.
    std::shared_ptr<zt::AudioRecorderViewController> openPanel()
    {
        strip().scrollToFrame(kVoiceFrame);
        if (!driver.tap("Voice-over"))
            return nullptr;
        auto panel = editor()->audioRecorderView();
        driver.wait(0.5);  // the panel rises over 0.5 s
        return panel;
    }

    // Records three seconds at the voice frame through the panel's buttons.
    void recordVoiceOver()
    {
        auto panel = openPanel();
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->startRecordingAtFrame(), kVoiceFrame);
        ASSERT_TRUE(panel->btnAudioStartRecord()->isEnabled());
        ASSERT_TRUE(driver.tap(*panel->btnAudioStartRecord()));
        driver.wait(5.0);
        ASSERT_TRUE(panel->audioRecorder()->isRecording());
        EXPECT_TRUE(editor()->previewPlayer()->isPlaying()) << "the movie plays while the voice is recorded";
        driver.wait(0.55);
        EXPECT_EQ(editor()->currentFrame(), kVoiceFrame + 2) << "from the voice's frame, at the movie's speed";
        // The meter shows the voice: 0.3 of full scale is -13.5 dB on average.
        EXPECT_NEAR(panel->levelMeter()->value(), (20 * std::log10(kVoiceAmplitude / std::sqrt(2.0)) + 40) / 40, 0.01);
        driver.wait(3.0 - 0.55 - UIDriver::kTapHoldSeconds);
        ASSERT_TRUE(driver.tap(*panel->btnAudioStartRecord()));
        EXPECT_FALSE(editor()->previewPlayer()->isPlaying());
        driver.wait(0.5);  // the panel goes down over 0.5 s
        EXPECT_EQ(editor()->audioRecorderView(), nullptr) << "the panel closes with the recording";
        driver.wait(1);  // the new clip flies to its lane
    }

    // Drags a finger by step points on each of count refreshes.
    void drag(plat::Point from, double step, int count)
    {
        plat::TouchSynthesizer touches(app.keyWindow());
        auto finger = touches.touchDown(from);
        for (int i = 1; i <= count; ++i) {
            driver.wait(UIDriver::kStepSeconds);
            touches.moveTouch(finger, {from.x + step * i, from.y});
        }
        touches.liftTouch(finger);
        driver.wait(0);
    }
    static plat::Point centreInWindow(const plat::View& view)
    {
        return view.superview()->convertPoint(view.center(), nullptr);
    }

    // Plays the movie from its start and returns what the speaker heard meanwhile.
    std::vector<float> playFromTheStart(double seconds)
    {
        strip().scrollToFrame(0);
        EXPECT_TRUE(driver.tap("Play"));
        const size_t from = heard.size();
        driver.wait(seconds);
        if (editor()->previewPlayer()->isPlaying()) {
            EXPECT_TRUE(driver.tap("Stop"));
        }
        return std::vector<float>(heard.begin() + static_cast<std::ptrdiff_t>(from), heard.end());
    }

    // Pictures of frames as the app stores them (so the strip and the picture show them).
    void makeProjectWithPictures(const std::string& name, int pictures)
    {
        auto project = makeProject(name, 0);
        zt::ImageProducer producer(project);
        auto& list = project->getFrameList();
        for (int i = 0; i < pictures; ++i) {
            zt::Frame frame(zt::FrameTypePicture);
            auto picture = plat::test::makeImage(320, 180, [i](int, int) {
                return plat::test::Rgba {static_cast<uint8_t>(40 + i * 10), 90, 160, 255};
            });
            ASSERT_TRUE(producer.storeImage(*picture, frame.frameID()));
            list.insertFrame(frame, list.getCaptureIndex());
        }
        ASSERT_TRUE(project->saveAllDataToDisk().ok());
    }

    static constexpr const char* kProject = ".plovix-2015-05-01-10-00-00";
    std::vector<float> heard;
};

}  // namespace

TEST_F(VoiceOver, RecordedAtAFrameTrimmedPreviewedAndExported)
{
    recordVoiceOver();
    auto clip = voiceClip();
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->startFrameIndex(), kVoiceFrame);
    EXPECT_EQ(clip->name(), "00:03");
    const std::string file = *clip->fileID();
    EXPECT_TRUE(file.starts_with("record-"));

    // The project's copy: Apple Lossless, 44.1 kHz, mono, three seconds of the microphone.
    auto probe = plat::test::probeMedia(projectFile(file));
    ASSERT_EQ(probe.exitCode, 0) << probe.output;
    auto stream = probe.stream("audio");
    EXPECT_EQ(stream["codec_name"], "alac");
    EXPECT_EQ(stream["sample_rate"], "44100");
    EXPECT_EQ(stream["channels"], "1");
    EXPECT_NEAR(std::stod(stream["duration"]), 3.0, 4096.0 / kRate);
    auto recorded = plat::test::decodeAudioWithFFmpeg(sandbox.root(), projectFile(file), kRate, 1);
    ASSERT_EQ(recorded.size(), static_cast<size_t>(3 * kRate));
    std::vector<int16_t> source(recorded.size());
    for (size_t i = 0; i < source.size(); ++i) {
        double t = static_cast<double>(i) / kRate;
        double frequency = t < 1 ? 400 : t < 2 ? 600 : 800;
        source[i] = static_cast<int16_t>(
            std::lrint(kVoiceAmplitude * std::sin(2 * std::numbers::pi * frequency * t) * 32767));
    }
    EXPECT_GT(plat::test::correlation(recorded.data(), source.data(), source.size()), 0.999);
    auto leftInTemporary = plat::contentsOfDirectory(sandbox.sandbox().temporaryDirectory());
    ASSERT_TRUE(leftInTemporary.ok());
    for (const auto& name : leftInTemporary.value())
        EXPECT_FALSE(name.starts_with("record-")) << name << " was left in the temporary folder";

    // Trim it to the middle second's 600 Hz: the handles to 40 and 60
    // percent of the clip, then the band five percent back (35 to 55
    // percent: 1.07 s to 1.69 s of a clip that its file says is 3.07 s long).
    ASSERT_TRUE(driver.tap("00:03")) << "the clip's lane in the strip";
    driver.wait(1);
    auto clipEditor = editor()->clipEditor();
    ASSERT_NE(clipEditor, nullptr);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return !clipEditor->isDrawingWaveform(); }));
    auto& trim = *clipEditor->trimControl();
    const double percent = (trim.bounds().width() - zt::QVTrimControl::kHandleWidth) / 100;
    drag(centreInWindow(*trim.leftThumb()), 4 * percent, 10);
    drag(centreInWindow(*trim.rightThumb()), -4 * percent, 10);
    drag(centreInWindow(*trim.centerView()), -percent, 5);
    const double total = clip->totalDuration().seconds();
    EXPECT_NEAR(clip->start().seconds(), 0.35 * total, 0.02);
    EXPECT_NEAR(clip->duration().seconds(), 0.2 * total, 0.02);
    const double length = clip->duration().seconds();
    ASSERT_TRUE(driver.tap("Done"));
    driver.wait(1);
    EXPECT_EQ(editor()->clipEditor(), nullptr);
    EXPECT_NEAR(clip->timeRangeInMovie().start.seconds(), kVoiceStart, 1e-9);
    EXPECT_NEAR(clip->timeRangeInMovie().duration.seconds(), length, 1e-9);

    // Preview at full speed: the trimmed voice from one second on.
    auto full = playFromTheStart(4.5);
    EXPECT_LT(levelOf(full, 1.0, 600, 0.1, 0.9), 0.01);
    EXPECT_NEAR(levelOf(full, 1.0, 600, kVoiceStart + 0.05, kVoiceStart + length - 0.05), kVoiceAmplitude, 0.02);
    EXPECT_LT(levelOf(full, 1.0, 400, kVoiceStart + 0.05, kVoiceStart + length - 0.05), 0.02);
    EXPECT_LT(levelOf(full, 1.0, 600, kVoiceStart + length + 0.1, 3.9), 0.01);

    // At half speed the same sound comes twice as late and lasts twice as long, at its pitch.
    auto metadata = editor()->project()->getMetaData();
    metadata->set("PlayAtHalfSpeed", true);
    ASSERT_TRUE(editor()->project()->saveMetaDataToDisk().ok());
    auto half = playFromTheStart(8.5);
    EXPECT_LT(levelOf(half, 1.0, 600, 0.2, 1.8), 0.01);
    EXPECT_NEAR(
        levelOf(half, 1.0, 600, 2 * kVoiceStart + 0.1, 2 * (kVoiceStart + length) - 0.1), kVoiceAmplitude, 0.03);
    EXPECT_LT(levelOf(half, 1.0, 600, 2 * (kVoiceStart + length) + 0.2, 7.5), 0.01);

    // The exported movie holds the trimmed voice at its frame.
    auto renderer = std::make_shared<zt::ZantropeMovieRenderer>(editor()->project());
    bool finished = false;
    renderer->exportProjectWithExportType(std::make_shared<zt::MovieExportType>("MoviePreview", std::nullopt,
                                              plat::Size {320, 180}, "com.apple.quicktime-movie", "mov"),
        [&] { finished = true; });
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return finished; }, 120));
    ASSERT_EQ(renderer->status(), zt::MovieRendererStatusCompleted);
    ASSERT_TRUE(renderer->exportURL());
    auto movie = plat::test::decodeAudioWithFFmpeg(sandbox.root(), renderer->exportURL()->path(), kRate, 1);
    // In the movie the frame's picture, and so its voice, comes one frame
    // (0.2 s) later: the first picture is shown twice.
    const double inMovie = kVoiceStart + 0.2;
    ASSERT_GE(movie.size(), static_cast<size_t>((inMovie + length - 0.01) * kRate));
    EXPECT_LT(levelOf(movie, 32768.0, 600, 0.05, 1.15), 0.01);
    EXPECT_NEAR(levelOf(movie, 32768.0, 600, inMovie + 0.05, inMovie + length - 0.05), kVoiceAmplitude, 0.02);
    EXPECT_LT(levelOf(movie, 32768.0, 400, inMovie + 0.05, inMovie + length - 0.05), 0.02);
    EXPECT_LT(levelOf(movie, 32768.0, 800, inMovie + 0.05, inMovie + length - 0.05), 0.02);
}

TEST_F(VoiceOver, NoRoomAtTheFrameIsToldAndNoPanelOpens)
{
    recordVoiceOver();
    // A second voice on the other track, then none fits at that frame.
    recordVoiceOver();
    strip().scrollToFrame(kVoiceFrame);
    ASSERT_TRUE(driver.tap("Voice-over"));
    EXPECT_EQ(editor()->audioRecorderView(), nullptr);
    EXPECT_EQ(waitForAlert(), "Error\nToo many clips already exist at playhead.");
    EXPECT_TRUE(editor()->outlets().btnPlay->isEnabled()) << "the toolbar stays as it was";
}

TEST_F(VoiceOver, ATapBesideThePanelWhileRecordingDoesNothing)
{
    auto panel = openPanel();
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(driver.tap(*panel->btnAudioStartRecord()));
    driver.wait(5.0);  // the countdown, then the recording
    ASSERT_TRUE(panel->audioRecorder()->isRecording());
    driver.tapAt({284, 40});  // on the picture, beside the panel
    driver.wait(1);
    EXPECT_EQ(editor()->audioRecorderView(), panel);
    EXPECT_TRUE(panel->audioRecorder()->isRecording());
    ASSERT_TRUE(driver.tap("Cancel"));
    driver.wait(0.6);  // the panel goes down over 0.5 s
    EXPECT_EQ(editor()->audioRecorderView(), nullptr);
    EXPECT_EQ(voiceClip(), nullptr) << "a cancelled recording adds nothing";
    EXPECT_TRUE(editor()->outlets().btnPlay->isEnabled());
}

// The recording's file can be made in the temporary folder, but the project
// it is copied into cannot be written (bound read-only in a mount namespace
// of the test's own): Record is refused at once, with the reason, before any
// countdown or recording.
TEST_F(VoiceOver, AProjectFolderThatCannotBeWrittenRefusesRecordAtOnce)
{
    const auto run = plat::test::runInOwnMountNamespace();
    if (run == plat::test::MountNamespaceRun::NotPermitted)
        GTEST_SKIP() << "unshare -rm is not permitted here, so no folder can be bound read-only without root";
    if (run == plat::test::MountNamespaceRun::Elsewhere)
        return;
    plat::test::ReadOnlyBindMount readOnly(*editor()->project()->getProjectPath());
    ASSERT_TRUE(readOnly.ok()) << readOnly.error();
    auto panel = openPanel();
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(driver.tap(*panel->btnAudioStartRecord()));
    EXPECT_NE(shownAlert(), nullptr) << "refused at the press";
    EXPECT_EQ(panel->labelAudioRecordInfo()->text(), "Ready to Record") << "no countdown began";
    EXPECT_EQ(waitForAlert(), "The voice-over could not be recorded.\nRead-only file system.");
}
