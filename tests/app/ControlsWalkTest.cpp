// A walk through every screen a person reaches, on a phone and on a tablet,
// one run of the app per idiom: at each screen the layout is checked
// (checklayout), every text is measured against what is behind it
// (checkcontrast), and every enabled control on it is tapped once
// (checkcontrols); a control that does nothing a person sees, a text cut
// off or too faint, fails the walk with its name and the screen's. The
// device has a camera (a moving test picture), a microphone, a photo
// library, a music library and a slow encoder, as a person's might.
#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

#include "AppProcess.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/PropertyList.h"
#include "support/Idioms.h"
#include "support/MediaTools.h"
#include "support/MusicLibraryFiles.h"
#include "support/TemporarySandbox.h"

namespace {

using zt::test::addSineMicrophone;
using zt::test::addSlowEncoder;
using zt::test::addTestPatternCamera;
using zt::test::runApp;

// The device's encoder is slow enough that a render lasts some seconds of the
// app's time. While the walk's render lasts, a picture every 0.65 s is
// never written at the moment the progress screen looks at the render (once
// a second from the render's start): two things due at one moment run in
// either order, and the walk would see the progress move in one run and
// stand still in another.
constexpr double kEncodedPicturesPerSecond = 1 / 0.65;

struct Screen {
    const char* name;  // its screenshot's name, and the screen's in a failure
    std::string reach;  // the script lines from the screen before
    // What checkcontrols is told: "| except" controls left out and "| last"
    // controls tapped after the others, each for the reason given beside
    // it, and "| back" the lines that reach the screen again when a control
    // took the app elsewhere.
    std::string check;
};

std::string takePictures(int count)
{
    std::string lines;
    for (int i = 0; i < count; ++i)
        lines += "tap Take Picture\nwait 1.1\n";
    return lines;
}

// A line painted with the pen on the painter's current layer, and the layer list opened again.
std::string paintLine(const std::string& fromTo)
{
    return "tap Pen\nwait 0.5\ndrag " + fromTo + "\nwait 0.5\ntap Layers\nwait 1\n";
}

// Reasons that come back on several screens:
// - "Take Picture" is tapped by the walk's own steps, each adding a frame.
// - The title of the look sheet's page shown ("Theme", "Outline") names the
//   page the person is on, as a chosen tab does; the other page's title
//   switches and is tapped.
// - A control that leaves the screen for the walk's next screen is tapped last.
// - The layer list's Duplicate, Import and Export have no action yet (their
//   handlers do nothing): left out until they do.

std::vector<Screen> phoneScreens()
{
    const std::string openMenu = "tap Capture Frame; wait 1; tapat 194 259; wait 0.7";
    return {
        {"welcome", "wait 1.2\n", "| last Get Started"},
        {"explorer-new", "wait 1\n", ""},
        // With no pictures there is nowhere to jump: the jump buttons are
        // tapped on the editor with frames.
        {"empty-editor", "tapat 284 119\nwait 0.6\n",
            "| except First Frame; Capture Frame | back tapat 284 119; wait 0.6"},
        {"capture", "tap Capture\nwait 1.5\n" + takePictures(2), "| except Take Picture | back tap Capture; wait 1.5"},
        {"capture-options", "tap Options\nwait 1\n",
            "| except Take Picture | back tap Capture; wait 1.5; tap Options; wait 1"},
        {"capture-source", "tap Options\nwait 1\ntap Source\nwait 1\n", "| back tap Source; wait 1"},
        {"capture-interval", "tap Camera\nwait 1.5\ntap Interval\nwait 1\n", "| back tap Interval; wait 1"},
        // The current frame in the middle of the film, so that both jumps go somewhere.
        {"editor", "tapat 300 60\nwait 1\n" + takePictures(3) + "tap Done\nwait 1.5\ndrag 200 259 380 259\nwait 1\n",
            "| back tapat 284 119; wait 1.5"},
        // Hold turns the menu into the hold panel, the next screen.
        {"frame-menu", "tap Capture Frame\nwait 1\ntapat 194 259\nwait 0.7\n", "| except Hold | back " + openMenu},
        // Its button applies the count and closes the panel.
        {"hold", "tap Hold\nwait 1\n", "| last Hold * times | back " + openMenu + "; tap Hold; wait 1"},
        {"speed", "tap Next\nwait 1\ntap Playback Options\nwait 1\n", "| back tap Playback Options; wait 1"},
        // Record starts the recording, the next screen.
        {"voice-over", "tapat 540 300\nwait 1\ntap First Frame\nwait 1\ntap Voice-over\nwait 1\n",
            "| last Record | back tap Voice-over; wait 1"},
        {"recording", "wait 6\n", "| back tap Voice-over; wait 1; tap Record; wait 6"},
        // The bin removes the clip.
        {"clip-editor", "tap Stop\nwait 1\ntapat 400 229\nwait 1\n", "| last Trash | back tapat 400 229; wait 1"},
        {"look", "tap Movie Look\nwait 1\n", "| except Theme | back tap Movie Look; wait 1"},
        {"look-lower", "tapat 29 171\nwait 1\ndrag 100 300 100 150\nwait 2\n",
            "| except Theme | back tap Movie Look; wait 1; tapat 29 171; wait 1; drag 100 300 100 150; wait 2"},
        {"outline", "tap Outline\nwait 1\n", "| except Outline | last Done | back tap Outline; wait 1"},
        {"add-media", "tap Add Media\nwait 1\n", "| back tap Add Media; wait 1"},
        {"theme-cards", "tap Theme Cards\nwait 1.5\n", "| back tap Add Media; wait 1; tap Theme Cards; wait 1.5"},
        {"image-import", "tap Cancel\nwait 1\ntap Add Media\nwait 1\ntap Add Images\nwait 1.5\n",
            "| back tap Add Media; wait 1; tap Add Images; wait 1.5"},
        {"image-pictures", "tap Camera Roll\nwait 1\n", "| last Done | back tap Camera Roll; wait 1"},
        {"sound-pickers", "tap Add Media\nwait 1\ntap Audio and Music\nwait 1.5\n",
            "| back tap Add Media; wait 1; tap Audio and Music; wait 1.5"},
        // Paint opens the painter, the next screens.
        {"frame-edit",
            "tap Cancel\nwait 1\ntap Capture Frame\nwait 1\ndrag 200 259 290 259\nwait 1\ntapat 284 108\nwait 0.7\n",
            "| except Paint | back tapat 284 108; wait 0.7"},
        // A line painted, so that Undo and then Redo have something to do;
        // Layers opens the next screen.
        {"painter", "tap Paint\nwait 1.5\ntap Next\nwait 1\ndrag 150 150 420 150\nwait 0.5\n",
            "| except Layers | back tapat 284 108; wait 0.7; tap Paint; wait 1.5"},
        // Two layers with a line each, so that their switches and the
        // opacity slider change the picture and the rows' grips can move
        // them; + comes last, as the layer it adds is empty.
        {"layers", "tap Layers\nwait 1\ntap +\nwait 1\ntapat 40 200\nwait 1\n" + paintLine("150 220 420 220"),
            "| except Duplicate; Import; Export | last + | back tap Layers; wait 1"},
        // The explorer with the sample film in the middle; Edit opens it.
        {"explorer", "tapat 100 200\nwait 1\ntap Back\nwait 2\ntap Projects\nwait 1.5\ntapat 434 119\nwait 1\n",
            "| back tap Next; wait 1; tap Projects; wait 1.5"},
        {"help", "tap Help\nwait 1\n", "| last Done"},
        {"help-page", "tap Help\nwait 1\ntap Help\nwait 1\n", "| last Done"},
        {"gallery", "tap Done\nwait 1\ntap Gallery\nwait 1\n", "| last Done"},
        // The device's slow encoder keeps the render running while its
        // progress screen shows: Cancel stops it and closes the screen.
        {"render-progress", "tap Play\nwait 1\ntap Ok\nwait 1\n", "| last Cancel"},
        // Rendered whole, the movie plays by itself. Done closes the player.
        {"player", "tap Play\nwait 1\ntap Ok\nwait 30\ntapat 284 160\nwait 0.5\n", "| last Done"},
        {"share", "wait 2\ntap Share\nwait 1\n", "| back tap Share; wait 1"},
        {"photo-album", "tap Photo Album\nwait 1\n", "| back tap Share; wait 1; tap Photo Album; wait 1"},
        {"file-sharing", "tap Cancel\nwait 1\ntap Share\nwait 1\ntap File Sharing\nwait 1\n",
            "| back tap Share; wait 1; tap File Sharing; wait 1"},
        {"open-in", "tap Cancel\nwait 1\ntap Share\nwait 1\ntap Open In\nwait 1\n",
            "| back tap Share; wait 1; tap Open In; wait 1"},
    };
}

std::vector<Screen> tabletScreens()
{
    const std::string openMenu = "tap Capture Frame; wait 1; tapat 382 670; wait 0.7";
    return {
        {"welcome", "wait 1.2\n", "| last Get Started"},
        {"explorer-new", "wait 1\n", ""},
        {"empty-editor", "tapat 512 319\nwait 1.5\n",
            "| except First Frame; Capture Frame; Take Picture | back tapat 512 319; wait 1.5"},
        // On a tablet the capture screen is part of the editor.
        {"editor", takePictures(5) + "drag 300 670 560 670\nwait 1\n",
            "| except Take Picture | back tapat 512 319; wait 1.5"},
        {"capture-options", "tap Options\nwait 1\n",
            "| except Take Picture | back tapat 512 319; wait 1.5; tap Options; wait 1"},
        {"capture-source", "tap Options\nwait 1\ntap Source\nwait 1\n", "| back tap Source; wait 1"},
        {"capture-interval", "tap Camera\nwait 1.5\ntap Interval\nwait 1\n", "| back tap Interval; wait 1"},
        {"frame-menu", "tapat 300 300\nwait 1\ntap Capture Frame\nwait 1\ntapat 382 670\nwait 0.7\n",
            "| except Hold | back " + openMenu},
        {"hold", "tap Hold\nwait 1\n", "| last Hold * times | back " + openMenu + "; tap Hold; wait 1"},
        {"speed", "tap Next\nwait 1\ntap Playback Options\nwait 1\n", "| back tap Playback Options; wait 1"},
        {"voice-over", "tapat 300 300\nwait 1\ntap First Frame\nwait 1\ntap Voice-over\nwait 1\n",
            "| last Record | back tap Voice-over; wait 1"},
        {"recording", "wait 6\n", "| back tap Voice-over; wait 1; tap Record; wait 6"},
        {"clip-editor", "tap Stop\nwait 1\ntapat 492 678\nwait 1\n", "| last Trash | back tapat 492 678; wait 1"},
        // Raised, the sheet shows its fades and mask too.
        {"look", "tap Movie Look\nwait 1\n", "| except Theme | back tap Movie Look; wait 1"},
        {"outline", "tap Outline\nwait 1\n", "| except Outline | last Done | back tap Outline; wait 1"},
        {"add-media", "tap Add Media\nwait 1\n", "| back tap Add Media; wait 1"},
        {"theme-cards", "tap Theme Cards\nwait 1.5\n", "| back tap Add Media; wait 1; tap Theme Cards; wait 1.5"},
        {"image-import", "tap Cancel\nwait 1\ntap Add Media\nwait 1\ntap Add Images\nwait 1.5\n",
            "| back tap Add Media; wait 1; tap Add Images; wait 1.5"},
        {"image-pictures", "tap Camera Roll\nwait 1\n", "| last Done | back tap Camera Roll; wait 1"},
        {"sound-pickers", "tap Add Media\nwait 1\ntap Audio and Music\nwait 1.5\n",
            "| back tap Add Media; wait 1; tap Audio and Music; wait 1.5"},
        {"frame-edit", "tap Cancel\nwait 1\ntap First Frame\nwait 1\ntapat 512 300\nwait 0.7\n",
            "| except Paint | back tapat 512 300; wait 0.7"},
        {"painter", "tap Paint\nwait 1.5\ntap Next\nwait 1\ndrag 300 300 700 300\nwait 0.5\n",
            "| except Layers | back tapat 512 300; wait 0.7; tap Paint; wait 1.5"},
        {"layers", "tap Layers\nwait 1\ntap +\nwait 1\ntapat 60 200\nwait 1\n" + paintLine("300 450 650 450"),
            "| except Duplicate; Import; Export | last + | back tap Layers; wait 1"},
        {"explorer", "tapat 100 400\nwait 1\ntap Back\nwait 2\ntap Projects\nwait 1.5\ntapat 900 319\nwait 1\n",
            "| back tap Next; wait 1; tap Projects; wait 1.5"},
        {"help", "tap Help\nwait 1\n", "| last Done"},
        {"help-page", "tap Help\nwait 1\ntap Help\nwait 1\n", "| last Done"},
        {"gallery", "tap Done\nwait 1\ntap Gallery\nwait 1\n", "| last Done"},
        {"render-progress", "tap Play\nwait 1\ntap Ok\nwait 1\n", "| last Cancel"},
        {"player", "tap Play\nwait 1\ntap Ok\nwait 30\ntapat 512 384\nwait 0.5\n", "| last Done"},
        {"share", "wait 2\ntap Share\nwait 1\n", "| back tap Share; wait 1"},
        {"photo-album", "tap Photo Album\nwait 1\n", "| back tap Share; wait 1; tap Photo Album; wait 1"},
        {"file-sharing", "tap Cancel\nwait 1\ntap Share\nwait 1\ntap File Sharing\nwait 1\n",
            "| back tap Share; wait 1; tap File Sharing; wait 1"},
        {"open-in", "tap Cancel\nwait 1\ntap Share\nwait 1\ntap Open In\nwait 1\n",
            "| back tap Share; wait 1; tap Open In; wait 1"},
    };
}

// Controls made dead on a screen of the walk. Each is unhooked as the screen
// comes and again at the end of its way back (which may make the screen
// afresh), so that the check taps it dead in its turn, after whatever the
// walk tapped before it, and the check is told to name it. after: the
// screen's controls that set something going (a switch and its timer, a
// message that goes a moment later, a playing movie); before the screen's
// check, one check taps each dead control right after each of them, while
// they are live (one of them planted too is made dead after that check, and
// tried after the others in a check of its own). then: lines run after the
// screen's checks; nextReach: the way on to the next screen in place of the
// usual one, when the dead control keeps the app from it.
struct Plant {
    const char* screen;
    std::vector<std::string> controls;
    std::vector<std::string> after = {};
    std::string then = "";
    std::string nextReach = "";
};

std::string deadIsKnown(const std::vector<std::string>& controls)
{
    std::string known;
    for (const std::string& control : controls)
        known += (known.empty() ? " | known " : "; ") + ("\"" + control + "\"*does nothing a person sees");
    return known;
}

// A check that taps each dead control right after each of the live ones.
std::string deadAfterEachLive(
    const std::string& screen, const std::vector<std::string>& live, const std::vector<std::string>& dead)
{
    std::string only;
    std::string last;
    for (const std::string& name : live)
        only += (only.empty() ? "" : "; ") + name;
    for (const std::string& name : dead)
        only += "; " + name;
    for (const std::string& before : live)
        for (const std::string& name : dead)
            last += (last.empty() ? "" : "; ") + before + "; " + name;
    return "checkcontrols " + screen + " | only " + only + " | last " + last + deadIsKnown(dead) + "\n";
}

// The walk's dead controls, named where they can be told from what moves by
// itself only when held still or left out: over a live camera, after the
// interval timer was switched on and after screens were made afresh, beside
// a render's progress, on a playing movie; and a name that stands for no
// control ("Flip" shows only with a second camera).
std::vector<Plant> plants(bool tablet)
{
    const std::string showPlayer = tablet ? "tapat 512 384\nwait 0.5\n" : "tapat 284 160\nwait 0.5\n";
    const std::vector<std::string> optionsStarters = {"Interval Timer", "Sound", "AF", "AE", "AWB"};
    return {
        // On a tablet the empty editor shows the capture screen, its options closed.
        {"empty-editor", {"Add Media"},
            tablet ? std::vector<std::string> {"Interval Timer"} : std::vector<std::string> {}},
        {"capture-options", {"Grid", "Interval Timer", "Onion Skin"}, optionsStarters,
            "checkcontrols capture-options | only Flip | known no control a person can tap is called \"Flip\"\n"},
        {"hold", {"More"}},
        // The render runs to its end, and its movie plays.
        {"render-progress", {"Cancel"}, {}, "", "wait 30\n" + showPlayer},
        // Dead controls in a row leave the player idle long enough for its
        // controls to fade: Reverse, next to Rewind, is made dead in a
        // second showing of the movie.
        {"player", {"Rewind", "Fast Forward"}, {"Play", "Reverse"},
            "wait 2\ntap Play\nwait 30\n" + showPlayer + "unhook Reverse\n"
                + deadAfterEachLive("player", {"Play", "Rewind", "Fast Forward"}, {"Reverse"})
                + "checkcontrols player | last Done | known \"Reverse\"*does nothing a person sees\n"},
    };
}

std::vector<Screen> withPlants(std::vector<Screen> screens, const std::vector<Plant>& plants)
{
    for (const Plant& plant : plants) {
        auto screen = std::find_if(
            screens.begin(), screens.end(), [&](const Screen& s) { return std::string(s.name) == plant.screen; });
        if (screen == screens.end()) {
            ADD_FAILURE() << "no screen " << plant.screen;
            continue;
        }
        auto isStarter = [&](const std::string& control) {
            return std::find(plant.after.begin(), plant.after.end(), control) != plant.after.end();
        };
        std::vector<std::string> dead;
        for (const std::string& control : plant.controls)
            if (!isStarter(control)) {
                screen->reach += "unhook " + control + "\n";
                dead.push_back(control);
            }
        std::vector<std::string> live = plant.after;
        if (!live.empty() && !dead.empty())
            screen->reach += deadAfterEachLive(plant.screen, live, dead);
        for (const std::string& control : plant.controls)
            if (isStarter(control)) {
                live.erase(std::find(live.begin(), live.end(), control));
                screen->reach += "unhook " + control + "\n" + deadAfterEachLive(plant.screen, live, {control});
            }
        for (const std::string& control : plant.controls)
            if (const size_t back = screen->check.find("| back "); back != std::string::npos)
                screen->check.insert(
                    std::min(screen->check.find(" |", back + 1), screen->check.size()), "; unhook " + control);
        screen->check += deadIsKnown(plant.controls) + "\n" + plant.then;
        if (!plant.nextReach.empty() && screen + 1 != screens.end())
            (screen + 1)->reach = plant.nextReach;
    }
    return screens;
}

enum class Checks { All, ControlsOnly };

std::string walkScript(const std::vector<Screen>& screens, const std::string& shots, Checks checks)
{
    std::string script;
    for (const Screen& screen : screens) {
        script += screen.reach + "screenshot " + shots + screen.name + ".png\n";
        if (checks == Checks::All)
            script += std::string("checklayout ") + screen.name + "\ncheckcontrast " + screen.name + "\n";
        script += std::string("checkcontrols ") + screen.name + " " + screen.check + "\n";
    }
    return script + "quit\n";
}

// Two pictures in the device's photo library and a song in its music library.
void addLibraries(const std::string& device, const std::string& work)
{
    const std::string roll = device + "/PhotoLibrary/Camera Roll";
    ASSERT_TRUE(plat::createDirectory(roll, plat::IntermediateDirectories::Yes).ok());
    for (const char* name : {"beach.jpg", "garden.jpg"})
        ASSERT_EQ(plat::test::runFFmpeg(
                      work, {"-f", "lavfi", "-i", "testsrc=size=640x480", "-frames:v", "1", roll + "/" + name})
                      .exitCode,
            0);
    const std::string music = device + "/Music";
    ASSERT_TRUE(plat::createDirectory(music, plat::IntermediateDirectories::Yes).ok());
    plat::test::GeneratedSong song;
    song.file = "Morning.mp3";
    song.title = "Morning";
    song.artist = "The Walkers";
    song.album = "Steps";
    ASSERT_TRUE(plat::test::GeneratedMusicLibrary::writeSong(music, song));
    ASSERT_TRUE(plat::createDirectory(device + "/MusicLibrary", plat::IntermediateDirectories::Yes).ok());
    ASSERT_TRUE(
        plat::writePropertyListFile(plat::Dictionary {{"Folder", music}}, device + "/MusicLibrary/MusicLibrary.plist")
            .ok());
}

// Walks the screens on a device with a camera, a microphone, the libraries
// and a slow encoder, taking screenshots into shots; the app's exit status.
int walk(bool tablet, const std::vector<Screen>& screens, Checks checks, const std::string& shots)
{
    const char* idiom = tablet ? "tablet" : "phone";
    plat::test::TemporaryFolder folder;
    const std::string device = folder.path("device");
    addTestPatternCamera(device);
    addSineMicrophone(device);
    addSlowEncoder(device, kEncodedPicturesPerSecond);
    addLibraries(device, folder.path(""));
    EXPECT_TRUE(plat::createDirectory(shots, plat::IntermediateDirectories::Yes).ok());
    std::ofstream(folder.path("walk.txt")) << walkScript(screens, shots, checks);
    return runApp(device, idiom, folder.path("walk.txt"));
}

}  // namespace

