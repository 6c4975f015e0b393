#include "web/JCSerializer.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>

#include "web/JSONCoreDeserializing.h"
#include "web/JSONCoreSerializing.h"

namespace {

std::string written(const plat::Array& array, zt::JCSerializeOptionFlags options = zt::JCSerializeNone)
{
    plat::Error error("none", 0, "");
    auto text = zt::JSONStringWithOptions(array, options, &error);
    return text ? *text : "error: " + error.localizedDescription();
}

std::string writtenString(std::string_view string, zt::JCSerializeOptionFlags options = zt::JCSerializeNone)
{
    plat::Error error("none", 0, "");
    auto text = zt::JSONStringWithOptions(string, options, zt::IncludeQuotes::Yes, &error);
    return text ? *text : "error: " + error.localizedDescription();
}

TEST(JCSerializerStrings, EscapesQuotesBackslashesAndControlBytes)
{
    EXPECT_EQ(writtenString("a\"b\\c\t\x01"), R"("a\"b\\c\t\u0001")");
    EXPECT_EQ(writtenString("\b\f\n\r\x1f"), R"("\b\f\n\r\u001f")");
    EXPECT_EQ(writtenString("a/b"), R"("a/b")");
    EXPECT_EQ(writtenString("a/b", zt::JCSerializeEscapeSlash), R"("a\/b")");
    // Long enough for the block-at-a-time path, with escapes at its edges.
    const std::string longText = std::string(40, 'x').append("\"").append(15, 'y').append("\n");
    const std::string escaped = std::string("\"").append(40, 'x').append("\\\"").append(15, 'y').append("\\n\"");
    EXPECT_EQ(writtenString(longText), escaped);
}

TEST(JCSerializerStrings, NonAsciiIsCopiedOrEscaped)
{
    EXPECT_EQ(writtenString("caf\xC3\xA9"), "\"caf\xC3\xA9\"");
    EXPECT_EQ(writtenString("caf\xC3\xA9", zt::JCSerializeEscapeUnicode), R"("caf\u00e9")");
    EXPECT_EQ(writtenString("\xF0\x9F\x98\x80", zt::JCSerializeEscapeUnicode), R"("\ud83d\ude00")");
    EXPECT_EQ(writtenString("\xE2\x82\xAC", zt::JCSerializeEscapeUnicode), R"("\u20ac")");
    // Bytes that are not UTF-8 become "?", as the platform converts what it cannot.
    EXPECT_EQ(writtenString("a\xFF"
                            "b\xC3"),
        R"("a?b?")");
    EXPECT_EQ(writtenString("a\xFF"
                            "b",
                  zt::JCSerializeEscapeUnicode),
        R"("a?b")");
    EXPECT_EQ(writtenString("\xEF\xBF\xBE"), "\"\xEF\xBF\xBE\"");
    EXPECT_EQ(writtenString("\xEF\xBF\xBE", zt::JCSerializeEscapeUnicode), "error: Error converting UTF8.");
}

TEST(JCSerializerStrings, StringsPutIntoDecodedContainersAreCheckedToo)
{
    auto value = zt::mutableObjectFromJSONString(R"(["decoded \u00e9"])");
    value->arrayRef().insertObject(zt::JCValue("bad \xFF byte"), 1);
    value->arrayRef().insertObject(zt::JCValue("a longer string with a bad byte: \xC3"), 2);
    EXPECT_EQ(*zt::JSONString(value->arrayRef()),
        "[\"decoded \xC3\xA9\",\"bad ? byte\",\"a longer string with a bad byte: ?\"]");
}

TEST(JCSerializerStrings, ShortDecodedStringsEscapeLikeLongOnes)
{
    auto value = zt::objectFromJSONString(R"(["a\"b", "c\\d", "e/f", "\u0001", "plain", "\u00e9t\u00e9"])");
    EXPECT_EQ(*zt::JSONString(value->arrayRef()),
        R"(["a\"b","c\\d","e/f","\u0001","plain",")"
        "\xC3\xA9t\xC3\xA9\"]");
    EXPECT_EQ(*zt::JSONStringWithOptions(value->arrayRef(), zt::JCSerializeEscapeSlash | zt::JCSerializeEscapeUnicode),
        R"(["a\"b","c\\d","e\/f","\u0001","plain","\u00e9t\u00e9"])");
}

TEST(JCSerializerStrings, WithoutQuotesKeepsEscapes)
{
    auto text = zt::JSONStringWithOptions("say \"hi\"\n", zt::JCSerializeNone, zt::IncludeQuotes::No);
    EXPECT_EQ(*text, R"(say \"hi\"\n)");
    auto data = zt::JSONDataWithOptions("x", zt::JCSerializeNone, zt::IncludeQuotes::Yes);
    EXPECT_EQ(*data, (plat::Data {'"', 'x', '"'}));
}

