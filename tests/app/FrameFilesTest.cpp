#include "app/FrameFiles.h"

#include <gtest/gtest.h>

#include "platform/foundation/Files.h"
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
    zt::FrameFiles::deleteFilesOfFrame(folder.path("a"), "F1");
    EXPECT_EQ(names("a"), (std::vector<std::string> {"frame-F10.jpg", "frames.meta", "plovix.meta"}));
    zt::FrameFiles::deleteFilesOfFrame(folder.path("a"), "");
    zt::FrameFiles::deleteFilesOfFrame(folder.path("a"), "s");
    EXPECT_EQ(names("a").size(), 3u);
}

TEST_F(FrameFilesOnDisk, CopyingRenamesForTheNewFrame)
{
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("b/thumb-G.jpg"), std::string_view("kept")).ok());
    zt::FrameFiles::copyFilesOfFrame(folder.path("a"), folder.path("b"), "F1", "G");
    EXPECT_EQ(names("b"), (std::vector<std::string> {"canvas-G-" + kLayer + ".png", "frame-G.jpg", "thumb-G.jpg"}));
    auto kept = plat::readFile(folder.path("b/thumb-G.jpg")).value();
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "kept");
}

}  // namespace
