// The app in a desktop window on the machine's clock, its speaker being
// SDL's disk driver: the file gets what the speaker plays, at its pace.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "app/AppProcess.h"
#include "app/WindowedApp.h"
#include "platform/foundation/PropertyList.h"
#include "support/TemporarySandbox.h"

namespace {

constexpr int64_t kRate = 44100;
// The speaker's frames: two channels of 32-bit floats.
constexpr int64_t kFrameBytes = 8;

std::vector<std::string> speakerInto(const std::string& file)
{
    return {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + file};
}

int64_t framesIn(const std::string& file)
{
    std::error_code error;
    const auto bytes = std::filesystem::file_size(file, error);
    return error ? 0 : static_cast<int64_t>(bytes) / kFrameBytes;
}

// Where in the speaker's file a sound sets in after at least 20 ms of quiet.
std::vector<int64_t> onsets(const std::string& file)
{
    const auto data = plat::readFile(file).valueOr(plat::Data());
    std::vector<float> samples(data.size() / sizeof(float));
    std::memcpy(samples.data(), data.data(), samples.size() * sizeof(float));
    std::vector<int64_t> found;
    int64_t quiet = kRate;
    for (size_t frame = 0; frame + 1 < samples.size(); frame += 2) {
        if (std::abs(samples[frame]) < 0.1f && std::abs(samples[frame + 1]) < 0.1f) {
            ++quiet;
            continue;
        }
        if (quiet >= kRate / 50)
            found.push_back(static_cast<int64_t>(frame / 2));
        quiet = 0;
    }
    return found;
}

// Where the speaker stood each time the window came to show the second
// picture after another: the first picture the window shows once the
// preview moved to frame 1.
std::vector<int64_t> secondPictureShown(const std::string& log)
{
    std::vector<int64_t> shown;
    std::istringstream lines(log);
    std::string line;
    bool movedOn = false;
    int64_t frame = -1;
    const std::string atSpeaker = "shown at speaker frame ";
    while (std::getline(lines, line)) {
        if (const size_t at = line.find("preview: frame "); at != std::string::npos) {
            const int64_t next = std::stoll(line.substr(at + 15));
            movedOn = movedOn || (next == 1 && frame != 1);
            frame = next;
        } else if (const size_t where = line.find(atSpeaker); where != std::string::npos && movedOn) {
            shown.push_back(std::stoll(line.substr(where + atSpeaker.size())));
            movedOn = false;
        }
    }
    return shown;
}

// A phone's project of two pictures with the Bell on the second, made by a
// device script (the editor comes with the second picture current); the
// frame rate is set in its file.
void makeProjectWithABellOnFrameOne(const std::string& device, int framesPerSecond)
{
    zt::test::addTestPatternCamera(device);
    const std::string script = device + "/../prepare.txt";
    std::ofstream(script) << "wait 1.2\ntap Get Started\nwait 1\ntapat 284 119\nwait 0.6\ntap Capture\nwait 1.5\n"
            + zt::test::takePictures(2)
            + "tap Done\nwait 1.5\ntap Add Media\nwait 1\ntap Audio and Music\nwait 1\n"
              "tap Sound Effects\nwait 1\ntap Bell\nwait 1\ntap Projects\nwait 1.5\nquit\n";
    ASSERT_EQ(zt::test::runApp(device, "phone", script), 0);
    const auto made = zt::test::newestProjectName(device);
    ASSERT_TRUE(made);
    const std::string metadataPath = device + "/Documents/" + *made + "/plovix.meta";
    auto metadata = plat::dictionaryWithContentsOfFile(metadataPath);
    ASSERT_TRUE(metadata);
    metadata->set("RecordFPS", int64_t(framesPerSecond));
    ASSERT_TRUE(plat::writePropertyListFile(*metadata, metadataPath).ok());
}

}  // namespace

// Opening the window must leave the speaker playing: a second and a half of
// the speaker's sound comes while the window is open, not a tenth.
TEST(WindowSound, TheSpeakerPlaysAllTheWhileTheWindowIsOpen)
{
    plat::test::TemporaryFolder folder;
    const std::string speaker = folder.path("speaker.raw");
    zt::test::WindowedApp app(folder.path("device"), "phone", speakerInto(speaker), folder.path("app.log"));
    ASSERT_TRUE(app.waitForWindow(60)) << app.log();
    EXPECT_TRUE(zt::test::waitForFile(
        speaker, [&] { return framesIn(speaker) >= kRate * 3 / 2; }, 30))
        << framesIn(speaker) << " frames";
}

// The editor's preview in a loop: each pass, the Bell of frame 1 is heard
// within half a picture of the moment the window shows frame 1 (the Bell
// nearest to it: a pass whose frame 1 the window missed is another fault).
TEST(WindowSound, ThePreviewsSoundIsHeardWithItsPicture)
{
    for (const int framesPerSecond : {5, 12}) {
        SCOPED_TRACE(std::to_string(framesPerSecond) + " frames a second");
        plat::test::TemporaryFolder folder;
        const std::string device = folder.path("device");
        makeProjectWithABellOnFrameOne(device, framesPerSecond);
        const std::string speaker = folder.path("speaker.raw");
        zt::test::WindowedApp app(device, "phone", speakerInto(speaker), folder.path("app.log"));
        ASSERT_TRUE(app.waitForWindow(60)) << app.log();
        // The explorer's centred project opens the editor; its Play plays the preview.
        ASSERT_TRUE(app.click(284, 119));
        ASSERT_TRUE(app.waitForLog("screen: FrameEditorViewController appeared", 60)) << app.log();
        ASSERT_TRUE(app.click(522, 65));
        constexpr size_t kPasses = 4;
        ASSERT_TRUE(zt::test::waitForFile(
            folder.path("app.log"), [&] { return secondPictureShown(app.log()).size() >= kPasses; }, 60))
            << app.log();
        EXPECT_EQ(app.stop(), 0);
        const auto heard = onsets(speaker);
        ASSERT_FALSE(heard.empty()) << "no Bell in the speaker's sound";
        const auto shown = secondPictureShown(app.log());
        for (size_t pass = 0; pass < kPasses; ++pass) {
            const int64_t at = shown[pass];
            const int64_t bell = *std::min_element(
                heard.begin(), heard.end(), [at](int64_t a, int64_t b) { return std::abs(a - at) < std::abs(b - at); });
            EXPECT_NEAR(at, bell, kRate / framesPerSecond / 2) << "pass " << pass;
        }
    }
}
