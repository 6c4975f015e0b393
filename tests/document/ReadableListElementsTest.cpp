#include "document/ReadableListElements.h"

#include <algorithm>
#include <gtest/gtest.h>

#include "platform/foundation/PropertyList.h"

namespace {

plat::Data bytes(std::string_view text)
{
    return plat::Data(text.begin(), text.end());
}

std::vector<std::string> strings(const std::vector<plat::Value>& values)
{
    std::vector<std::string> out;
    for (const plat::Value& value : values)
        out.push_back(value.asString() ? *value.asString() : "<" + value.debugDescription() + ">");
    return out;
}

std::string written(const plat::Value& list)
{
    auto data = plat::PropertyListSerialization::dataWithPropertyList(list, plat::PropertyListFormat::XML);
    EXPECT_TRUE(data.ok());
    return std::string(data.value().begin(), data.value().end());
}

TEST(ReadableListElements, AListCutAnywhereGivesBackEveryWholeElementBeforeTheCut)
{
    const std::vector<std::string> all {"first", "second & <more>", "third"};
    const std::string whole = written(plat::Array {all[0], all[1], all[2]});
    // Where each element's markup ends: a cut at or after it keeps the element.
    std::vector<size_t> ends;
    for (size_t at = whole.find("</string>"); at != std::string::npos; at = whole.find("</string>", at + 1))
        ends.push_back(at + std::string_view("</string>").size());
    ASSERT_EQ(ends.size(), 3u);
    for (size_t cut = 0; cut <= whole.size(); ++cut) {
        auto names = strings(zt::detail::readableListElements(bytes(std::string_view(whole).substr(0, cut)), {}));
        size_t expected
            = static_cast<size_t>(std::count_if(ends.begin(), ends.end(), [&](size_t end) { return end <= cut; }));
        ASSERT_EQ(names, std::vector<std::string>(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(expected)))
            << "cut at " << cut;
    }
}

TEST(ReadableListElements, TheArrayUnderAKeyGivesItsRecordsNestedValuesAndAll)
{
    plat::Dictionary record {{"FRAME_ID", "A"}, {"UID", "U1"}, {"NESTED", plat::Array {plat::Dictionary {{"k", 1}}}}};
    const std::string whole = written(plat::Dictionary {
        {"FRAMELIST_DATA", plat::Array {record, plat::Dictionary {{"FRAME_ID", "B"}}}}, {"FRAMELIST_VERSION", 4.0}});
    auto cutInSecond = std::string_view(whole).substr(0, whole.find("<string>B"));
    auto elements = zt::detail::readableListElements(bytes(cutInSecond), "FRAMELIST_DATA");
    ASSERT_EQ(elements.size(), 1u);
    EXPECT_EQ(elements[0], plat::Value(record));
    EXPECT_EQ(zt::detail::readableListElements(bytes(whole), "FRAMELIST_DATA").size(), 2u);
    EXPECT_TRUE(zt::detail::readableListElements(bytes(whole), "OTHER").empty());
    EXPECT_TRUE(zt::detail::readableListElements(bytes(whole), "FRAMELIST_VERSION").empty()) << "not an array";
}

TEST(ReadableListElements, ASpoiledElementIsLeftOutAndBrokenMarkupEndsTheReading)
{
    auto spoiled = zt::detail::readableListElements(
        bytes("<plist><array><string>a</string><unknown>12</unknown><!-- <string>no</string> -->"
              "<true/><string>b</string></array><string>after</string>"),
        {});
    EXPECT_EQ(strings(spoiled), (std::vector<std::string> {"a", "<true>", "b"}));
    auto broken = zt::detail::readableListElements(
        bytes("<plist><array><string>a</string><dict><key>x</string></dict><string>c</string></array>"), {});
    EXPECT_EQ(strings(broken), std::vector<std::string> {"a"});
}

TEST(ReadableListElements, WhatIsNotXMLGivesNothing)
{
    auto binary = plat::PropertyListSerialization::dataWithPropertyList(
        plat::Array {"a", "b"}, plat::PropertyListFormat::Binary);
    ASSERT_TRUE(binary.ok());
    EXPECT_TRUE(zt::detail::readableListElements(binary.value(), {}).empty());
    EXPECT_TRUE(zt::detail::readableListElements(bytes(""), {}).empty());
    EXPECT_TRUE(zt::detail::readableListElements(bytes("<<<>>><array"), {}).empty());
    EXPECT_TRUE(zt::detail::readableListElements(bytes("<array><!-- never closed"), {}).empty());
}

TEST(ReadableListElements, DeepNestingEndsTheReadingInsteadOfTheStack)
{
    std::string deep = "<plist><array><string>kept</string>";
    for (int i = 0; i < 100000; ++i)
        deep += "<array>";
    EXPECT_EQ(strings(zt::detail::readableListElements(bytes(deep), {})), std::vector<std::string> {"kept"});
}

}  // namespace
