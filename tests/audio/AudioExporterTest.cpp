#include "audio/AudioExporter.h"

#include <gtest/gtest.h>
#include <regex>

#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "support/MediaTools.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"

namespace {

// An item of the music library, made by ffmpeg, and the project folder it is copied into.
class MusicLibraryCopy : public ::testing::Test {
protected:
    std::string item(const std::string& name, const std::vector<std::string>& codec, double seconds = 3.0)
    {
        std::string path = library.path(name);
        std::vector<std::string> arguments {
            "-f", "lavfi", "-i", "sine=frequency=440:duration=" + std::to_string(seconds)};
        arguments.insert(arguments.end(), codec.begin(), codec.end());
        arguments.push_back(path);
        auto made = plat::test::runFFmpeg(library.path(), arguments);
        EXPECT_EQ(made.exitCode, 0) << made.output;
        return path;
    }
    // Runs the export to its end: the completion's argument, once it came.
    std::optional<plat::URL> exportItem(const std::string& path)
    {
        exporter->exportFileAtAssetURL(
            plat::URL::fileURLWithPath(path), folder.path(), [this](const std::optional<plat::URL>& file) {
                ++completions;
                onMainThread = plat::isMainThread();
                result = file;
                EXPECT_NE(exporter->status(), zt::AudioExporter::Exporting);
            });
        EXPECT_TRUE(plat::test::runMainLoopUntil([this] { return completions > 0; }));
        plat::RunLoop::main().drain();
        return result;
    }
    std::vector<std::string> folderFiles() const { return plat::contentsOfDirectory(folder.path()).valueOr({}); }

    plat::test::TemporaryFolder library;
    plat::test::TemporaryFolder folder;
    std::shared_ptr<zt::AudioExporter> exporter = std::make_shared<zt::AudioExporter>();
    int completions = 0;
    bool onMainThread = false;
    std::optional<plat::URL> result;
};

const std::regex kCopyName("audio-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\.(mp3|m4a)");

}  // namespace

TEST_F(MusicLibraryCopy, AnMP3ItemIsCopiedFrameForFrameOnceOnTheMainQueue)
{
    std::string song = item("song.mp3", {"-c:a", "libmp3lame", "-b:a", "128k"});
    auto copy = exportItem(song);
    ASSERT_TRUE(copy);
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(onMainThread);
    EXPECT_EQ(exporter->status(), zt::AudioExporter::Finished);
    EXPECT_TRUE(std::regex_match(copy->lastPathComponent(), kCopyName)) << copy->lastPathComponent();
    EXPECT_EQ(copy->pathExtension(), "mp3");
    EXPECT_EQ(folderFiles(), std::vector<std::string> {copy->lastPathComponent()});
    auto probe = plat::test::probeMedia(copy->path());
    EXPECT_EQ(probe.stream("audio")["codec_name"], "mp3");
    // Not re-encoded: the copy decodes to the very samples of the item, only
    // shifted by the encoder's delay, which the item's own header had trimmed.
    auto original = plat::test::decodeAudioWithFFmpeg(library.path(), song, 44100, 1);
    auto copied = plat::test::decodeAudioWithFFmpeg(library.path(), copy->path(), 44100, 1);
    ASSERT_GT(original.size(), 88200u);
    ASSERT_GT(copied.size(), original.size());
    bool found = false;
    for (size_t delay = 0; delay <= copied.size() - original.size() && !found; ++delay)
        found = std::equal(original.begin() + 44100, original.begin() + 88200, copied.begin() + 44100 + delay);
    EXPECT_TRUE(found);
}

TEST_F(MusicLibraryCopy, AnAACItemPassesThroughIntoAnM4AOfItsExtension)
{
    auto copy = exportItem(item("song.m4a", {"-c:a", "aac", "-b:a", "128k"}));
    ASSERT_TRUE(copy);
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(onMainThread);
    EXPECT_TRUE(std::regex_match(copy->lastPathComponent(), kCopyName)) << copy->lastPathComponent();
    auto probe = plat::test::probeMedia(copy->path());
    EXPECT_EQ(probe.stream("audio")["codec_name"], "aac");
    EXPECT_NEAR(std::stod(probe.format["duration"]), 3.0, 0.05);
}

