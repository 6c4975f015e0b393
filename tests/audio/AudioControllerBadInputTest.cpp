#include <cstring>

#include "AudioTestSupport.h"
#include "document/SoundFileInspection.h"
#include "platform/foundation/Files.h"
#include "platform/media/Asset.h"
#include "support/WaveFile.h"

namespace {

using zt::AudioClip;

using plat::test::waveFile;

class BadSoundFiles : public zt::test::AudioProject {
protected:
    std::string write(const std::string& name, const plat::Data& bytes)
    {
        std::string path = sounds.path(name);
        EXPECT_TRUE(plat::writeFileAtomically(path, bytes).ok());
        return path;
    }
    std::string halfOf(const std::string& path)
    {
        auto whole = plat::readFile(path).value();
        whole.resize(whole.size() / 2);
        return write("cut-" + plat::lastPathComponent(path), whole);
    }
    // Adds the file as a sound and as music: both refuse it with the code,
    // naming the file, and leave the project as it was.
    void expectRefused(const std::string& path, int64_t code)
    {
        SCOPED_TRACE(path);
        auto before = plat::contentsOfDirectory(*project->getProjectPath()).value();
        for (int type : {AudioClip::SoundEffect, AudioClip::Music}) {
            errors.clear();
            EXPECT_FALSE(addFile(path, 2, type));
            ASSERT_EQ(errors.size(), 1u);
            EXPECT_EQ(errors[0].domain(), "AudioController");
            EXPECT_EQ(errors[0].code(), code);
            EXPECT_NE(errors[0].localizedDescription().find(plat::lastPathComponent(path)), std::string::npos)
                << errors[0].localizedDescription();
        }
        EXPECT_EQ(plat::contentsOfDirectory(*project->getProjectPath()).value(), before);
        EXPECT_FALSE(needsRendering());
        EXPECT_EQ(controller->audioTracks()[0].size(), 0u);
        EXPECT_EQ(controller->audioTracks()[2].size(), 1u);  // the music of before stays
        EXPECT_TRUE(inProject("old-music.wav"));
    }
    void SetUp() override
    {
        AudioProject::SetUp();
        ASSERT_TRUE(addFile(tone("old-music.wav", 2.0, 220), 0, AudioClip::Music));
        setNeedsRendering(false);
    }
};

}  // namespace

TEST_F(BadSoundFiles, EmptyFilesAndFilesOfNoSoundAreRefused)
{
    expectRefused(write("empty.wav", {}), zt::SoundFileInspection::kNotSoundError);
    std::string text = "These are notes, not a sound.";
    expectRefused(write("notes.mp3", plat::Data(text.begin(), text.end())), zt::SoundFileInspection::kNotSoundError);
}

TEST_F(BadSoundFiles, TruncatedFilesAreRefused)
{
    expectRefused(halfOf(tone("long.wav", 4.0)), zt::SoundFileInspection::kTruncatedSoundError);
    expectRefused(halfOf(tone("long.mp3", 10.0, 440, "libmp3lame")), zt::SoundFileInspection::kTruncatedSoundError);
    expectRefused(halfOf(tone("long.aiff", 4.0, 440, "pcm_s16be")), zt::SoundFileInspection::kTruncatedSoundError);
}

TEST_F(BadSoundFiles, AHugeDeclaredLengthIsRefused)
{
    // A second of sound that claims two gigabytes.
    expectRefused(
        write("huge.wav", waveFile(1, 44100, 88200, 0x7FFFFF00)), zt::SoundFileInspection::kTruncatedSoundError);
    // An MP3 whose table says it holds hours.
    auto mp3 = plat::readFile(tone("short.mp3", 2.0, 440, "libmp3lame")).value();
    std::string_view view(reinterpret_cast<const char*>(mp3.data()), mp3.size());
    size_t info = view.find("Info");
    if (info == std::string_view::npos)
        info = view.find("Xing");
    ASSERT_NE(info, std::string_view::npos);
    // After the tag: four bytes of flags, then the frame count.
    mp3[info + 8] = 0x00;
    mp3[info + 9] = 0xFF;
    mp3[info + 10] = 0xFF;
    mp3[info + 11] = 0xFF;
    std::string claiming = write("claims-hours.mp3", mp3);
    ASSERT_GT(plat::URLAsset::assetWithPath(claiming)->duration().seconds(), 3600);
    expectRefused(claiming, zt::SoundFileInspection::kTruncatedSoundError);
}

TEST_F(BadSoundFiles, SoundsThatCannotBeConvertedForPlayingAreRefused)
{
    expectRefused(write("many-channels.wav", waveFile(100, 44100, 200 * 441, 200 * 441)),
        zt::SoundFileInspection::kUndecodableSoundError);
    expectRefused(write("too-fast.wav", waveFile(1, 3000000, 2 * 300000, 2 * 300000)),
        zt::SoundFileInspection::kUndecodableSoundError);
}

TEST_F(BadSoundFiles, AGoodFileStillPassesTheSameChecks)
{
    auto inspected = zt::SoundFileInspection::inspect(tone("fine.mp3", 3.0, 440, "libmp3lame"));
    ASSERT_TRUE(inspected.ok());
    EXPECT_NEAR(inspected.value().duration.seconds(), 3.0, 0.1);
    EXPECT_EQ(inspected.value().sampleRate, 44100);
    // A WAVE file whose length was never filled in (a streaming recorder's) is fine too.
    auto streamed = waveFile(1, 44100, 44100 * 2, 0xFFFFFFFF - 36);
    ASSERT_TRUE(zt::SoundFileInspection::inspect(write("streamed.wav", streamed)).ok());
}
