// The app binary driven by a device script, headless, as CI runs it.
#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <thread>
#include <vector>

#include "AppProcess.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "support/MediaTools.h"
#include "support/Pixels.h"
#include "support/PythonScript.h"
#include "support/TemporarySandbox.h"

namespace {

using zt::test::addSineMicrophone;
using zt::test::addTestPatternCamera;
using zt::test::addVirtualCamera;
using zt::test::newestProjectName;
using zt::test::runApp;

// Share of the picture's pixels that are not near black: the explorer's
// backdrop, items and toolbar light most of the screen.
double litShare(const plat::Image& picture)
{
    const auto& bitmap = *picture.bitmap();
    int64_t lit = 0;
    for (int y = 0; y < bitmap.height(); y += 4)
        for (int x = 0; x < bitmap.width(); x += 4) {
            auto p = plat::test::pixelAt(bitmap, x, y);
            lit += p[0] + p[1] + p[2] > 60;
        }
    return static_cast<double>(lit) / ((bitmap.height() / 4.0) * (bitmap.width() / 4.0));
}

// Script lines that open the capture screen from the editor, take `count`
// pictures and return to the editor.
std::string captureLines(int count)
{
    std::string lines = "tap Capture\nwait 1.5\n";
    for (int i = 0; i < count; ++i)
        lines += "tap Take Picture\nwait 1.1\n";
    return lines + "tap Done\nwait 1\n";
}

// The script of the README's first example, with its screenshot going to shot.
std::string firstReadmeScript(const std::string& shot)
{
    std::ifstream readme(plat::test::sourcePath("README.md"));
    std::string line;
    while (std::getline(readme, line)) {
        size_t open = line.find("printf '");
        if (open == std::string::npos)
            continue;
        size_t start = open + std::string("printf '").size();
        std::string script = line.substr(start, line.find('\'', start) - start);
        for (size_t at = script.find("\\n"); at != std::string::npos; at = script.find("\\n", at + 1))
            script.replace(at, 2, "\n");
        size_t name = script.find("start.png");
        if (name != std::string::npos)
            script.replace(name, std::string("start.png").size(), shot);
        return script;
    }
    return {};
}

// The README's painter script (the lines between "cat > paint.txt" and
// "END"), its screenshots going into folder.
std::string readmePainterScript(const std::string& folder)
{
    std::ifstream readme(plat::test::sourcePath("README.md"));
    std::string line;
    std::string script;
    bool inside = false;
    while (std::getline(readme, line)) {
        if (line.find("cat > paint.txt <<'END'") != std::string::npos) {
            inside = true;
            continue;
        }
        if (!inside)
            continue;
        line = line.substr(std::min(line.size(), size_t {4}));
        if (line == "END")
            break;
        if (line.rfind("screenshot ", 0) == 0)
            line = "screenshot " + folder + "/" + line.substr(std::string("screenshot ").size());
        script += line + "\n";
    }
    return script;
}

}  // namespace

TEST(AppScript, TheReadmesFirstExamplePhotographsTheFinishedStartScreen)
{
    plat::test::TemporaryFolder folder;
    const std::string script = folder.path("look.txt");
    std::ofstream(script) << firstReadmeScript(folder.path("start.png"));
    ASSERT_EQ(runApp(folder.path("device"), "tablet", script), 0);
    // The same first start, long after every start-up animation has ended.
    std::ofstream(folder.path("later.txt"))
        << "wait 2\ntap Get Started\nwait 2\nscreenshot " << folder.path("later.png") << "\nquit\n";
    ASSERT_EQ(runApp(folder.path("other-device"), "tablet", folder.path("later.txt")), 0);
    auto start = plat::Image::imageWithContentsOfFile(folder.path("start.png"));
    auto later = plat::Image::imageWithContentsOfFile(folder.path("later.png"));
    ASSERT_TRUE(start && later);
    ASSERT_EQ(start->bitmap()->width(), later->bitmap()->width());
    EXPECT_LT(plat::test::differingPixels(*start, *later, 24), 200)
        << "the example waits until the explorer has faded in";
}

TEST(AppScript, AScriptMakesAProjectAndPhotographsTheExplorer)
{
    plat::test::TemporaryFolder folder;
    const std::string device = folder.path("device");
    const std::string shot = folder.path("explorer.png");
    const std::string script = folder.path("make-a-project.txt");
    addTestPatternCamera(device);
    std::ofstream(script) << "# a new project through the new-project slot, three pictures from the camera\n"
                             "wait 1.2\n"
                             "tap Get Started\n"
                             "wait 1\n"
                             "tapat 284 119\n"
                             "wait 0.6\n"
                          << captureLines(3)
                          << "tap Projects\n"
                             "wait 1.2\n"
                             "screenshot "
                          << shot << "\nquit\n";
    ASSERT_EQ(runApp(device, "phone", script), 0);

    auto listed = plat::arrayWithContentsOfFile(device + "/Documents/.projects.plist").value_or(plat::Array());
    std::vector<std::string> names;
    for (const plat::Value& entry : listed)
        names.push_back(entry.asString() ? std::string(entry.asString()->c_str()) : std::string("<not a name>"));
    ASSERT_EQ(names.size(), 2u) << "the new project and the sample";
    const std::string made = names[0];
    EXPECT_EQ(names[1], ".plovix-introduction");
    auto frames = plat::dictionaryWithContentsOfFile(device + "/Documents/" + made + "/frames.meta");
    ASSERT_TRUE(frames);
    EXPECT_EQ(frames->getArray("FRAMELIST_DATA").value_or(plat::Array()).count(), 4u)
        << "three pictures and the capture placeholder";
    auto settings = plat::dictionaryWithContentsOfFile(device + "/Documents/.settings.plist");
    ASSERT_TRUE(settings) << "quitting saved the settings";
    EXPECT_EQ(settings->getInt64("lastSelection"), 1);

    auto picture = plat::Image::imageWithContentsOfFile(shot);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->bitmap()->width(), 1136);
    EXPECT_EQ(picture->bitmap()->height(), 640);
    EXPECT_GT(litShare(*picture), 0.5);
}

