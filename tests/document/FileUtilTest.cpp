#include "document/FileUtil.h"

#include <gtest/gtest.h>

#include "platform/foundation/Files.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/UUID.h"
#include "support/TemporarySandbox.h"

namespace {

class FileUtilFiles : public ::testing::Test {
protected:
    plat::test::TemporaryFolder folder;

    void touch(const std::string& relative, std::string_view contents = "x")
    {
        ASSERT_TRUE(plat::writeFileAtomically(folder.path(relative), contents).ok());
    }
    std::vector<std::string> names(const std::string& relative = {})
    {
        return plat::contentsOfDirectory(relative.empty() ? folder.path() : folder.path(relative)).value();
    }
};

TEST_F(FileUtilFiles, FolderSizeSumsFilesAtAnyDepth)
{
    ASSERT_TRUE(plat::createDirectory(folder.path("a/b"), plat::IntermediateDirectories::Yes).ok());
    touch("one", std::string(100, 'x'));
    touch("a/two", std::string(20, 'x'));
    touch("a/b/three", std::string(3, 'x'));
    EXPECT_EQ(zt::FileUtil::folderSize(folder.path()), 123);
    EXPECT_EQ(zt::FileUtil::folderSize(folder.path("missing")), 0);
}

TEST_F(FileUtilFiles, RemoveItemAtPathRefusesFoldersAndAcceptsNothing)
{
    ASSERT_TRUE(plat::createDirectory(folder.path("dir"), plat::IntermediateDirectories::No).ok());
    touch("file");
    std::optional<plat::Error> error;
    EXPECT_TRUE(zt::FileUtil::removeItemAtPath(folder.path("missing"), &error));
    EXPECT_FALSE(zt::FileUtil::removeItemAtPath(folder.path("dir"), &error));
    EXPECT_FALSE(error.has_value());
    EXPECT_TRUE(plat::isDirectory(folder.path("dir")));
    EXPECT_TRUE(zt::FileUtil::removeItemAtPath(folder.path("file"), &error));
    EXPECT_FALSE(plat::fileExists(folder.path("file")));
}

TEST_F(FileUtilFiles, RemoveItemAtUrlHandlesFileUrlsOnly)
{
    touch("file");
    std::optional<plat::Error> error;
    EXPECT_TRUE(zt::FileUtil::removeItemAtURL(plat::URL::fileURLWithPath(folder.path("file")), &error));
    EXPECT_FALSE(plat::fileExists(folder.path("file")));
    EXPECT_FALSE(zt::FileUtil::removeItemAtURL(*plat::URL::URLWithString("http://example.com/x"), &error));
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->domain(), plat::kCocoaErrorDomain);
}

TEST_F(FileUtilFiles, RemoveFolderRemovesContentsAndReportsFailure)
{
    ASSERT_TRUE(plat::createDirectory(folder.path("p/q"), plat::IntermediateDirectories::Yes).ok());
    touch("p/q/file");
    EXPECT_TRUE(zt::FileUtil::removeFolderAtPath(folder.path("p")));
    EXPECT_FALSE(plat::fileExists(folder.path("p")));
    std::optional<plat::Error> error;
    EXPECT_FALSE(zt::FileUtil::removeFolderAtPath(folder.path("p"), &error));
    EXPECT_TRUE(error.has_value());
}

TEST(FileUtil, CreatesDistinctCanonicalIdentifiers)
{
    auto first = zt::FileUtil::createUUID();
    EXPECT_EQ(first.size(), 36u);
    EXPECT_EQ(first, plat::UUID::fromString(first)->UUIDString());
    EXPECT_NE(first, zt::FileUtil::createUUID());
}

TEST(FileUtil, FreeDiskspaceIsReadFromTheSandbox)
{
    plat::test::TemporarySandbox sandbox;
    EXPECT_GT(zt::FileUtil::freeDiskspace(), 0u);
}

TEST(FileUtil, ColoursRoundTripThroughDictionariesInSinglePrecision)
{
    auto color = plat::Color::colorWithRed(0.1, 0.2, 0.3, 0.4);
    auto dictionary = zt::FileUtil::getDictionaryFromUIColor(color);
    EXPECT_EQ(dictionary.keys(), (std::vector<std::string> {"alpha", "blue", "green", "red"}));
    EXPECT_EQ(*dictionary.getDouble("red"), static_cast<double>(0.1f));
    auto back = zt::FileUtil::getColorFromDictonary(dictionary);
    ASSERT_TRUE(back.has_value());
    EXPECT_FLOAT_EQ(static_cast<float>(back->blue()), 0.3f);
}

TEST(FileUtil, MissingColourComponentsCountAsZero)
{
    auto partial = zt::FileUtil::getColorFromDictonary(plat::Dictionary {{"red", 1}, {"alpha", "x"}});
    ASSERT_TRUE(partial.has_value());
    EXPECT_EQ(*partial, plat::Color::colorWithRed(1, 0, 0, 0));
    EXPECT_FALSE(zt::FileUtil::getColorFromDictonary(std::nullopt).has_value());
}

TEST(FileUtil, SanitizedFileNamesLoseUnsafeCharacters)
{
    EXPECT_EQ(zt::FileUtil::sanitizeFileNameString("My movie: part 1/2"), "My_movie_part_12");
    EXPECT_EQ(zt::FileUtil::sanitizeFileNameString("a.b\\c?d%e*f|g\"h<i>j;k'l[m]n{o}p@q#r$s^t`u~v,w"),
        "abcdefghijklmnopqrstuvw");
    EXPECT_EQ(zt::FileUtil::sanitizeFileNameString("Grüße  2"), "Grüße__2");
    EXPECT_EQ(zt::FileUtil::sanitizeFileNameString("../.."), "");
}

}  // namespace
