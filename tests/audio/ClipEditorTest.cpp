#include "audio/AudioConfigurationViewController.h"

#include <cmath>
#include <functional>

#include "AudioTestSupport.h"
#include "audio/AudioScreenLayouts.h"
#include "platform/foundation/Files.h"
#include "platform/graphics/Image.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/Player.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Layer.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Slider.h"
#include "platform/ui/TouchSynthesizer.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/RunLoopWaiting.h"
#include "uikit/QVNavigationController.h"

namespace {

using plat::MediaTime;
using zt::AudioClip;
using zt::test::seconds;

constexpr double kStepSeconds = 1.0 / 60;

// The clip editor in its navigation controller on a phone, over the audio
// project of twenty frames at 5 frames per second; the speaker is heard.
class ClipEditor : public zt::test::AudioProject {
protected:
    void SetUp() override
    {
        AudioProject::SetUp();
        zt::registerAudioScreenLayouts();
        window->makeKeyAndVisible();
        plat::AudioOutput::shared().setMonitor([this](const float* samples, int64_t count) {
            for (int64_t i = 0; i < count; ++i)
                heard.push_back(samples[i * plat::AudioOutput::kChannels]);
        });
        doneToken = plat::NotificationCenter::defaultCenter().addObserver(zt::kAudioControllerDoneNotification, nullptr,
            [this](const plat::Notification& note) { dones.push_back(note.object); });
        removeToken = plat::NotificationCenter::defaultCenter().addObserver(
            zt::kAudioControllerRemoveClipNotification, nullptr, [this](const plat::Notification& note) {
                removed.push_back(note.userInfo.get(zt::kClipKey).asObjectOf<AudioClip>());
            });
    }
    void TearDown() override
    {
        plat::AudioOutput::shared().setMonitor({});
        editor.reset();
        AudioProject::TearDown();
    }

    // 440 Hz for the first two seconds of the file, 880 Hz after.
    std::string twoToneFile(double seconds)
    {
        std::string path = sounds.path("two-tones.wav");
        auto made = plat::test::runFFmpeg(sounds.path(),
            {"-f", "lavfi", "-i",
                "aevalsrc=0.25*sin(2*PI*if(lt(t\\,2)\\,440\\,880)*t):s=44100:d=" + std::to_string(seconds), "-c:a",
                "pcm_s16le", path});
        EXPECT_EQ(made.exitCode, 0) << made.output;
        return path;
    }

