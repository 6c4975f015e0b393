#include "platform/foundation/Text.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>

namespace {

TEST(Text, LengthsCountUtf16Units)
{
    EXPECT_EQ(plat::lengthInUtf16(""), 0);
    EXPECT_EQ(plat::lengthInUtf16("abc"), 3);
    EXPECT_EQ(plat::lengthInUtf16("Grüße"), 5);  // two-byte characters count once
    EXPECT_EQ(plat::lengthInUtf16("€"), 1);  // three bytes, one unit
    EXPECT_EQ(plat::lengthInUtf16("a😀b"), 4);  // outside the basic plane: a surrogate pair
}

TEST(Text, RangesAreUtf16RangesAndClipAtTheEnd)
{
    EXPECT_EQ(plat::substringWithRange("Grüße Welt", {2, 3}), "üße");
    EXPECT_EQ(plat::substringWithRange("a😀b", {1, 2}), "😀");
    EXPECT_EQ(plat::substringWithRange("abc", {1, 100}), "bc");
    EXPECT_EQ(plat::substringWithRange("abc", {5, 1}), "");
    EXPECT_EQ(plat::substringToIndex("Grüße", 3), "Grü");
    EXPECT_EQ(plat::substringFromIndex("Grüße", 3), "ße");
    // Half a surrogate pair cannot stand alone in UTF-8.
    EXPECT_EQ(plat::substringWithRange("a😀b", {0, 2}), "a\uFFFD");
}

TEST(Text, CharacterAtIndexAndRangeOfString)
{
    EXPECT_EQ(plat::characterAtIndex("aü", 1), u'ü');
    EXPECT_FALSE(plat::characterAtIndex("aü", 2).has_value());
    EXPECT_FALSE(plat::characterAtIndex("aü", -1).has_value());
    EXPECT_EQ(plat::rangeOfString("😀 frame-7.jpg", "frame"), (plat::Range {3, 5}));
    EXPECT_EQ(plat::rangeOfString("abc", "x"), plat::kNotFoundRange);
    EXPECT_EQ(plat::rangeOfString("abc", ""), plat::kNotFoundRange);
}

TEST(Text, InvalidUtf8IsReplacedPerByte)
{
    EXPECT_TRUE(plat::isValidUtf8("Grüße \uFFFD"));
    EXPECT_FALSE(plat::isValidUtf8("\xC3"));  // truncated
    EXPECT_FALSE(plat::isValidUtf8("\xC0\xAF"));  // overlong slash
    EXPECT_FALSE(plat::isValidUtf8("\xED\xA0\x80"));  // encoded surrogate
    EXPECT_FALSE(plat::isValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
    EXPECT_EQ(plat::repairedUtf8("a\xFF"
                                 "b"),
        "a\uFFFD"
        "b");
    EXPECT_EQ(plat::lengthInUtf16("\xC0\xAF"), 2);
}

TEST(Text, ANameInAMessageShowsItsControlCharactersAsEscapes)
{
    const std::pair<std::string, std::string> cases[] = {
        {std::string("nul\0name", 8), "nul\\0name"},
        {"two\nlines\r\tand\x1B[31m", "two\\nlines\\r\\tand\\x1B[31m"},
        {"del\x7F c1\xC2\x85 sep\xE2\x80\xA8", "del\\x7F c1\\x85 sep\\u2028"},
        {"bad\xFF byte", "bad\uFFFD byte"},
        {"\u202Eevil\u202C \u2066\u2067\u2068\u2069 \u200E\u200F \u202A\u202B\u202D \u061C",
            "\\u202Eevil\\u202C \\u2066\\u2067\\u2068\\u2069 \\u200E\\u200F \\u202A\\u202B\\u202D \\u061C"},
        {"Grüße – 映画.zantropemobile", "Grüße – 映画.zantropemobile"},
    };
    for (const auto& [name, shown] : cases)
        EXPECT_EQ(plat::escapedForMessage(name), shown);
}

TEST(Text, Utf16RoundTripAndLoneSurrogates)
{
    std::string text = "x😀ü€";
    EXPECT_EQ(plat::utf8FromUtf16(plat::utf16FromUtf8(text)), text);
    std::u16string lone = u"a";
    lone += char16_t(0xD800);
    EXPECT_EQ(plat::utf8FromUtf16(lone), "a\uFFFD");
}

TEST(Text, CaseMappingCoversLettersBeyondAscii)
{
    EXPECT_EQ(plat::uppercaseString("grüße abc"), "GRÜßE ABC");
    EXPECT_EQ(plat::lowercaseString("ÄÖÜ XY"), "äöü xy");
}

TEST(Text, SplittingReplacingAndTrimming)
{
    EXPECT_EQ(plat::componentsSeparatedByString("a,b,,c", ","), (std::vector<std::string> {"a", "b", "", "c"}));
    EXPECT_EQ(plat::componentsSeparatedByString("", ","), (std::vector<std::string> {""}));
    EXPECT_EQ(plat::replacingOccurrences("frame-ID-ID.jpg", "ID", "X"), "frame-X-X.jpg");
    EXPECT_EQ(plat::replacingOccurrences("abc", "", "X"), "abc");
    EXPECT_EQ(plat::trimmingWhitespace(" \t a b \r\n"), "a b");
    EXPECT_EQ(plat::trimmingWhitespace("   "), "");
    EXPECT_TRUE(plat::hasPrefix("frame-1", "frame-"));
    EXPECT_FALSE(plat::hasSuffix("a", "abc"));
}

}  // namespace
