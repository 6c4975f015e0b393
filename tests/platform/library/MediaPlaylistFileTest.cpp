#include <gtest/gtest.h>

#include "platform/library/MediaPlaylistFile.h"

using plat::detail::parsePlaylistFile;

TEST(MediaPlaylistFile, EntriesBecomePlainAbsolutePathsInOrder)
{
    auto contents
        = parsePlaylistFile("\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:123,Artist - Title\r\nsub/a.mp3\r\n  \r\n/abs/b.m4a\r\n"
                            "file:///music/with%20space.mp3\r\n..\\up\\c.mp3\r\n./d/../e.mp3\r\n",
            "/lib/lists");
    EXPECT_FALSE(contents.name);
    EXPECT_EQ(contents.entries,
        (std::vector<std::string> {
            "/lib/lists/sub/a.mp3", "/abs/b.m4a", "/music/with space.mp3", "/lib/up/c.mp3", "/lib/lists/e.mp3"}));
}

TEST(MediaPlaylistFile, AddressesOfOtherKindsAndCommentsAreLeftOutAndTheNameDirectiveIsKept)
{
    auto contents
        = parsePlaylistFile("#PLAYLIST:  Party  \nhttp://host/x.mp3\nsmb://server/y.mp3\n# note\nz.mp3", "/lib");
    EXPECT_EQ(contents.name, "Party");
    EXPECT_EQ(contents.entries, (std::vector<std::string> {"/lib/z.mp3"}));
    EXPECT_TRUE(parsePlaylistFile("", "/lib").entries.empty());
    EXPECT_TRUE(parsePlaylistFile(std::string_view("\0\0\n", 3), "/lib").entries.empty());
}