TEST(AppScript, AScriptCapturesTenFramesFromTheVirtualCameraWithTheOnionSkinShowing)
{
    plat::test::TemporaryFolder folder;
    const std::string device = folder.path("device");
    addTestPatternCamera(device);

    const std::string shot = folder.path("capture.png");
    std::string script = "# a new project, then ten pictures through the capture screen\n"
                         "wait 1.2\ntap Get Started\nwait 1\ntapat 284 119\nwait 0.6\ntap Capture\nwait 1.5\n";
    for (int i = 0; i < 10; ++i)
        script += "tap Take Picture\nwait 1.1\n";
    // The onion slider half-way down: the live picture at half strength over the last frames.
    script += "drag 23 74 23 170\nwait 0.5\nscreenshot " + shot + "\ntap Done\nwait 1\nquit\n";
    std::ofstream(folder.path("capture.txt")) << script;
    ASSERT_EQ(runApp(device, "phone", folder.path("capture.txt")), 0);

    ASSERT_EQ(plat::arrayWithContentsOfFile(device + "/Documents/.projects.plist").value_or(plat::Array()).count(), 2u);
    const std::string made = newestProjectName(device).value_or("");
    auto frames = plat::dictionaryWithContentsOfFile(device + "/Documents/" + made + "/frames.meta");
    ASSERT_TRUE(frames);
    EXPECT_EQ(frames->getArray("FRAMELIST_DATA").value_or(plat::Array()).count(), 11u)
        << "ten pictures and the capture placeholder";
    auto names = plat::contentsOfDirectory(device + "/Documents/" + made);
    ASSERT_TRUE(names.ok());
    size_t pictures = 0;
    for (const std::string& name : names.value())
        pictures += name.rfind("frame-", 0) == 0;
    EXPECT_EQ(pictures, 10u);
    auto settings = plat::dictionaryWithContentsOfFile(device + "/Documents/.settings.plist");
    ASSERT_TRUE(settings);
    const double overlay = settings->getDouble("_overlaySetting").value_or(-1);
    EXPECT_GT(overlay, 0.2);
    EXPECT_LT(overlay, 0.8);

    auto picture = plat::Image::imageWithContentsOfFile(shot);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->bitmap()->width(), 1136);
    EXPECT_GT(litShare(*picture), 0.5);
    (void)plat::copyItem(shot, ::testing::TempDir() + "capture-script.png", plat::ReplaceExisting::Yes);  // for a look
}

TEST(AppScript, AScriptCapturesKeyedFramesFromTheGreenScreenIntoAProject)
{
    plat::test::TemporaryFolder folder;
    const std::string device = folder.path("device");
    addVirtualCamera(device, "GreenScreen");

    const std::string shot = folder.path("green.png");
    // A new project, the green screen from the source chooser, three pictures, back to the editor.
    std::string script = "wait 1.2\ntap Get Started\nwait 1\ntapat 284 119\nwait 0.6\ntap Capture\nwait 1.5\n"
                         "tap Source\nwait 0.6\ntap Green Screen\nwait 1.5\n";
    for (int i = 0; i < 3; ++i)
        script += "tap Take Picture\nwait 1.1\n";
    script += "tap Done\nwait 1\nscreenshot " + shot + "\nquit\n";
    std::ofstream(folder.path("green.txt")) << script;
    ASSERT_EQ(runApp(device, "phone", folder.path("green.txt")), 0);

    const std::string made = newestProjectName(device).value_or("");
    ASSERT_FALSE(made.empty());
    auto names = plat::contentsOfDirectory(device + "/Documents/" + made);
    ASSERT_TRUE(names.ok());
    std::vector<std::string> pictures;
    for (const std::string& name : names.value()) {
        if (name.rfind("frame-", 0) == 0)
            pictures.push_back(name);
    }
    ASSERT_EQ(pictures.size(), 3u);
    // Each frame: the red figure in the middle, the default backdrop (a grey-blue wall) at the sides.
    for (const std::string& name : pictures) {
        SCOPED_TRACE(name);
        auto frame = plat::Image::imageWithContentsOfFile(device + "/Documents/" + made + "/" + name);
        ASSERT_TRUE(frame);
        const auto& bitmap = *frame->bitmap();
        auto middle = plat::test::pixelAt(bitmap, bitmap.width() / 2, bitmap.height() * 45 / 100);
        EXPECT_GT(middle[0], 160);
        EXPECT_LT(middle[1], 90);
        for (int x : {bitmap.width() / 10, bitmap.width() * 9 / 10}) {
            auto side = plat::test::pixelAt(bitmap, x, bitmap.height() / 2);
            EXPECT_LT(std::abs(side[0] - side[2]) + std::abs(side[1] - side[2]), 90) << "a wall, not the green field";
            EXPECT_LT(side[1], side[2] + 20);
        }
    }
    // The editor shows the last one: red figure pixels on screen, no green field.
    auto picture = plat::Image::imageWithContentsOfFile(shot);
    ASSERT_TRUE(picture);
    const auto& screen = *picture->bitmap();
    int figure = 0, field = 0;
    for (int y = 0; y < screen.height(); y += 2) {
        for (int x = 0; x < screen.width(); x += 2) {
            auto p = plat::test::pixelAt(screen, x, y);
            figure += p[0] > 170 && p[1] < 80 && p[2] < 80;
            field += p[1] > 120 && p[0] < 60 && p[2] < 100;
        }
    }
    EXPECT_GT(figure, 500);
    EXPECT_LT(field, 200);
    (void)plat::copyItem(shot, ::testing::TempDir() + "green-screen-script.png", plat::ReplaceExisting::Yes);
}

TEST(AppScript, ASecondRunOnTheSameDeviceFindsItsProjects)
{
    plat::test::TemporaryFolder folder;
    const std::string device = folder.path("device");
    const std::string script = folder.path("look.txt");
    std::ofstream(script) << "wait 0.5\nscreenshot " << folder.path("first.png") << "\nquit\n";
    ASSERT_EQ(runApp(device, "tablet", script), 0);
    ASSERT_TRUE(plat::fileExists(device + "/Library/Caches/.plovix-introduction/plovix.meta"));
    ASSERT_TRUE(plat::removeItem(device + "/Library/Caches/.plovix-introduction").ok());
    ASSERT_EQ(runApp(device, "tablet", script), 0);
    EXPECT_FALSE(plat::fileExists(device + "/Library/Caches/.plovix-introduction")) << "the sample comes once";
    auto picture = plat::Image::imageWithContentsOfFile(folder.path("first.png"));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->bitmap()->width(), 2048);
}

namespace {

// The entries of the only project made on the device, or none.
size_t madeProjectEntries(const std::string& device)
{
    auto made = newestProjectName(device);
    if (!made)
        return 0;
    auto frames = plat::dictionaryWithContentsOfFile(device + "/Documents/" + *made + "/frames.meta");
    return frames ? frames->getArray("FRAMELIST_DATA").value_or(plat::Array()).count() : 0;
}

}  // namespace

