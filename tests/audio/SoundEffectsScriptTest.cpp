#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "app/AppProcess.h"
#include "platform/foundation/PropertyList.h"
#include "support/MediaTools.h"
#include "support/TemporarySandbox.h"

namespace {

constexpr int kRate = 44100;

// Where a sound effect goes on a phone of twelve pictures: the Bell at the
// eighth picture (the strip scrolled there), the Whoosh at the first.
struct Placing {
    const char* name;
    const char* toItsFrame;
    size_t frameIndex;
};
constexpr Placing kBell {"Bell", "drag 284 259 30 259\nwait 1\n", 7};
constexpr Placing kWhoosh {"Whoosh", "", 0};

std::string addSoundEffect(const std::string& name)
{
    return "tap Add Media\nwait 1\ntap Audio and Music\nwait 1\ntap Sound Effects\nwait 1\ntap " + name + "\nwait 1\n";
}

std::string placeSoundEffect(const Placing& sound)
{
    return std::string("tap First Frame\nwait 1\n") + sound.toItsFrame + addSoundEffect(sound.name);
}

// The device's newest movie in the render cache, or none.
std::string renderedMovie(const std::string& device)
{
    std::string movie;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(device + "/Library/Caches/rendercache"))
        if (entry.path().extension() == ".mov")
            movie = entry.path().string();
    return movie;
}

// The first moment from fromSeconds on where the sound is louder than a whisper.
double onsetFrom(const std::vector<int16_t>& samples, double fromSeconds)
{
    const auto from = std::min(samples.size(), static_cast<size_t>(fromSeconds * kRate));
    auto heard = std::find_if(samples.begin() + static_cast<std::ptrdiff_t>(from), samples.end(),
        [](int16_t s) { return std::abs(s) > 300; });
    return static_cast<double>(heard - samples.begin()) / kRate;
}

// Twelve pictures from the camera, the two sounds placed in that order
// (both go to lane 0), then the movie made by the explorer's Play.
void expectEachSoundWithItsFrame(const Placing& first, const Placing& second)
{
    SCOPED_TRACE(std::string(first.name) + " first");
    plat::test::TemporaryFolder folder;
    const std::string device = folder.path("device");
    zt::test::addTestPatternCamera(device);
    std::ofstream(folder.path("script.txt"))
        << "wait 1.2\ntap Get Started\nwait 1\ntapat 284 119\nwait 0.6\ntap Capture\nwait 1.5\n"
            + zt::test::takePictures(12) + "tap Done\nwait 1.5\ntap Next\nwait 1\n" + placeSoundEffect(first)
            + placeSoundEffect(second) + "tap Projects\nwait 1.5\ntap Play\nwait 1\ntap Ok\nwait 6\nquit\n";
    ASSERT_EQ(zt::test::runApp(device, "phone", folder.path("script.txt")), 0);

    const auto made = zt::test::newestProjectName(device);
    ASSERT_TRUE(made);
    const std::string project = device + "/Documents/" + *made;
    auto metadata = plat::dictionaryWithContentsOfFile(project + "/plovix.meta");
    auto frames = plat::dictionaryWithContentsOfFile(project + "/frames.meta");
    ASSERT_TRUE(metadata && frames);
    const plat::Array entries = frames->getArray("FRAMELIST_DATA").value_or(plat::Array());
    const plat::Array lane = metadata->getDictionary("RecordMetaAudio")
                                 .value_or(plat::Dictionary())
                                 .getArray("TRACK_0")
                                 .value_or(plat::Array());
    // Stored as added, each at its frame.
    ASSERT_EQ(lane.count(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const Placing& sound = i == 0 ? first : second;
        const auto clip = lane.at(i).asDictionary();
        ASSERT_TRUE(clip);
        EXPECT_EQ(clip->getString("RecordAudioName"), sound.name);
        ASSERT_LT(sound.frameIndex, entries.count());
        EXPECT_EQ(
            clip->getString("RecordAudioLinkToFrame"), entries.at(sound.frameIndex).asDictionary()->getString("UID"))
            << sound.name;
    }

    const std::string movie = renderedMovie(device);
    ASSERT_FALSE(movie.empty()) << "no rendered movie";
    auto probe = plat::test::probeMedia(movie);
    EXPECT_NEAR(std::stod(probe.stream("video")["duration"]), 2.6, 1e-6) << "the first picture twice";
    EXPECT_LE(std::stod(probe.stream("audio")["duration"]), 2.6 + 1e-6);

    // Picture k shows from (k + 1) / 5 s, and so is its sound heard; the
    // Whoosh swells from nothing, so it is heard a moment after it starts.
    const auto sound = plat::test::decodeAudioWithFFmpeg(folder.path(), movie, kRate, 1);
    EXPECT_NEAR(onsetFrom(sound, 0), 0.2, 0.02) << "the Whoosh";
    EXPECT_NEAR(onsetFrom(sound, 1.3), 1.6, 0.002) << "the Bell";
}

}  // namespace

