// A device script adds a theme card, gives a project its movie look through
// the look sheet and exports the movie with the progress screen; the movie's
// frames, decoded by ffmpeg, show what the sheet asked for. On either
// device a title card opens the sheet on its outline, uncovered. A project
// renamed in the explorer has its new name on its title card.
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>

#include "AppProcess.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/graphics/Image.h"
#include "support/MediaTools.h"
#include "support/Pixels.h"
#include "support/TemporarySandbox.h"

namespace {

using zt::test::addTestPatternCamera;
using zt::test::newestProjectName;

// On a phone: the sheet lowered at y 150, its size button at (29, 171);
// raised, the rows as the script's comments say.
std::string lookScript(const std::string& progressShot, const std::string& sheetShot)
{
    std::string script = "# a new project of three pictures from the camera\n"
                         "wait 1.2\ntap Get Started\nwait 1\ntapat 284 119\nwait 0.6\ntap Capture\nwait 1.5\n";
    for (int i = 0; i < 3; ++i)
        script += "tap Take Picture\nwait 1.1\n";
    script += "# the interval a step longer, in its popover, closed by a tap beside it\n"
              "tap Interval\nwait 1\ntap +\nwait 0.5\ntapat 100 100\nwait 1\n"
              "tap Done\nwait 1\n"
              "# a theme card at the first frame: \"The End\", the gallery's first\n"
              "tap First Frame\nwait 0.5\ntap Add Media\nwait 1\ntap Theme Cards\nwait 1.5\ntapat 74 92\nwait 2\n"
              "# the look sheet: the curtain theme, then raised\n"
              "tap Movie Look\nwait 1\ntap Curtain\nwait 3\ntapat 29 171\nwait 1\n"
              "# the foreground: the film strip on the right, then the golden frame beyond it\n"
              "tap Film\nwait 1.5\ntap Frame\nwait 1.5\n"
              "# scrolled to the fades, both on, then to the mask, on\n"
              "drag 100 300 100 200\nwait 2\ntapat 527 156\nwait 0.5\ntapat 527 200\nwait 0.5\n"
              "drag 100 300 100 150\nwait 2\ntapat 527 297\nwait 0.5\nscreenshot "
        + sheetShot
        + "\n"
          "# the title on the outline page, kept by Done\n"
          "tap Outline\nwait 1\ntapat 300 106\nwait 0.5\ntype : Kites\nwait 0.5\ntap Done\nwait 3\n"
          "# the coach mark the longer film brings, then back to the explorer\n"
          "tap Next\nwait 1\ntap Projects\nwait 1.5\n"
          "# the preview: rendered first (Ok in the prompt) with the progress screen\n"
          "tap Play\nwait 1\ntapat 217 203\nwait 0.3\nscreenshot "
        + progressShot + "\nwait 8\nquit\n";
    return script;
}

using Rgb = std::array<int, 3>;

Rgb pixel(const std::vector<uint8_t>& frame, int width, int x, int y)
{
    const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    return {frame[at], frame[at + 1], frame[at + 2]};
}

bool isDark(Rgb colour, int limit)
{
    return colour[0] <= limit && colour[1] <= limit && colour[2] <= limit;
}

bool isGold(Rgb colour)
{
    return colour[0] > 150 && colour[0] > colour[2] + 60 && colour[1] > colour[2];
}

std::string describe(Rgb colour)
{
    return "(" + std::to_string(colour[0]) + ", " + std::to_string(colour[1]) + ", " + std::to_string(colour[2]) + ")";
}

TEST(LookScript, AScriptAddsAThemeCardGivesTheLookAndExportsTheMovieWithTheProgressScreen)
{
    plat::test::TemporaryFolder folder;
    const std::string device = folder.path("device");
    addTestPatternCamera(device);
    const std::string progressShot = folder.path("progress.png");
    const std::string sheetShot = folder.path("sheet.png");
    std::ofstream(folder.path("look.txt")) << lookScript(progressShot, sheetShot);
    ASSERT_EQ(zt::test::runApp(device, "phone", folder.path("look.txt")), 0);
    if (const char* keep = std::getenv("ZT_KEEP_LOOK_SCRIPT_SHOTS")) {
        (void)plat::copyItem(progressShot, std::string(keep) + "-progress.png", plat::ReplaceExisting::Yes);
        (void)plat::copyItem(sheetShot, std::string(keep) + "-sheet.png", plat::ReplaceExisting::Yes);
    }

    // The project's look as the sheet stored it.
    const std::string made = newestProjectName(device).value_or("");
    ASSERT_FALSE(made.empty());
    auto metadata = plat::dictionaryWithContentsOfFile(device + "/Documents/" + made + "/plovix.meta");
    ASSERT_TRUE(metadata);
    EXPECT_EQ(metadata->getInt64("META_RECORD_THEME"), 1);
    EXPECT_EQ(metadata->getInt64("META_RECORD_FOREGROUND"), 3);
    EXPECT_EQ(metadata->getBool("META_RECORD_THEME_FADE_IN"), true);
    EXPECT_EQ(metadata->getBool("META_RECORD_THEME_FADE_OUT"), true);
    EXPECT_EQ(metadata->getBool("META_RECORD_ASPECT_RATIO_MASK"), true);
    EXPECT_EQ(metadata->getString("RecordName"), "My Plovix Movie: Kites");
    EXPECT_EQ(metadata->getInt64("CaptureTimerValue"), 35) << "30 and one step of 5";

    // The progress screen: its dark rows under the bar.
    auto progress = plat::Image::imageWithContentsOfFile(progressShot);
    ASSERT_TRUE(progress);
    auto below = plat::test::pixelAt(*progress, 40, 560);
    EXPECT_NEAR(below[0], 51, 8) << "the text row's dark grey";
    EXPECT_NEAR(below[2], 51, 8);

    // The frame list: 20 title entries (4 s at 5 fps), the theme card held 5
    // times (1 s), 3 pictures, the capture placeholder, 20 credits entries.
    auto list = plat::dictionaryWithContentsOfFile(device + "/Documents/" + made + "/frames.meta");
    ASSERT_TRUE(list);
    const plat::Array entries = list->getArray("FRAMELIST_DATA").value_or(plat::Array());
    ASSERT_EQ(entries.count(), 49u);
    auto frameID = [&](size_t index) {
        auto entry = entries.at(index).asDictionary();
        return entry ? entry->getString("FRAME_ID").value_or(std::string()) : std::string();
    };
    EXPECT_EQ(frameID(0), "PLACEHOLDER_TITLE_SCREEN");
    for (size_t index = 21; index < 25; ++index)
        EXPECT_EQ(frameID(index), frameID(20)) << "the card's hold";
    EXPECT_NE(frameID(25), frameID(20));
    EXPECT_EQ(frameID(48), "PLACEHOLDER_CREDITS_SCREEN");

    const std::string movie = device + "/Library/Caches/rendercache/" + made + "/My_Plovix_Movie_Kites.mov";
    ASSERT_TRUE(plat::fileExists(movie)) << movie;
    auto probe = plat::test::probeMedia(movie);
    const auto video = probe.stream("video");
    ASSERT_FALSE(video.empty());
    const int width = std::atoi(video.at("width").c_str());
    const int height = std::atoi(video.at("height").c_str());
    ASSERT_GT(width, 0);
    auto frames = plat::test::decodeVideoWithFFmpeg(folder.path(""), movie, width, height);
    ASSERT_GE(frames.size(), 48u);

    // Fades: black at both ends.
    EXPECT_TRUE(isDark(pixel(frames.front(), width, width / 2, height / 2), 12));
    EXPECT_TRUE(isDark(pixel(frames.back(), width, width / 2, height / 2), 24));
    const int bar = (height - static_cast<int>(width / 2.35)) / 2;
    // A title frame, the theme card, a picture and a credits frame after the fades: the mask's
    // bars and the golden frame over each.
    for (size_t index : {size_t(12), size_t(22), size_t(26), frames.size() - 13}) {
        const auto& frame = frames[index];
        EXPECT_TRUE(isDark(pixel(frame, width, width / 2, bar / 2), 12)) << index;
        EXPECT_TRUE(isDark(pixel(frame, width, width / 2, height - bar / 2), 12)) << index;
        const Rgb edge = pixel(frame, width, 4, height / 2);
        EXPECT_TRUE(isGold(edge)) << index << " " << describe(edge);
    }
    // The theme card: "The End" on its dark brown.
    const Rgb card = pixel(frames[22], width, width / 8, height / 2);
    EXPECT_GT(card[0], card[2] + 15) << describe(card);
    EXPECT_LT(card[0], 110) << describe(card);
    // The title card: its curtain, dark red, where the picture has its test pattern.
    const Rgb curtain = pixel(frames[12], width, width / 8, height / 2);
    EXPECT_GT(curtain[0], curtain[1] + 30) << describe(curtain);
    EXPECT_LT(curtain[0], 200) << describe(curtain);
}

// A tap on the title card's picture opens the sheet on its outline: every
// caption and field of it in view, nothing of the settings page over them.
std::string titleCardScript(const std::string& idiom)
{
    const bool tablet = idiom == "tablet";
    std::string script = "wait 1.2\ntap Get Started\nwait 1\n";
    script += tablet ? "tapat 512 319\nwait 1.5\n" : "tapat 284 119\nwait 1\ntap Capture\nwait 1.5\n";
    script += "tap Take Picture\nwait 1.1\ntap Take Picture\nwait 1.1\n";
    if (!tablet)
        script += "tap Done\nwait 1.5\n";
    script += "tap Movie Look\nwait 1\ntap Sky\nwait 3\ntap Done\nwait 1\n"
              "# the coach mark the longer film brings\n"
              "tap Next\nwait 1\ntap First Frame\nwait 1\n";
    script += tablet ? "tapat 512 300\n" : "tapat 284 108\n";
    // The caption is there to tap only on the outline, and only uncovered.
    return script + "wait 1\nchecklayout\ntap Movie Name:\nwait 0.5\nquit\n";
}

TEST(LookScript, TheSheetOpenedFromATitleCardShowsItsOutlineUncovered)
{
    for (const std::string idiom : {"phone", "tablet"}) {
        SCOPED_TRACE(idiom);
        plat::test::TemporaryFolder folder;
        const std::string device = folder.path("device");
        addTestPatternCamera(device);
        std::ofstream(folder.path("card.txt")) << titleCardScript(idiom);
        EXPECT_EQ(zt::test::runApp(device, idiom, folder.path("card.txt")), 0);
    }
}

}  // namespace