// The editor's strip driven as a person would: four frames, the
// last three selected, copied and pasted before the capture placeholder,
// played; then a second run of the app pastes them again from the
// pasteboard the first one left in the device folder.
// The device folder given as a relative path, as the README allows: the
// frames on the pasteboard name their project by an absolute path, so they
// paste in this run and in the next.
TEST(AppScript, AScriptCopiesAndPastesARangeInTheStripAndPlaysIt)
{
    plat::test::TemporaryFolder folder;
    const std::string device = folder.path("device");
    const std::string script = folder.path("strip.txt");
    addTestPatternCamera(device);
    // After four frames the fourth is centred: item k sits at x 284 + (k - 3) x 90, y 259.
    std::ofstream(script) << "wait 1.2\ntap Get Started\nwait 1\ntapat 284 119\nwait 0.6\n"
                          << captureLines(4)
                          << "wait 0.5\n"
                             "screenshot "
                          << folder.path("added.png")
                          << "\n"
                             "tapat 104 259\nwait 0.7\ntap Select\nwait 0.4\n"
                             "tapat 284 259\nwait 0.7\ntap Copy\nwait 0.6\n"
                             "tapat 374 259\nwait 0.7\ntap Paste\nwait 1\n"
                             "screenshot "
                          << folder.path("pasted.png")
                          << "\n"
                             "tap Play\nwait 0.5\nscreenshot "
                          << folder.path("playing.png") << "\ntap Stop\nwait 0.5\ntap Projects\nwait 1.2\nquit\n";
    ASSERT_EQ(runApp("device", "phone", script, "", folder.path()), 0);
    EXPECT_EQ(madeProjectEntries(device), 8u) << "four frames, three pasted, the placeholder";
    // The strip's thumbnails light the band below the picture; playing, the timeline's tiles do.
    const std::pair<const char*, int> bands[] = {{"added.png", 518}, {"pasted.png", 518}, {"playing.png", 477}};
    for (const auto& [shot, y] : bands) {
        auto picture = plat::Image::imageWithContentsOfFile(folder.path(shot));
        ASSERT_TRUE(picture) << shot;
        const auto lit = plat::test::pixelAt(*picture, 400, y);
        EXPECT_GT(lit[0] + lit[1] + lit[2], 200) << shot;
    }

    const std::string again = folder.path("again.txt");
    // Opening the longer film brings a coach mark over the editor.
    std::ofstream(again) << "wait 1.2\ntapat 284 119\nwait 1\ntapat 374 259\nwait 0.7\ntap Paste\nwait 1\n"
                            "tap Next\nwait 1\ntap Projects\nwait 1.2\nquit\n";
    ASSERT_EQ(runApp("./device", "phone", again, "", folder.path()), 0);
    EXPECT_EQ(madeProjectEntries(device), 11u) << "the second run pasted the three frames again";
}

// The frame editor on the sample project, as a person takes it: open,
// capture two pictures from the virtual camera, merge the last with the two
// before it, crop (flip) the first, open the look sheet and close it, record a
// voice-over from the virtual microphone, play, zoom to the timeline and
// back, and return to the explorer; a screenshot after each step.
TEST(AppScript, AScriptToursTheEditorOnTheSampleProject)
{
    plat::test::TemporaryFolder folder;
    const std::string device = folder.path("device");
    addTestPatternCamera(device);
    ASSERT_TRUE(plat::createDirectory(device + "/Microphone", plat::IntermediateDirectories::Yes).ok());
    ASSERT_TRUE(plat::writePropertyListFile(plat::Dictionary {{"Kind", "Signal"}, {"Signal", "sine=frequency=440"}},
        device + "/Microphone/Microphone.plist")
                    .ok());
    auto shot = [&](const char* name) { return "screenshot " + folder.path(name) + "\n"; };
    std::string script = "wait 1.2\ntap Get Started\nwait 1\ntapat 434 119\nwait 1\ntapat 284 119\nwait 1.5\n"
        + shot("01-opened.png") + "tap Next\nwait 0.5\n"
        + "tap Capture\nwait 1.5\ntap Take Picture\nwait 1.1\ntap Take Picture\nwait 1.1\n" + shot("02-capturing.png")
        + "tap Done\nwait 1.5\n" + shot("03-captured.png") + "tapat 284 108\nwait 0.7\n" + shot("04-controls.png")
        + "tap Merge\nwait 1\n" + shot("05-merged.png")
        + "tap First Frame\nwait 0.5\ntapat 284 108\nwait 0.7\ntap Crop\nwait 1\ntap Flip Horizontally\nwait 0.5\n"
        + shot("06-cropping.png") + "tap Done\nwait 2\n" + shot("07-cropped.png")
        + "tap Movie Look\nwait 1\n"
        // The sheet raised and scrolled to its effects; the second is black and white.
        + "tapat 29 172\nwait 1\ndrag 284 250 284 60\nwait 1\ntapat 415 214\nwait 1.5\n" + shot("08-look.png")
        + "tap Done\nwait 1\n" + "tap Voice-over\nwait 1\ntap Record\nwait 6\n" + shot("09-recording.png")
        + "tap Stop\nwait 2\n" + shot("10-voice.png") + "tap First Frame\nwait 0.5\ntap Play\nwait 1.2\n"
        + shot("11-playing.png") + "tap Stop\nwait 1\n" + "tapat 284 259\ntapat 284 259\nwait 1\n"
        + shot("12-timeline.png") + "tapat 284 230\ntapat 284 230\nwait 1\n" + shot("13-strip.png")
        + "tap Projects\nwait 1.5\n" + shot("14-explorer.png") + "quit\n";
    std::ofstream(folder.path("tour.txt")) << script;
    ASSERT_EQ(runApp(device, "phone", folder.path("tour.txt")), 0);

    const std::string sample = device + "/Library/Caches/.plovix-introduction";
    auto frames = plat::dictionaryWithContentsOfFile(sample + "/frames.meta");
    ASSERT_TRUE(frames);
    EXPECT_EQ(frames->getArray("FRAMELIST_DATA").value_or(plat::Array()).count(), 18u)
        << "fifteen pictures, two captured, the placeholder";
    auto names = plat::contentsOfDirectory(sample);
    ASSERT_TRUE(names.ok());
    size_t recordings = 0;
    for (const std::string& name : names.value())
        recordings += name.ends_with(".caf");
    EXPECT_EQ(recordings, 1u) << "the voice-over";
    auto metadata = plat::dictionaryWithContentsOfFile(sample + "/plovix.meta");
    ASSERT_TRUE(metadata);
    EXPECT_EQ(metadata->getBool("RecordNeedsRendering"), true);
    EXPECT_EQ(metadata->getInt64("RecordMovieFilter"), 1) << "the effect chosen in the look sheet";
    EXPECT_FALSE(metadata->getString("META_RECORD_THUMB_FRAME_ID").value_or("").empty());

    const std::string look = ::testing::TempDir() + "editor-tour/";
    (void)plat::createDirectory(look, plat::IntermediateDirectories::Yes);
    for (const char* name : {"01-opened.png", "02-capturing.png", "03-captured.png", "04-controls.png", "05-merged.png",
             "06-cropping.png", "07-cropped.png", "08-look.png", "09-recording.png", "10-voice.png", "11-playing.png",
             "12-timeline.png", "13-strip.png", "14-explorer.png"}) {
        auto picture = plat::Image::imageWithContentsOfFile(folder.path(name));
        ASSERT_TRUE(picture) << name;
        EXPECT_EQ(picture->bitmap()->width(), 1136) << name;
        (void)plat::copyItem(folder.path(name), look + name, plat::ReplaceExisting::Yes);  // for a look
    }
    // The picture of the merged frame shows through its neighbours: it is not the live camera's.
    auto merged = plat::Image::imageWithContentsOfFile(folder.path("05-merged.png"));
    auto captured = plat::Image::imageWithContentsOfFile(folder.path("03-captured.png"));
    ASSERT_TRUE(merged && captured);
    EXPECT_GT(plat::test::differingPixels(*merged, *captured, 24), 1000);
}

