#include "platform/foundation/Paths.h"

#include <gtest/gtest.h>

namespace {

TEST(Paths, AppendingAComponentJoinsWithOneSlash)
{
    EXPECT_EQ(plat::appendingPathComponent("/a/b", "c.jpg"), "/a/b/c.jpg");
    EXPECT_EQ(plat::appendingPathComponent("/a/b/", "/c"), "/a/b/c");
    EXPECT_EQ(plat::appendingPathComponent("/", "c"), "/c");
    EXPECT_EQ(plat::appendingPathComponent("", "c"), "c");
}

TEST(Paths, LastComponentAndParent)
{
    EXPECT_EQ(plat::lastPathComponent("/a/b/c.jpg"), "c.jpg");
    EXPECT_EQ(plat::lastPathComponent("/a/b/"), "b");
    EXPECT_EQ(plat::lastPathComponent("/"), "/");
    EXPECT_EQ(plat::deletingLastPathComponent("/a/b/c.jpg"), "/a/b");
    EXPECT_EQ(plat::deletingLastPathComponent("/a"), "/");
    EXPECT_EQ(plat::deletingLastPathComponent("a"), "");
}

TEST(Paths, ExtensionsBelongToTheLastComponentOnly)
{
    EXPECT_EQ(plat::pathExtension("/a/movie.mov"), "mov");
    EXPECT_EQ(plat::pathExtension("/a.b/movie"), "");
    EXPECT_EQ(plat::pathExtension("/a/.projects"), "");
    EXPECT_EQ(plat::pathExtension("/a/.projects.plist"), "plist");
    EXPECT_EQ(plat::deletingPathExtension("/a/x.tar.gz"), "/a/x.tar");
    EXPECT_EQ(plat::deletingPathExtension("/a.b/movie"), "/a.b/movie");
    EXPECT_EQ(plat::appendingPathExtension("/a/x", "zip"), "/a/x.zip");
}

TEST(Paths, PlainFileNamesCannotLeaveTheirFolder)
{
    EXPECT_TRUE(plat::isPlainFileName("frame-1.jpg"));
    EXPECT_TRUE(plat::isPlainFileName("..hidden"));
    EXPECT_FALSE(plat::isPlainFileName(""));
    EXPECT_FALSE(plat::isPlainFileName("."));
    EXPECT_FALSE(plat::isPlainFileName(".."));
    EXPECT_FALSE(plat::isPlainFileName("../x"));
    EXPECT_FALSE(plat::isPlainFileName("a/b"));
    EXPECT_FALSE(plat::isPlainFileName(std::string_view("a\0b", 3)));
}

}  // namespace
