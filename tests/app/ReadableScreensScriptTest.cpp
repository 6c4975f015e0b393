// The screens where a text lies over a picture, or a panel, popover or
// alert over the screen, checked by a device script as a person meets them
// on a phone and on a tablet: every text stands out from what is behind it
// (checkcontrast, over a light and a dark picture where a picture shows)
// and every control and text lies inside the screen, uncovered
// (checklayout). The first run shows the welcome, its list scrolled; the
// second finds an archive that cannot be imported and the sample film with
// a damaged picture, and goes through the empty editor's add-media menu, the
// interval countdown and its settings, the editor's help overlay, the
// voice-over panel and the clip editor, then renders the sample film.
#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "AppProcess.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "support/DamagedFiles.h"
#include "support/Idioms.h"
#include "support/TemporarySandbox.h"

namespace {

using zt::test::addSineMicrophone;
using zt::test::addTestPatternCamera;
using zt::test::runApp;
using zt::test::takePictures;

struct Screen {
    const char* name;  // its screenshot's name, and the screen's in a failure
    std::string reach;  // the script lines from the screen before
};

// Where the two devices differ: where to drag, tap beside or find a film.
struct Places {
    std::string scrollWelcome;
    std::string newProject;
    std::string openCapture;  // a phone's capture screen is one of its own
    std::string besidePopover;
    std::string closeCapture;
    std::string besideHelp;
    std::string centreSample;  // the sample film, right of the new one
};

const Places kPhone {"drag 284 250 284 100\n", "tapat 284 119\nwait 1\n", "tap Capture\nwait 1.5\n", "tapat 500 300\n",
    "tap Done\nwait 1.5\n", "tapat 284 40\n", "tapat 500 119\n"};
const Places kTablet {"drag 512 600 512 300\n", "tapat 512 319\nwait 1.5\n", "", "tapat 500 100\n", "",
    "tapat 600 300\n", "tapat 900 319\n"};

std::vector<Screen> firstRun(const Places& at)
{
    return {{"welcome-scrolled", "wait 1.2\n" + at.scrollWelcome + "wait 1\n"}};
}

std::vector<Screen> secondRun(const Places& at)
{
    return {
        {"import-message", "wait 1.5\n"},
        // Two of its three rows stay inactive until the film has pictures.
        {"add-media", "tap OK\nwait 1\n" + at.newProject + "tap Add Media\nwait 1\n"},
        {"countdown",
            at.besidePopover + "wait 1\n" + at.openCapture + takePictures(2) + "tap Interval Timer\nwait 2.5\n"},
        {"interval", "tap Interval Timer\nwait 1\ntap Interval\nwait 1\n"},
        {"help", at.besidePopover + "wait 1\n" + at.closeCapture + "tap Help\nwait 1\n"},
        {"voice-over", at.besideHelp + "wait 1\ntap First Frame\nwait 1\ntap Voice-over\nwait 1\n"},
        {"clip-editor", "tap Record\nwait 6\ntap Stop\nwait 1\ntap 00:01\nwait 1\n"},
        {"render-prompt",
            "tap Done\nwait 1\ntap Projects\nwait 1.5\n" + at.centreSample + "wait 1\ntap Play\nwait 1\n"},
        // Told over the render's progress screen once the render is done.
        {"damaged-frames", "tap Ok\nwait 3\n"},
    };
}

// closing: the lines after the last screen, which show it was there.
std::string scriptOf(const std::vector<Screen>& screens, const std::string& shots, const std::string& closing = "")
{
    std::string script;
    for (const Screen& screen : screens)
        script += screen.reach + "screenshot " + shots + screen.name + ".png\nchecklayout " + screen.name
            + "\ncheckcontrast " + screen.name + "\n";
    return script + closing + "quit\n";
}

// The first of the sample film's pictures, damaged in all three sizes.
void damageASamplePicture(const std::string& device)
{
    const std::string sample = device + "/Library/Caches/.plovix-introduction";
    auto names = plat::contentsOfDirectory(sample);
    ASSERT_TRUE(names.ok());
    std::vector<std::string> pictures;
    for (const std::string& name : names.value())
        if (name.starts_with("frame-") && name.ends_with(".jpg"))
            pictures.push_back(name);
    ASSERT_FALSE(pictures.empty());
    std::sort(pictures.begin(), pictures.end());
    const std::string id = pictures.front().substr(std::string("frame-").size());
    for (const char* kind : {"frame-", "preview-", "thumb-"})
        if (plat::fileExists(sample + "/" + kind + id))
            plat::test::writeRandomBytes(sample + "/" + kind + id);
}

}  // namespace

// One pair of runs per idiom, as separate tests so that they run side by side.
class ReadableScreens : public ::testing::TestWithParam<plat::UserInterfaceIdiom> { };

TEST_P(ReadableScreens, EveryTextReadsAndNothingIsCutOffOrCovered)
{
    const bool tablet = GetParam() == plat::UserInterfaceIdiom::Pad;
    const char* idiom = tablet ? "tablet" : "phone";
    const Places& at = tablet ? kTablet : kPhone;
    plat::test::TemporaryFolder folder;
    const std::string device = folder.path("device");
    addTestPatternCamera(device);
    addSineMicrophone(device);
    const std::string shots = ::testing::TempDir() + "readable-" + idiom + "/";
    ASSERT_TRUE(plat::createDirectory(shots, plat::IntermediateDirectories::Yes).ok());

    // A screen that fails a check stops the run with its faults.
    std::ofstream(folder.path("first.txt")) << scriptOf(firstRun(at), shots);
    ASSERT_EQ(runApp(device, idiom, folder.path("first.txt")), 0);

    damageASamplePicture(device);
    ASSERT_TRUE(plat::createDirectory(device + "/Documents/Import", plat::IntermediateDirectories::Yes).ok());
    ASSERT_TRUE(plat::writeFileAtomically(device + "/Documents/Import/Holiday.zantropemobile", "not a zip").ok());
    std::ofstream(folder.path("second.txt")) << scriptOf(secondRun(at), shots, "tap OK\nwait 1\n");
    ASSERT_EQ(runApp(device, idiom, folder.path("second.txt")), 0);

    std::vector<Screen> screens = firstRun(at);
    const std::vector<Screen> second = secondRun(at);
    screens.insert(screens.end(), second.begin(), second.end());
    for (const Screen& screen : screens)
        EXPECT_TRUE(plat::fileExists(shots + screen.name + ".png")) << screen.name;
}

INSTANTIATE_TEST_SUITE_P(Idioms, ReadableScreens, plat::test::bothIdioms(), plat::test::idiomName);