// A project with a voice-over, previewed as a movie: the strip's frames
// come back after the recording at a jump, and the movie's sound ends
// cleanly when the player closes and when the app quits while it plays.
TEST(AppScript, AMovieWithAVoiceOverClosesAndQuitsWhileItPlays)
{
    plat::test::TemporaryFolder folder;
    const std::string device = folder.path("device");
    addTestPatternCamera(device);
    ASSERT_TRUE(plat::createDirectory(device + "/Microphone", plat::IntermediateDirectories::Yes).ok());
    ASSERT_TRUE(plat::writePropertyListFile(plat::Dictionary {{"Kind", "Signal"}, {"Signal", "sine=frequency=440"}},
        device + "/Microphone/Microphone.plist")
                    .ok());
    const std::string shot = folder.path("after-voice.png");
    std::ofstream(folder.path("voice.txt"))
        << "wait 1.2\ntap Get Started\nwait 1\ntapat 284 119\nwait 0.6\n"
        << captureLines(3)
        << "tap First Frame\nwait 1\ntap Voice-over\nwait 1\ntap Record\nwait 5\ntap Stop\nwait 3\n"
           "tap First Frame\nwait 1\nscreenshot "
        << shot
        << "\ntap Projects\nwait 1.5\ntap Play\nwait 1\ntap Ok\nwait 4\n"
           "# the controls shown by a tap, then Done while the movie plays; played again and left playing\n"
           "tapat 284 160\nwait 0.5\ntap Done\nwait 2\ntap Play\nwait 3\nquit\n";
    EXPECT_EQ(runApp(device, "phone", folder.path("voice.txt")), 0);
    auto picture = plat::Image::imageWithContentsOfFile(shot);
    ASSERT_TRUE(picture);
    const auto thumbnail = plat::test::pixelAt(*picture, 568, 518);
    EXPECT_GT(thumbnail[0] + thumbnail[1] + thumbnail[2], 200) << "the strip's frames are back";
}

TEST(AppCommandLine, ADeviceFolderThatCannotBeOneStopsTheRunBeforeAnythingIsWritten)
{
    plat::test::TemporaryFolder folder;
    const std::string script = folder.path("quit.txt");
    std::ofstream(script) << "quit\n";
    const std::string file = folder.path("a-file");
    std::ofstream(file) << "not a folder";
    EXPECT_NE(runApp(file, "phone", script), 0) << "nothing the person does could be kept";

    // An empty name would make the working folder the device.
    const std::string work = folder.path("work");
    ASSERT_TRUE(plat::createDirectory(work, plat::IntermediateDirectories::Yes).ok());
    std::string command = "cd " + work + " && env -u DISPLAY -u WAYLAND_DISPLAY " + ZT_APP_BINARY
        + " --device '' --script " + script + " >/dev/null 2>&1";
    EXPECT_EQ(plat::test::runShellBounded(command), 2);
    EXPECT_FALSE(plat::fileExists(work + "/Documents"));
}

TEST(AppScript, AScriptWelcomesPreviewsTheSampleAsAMovieAndOpensTheExplorersScreens)
{
    plat::test::TemporaryFolder folder;
    const std::string device = folder.path("device");
    auto shot = [&](const char* name) { return "screenshot " + folder.path(name) + "\n"; };
    // The sample is rendered on the first Play (Ok), then played behind the curtains.
    std::string script = "wait 1.2\n" + shot("welcome.png") + "tap Get Started\nwait 1\ntapat 434 119\nwait 1\n"
        + "tap Play\nwait 0.5\ntap Ok\nwait 5\n" + shot("movie-early.png") + "wait 0.5\n" + shot("movie-later.png")
        + "tapat 284 160\nwait 0.5\ntap Done\nwait 2\n" + "tap Share\nwait 1\n" + shot("share.png")
        + "tap Cancel\nwait 1\ntap Help\nwait 1\n" + shot("info.png") + "tap Done\nwait 1\ntap Gallery\nwait 1\n"
        + shot("gallery.png") + "quit\n";
    std::ofstream(folder.path("preview.txt")) << script;
    ASSERT_EQ(runApp(device, "phone", folder.path("preview.txt")), 0);
    auto early = plat::Image::imageWithContentsOfFile(folder.path("movie-early.png"));
    auto later = plat::Image::imageWithContentsOfFile(folder.path("movie-later.png"));
    ASSERT_TRUE(early && later);
    EXPECT_GT(plat::test::differingPixels(*early, *later, 24), 500) << "the movie moved on";
    auto welcome = plat::Image::imageWithContentsOfFile(folder.path("welcome.png"));
    ASSERT_TRUE(welcome);
    EXPECT_GT(litShare(*welcome), 0.5) << "the welcome screen's gradient";

    // The second start shows no welcome: the explorer's toolbar takes a tap at once.
    std::ofstream(folder.path("again.txt")) << "wait 1.2\ntap Help\nwait 1\ntap Done\nwait 1\nquit\n";
    EXPECT_EQ(runApp(device, "phone", folder.path("again.txt")), 0);
}

// The README painter script run in the desktop window under a virtual
// display: the window's drawing must not keep the painter's canvas from its
// context, so the first frame is painted as it is headless.
TEST(AppScript, TheReadmesPainterScriptPaintsInADesktopWindowToo)
{
    plat::test::TemporaryFolder folder;
    const std::string device = folder.path("device");
    addTestPatternCamera(device);
    std::ofstream(folder.path("paint.txt")) << readmePainterScript(folder.path(""));
    const std::string errors = folder.path("errors.txt");
    const std::string command = std::string("xvfb-run -a -s '-screen 0 1280x800x24' ") + ZT_APP_BINARY + " --device "
        + device + " --idiom phone --script " + folder.path("paint.txt") + " --window 2>" + errors;
    ASSERT_EQ(plat::test::runShellBounded(command), 0) << plat::readFile(errors).valueOr(plat::Data()).size();
    const auto log = plat::readFile(errors).valueOr(plat::Data());
    EXPECT_EQ(std::string(log.begin(), log.end()).find("cannot make a context current"), std::string::npos);

    const auto made = newestProjectName(device);
    ASSERT_TRUE(made);
    const std::string project = device + "/Documents/" + *made;
    auto frames = plat::dictionaryWithContentsOfFile(project + "/frames.meta");
    ASSERT_TRUE(frames);
    const std::string id
        = *frames->getArray("FRAMELIST_DATA").value_or(plat::Array()).at(0).asDictionary()->getString("FRAME_ID");
    auto painted = plat::Image::imageWithContentsOfFile(project + "/frame-" + id + ".jpg");
    ASSERT_TRUE(painted);
    const auto line = plat::test::pixelAt(*painted, static_cast<int>(painted->bitmap()->width() * 285 / 568.0),
        static_cast<int>(painted->bitmap()->height() * 150 / 319.5));
    EXPECT_GT(line[2], 150) << "the pen's blue line";
    EXPECT_LT(line[1], 120);
}

