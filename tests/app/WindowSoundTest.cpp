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

// Where the speaker stood as the window began to draw, and as it showed,
// each picture of frame 1 that followed another frame in the preview, from
// a second after the preview's first picture on: by then the screen's own
// answer to Play (a zoom to the timeline) has long ended.
struct Drawn {
    int64_t from;
    int64_t shown;
};
std::vector<Drawn> secondPicturesDrawn(const std::string& log)
{
    std::vector<Drawn> drawn;
    std::istringstream lines(log);
    std::string line;
    int64_t frame = -1, played = -1;
    bool movedOn = false;
    const std::string from = "drawn from speaker frame ", shown = "shown at speaker frame ";
    while (std::getline(lines, line)) {
        if (const size_t at = line.find("preview: frame "); at != std::string::npos) {
            const int64_t next = std::stoll(line.substr(at + 15));
            movedOn = movedOn || (next == 1 && frame != 1);
            frame = next;
        } else if (line.find(shown) != std::string::npos && frame >= 0) {
            const Drawn picture {std::stoll(line.substr(line.find(from) + from.size())),
                std::stoll(line.substr(line.find(shown) + shown.size()))};
            played = played < 0 ? picture.from : played;
            if (movedOn && picture.from >= played + kRate)
                drawn.push_back(picture);
            movedOn = false;
        }
    }
    return drawn;
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
// the speaker's sound comes after the window's first picture, as it goes on.
TEST(WindowSound, TheSpeakerPlaysAllTheWhileTheWindowIsOpen)
{
    plat::test::TemporaryFolder folder;
    const std::string speaker = folder.path("speaker.raw");
    zt::test::WindowedApp app(folder.path("device"), "phone", speakerInto(speaker), folder.path("app.log"));
    ASSERT_TRUE(app.waitForWindow(60)) << app.log();
    const int64_t atFirstPicture = framesIn(speaker);
    EXPECT_TRUE(zt::test::waitForFile(
        speaker, [&] { return framesIn(speaker) >= atFirstPicture + kRate * 3 / 2; }, 30))
        << framesIn(speaker) - atFirstPicture << " frames after the window's first picture";
}

// The editor's preview in a loop: each pass, the Bell of frame 1 is heard
// within half a picture of the window's picture of frame 1, which is on its
// way to the screen from when the window begins to draw it until it shows
// it (the Bell nearest to it: a pass whose frame 1 the window missed is
// another fault, as is the time the window takes to draw).
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
        // The explorer's centred project opens the editor, whose Play plays the preview.
        ASSERT_TRUE(app.clickToOpen(284, 119, "FrameEditorViewController")) << app.log();
        ASSERT_TRUE(app.click(522, 65));
        constexpr size_t kPasses = 4;
        ASSERT_TRUE(zt::test::waitForFile(
            folder.path("app.log"), [&] { return secondPicturesDrawn(app.log()).size() >= kPasses; }, 60))
            << app.log();
        EXPECT_EQ(app.stop(), 0);
        const auto heard = onsets(speaker);
        ASSERT_FALSE(heard.empty()) << "no Bell in the speaker's sound";
        const auto drawn = secondPicturesDrawn(app.log());
        const int64_t half = kRate / framesPerSecond / 2;
        for (size_t pass = 0; zt::test::kDrawsInTime && pass < kPasses; ++pass) {
            const auto [from, shown] = drawn[pass];
            const int64_t bell = *std::min_element(heard.begin(), heard.end(),
                [from](int64_t a, int64_t b) { return std::abs(a - from) < std::abs(b - from); });
            EXPECT_TRUE(bell >= from - half && bell <= shown + half)
                << "pass " << pass << ": the Bell at " << bell << ", its picture drawn from " << from << " to "
                << shown;
        }
    }
}