// One run of the app per idiom, as separate tests so that they run side by side.
class ControlsWalk : public ::testing::TestWithParam<plat::UserInterfaceIdiom> { };

TEST_P(ControlsWalk, EveryControlOnEveryScreenDoesSomethingAPersonSees)
{
    const bool tablet = GetParam() == plat::UserInterfaceIdiom::Pad;
    const std::vector<Screen> screens = tablet ? tabletScreens() : phoneScreens();
    const std::string shots = ::testing::TempDir() + "walk-" + (tablet ? "tablet" : "phone") + "/";
    // A dead control, or a screen laid out wrong, stops the run naming it.
    ASSERT_EQ(walk(tablet, screens, Checks::All, shots), 0);
    for (const Screen& screen : screens)
        EXPECT_TRUE(plat::fileExists(shots + screen.name + ".png")) << screen.name;
}

// The same walk with controls made dead: each check is told the dead
// controls of its screen as known faults, and a known fault the check does
// not find fails the run as any other fault does, so the walk passes only
// when it names every dead control and no other.
TEST_P(ControlsWalk, NamesEveryDeadControlPlantedOnItsScreens)
{
    const bool tablet = GetParam() == plat::UserInterfaceIdiom::Pad;
    const std::vector<Screen> screens = withPlants(tablet ? tabletScreens() : phoneScreens(), plants(tablet));
    EXPECT_EQ(walk(tablet, screens, Checks::ControlsOnly,
                  ::testing::TempDir() + "walk-planted-" + (tablet ? "tablet" : "phone") + "/"),
        0);
}