TEST_F(MusicLibraryCopy, OtherFormatsAreRefusedWithTheirCodes)
{
    struct Case {
        const char* name;
        std::vector<std::string> codec;
        int64_t code;
    };
    std::vector<Case> cases {
        {"plain.wav", {"-c:a", "pcm_s16le"}, zt::AudioExporter::kUnsupportedFormatError},
        {"lossless.m4a", {"-c:a", "alac"}, zt::AudioExporter::kUnsupportedFormatError},
        {"movie-sound.mp4", {"-c:a", "aac"}, zt::AudioExporter::kUnsupportedExtensionError},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.name);
        completions = 0;
        exporter = std::make_shared<zt::AudioExporter>();
        EXPECT_FALSE(exportItem(item(each.name, each.codec)));
        EXPECT_EQ(completions, 1);
        EXPECT_EQ(exporter->status(), zt::AudioExporter::Failed);
        ASSERT_TRUE(exporter->error());
        EXPECT_EQ(exporter->error()->domain(), "AudioExporter");
        EXPECT_EQ(exporter->error()->code(), each.code);
        EXPECT_EQ(exporter->error()->localizedDescription(), "The media format is unsupported.");
    }
    EXPECT_TRUE(folderFiles().empty());
}

TEST_F(MusicLibraryCopy, AnItemWithoutTracksIsNotValidMedia)
{
    std::string text = library.path("notes.mp3");
    ASSERT_TRUE(plat::writeFileAtomically(text, std::string_view("no sound here")).ok());
    EXPECT_FALSE(exportItem(text));
    EXPECT_EQ(completions, 1);
    ASSERT_TRUE(exporter->error());
    EXPECT_EQ(exporter->error()->code(), zt::AudioExporter::kNotValidMediaError);
    EXPECT_EQ(exporter->error()->localizedDescription(), "The file is not valid media.");
}

TEST_F(MusicLibraryCopy, ATruncatedMP3IsRefusedAndLeavesNothingBehind)
{
    std::string song = item("song.mp3", {"-c:a", "libmp3lame", "-b:a", "128k"}, 10.0);
    auto whole = plat::readFile(song).value();
    whole.resize(whole.size() / 2);
    ASSERT_TRUE(plat::writeFileAtomically(song, whole).ok());
    EXPECT_FALSE(exportItem(song));
    EXPECT_EQ(exporter->status(), zt::AudioExporter::Failed);
    EXPECT_TRUE(folderFiles().empty());
    // Copied directly, the frames end early: a failure, never a shorter song.
    std::string out = folder.path("direct.mp3");
    auto copied = exporter->exportMP3(plat::URL::fileURLWithPath(song), out);
    ASSERT_FALSE(copied.ok());
    EXPECT_EQ(copied.error().domain(), "AudioExporter");
    EXPECT_TRUE(folderFiles().empty());
}

TEST_F(MusicLibraryCopy, AFolderThatCannotBeWrittenFailsTheCopy)
{
    std::string song = item("song.mp3", {"-c:a", "libmp3lame"});
    exporter->exportFileAtAssetURL(
        plat::URL::fileURLWithPath(song), folder.path("gone"), [this](const std::optional<plat::URL>& file) {
            ++completions;
            result = file;
        });
    EXPECT_TRUE(plat::test::runMainLoopUntil([this] { return completions > 0; }));
    EXPECT_FALSE(result);
    EXPECT_EQ(exporter->status(), zt::AudioExporter::Failed);
    ASSERT_TRUE(exporter->error());
    EXPECT_EQ(exporter->error()->domain(), plat::kPOSIXErrorDomain);
    EXPECT_TRUE(folderFiles().empty());
}
