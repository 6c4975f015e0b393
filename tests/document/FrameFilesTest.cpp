#include "document/FrameFiles.h"

#include <gtest/gtest.h>

#include "document/FrameFilesSnapshot.h"
#include "platform/foundation/Files.h"
#include "support/FailingWrites.h"
#include "support/TemporarySandbox.h"

namespace {

const std::string kLayer = "0F8C2E6A-1B2C-4D5E-8F90-ABCDEF012345";

TEST(FrameFiles, MatchesEveryPerFrameNameExactly)
{
    for (const std::string& name :
        std::vector<std::string> {"frame-AB.jpg", "preview-AB.jpg", "thumb-AB.jpg", "meta-AB.meta", "canvas-AB.cnv",
            "canvas-AB.jpg", "canvas-AB.layers", "canvas-AB-" + kLayer + ".png", "canvas-AB-" + kLayer + ".cnv"})
        EXPECT_TRUE(zt::FrameFiles::belongsToFrame(name, "AB")) << name;
    for (const std::string& name :
        std::vector<std::string> {"frame-ABC.jpg", "frame-XAB.jpg", "plovix.meta", "frames.meta", "frame-AB.jpg.tmp",
            "canvas-AB-.png", "canvas-AB-L1.png", "canvas-AB-" + kLayer + ".jpg", "thumb.jpg", "record-AB.caf"})
        EXPECT_FALSE(zt::FrameFiles::belongsToFrame(name, "AB")) << name;
}

TEST(FrameFiles, ShortOrDamagedIdentifiersMatchNothing)
{
    for (const char* frameID : {"", ".", "..", "a/b", "*"})
        EXPECT_FALSE(zt::FrameFiles::belongsToFrame("frame-.jpg", frameID)) << frameID;
    EXPECT_FALSE(zt::FrameFiles::belongsToFrame("frames.meta", "s"));
    EXPECT_FALSE(zt::FrameFiles::belongsToFrame("plovix.meta", "meta"));
}

TEST(FrameFiles, RenamingKeepsTheLayerPart)
{
    EXPECT_EQ(zt::FrameFiles::renamedForFrame("canvas-OLD-" + kLayer + ".png", "OLD", "NEW"),
        "canvas-NEW-" + kLayer + ".png");
    EXPECT_EQ(zt::FrameFiles::renamedForFrame("thumb-OLD.jpg", "OLD", "NEW"), "thumb-NEW.jpg");
    EXPECT_FALSE(zt::FrameFiles::renamedForFrame("thumb-OLD.jpg", "OLD", "../x").has_value());
}

class FrameFilesOnDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(plat::createDirectory(folder.path("a"), plat::IntermediateDirectories::No).ok());
        ASSERT_TRUE(plat::createDirectory(folder.path("b"), plat::IntermediateDirectories::No).ok());
        for (const std::string& name : std::vector<std::string> {"frame-F1.jpg", "thumb-F1.jpg",
                 "canvas-F1-" + kLayer + ".png", "frame-F10.jpg", "plovix.meta", "frames.meta"})
            ASSERT_TRUE(plat::writeFileAtomically(folder.path("a/" + name), std::string_view(name)).ok());
    }
    std::vector<std::string> names(const char* sub) { return plat::contentsOfDirectory(folder.path(sub)).value(); }

    plat::test::TemporaryFolder folder;
};

TEST_F(FrameFilesOnDisk, DeletingRemovesOnlyThatFramesFiles)
{
    auto report = zt::FrameFiles::deleteFilesOfFrame(folder.path("a"), "F1");
    EXPECT_TRUE(report.ok());
    EXPECT_EQ(report.handled.size(), 3u);
    EXPECT_EQ(names("a"), (std::vector<std::string> {"frame-F10.jpg", "frames.meta", "plovix.meta"}));
    EXPECT_TRUE(zt::FrameFiles::deleteFilesOfFrame(folder.path("a"), "").handled.empty());
    EXPECT_TRUE(zt::FrameFiles::deleteFilesOfFrame(folder.path("a"), "s").handled.empty());
    EXPECT_EQ(names("a").size(), 3u);
}

TEST_F(FrameFilesOnDisk, CopyingRenamesForTheNewFrameAndNamesWhatWasAlreadyThere)
{
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("b/thumb-G.jpg"), std::string_view("kept")).ok());
    auto report = zt::FrameFiles::copyFilesOfFrame(folder.path("a"), folder.path("b"), "F1", "G");
    EXPECT_EQ(names("b"), (std::vector<std::string> {"canvas-G-" + kLayer + ".png", "frame-G.jpg", "thumb-G.jpg"}));
    auto kept = plat::readFile(folder.path("b/thumb-G.jpg")).value();
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "kept");
    EXPECT_TRUE(report.handledFile(zt::FrameFiles::pictureFileName("F1")));
    ASSERT_EQ(report.failures.size(), 1u) << "a file that would be overwritten is not copied, and that is said";
    EXPECT_EQ(report.failures[0].fileName, "thumb-F1.jpg");
    EXPECT_EQ(report.failures[0].error.code(), EEXIST);
}

