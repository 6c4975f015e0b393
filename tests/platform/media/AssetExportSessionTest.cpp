#include "platform/media/AssetExportSession.h"

#include <gtest/gtest.h>

#include "MediaTestFiles.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Semaphore.h"
#include "platform/media/Asset.h"
#include "platform/media/MediaConstants.h"
#include "support/TemporarySandbox.h"

namespace {

constexpr double kGenerousTimeoutSeconds = 60;

class PassThroughExport : public ::testing::Test {
protected:
    // Exports source to name with the file type; the finished session.
    std::shared_ptr<plat::AssetExportSession> exportTo(
        const std::string& source, const std::string& name, const std::string& fileType)
    {
        auto session = plat::AssetExportSession::exportSessionWithAsset(
            plat::URLAsset::assetWithPath(source), plat::kAssetExportPresetPassthrough);
        EXPECT_TRUE(session);
        if (!session)
            return nullptr;
        session->setOutputURL(plat::URL::fileURLWithPath(folder.path(name)));
        session->setOutputFileType(fileType);
        plat::Semaphore done;
        session->exportAsynchronouslyWithCompletionHandler([&] { done.signal(); });
        EXPECT_TRUE(done.wait(kGenerousTimeoutSeconds));
        return session;
    }

    plat::test::TemporaryFolder folder;
};

TEST_F(PassThroughExport, AACIsCopiedIntoM4AWithoutReEncoding)
{
    std::string source = plat::test::makeAACFile(folder.path(), "song.mp4", 1.0);
    ASSERT_FALSE(source.empty());
    auto session = exportTo(source, "song.m4a", plat::kFileTypeAppleM4A);
    ASSERT_EQ(session->status(), plat::AssetExportSessionStatus::Completed) << session->error()->description();
    EXPECT_FLOAT_EQ(session->progress(), 1.0f);
    auto original = plat::test::probeMedia(source).stream("audio");
    auto copied = plat::test::probeMedia(folder.path("song.m4a")).stream("audio");
    EXPECT_EQ(copied["codec_name"], "aac");
    EXPECT_EQ(copied["nb_frames"], original["nb_frames"]);
    EXPECT_EQ(copied["bit_rate"], original["bit_rate"]);
    EXPECT_EQ(session->supportedFileTypes(), std::vector<std::string> {plat::kFileTypeAppleM4A});
}

TEST_F(PassThroughExport, LinearPCMChangesOnlyItsByteOrderBetweenWaveAndAIFF)
{
    std::string source = plat::test::makeSineWave(folder.path(), "voice.wav", 0.5, 0.5);
    auto toAIFF = exportTo(source, "voice.aif", plat::kFileTypeAIFF);
    ASSERT_EQ(toAIFF->status(), plat::AssetExportSessionStatus::Completed) << toAIFF->error()->description();
    EXPECT_EQ(plat::test::probeMedia(folder.path("voice.aif")).stream("audio")["codec_name"], "pcm_s16be");
    auto back = exportTo(folder.path("voice.aif"), "again.wav", plat::kFileTypeWAVE);
    ASSERT_EQ(back->status(), plat::AssetExportSessionStatus::Completed);
    EXPECT_EQ(plat::test::probeMedia(folder.path("again.wav")).stream("audio")["codec_name"], "pcm_s16le");
    auto original = plat::test::decodeAudioWithFFmpeg(folder.path(), source, 44100, 1);
    ASSERT_EQ(original.size(), 22050u);
    EXPECT_EQ(plat::test::decodeAudioWithFFmpeg(folder.path(), folder.path("voice.aif"), 44100, 1), original);
    EXPECT_EQ(plat::test::decodeAudioWithFFmpeg(folder.path(), folder.path("again.wav"), 44100, 1), original);
}

TEST_F(PassThroughExport, WhatCannotBeCopiedFailsAndLeavesNoFile)
{
    std::string aac = plat::test::makeAACFile(folder.path(), "song.mp4", 0.5);
    auto toWave = exportTo(aac, "song.wav", plat::kFileTypeWAVE);
    EXPECT_EQ(toWave->status(), plat::AssetExportSessionStatus::Failed);
    ASSERT_TRUE(toWave->error());
    EXPECT_EQ(toWave->error()->code(), plat::kMediaErrorOperationNotSupportedForAsset);
    EXPECT_FALSE(plat::fileExists(folder.path("song.wav")));

    ASSERT_TRUE(plat::writeFileAtomically(folder.path("taken.m4a"), std::string("keep")).ok());
    auto taken = exportTo(aac, "taken.m4a", plat::kFileTypeAppleM4A);
    EXPECT_EQ(taken->status(), plat::AssetExportSessionStatus::Failed);
    EXPECT_EQ(taken->error()->code(), plat::kMediaErrorFileAlreadyExists);
    EXPECT_EQ(plat::readFile(folder.path("taken.m4a")).value(), plat::Data({'k', 'e', 'e', 'p'}));
}

TEST(ExportPresets, ThePlatformListIsOfferedButOnlyPassThroughExports)
{
    auto presets = plat::AssetExportSession::allExportPresets();
    for (const char* name :
        {plat::kAssetExportPresetLowQuality, plat::kAssetExportPreset640x480, plat::kAssetExportPreset960x540,
            plat::kAssetExportPreset1280x720, plat::kAssetExportPreset1920x1080, plat::kAssetExportPresetPassthrough})
        EXPECT_NE(std::find(presets.begin(), presets.end(), name), presets.end()) << name;
    plat::test::TemporaryFolder folder;
    auto asset = plat::URLAsset::assetWithPath(plat::test::makeSineWave(folder.path(), "a.wav", 0.2, 0.5));
    EXPECT_FALSE(plat::AssetExportSession::exportSessionWithAsset(asset, plat::kAssetExportPresetAppleM4A));
    EXPECT_TRUE(plat::AssetExportSession::exportSessionWithAsset(asset, plat::kAssetExportPresetPassthrough));
    EXPECT_FALSE(plat::AssetExportSession::exportSessionWithAsset(
        plat::URLAsset::assetWithPath(folder.path("missing.wav")), plat::kAssetExportPresetPassthrough));
}

}  // namespace
