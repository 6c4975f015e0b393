#include "web/JSONDecoder.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <thread>

#include "web/JCArray.h"
#include "web/JCDictionary.h"
#include "web/JSONCoreDeserializing.h"

namespace {

struct Outcome {
    std::optional<zt::JCValue> value;
    plat::Error error {"none", 0, ""};
};

Outcome decode(std::string_view text, zt::JCParseOptionFlags options = zt::JCParseStrict)
{
    Outcome outcome;
    outcome.value = zt::objectFromJSONStringWithParseOptions(text, options, &outcome.error);
    return outcome;
}

// The message of a failed decode, or a note that it did not fail.
std::string failure(std::string_view text, zt::JCParseOptionFlags options = zt::JCParseStrict)
{
    Outcome outcome = decode(text, options);
    if (outcome.value)
        return "decoded: " + outcome.value->debugDescription();
    EXPECT_EQ(outcome.error.domain(), "JCErrorDomain");
    EXPECT_EQ(outcome.error.code(), -1);
    return outcome.error.localizedDescription();
}

// The one value of a decoded one-element array (a copy: the outcome is often a temporary).
zt::JCValue only(const Outcome& outcome)
{
    static const zt::JCValue kNothing;
    if (!outcome.value || !outcome.value->isArray() || outcome.value->arrayRef().count() != 1) {
        ADD_FAILURE() << "expected an array of one value, got "
                      << (outcome.value ? outcome.value->debugDescription() : outcome.error.localizedDescription());
        return kNothing;
    }
    return outcome.value->arrayRef().objectAtIndex(0);
}

std::string stringIn(std::string_view text, zt::JCParseOptionFlags options = zt::JCParseStrict)
{
    const zt::JCValue value = only(decode(text, options));
    return value.isString() ? std::string(*value.stringValue()) : "(not a string)";
}

TEST(JSONDecoderStructure, TopLevelMustBeAnArrayOrObject)
{
    EXPECT_EQ(failure(""), "Reached the end of the buffer.");
    EXPECT_EQ(failure("   \n"), "Reached the end of the buffer.");
    EXPECT_EQ(failure("5 "), "Expected either '[' or '{'.");
    EXPECT_EQ(failure("\"text\" "), "Expected either '[' or '{'.");
    EXPECT_TRUE(decode("[]").value->isArray());
    EXPECT_TRUE(decode("{}").value->isDictionary());
}

TEST(JSONDecoderStructure, TrailingTextFailsUnlessAllowed)
{
    EXPECT_EQ(failure("[1] x"),
        "A valid JSON object was parsed but there were additional non-white-space characters remaining.");
    EXPECT_EQ(*only(decode("[1] x", zt::JCParseAllowTrailingText)).int64Value(), 1);
    EXPECT_EQ(*only(decode("[1]  \r\n\t\n")).int64Value(), 1);
}

TEST(JSONDecoderStructure, SyntaxErrorsNameWhatWasExpected)
{
    EXPECT_EQ(failure("[1,]"), "Unexpected ']'.");
    EXPECT_EQ(failure("[,1]"), "Unexpected ','.");
    EXPECT_EQ(failure("{\"a\":1,}"), "Unexpected '}'.");
    EXPECT_EQ(failure("{\"a\" 1}"), "Expected ':'.");
    EXPECT_EQ(failure("{\"a\":}"), "Expected a value, not '}'");
    EXPECT_EQ(failure("[1 2]"), "Unexpected value.");
    EXPECT_EQ(failure("[01]"), "Unexpected value.");  // the number 0, then the number 1
    EXPECT_EQ(failure("{1:2}"), "Expected a \"STRING\" or a '}', not '1'");
    EXPECT_EQ(failure("[1:2]"), "Expected a comma or a ']', not ':'");
    EXPECT_EQ(failure("[:]"), "Expected a value or a ']', not ':'");
    EXPECT_EQ(failure("{\"a\":1 \"b\":2}"), "Unexpected string.");
    EXPECT_EQ(failure("[tru ]"),
        "Unexpected token, wanted '{', '}', '[', ']', ',', ':', 'true', 'false', 'null', '\"STRING\"', 'NUMBER'.");
    EXPECT_EQ(failure("[1, "), "Reached the end of the buffer.");
    EXPECT_EQ(failure("[true"),
        "Unexpected token, wanted '{', '}', '[', ']', ',', ':', 'true', 'false', 'null', "
        "'\"STRING\"', 'NUMBER'.");
}

TEST(JSONDecoderStructure, LaterDuplicateKeyWins)
{
    Outcome outcome = decode("{\"a\":1,\"a\":2}");
    const zt::JCDictionary& dictionary = outcome.value->dictionaryRef();
    EXPECT_EQ(dictionary.count(), 1u);
    EXPECT_EQ(*dictionary.objectForKey("a")->int64Value(), 2);
}

TEST(JSONDecoderStructure, LiteralsAndNesting)
{
    Outcome outcome = decode("{\"list\": [true, false, null, {\"deep\": []}], \"text\": \"x\"}");
    ASSERT_TRUE(outcome.value);
    const zt::JCDictionary& top = outcome.value->dictionaryRef();
    const zt::JCArray& list = top.objectForKey("list")->arrayRef();
    EXPECT_EQ(list.objectAtIndex(0), zt::JCValue(true));
    EXPECT_EQ(list.objectAtIndex(1), zt::JCValue(false));
    EXPECT_TRUE(list.objectAtIndex(2).isNull());
    EXPECT_EQ(list.objectAtIndex(3).dictionaryRef().objectForKey("deep")->arrayRef().count(), 0u);
    EXPECT_EQ(top.objectForKey("missing"), nullptr);
}

TEST(JSONDecoderStrings, EscapesAndSurrogatePairs)
{
    EXPECT_EQ(stringIn(R"(["\"\\\/\b\f\n\r\t"])"), "\"\\/\b\f\n\r\t");
    EXPECT_EQ(stringIn(R"(["\u00e9\u20AC"])"), "\u00e9\u20ac");
    EXPECT_EQ(stringIn(R"(["\ud83d\ude00"])"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(failure(R"(["\q"])"), "Invalid escape sequence found in \"\" string.");
    EXPECT_EQ(failure(R"(["\u12g4"])"),
        "Unexpected character found in \\u Unicode escape sequence.  Found 'g', expected [0-9a-fA-F].");
}

TEST(JSONDecoderStrings, IllegalEscapesFailStrictlyAndBecomeReplacementsLoosely)
{
    EXPECT_EQ(failure(R"(["\u0000"])"), "Illegal \\u Unicode escape sequence.");
    EXPECT_EQ(stringIn(R"(["\u0000"])", zt::JCParseLooseUnicode), "\uFFFD");
    EXPECT_EQ(failure(R"(["\ud83d"])"),
        "Required a second \\u Unicode escape sequence following a surrogate \\u Unicode escape sequence.");
    EXPECT_EQ(stringIn(R"(["\ud83d"])", zt::JCParseLooseUnicode), "\uFFFD");
    EXPECT_EQ(failure(R"(["\ude00"])"), "Illegal \\u Unicode escape sequence.");
    EXPECT_EQ(failure(R"(["\ud83d\u0041"])"), "Illegal \\u Unicode escape sequence.");
    EXPECT_EQ(failure(R"(["\uFFFE"])"), "Illegal \\u Unicode escape sequence.");
    // Loose text reads what follows a lone high surrogate again.
    EXPECT_EQ(stringIn(R"(["\ud83d\n"])", zt::JCParseLooseUnicode), "\uFFFD\n");
    EXPECT_EQ(stringIn(R"(["\ud83dx"])", zt::JCParseLooseUnicode), "\uFFFDx");
    EXPECT_EQ(stringIn(R"(["\ud83d\u0041"])", zt::JCParseLooseUnicode), "\uFFFDA");
    EXPECT_EQ(stringIn(R"(["\ud83d\ud83d\ude00"])", zt::JCParseLooseUnicode), "\uFFFD\xF0\x9F\x98\x80");
    EXPECT_EQ(stringIn(R"(["\ud83d\uFFFE"])", zt::JCParseLooseUnicode), "\uFFFD\uFFFD");
}

TEST(JSONDecoderStrings, RawBytesAreCheckedAsUtf8)
{
    EXPECT_EQ(failure("[\"a\nb\"]"), "Invalid character < 0x20 found in string: 0x0a.");
    EXPECT_EQ(failure("[\"\xC0\xAF\"]"), "Illegal UTF8 sequence found in \"\" string.");
    EXPECT_EQ(stringIn("[\"\xC0\xAF\"]", zt::JCParseLooseUnicode), "\uFFFD");
    EXPECT_EQ(stringIn("[\"a\xFF\xFE"
                       "b\"]",
                  zt::JCParseLooseUnicode),
        "a\uFFFD\uFFFDb");
    EXPECT_EQ(failure("[\"\xED\xA0\x80\"]"), "Illegal UTF8 sequence found in \"\" string.");  // a surrogate
    EXPECT_EQ(failure("[\"\xEF\xBF\xBE\"]"), "Illegal UTF8 sequence found in \"\" string.");  // U+FFFE
    EXPECT_EQ(failure("[\"\xE2\x82"), "End of buffer reached while parsing UTF8 in \"\" string.");
    EXPECT_EQ(failure("[\"abc"), "Invalid string.");
    EXPECT_EQ(stringIn("[\"caf\xC3\xA9 \xF0\x9F\x98\x80\"]"), "caf\xC3\xA9 \xF0\x9F\x98\x80");
}

TEST(JSONDecoderStrings, LongStringsWithEscapesGrowTheBuffer)
{
    std::string expected;
    std::string text = "[\"";
    for (int i = 0; i < 5000; ++i) {
        text += "ab\\n\\u00e9";
        expected += "ab\n\xC3\xA9";
    }
    text += "\"]";
    EXPECT_EQ(stringIn(text), expected);
}

TEST(JSONDecoderNumbers, IntegersAtTheSixtyFourBitLimits)
{
    const zt::JCValue largest = only(decode("[9223372036854775807]"));
    EXPECT_EQ(largest.type(), zt::JCValue::Type::Integer);
    EXPECT_EQ(*largest.int64Value(), INT64_MAX);
    const zt::JCValue unsignedValue = only(decode("[9223372036854775808]"));
    EXPECT_EQ(unsignedValue.type(), zt::JCValue::Type::UnsignedInteger);
    EXPECT_EQ(*unsignedValue.uint64Value(), 9223372036854775808u);
    EXPECT_EQ(*only(decode("[18446744073709551615]")).uint64Value(), UINT64_MAX);
    EXPECT_EQ(*only(decode("[-9223372036854775808]")).int64Value(), INT64_MIN);
    EXPECT_EQ(failure("[18446744073709551616]"),
        "The value '18446744073709551616' exceeded the maximum value that could be represented: "
        "18446744073709551615.");
    EXPECT_EQ(failure("[-9223372036854775809]"),
        "The value '-9223372036854775809' exceeded the minimum value that could be represented: "
        "-9223372036854775808.");
}

TEST(JSONDecoderNumbers, RealsAndTheirLimits)
{
    const zt::JCValue negativeZero = only(decode("[-0]"));
    EXPECT_EQ(negativeZero.type(), zt::JCValue::Type::Real);
    EXPECT_TRUE(std::signbit(*negativeZero.doubleValue()));
    EXPECT_EQ(only(decode("[0]")).type(), zt::JCValue::Type::Integer);
    EXPECT_EQ(*only(decode("[-0.5e+3]")).doubleValue(), -500.0);
    EXPECT_EQ(*only(decode("[0.1]")).doubleValue(), 0.1);
    EXPECT_EQ(*only(decode("[2.2250738585072014e-308]")).doubleValue(), 2.2250738585072014e-308);
    EXPECT_EQ(*only(decode("[1.7976931348623157e308]")).doubleValue(), 1.7976931348623157e308);
    EXPECT_EQ(*only(decode("[123456789012345678901234567890.5]")).doubleValue(), 1.2345678901234568e29);
    EXPECT_EQ(failure("[1e999]"), "The value '1e999' could not be represented as a 'double' due to overflow.");
    EXPECT_EQ(failure("[1e-999]"), "The value '1e-999' could not be represented as a 'double' due to underflow.");
    // The C library reports subnormal results as range errors too.
    EXPECT_EQ(failure("[4.9e-324]"), "The value '4.9e-324' could not be represented as a 'double' due to overflow.");
    EXPECT_EQ(*only(decode("[0e999]")).doubleValue(), 0.0);
}

TEST(JSONDecoderNumbers, LongExponentsAreReadInFull)
{
    // A million leading zeros in the fraction offset most of a ten-million exponent: 1e9000005 overflows.
    const std::string number = "0." + std::string(999999, '0') + "1e10000005";
    EXPECT_EQ(failure("[" + number + "]"),
        "The value '" + number + "' could not be represented as a 'double' due to overflow.");
    EXPECT_EQ(*only(decode("[0." + std::string(999999, '0') + "1e1000005]")).doubleValue(), 1e5);
}

TEST(JSONDecoderNumbers, MalformedNumbers)
{
    EXPECT_EQ(failure("[-]"), "Invalid number.");
    EXPECT_EQ(failure("[1.]"), "Invalid number.");
    EXPECT_EQ(failure("[1.e5]"), "Invalid number.");
    EXPECT_EQ(failure("[1e]"), "Invalid number.");
    EXPECT_EQ(failure("[1"), "Invalid number.");  // no byte proves the number complete
    EXPECT_EQ(failure("[+1]"),
        "Unexpected token, wanted '{', '}', '[', ']', ',', ':', 'true', 'false', 'null', "
        "'\"STRING\"', 'NUMBER'.");
}

TEST(JSONDecoderWhitespace, CommentsOnlyWhenAllowed)
{
    EXPECT_EQ(failure("[1, /* two */ 2]"),
        "Unexpected token, wanted '{', '}', '[', ']', ',', ':', 'true', "
        "'false', 'null', '\"STRING\"', 'NUMBER'.");
    Outcome outcome = decode("[1, /* two */ 2, // three\n 3] // end", zt::JCParseAllowComments);
    ASSERT_TRUE(outcome.value);
    EXPECT_EQ(outcome.value->arrayRef().count(), 3u);
    EXPECT_TRUE(decode("{} /* never closed", zt::JCParseAllowComments).value);
}

TEST(JSONDecoderWhitespace, ErrorsCarryTheLineAndIndex)
{
    Outcome outcome = decode("[1,\r\n2,\n  x]");
    ASSERT_FALSE(outcome.value);
    EXPECT_EQ(outcome.error.userInfo().getInt64("JCLineNumberKey"), 3);
    EXPECT_EQ(outcome.error.userInfo().getInt64("JCAtIndexKey"), 10);
    Outcome commented = decode("[1, /*\n\n*/ x]", zt::JCParseAllowComments);
    EXPECT_EQ(commented.error.userInfo().getInt64("JCLineNumberKey"), 3);
}

TEST(JSONDecoderWhitespace, UnicodeLineBreaksOnlyWithTheirOption)
{
    const std::string text = "[1,\xE2\x80\xA8 x]";
    EXPECT_EQ(decode(text).error.userInfo().getInt64("JCLineNumberKey"), 1);
    EXPECT_EQ(decode(text, zt::JCParseUnicodeNewlines).error.userInfo().getInt64("JCLineNumberKey"), 2);
    EXPECT_TRUE(decode("[1,\xC2\x85 2]", zt::JCParseUnicodeNewlines).value);
}

TEST(JSONDecoderDepth, NestingIsLimited)
{
    auto nested = [](size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); };
    EXPECT_TRUE(decode(nested(zt::JCMaximumNestingDepth)).value);
    EXPECT_EQ(failure(nested(zt::JCMaximumNestingDepth + 1)),
        "Nesting too deep: arrays and objects may nest at most 512 levels.");
    EXPECT_EQ(failure(std::string(1000000, '[')), "Nesting too deep: arrays and objects may nest at most 512 levels.");
    EXPECT_EQ(failure(std::string(200000, '{')), "Expected a \"STRING\" or a '}', not '{'");
}

TEST(JSONDecoderCache, RepeatedStringsShareOneObject)
{
    zt::JSONDecoder decoder;
    const std::string text = R"([{"a rather long key name": "and a value long enough to be an object"},
                                 {"a rather long key name": "and a value long enough to be an object"}])";
    auto first = decoder.objectWithUTF8String(text.data(), text.size());
    auto second = decoder.objectWithUTF8String(text.data(), text.size());
    auto keyOf = [](const zt::JCValue& array, size_t index) {
        std::vector<zt::JCValue> keys(1);
        array.arrayRef().objectAtIndex(index).dictionaryRef().getObjects(nullptr, keys.data());
        return keys[0];
    };
    EXPECT_TRUE(keyOf(*first, 0).isSameObject(keyOf(*first, 1)));
    EXPECT_TRUE(keyOf(*first, 0).isSameObject(keyOf(*second, 0)));
    const zt::JCValue value
        = *first->arrayRef().objectAtIndex(0).dictionaryRef().objectForKey("a rather long key name");
    EXPECT_TRUE(value.isSameObject(
        *second->arrayRef().objectAtIndex(1).dictionaryRef().objectForKey("a rather long key name")));

    decoder.clearCache();
    auto third = decoder.objectWithUTF8String(text.data(), text.size());
    EXPECT_FALSE(keyOf(*third, 0).isSameObject(keyOf(*first, 0)));
    EXPECT_EQ(*third, *first);
}

