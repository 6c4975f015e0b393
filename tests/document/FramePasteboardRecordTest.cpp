#include "document/FramePasteboardRecord.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "platform/foundation/Files.h"
#include "platform/foundation/KeyedArchive.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"
#include "support/TemporarySandbox.h"

namespace {

using zt::FramePasteboardRecord;

class PasteboardRecord : public ::testing::Test {
protected:
    std::string makeFolder(const std::string& path)
    {
        EXPECT_TRUE(plat::createDirectory(path, plat::IntermediateDirectories::Yes).ok());
        return path;
    }
    std::string documents(const std::string& name) const
    {
        return plat::appendingPathComponent(sandbox.documents(), name);
    }
    static FramePasteboardRecord at(std::string location)
    {
        FramePasteboardRecord record;
        record.location = std::move(location);
        return record;
    }

    plat::test::TemporarySandbox sandbox;
};

TEST_F(PasteboardRecord, FramesAndTheirFolderTravelThroughTheArchive)
{
    FramePasteboardRecord record = at("/somewhere/.plovix-2015");
    record.frames
        = {zt::Frame(zt::FrameTypePicture, "A"), zt::Frame(zt::FrameTypePicture, "A"), zt::Frame(zt::FrameTypeTitle)};
    auto archive = record.archivedData();
    ASSERT_TRUE(archive.ok());
    auto back = FramePasteboardRecord::fromArchivedData(archive.value());
    ASSERT_TRUE(back.ok()) << back.error().localizedDescription();
    ASSERT_EQ(back.value().frames.size(), 3u);
    EXPECT_EQ(back.value().frames[1].frameID(), "A");
    EXPECT_EQ(back.value().frames[1].UID(), record.frames[1].UID());
    EXPECT_EQ(back.value().frames[2].type(), zt::FrameTypeTitle);
    EXPECT_EQ(back.value().location, "/somewhere/.plovix-2015");
}

TEST_F(PasteboardRecord, AnythingButFramesAndALocationIsDamaged)
{
    auto damaged = [](const plat::Value& root) {
        auto archive = plat::KeyedArchiver::archivedDataWithRootObject(root);
        EXPECT_TRUE(archive.ok());
        auto read = FramePasteboardRecord::fromArchivedData(archive.value());
        return !read.ok() && read.error().code() == FramePasteboardRecord::kDamagedError;
    };
    EXPECT_TRUE(damaged(plat::Array {}));
    EXPECT_TRUE(damaged(plat::Dictionary {{"UIPASTEBOARD_LOCATION", "/x"}}));
    EXPECT_TRUE(damaged(plat::Dictionary {{"UIPASTEBOARD_FRAMES", plat::Array {}}}));
    EXPECT_TRUE(damaged(
        plat::Dictionary {{"UIPASTEBOARD_FRAMES", plat::Array {"not a frame"}}, {"UIPASTEBOARD_LOCATION", "/x"}}));
    EXPECT_TRUE(damaged(plat::Dictionary {
        {"UIPASTEBOARD_FRAMES",
            plat::Array {std::make_shared<zt::Frame>(zt::Frame(plat::Dictionary {{"FRAME_ID", "../x"}}))}},
        {"UIPASTEBOARD_LOCATION", "/x"}}));
    EXPECT_FALSE(FramePasteboardRecord::fromArchivedData(plat::Data {0x62, 0x70, 0x6c, 0x69, 0x73, 0x74}).ok());
}

TEST_F(PasteboardRecord, ProjectFoldersOfDocumentsAndCachesAreAccepted)
{
    const std::string project = makeFolder(documents(".plovix-2015-06-01-12-00-00"));
    auto folder = at(project).projectFolder();
    ASSERT_TRUE(folder.ok());
    EXPECT_EQ(folder.value(), zt::resolvedFolderPath(project));
    const std::string sample
        = makeFolder(plat::appendingPathComponent(plat::Sandbox::current()->cachesDirectory(), ".plovix-introduction"));
    EXPECT_TRUE(at(sample).projectFolder().ok());
    EXPECT_TRUE(at(project + "/").projectFolder().ok());
    EXPECT_TRUE(at(sandbox.documents() + "/../Documents/.plovix-2015-06-01-12-00-00").projectFolder().ok());
    EXPECT_TRUE(at(documents(".plovix-deleted-since")).projectFolder().ok()) << "its frames are then missing";
}

TEST_F(PasteboardRecord, OtherPlacesAreRefused)
{
    plat::test::TemporaryFolder outside;
    const std::string stranger = makeFolder(outside.path(".plovix-2015"));
    auto refused = [](const std::string& location) {
        auto folder = at(location).projectFolder();
        return !folder.ok() && folder.error().code() == FramePasteboardRecord::kForeignLocationError;
    };
    EXPECT_TRUE(refused(stranger));
    EXPECT_TRUE(refused(""));
    EXPECT_TRUE(refused("relative/.plovix-2015"));
    EXPECT_TRUE(refused(sandbox.documents()));
    EXPECT_TRUE(refused(makeFolder(documents("Inbox"))));
    EXPECT_TRUE(refused(makeFolder(documents(".plovix-2015/nested"))));
    EXPECT_TRUE(refused(documents(".plovix-2015/../../Library/Preferences")));
    ASSERT_TRUE(plat::writeFileAtomically(documents(".plovix-file"), std::string("x")).ok());
    EXPECT_TRUE(refused(documents(".plovix-file")));
    // A link in Documents that leads out of it.
    std::error_code error;
    std::filesystem::create_directory_symlink(stranger, documents(".plovix-link"), error);
    ASSERT_FALSE(error);
    EXPECT_TRUE(refused(documents(".plovix-link")));
}

TEST_F(PasteboardRecord, ItListsAFrameOfAProjectWhateverThePathsSpelling)
{
    const std::string project = makeFolder(documents(".plovix-a"));
    FramePasteboardRecord record = at(project + "/");
    record.frames = {zt::Frame(zt::FrameTypePicture, "A")};
    EXPECT_TRUE(record.listsFrameOfProject("A", project));
    EXPECT_FALSE(record.listsFrameOfProject("B", project));
    EXPECT_FALSE(record.listsFrameOfProject("A", makeFolder(documents(".plovix-b"))));
}

}  // namespace
