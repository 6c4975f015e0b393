#include <gtest/gtest.h>
#include <set>

#include "platform/foundation/Geometry.h"
#include "platform/foundation/StringsFile.h"
#include "platform/foundation/UUID.h"

namespace {

TEST(UUID, CanonicalTextIsUpperCaseEightFourFourFourTwelve)
{
    std::string text = plat::UUID().UUIDString();
    ASSERT_EQ(text.size(), 36u);
    for (size_t i = 0; i < text.size(); ++i) {
        if (i == 8 || i == 13 || i == 18 || i == 23)
            EXPECT_EQ(text[i], '-');
        else
            EXPECT_TRUE((text[i] >= '0' && text[i] <= '9') || (text[i] >= 'A' && text[i] <= 'F')) << text;
    }
    EXPECT_EQ(text[14], '4');  // random version
    EXPECT_EQ(plat::UUID::fromString(text)->UUIDString(), text);
    EXPECT_FALSE(plat::UUID::fromString("not-a-uuid").has_value());
}

TEST(UUID, NewIdentifiersDiffer)
{
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i)
        seen.insert(plat::UUID().UUIDString());
    EXPECT_EQ(seen.size(), 1000u);
}

TEST(Geometry, TextFormsRoundTrip)
{
    EXPECT_EQ(plat::stringFromPoint({1.5, -2}), "{1.5, -2}");
    EXPECT_EQ(plat::pointFromString("{1.5, -2}"), (plat::Point {1.5, -2}));
    auto rect = plat::makeRect(1, 2, 300, 400.25);
    EXPECT_EQ(plat::stringFromRect(rect), "{{1, 2}, {300, 400.25}}");
    EXPECT_EQ(plat::rectFromString(plat::stringFromRect(rect)), rect);
    EXPECT_EQ(plat::sizeFromString("{3e2, 4}"), (plat::Size {300, 4}));
    EXPECT_EQ(plat::pointFromString("garbage"), (plat::Point {}));
    EXPECT_EQ(plat::rectFromString("{{1, 2}, {3}}"), plat::Rect {});
}

TEST(StringsFile, ReadsQuotedEntriesEscapesAndComments)
{
    auto table = plat::parseStringsFile(R"(/* Title of the explorer */
"Projects" = "Projekte";
// a line comment
"Line\nbreak \"quoted\"" = "Zeile\tTab";
"Euro" = "\U20AC \UD83D\UDE00";
bare_key = bare.value;
"Self";
)");
    ASSERT_TRUE(table.ok()) << table.error().localizedDescription();
    EXPECT_EQ(table.value().at("Projects"), "Projekte");
    EXPECT_EQ(table.value().at("Line\nbreak \"quoted\""), "Zeile\tTab");
    EXPECT_EQ(table.value().at("Euro"), "€ 😀");
    EXPECT_EQ(table.value().at("bare_key"), "bare.value");
    EXPECT_EQ(table.value().at("Self"), "Self");
}

TEST(StringsFile, ReadsUtf16WithByteOrderMark)
{
    std::u16string text = u"\"A\" = \"Ä\";";
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    auto table = plat::parseStringsFile(bytes);
    ASSERT_TRUE(table.ok());
    EXPECT_EQ(table.value().at("A"), "Ä");
}

TEST(StringsFile, DamagedTablesFailWithTheLine)
{
    for (const char* damaged : {"\"a\" = \"b\"", "\"a\" = ;", "\"a = \"b\";", "/* open", "\"a\" \"b\";", "\"\\U12\""}) {
        auto table = plat::parseStringsFile(damaged);
        EXPECT_FALSE(table.ok()) << damaged;
    }
    auto table = plat::parseStringsFile("\"a\" = \"b\";\n\n\"c\" = ;");
    ASSERT_FALSE(table.ok());
    EXPECT_NE(table.error().localizedDescription().find("line 3"), std::string::npos);
}

}  // namespace
