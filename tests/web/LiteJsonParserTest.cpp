#include "web/LiteJsonParser.h"

#include <gtest/gtest.h>

#include "web/LiteJsonCategories.h"

namespace {

// The descriptions of a failed parse's trace, innermost first.
std::vector<std::string> traceOf(std::optional<std::string_view> text, size_t maxDepth = 512)
{
    zt::LiteJsonParser parser;
    parser.setMaxDepth(maxDepth);
    auto value = parser.fragmentWithString(text);
    EXPECT_FALSE(value.has_value()) << value->debugDescription();
    std::vector<std::string> messages;
    for (const plat::Error& error : parser.errorTrace())
        messages.push_back(error.localizedDescription());
    return messages;
}

std::string firstError(std::string_view text)
{
    auto trace = traceOf(text);
    return trace.empty() ? "no error" : trace.front();
}

plat::Value parsed(std::string_view text)
{
    zt::LiteJsonParser parser;
    auto value = parser.fragmentWithString(text);
    EXPECT_TRUE(value.has_value()) << text;
    return value.value_or(plat::Value("(failed)"));
}

TEST(LiteJsonParser, ContainersAndTheirLooseCommas)
{
    EXPECT_EQ(parsed("[]"), plat::Value(plat::Array {}));
    EXPECT_EQ(parsed(" { } "), plat::Value(plat::Dictionary {}));
    EXPECT_EQ(parsed("[1 2]"), plat::Value(plat::Array {1, 2}));
    EXPECT_EQ(parsed(R"({"a":1 "b":2})"), plat::Value(plat::Dictionary {{"a", 1}, {"b", 2}}));
    EXPECT_EQ(parsed(R"({"a":1,"a":[true,false]})"),
        plat::Value(plat::Dictionary {{"a", plat::Value(plat::Array {true, false})}}));
    plat::Value withNull = parsed(R"({"gone": null})");
    ASSERT_NE(withNull.asDictionary()->find("gone"), nullptr);
    EXPECT_TRUE(withNull.asDictionary()->find("gone")->isNull());
}

TEST(LiteJsonParser, ErrorsChainEachToTheOneBefore)
{
    zt::LiteJsonParser parser;
    EXPECT_FALSE(parser.objectWithString("[1,]"));
    ASSERT_EQ(parser.errorTrace().size(), 1u);
    EXPECT_EQ(parser.errorTrace()[0].code(), 9);
    EXPECT_EQ(parser.errorTrace()[0].localizedDescription(), "Trailing comma disallowed in array");
    EXPECT_EQ(parser.errorTrace()[0].domain(), zt::kLiteJsonErrorDomain);

    EXPECT_FALSE(parser.objectWithString(R"({"k": [x]})"));
    ASSERT_EQ(parser.errorTrace().size(), 3u);
    EXPECT_EQ(parser.errorTrace()[0].localizedDescription(), "Unrecognised leading character");
    EXPECT_EQ(parser.errorTrace()[1].localizedDescription(), "Expected value while parsing array");
    EXPECT_EQ(parser.errorTrace()[2].localizedDescription(), "Object value expected for key: k");
    ASSERT_NE(parser.errorTrace()[2].underlyingError(), nullptr);
    EXPECT_EQ(parser.errorTrace()[2].underlyingError()->localizedDescription(), "Expected value while parsing array");
    EXPECT_EQ(parser.errorTrace()[2].underlyingError()->underlyingError()->code(), 3);
    EXPECT_EQ(parser.errorTrace()[0].underlyingError(), nullptr);

    EXPECT_TRUE(parser.objectWithString("[]"));
    EXPECT_TRUE(parser.errorTrace().empty());
}

TEST(LiteJsonParser, ScalarsAreFragmentsButNotJSON)
{
    for (std::string_view text : {"123", "true", "\"quoted\""}) {
        zt::LiteJsonParser parser;
        EXPECT_TRUE(parser.fragmentWithString(text)) << text;
        EXPECT_FALSE(parser.objectWithString(text)) << text;
        EXPECT_EQ(parser.errorTrace().back().code(), 4);
        EXPECT_EQ(parser.errorTrace().back().localizedDescription(), "Valid fragment, but not JSON");
    }
    EXPECT_FALSE(zt::JSONValue("123"));
    EXPECT_EQ(zt::JSONFragmentValue("null"), plat::Value());
}

TEST(LiteJsonParser, NumberGrammar)
{
    EXPECT_EQ(parsed("-0.5e+3"), plat::Value(-500.0));
    EXPECT_EQ(parsed("9223372036854775807").type(), plat::Value::Type::Integer);
    EXPECT_EQ(parsed("-9223372036854775808"), plat::Value(INT64_MIN));
    EXPECT_EQ(parsed("9223372036854775808"), plat::Value(9223372036854775808.0));
    EXPECT_EQ(parsed("1e-400"), plat::Value(0.0));
    EXPECT_EQ(firstError("01"), "Leading 0 disallowed in number");
    EXPECT_EQ(firstError("-x"), "No digits after initial minus");
    EXPECT_EQ(firstError("+1"), "Leading + disallowed in number");
    EXPECT_EQ(firstError("1."), "No digits after decimal point");
    EXPECT_EQ(firstError("1e+"), "No digits after exponent");
    EXPECT_EQ(firstError("1e400"), "Failed creating decimal instance");
}

TEST(LiteJsonParser, LiteralsAndLeadingCharacters)
{
    EXPECT_EQ(firstError("tru"), "Expected 'true'");
    EXPECT_EQ(firstError("fals"), "Expected 'false'");
    EXPECT_EQ(firstError("nul"), "Expected 'null'");
    EXPECT_EQ(firstError("?"), "Unrecognised leading character");
    EXPECT_EQ(firstError(""), "Unexpected end of string");
    EXPECT_EQ(traceOf(std::nullopt), std::vector<std::string> {"Input was 'nil'"});
    EXPECT_EQ(firstError("[1] x"), "Garbage after JSON");
    EXPECT_EQ(traceOf("[1"), std::vector<std::string> {"End of input while parsing array"});
    EXPECT_EQ(traceOf(R"({"a":1)"), std::vector<std::string> {"End of input while parsing object"});
    EXPECT_EQ(traceOf(R"({"a" 1})"), std::vector<std::string> {"Expected ':' separating key and value"});
    EXPECT_EQ(traceOf("{1:2}"), std::vector<std::string> {"Object key string expected"});
    EXPECT_EQ(traceOf(R"({"a":1,})"), std::vector<std::string> {"Trailing comma disallowed in object"});
}

TEST(LiteJsonParser, StringsEscapesAndSurrogates)
{
    EXPECT_EQ(parsed(R"("\ud83d\ude00")"), plat::Value("\xF0\x9F\x98\x80"));
    EXPECT_EQ(parsed(R"("\udbff\udfff")"), plat::Value("\xF4\x8F\xBF\xBF"));
    EXPECT_EQ(parsed(R"("a\"\\\/\b\f\n\r\t\u00e9")"), plat::Value("a\"\\/\b\f\n\r\t\xC3\xA9"));
    EXPECT_EQ(traceOf(R"("\ude00")"),
        (std::vector<std::string> {"Invalid high character in surrogate pair", "Broken unicode character"}));
    EXPECT_EQ(traceOf(R"("\ud83d x")"),
        (std::vector<std::string> {"Missing low character in surrogate pair", "Broken unicode character"}));
    EXPECT_EQ(traceOf(R"("\ud83d\u0041")"),
        (std::vector<std::string> {"Invalid low surrogate char", "Broken unicode character"}));
    EXPECT_EQ(traceOf(R"("\u12x4")"),
        (std::vector<std::string> {"Missing hex digit in quad", "Missing hex quad", "Broken unicode character"}));
    EXPECT_EQ(firstError(R"("\x")"), "Illegal escape sequence '0x78'");
    EXPECT_EQ(firstError("\"\\"), "Unexpected EOF while parsing string");
    EXPECT_EQ(firstError("\"unterminated"), "Unescaped control character '0x0'");
    EXPECT_EQ(firstError("\"a\nb\""), "Unescaped control character '0xa'");
    // Bytes that are not UTF-8 read as U+FFFD; a NUL ends the text.
    EXPECT_EQ(parsed("\"a\xFF\""), plat::Value("a\uFFFD"));
    EXPECT_EQ(parsed(std::string_view("[1]\0trailing", 12)), plat::Value(plat::Array {1}));
}

