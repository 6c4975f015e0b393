#include "editor/PreviewPlayer.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

#include "audio/AudioController.h"
#include "document/AudioClip.h"
#include "document/Frame.h"
#include "document/FrameList.h"
#include "document/ProjectModel.h"
#include "document/ProjectsList.h"
#include "support/ManualClockScope.h"
#include "support/MediaTools.h"
#include "support/TemporarySandbox.h"

namespace {

// Each frame shown, with the clock's time since the start.
class ShownFrames : public zt::PreviewPlayerDelegate {
public:
    explicit ShownFrames(plat::test::ManualClockScope& clock)
        : _clock(clock)
        , _start(clock.uptimeSeconds())
    {
    }
    void previewPlayerShowFrameAtIndex(zt::PreviewPlayer&, int64_t index) override
    {
        shown.push_back({index, std::round((_clock.uptimeSeconds() - _start) * 1000) / 1000});
        // Showing takes that long, as a busy main thread's drawing does.
        _clock.advance(shown.size() == 1 ? firstShowSeconds : showSeconds);
    }
    void previewPlayerDidStopPlay(zt::PreviewPlayer&) override
    {
        stoppedAt = std::round((_clock.uptimeSeconds() - _start) * 1000) / 1000;
    }
    std::vector<int64_t> indexes() const
    {
        std::vector<int64_t> all;
        for (const auto& [index, time] : shown)
            all.push_back(index);
        return all;
    }

    std::vector<std::pair<int64_t, double>> shown;
    double stoppedAt = -1;
    double firstShowSeconds = 0;
    double showSeconds = 0;

private:
    plat::test::ManualClockScope& _clock;
    double _start;
};

class Playback : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(zt::ProjectsList::replace({})); }

    // Pictures F0... before the capture placeholder; no files are needed to play.
    void makeFrames(int pictures, int framesPerSecond)
    {
        auto& list = project->getFrameList();
        for (int i = 0; i < pictures; ++i)
            list.insertFrame(zt::Frame(zt::FrameTypePicture, "F" + std::to_string(i)), list.getCaptureIndex());
        set("RecordFPS", framesPerSecond);
        set("PlayAsLoop", false);  // a new project loops
    }
    void set(const std::string& key, plat::Value value) { project->getMetaData()->set(key, std::move(value)); }
    void start(int64_t from = 0)
    {
        player = std::make_shared<zt::PreviewPlayer>(project, audio);
        player->setDelegate(frames);
        player->moveToIndex(from);
        player->play();
    }

    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
    std::shared_ptr<zt::ProjectModel> project = std::make_shared<zt::ProjectModel>(std::nullopt);
    std::shared_ptr<zt::AudioController> audio;
    std::shared_ptr<zt::PreviewPlayer> player;
    std::shared_ptr<ShownFrames> frames = std::make_shared<ShownFrames>(clock);
};

using Shown = std::vector<std::pair<int64_t, double>>;

TEST_F(Playback, EachFrameShowsAtItsTimeAndThePlaceholderEndsTheRun)
{
    makeFrames(4, 5);
    start();
    clock.advance(2);
    EXPECT_EQ(frames->shown, (Shown {{0, 0}, {1, 0.2}, {2, 0.4}, {3, 0.6}}));
    EXPECT_EQ(frames->stoppedAt, 0.8);
    EXPECT_FALSE(player->isPlaying());
}

TEST_F(Playback, PicturesThatTakeTimeToShowAllShowAtTheirTimes)
{
    struct Row {
        double firstShowSeconds, showSeconds;
        Shown expected;
    };
    const Row rows[] = {
        {0.15, 0.15, {{0, 0}, {1, 0.2}, {2, 0.4}, {3, 0.6}}},
        {0.3, 0, {{0, 0}, {1, 0.3}, {2, 0.4}, {3, 0.6}}},  // late past its time: shown, not skipped
    };
    makeFrames(4, 5);
    for (const Row& row : rows) {
        frames = std::make_shared<ShownFrames>(clock);
        frames->firstShowSeconds = row.firstShowSeconds;
        frames->showSeconds = row.showSeconds;
        start();
        clock.advance(2);
        EXPECT_EQ(frames->shown, row.expected) << "first show takes " << row.firstShowSeconds;
    }
}

TEST_F(Playback, AFrameRateOfZeroPlaysAtTheDefaultFiveInsteadOfStalling)
{
    makeFrames(3, 0);
    start();
    clock.advance(2);
    EXPECT_EQ(frames->shown, (Shown {{0, 0}, {1, 0.2}, {2, 0.4}}));
    EXPECT_EQ(player->speed(), 5.0f);
}