namespace {

// Where the device's screens have what the script taps.
struct RenameDevice {
    std::string idiom;
    std::string project;  // the explorer's centred project
    std::string pictures;  // three pictures taken for it
    std::string curtain;  // the look sheet raised, its curtain theme chosen
    std::string name;  // the explorer's name field
    std::string player;  // where a tap shows the player's Done
};

const RenameDevice kPhone {"phone", "tapat 284 119",
    "tap Capture\nwait 1.5\n" + zt::test::takePictures(3) + "tap Done\nwait 1\n",
    "tapat 29 172\nwait 1\ntapat 415 128\n", "tapat 284 228", "tapat 284 160"};
const RenameDevice kTablet {"tablet", "tapat 512 319", zt::test::takePictures(3),
    "tapat 29 497\nwait 1\ntapat 643 128\n", "tapat 512 513", "tapat 512 300"};

// A project of three pictures with the curtain theme (its title typed in the
// outline when given), played, renamed "Cat Film" in the explorer and played
// again, then opened at its title card. The reference is named first.
std::string renameScript(
    const RenameDevice& device, const std::string& editorShot, bool reference, const std::string& outlineTitle = "")
{
    const std::string play = "tap Play\nwait 1\ntap Ok\nwait 12\n" + device.player + "\nwait 0.5\ntap Done\nwait 2\n";
    std::string rename = device.name + "\nwait 0.5\ntype ";
    for (size_t letter = 0; letter < std::string("My Plovix Movie").size() + outlineTitle.size(); ++letter)
        rename += "\\b";
    rename += "Cat Film\\n\nwait 1\n";
    std::string script = "wait 1.2\ntap Get Started\nwait 1\n" + device.project + "\nwait 1.5\n" + device.pictures;
    if (reference)
        script += "tap Projects\nwait 1.5\n" + rename + device.project + "\nwait 1.5\n";
    script += "tap Movie Look\nwait 1\n" + device.curtain + "wait 3\n";
    if (!outlineTitle.empty())
        script += "tap Outline\nwait 1\ntapat 300 106\nwait 0.5\ntype " + outlineTitle + "\nwait 0.5\n";
    script += "tap Done\nwait 1\ntap Next\nwait 1\ntap Projects\nwait 1.5\n" + play;
    if (!reference)
        script += rename + play;
    // Opened again, past the coach mark that comes then.
    return script + device.project + "\nwait 1.5\ntap Next\nwait 1\ntap First Frame\nwait 1\nscreenshot " + editorShot
        + "\nquit\n";
}

// The middle of the title card (4 s at 5 pictures a second) in the device's movie of that name.
std::vector<uint8_t> titleCardInMovie(const std::string& folder, const std::string& fileName)
{
    const std::string device = folder + "/device";
    const std::string movie
        = device + "/Library/Caches/rendercache/" + newestProjectName(device).value_or("") + "/" + fileName;
    const auto video = plat::test::probeMedia(movie).stream("video");
    const int width = video.empty() ? 0 : std::atoi(video.at("width").c_str());
    const int height = video.empty() ? 0 : std::atoi(video.at("height").c_str());
    auto frames = plat::test::decodeVideoWithFFmpeg(folder, movie, width, height);
    return frames.size() > 10 ? frames[10] : std::vector<uint8_t>();
}

// Pixels of two pictures (RGB) that differ clearly; every one when there is nothing to compare.
int64_t differingPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    if (a.empty() || a.size() != b.size())
        return std::numeric_limits<int64_t>::max();
    int64_t differing = 0;
    for (size_t at = 0; at + 2 < a.size(); at += 3)
        differing += std::abs(a[at] - b[at]) + std::abs(a[at + 1] - b[at + 1]) + std::abs(a[at + 2] - b[at + 2]) > 60;
    return differing;
}

}  // namespace