TEST_F(FrameFilesOnDisk, EveryFileThatCannotBeCopiedIsNamedAndTheOthersStillCopy)
{
    // Only the picture's destination refuses: the rest of the frame still arrives.
    plat::test::FailingWrites readOnly("b/frame-", plat::detail::WriteFailurePoint::ReadOnly);
    auto report = zt::FrameFiles::copyFilesOfFrame(folder.path("a"), folder.path("b"), "F1", "G");
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].fileName, "frame-F1.jpg");
    EXPECT_EQ(report.failures[0].error.code(), EROFS);
    EXPECT_FALSE(report.handledFile(zt::FrameFiles::pictureFileName("F1"))) << "the paste must skip this frame";
    EXPECT_TRUE(report.handledFile("thumb-F1.jpg"));
    EXPECT_NE(report.failureDescription().find("frame-F1.jpg: "), std::string::npos);
    EXPECT_EQ(names("b"), (std::vector<std::string> {"canvas-G-" + kLayer + ".png", "thumb-G.jpg"}));
}

TEST_F(FrameFilesOnDisk, AFolderThatCannotBeReadIsOneFailureAndNothingHandled)
{
    auto copied = zt::FrameFiles::copyFilesOfFrame(folder.path("missing"), folder.path("b"), "F1", "G");
    ASSERT_EQ(copied.failures.size(), 1u);
    EXPECT_TRUE(copied.failures[0].fileName.empty());
    EXPECT_TRUE(copied.handled.empty());
    auto deleted = zt::FrameFiles::deleteFilesOfFrame(folder.path("missing"), "F1");
    EXPECT_FALSE(deleted.ok());
}

TEST_F(FrameFilesOnDisk, AFileThatCannotBeRemovedIsNamedAndTheOthersStillGo)
{
    plat::test::FailingWrites readOnly("a/thumb-", plat::detail::WriteFailurePoint::ReadOnly);
    auto report = zt::FrameFiles::deleteFilesOfFrame(folder.path("a"), "F1");
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].fileName, "thumb-F1.jpg");
    EXPECT_EQ(names("a"), (std::vector<std::string> {"frame-F10.jpg", "frames.meta", "plovix.meta", "thumb-F1.jpg"}));
}

}  // namespace

TEST_F(FrameFilesOnDisk, ASnapshotPutsTheFramesFilesBackAsTheyWereAndLeavesTheOthers)
{
    auto snapshot = zt::FrameFilesSnapshot::take(folder.path("a"), "F1");
    ASSERT_TRUE(snapshot.ok());
    // A change of the frame that got half way: one file rewritten, one removed, one new; another frame's too.
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("a/frame-F1.jpg"), std::string_view("painted")).ok());
    ASSERT_TRUE(plat::removeItem(folder.path("a/thumb-F1.jpg")).ok());
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("a/canvas-F1.cnv"), std::string_view("strokes")).ok());
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("a/frame-F10.jpg"), std::string_view("other")).ok());
    auto restored = snapshot.value().restore();
    EXPECT_TRUE(restored.ok()) << restored.failureDescription();
    EXPECT_EQ(names("a"),
        (std::vector<std::string> {"canvas-F1-" + kLayer + ".png", "frame-F1.jpg", "frame-F10.jpg", "frames.meta",
            "plovix.meta", "thumb-F1.jpg"}));
    for (const std::string name : {"frame-F1.jpg", "thumb-F1.jpg", "frame-F10.jpg"}) {
        auto bytes = plat::readFile(folder.path("a/" + name)).value();
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), name == "frame-F10.jpg" ? "other" : name) << name;
    }
}

TEST_F(FrameFilesOnDisk, ASnapshotLetGoKeepsTheChangeAndNothingBesideIt)
{
    auto snapshot = zt::FrameFilesSnapshot::take(folder.path("a"), "F1");
    ASSERT_TRUE(snapshot.ok());
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("a/frame-F1.jpg"), std::string_view("painted")).ok());
    ASSERT_TRUE(plat::removeItem(folder.path("a/thumb-F1.jpg")).ok());
    snapshot.value().release();
    EXPECT_EQ(names("a"),
        (std::vector<std::string> {
            "canvas-F1-" + kLayer + ".png", "frame-F1.jpg", "frame-F10.jpg", "frames.meta", "plovix.meta"}));
    auto bytes = plat::readFile(folder.path("a/frame-F1.jpg")).value();
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "painted");
}
