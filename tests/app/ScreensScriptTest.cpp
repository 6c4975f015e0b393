// The screens a person meets on a phone and on a tablet, each checked as it
// comes up by a device script (checklayout: every control and text inside
// the screen, none covered), in one run of the app per idiom. Along the way
// a voice-over is recorded and reached through its lane in the strip: on the
// phone it is trimmed, on the tablet trimmed and then removed; then the
// toolbar's popovers, the look sheet, the painter's layers and the gallery.
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "AppProcess.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/media/MediaTime.h"
#include "support/TemporarySandbox.h"

namespace {

using zt::test::addSineMicrophone;
using zt::test::addTestPatternCamera;
using zt::test::newestProjectName;
using zt::test::runApp;
using zt::test::takePictures;

struct Screen {
    const char* name;  // its screenshot's name
    std::string reach;  // the script lines from the screen before
};

// The voice-over panel at the first frame, a recording, and the strip after
// Stop at 1, 3 and 8 seconds, its lanes in view (the clip's name, 00:01,
// marks the lane where it starts).
const std::vector<Screen> kVoiceOver {
    {"voice-over", "tap First Frame\nwait 1\ntap Voice-over\nwait 1\n"},
    {"recording", "tap Record\nwait 6\n"},
    {"lane-1s", "tap Stop\nwait 1\n"},
    {"lane-3s", "wait 2\n"},
    {"lane-8s", "wait 5\n"},
    {"clip-editor", "tap 00:01\nwait 1\n"},
    {"clip-playing", "tap Play\nwait 0.5\n"},
};

// After the voice-over: the toolbar's popovers, the look sheet, the painter
// with its layers, and the gallery, which its Done leaves for the explorer
// (whose Help then opens the info centre).
std::vector<Screen> phoneToolScreens()
{
    return {
        {"options", "tap Playback Options\nwait 1\n"},
        {"media", "tapat 40 300\nwait 1\ntap Add Media\nwait 1\n"},
        {"look-scrolled",
            "tapat 500 300\nwait 1\ntap Movie Look\nwait 1\ntapat 29 172\nwait 1\n"
            "drag 284 250 284 60\nwait 1\n"},
        {"painter",
            "tap Done\nwait 1\ntap First Frame\nwait 1\ntapat 284 108\nwait 0.7\ntap Paint\nwait 1.5\n"
            "tap Next\nwait 1\n"},
        {"layers", "tap Layers\nwait 1\n"},
        {"gallery", "tapat 60 200\nwait 1\ntap Back\nwait 2\ntap Projects\nwait 1.5\ntap Gallery\nwait 1.5\n"},
        {"gallery-closed", "tap Done\nwait 1.5\ntap Help\nwait 1\n"},
    };
}

std::vector<Screen> tabletToolScreens()
{
    return {
        {"options", "tap Playback Options\nwait 1\n"},
        {"media", "tapat 300 300\nwait 1\ntap Add Media\nwait 1\n"},
        {"look", "tapat 300 300\nwait 1\ntap Movie Look\nwait 1\n"},
        {"painter",
            "tap Done\nwait 1\ntap First Frame\nwait 1\ntapat 400 300\nwait 0.7\ntap Paint\nwait 1.5\n"
            "tap Next\nwait 1\n"},
        {"layers", "tap Layers\nwait 1\n"},
        {"gallery", "tapat 500 400\nwait 1\ntap Back\nwait 2\ntap Projects\nwait 1.5\ntap Gallery\nwait 1.5\n"},
        {"gallery-closed", "tap Done\nwait 1.5\ntap Help\nwait 1\n"},
    };
}

std::vector<Screen> phoneScreens()
{
    std::vector<Screen> screens {
        {"welcome", "wait 1.2\n"},
        {"empty-project", "tap Get Started\nwait 1\ntapat 284 119\nwait 1\n"},
        {"capture", "tap Capture\nwait 1.5\n" + takePictures(5)},
        {"editor", "tap Done\nwait 1.5\n"},
        {"help", "tap Help\nwait 1\n"},
        {"frame-menu", "tapat 284 150\nwait 1\ntapat 284 259\nwait 0.7\n"},
        {"hold", "tap Hold\nwait 1\n"},
        {"hold-stepped", "tap +\nwait 0.3\ntap +\nwait 0.3\ntap \u2212\nwait 0.3\n"},
        {"hold-applied", "tap Hold 2 times\nwait 1\n"},
    };
    screens.insert(screens.end(), kVoiceOver.begin(), kVoiceOver.end());
    // The left handle dragged a fifth of the way in; Done keeps the trim.
    screens.push_back({"clip-closed", "tap Stop\nwait 0.3\ndrag 32 210 130 210\nwait 0.5\ntap Done\nwait 1\n"});
    const std::vector<Screen> tools = phoneToolScreens();
    screens.insert(screens.end(), tools.begin(), tools.end());
    return screens;
}

std::vector<Screen> tabletScreens()
{
    std::vector<Screen> screens {
        {"welcome", "wait 1.2\n"},
        {"empty-project", "tap Get Started\nwait 1\ntapat 512 319\nwait 1.5\n"},
        {"editor", takePictures(5)},
        {"help", "tap Help\nwait 1\n"},
        {"frame-menu", "tapat 512 300\nwait 1\ntapat 382 670\nwait 0.7\n"},
        {"hold", "tap Hold\nwait 1\n"},
        {"hold-closed", "tap Hold 1 times\nwait 1\n"},
    };
    screens.insert(screens.end(), kVoiceOver.begin(), kVoiceOver.end());
    screens.push_back({"clip-trimmed", "tap Stop\nwait 0.3\ndrag 32 647 300 647\nwait 0.5\n"});
    screens.push_back({"clip-again", "tap Done\nwait 1\ntap 00:01\nwait 1\n"});
    screens.push_back({"clip-removed", "tap Trash\nwait 1\n"});
    const std::vector<Screen> tools = tabletToolScreens();
    screens.insert(screens.end(), tools.begin(), tools.end());
    return screens;
}

std::string scriptOf(const std::vector<Screen>& screens, const std::string& shots)
{
    std::string script;
    for (const Screen& screen : screens)
        script += screen.reach + "checklayout " + screen.name + "\nscreenshot " + shots + screen.name + ".png\n";
    return script + "quit\n";
}

// The voice clips of the device's newest project.
plat::Array voiceClips(const std::string& device)
{
    auto metadata = plat::dictionaryWithContentsOfFile(
        device + "/Documents/" + newestProjectName(device).value_or("") + "/plovix.meta");
    if (!metadata)
        return plat::Array();
    return metadata->getDictionary("RecordMetaAudio")
        .value_or(plat::Dictionary())
        .getArray("TRACK_0")
        .value_or(plat::Array());
}

}  // namespace