TEST(JSONDecoderCache, SeparateCallsShareNothing)
{
    const std::string text = R"(["a string long enough to be an object"])";
    auto first = zt::objectFromJSONString(text);
    auto second = zt::objectFromJSONString(text);
    EXPECT_FALSE(first->arrayRef().objectAtIndex(0).isSameObject(second->arrayRef().objectAtIndex(0)));
}

TEST(JSONDecoderCache, OneCallSharesRepeatedStringsAndTheyOutliveTheirTree)
{
    // The category operations' cache lives in the parse's own memory: what
    // it shares must stay valid after the decoder, and after the rest of the
    // tree, has gone.
    const std::string text = R"([{"a rather long key name": "and a value long enough to be an object"},
                                 {"a rather long key name": "and a value long enough to be an object"},
                                 ["another string long enough to be an object", 1, {"k": []}]])";
    std::optional<zt::JCValue> kept;
    std::optional<zt::JCValue> keptFromNested;
    {
        auto tree = zt::objectFromJSONString(text);
        ASSERT_TRUE(tree);
        const zt::JCArray& top = tree->arrayRef();
        const zt::JCValue* first = top.objectAtIndex(0).dictionaryRef().objectForKey("a rather long key name");
        const zt::JCValue* second = top.objectAtIndex(1).dictionaryRef().objectForKey("a rather long key name");
        ASSERT_TRUE(first && second);
        EXPECT_TRUE(first->isSameObject(*second));
        kept = *first;
        keptFromNested = top.objectAtIndex(2).arrayRef().objectAtIndex(0);
    }
    EXPECT_EQ(*kept->stringValue(), "and a value long enough to be an object");
    EXPECT_EQ(*keptFromNested->stringValue(), "another string long enough to be an object");
}