TEST(AppScript, TheReadmesPainterScriptPaintsTheFirstFrameForTheStripAndTheMovie)
{
    plat::test::TemporaryFolder folder;
    const std::string device = folder.path("device");
    addTestPatternCamera(device);
    const std::string script = readmePainterScript(folder.path(""));
    ASSERT_NE(script.find("tap Paint"), std::string::npos);
    std::ofstream(folder.path("paint.txt")) << script;
    ASSERT_EQ(runApp(device, "phone", folder.path("paint.txt")), 0);
    for (const char* shot : {"01-coach-mark.png", "02-picker.png", "03-second-picker.png", "04-layers.png",
             "05-painted.png", "06-editor.png", "07-movie.png"})
        EXPECT_TRUE(plat::Image::imageWithContentsOfFile(folder.path(shot))) << shot;

    const auto made = newestProjectName(device);
    ASSERT_TRUE(made);
    const std::string project = device + "/Documents/" + *made;
    auto frames = plat::dictionaryWithContentsOfFile(project + "/frames.meta");
    ASSERT_TRUE(frames);
    auto first = frames->getArray("FRAMELIST_DATA").value_or(plat::Array());
    ASSERT_EQ(first.count(), 3u);
    const std::string id = *first.at(0).asDictionary()->getString("FRAME_ID");
    // The picture the strip and the movie read has the pen's blue line
    // (canvas 150 to 420 at y 150 of 568 x 319.5); the unpainted one has not.
    auto painted = plat::Image::imageWithContentsOfFile(project + "/frame-" + id + ".jpg");
    auto unpainted = plat::Image::imageWithContentsOfFile(project + "/canvas-" + id + ".jpg");
    ASSERT_TRUE(painted && unpainted);
    const int x = static_cast<int>(painted->bitmap()->width() * 285 / 568.0);
    const int y = static_cast<int>(painted->bitmap()->height() * 150 / 319.5);
    const auto line = plat::test::pixelAt(*painted, x, y);
    EXPECT_GT(line[2], 150);
    EXPECT_LT(line[1], 120);
    EXPECT_GT(plat::test::componentDistance(line, plat::test::pixelAt(*unpainted, x, y)), 60);
    // Play in the explorer rendered the movie: its first picture has the line too.
    std::string movie;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(device + "/Library/Caches/rendercache"))
        if (entry.path().extension() == ".mov")
            movie = entry.path().string();
    ASSERT_FALSE(movie.empty()) << "no rendered movie";
    const auto video = plat::test::probeMedia(movie).stream("video");
    ASSERT_FALSE(video.empty());
    const int width = std::atoi(video.at("width").c_str());
    const int height = std::atoi(video.at("height").c_str());
    auto pictures = plat::test::decodeVideoWithFFmpeg(folder.path(""), movie, width, height);
    ASSERT_FALSE(pictures.empty());
    const size_t at = 3 * (size_t(height * 150 / 319.5) * size_t(width) + size_t(width * 285 / 568.0));
    const uint8_t* inMovie = pictures.front().data() + at;
    EXPECT_GT(inMovie[2], 150) << "blue";
    EXPECT_LT(inMovie[1], 120) << "green";
    // Two layers were kept, and the settings remember the fountain pen and its colour.
    EXPECT_TRUE(plat::fileExists(project + "/canvas-" + id + ".layers"));
    auto settings = plat::dictionaryWithContentsOfFile(device + "/Documents/.settings.plist");
    ASSERT_TRUE(settings);
    auto painter
        = settings->getDictionary("METADATA").value_or(plat::Dictionary()).getDictionary("PAINTER_CONFIGURATION");
    ASSERT_TRUE(painter);
    EXPECT_EQ(painter->getInt64("PAINTER_TOOL"), 2);
    auto toolColors = painter->getArray("PAINTER_TOOL_COLORS").value_or(plat::Array());
    ASSERT_EQ(toolColors.count(), 3u);
    EXPECT_EQ(toolColors.at(1).int64Value(), 0);
    EXPECT_EQ(toolColors.at(2).int64Value(), 4);
}

namespace {

// What a run left behind that must not depend on how busy the machine was:
// the screenshots, and the made project's stored pictures in film order
// (their names hold new identifiers each run) and its rendered movie.
std::vector<std::pair<std::string, std::vector<uint8_t>>> runOutcome(
    const std::string& folder, const std::string& device, const std::vector<std::string>& shots)
{
    std::vector<std::pair<std::string, std::vector<uint8_t>>> outcome;
    auto keep = [&](const std::string& what, const std::string& path) {
        outcome.emplace_back(what, plat::readFile(path).valueOr(plat::Data()));
    };
    for (const auto& shot : shots)
        keep(shot, folder + "/" + shot);
    const auto made = newestProjectName(device);
    if (!made)
        return outcome;
    const std::string project = device + "/Documents/" + *made;
    auto frames = plat::dictionaryWithContentsOfFile(project + "/frames.meta");
    for (const plat::Value& entry : frames ? frames->getArray("FRAMELIST_DATA").value_or(plat::Array()) : plat::Array())
        if (auto record = entry.asDictionary())
            for (const char* kind : {"frame-", "thumb-", "preview-"})
                if (auto id = record->getString("FRAME_ID"); id && *id != "RESERVED_PLACEHOLDER_CAPTURE")
                    keep(std::string(kind) + std::to_string(outcome.size()), project + "/" + kind + *id + ".jpg");
    auto movies = plat::contentsOfDirectory(device + "/Library/Caches/rendercache/" + *made);
    for (const std::string& name : movies.valueOr(std::vector<std::string>()))
        keep(name, device + "/Library/Caches/rendercache/" + *made + "/" + name);
    return outcome;
}

// Keeps every processor busy twice over while it lives.
class MachineLoad {
public:
    MachineLoad()
    {
        for (unsigned i = 0; i < 2 * std::max(1u, std::thread::hardware_concurrency()); ++i)
            _threads.emplace_back([this] {
                uint64_t spin = 0;
                while (!_stop.load(std::memory_order_relaxed))
                    spin = spin * 6364136223846793005u + 1;
                _sink += spin;
            });
    }
    ~MachineLoad()
    {
        _stop = true;
        for (auto& thread : _threads)
            thread.join();
    }

private:
    std::atomic<bool> _stop = false;
    std::atomic<uint64_t> _sink = 0;
    std::vector<std::thread> _threads;
};

}  // namespace