TEST_F(Playback, HalfSpeedShowsEachFrameTwiceAsLong)
{
    makeFrames(3, 10);
    set("PlayAtHalfSpeed", true);
    start();
    clock.advance(2);
    EXPECT_EQ(frames->shown, (Shown {{0, 0}, {1, 0.2}, {2, 0.4}}));
    EXPECT_EQ(frames->stoppedAt, 0.6);
}

TEST_F(Playback, ALoopStartsAgainWithoutSkippingAFrame)
{
    makeFrames(3, 5);
    set("PlayAsLoop", true);
    start();
    clock.advance(1.3);
    EXPECT_EQ(frames->shown, (Shown {{0, 0}, {1, 0.2}, {2, 0.4}, {0, 0.6}, {1, 0.8}, {2, 1.0}, {0, 1.2}}));
    EXPECT_TRUE(player->isPlaying());
    EXPECT_EQ(frames->stoppedAt, -1);
}

TEST_F(Playback, TheLastFramesOptionStartsNearTheEndTwelveFramesBack)
{
    makeFrames(19, 5);  // 20 entries with the placeholder
    set("PlayLastFramesOnly", true);
    start(18);
    EXPECT_EQ(frames->indexes(), (std::vector<int64_t> {8}));
    player->stop();
    frames->shown.clear();
    start(17);
    EXPECT_EQ(frames->indexes(), (std::vector<int64_t> {17}));
}

TEST_F(Playback, WithFewFramesTheLastFramesOptionStartsAtTheFirst)
{
    makeFrames(4, 5);
    set("PlayLastFramesOnly", true);
    set("PlayAsLoop", true);
    start(4);
    EXPECT_EQ(frames->indexes(), (std::vector<int64_t> {0}));
    clock.advance(0.85);
    EXPECT_EQ(frames->indexes(), (std::vector<int64_t> {0, 1, 2, 3, 0}));
}

TEST_F(Playback, ALoopOfTheLastFramesGoesBackTwelveFromTheEnd)
{
    makeFrames(15, 5);  // 16 entries
    set("PlayLastFramesOnly", true);
    set("PlayAsLoop", true);
    start(12);
    clock.advance(0.65);
    EXPECT_EQ(frames->indexes(), (std::vector<int64_t> {12, 13, 14, 4}));
}

TEST_F(Playback, AMovedPlaceholderIsNeverShownInTheMiddle)
{
    makeFrames(4, 5);
    auto& list = project->getFrameList();
    zt::Frame placeholder = *list.getFrameAtIndex(4);
    list.removeFrameAtIndex(4);
    list.insertFrame(placeholder, 2);  // F0 F1 P F2 F3
    start();
    clock.advance(2);
    EXPECT_EQ(frames->shown, (Shown {{0, 0}, {1, 0.2}, {3, 0.4}, {4, 0.6}})) << "each picture at its time in the movie";
    EXPECT_EQ(frames->stoppedAt, 0.8) << "the last picture shows for its own 0.2 s";
}

TEST_F(Playback, AVoiceOverStartPlaysOnceAtFullSpeedFromWhereItIs)
{
    makeFrames(6, 5);
    set("PlayAsLoop", true);
    set("PlayAtHalfSpeed", true);
    set("PlayLastFramesOnly", true);
    player = std::make_shared<zt::PreviewPlayer>(project, nullptr);
    player->setDelegate(frames);
    player->moveToIndex(5);
    player->playWhileRecording();
    clock.advance(1);
    EXPECT_EQ(frames->shown, (Shown {{5, 0}}));
    EXPECT_EQ(frames->stoppedAt, 0.2);
    // The mark is for one start only.
    frames->shown.clear();
    player->moveToIndex(5);
    player->play();
    EXPECT_EQ(frames->indexes(), (std::vector<int64_t> {0})) << "near the end with the options: from the start";
}

TEST_F(Playback, AnEmptyListPlaysNothing)
{
    project->getFrameList().removeFrameAtIndex(0);
    start();
    clock.advance(1);
    EXPECT_TRUE(player->isPlaying());
    EXPECT_TRUE(frames->shown.empty());
    player->stop();
    EXPECT_FALSE(player->isPlaying());
}

