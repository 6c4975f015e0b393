#include "web/HTMLEscaping.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

TEST(HTMLEntityTables, HoldTheXhtmlEntitiesInCodeUnitOrder)
{
    ASSERT_EQ(zt::htmlSpecialEntities().size(), 33u);
    ASSERT_EQ(zt::htmlEntities().size(), 253u);
    EXPECT_EQ(zt::htmlEntities().front().escapeSequence, "&quot;");
    EXPECT_EQ(zt::htmlEntities()[5].escapeSequence, "&nbsp;");
    EXPECT_EQ(zt::htmlEntities()[100].escapeSequence, "&yuml;");
    EXPECT_EQ(zt::htmlEntities()[101].escapeSequence, "&OElig;");
    EXPECT_EQ(zt::htmlEntities().back().escapeSequence, "&diams;");
    EXPECT_EQ(zt::htmlEntities().back().uchar, 9830);
    EXPECT_EQ(zt::htmlSpecialEntities().back().escapeSequence, "&euro;");
}

TEST(HTMLEscaping, EscapesTheSpecialCharacters)
{
    EXPECT_EQ(zt::ws_stringByEscapingForHTML(""), "");
    EXPECT_EQ(zt::ws_stringByEscapingForHTML("plain text"), "plain text");
    EXPECT_EQ(zt::ws_stringByEscapingForHTML("a<b & 'c'"), "a&lt;b &amp; &apos;c&apos;");
    EXPECT_EQ(zt::ws_stringByEscapingForHTML("\"quoted\" \xE2\x80\x94 dash"), "&quot;quoted&quot; &mdash; dash");
    EXPECT_EQ(zt::ws_stringByEscapingForHTML("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(zt::ws_stringByEscapingForHTML("100 \xE2\x82\xAC"), "100 &euro;");
    EXPECT_EQ(zt::ws_stringByEscapingForHTML("\xE4\xB8\xAD"), "\xE4\xB8\xAD");
    EXPECT_EQ(zt::ws_stringByEscapingForHTML("\xF0\x9F\x98\x80!"), "\xF0\x9F\x98\x80!");
}

TEST(HTMLEscaping, AsciiEscapingLeavesOnlyAscii)
{
    EXPECT_EQ(zt::ws_stringByEscapingForAsciiHTML("caf\xC3\xA9"), "caf&eacute;");
    EXPECT_EQ(zt::ws_stringByEscapingForAsciiHTML("100 \xE2\x82\xAC"), "100 &euro;");
    EXPECT_EQ(zt::ws_stringByEscapingForAsciiHTML("\xE4\xB8\xAD"), "&#20013;");
    EXPECT_EQ(zt::ws_stringByEscapingForAsciiHTML("\xF0\x9F\x98\x80"), "&#55357;&#56832;");
    EXPECT_EQ(zt::ws_stringByEscapingForAsciiHTML("\xCE\xB8 \xE2\x88\x9E"), "&theta; &infin;");
    EXPECT_EQ(zt::ws_stringByEscapingForAsciiHTML("bad \xFF"), "bad &#65533;");
}

TEST(HTMLUnescaping, NamedAndNumericReferences)
{
    EXPECT_EQ(zt::ws_stringByUnescapingFromHTML(""), "");
    EXPECT_EQ(zt::ws_stringByUnescapingFromHTML("no references"), "no references");
    EXPECT_EQ(zt::ws_stringByUnescapingFromHTML("&lt;&gt;"), "<>");
    EXPECT_EQ(zt::ws_stringByUnescapingFromHTML("&#65;&#x41;&#X42;"), "AAB");
    EXPECT_EQ(zt::ws_stringByUnescapingFromHTML("&thetasym;"), "\xCF\x91");
    EXPECT_EQ(zt::ws_stringByUnescapingFromHTML("&amp;lt;"), "&lt;");
    EXPECT_EQ(zt::ws_stringByUnescapingFromHTML("caf&eacute; &euro;5"),
        "caf\xC3\xA9 \xE2\x82\xAC"
        "5");
    // The platform's scanner skips white space and reads "0x" before hex digits.
    EXPECT_EQ(zt::ws_stringByUnescapingFromHTML("&# 65;&#x0x41;"), "AA");
}

TEST(HTMLUnescaping, WhatIsNotAReferenceStays)
{
    for (const char* text :
        {"&#0;", "&#65535;", "&foo;", "&lt", "&#65x;", "&#;", "&#x;", "&verylongname;", "a & b", "&#-65;"})
        EXPECT_EQ(zt::ws_stringByUnescapingFromHTML(text), text) << text;
    // Half a surrogate pair cannot stand alone in text.
    EXPECT_EQ(zt::ws_stringByUnescapingFromHTML("&#55357;&#xDE00;"), "&#55357;&#xDE00;");
    // A reference ends at the first ";" before the next "&".
    EXPECT_EQ(zt::ws_stringByUnescapingFromHTML("&lt&gt;"), "&lt>");
    std::string ampersands(100000, '&');
    std::string unescaped(99999, '&');
    unescaped += "<";
    EXPECT_EQ(zt::ws_stringByUnescapingFromHTML(ampersands.append("lt;")), unescaped);
}

TEST(HTMLEscaping, RoundTripsThroughUnescaping)
{
    const std::string text = "<p class=\"x\">Fish & chips \xE2\x80\x93 \xC2\xA3"
                             "5 \xF0\x9F\x90\x9F</p>";
    EXPECT_EQ(zt::ws_stringByUnescapingFromHTML(zt::ws_stringByEscapingForHTML(text)), text);
    const std::string ascii = zt::ws_stringByEscapingForAsciiHTML(text);
    EXPECT_TRUE(std::all_of(ascii.begin(), ascii.end(), [](char c) { return static_cast<unsigned char>(c) < 128; }));
    // Surrogate references stay as written, so only the fish does not come back.
    EXPECT_EQ(zt::ws_stringByUnescapingFromHTML(ascii),
        "<p class=\"x\">Fish & chips \xE2\x80\x93 \xC2\xA3"
        "5 &#55357;&#56351;</p>");
}

}  // namespace