// Plain waits, a camera whose every picture carries its frame number, a
// countdown, playback and a render: the same files and screens whether the
// machine is idle or busy, because the script's time waits for the app. The
// busy run also gets fresh heap memory filled with another byte, so that a
// library reading memory it never wrote shows here and not now and then.
TEST(AppScript, AScriptGivesTheSameFilesAndScreensOnAnIdleAndOnABusyMachine)
{
    plat::test::TemporaryFolder folder;
    const std::vector<std::string> shots {"live.png", "editor.png", "playing.png", "progress.png", "movie.png"};
    auto script = [](const std::string& into) {
        return "wait 1.2\ntap Get Started\nwait 1\ntapat 284 119\nwait 0.6\ntap Capture\nwait 1.5\n"
               "tap Take Picture\nwait 0.63\ntap Take Picture\nwait 1.1\ntap Take Picture\nwait 0.9\n"
               "screenshot "
            + into + "/live.png\ntap Done\nwait 1\nscreenshot " + into
            + "/editor.png\n"
              "tap Play\nwait 0.45\nscreenshot "
            + into
            + "/playing.png\ntap Stop\nwait 0.5\ntap Projects\nwait 1.2\ntap Play\nwait 1\ntap Ok\nwait 0.3\n"
              "screenshot "
            + into + "/progress.png\nwait 3.3\nscreenshot " + into + "/movie.png\nquit\n";
    };
    std::vector<std::pair<std::string, std::vector<uint8_t>>> outcomes[2];
    for (int run = 0; run < 2; ++run) {
        const std::string into = folder.path("run" + std::to_string(run));
        const std::string device = into + "/device";
        ASSERT_TRUE(plat::createDirectory(into, plat::IntermediateDirectories::Yes).ok());
        addTestPatternCamera(device);
        std::ofstream(into + "/script.txt") << script(into);
        std::optional<MachineLoad> load;
        if (run == 1)
            load.emplace();
        ASSERT_EQ(runApp(device, "phone", into + "/script.txt", run == 1 ? "MALLOC_PERTURB_=165" : ""), 0);
        load.reset();
        outcomes[run] = runOutcome(into, device, shots);
    }
    ASSERT_EQ(outcomes[0].size(), outcomes[1].size());
    EXPECT_GE(outcomes[0].size(), shots.size() + 3 * 3 + 1) << "five screens, three frames' pictures, a movie";
    for (size_t i = 0; i < outcomes[0].size(); ++i) {
        EXPECT_FALSE(outcomes[0][i].second.empty()) << outcomes[0][i].first;
        EXPECT_TRUE(outcomes[0][i].second == outcomes[1][i].second) << outcomes[0][i].first << " differs";
    }
}

namespace {

// A whole movie as a person makes one: five pictures from the camera, one
// merged with those before it (phone), a pen stroke on the first, a
// voice-over from there, the curtain theme with a title, the sepia effect,
// then the movie rendered, played, and the app quit while it plays.
std::string wholeMovieScript(const std::string& idiom)
{
    const bool tablet = idiom == "tablet";
    std::string script = tablet ? "wait 1.2\ntap Get Started\nwait 1\ntapat 512 319\nwait 1.5\n"
                                : "wait 1.2\ntap Get Started\nwait 1\ntapat 284 119\nwait 0.6\ntap Capture\nwait 1.5\n";
    for (int i = 0; i < 5; ++i)
        script += "tap Take Picture\nwait 1.1\n";
    script += tablet ? "tap First Frame\nwait 1\ntapat 400 300\nwait 0.7\n"
                     : "tap Done\nwait 1.5\ntapat 284 108\nwait 0.7\ntap Merge\nwait 1\n"
                       "tap First Frame\nwait 1\ntapat 284 108\nwait 0.7\n";
    script += "tap Paint\nwait 1.5\ntap Next\nwait 1\ntap Pen\nwait 0.5\n";
    script += tablet ? "drag 300 380 700 380\n" : "drag 150 160 420 160\n";
    script += "wait 0.5\ntap Back\nwait 2\n"
              "tap Voice-over\nwait 1\ntap Record\nwait 8\ntap Stop\nwait 3\n"
              "tap Movie Look\nwait 1\ntap Curtain\nwait 3\n";
    script += tablet ? "tapat 28 497\nwait 1\n" : "tapat 29 171\nwait 1\ndrag 100 300 100 150\nwait 2\n";
    script += "tap Sepia\nwait 2\ntap Outline\nwait 1\n";
    script += tablet ? "tapat 600 105\n" : "tapat 300 106\n";
    script += "wait 0.5\ntype : Kites\nwait 0.5\ntap Done\nwait 3\ntap Next\nwait 1\ntap Projects\nwait 1.5\n"
              "tap Play\nwait 1\ntap Ok\nwait 8\nquit\n";
    return script;
}

// The movie has what the script made: every frame (the first picture twice),
// the voice heard from its frame's picture on, the stroke, the effect.
void expectTheWholeMovie(const std::string& folder, const std::string& device)
{
    const auto made = newestProjectName(device);
    ASSERT_TRUE(made);
    const std::string project = device + "/Documents/" + *made;
    auto metadata = plat::dictionaryWithContentsOfFile(project + "/plovix.meta");
    ASSERT_TRUE(metadata);
    EXPECT_EQ(metadata->getInt64("META_RECORD_THEME"), 1);
    EXPECT_EQ(metadata->getInt64("RecordMovieFilter"), 2);
    EXPECT_EQ(metadata->getString("RecordName"), "My Plovix Movie: Kites");
    auto voices = metadata->getDictionary("RecordMetaAudio").value_or(plat::Dictionary()).getArray("TRACK_0");
    ASSERT_TRUE(voices && voices->count() == 1u);
    const std::string anchor = voices->at(0).asDictionary()->getString("RecordAudioLinkToFrame").value_or("");
    auto frames = plat::dictionaryWithContentsOfFile(project + "/frames.meta");
    ASSERT_TRUE(frames);
    const plat::Array entries = frames->getArray("FRAMELIST_DATA").value_or(plat::Array());
    ASSERT_EQ(entries.count(), 46u) << "20 title entries, 5 pictures, the placeholder, 20 credits";
    size_t voiceFrame = entries.count();
    for (size_t i = 0; i < entries.count(); ++i)
        if (entries.at(i).asDictionary()->getString("UID") == anchor)
            voiceFrame = i;
    ASSERT_EQ(voiceFrame, 20u) << "the first picture, after the title";

    std::string movie;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(device + "/Library/Caches/rendercache"))
        if (entry.path().extension() == ".mov")
            movie = entry.path().string();
    ASSERT_FALSE(movie.empty()) << "no rendered movie";
    auto probe = plat::test::probeMedia(movie, plat::test::FrameCount::ByDecoding);
    const auto video = probe.stream("video");
    ASSERT_FALSE(video.empty());
    EXPECT_EQ(video.at("nb_read_frames"), "46") << "45 frames, the first picture twice";
    ASSERT_FALSE(probe.stream("audio").empty());