TEST(LiteJsonParser, NestingLimit)
{
    auto nested = [](size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); };
    EXPECT_TRUE(parsed(nested(512)).isArray());
    auto trace = traceOf(nested(513));
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.front(), "Nested too deep");
    EXPECT_EQ(trace.size(), 513u);  // each enclosing array adds its own error
    // No limit of the caller's still stops at the ceiling.
    zt::LiteJsonParser unlimited;
    unlimited.setMaxDepth(0);
    EXPECT_TRUE(unlimited.fragmentWithString(nested(zt::kLiteJsonDepthCeiling)));
    EXPECT_FALSE(unlimited.fragmentWithString(std::string(1000000, '[')));
    EXPECT_EQ(unlimited.errorTrace().front().code(), 7);
}

TEST(LiteJsonParser, ObserversHearTraceChanges)
{
    zt::LiteJsonParser parser;
    std::vector<zt::LiteJsonBase::ErrorTraceChange> heard;
    const size_t token = parser.addErrorTraceObserver([&heard](auto change) { heard.push_back(change); });
    EXPECT_FALSE(parser.objectWithString("x"));  // a clearing, then one error
    EXPECT_EQ(heard.size(), 4u);
    EXPECT_EQ(heard.front(), zt::LiteJsonBase::ErrorTraceChange::WillChange);
    parser.removeErrorTraceObserver(token);
    EXPECT_FALSE(parser.objectWithString("x"));
    EXPECT_EQ(heard.size(), 4u);
}

}  // namespace