TEST(SoundEffectsScript, EachSoundOfALaneIsHeardWithItsFrameInThePhonesMovieWhicheverWasAddedFirst)
{
    expectEachSoundWithItsFrame(kBell, kWhoosh);
    expectEachSoundWithItsFrame(kWhoosh, kBell);
}

// The Bell added with a person's taps is heard with the picture it went on,
// wherever the capture placeholder stands: picture k shows from (k + 1) / fps s.
TEST(SoundEffectsScript, TheBellIsHeardWithItsPictureWhereverTheCapturePlaceholderStands)
{
    // On a phone: six pictures, the placeholder moved before the third (its
    // menu's Capture), the Bell on the third, at 5 or 10 pictures a second.
    const std::string sixPictures
        = "tapat 284 119\nwait 0.6\ntap Capture\nwait 1.5\n" + zt::test::takePictures(6) + "tap Done\nwait 1.5\n";
    std::string tenASecond = "tapat 522 108\nwait 1\n";  // the options: the rate's "+" five times, closed
    for (int rate = 5; rate < 10; ++rate)
        tenASecond += "tapat 431 190\nwait 0.3\n";
    tenASecond += "tapat 284 300\nwait 1\n";
    const std::string bellOnTheThird = "tap First Frame\nwait 1\ntapat 464 259\nwait 0.7\ntap Capture\nwait 1.5\n"
                                       "tap First Frame\nwait 1\ndrag 284 259 194 259\nwait 1\n"
        + addSoundEffect("Bell");
    struct Row {
        const char* idiom;
        std::string taps;
        double heardAt;
    };
    const Row rows[] = {
        // A tablet stands on the placeholder after each picture: the Bell goes on the third, five come after.
        {"tablet",
            "tapat 512 250\nwait 1\n" + zt::test::takePictures(3) + addSoundEffect("Bell") + zt::test::takePictures(5),
            0.6},
        {"phone", sixPictures + bellOnTheThird, 0.6},
        {"phone", sixPictures + tenASecond + bellOnTheThird, 0.3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.idiom) + ", heard at " + std::to_string(row.heardAt) + " s");
        plat::test::TemporaryFolder folder;
        const std::string device = folder.path("device");
        zt::test::addTestPatternCamera(device);
        std::ofstream(folder.path("script.txt")) << "wait 1.2\ntap Get Started\nwait 1\n" + row.taps
                + "tap Projects\nwait 1.5\ntap Play\nwait 1\ntap Ok\nwait 6\nquit\n";
        ASSERT_EQ(zt::test::runApp(device, row.idiom, folder.path("script.txt")), 0);
        const auto sound = plat::test::decodeAudioWithFFmpeg(folder.path(), renderedMovie(device), kRate, 1);
        EXPECT_NEAR(onsetFrom(sound, 0), row.heardAt, 0.002);
    }
}