TEST(JCSerializerNumbers, IntegersRealsAndBooleans)
{
    EXPECT_EQ(written({int64_t(0), INT64_MIN, INT64_MAX, -7}), "[0,-9223372036854775808,9223372036854775807,-7]");
    EXPECT_EQ(written({0.1, 1.5, -0.0, 1e100, 1e-7, 123456789.0}),
        "[0.10000000000000001,1.5,-0,1e+100,9.9999999999999995e-08,123456789]");
    EXPECT_EQ(written({true, false, plat::Value()}), "[true,false,null]");
    EXPECT_EQ(written({std::numeric_limits<double>::quiet_NaN()}),
        "error: Floating point values must be finite.  JSON does not support NaN or Infinity.");
    EXPECT_EQ(written({-std::numeric_limits<double>::infinity()}),
        "error: Floating point values must be finite.  JSON does not support NaN or Infinity.");
}

TEST(JCSerializerNumbers, RealsMatchTheCLibrarysSeventeenDigits)
{
    std::mt19937_64 random(7);
    for (int i = 0; i < 100000; ++i) {
        const uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value))
            continue;
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.17g", value);
        char actual[64];
        actual[zt::detail::formatDoubleAs17g(value, actual)] = '\0';
        ASSERT_STREQ(actual, expected);
    }
    for (const double value : {1e-6, 9.9999999999999995e-7, 1e17, 99999999999999999.0, 5e-324, 1e21, 0.5}) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.17g", value);
        char actual[64];
        actual[zt::detail::formatDoubleAs17g(value, actual)] = '\0';
        EXPECT_STREQ(actual, expected);
    }
}

TEST(JCSerializerPretty, IndentsAndSortsKeys)
{
    plat::Dictionary dictionary {{"b", plat::Value(1)}, {"a", plat::Value(plat::Array {true, plat::Value()})}};
    EXPECT_EQ(*zt::JSONString(dictionary), R"({"a":[true,null],"b":1})");
    EXPECT_EQ(*zt::JSONStringWithOptions(dictionary, zt::JCSerializePretty),
        "{\n  \"a\": [\n    true,\n    null\n  ],\n  \"b\": 1\n}");
    EXPECT_EQ(written(plat::Array {}, zt::JCSerializePretty), "[\n  \n]");
    // UTF-16 order: U+FF01 comes after U+1F600, whose first unit is a surrogate.
    plat::Dictionary wide {{"\xEF\xBC\x81", plat::Value(1)}, {"\xF0\x9F\x98\x80", plat::Value(2)}};
    EXPECT_EQ(*zt::JSONStringWithOptions(wide, zt::JCSerializePretty),
        "{\n  \"\xF0\x9F\x98\x80\": 2,\n  \"\xEF\xBC\x81\": 1\n}");
}

TEST(JCSerializerFormatter, UnsupportedValuesNeedAReplacement)
{
    plat::Array array {plat::Value(plat::Data {1, 2}), plat::Value("x")};
    EXPECT_EQ(written(array), "error: Unable to serialize object class NSData.");
    zt::JCFormatterBlock block = [](const plat::Value& unsupported) -> std::optional<plat::Value> {
        const plat::Data* data = unsupported.asData();
        return plat::Value(data == nullptr ? int64_t(-1) : static_cast<int64_t>(data->size()));
    };
    EXPECT_EQ(*zt::JSONStringWithOptions(array, zt::JCSerializeNone, block, nullptr), "[2,\"x\"]");
    plat::Error error("none", 0, "");
    zt::JCFormatterBlock unhelpful
        = [](const plat::Value&) -> std::optional<plat::Value> { return plat::Value(plat::Date()); };
    EXPECT_FALSE(zt::JSONStringWithOptions(array, zt::JCSerializeNone, unhelpful, &error));
    EXPECT_EQ(error.localizedDescription(),
        "Unable to serialize object class NSDate that was returned by the "
        "unsupported class formatter.  Original object class was NSData.");
}

struct DateWriter {
    std::optional<plat::Value> describe(const plat::Value&) { return plat::Value("a date"); }
};

TEST(JCSerializerFormatter, DelegateAndSelector)
{
    DateWriter writer;
    plat::Dictionary dictionary {{"when", plat::Value(plat::Date())}};
    auto text = zt::JSONStringWithOptions(dictionary, zt::JCSerializeNone, &writer, &DateWriter::describe, nullptr);
    EXPECT_EQ(*text, R"({"when":"a date"})");
    EXPECT_DEATH((void)zt::JSONStringWithOptions(
                     dictionary, zt::JCSerializeNone, &writer, zt::JCFormatterSelector<DateWriter>(nullptr), nullptr),
        "The delegate argument is not NULL, but the selector argument is NULL.");
}