    // The voice starts with its picture, which shows from (20 + 1) / 5 s.
    auto sound = plat::test::decodeAudioWithFFmpeg(folder, movie, 44100, 1);
    auto heard = std::find_if(sound.begin(), sound.end(), [](int16_t s) { return std::abs(s) > 300; });
    ASSERT_NE(heard, sound.end());
    EXPECT_NEAR(static_cast<double>(heard - sound.begin()) / 44100, 21 / 5.0, 0.001);

    // The painted first picture (movie picture 21) has a line of one colour
    // across the stripes that the next picture shows; both are sepia.
    const int width = std::atoi(video.at("width").c_str());
    const int height = std::atoi(video.at("height").c_str());
    auto pictures = plat::test::decodeVideoWithFFmpeg(folder, movie, width, height);
    ASSERT_EQ(pictures.size(), 46u);
    auto at = [&](size_t picture, double x, double y) {
        const size_t i = 3 * (size_t(y * height) * size_t(width) + size_t(x * width));
        const uint8_t* p = pictures[picture].data() + i;
        return std::array<int, 3> {p[0], p[1], p[2]};
    };
    auto spread = [&](size_t picture) {
        int low = 255, high = 0;
        for (double x = 0.32; x <= 0.66; x += 0.02) {
            const auto p = at(picture, x, 0.5);
            low = std::min(low, p[0]);
            high = std::max(high, p[0]);
        }
        return high - low;
    };
    EXPECT_LT(spread(21), 20) << "the stroke";
    EXPECT_GT(spread(22), 60) << "the stripes of the unpainted picture";
    for (double x : {0.1, 0.3, 0.5, 0.7, 0.9}) {
        const auto p = at(22, x, 0.3);
        EXPECT_TRUE(p[0] + 8 >= p[1] && p[1] + 8 >= p[2])
            << "sepia at " << x << ": " << p[0] << " " << p[1] << " " << p[2];
    }
}

}  // namespace

TEST(AppScript, AWholeMovieIsMadeOnAPhoneAndATabletAndPaintedInADesktopWindow)
{
    struct Run {
        const char* idiom;
        bool window;
    };
    for (const Run& run : {Run {"phone", false}, Run {"tablet", false}, Run {"phone", true}}) {
        SCOPED_TRACE(std::string(run.idiom) + (run.window ? " in a window" : ""));
        plat::test::TemporaryFolder folder;
        const std::string device = folder.path("device");
        addTestPatternCamera(device);
        addSineMicrophone(device);
        std::ofstream(folder.path("movie.txt")) << wholeMovieScript(run.idiom);
        if (run.window) {
            const std::string command = std::string("xvfb-run -a -s '-screen 0 1280x800x24' ") + ZT_APP_BINARY
                + " --device " + device + " --idiom " + run.idiom + " --script " + folder.path("movie.txt")
                + " --window";
            ASSERT_EQ(plat::test::runShellBounded(command), 0);
        } else {
            ASSERT_EQ(runApp(device, run.idiom, folder.path("movie.txt")), 0);
        }
        expectTheWholeMovie(folder.path(""), device);
    }
}

namespace {

// Script lines that share the centred project through a target as one
// export type (a row of the form; rows below the fifth are dragged into view).
std::string shareLines(const std::string& target, const std::string& type, bool scroll)
{
    return "tap Share\nwait 1\ntap " + target + "\nwait 1\n" + (scroll ? "drag 284 280 284 60\nwait 1\n" : "") + "tap "
        + type + "\nwait 0.5\ntap Export\nwait 3\ntap Done\nwait 1\n";
}

// Pictures in the folder as gifsicle counts them, and whether they loop for ever.
std::pair<int, bool> gifInfo(const std::string& path)
{
    const std::string text
        = plat::test::runCommand(plat::deletingLastPathComponent(path), {"gifsicle", "--info", path}).output;
    const size_t images = text.find(" images");
    size_t start = images;
    while (start > 0 && std::isdigit(static_cast<unsigned char>(text[start - 1])))
        --start;
    const int count = images == std::string::npos ? 0 : std::atoi(text.substr(start, images - start).c_str());
    return {count, text.find("loop forever") != std::string::npos};
}

// One project's exports in Documents against its frame list: the movie
// (every frame, the first twice; sound when it has a voice), the looping GIF
// and the pictures in order. movieFrames: its frames, the placeholder left out.
void expectTheExports(
    const std::string& work, const std::string& project, const std::string& exported, size_t& movieFrames)
{
    SCOPED_TRACE(exported);
    auto frames = plat::dictionaryWithContentsOfFile(project + "/frames.meta");
    ASSERT_TRUE(frames);
    movieFrames = frames->getArray("FRAMELIST_DATA").value_or(plat::Array()).count() - 1;
    ASSERT_GT(movieFrames, 1u);

    auto probe = plat::test::probeMedia(exported + ".mov", plat::test::FrameCount::ByDecoding);
    ASSERT_FALSE(probe.stream("video").empty()) << probe.output;
    // The movie shows its first picture twice, as the whole-movie script finds.
    EXPECT_EQ(probe.stream("video").at("nb_read_frames"), std::to_string(movieFrames + 1));
    EXPECT_EQ(probe.stream("video").at("width"), "640");
    auto metadata = plat::dictionaryWithContentsOfFile(project + "/plovix.meta");
    const bool hasSound = metadata && metadata->getDictionary("RecordMetaAudio");
    EXPECT_EQ(!probe.stream("audio").empty(), hasSound);

    const auto [gifPictures, loops] = gifInfo(exported + ".gif");
    EXPECT_EQ(gifPictures, static_cast<int>(std::min<size_t>(movieFrames, 50)));
    EXPECT_TRUE(loops);

    auto images = plat::contentsOfDirectory(exported + ".export");
    ASSERT_TRUE(images.ok());
    ASSERT_EQ(images.value().size(), movieFrames);
    EXPECT_EQ(images.value().front(), "frame-00000.jpg");
    EXPECT_EQ(images.value().back(),
        "frame-" + std::string(5 - std::to_string(movieFrames - 1).size(), '0') + std::to_string(movieFrames - 1)
            + ".jpg");
    // Each picture is the movie's at that place (one later in the movie): nearer to it than to the one after.
    auto pictures = plat::test::decodeVideoWithFFmpeg(work, exported + ".mov", 640, 360);
    ASSERT_EQ(pictures.size(), movieFrames + 1);
    auto distance = [&](const plat::Image& picture, size_t frame) {
        int64_t sum = 0;
        for (int y = 10; y < 360; y += 20)
            for (int x = 10; x < 640; x += 20) {
                auto p = plat::test::pixelAt(
                    picture, x * picture.bitmap()->width() / 640, y * picture.bitmap()->height() / 360);
                const uint8_t* q = pictures[frame].data() + 3 * (size_t(y) * 640 + size_t(x));
                sum += std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]);
            }
        return sum;
    };
    for (size_t i = 0; i + 1 < movieFrames; i += std::max<size_t>(1, movieFrames / 5)) {
        auto picture = plat::Image::imageWithContentsOfFile(exported + ".export/" + images.value()[i]);
        ASSERT_TRUE(picture);
        EXPECT_LT(distance(*picture, i + 1), distance(*picture, i + 2)) << images.value()[i];
    }
}