    void open(const std::shared_ptr<AudioClip>& clip)
    {
        editor = std::make_shared<zt::AudioConfigurationViewController>(clip, controller, project);
        window->setRootViewController(std::make_shared<zt::QVNavigationController>(editor));
        driver.wait(0);
    }
    zt::QVTrimControl& trim() { return *editor->trimControl(); }
    // A handle or the band in window coordinates.
    plat::Point inWindow(const plat::View& view) const
    {
        auto centre = view.superview()->convertPoint(view.center(), nullptr);
        return centre;
    }
    void drag(plat::Point from, double step, int count)
    {
        plat::TouchSynthesizer touches(window);
        auto finger = touches.touchDown(from);
        for (int i = 1; i <= count; ++i) {
            clock.advance(kStepSeconds);
            touches.moveTouch(finger, {from.x + step * i, from.y});
        }
        touches.liftTouch(finger);
        clock.advance(0);
    }
    // Until the background drawing has handed back its picture or its failure.
    bool waitForWaveform()
    {
        return plat::test::runMainLoopUntil([&] { return !editor->isDrawingWaveform(); });
    }
    double pitch(double fromSeconds, double toSeconds) const
    {
        int crossings = 0;
        for (size_t i = sample(fromSeconds) + 1; i < sample(toSeconds); ++i)
            crossings += heard[i - 1] < 0 && heard[i] >= 0;
        return crossings / (toSeconds - fromSeconds);
    }
    double peak(double fromSeconds, double toSeconds) const
    {
        double loudest = 0;
        for (size_t i = sample(fromSeconds); i < sample(toSeconds); ++i)
            loudest = std::max(loudest, static_cast<double>(std::fabs(heard[i])));
        return loudest;
    }
    size_t sample(double seconds) const
    {
        return std::min(heard.size(), static_cast<size_t>(std::llround(seconds * plat::AudioOutput::kSampleRate)));
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    plat::test::UIDriver driver;
    std::shared_ptr<zt::AudioConfigurationViewController> editor;
    std::vector<float> heard;
    std::vector<const void*> dones;
    std::vector<std::shared_ptr<AudioClip>> removed;
    plat::ObserverToken doneToken;
    plat::ObserverToken removeToken;
};

}  // namespace

TEST_F(ClipEditor, ShowsTheClipWithItsTrimControlOverTheWaveform)
{
    auto clip = addTone(3.0, 2, AudioClip::SoundEffect, std::string("Bell"));
    open(clip);
    EXPECT_EQ(editor->title(), "Bell");
    auto item = editor->navigationItem();
    ASSERT_TRUE(item);
    auto done = item->leftBarButtonItem();
    ASSERT_TRUE(done);
    EXPECT_TRUE(done->image());
    ASSERT_TRUE(item->rightBarButtonItem());
    EXPECT_EQ(editor->sliderVolume()->value(), 1.0);
    EXPECT_TRUE(editor->btnStop()->isHidden());
    const plat::Rect area = editor->viewTrimm()->frame();
    EXPECT_EQ(trim().frame(),
        plat::makeRect(area.minX() - 10, area.minY(), area.width() + 20, zt::QVTrimControl::kHandleHeight));
    EXPECT_NEAR(trim().leftValue(), 0, 1e-6);
    EXPECT_NEAR(trim().rightValue(), 3.0, 1e-5);
    EXPECT_TRUE(editor->viewTrimm()->clipsToBounds());
    EXPECT_EQ(editor->viewTrimm()->layer()->cornerRadius(), 5.0);
}

TEST_F(ClipEditor, TrimmingWithTheHandlesSetsStartAndDurationInSixHundredths)
{
    auto clip = addTone(3.0, 2);
    open(clip);
    setNeedsRendering(false);
    const double percent = (trim().bounds().width() - zt::QVTrimControl::kHandleWidth) / 100;
    drag(inWindow(*trim().leftThumb()), 2 * percent, 10);  // 20 percent: 0.6 s
    EXPECT_EQ(clip->start().timescale, 600);
    EXPECT_NEAR(clip->start().seconds(), 0.6, 0.002);
    drag(inWindow(*trim().rightThumb()), -2 * percent, 10);  // to 80 percent: 2.4 s
    EXPECT_EQ(clip->duration().timescale, 600);
    EXPECT_NEAR(clip->duration().seconds(), 1.8, 0.004);
    EXPECT_TRUE(needsRendering());
    zt::ProjectModel reopened(project->getProjectPath());
    EXPECT_EQ(reopened.getMetaData()->getBool("RecordNeedsRendering"), true) << "saved at once";

    editor->trimControl(trim(), 2.0, 5.5);
    EXPECT_EQ(clip->start(), MediaTime::make(1200, 600));
    EXPECT_EQ(clip->duration(), MediaTime::make(2100, 600));
}

TEST_F(ClipEditor, TheBandMovesTheSelectionAlongTheClip)
{
    auto clip = addTone(3.0, 2);
    open(clip);
    editor->trimControl(trim(), 0, 1.5);
    auto fresh = std::make_shared<zt::AudioConfigurationViewController>(clip, controller, project);
    window->setRootViewController(std::make_shared<zt::QVNavigationController>(fresh));
    editor = fresh;
    driver.wait(0);
    const double percent = (trim().bounds().width() - zt::QVTrimControl::kHandleWidth) / 100;
    drag(inWindow(*trim().centerView()), 2 * percent, 10);  // 20 percent later
    EXPECT_NEAR(clip->start().seconds(), 0.6, 0.002);
    EXPECT_NEAR(clip->duration().seconds(), 1.5, 0.004);
}

TEST_F(ClipEditor, ListeningPlaysTheTrimmedClipAloneAndLeavesItsPlaceInTheMovie)
{
    auto clip = addFile(twoToneFile(4.0), 5);
    ASSERT_TRUE(clip);
    const plat::MediaTimeRange placed = clip->timeRangeInMovie();
    open(clip);
    editor->trimControl(trim(), 2.0, 3.0);
    editor->sliderVolume()->setValue(0.5);
    editor->actionSliderValueChanged(*editor->sliderVolume());
    ASSERT_TRUE(driver.tap(*editor->btnPlay()));
    EXPECT_TRUE(editor->btnPlay()->isSelected());
    EXPECT_FALSE(editor->btnStop()->isHidden());
    clock.advance(1.5);
    // Heard from the tap: the clip's second part, at half volume, for a second.
    EXPECT_NEAR(pitch(0.1, 0.9), 880, 10);
    EXPECT_NEAR(peak(0.1, 0.9), 0.125, 0.01);
    EXPECT_LT(peak(1.1, 1.4), 0.001);
    EXPECT_FALSE(editor->btnPlay()->isSelected()) << "played to its end";
    EXPECT_TRUE(editor->btnStop()->isHidden());
    EXPECT_EQ(clip->timeRangeInMovie(), placed) << "the listening copy was placed, not the clip";
}

TEST_F(ClipEditor, MovingAHandleOrTheVolumeWhileListeningStops)
{
    auto clip = addTone(3.0, 2);
    const struct {
        const char* control;
        std::function<void()> move;
    } changes[] = {
        {"left handle",
            [&] {
                const double percent = (trim().bounds().width() - zt::QVTrimControl::kHandleWidth) / 100;
                drag(inWindow(*trim().leftThumb()), percent, 15);
                EXPECT_GT(clip->start().seconds(), 0);
            }},
        {"volume",
            [&] {
                const plat::Slider& slider = *editor->sliderVolume();
                const plat::Rect bounds = slider.bounds();
                const plat::Rect thumb = slider.thumbRectForBounds(bounds, slider.trackRectForBounds(bounds), 1.0);
                drag(slider.convertPoint({thumb.midX(), thumb.midY()}, nullptr), -2, 15);
                EXPECT_LT(clip->volume(), 1.0f);
            }},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.control);
        open(clip);
        ASSERT_TRUE(driver.tap(*editor->btnPlay()));
        clock.advance(0.2);
        ASSERT_TRUE(editor->isPlaying());
        change.move();
        EXPECT_FALSE(editor->isPlaying());
        EXPECT_FALSE(editor->btnPlay()->isSelected());
        EXPECT_TRUE(editor->btnStop()->isHidden());
        const double stoppedAt = static_cast<double>(heard.size()) / plat::AudioOutput::kSampleRate;
        clock.advance(0.5);
        EXPECT_LT(peak(stoppedAt + 0.01, stoppedAt + 0.5), 0.001) << "still heard";
    }
}

