#include "document/ZipEntryName.h"

#include <gtest/gtest.h>

namespace {

using Components = std::optional<std::vector<std::string>>;
using zt::detail::safeEntryPathComponents;

constexpr size_t kLimit = 1024;

TEST(ZipEntryName, PlainAndNestedNamesKeepTheirSteps)
{
    EXPECT_EQ(safeEntryPathComponents("frame-1.jpg", kLimit), (Components {{"frame-1.jpg"}}));
    EXPECT_EQ(safeEntryPathComponents("a/b/c.txt", kLimit), (Components {{"a", "b", "c.txt"}}));
    EXPECT_EQ(safeEntryPathComponents("a\\b\\c.txt", kLimit), (Components {{"a", "b", "c.txt"}}));
    EXPECT_EQ(safeEntryPathComponents("dir/", kLimit), (Components {{"dir"}}));
}

TEST(ZipEntryName, EmptyAndDotStepsAreDropped)
{
    EXPECT_EQ(safeEntryPathComponents("./a//b/./c", kLimit), (Components {{"a", "b", "c"}}));
    EXPECT_EQ(safeEntryPathComponents("./", kLimit), (Components {std::vector<std::string> {}}));
    EXPECT_EQ(safeEntryPathComponents("", kLimit), (Components {std::vector<std::string> {}}));
    EXPECT_EQ(safeEntryPathComponents("...", kLimit), (Components {{"..."}}));  // a name, not a step up
    EXPECT_EQ(safeEntryPathComponents("a..b", kLimit), (Components {{"a..b"}}));
}

TEST(ZipEntryName, NamesThatCouldLeaveTheFolderAreRefused)
{
    for (const char* name :
        {"../x", "..", "a/../b", "a/..", "/etc/passwd", "\\x", "C:\\x", "c:/x", "C:x", "a\\..\\..\\x"}) {
        EXPECT_EQ(safeEntryPathComponents(name, kLimit), std::nullopt) << name;
    }
}

TEST(ZipEntryName, BadBytesAndLongNamesAreRefused)
{
    EXPECT_EQ(safeEntryPathComponents(std::string("a\0b", 3), kLimit), std::nullopt);
    EXPECT_EQ(safeEntryPathComponents("\xff\xfe.txt", kLimit), std::nullopt);
    EXPECT_EQ(safeEntryPathComponents(std::string(kLimit, 'n'), kLimit), (Components {{std::string(kLimit, 'n')}}));
    EXPECT_EQ(safeEntryPathComponents(std::string(kLimit + 1, 'n'), kLimit), std::nullopt);
    EXPECT_EQ(safeEntryPathComponents("Grüße/ß.txt", kLimit), (Components {{"Grüße", "ß.txt"}}));
}

TEST(ZipEntryName, FolderNamesEndInASlashOfEitherKind)
{
    EXPECT_TRUE(zt::detail::isFolderEntryName("a/"));
    EXPECT_TRUE(zt::detail::isFolderEntryName("a\\"));
    EXPECT_FALSE(zt::detail::isFolderEntryName("a"));
    EXPECT_FALSE(zt::detail::isFolderEntryName(""));
}

}  // namespace
