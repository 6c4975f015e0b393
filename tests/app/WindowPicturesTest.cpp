// The app in a desktop window on a tablet, on the machine's clock: the
// editor's preview shows each of its pictures, and a screen at rest draws
// nothing. What the window drew is read from its log.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "app/AppProcess.h"
#include "app/WindowedApp.h"
#include "platform/foundation/PropertyList.h"
#include "support/TemporarySandbox.h"

namespace {

constexpr int kPictures = 10;

// A tablet's project of ten pictures of the test camera, played in a loop,
// made by a device script: its folder.
std::string makeProject(const std::string& device)
{
    zt::test::addTestPatternCamera(device);
    const std::string script = device + "/../prepare.txt";
    std::ofstream(script) << "wait 1.2\ntap Get Started\nwait 1\ntapat 512 319\nwait 1.5\n"
            + zt::test::takePictures(kPictures) + "tap Next\nwait 1\ntap Projects\nwait 1.5\nquit\n";
    EXPECT_EQ(zt::test::runApp(device, "tablet", script), 0);
    return device + "/Documents/" + zt::test::newestProjectName(device).value_or("");
}

void setFrameRate(const std::string& project, int framesPerSecond)
{
    auto metadata = plat::dictionaryWithContentsOfFile(project + "/plovix.meta");
    ASSERT_TRUE(metadata);
    metadata->set("RecordFPS", int64_t(framesPerSecond));
    metadata->set("PlayAsLoop", true);
    ASSERT_TRUE(plat::writePropertyListFile(*metadata, project + "/plovix.meta").ok());
}

// The device's camera from now on: one of the project's pictures, again and again.
void useStillCamera(const std::string& device, const std::string& project)
{
    std::filesystem::create_directories(device + "/Cameras/Still");
    for (const auto& file : std::filesystem::directory_iterator(project))
        if (file.path().filename().string().rfind("preview-", 0) == 0) {
            std::filesystem::copy_file(file.path(), device + "/Cameras/Still/still.jpg");
            break;
        }
    ASSERT_TRUE(
        plat::writePropertyListFile(plat::Array {plat::Dictionary {{"Kind", "Pictures"}, {"Folder", "Still"},
                                        {"Position", "Back"}, {"Width", 1280}, {"Height", 720}, {"FrameRate", 25}}},
            device + "/Cameras/Cameras.plist")
            .ok());
}

// The device: the project, and its camera sending one of its pictures
// again and again. The project's folder.
std::string makeDevice(const std::string& device)
{
    const std::string project = makeProject(device);
    useStillCamera(device, project);
    return project;
}

size_t picturesShown(const std::string& log)
{
    size_t shown = 0;
    for (size_t at = log.find("screen: picture "); at != std::string::npos; at = log.find("screen: picture ", at + 1))
        ++shown;
    return shown;
}

bool drawsAnotherPicture(const zt::test::WindowedApp& app, double seconds)
{
    return app.waitForLog("screen: picture " + std::to_string(picturesShown(app.log()) + 1) + " ", seconds);
}

// How long a screen goes without a picture before it is taken to rest: a
// sanitized build's camera takes seconds to send the editor its first picture.
constexpr double kQuietSeconds = zt::test::kDrawsInTime ? 2 : 8;

// Whatever the screen set moving comes to rest (within a minute): a quiet
// spell without a picture.
bool comesToRest(const zt::test::WindowedApp& app)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < giveUp)
        if (!drawsAnotherPicture(app, kQuietSeconds))
            return true;
    return false;
}

// Clicks, and waits for the picture the click brings and for the screen to rest.
bool clickAndRest(zt::test::WindowedApp& app, double x, double y)
{
    const std::string next = "screen: picture " + std::to_string(picturesShown(app.log()) + 1) + " ";
    return app.click(x, y) && app.waitForLog(next, 30) && comesToRest(app);
}

// The passes of the preview over its pictures, each as the frames it asked
// for in turn; a frame the window drew no picture for before the next was
// asked is in brackets.
std::vector<std::string> previewPasses(const std::string& log)
{
    std::vector<std::string> passes;
    std::istringstream lines(log);
    std::string line;
    int64_t asked = -1;
    bool shown = true;
    auto close = [&] {
        if (asked >= 0)
            passes.back() += shown ? std::to_string(asked) + " " : "(" + std::to_string(asked) + ") ";
    };
    while (std::getline(lines, line)) {
        if (const size_t at = line.find("preview: frame "); at != std::string::npos) {
            const int64_t frame = std::stoll(line.substr(at + 15));
            if (frame == asked)
                continue;
            close();
            if (frame < asked || passes.empty())
                passes.emplace_back();
            asked = frame;
            shown = false;
        } else if (line.find("screen: picture ") != std::string::npos) {
            shown = true;
        }
    }
    close();
    return passes;
}

}  // namespace

// Each of two whole passes of the loop asks for every picture in turn, and
// the window draws each before the next is asked for.
TEST(WindowPictures, ThePreviewShowsEachOfItsPictures)
{
    plat::test::TemporaryFolder folder;
    const std::string device = folder.path("device");
    const std::string project = makeDevice(device);
    for (const int framesPerSecond : {5, 12}) {
        SCOPED_TRACE(std::to_string(framesPerSecond) + " frames a second");
        setFrameRate(project, framesPerSecond);
        const std::string log = folder.path("app-" + std::to_string(framesPerSecond) + ".log");
        zt::test::WindowedApp app(device, "tablet", {}, log);
        ASSERT_TRUE(app.waitForWindow(60)) << app.log();
        // The project, centred, opens in the editor.
        ASSERT_TRUE(app.clickToOpen(512, 319, "FrameEditorViewController")) << app.log();
        ASSERT_TRUE(app.click(629, 603));  // Play
        // The first pass may start where the editor stood: the next two are whole.
        ASSERT_TRUE(zt::test::waitForFile(
            log, [&] { return previewPasses(app.log()).size() >= 4; }, 60))
            << app.log();
        EXPECT_EQ(app.stop(), 0);
        const auto passes = previewPasses(app.log());
        if (!zt::test::kDrawsInTime)
            continue;
        EXPECT_EQ(passes[1], "0 1 2 3 4 5 6 7 8 9 ");
        EXPECT_EQ(passes[2], "0 1 2 3 4 5 6 7 8 9 ");
    }
}

// Left untouched with nothing on it changing, a screen draws no picture
// over three seconds: the explorer, then the editor showing the camera's
// live picture of a still scene.
TEST(WindowPictures, AScreenAtRestDrawsNothing)
{
    plat::test::TemporaryFolder folder;
    const std::string device = folder.path("device");
    makeDevice(device);
    zt::test::WindowedApp app(device, "tablet", {}, folder.path("app.log"));
    ASSERT_TRUE(app.waitForWindow(60)) << app.log();
    ASSERT_TRUE(comesToRest(app)) << app.log();
    EXPECT_FALSE(drawsAnotherPicture(app, 3)) << "the explorer\n" << app.log();
    ASSERT_TRUE(clickAndRest(app, 512, 319)) << app.log();
    EXPECT_FALSE(drawsAnotherPicture(app, 3)) << "the editor\n" << app.log();
}