TEST_F(ClipEditor, TheStopButtonEndsListening)
{
    auto clip = addTone(3.0, 2);
    open(clip);
    ASSERT_TRUE(driver.tap(*editor->btnPlay()));
    clock.advance(0.5);
    ASSERT_TRUE(driver.tap(*editor->btnStop()));
    EXPECT_FALSE(editor->isPlaying());
    const size_t heardSoFar = heard.size();
    clock.advance(0.5);
    EXPECT_LT(peak(static_cast<double>(heardSoFar) / plat::AudioOutput::kSampleRate + 0.01, 1.5), 0.001);
}

TEST_F(ClipEditor, TheWaveformIsDrawnOnceAndThenReadFromTheCache)
{
    auto clip = addTone(2.0, 2);
    const std::string cache = zt::AudioConfigurationViewController::waveformCachePath(*clip->fileID());
    ASSERT_FALSE(plat::fileExists(cache));
    // The drawing may already have come back while the screen appeared.
    open(clip);
    ASSERT_TRUE(waitForWaveform());
    ASSERT_TRUE(editor->waveformView()->image());
    const double width = editor->viewTrimm()->bounds().width();
    const plat::Size drawn = editor->waveformView()->image()->size();
    // About twice as wide as the area on a 2.0 scale screen (whole runs of samples per column).
    EXPECT_NEAR(drawn.width, 2 * width, 2 * width * 0.05);
    EXPECT_EQ(drawn.height, 100);
    EXPECT_TRUE(plat::fileExists(cache));
    // Even a file that changed keeps its first picture.
    ASSERT_TRUE(plat::removeItem(projectFile(*clip->fileID())).ok());
    open(clip);
    EXPECT_FALSE(editor->isDrawingWaveform());
    ASSERT_TRUE(editor->waveformView()->image()) << "read at once";
    EXPECT_EQ(editor->waveformView()->image()->size(), drawn);
}

