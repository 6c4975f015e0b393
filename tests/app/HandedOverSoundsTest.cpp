// Sounds another app hands over are taken by what they hold: every kind
// FFmpeg reads goes into the audio inbox under a free name, whatever its
// name says, and a sound that states no length is not refused as cut short.
#include <string>
#include <vector>

#include "app/AppScreensTestSupport.h"
#include "audio/AudioController.h"
#include "support/MediaTools.h"

namespace {

using zt::test::AppScreens;

class HandedOverSounds : public AppScreens { };

}  // namespace

TEST_F(HandedOverSounds, EveryKindOfSoundTheAppReadsGoesIntoTheAudioInbox)
{
    struct Kind {
        const char* name;
        std::vector<std::string> encoding;  // ffmpeg's output options
        const char* keptAs;
    };
    const Kind kinds[] = {
        {"song.flac", {"-c:a", "flac"}, "song.flac"},
        {"song.ogg", {"-c:a", "libvorbis"}, "song.ogg"},
        {"song.opus", {"-c:a", "libopus"}, "song.opus"},
        {"song.mp2", {"-c:a", "mp2"}, "song.mp2"},
        {"song.ac3", {"-c:a", "ac3"}, "song.ac3"},
        {"song.m4r", {"-c:a", "aac", "-f", "ipod"}, "song.m4r"},
        {"Recording", {"-c:a", "flac", "-f", "flac"}, "Recording"},
        {"song.flac", {"-c:a", "flac"}, "song-2.flac"},
        {"song-vbr.mp3", {}, "song-vbr.mp3"},
    };
    launch();
    settle();
    plat::test::TemporaryFolder otherApp;
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.keptAs);
        std::vector<std::string> arguments {"-f", "lavfi", "-i", "sine=frequency=440:duration=0.5"};
        arguments.insert(arguments.end(), kind.encoding.begin(), kind.encoding.end());
        arguments.push_back(kind.name);
        const auto made = kind.encoding.empty() ? plat::test::makeMP3WithoutLengthHeader(otherApp.path(), kind.name, 3)
                                                : plat::test::runFFmpeg(otherApp.path(), arguments);
        ASSERT_EQ(made.exitCode, 0) << made.output;
        EXPECT_TRUE(app.openURLFromApplication(
            plat::URL::fileURLWithPath(otherApp.path(kind.name)), "com.example.mail", plat::Value()));
        EXPECT_EQ(waitForAlert(), "\nAudio file imported.");
        EXPECT_TRUE(
            plat::fileExists(plat::appendingPathComponent(zt::AudioController::sharedAudioInboxPath(), kind.keptAs)));
        driver.wait(0.5);  // it has come in
        ASSERT_TRUE(driver.tap("OK"));
        driver.wait(1);
    }
}