INSTANTIATE_TEST_SUITE_P(Idioms, ControlsWalk, plat::test::bothIdioms(), plat::test::idiomName);

namespace {

// A dead control after others that set something going, and a camera
// switch, each in a run of the app of its own on the idiom named, with one
// or two cameras (a test picture at each position given). The check is told
// the dead control as its one known fault, so a run passes only when the
// check names it and nothing else.
struct TappedBefore {
    const char* name;
    plat::UserInterfaceIdiom idiom;
    std::vector<std::string> cameras;
    std::string script;
};

void PrintTo(const TappedBefore& run, std::ostream* out)
{
    *out << run.name;
}

const std::string kPhoneCaptureOptions
    = "wait 1.2\ntap Get Started\nwait 1\ntapat 284 119\nwait 0.6\ntap Capture\nwait 1.5\ntap Options\nwait 1\n";
const std::string kPhoneBack = " | back tap Capture; wait 1.5; tap Options; wait 1";
const std::string kTabletEmptyEditor = "wait 1.2\ntap Get Started\nwait 1\ntapat 512 319\nwait 1.5\n";
const std::string kTabletCaptureOptions = kTabletEmptyEditor + "tap Options\nwait 1\n";
const std::string kTabletBack = " | back tapat 512 319; wait 1.5; tap Options; wait 1";

std::vector<TappedBefore> tappedBefore()
{
    const auto phone = plat::UserInterfaceIdiom::Phone;
    const auto tablet = plat::UserInterfaceIdiom::Pad;
    const std::vector<std::string> oneCamera = {"Back"};
    const std::vector<std::string> twoCameras = {"Back", "Front"};
    // Every control of the options, a dead Flip last: on the phone the
    // options' order puts AWB, whose message goes a second later, right
    // before it; on the tablet the plan does. With no frames yet the
    // tablet's jumps go nowhere.
    const std::string deadFlip = "unhook Flip\ncheckcontrols capture-options | except Take Picture";
    const std::string flipIsKnown = "; unhook Flip" + deadIsKnown({"Switch Camera"}) + "\n";
    return {
        {"PhoneGridAfterIntervalTimer", phone, oneCamera,
            kPhoneCaptureOptions
                + "unhook Grid\ncheckcontrols capture-options | only Interval Timer; Sound; AF; AE; AWB; Grid"
                + deadIsKnown({"Grid"}) + "\n"},
        {"PhoneGridLastOfAll", phone, oneCamera,
            kPhoneCaptureOptions + "unhook Grid\ncheckcontrols capture-options | except Take Picture | last Grid"
                + kPhoneBack + "; unhook Grid" + deadIsKnown({"Grid"}) + "\n"},
        {"TabletAddMediaAfterIntervalTimer", tablet, oneCamera,
            kTabletEmptyEditor + "unhook Add Media\ncheckcontrols empty-editor | only Interval Timer; Add Media"
                + deadIsKnown({"Add Media"}) + "\n"},
        {"PhoneDeadFlipLastOfAll", phone, twoCameras,
            kPhoneCaptureOptions + deadFlip + " | last Flip" + kPhoneBack + flipIsKnown},
        {"TabletDeadFlipLastOfAll", tablet, twoCameras,
            kTabletCaptureOptions + deadFlip + "; First Frame; Capture Frame | last AWB; Flip" + kTabletBack
                + flipIsKnown},
        {"PhoneLiveFlipAlone", phone, twoCameras, kPhoneCaptureOptions + "checkcontrols capture-options | only Flip\n"},
        {"TabletLiveFlipAlone", tablet, twoCameras,
            kTabletCaptureOptions + "checkcontrols capture-options | only Flip\n"},
    };
}

}  // namespace

class ControlsWalkAfterOtherTaps : public ::testing::TestWithParam<TappedBefore> { };

TEST_P(ControlsWalkAfterOtherTaps, NamesWhatIsDeadAndNothingElse)
{
    const TappedBefore& run = GetParam();
    plat::test::TemporaryFolder folder;
    const std::string device = folder.path("device");
    zt::test::addVirtualCameras(device, "TestPattern", run.cameras);
    std::ofstream(folder.path("walk.txt")) << run.script << "quit\n";
    EXPECT_EQ(
        runApp(device, run.idiom == plat::UserInterfaceIdiom::Pad ? "tablet" : "phone", folder.path("walk.txt")), 0);
}

INSTANTIATE_TEST_SUITE_P(Runs, ControlsWalkAfterOtherTaps, ::testing::ValuesIn(tappedBefore()),
    [](const ::testing::TestParamInfo<TappedBefore>& tried) { return std::string(tried.param.name); });