TEST_F(ClipEditor, AFileWithoutSoundKeepsThePatternAndCachesNothing)
{
    auto clip = addTone(2.0, 2);
    const std::string name = *clip->fileID();
    ASSERT_TRUE(plat::writeFileAtomically(projectFile(name), std::string("not a sound")).ok());
    open(clip);
    ASSERT_TRUE(waitForWaveform());
    EXPECT_FALSE(editor->waveformView()->image());
    EXPECT_TRUE(editor->viewTrimm()->backgroundColor());
    EXPECT_FALSE(plat::fileExists(zt::AudioConfigurationViewController::waveformCachePath(name)));
}

TEST_F(ClipEditor, BackgroundMusicTrimsUpToItsWholeLength)
{
    auto music = addFile(tone("music.wav", 10.0, 220), 0, AudioClip::Music);
    ASSERT_TRUE(music);
    open(music);
    const double percent = (trim().bounds().width() - zt::QVTrimControl::kHandleWidth) / 100;
    drag(inWindow(*trim().leftThumb()), 5 * percent, 10);
    drag(inWindow(*trim().leftThumb()), -10 * percent, 10);
    EXPECT_EQ(music->start().seconds(), 0);
    EXPECT_NEAR(music->duration().seconds(), 10.0, 0.01) << "the whole piece again";
}

TEST_F(ClipEditor, ASoundWhoseRoomShrankIsSelectedOnlyUpToThatRoom)
{
    auto clip = addTone(2.0, 10);
    ASSERT_EQ(clip->track(), 0);
    for (int i = 0; i < 5; ++i)
        removeFrame(15);
    controller->recalculateAudioClipDurations();
    const double room = clip->duration().seconds();
    ASSERT_LT(room, 1.5) << "cut to the frames left behind it";
    open(clip);
    EXPECT_NEAR(editor->maxAvailableDuration().seconds(), room, 1e-6);
    const double percent = (trim().bounds().width() - zt::QVTrimControl::kHandleWidth) / 100;
    drag(inWindow(*trim().rightThumb()), 5 * percent, 10);  // a tenth of a second a step, a second in all
    // The span grows until it is longer than the room, one step at most.
    EXPECT_GT(clip->duration().seconds(), room);
    EXPECT_LE(clip->duration().seconds(), room + 0.1 + 1e-3);
    editor->actionDone();
    EXPECT_NEAR(clip->duration().seconds(), room, 1e-6) << "stored cut to its room";
}

TEST_F(ClipEditor, DoneStoresTheClipAndTellsTheFrameEditor)
{
    auto clip = addTone(3.0, 2);
    open(clip);
    editor->trimControl(trim(), 1.0, 2.5);
    ASSERT_TRUE(driver.tap(*editor->btnPlay()));
    editor->actionDone();
    EXPECT_FALSE(editor->isPlaying());
    EXPECT_EQ(dones, std::vector<const void*> {editor.get()});
    auto stored = storedAudio().getArray("TRACK_0");
    ASSERT_TRUE(stored && stored->count() == 1);
    auto record = stored->at(0).asDictionary();
    EXPECT_EQ(AudioClip::getCMTimeFromDictonary(record->getDictionary("RecordAudioStart")), MediaTime::make(600, 600));
    EXPECT_EQ(
        AudioClip::getCMTimeFromDictonary(record->getDictionary("RecordAudioDuration")), MediaTime::make(900, 600));
    EXPECT_EQ(clip->timeRangeInMovie().duration, MediaTime::make(900, 600));
}

TEST_F(ClipEditor, TrashRemovesTheClipWithoutAsking)
{
    auto clip = addTone(3.0, 2);
    open(clip);
    editor->actionTrash();
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0], clip);
    EXPECT_TRUE(controller->audioTracks()[0].empty());
    EXPECT_TRUE(needsRendering());
}