TEST(LookScript, ARenameInTheExplorerNamesTheTitleCardInTheEditorAndInTheMovie)
{
    for (const RenameDevice& device : {kPhone, kTablet}) {
        SCOPED_TRACE(device.idiom);
        plat::test::TemporaryFolder renamed;
        plat::test::TemporaryFolder reference;
        for (auto* run : {&renamed, &reference}) {
            addTestPatternCamera(run->path("device"));
            std::ofstream(run->path("script.txt")) << renameScript(device, run->path("editor.png"), run == &reference);
            ASSERT_EQ(zt::test::runApp(run->path("device"), device.idiom, run->path("script.txt")), 0);
        }
        auto editor = plat::Image::imageWithContentsOfFile(renamed.path("editor.png"));
        auto expected = plat::Image::imageWithContentsOfFile(reference.path("editor.png"));
        ASSERT_TRUE(editor && expected);
        EXPECT_LT(plat::test::differingPixels(*editor, *expected, 60), 100) << "the editor's title card";
        EXPECT_LT(differingPixels(titleCardInMovie(renamed.path(""), "Cat_Film.mov"),
                      titleCardInMovie(reference.path(""), "Cat_Film.mov")),
            100)
            << "the movie's title card";
    }
}

TEST(LookScript, ARenameInTheExplorerKeepsTheTitleTypedInTheOutline)
{
    plat::test::TemporaryFolder folder;
    addTestPatternCamera(folder.path("device"));
    std::ofstream(folder.path("script.txt")) << renameScript(kPhone, folder.path("editor.png"), false, ": Kites");
    ASSERT_EQ(zt::test::runApp(folder.path("device"), "phone", folder.path("script.txt")), 0);
    EXPECT_LT(differingPixels(titleCardInMovie(folder.path(""), "Cat_Film.mov"),
                  titleCardInMovie(folder.path(""), "My_Plovix_Movie_Kites.mov")),
        100);
}
