#include "document/Base64.h"

#include <gtest/gtest.h>

namespace {

plat::Data bytes(std::string_view text)
{
    return plat::Data(text.begin(), text.end());
}

TEST(Base64, EncodesWithPaddingToFourCharacterGroups)
{
    EXPECT_EQ(zt::Base64::encode(bytes("abc")), "YWJj");
    EXPECT_EQ(zt::Base64::encode(bytes("ab")), "YWI=");
    EXPECT_EQ(zt::Base64::encode(bytes("a")), "YQ==");
    EXPECT_EQ(zt::Base64::encode(bytes("")), "");
    EXPECT_EQ(zt::Base64::encode(plat::Data {0xfb, 0xff, 0xbf}), "+/+/");
}

TEST(Base64, DecodesWhatItEncodes)
{
    plat::Data all(256);
    for (int i = 0; i < 256; ++i)
        all[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    for (size_t length = 0; length <= all.size(); length += 37) {
        plat::Data part(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_EQ(zt::Base64::decode(zt::Base64::encode(part)), part) << length;
    }
    EXPECT_EQ(zt::Base64::decode("YWJj"), bytes("abc"));
    EXPECT_EQ(zt::Base64::decode("YWI="), bytes("ab"));
}

TEST(Base64, RefusesMissingInputAndLengthsOtherThanMultiplesOfFour)
{
    EXPECT_FALSE(zt::Base64::decode("YWJ").has_value());
    EXPECT_FALSE(zt::Base64::decode("YWJjZ").has_value());
    EXPECT_FALSE(zt::Base64::decode(nullptr, 0).has_value());
    EXPECT_EQ(zt::Base64::decode(""), plat::Data());
}

TEST(Base64, DropsEveryTrailingPaddingCharacter)
{
    // "YQ==" keeps 2 characters: 3 * 2 / 4 = 1 byte.
    EXPECT_EQ(zt::Base64::decode("YQ=="), bytes("a"));
    // Four "=" leave nothing.
    EXPECT_EQ(zt::Base64::decode("===="), plat::Data());
    // "Y===" keeps one character: 3 * 1 / 4 = 0 bytes.
    EXPECT_EQ(zt::Base64::decode("Y==="), plat::Data());
}

TEST(Base64, DecodesCharactersOutsideTheAlphabetAsZero)
{
    // "!" and the bytes 0x80 and 0xff are not in the alphabet: each counts as "A".
    EXPECT_EQ(zt::Base64::decode("!!!!"), zt::Base64::decode("AAAA"));
    const char high[] = {'Y', '\x80', 'J', '\xff'};
    EXPECT_EQ(zt::Base64::decode(high, sizeof high), zt::Base64::decode("YAJA"));
}

}  // namespace