TEST(JSONDecoderCache, TreesMayDieOnAnotherThreadWhileTheirStringsLiveOn)
{
    std::string text = "[";
    for (int i = 0; i < 2000; ++i)
        text += std::string(i == 0 ? "" : ",") + R"({"name": "an entry long enough to be an object )"
            + std::to_string(i % 50) + R"(", "list": [1, 2, {"x": null}]})";
    text += "]";
    auto tree = zt::objectFromJSONString(text);
    ASSERT_TRUE(tree);
    const zt::JCValue kept = *tree->arrayRef().objectAtIndex(1999).dictionaryRef().objectForKey("name");
    std::thread([doomed = std::move(*tree)]() mutable { doomed = zt::JCValue(); }).join();
    tree.reset();
    EXPECT_EQ(*kept.stringValue(), "an entry long enough to be an object 49");
}

TEST(JSONDecoderApi, ErrorOutParameterIsLeftAloneOnSuccess)
{
    plat::Error error("kept", 7, "as it was");
    auto value = zt::objectFromJSONDataWithParseOptions(plat::Data {'[', '1', ']'}, zt::JCParseStrict, &error);
    EXPECT_TRUE(value);
    EXPECT_EQ(error.domain(), "kept");
    EXPECT_FALSE(zt::objectFromJSONData(plat::Data {}));
}