// Script lines that share the centred project through every target and export type.
std::string shareThroughEveryTarget()
{
    return shareLines("File Sharing", "Medium - 360p", false) + shareLines("File Sharing", "Animated GIF", true)
        + shareLines("File Sharing", "Export All Images", true) + shareLines("File Sharing", "Export Project", true)
        + shareLines("Photo Album", "Medium - 360p", false) + shareLines("Photo Album", "Export All Images", true)
        + shareLines("Open In", "Animated GIF", true);
}

}  // namespace

// A project captured from the camera with a voice-over, and then the sample,
// each shared through every target as every type.
TEST(AppScript, TheSampleAndACapturedProjectAreSharedThroughEveryTargetAsEveryTypeAndImportOnAnotherDevice)
{
    plat::test::TemporaryFolder folder;
    const std::string device = folder.path("device");
    addTestPatternCamera(device);
    addSineMicrophone(device);
    const std::string bin = folder.path("bin");
    ASSERT_TRUE(plat::createDirectory(bin, plat::IntermediateDirectories::No).ok());
    std::ofstream(bin + "/xdg-open") << "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" << bin << "/opened'\n";
    ASSERT_TRUE(plat::setPermissions(bin + "/xdg-open", 0755).ok());
    // The captured project comes back centred in the explorer, the sample to its right.
    std::string script = "wait 1.2\ntap Get Started\nwait 1\ntapat 284 119\nwait 0.6\n" + captureLines(4)
        + "tap First Frame\nwait 1\ntap Voice-over\nwait 1\ntap Record\nwait 6\ntap Stop\nwait 3\n"
          "tap Projects\nwait 1.5\n"
        + shareThroughEveryTarget() + "tapat 434 119\nwait 1\ntap Share\nwait 1\n" + std::string("screenshot ")
        + folder.path("sheet.png") + "\ntap File Sharing\nwait 1\nscreenshot " + folder.path("form.png")
        + "\ntap Cancel\nwait 1\n" + shareThroughEveryTarget() + "quit\n";
    std::ofstream(folder.path("share.txt")) << script;
    const char* path = std::getenv("PATH");
    ASSERT_EQ(runApp(device, "phone", folder.path("share.txt"),
                  "DISPLAY=:98 PATH=" + bin + ":" + std::string(path ? path : "/usr/bin:/bin")),
        0);

    const std::string documents = device + "/Documents/";
    ASSERT_EQ(plat::arrayWithContentsOfFile(documents + ".projects.plist").value_or(plat::Array()).count(), 2u);
    const std::string captured = documents + newestProjectName(device).value_or("");
    const std::string sample = device + "/Library/Caches/.plovix-introduction";
    const std::string names[] = {"My_Plovix_Movie", "Bouncing_Ball"};
    size_t movieFrames[2] = {0, 0};
    ASSERT_NO_FATAL_FAILURE(expectTheExports(folder.path(""), captured, documents + names[0], movieFrames[0]));
    ASSERT_NO_FATAL_FAILURE(expectTheExports(folder.path(""), sample, documents + names[1], movieFrames[1]));
    EXPECT_EQ(movieFrames[0], 4u) << "the four pictures taken";
    EXPECT_TRUE(plat::dictionaryWithContentsOfFile(captured + "/plovix.meta")->getDictionary("RecordMetaAudio"))
        << "the voice-over, so the movie was checked for sound";

    // The photo album: both movies and every picture, in the saved photos and the app's album.
    for (const std::string album : {"Camera Roll", "Zantrope"}) {
        auto saved = plat::contentsOfDirectory(device + "/PhotoLibrary/" + album);
        ASSERT_TRUE(saved.ok()) << album;
        EXPECT_EQ(std::count_if(saved.value().begin(), saved.value().end(),
                      [](const std::string& file) { return plat::pathExtension(file) == "MOV"; }),
            2);
        EXPECT_EQ(std::count_if(saved.value().begin(), saved.value().end(),
                      [](const std::string& file) { return plat::pathExtension(file) == "JPG"; }),
            static_cast<long>(movieFrames[0] + movieFrames[1]));
    }
    // Open-in handed each GIF to the desktop's opener.
    auto opened = plat::readFile(bin + "/opened");
    ASSERT_TRUE(opened.ok());
    const std::string openedText(opened.value().begin(), opened.value().end());
    for (const std::string& name : names)
        EXPECT_NE(openedText.find(name + ".gif\n"), std::string::npos) << name;
    // Nothing half-written was left where the person looks.
    const auto shared = plat::contentsOfDirectory(documents);
    ASSERT_TRUE(shared.ok());
    for (const std::string& file : shared.value())
        EXPECT_EQ(file.rfind(".tmp-", 0), std::string::npos) << file;

    // The archives, put into another device's inbox, are imported at its start with the same frames.
    const std::string other = folder.path("other");
    ASSERT_TRUE(plat::createDirectory(other + "/Documents/Import", plat::IntermediateDirectories::Yes).ok());
    for (const std::string& name : names)
        ASSERT_TRUE(plat::copyItem(documents + name + ".zantropemobile",
            other + "/Documents/Import/" + name + ".zantropemobile", plat::ReplaceExisting::No)
                        .ok());
    std::ofstream(folder.path("import.txt")) << "wait 5\nquit\n";
    ASSERT_EQ(runApp(other, "phone", folder.path("import.txt")), 0);
    std::vector<size_t> imported;
    for (const auto& entry : std::filesystem::directory_iterator(other + "/Documents")) {
        auto list = plat::dictionaryWithContentsOfFile(entry.path().string() + "/frames.meta");
        if (entry.path().filename().string().rfind(".plovix", 0) == 0 && list)
            imported.push_back(list->getArray("FRAMELIST_DATA").value_or(plat::Array()).count());
    }
    std::sort(imported.begin(), imported.end());
    EXPECT_EQ(imported, (std::vector<size_t> {movieFrames[0] + 1, movieFrames[1] + 1}));
}
