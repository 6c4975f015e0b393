#include <gtest/gtest.h>
#include <string_view>
#include <sys/stat.h>

#include "platform/foundation/Files.h"
#include "support/FailingWrites.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::detail::WriteFailurePoint;

class AtomicFileWriting : public ::testing::Test {
protected:
    std::unique_ptr<plat::AtomicFileWriter> writerFor(const std::string& name)
    {
        auto created = plat::AtomicFileWriter::create(folder.path(name));
        EXPECT_TRUE(created.ok());
        return created.ok() ? std::move(created).value() : nullptr;
    }
    static plat::Result<void> append(plat::AtomicFileWriter& writer, std::string_view text)
    {
        return writer.append(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    }
    std::string contents(const std::string& name)
    {
        auto bytes = plat::readFile(folder.path(name));
        return bytes.ok() ? std::string(bytes.value().begin(), bytes.value().end()) : "(missing)";
    }
    std::vector<std::string> names() { return plat::contentsOfDirectory(folder.path()).value(); }

    plat::test::TemporaryFolder folder;
};

TEST_F(AtomicFileWriting, PiecesAppearWholeOnlyWhenCommitted)
{
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("picture.jpg"), std::string_view("old")).ok());
    auto writer = writerFor("picture.jpg");
    // More than one writeback step, so the early writeback runs too.
    std::string piece(300 * 1024, 'x');
    ASSERT_TRUE(append(*writer, piece).ok());
    ASSERT_TRUE(append(*writer, "end").ok());
    EXPECT_EQ(contents("picture.jpg"), "old");
    ASSERT_TRUE(writer->flush().ok());
    EXPECT_EQ(contents("picture.jpg"), "old");
    ASSERT_TRUE(writer->commit().ok());
    EXPECT_EQ(contents("picture.jpg"), piece + "end");
    EXPECT_EQ(names(), std::vector<std::string> {"picture.jpg"});
    EXPECT_FALSE(append(*writer, "more").ok());
    EXPECT_FALSE(writer->commit().ok());
}

TEST_F(AtomicFileWriting, AWriterDroppedWithoutCommitLeavesNothing)
{
    {
        auto writer = writerFor("never.jpg");
        ASSERT_TRUE(append(*writer, "half a picture").ok());
        ASSERT_TRUE(writer->flush().ok());
    }
    EXPECT_TRUE(names().empty());
}

TEST_F(AtomicFileWriting, ReplacedFilesKeepTheirPermissions)
{
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("private"), std::string_view("a"), 0600).ok());
    auto writer = writerFor("private");
    ASSERT_TRUE(append(*writer, "b").ok());
    ASSERT_TRUE(writer->commit().ok());
    EXPECT_EQ(plat::attributesOfItem(folder.path("private")).value().permissions, 0600u);
    auto fresh = writerFor("fresh");
    ASSERT_TRUE(fresh->commit().ok());
    EXPECT_EQ(plat::attributesOfItem(folder.path("fresh")).value().permissions, 0644u);
    EXPECT_EQ(contents("fresh"), "");
}

TEST_F(AtomicFileWriting, FailuresAtEveryStepKeepThePreviousFile)
{
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("kept"), std::string_view("previous")).ok());
    for (auto point :
        {WriteFailurePoint::BeforeWriting, WriteFailurePoint::AfterHalfTheBytes, WriteFailurePoint::BeforeRename}) {
        plat::test::FailingWrites failing("kept", point);
        auto created = plat::AtomicFileWriter::create(folder.path("kept"));
        if (created.ok()) {
            auto writer = std::move(created).value();
            (void)append(*writer, "replacement");
            EXPECT_FALSE(writer->commit().ok());
        }
        EXPECT_EQ(contents("kept"), "previous");
        EXPECT_EQ(names(), std::vector<std::string> {"kept"});
    }
    EXPECT_FALSE(plat::AtomicFileWriter::create(folder.path("no/such/folder/file")).ok());
}

TEST_F(AtomicFileWriting, CommitFlushesTheFolderAfterTheRename)
{
    plat::test::FailingWrites failing("movie.mov", WriteFailurePoint::FlushingFolder);
    auto writer = writerFor("movie.mov");
    ASSERT_TRUE(writer);
    ASSERT_TRUE(append(*writer, "frames").ok());
    auto committed = writer->commit();
    ASSERT_FALSE(committed.ok());
    EXPECT_EQ(committed.error().code(), EIO);
    EXPECT_EQ(contents("movie.mov"), "frames");
}

}  // namespace