TEST_F(Playback, AStopAndQuickStartRunsOneClockNotTwo)
{
    makeFrames(6, 5);
    start();
    clock.advance(0.1);
    player->stop();
    EXPECT_EQ(frames->stoppedAt, -1) << "a stop tells nobody";
    player->moveToIndex(0);
    frames->shown.clear();
    player->play();
    clock.advance(0.5);
    EXPECT_EQ(frames->shown, (Shown {{0, 0.1}, {1, 0.3}, {2, 0.5}}));
}

TEST_F(Playback, TheOptionsAreReadAtEachStart)
{
    makeFrames(3, 5);
    start();
    set("PlayAsLoop", true);
    clock.advance(1);
    EXPECT_FALSE(player->isPlaying()) << "the change waits for the next start";
}

class PlaybackWithSound : public Playback {
protected:
    void SetUp() override
    {
        Playback::SetUp();
        makeFrames(10, 5);
        // Two seconds of sound from frame 0.
        std::string path = sandbox.path("tmp/tone.wav");
        auto made = plat::test::runFFmpeg(
            sandbox.path("tmp"), {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=2", path});
        ASSERT_EQ(made.exitCode, 0) << made.output;
        audio = std::make_shared<zt::AudioController>(project);
        audio->prepareAudioForProject();
        audio->addAudioFromFile(path, 0, std::string("Tone"), zt::AudioClip::SoundEffect);
        ASSERT_EQ(audio->audioTracks()[0].size(), 1u);
    }
};

TEST_F(PlaybackWithSound, TheSoundPlaysFromTheStartFrameAndStopsWithTheRun)
{
    start(4);
    auto time = audio->getCurentTimeIndex();
    ASSERT_TRUE(time.isValid()) << "the sound plays";
    EXPECT_NEAR(time.seconds(), 0.8, 1e-6);
    clock.advance(0.5);
    EXPECT_EQ(frames->indexes(), (std::vector<int64_t> {4, 5, 6}));
    EXPECT_NEAR(audio->getCurentTimeIndex().seconds(), 1.3, 0.01);
    clock.advance(2);
    EXPECT_EQ(frames->indexes(), (std::vector<int64_t> {4, 5, 6, 7, 8, 9}));
    EXPECT_FALSE(audio->getCurentTimeIndex().isValid()) << "stopped with the run";
}

TEST_F(PlaybackWithSound, AStartAfterAMovedPlaceholderPlaysTheSoundFromThatPicturesTimeInTheMovie)
{
    project->getFrameList().removeFrameWithFrameType(zt::FrameTypeCapturePlaceholder);
    project->getFrameList().insertFrame(zt::Frame(zt::FrameTypeCapturePlaceholder), 2);  // F2 is the third picture
    start(3);
    EXPECT_NEAR(audio->getCurentTimeIndex().seconds(), 0.4, 1e-6);
}

TEST_F(PlaybackWithSound, EachLoopStartsTheSoundAgainFromTheLoopsFirstFrame)
{
    set("PlayAsLoop", true);
    start();
    // Ten frames at 5 a second: a pass lasts 2 s, so 0.3 s into each pass
    // the sound is 0.3 s in again.
    for (int pass = 1; pass <= 3; ++pass) {
        clock.advance(pass == 1 ? 2.3 : 2.0);
        auto time = audio->getCurentTimeIndex();
        ASSERT_TRUE(time.isValid()) << "pass " << pass << ": no sound";
        EXPECT_NEAR(time.seconds(), 0.3, 0.01) << "pass " << pass;
    }
    const auto shown = frames->indexes();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), 0), 4) << "the first and three loops";
}

TEST_F(PlaybackWithSound, AtHalfSpeedTheSoundKeepsMovieTimeAtHalfItsRate)
{
    set("PlayAtHalfSpeed", true);
    start(2);
    EXPECT_NEAR(audio->getCurentTimeIndex().seconds(), 0.4, 1e-6);
    clock.advance(0.85);
    EXPECT_EQ(frames->shown, (Shown {{2, 0}, {3, 0.4}, {4, 0.8}})) << "2.5 frames a second";
    EXPECT_NEAR(audio->getCurentTimeIndex().seconds(), 0.4 + 0.85 / 2, 0.01);
}

TEST_F(PlaybackWithSound, AVoiceOverStartPlaysNoSound)
{
    player = std::make_shared<zt::PreviewPlayer>(project, audio);
    player->setDelegate(frames);
    player->playWhileRecording();
    EXPECT_FALSE(audio->getCurentTimeIndex().isValid());
    clock.advance(0.3);
    EXPECT_EQ(frames->indexes(), (std::vector<int64_t> {0, 1}));
}

}  // namespace