TEST(JSONDecoderApi, MutableOperationsGiveMutableContainers)
{
    auto immutable = zt::objectFromJSONString(R"({"list": [1]})");
    auto mutableValue = zt::mutableObjectFromJSONString(R"({"list": [1]})");
    EXPECT_FALSE(immutable->dictionaryRef().isMutable());
    EXPECT_FALSE(immutable->dictionaryRef().objectForKey("list")->arrayRef().isMutable());
    ASSERT_TRUE(mutableValue->dictionaryRef().isMutable());
    mutableValue->dictionaryRef().setObject(zt::JCValue(int64_t(2)), "added");
    mutableValue->dictionaryRef().objectForKey("list")->arrayRef().insertObject(zt::JCValue("x"), 0);
    EXPECT_EQ(mutableValue->debugDescription().find("\"added\": 2") != std::string::npos, true);
    EXPECT_EQ(mutableValue->dictionaryRef().objectForKey("list")->arrayRef().count(), 2u);
}

TEST(JSONDecoderDeathTest, MisuseAborts)
{
    EXPECT_DEATH(zt::JSONDecoder decoder(16), "Invalid parse options.");
    EXPECT_DEATH(
        {
            zt::JSONDecoder decoder;
            (void)decoder.objectWithUTF8String(nullptr, 3);
        },
        "The string argument is NULL.");
    auto immutable = zt::objectFromJSONString(R"({"a": 1})");
    EXPECT_DEATH(
        immutable->dictionaryRef().setObject(zt::JCValue(int64_t(1)), "b"), "mutating method sent to immutable object");
}

}  // namespace