TEST(ScreensScript, EveryScreenOnAPhoneAndATabletIsInsideTheScreenAndUncovered)
{
    struct Run {
        const char* idiom;
        std::vector<Screen> screens;
    };
    for (const Run& run : {Run {"phone", phoneScreens()}, Run {"tablet", tabletScreens()}}) {
        SCOPED_TRACE(run.idiom);
        plat::test::TemporaryFolder folder;
        const std::string device = folder.path("device");
        addTestPatternCamera(device);
        addSineMicrophone(device);
        const std::string shots = ::testing::TempDir() + "screens-" + run.idiom + "/";
        ASSERT_TRUE(plat::createDirectory(shots, plat::IntermediateDirectories::Yes).ok());
        std::ofstream(folder.path("screens.txt")) << scriptOf(run.screens, shots);
        // A screen that fails the check stops the run with its faults.
        ASSERT_EQ(runApp(device, run.idiom, folder.path("screens.txt")), 0);
        for (const Screen& screen : run.screens)
            EXPECT_TRUE(plat::fileExists(shots + screen.name + ".png")) << screen.name;

        const plat::Array clips = voiceClips(device);
        if (std::string(run.idiom) == "tablet") {
            EXPECT_EQ(clips.count(), 0u) << "removed through its lane";
            continue;
        }
        ASSERT_EQ(clips.count(), 1u);
        const auto clip = clips.at(0).asDictionary();
        ASSERT_TRUE(clip);
        const double start = plat::MediaTime::makeFromDictionary(clip->getDictionary("RecordAudioStart")).seconds();
        const double duration
            = plat::MediaTime::makeFromDictionary(clip->getDictionary("RecordAudioDuration")).seconds();
        EXPECT_GT(start, 0.1) << "trimmed at its start through its lane";
        EXPECT_GT(duration, 0.1);
    }
}

// The parental passcode, asked for at start when the device's settings page
// turned the gallery off: its four boxes and nothing else, on either device.
TEST(ScreensScript, TheParentalPasscodeIsInsideTheScreenAndUncovered)
{
    for (const std::string idiom : {"phone", "tablet"}) {
        SCOPED_TRACE(idiom);
        plat::test::TemporaryFolder folder;
        const std::string device = folder.path("device");
        ASSERT_TRUE(plat::createDirectory(device + "/Library/Preferences", plat::IntermediateDirectories::Yes).ok());
        ASSERT_TRUE(plat::writePropertyListFile(plat::Dictionary {{"isYoutubeGalleryEnabled", false}},
            device + "/Library/Preferences/com.quorvane.zantrope.plist")
                        .ok());
        std::ofstream(folder.path("passcode.txt"))
            << "wait 1.5\ntype 47\nwait 0.5\nchecklayout\ntap Done\nwait 1\nquit\n";
        EXPECT_EQ(runApp(device, idiom, folder.path("passcode.txt")), 0);
    }
}
