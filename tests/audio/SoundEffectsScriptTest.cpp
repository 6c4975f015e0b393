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

std::string placeSoundEffect(const Placing& sound)
{
    return std::string("tap First Frame\nwait 1\n") + sound.toItsFrame
        + "tap Add Media\nwait 1\ntap Audio and Music\nwait 1\ntap Sound Effects\nwait 1\ntap " + sound.name
        + "\nwait 1\n";
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

    std::string movie;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(device + "/Library/Caches/rendercache"))
        if (entry.path().extension() == ".mov")
            movie = entry.path().string();
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