TEST(JCSerializerTopObject, EncodeOptionsCheckWhatComesIn)
{
    plat::Error error("none", 0, "");
    EXPECT_FALSE(zt::JCSerializer::serializeObject(
        plat::Value("x"), zt::JCSerializeNone, zt::kJCEncodeRequiresContainer | zt::kJCEncodeAsString, {}, &error));
    EXPECT_EQ(error.localizedDescription(),
        "Unable to serialize object class NSString, expected a NSArray or "
        "NSDictionary.");
    EXPECT_FALSE(zt::JCSerializer::serializeObject(plat::Value(plat::Array {}), zt::JCSerializeNone,
        zt::kJCEncodeRequiresString | zt::kJCEncodeAsData, {}, &error));
    EXPECT_EQ(error.localizedDescription(), "Unable to serialize object class NSArray, expected a NSString.");
    EXPECT_FALSE(zt::JCSerializer::serializeObject(plat::Value(plat::Array {}), zt::JCSerializeNone, 0, {}, &error));
    EXPECT_EQ(error.localizedDescription(), "Unknown encode as type.");
    auto fragment
        = zt::JCSerializer::serializeObject(plat::Value(42), zt::JCSerializeNone, zt::kJCEncodeAsString, {}, &error);
    ASSERT_TRUE(fragment && fragment->isString());
    EXPECT_EQ(fragment->asString() ? *fragment->asString() : "", "42");
}

TEST(JCSerializerDepth, AContainerThatHoldsItselfFails)
{
    plat::Array loop;
    loop.append(plat::Value(1));
    loop.append(plat::Value(loop));
    EXPECT_EQ(written(loop),
        "error: Unable to serialize: arrays and dictionaries nest more than 512 levels deep "
        "(does a container hold itself?).");
    loop.removeAll();  // breaks the cycle so the container can be freed

    auto decoded = zt::mutableObjectFromJSONString("[]");
    decoded->arrayRef().insertObject(*decoded, 0);
    plat::Error error("none", 0, "");
    EXPECT_FALSE(zt::JSONStringWithOptions(decoded->arrayRef(), zt::JCSerializeNone, &error));
    EXPECT_EQ(error.code(), -1);
    decoded->arrayRef().removeObjectAtIndex(0);

    plat::Value deep(plat::Array {});
    for (size_t depth = 1; depth < zt::JCMaximumNestingDepth; ++depth)
        deep = plat::Value(plat::Array {deep});
    EXPECT_TRUE(zt::JSONString(*deep.asArray()));
    EXPECT_FALSE(zt::JSONString(plat::Array {deep}));
}

TEST(JCSerializerRoundTrip, DecodedTreesComeBackEqual)
{
    const std::string text = R"({"name": "caf\u00e9 \ud83d\ude00", "list": [1, -2, 18446744073709551615, 0.1, -0,
        1e300, true, false, null, {"nested": ["a/b", "\t\"x\"\\"]}], "empty": {}, "none": []})";
    auto decoded = zt::objectFromJSONString(text);
    ASSERT_TRUE(decoded);
    for (const auto options : {zt::JCSerializeNone, zt::JCSerializePretty, zt::JCSerializeEscapeUnicode,
             zt::JCSerializeEscapeSlash | zt::JCSerializePretty}) {
        auto data = zt::JSONDataWithOptions(decoded->dictionaryRef(), options);
        ASSERT_TRUE(data);
        auto again = zt::objectFromJSONData(*data);
        ASSERT_TRUE(again) << std::string(data->begin(), data->end());
        EXPECT_EQ(*again, *decoded);
    }
    auto value = decoded->dictionaryRef().objectForKey("list")->arrayRef().objectAtIndex(4);
    EXPECT_TRUE(std::signbit(*value.doubleValue()));
}

TEST(JCSerializerRoundTrip, PlatformValuesComeBackEqual)
{
    plat::Array shared {plat::Value("shared text"), plat::Value(3)};
    plat::Dictionary dictionary {{"shared twice", plat::Value(plat::Array {plat::Value(shared), plat::Value(shared)})},
        {"real", plat::Value(2.5)}, {"text", plat::Value("line\nbreak \xE2\x82\xAC")}};
    dictionary.setKeepingNull("nothing", plat::Value());
    auto text = zt::JSONString(dictionary);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text,
        R"({"nothing":null,"real":2.5,"shared twice":[["shared text",3],["shared text",3]],)"
        "\"text\":\"line\\nbreak \xE2\x82\xAC\"}");
    auto decoded = zt::objectFromJSONString(*text);
    EXPECT_EQ(decoded->toValue(), plat::Value(dictionary));
}

}  // namespace
