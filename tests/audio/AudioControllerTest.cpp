#include "audio/AudioController.h"

#include <fstream>
#include <gtest/gtest.h>

#include "platform/foundation/Files.h"
#include "platform/foundation/URL.h"
#include "support/TemporarySandbox.h"
#include "support/WaveFile.h"

namespace {

class AudioInbox : public ::testing::Test {
protected:
    std::string inbox() const { return sandbox.documents() + "/shared-audio"; }
    // A sound of half a second, told apart by its last sample byte.
    std::string makeSound(const std::string& relative, uint8_t mark)
    {
        std::string path = sandbox.path(relative);
        plat::Data bytes = plat::test::shortSound();
        bytes.back() = mark;
        EXPECT_TRUE(plat::writeFileAtomically(path, bytes).ok());
        return path;
    }
    static uint8_t markOf(const std::string& path)
    {
        auto bytes = plat::readFile(path);
        return bytes.ok() && !bytes.value().empty() ? bytes.value().back() : 0;
    }

    plat::test::TemporarySandbox sandbox;
};

}  // namespace

TEST_F(AudioInbox, TheFolderIsMadeOnceAndKept)
{
    EXPECT_FALSE(plat::fileExists(inbox()));
    zt::AudioController::createSharedAudioInboxFolder();
    EXPECT_TRUE(plat::isDirectory(inbox()));
    std::ofstream(inbox() + "/song.m4a") << "x";
    zt::AudioController::createSharedAudioInboxFolder();
    EXPECT_TRUE(plat::fileExists(inbox() + "/song.m4a"));
}

TEST_F(AudioInbox, AnOpenedFileMovesIntoTheInboxUnderItsName)
{
    std::string source = makeSound("Inbox-song.mp3", 1);
    std::optional<plat::Error> error;
    EXPECT_TRUE(zt::AudioController::importAudioFromFileURL(plat::URL::fileURLWithPath(source), &error));
    EXPECT_FALSE(error);
    EXPECT_FALSE(plat::fileExists(source));
    EXPECT_EQ(markOf(inbox() + "/Inbox-song.mp3"), 1);
}

TEST_F(AudioInbox, ATakenNameGivesTheNewSoundANewNameBesideTheOld)
{
    zt::AudioController::createSharedAudioInboxFolder();
    std::ofstream(inbox() + "/voice.caf") << "first";
    std::ofstream(inbox() + "/voice-2.caf") << "second";
    std::string source = makeSound("voice.caf", 3);
    std::optional<plat::Error> error;
    EXPECT_TRUE(zt::AudioController::importAudioFromFileURL(plat::URL::fileURLWithPath(source), &error));
    EXPECT_FALSE(error);
    EXPECT_FALSE(plat::fileExists(source));
    auto kept = plat::readFile(inbox() + "/voice.caf");
    EXPECT_EQ(std::string(kept.value().begin(), kept.value().end()), "first");
    EXPECT_EQ(markOf(inbox() + "/voice-3.caf"), 3);
    std::string unnamed = makeSound("README", 4);
    std::ofstream(inbox() + "/README") << "taken";
    EXPECT_TRUE(zt::AudioController::importAudioFromFileURL(plat::URL::fileURLWithPath(unnamed)));
    EXPECT_TRUE(plat::fileExists(inbox() + "/README-2"));
}

TEST_F(AudioInbox, NamesThatAreNoPlainFileNameAreRefused)
{
    for (const char* url : {"file:///", "file:///tmp/..", "file:///tmp/."}) {
        SCOPED_TRACE(url);
        std::optional<plat::Error> error;
        EXPECT_FALSE(zt::AudioController::importAudioFromFileURL(*plat::URL::URLWithString(url), &error));
        ASSERT_TRUE(error);
    }
    ASSERT_TRUE(plat::contentsOfDirectory(inbox()).ok());
    EXPECT_TRUE(plat::contentsOfDirectory(inbox()).value().empty());
}

TEST_F(AudioInbox, OnlyPlainFilesAreImported)
{
    std::optional<plat::Error> error;
    EXPECT_FALSE(
        zt::AudioController::importAudioFromFileURL(*plat::URL::URLWithString("https://example.com/song.mp3"), &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain(), "AudioController");
    EXPECT_FALSE(zt::AudioController::importAudioFromFileURL(plat::URL::fileURLWithPath(sandbox.path("missing.mp3"))));
    ASSERT_TRUE(plat::createDirectory(sandbox.path("album.mp3"), plat::IntermediateDirectories::No).ok());
    EXPECT_FALSE(zt::AudioController::importAudioFromFileURL(plat::URL::fileURLWithPath(sandbox.path("album.mp3"))));
    EXPECT_TRUE(plat::isDirectory(sandbox.path("album.mp3")));
}
