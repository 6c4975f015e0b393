#include "platform/foundation/PropertyList.h"

#include <cmath>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <limits>
#include <malloc.h>
#include <unistd.h>

#include "platform/foundation/Files.h"
#include "support/PythonScript.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::Array;
using plat::Data;
using plat::Date;
using plat::Dictionary;
using plat::PropertyListFormat;
using plat::PropertyListSerialization;
using plat::Value;

Data bytesOf(std::string_view text)
{
    return Data(text.begin(), text.end());
}

std::string textOf(const Data& data)
{
    return std::string(data.begin(), data.end());
}

// A binary list made by hand: objects in order, one-byte references,
// four-byte offsets.
Data binaryList(const std::vector<Data>& objects, uint64_t top = 0, uint64_t declaredCount = 0)
{
    Data out = bytesOf("bplist00");
    std::vector<uint32_t> offsets;
    for (const Data& object : objects) {
        offsets.push_back(static_cast<uint32_t>(out.size()));
        out.insert(out.end(), object.begin(), object.end());
    }
    uint64_t tableOffset = out.size();
    for (uint32_t offset : offsets) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out.push_back(static_cast<uint8_t>(offset >> shift));
    }
    Data trailer(32, 0);
    trailer[6] = 4;
    trailer[7] = 1;
    uint64_t count = declaredCount ? declaredCount : objects.size();
    for (int i = 0; i < 8; ++i) {
        trailer[8 + i] = static_cast<uint8_t>(count >> (56 - 8 * i));
        trailer[16 + i] = static_cast<uint8_t>(top >> (56 - 8 * i));
        trailer[24 + i] = static_cast<uint8_t>(tableOffset >> (56 - 8 * i));
    }
    out.insert(out.end(), trailer.begin(), trailer.end());
    return out;
}

Value sampleList()
{
    Dictionary nested {{"empty array", Array()}, {"empty dictionary", Dictionary()},
        {"list", Array {1, "two", 3.5, Array {Array {}}, Dictionary {{"deep", true}}}}};
    return Dictionary {
        {"true", true},
        {"false", false},
        {"zero", 0},
        {"negative", -42},
        {"min", std::numeric_limits<int64_t>::min()},
        {"max", std::numeric_limits<int64_t>::max()},
        {"real", 0.1},
        {"negative real", -1234.5625},
        {"string", "plain"},
        {"empty string", ""},
        {"unicode", "h\xC3\xA9llo \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80"},
        {"markup", "<a & b>"},
        {"data", Data {0, 1, 2, 0xFF}},
        {"empty data", Data {}},
        {"date", Date::withTimeIntervalSinceReferenceDate(86400)},
        {"nested", nested},
    };
}

class PropertyListRoundTrip : public ::testing::TestWithParam<PropertyListFormat> { };

TEST_P(PropertyListRoundTrip, KeepsEveryValueType)
{
    Value original = sampleList();
    auto bytes = PropertyListSerialization::dataWithPropertyList(original, GetParam());
    ASSERT_TRUE(bytes.ok()) << bytes.error().description();
    PropertyListFormat format = PropertyListFormat::OpenStep;
    auto read = PropertyListSerialization::propertyListWithData(bytes.value(), &format);
    ASSERT_TRUE(read.ok()) << read.error().description();
    EXPECT_EQ(format, GetParam());
    EXPECT_EQ(read.value(), original) << read.value().debugDescription();
    auto dictionary = read.value().asDictionary();
    ASSERT_TRUE(dictionary.has_value());
    EXPECT_TRUE(dictionary->get("negative").isInteger());
    EXPECT_TRUE(dictionary->get("real").isReal());
    EXPECT_TRUE(dictionary->get("true").isBoolean());
}

TEST_P(PropertyListRoundTrip, KeepsScalarRoots)
{
    for (const Value& root : {Value("text"), Value(-7), Value(2.5), Value(Data {9})}) {
        auto bytes = PropertyListSerialization::dataWithPropertyList(root, GetParam());
        ASSERT_TRUE(bytes.ok()) << bytes.error().description();
        auto read = PropertyListSerialization::propertyListWithData(bytes.value());
        ASSERT_TRUE(read.ok()) << read.error().description();
        EXPECT_EQ(read.value(), root);
    }
}

TEST_P(PropertyListRoundTrip, KeepsTheSignOfZeroAndWideUnsignedIntegers)
{
    Array values {
        -0.0, 0.0, std::numeric_limits<uint64_t>::max(), uint64_t {1} << 63, std::numeric_limits<int64_t>::min()};
    auto bytes = PropertyListSerialization::dataWithPropertyList(values, GetParam());
    ASSERT_TRUE(bytes.ok()) << bytes.error().description();
    auto read = PropertyListSerialization::propertyListWithData(bytes.value());
    ASSERT_TRUE(read.ok()) << read.error().description();
    auto array = *read.value().asArray();
    ASSERT_EQ(array.count(), 5u);
    EXPECT_TRUE(std::signbit(*array.at(0).doubleValue()));
    EXPECT_FALSE(std::signbit(*array.at(1).doubleValue()));
    EXPECT_TRUE(array.at(2).isInteger());
    EXPECT_EQ(array.at(2).uint64Value(), std::numeric_limits<uint64_t>::max());
    EXPECT_EQ(array.at(3).uint64Value(), uint64_t {1} << 63);
    EXPECT_EQ(array.at(4).int64Value(), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(read.value(), Value(values));
}

TEST_P(PropertyListRoundTrip, KeepsDatesFarFromTheReferenceDate)
{
    // 1900-01-01, 2100-01-01, 9999-12-31T23:59:59 and 0001-01-01.
    Array dates {Date::withTimeIntervalSinceReferenceDate(-3187296000.0),
        Date::withTimeIntervalSinceReferenceDate(3124137600.0),
        Date::withTimeIntervalSinceReferenceDate(252423993599.0),
        Date::withTimeIntervalSinceReferenceDate(-63113904000.0)};
    auto bytes = PropertyListSerialization::dataWithPropertyList(dates, GetParam());
    ASSERT_TRUE(bytes.ok()) << bytes.error().description();
    auto read = PropertyListSerialization::propertyListWithData(bytes.value());
    ASSERT_TRUE(read.ok()) << read.error().description();
    EXPECT_EQ(read.value(), Value(dates)) << read.value().debugDescription();
}

TEST_P(PropertyListRoundTrip, KeepsNaNAndInfinities)
{
    Array reals {std::nan(""), std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    auto bytes = PropertyListSerialization::dataWithPropertyList(reals, GetParam());
    ASSERT_TRUE(bytes.ok()) << bytes.error().description();
    auto read = PropertyListSerialization::propertyListWithData(bytes.value());
    ASSERT_TRUE(read.ok()) << read.error().description();
    auto array = *read.value().asArray();
    ASSERT_EQ(array.count(), 3u);
    EXPECT_TRUE(std::isnan(*array.at(0).doubleValue()));
    EXPECT_EQ(*array.at(1).doubleValue(), std::numeric_limits<double>::infinity());
    EXPECT_EQ(*array.at(2).doubleValue(), -std::numeric_limits<double>::infinity());
}

TEST_P(PropertyListRoundTrip, RefusesNullsObjectsAndBadStrings)
{
    for (const Value& bad : {Value(), Value(Array {1, Value()}), Value(std::string("a\0b", 3)), Value("\xC3"),
             Value(Dictionary {{"\xFF", 1}})}) {
        auto bytes = PropertyListSerialization::dataWithPropertyList(bad, GetParam());
        ASSERT_FALSE(bytes.ok()) << bad.debugDescription();
        EXPECT_EQ(bytes.error().code(), plat::kPropertyListWriteInvalidError);
    }
}

TEST_P(PropertyListRoundTrip, RefusesContainersThatHoldThemselves)
{
    Array loop {1};
    loop.append(loop);
    auto bytes = PropertyListSerialization::dataWithPropertyList(loop, GetParam());
    EXPECT_FALSE(bytes.ok());
    loop.removeAll();  // break the reference cycle so the test does not leak
}

INSTANTIATE_TEST_SUITE_P(BothFormats, PropertyListRoundTrip,
    ::testing::Values(PropertyListFormat::XML, PropertyListFormat::Binary),
    [](const auto& parameter) { return parameter.param == PropertyListFormat::XML ? "XML" : "Binary"; });

TEST(PropertyListDates, BinaryKeepsFractionsOnBothSidesOfTheReferenceDate)
{
    Array dates {Date::withTimeIntervalSinceReferenceDate(12.25), Date::withTimeIntervalSinceReferenceDate(-1.5),
        Date::withTimeIntervalSinceReferenceDate(-86400.75)};
    auto bytes = PropertyListSerialization::dataWithPropertyList(dates, PropertyListFormat::Binary);
    ASSERT_TRUE(bytes.ok());
    auto read = PropertyListSerialization::propertyListWithData(bytes.value());
    ASSERT_TRUE(read.ok());
    auto array = *read.value().asArray();
    EXPECT_EQ(array.at(0).asDate()->timeIntervalSinceReferenceDate(), 12.25);
    EXPECT_EQ(array.at(1).asDate()->timeIntervalSinceReferenceDate(), -1.5);
    EXPECT_EQ(array.at(2).asDate()->timeIntervalSinceReferenceDate(), -86400.75);
}

TEST(PropertyListDates, XMLHoldsWholeSeconds)
{
    auto bytes = PropertyListSerialization::dataWithPropertyList(
        Array {Date::withTimeIntervalSinceReferenceDate(12.75), Date::withTimeIntervalSinceReferenceDate(-3600)},
        PropertyListFormat::XML);
    ASSERT_TRUE(bytes.ok());
    EXPECT_NE(textOf(bytes.value()).find("<date>2001-01-01T00:00:12Z</date>"), std::string::npos);
    EXPECT_NE(textOf(bytes.value()).find("<date>2000-12-31T23:00:00Z</date>"), std::string::npos);
    auto read = PropertyListSerialization::propertyListWithData(bytes.value());
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.value().asArray()->at(0).asDate()->timeIntervalSinceReferenceDate(), 12);
    EXPECT_EQ(read.value().asArray()->at(1).asDate()->timeIntervalSinceReferenceDate(), -3600);
}

TEST(PropertyListDates, XMLWritesADateBefore2001AsTheSecondItFallsIn)
{
    auto bytes = PropertyListSerialization::dataWithPropertyList(
        Array {Date::withTimeIntervalSinceReferenceDate(-0.5), Date::withTimeIntervalSinceReferenceDate(-86400.75),
            Date::withTimeIntervalSinceReferenceDate(-1e-6)},
        PropertyListFormat::XML);
    ASSERT_TRUE(bytes.ok());
    std::string text = textOf(bytes.value());
    EXPECT_NE(text.find("<date>2000-12-31T23:59:59Z</date>"), std::string::npos) << text;
    EXPECT_NE(text.find("<date>2000-12-30T23:59:59Z</date>"), std::string::npos) << text;
    EXPECT_EQ(text.find("2001-01-01T00:00:00Z"), std::string::npos) << text;
    auto read = PropertyListSerialization::propertyListWithData(bytes.value());
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.value().asArray()->at(0).asDate()->timeIntervalSinceReferenceDate(), -1);
    EXPECT_EQ(read.value().asArray()->at(1).asDate()->timeIntervalSinceReferenceDate(), -86401);
}

TEST(PropertyListDates, XMLReadsTheFullRangeOfItsForm)
{
    auto read = PropertyListSerialization::propertyListWithData(
        bytesOf("<plist><array><date>1900-01-01T00:00:00Z</date><date>2100-01-01T00:00:00Z</date>"
                "<date>9999-12-31T23:59:59Z</date><date>1600-02-29T12:30:15Z</date>"
                "<date>1970-01-01T00:00:00Z</date></array></plist>"));
    ASSERT_TRUE(read.ok()) << read.error().description();
    auto array = *read.value().asArray();
    EXPECT_EQ(array.at(0).asDate()->timeIntervalSinceReferenceDate(), -3187296000.0);
    EXPECT_EQ(array.at(1).asDate()->timeIntervalSinceReferenceDate(), 3124137600.0);
    EXPECT_EQ(array.at(2).asDate()->timeIntervalSinceReferenceDate(), 252423993599.0);
    EXPECT_EQ(array.at(3).asDate()->timeIntervalSinceReferenceDate(), -12649260585.0);
    EXPECT_EQ(array.at(4).asDate()->timeIntervalSince1970(), 0.0);
}

TEST(PropertyListDates, XMLRefusesDatesItsFormCannotHoldButBinaryKeepsThem)
{
    Value beyond = Date::withTimeIntervalSinceReferenceDate(252423993600.0);  // 10000-01-01
    auto xml = PropertyListSerialization::dataWithPropertyList(beyond, PropertyListFormat::XML);
    ASSERT_FALSE(xml.ok());
    EXPECT_EQ(xml.error().code(), plat::kPropertyListWriteInvalidError);
    auto binary = PropertyListSerialization::dataWithPropertyList(beyond, PropertyListFormat::Binary);
    ASSERT_TRUE(binary.ok());
    EXPECT_EQ(PropertyListSerialization::propertyListWithData(binary.value()).value(), beyond);
}

TEST(PropertyListWriting, XMLHasThePlatformHeaderAndSortedKeys)
{
    auto bytes = PropertyListSerialization::dataWithPropertyList(
        Dictionary {{"zebra", 1}, {"apple", -2}}, PropertyListFormat::XML);
    ASSERT_TRUE(bytes.ok());
    std::string text = textOf(bytes.value());
    EXPECT_TRUE(text.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                 "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                                 "<plist version=\"1.0\">\n"))
        << text;
    EXPECT_LT(text.find("<key>apple</key>"), text.find("<key>zebra</key>"));
    EXPECT_NE(text.find("<integer>-2</integer>"), std::string::npos);
}

TEST(PropertyListWriting, BinaryStartsWithItsMagic)
{
    auto bytes = PropertyListSerialization::dataWithPropertyList(Array {1}, PropertyListFormat::Binary);
    ASSERT_TRUE(bytes.ok());
    EXPECT_TRUE(textOf(bytes.value()).starts_with("bplist00"));
    EXPECT_FALSE(PropertyListSerialization::dataWithPropertyList(Array {1}, PropertyListFormat::OpenStep).ok());
}

class PropertyListWithPython : public ::testing::Test {
protected:
    plat::test::TemporaryFolder folder;
};

TEST_F(PropertyListWithPython, ReadsListsThatPythonWrites)
{
    auto result = plat::test::runPython(folder.path(), R"(
import datetime, plistlib, sys
value = {
    "int": -5, "big": 2**64 - 1, "max": 2**63 - 1, "min": -2**63, "real": 2.5, "negative zero": -0.0,
    "text": "caf\u00e9 \U0001F600", "empty": "", "bytes": b"\x00\x01\xff", "yes": True, "no": False,
    "when": datetime.datetime(2001, 1, 1, 0, 0, 10, 500000),
    "before": datetime.datetime(2000, 12, 31, 23, 59, 59, 500000),
    "far": [datetime.datetime(1900, 1, 1), datetime.datetime(2100, 1, 1), datetime.datetime(9999, 12, 31, 23, 59, 59)],
    "list": [1, [2, {"k": "v"}], []], "uid": plistlib.UID(7),
}
with open(sys.argv[1], "wb") as f:
    plistlib.dump({k: v for k, v in value.items() if k != "uid"}, f, fmt=plistlib.FMT_XML)
with open(sys.argv[2], "wb") as f:
    plistlib.dump(value, f, fmt=plistlib.FMT_BINARY)
)",
        {folder.path("python.xml"), folder.path("python.bplist")});
    ASSERT_EQ(result.exitCode, 0) << result.output;

    for (const char* name : {"python.xml", "python.bplist"}) {
        SCOPED_TRACE(name);
        auto dictionary = plat::dictionaryWithContentsOfFile(folder.path(name));
        ASSERT_TRUE(dictionary.has_value());
        EXPECT_EQ(dictionary->get("int"), Value(-5));
        EXPECT_TRUE(dictionary->get("big").isInteger());
        EXPECT_EQ(dictionary->get("big").uint64Value(), std::numeric_limits<uint64_t>::max());
        EXPECT_TRUE(std::signbit(*dictionary->get("negative zero").doubleValue()));
        EXPECT_EQ(dictionary->get("far"),
            Value(Array {Date::withTimeIntervalSinceReferenceDate(-3187296000.0),
                Date::withTimeIntervalSinceReferenceDate(3124137600.0),
                Date::withTimeIntervalSinceReferenceDate(252423993599.0)}));
        EXPECT_EQ(*dictionary->get("max").int64Value(), std::numeric_limits<int64_t>::max());
        EXPECT_EQ(*dictionary->get("min").int64Value(), std::numeric_limits<int64_t>::min());
        EXPECT_EQ(dictionary->get("real"), Value(2.5));
        EXPECT_EQ(dictionary->getString("text"), "caf\xC3\xA9 \xF0\x9F\x98\x80");
        EXPECT_EQ(dictionary->getString("empty"), "");
        EXPECT_EQ(dictionary->getData("bytes"), (Data {0, 1, 0xFF}));
        EXPECT_EQ(dictionary->get("yes"), Value(true));
        EXPECT_EQ(dictionary->get("no"), Value(false));
        EXPECT_EQ(dictionary->get("list"), Value(Array {1, Array {2, Dictionary {{"k", "v"}}}, Array {}}));
    }
    auto xml = plat::dictionaryWithContentsOfFile(folder.path("python.xml"));
    EXPECT_EQ(xml->getDate("when")->timeIntervalSinceReferenceDate(), 10);
    EXPECT_EQ(xml->getDate("before")->timeIntervalSinceReferenceDate(), -1);
    auto binary = plat::dictionaryWithContentsOfFile(folder.path("python.bplist"));
    EXPECT_EQ(binary->getDate("when")->timeIntervalSinceReferenceDate(), 10.5);
    EXPECT_EQ(binary->getDate("before")->timeIntervalSinceReferenceDate(), -0.5);
    // Keyed-archive references read as the platform's XML shows them.
    EXPECT_EQ(binary->get("uid"), Value(Dictionary {{"CF$UID", 7}}));
}

TEST_F(PropertyListWithPython, PythonReadsWhatWeWrite)
{
    Dictionary list {
        {"int", -5},
        {"min", std::numeric_limits<int64_t>::min()},
        {"max", std::numeric_limits<int64_t>::max()},
        {"big", std::numeric_limits<uint64_t>::max()},
        {"real", 0.1},
        {"negative zero", -0.0},
        {"text", "caf\xC3\xA9 \xF0\x9F\x98\x80 <&> ]]> \t line\r\nends\r"},
        {"empty", ""},
        {"bytes", Data {0, 1, 0xFF}},
        {"nothing", Data {}},
        {"yes", true},
        {"when", Date::withTimeIntervalSinceReferenceDate(10.5)},
        {"before", Date::withTimeIntervalSinceReferenceDate(-0.5)},
        {"far",
            Array {Date::withTimeIntervalSinceReferenceDate(-3187296000.0),
                Date::withTimeIntervalSinceReferenceDate(3124137600.0),
                Date::withTimeIntervalSinceReferenceDate(252423993599.0)}},
        {"list", Array {1, Array {}, Dictionary {{"k", "v"}}}},
        {"reference", Dictionary {{"CF$UID", 3}}},
        {"key <&> \xC3\xA9", 1},
    };
    ASSERT_TRUE(plat::writePropertyListFile(list, folder.path("ours.xml"), PropertyListFormat::XML).ok());
    ASSERT_TRUE(plat::writePropertyListFile(list, folder.path("ours.bplist"), PropertyListFormat::Binary).ok());
    auto result = plat::test::runPython(folder.path(), R"(
import datetime, math, plistlib, sys
for path, fraction in ((sys.argv[1], 0), (sys.argv[2], 500000)):
    with open(path, "rb") as f:
        value = plistlib.load(f)
    expected = {
        "int": -5, "min": -2**63, "max": 2**63 - 1, "big": 2**64 - 1, "real": 0.1, "negative zero": 0.0,
        "text": "caf\u00e9 \U0001F600 <&> ]]> \t line\r\nends\r", "empty": "", "bytes": b"\x00\x01\xff",
        "nothing": b"", "yes": True, "when": datetime.datetime(2001, 1, 1, 0, 0, 10, fraction),
        "before": datetime.datetime(2000, 12, 31, 23, 59, 59, fraction),
        "far": [datetime.datetime(1900, 1, 1), datetime.datetime(2100, 1, 1), datetime.datetime(9999, 12, 31, 23, 59, 59)],
        "list": [1, [], {"k": "v"}], "reference": {"CF$UID": 3}, "key <&> \u00e9": 1,
    }
    assert value == expected, (path, value)
    assert type(value["yes"]) is bool and type(value["real"]) is float
    assert math.copysign(1, value["negative zero"]) == -1, path
print("ok")
)",
        {folder.path("ours.xml"), folder.path("ours.bplist")});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output, "ok\n");
}

TEST_F(PropertyListWithPython, DamagedListsAreRefusedByBothReaders)
{
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {"integer with garbage", "<integer>12abc</integer>"},
        {"empty integer", "<integer></integer>"},
        {"real integer", "<integer>1.5</integer>"},
        {"100000 digits", "<integer>" + std::string(100000, '9') + "</integer>"},
        {"malformed date", "<date>not-a-date</date>"},
        {"month 13", "<date>2001-13-01T00:00:00Z</date>"},
        {"no leap day", "<date>2001-02-29T00:00:00Z</date>"},
        {"second 60", "<date>2001-01-01T00:00:60Z</date>"},
        {"date without zone", "<date>2001-01-01T00:00:00</date>"},
        {"malformed real", "<real>1.2.3e</real>"},
        {"empty real", "<real></real>"},
        {"one base64 digit", "<data>Q</data>"},
        {"key without value", "<dict><key>a</key></dict>"},
        {"two keys", "<dict><key>a</key><key>b</key><true/></dict>"},
        {"key in array", "<array><key>a</key></array>"},
        {"value without key", "<dict><true/></dict>"},
        {"control reference", "<string>&#1;</string>"},
    };
    std::vector<std::string> arguments;
    for (size_t i = 0; i < damaged.size(); ++i) {
        std::string text
            = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + damaged[i].second + "</plist>\n";
        std::string path = folder.path("damaged-" + std::to_string(i) + ".plist");
        ASSERT_TRUE(plat::writeFileAtomically(path, std::string_view(text)).ok());
        arguments.push_back(path);
        auto ours = plat::readPropertyListFile(path);
        EXPECT_FALSE(ours.ok()) << damaged[i].first << " read as " << ours.value().debugDescription().substr(0, 40);
    }
    auto result = plat::test::runPython(folder.path(), R"(
import plistlib, sys
for path in sys.argv[1:]:
    try:
        with open(path, "rb") as f:
            value = plistlib.load(f)
        print("accepted", path, repr(value)[:40])
    except Exception:
        pass
print("done")
)",
        arguments);
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output, "done\n");
}

Value readXMLValue(std::string_view element)
{
    auto read = PropertyListSerialization::propertyListWithData(
        bytesOf("<plist version=\"1.0\">" + std::string(element) + "</plist>"));
    EXPECT_TRUE(read.ok()) << element << ": " << (read.ok() ? "" : read.error().description());
    return read.ok() ? read.value() : Value();
}

void expectXMLRefused(std::string_view element)
{
    auto read = PropertyListSerialization::propertyListWithData(
        bytesOf("<plist version=\"1.0\">" + std::string(element) + "</plist>"));
    ASSERT_FALSE(read.ok()) << element.substr(0, 64) << " read as " << read.value().debugDescription().substr(0, 64);
    EXPECT_EQ(read.error().code(), plat::kPropertyListReadCorruptError);
}

TEST(PropertyListXML, ReadsIntegersExactlyOverBothRanges)
{
    Value max = readXMLValue("<integer>18446744073709551615</integer>");
    EXPECT_TRUE(max.isInteger());
    EXPECT_EQ(max.uint64Value(), std::numeric_limits<uint64_t>::max());
    EXPECT_EQ(readXMLValue("<integer>9223372036854775808</integer>").uint64Value(), uint64_t {1} << 63);
    EXPECT_EQ(
        readXMLValue("<integer>-9223372036854775808</integer>").int64Value(), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(readXMLValue("<integer>-1</integer>").int64Value(), -1);
    EXPECT_EQ(readXMLValue("<integer>+17</integer>").int64Value(), 17);
    EXPECT_EQ(readXMLValue("<integer> 42\n</integer>").int64Value(), 42);
    EXPECT_EQ(readXMLValue("<integer>0x7fFF</integer>").int64Value(), 32767);
    EXPECT_EQ(readXMLValue("<integer>-0</integer>").int64Value(), 0);
    EXPECT_EQ(readXMLValue("<integer>" + std::string(1000, '0') + "7</integer>").int64Value(), 7);
}

TEST(PropertyListXML, RefusesIntegersThatAreNotSixtyFourBits)
{
    for (std::string_view text : {"-9223372036854775809", "18446744073709551616", "99999999999999999999", "12abc", "",
             " ", "1.0", "1e3", "--1", "+-1", "0x", "0x1g", "-0x10", "1 2", "1_000", "\xEF\xBC\x91"}) {
        SCOPED_TRACE(text);
        expectXMLRefused("<integer>" + std::string(text) + "</integer>");
    }
    expectXMLRefused("<integer/>");
    expectXMLRefused("<integer>" + std::string(100000, '9') + "</integer>");
}

TEST(PropertyListXML, ReadsRealsWholeOrNotAtAll)
{
    EXPECT_EQ(*readXMLValue("<real>1.5</real>").doubleValue(), 1.5);
    EXPECT_EQ(*readXMLValue("<real> -.25 </real>").doubleValue(), -0.25);
    EXPECT_EQ(*readXMLValue("<real>5.</real>").doubleValue(), 5.0);
    EXPECT_EQ(*readXMLValue("<real>+1E3</real>").doubleValue(), 1000.0);
    EXPECT_EQ(*readXMLValue("<real>3</real>").doubleValue(), 3.0);
    EXPECT_TRUE(std::signbit(*readXMLValue("<real>-0.0</real>").doubleValue()));
    EXPECT_EQ(*readXMLValue("<real>1e400</real>").doubleValue(), std::numeric_limits<double>::infinity());
    EXPECT_EQ(*readXMLValue("<real>-1e400</real>").doubleValue(), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(*readXMLValue("<real>1e-400</real>").doubleValue(), 0.0);
    EXPECT_EQ(*readXMLValue("<real>0.0000001e-400</real>").doubleValue(), 0.0);
    EXPECT_EQ(*readXMLValue("<real>1000000e-310</real>").doubleValue(), 1e-304);
    EXPECT_EQ(*readXMLValue("<real>-Infinity</real>").doubleValue(), -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(*readXMLValue("<real>NaN</real>").doubleValue()));
    for (std::string_view text :
        {"1.2.3e", "", "1e", "e5", ".", "-", "1,5", "1_0", "0x1p3", "abc", "--1", "1e+", "nan(1)", "inf1", "1.5 2"}) {
        SCOPED_TRACE(text);
        expectXMLRefused("<real>" + std::string(text) + "</real>");
    }
}

TEST(PropertyListXML, RefusesMalformedDates)
{
    for (std::string_view text :
        {"not-a-date", "", "2001-13-01T00:00:00Z", "2001-00-10T00:00:00Z", "2001-02-29T00:00:00Z",
            "1900-02-29T00:00:00Z", "2001-04-31T00:00:00Z", "2001-01-01T24:00:00Z", "2001-01-01T00:60:00Z",
            "2001-01-01T00:00:60Z", "2001-01-01 00:00:00Z", "2001-01-01T00:00:00", "2001-01-01T00:00:00.5Z",
            "01-01-01T00:00:00Z", "+2001-01-01T00:00:00Z", "2001-1-01T00:00:00Z", "2001-01-01T00:00:00Zjunk"}) {
        SCOPED_TRACE(text);
        expectXMLRefused("<date>" + std::string(text) + "</date>");
    }
    EXPECT_EQ(
        readXMLValue("<date>2000-02-29T00:00:00Z</date>"), Value(Date::withTimeIntervalSinceReferenceDate(-26524800)));
}

TEST(PropertyListXML, ReadsDataOnlyWhenItIsBase64)
{
    EXPECT_EQ(readXMLValue("<data>AAEC/w==</data>"), Value(Data {0, 1, 2, 0xFF}));
    EXPECT_EQ(readXMLValue("<data>\n\tAA\n EC/w\r\n==\n</data>"), Value(Data {0, 1, 2, 0xFF}));
    EXPECT_EQ(readXMLValue("<data>QQ</data>"), Value(Data {'A'}));  // padding left out
    EXPECT_EQ(readXMLValue("<data>QUI=</data>"), Value(Data {'A', 'B'}));
    EXPECT_EQ(readXMLValue("<data/>"), Value(Data {}));
    // Python's reader skips what is not base 64 and reads the first two of
    // these as empty and "A"; they are damage all the same. Padding belongs
    // only after a short last group.
    for (std::string_view text :
        {"!!!!****", "QQ==QQ==", "Q", "QQ=", "QQ===", "QUJD=", "A-B_", "QUJD\x01", "====", "QUJD====", "QUJD=="}) {
        SCOPED_TRACE(text);
        expectXMLRefused("<data>" + std::string(text) + "</data>");
    }
}

TEST(PropertyListXML, RefusesKeysWithoutValuesAndKeysOutsideDictionaries)
{
    for (std::string_view text : {
             "<dict><key>a</key></dict>",
             "<dict><key>a</key><key>b</key><true/></dict>",
             "<dict><key>a</key><!-- no value --></dict>",
             "<array><key>a</key></array>",
             "<array><true/><key>a</key><false/></array>",
             "<key>a</key>",
             "<dict><true/></dict>",
             "<dict><key>a</key><true/><false/></dict>",
             "<dict>text<key>a</key><true/></dict>",
             "<array>text</array>",
             "<true>yes</true>",
             "<string>a<true/>b</string>",
             "<unknown/>",
             "<true/><true/>",
             "",
             "<plist><true/></plist>",
             "<array></dict>",
         }) {
        SCOPED_TRACE(text);
        expectXMLRefused(text);
    }
}

TEST(PropertyListXML, ReadsTextWithReferencesSectionsAndComments)
{
    EXPECT_EQ(
        readXMLValue("<string>&lt;&amp;&gt;&quot;&apos;&#65;&#x1F600;</string>"), Value("<&>\"'A\xF0\x9F\x98\x80"));
    EXPECT_EQ(readXMLValue("<string>a<![CDATA[<b>&amp;]]>c<!-- d -->e<?pi?></string>"), Value("a<b>&amp;ce"));
    EXPECT_EQ(readXMLValue("<string/>"), Value(""));
    EXPECT_EQ(readXMLValue("<dict><key/><string>x</string></dict>"), Value(Dictionary {{"", "x"}}));
    // Raw controls and line ends are read as they stand, as lists written
    // before controls were refused hold them.
    EXPECT_EQ(readXMLValue("<string>a\x01\r\nb</string>"), Value("a\x01\r\nb"));
    // A repeated key: the last one counts.
    EXPECT_EQ(readXMLValue("<dict><key>k</key><integer>1</integer><key>k</key><integer>2</integer></dict>"),
        Value(Dictionary {{"k", 2}}));
    // A bare value without the plist element.
    auto bare
        = PropertyListSerialization::propertyListWithData(bytesOf("<?xml version=\"1.0\"?><array><true/></array>"));
    ASSERT_TRUE(bare.ok());
    EXPECT_EQ(bare.value(), Value(Array {true}));
    for (std::string_view text : {"<string>&#0;</string>", "<string>&#1;</string>", "<string>&#xD800;</string>",
             "<string>&#xFFFE;</string>", "<string>&#x110000;</string>", "<string>&#99999999999;</string>",
             "<string>&nbsp;</string>", "<string>a & b</string>", "<string>&#;</string>", "<string>&#x;</string>",
             "<string>open", "<string>a<![CDATA[b</string>"}) {
        SCOPED_TRACE(text);
        expectXMLRefused(text);
    }
}

TEST(PropertyListXML, RefusesToWriteCharactersXMLDoesNotAllow)
{
    for (const Value& bad : {Value("a\x01"
                                   "b"),
             Value("\x1F"), Value("\x0B"), Value("\x7F\xEF\xBF\xBE"), Value("\xEF\xBF\xBF"),
             Value(Dictionary {{"key\x02", 1}}), Value(Array {"fine", Array {"\x08"}})}) {
        auto bytes = PropertyListSerialization::dataWithPropertyList(bad, PropertyListFormat::XML);
        ASSERT_FALSE(bytes.ok()) << bad.debugDescription();
        EXPECT_EQ(bytes.error().code(), plat::kPropertyListWriteInvalidError);
        EXPECT_NE(bytes.error().localizedDescription().find("XML does not allow"), std::string::npos);
        // The binary form holds them.
        auto binary = PropertyListSerialization::dataWithPropertyList(bad, PropertyListFormat::Binary);
        ASSERT_TRUE(binary.ok()) << bad.debugDescription();
        EXPECT_EQ(PropertyListSerialization::propertyListWithData(binary.value()).value(), bad);
    }
    auto error = PropertyListSerialization::dataWithPropertyList(Value("a\x01"
                                                                       "b"),
        PropertyListFormat::XML);
    EXPECT_NE(error.error().localizedDescription().find("U+0001"), std::string::npos);
    // Tab, line feed, carriage return and the characters around the forbidden ones are fine.
    Value allowed("\t\n\r \x7F \xEF\xBF\xBD \xF0\x90\x80\x80");
    auto bytes = PropertyListSerialization::dataWithPropertyList(allowed, PropertyListFormat::XML);
    ASSERT_TRUE(bytes.ok());
    EXPECT_EQ(PropertyListSerialization::propertyListWithData(bytes.value()).value(), allowed);
}

std::string nestedXMLArrays(int depth)
{
    std::string text = "<plist version=\"1.0\">";
    for (int i = 0; i < depth; ++i)
        text += "<array>";
    for (int i = 0; i < depth; ++i)
        text += "</array>";
    return text + "</plist>";
}

TEST(PropertyListXML, NestingIsLimitedTo512Levels)
{
    EXPECT_TRUE(PropertyListSerialization::propertyListWithData(bytesOf(nestedXMLArrays(500))).ok());
    EXPECT_FALSE(PropertyListSerialization::propertyListWithData(bytesOf(nestedXMLArrays(600))).ok());
    EXPECT_FALSE(PropertyListSerialization::propertyListWithData(bytesOf(nestedXMLArrays(200000))).ok());
    std::string unclosed = "<plist>";
    for (int i = 0; i < (1 << 21); ++i)
        unclosed += "<array>";
    EXPECT_FALSE(PropertyListSerialization::propertyListWithData(bytesOf(unclosed)).ok());
    // Closing tags hidden in a comment do not lower the count.
    std::string hidden = "<plist><!-- " + std::string(1000, ' ') + "</array></array> -->" + nestedXMLArrays(600);
    EXPECT_FALSE(PropertyListSerialization::propertyListWithData(bytesOf(hidden)).ok());
}

TEST(PropertyListXML, NestingIsCountedInQuotesDeclarationsAndInstructions)
{
    // Each hides 200000 levels where a reader might skip them; none may
    // take the reader past the limit or read as a list.
    std::string deep;
    for (int i = 0; i < 200000; ++i)
        deep += "<array>";
    for (const std::string& hostile : {
             "<plist a='>" + deep + "'>",  // single quotes do not hide a ">"
             "<!DOCTYPE plist '><plist>" + deep + "'>",
             "<!DOCTYPE plist [ [ ]><plist>" + deep + " ]>",  // the subset ends at the first "]>"
             "<plist><?>" + deep + "?>",  // "<?>" is a whole instruction
         }) {
        EXPECT_FALSE(PropertyListSerialization::propertyListWithData(bytesOf(hostile)).ok()) << hostile.substr(0, 32);
    }
    // "<!-->" opens a comment that only a later "-->" closes: the closing
    // tags in it do not count.
    std::string closingTagsInComments = "<plist>";
    for (int i = 0; i < 200000; ++i)
        closingTagsInComments += "<array><!--> </array> -->";
    EXPECT_FALSE(PropertyListSerialization::propertyListWithData(bytesOf(closingTagsInComments)).ok());
}

TEST(PropertyListXML, ReadsDeclarationsQuotesAndInstructions)
{
    for (std::string_view text : {
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
             "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\"><true/></plist>",
             "<!DOCTYPE plist [ \"]>\" ]><plist><true/></plist>",
             "<plist a=\"x>y\"><!-- a --><?pi ?><true/></plist>",
         }) {
        auto read = PropertyListSerialization::propertyListWithData(bytesOf(text));
        ASSERT_TRUE(read.ok()) << text;
        EXPECT_EQ(read.value(), Value(true));
    }
}

// In UTF-7 "+ADw-" is "<": a scan of the bytes finds no document type,
// while a parser reading UTF-7 finds one whose subset declares `entities`
// entities of a kilobyte each and then breaks off.
std::string listHidingItsSubsetInUtf7(int entities)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-7\"?>\n+ADw-!DOCTYPE plist [\n";
    const std::string value(1000, 'x');
    for (int i = 0; i < entities; ++i)
        text += "<!ENTITY e" + std::to_string(i) + " \"" + value + "\">\n";
    return text + "<!ENTITY>]><plist><true/></plist>";
}

TEST(PropertyListXML, DocumentTypesDeclareNothingAndRawTextIsKeptInAnyMarkup)
{
    // A thousand-fold entity nest (a billion "a" if expanded) and entity
    // declarations of any kind are never used.
    std::string laughs = "<!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaa\">";
    for (char name = 'b'; name <= 'j'; ++name) {
        std::string previous = "&" + std::string(1, static_cast<char>(name - 1)) + ";";
        laughs += "<!ENTITY " + std::string(1, name) + " \"";
        for (int i = 0; i < 10; ++i)
            laughs += previous;
        laughs += "\">";
    }
    laughs += "]>";
    for (const std::string& refused : std::vector<std::string> {laughs + "<plist><string>&j;</string></plist>",
             "<!DOCTYPE plist [<!ENTITY e \"x\">]><plist><string>&e;</string></plist>",
             "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"x.dtd\"><plist><string>&e;</string></plist>",
             "<!DOCTYPE plist SYSTEM \"file:///etc/passwd\"><plist><string>&passwd;</string></plist>"}) {
        auto read = PropertyListSerialization::propertyListWithData(bytesOf(refused));
        ASSERT_FALSE(read.ok()) << refused.substr(0, 48);
        EXPECT_EQ(read.error().code(), plat::kPropertyListReadCorruptError);
    }
    // Encodings in which the document type would not be found in the bytes
    // are refused before the parser sees any of it.
    const std::pair<std::string, std::string_view> hiddenByTheirEncoding[] = {
        {listHidingItsSubsetInUtf7(2), "the encoding UTF-7 is not read"},
        {"<?xml version=\"1.0\" encoding=\"utf-7\"?><plist><true/></plist>", "the encoding utf-7 is not read"},
        {" <?xml version=\"1.0\" encoding = 'UTF-7'?><plist><true/></plist>", "the encoding UTF-7 is not read"},
        {"<?xml encoding=\"UTF-7\" version=\"1.0\"?><plist><true/></plist>", "the encoding UTF-7 is not read"},
        {"<?xml version=\"1.0\" encoding=\"IBM037\"?><plist><true/></plist>", "the encoding IBM037 is not read"},
        {"<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><plist><true/></plist>", "the encoding Shift_JIS is not read"},
        {"<?xml version=\"1.0\" encoding=UTF-7?><plist><true/></plist>", "the XML declaration is malformed"},
        {"<?xml version=\"1.0\" encoding=\"+ADw-\"?><plist><true/></plist>", "the XML declaration names no encoding"},
    };
    for (const auto& [list, reason] : hiddenByTheirEncoding) {
        auto read = PropertyListSerialization::propertyListWithData(bytesOf(list));
        ASSERT_FALSE(read.ok()) << list.substr(0, 48);
        EXPECT_NE(read.error().localizedDescription().find(reason), std::string::npos)
            << read.error().localizedDescription();
    }
    auto declared = PropertyListSerialization::propertyListWithData(
        bytesOf(laughs + "<plist><array><string>&amp;</string></array></plist>"));
    ASSERT_TRUE(declared.ok()) << declared.error().description();
    EXPECT_EQ(declared.value(), Value(Array {"&"}));

    // Line ends written as CR LF everywhere, raw controls in text, in a
    // section, a comment and an attribute, and a declared encoding.
    const std::pair<std::string_view, Value> cases[] = {
        {"<?xml version=\"1.0\"?>\r\n<plist\r\nversion=\"1.0\">\r\n<dict>\r\n\t<key>a\r\nb</key>\r\n"
         "\t<string>\x01\r</string>\r\n</dict>\r\n</plist>\r\n",
            Dictionary {{"a\r\nb", "\x01\r"}}},
        {"<plist a=\"\x02\"><!-- \x03 --><array><string><![CDATA[\x04\r\n<]]>\x1F</string><string/></array></plist>",
            Array {"\x04\r\n<\x1F", ""}},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><plist><string>caf\xE9</string></plist>",
            Value("caf\xC3\xA9")},
        {"<?xml version='1.0' encoding='windows-1252'?><!DOCTYPE plist [<!ENTITY e \"x\">]><plist><string>\x80"
         "</string></plist>",
            Value("\xE2\x82\xAC")},
        // The stand-in of a control, where the list holds no raw control, is a character like any other.
        {"<plist><string>\xF4\x8F\xBC\x81</string></plist>", Value("\xF4\x8F\xBC\x81")},
    };
    for (const auto& [text, expected] : cases) {
        auto read = PropertyListSerialization::propertyListWithData(bytesOf(text));
        ASSERT_TRUE(read.ok()) << text << ": " << read.error().description();
        EXPECT_EQ(read.value(), expected) << text;
    }
    // Beside raw controls it could not be told from one, and is refused.
    EXPECT_FALSE(PropertyListSerialization::propertyListWithData(
        bytesOf("<plist><array><string>\x01</string><string>\xF4\x8F\xBC\x81</string></array></plist>"))
                     .ok());
}

// Encoding names are not case-sensitive: lists written by other tools say
// "utf-8" as often as "UTF-8".
TEST(PropertyListXML, ReadsDeclaredEncodingsWrittenInAnyCase)
{
    struct Declared {
        std::string_view encoding;
        std::string_view bytes;
        std::string_view read;
    };
    for (const Declared& c : {
             Declared {"utf-8", "caf\xC3\xA9", "caf\xC3\xA9"},
             Declared {"Utf-8", "caf\xC3\xA9", "caf\xC3\xA9"},
             Declared {"utf8", "caf\xC3\xA9", "caf\xC3\xA9"},
             Declared {"us-ascii", "cafe", "cafe"},
             Declared {"iso-8859-1", "caf\xE9", "caf\xC3\xA9"},
             Declared {"Iso-8859-15", "\xA4", "\xE2\x82\xAC"},
             Declared {"WINDOWS-1252", "\x80", "\xE2\x82\xAC"},
         }) {
        const std::string list = "<?xml version=\"1.0\" encoding=\"" + std::string(c.encoding)
            + "\"?>\n<plist version=\"1.0\"><string>" + std::string(c.bytes) + "</string></plist>\n";
        auto read = PropertyListSerialization::propertyListWithData(bytesOf(list));
        ASSERT_TRUE(read.ok()) << c.encoding << ": " << read.error().description();
        EXPECT_EQ(read.value(), Value(std::string(c.read))) << c.encoding;
    }
}

TEST(PropertyListXML, AListWhoseEncodingHidesItsSubsetIsRefusedAndLeavesNothingBehind)
{
    const Data list = bytesOf(listHidingItsSubsetInUtf7(1000));
    const auto heapInUse = [] {
        const struct mallinfo2 heap = ::mallinfo2();
        return heap.uordblks + heap.hblkhd;
    };
    const size_t before = heapInUse();
    for (int i = 0; i < 50; ++i) {
        auto read = PropertyListSerialization::propertyListWithData(list);
        ASSERT_FALSE(read.ok());
        EXPECT_NE(read.error().localizedDescription().find("the encoding UTF-7 is not read"), std::string::npos)
            << read.error().localizedDescription();
    }
    // A leak of the declared entities would be over a megabyte a read. Under
    // the leak checker the heap is not glibc's; the checker judges at exit.
    EXPECT_LT(heapInUse(), before + (1u << 20));
}

TEST(PropertyListXML, RefusesDamagedText)
{
    for (std::string_view bad : {
             "<plist><string>caf\xE9</string></plist>",  // Latin-1, not UTF-8
             "<plist><dict><key>\xFF</key><true/></dict></plist>",
             "<plist><array><string>open</array>",
             "<plist><!-- never closed",
             "<plist><string>a\0b</string></plist>",
             "<",
         }) {
        auto read = PropertyListSerialization::propertyListWithData(bytesOf(bad));
        EXPECT_FALSE(read.ok()) << bad;
    }
}

TEST(PropertyListReading, RefusesGarbageAndTheOldTextFormat)
{
    for (std::string_view bad : {"", "   \n", "hello", "\x01\x02\x03", "bplist", "bplist01xxxxxxxxxxxxxxxxxxxx"}) {
        auto read = PropertyListSerialization::propertyListWithData(bytesOf(bad));
        EXPECT_FALSE(read.ok()) << bad;
    }
    auto openStep = PropertyListSerialization::propertyListWithData(bytesOf("{ name = value; list = (1, 2); }"));
    ASSERT_FALSE(openStep.ok());
    EXPECT_NE(openStep.error().localizedDescription().find("old-style"), std::string::npos);
    EXPECT_EQ(openStep.error().domain(), plat::kCocoaErrorDomain);
}

TEST(PropertyListBinary, EveryTruncationFailsCleanly)
{
    auto bytes = PropertyListSerialization::dataWithPropertyList(sampleList(), PropertyListFormat::Binary);
    ASSERT_TRUE(bytes.ok());
    const Data& whole = bytes.value();
    for (size_t length = 0; length < whole.size(); ++length) {
        Data prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_FALSE(PropertyListSerialization::propertyListWithData(prefix).ok()) << length;
    }
    EXPECT_TRUE(PropertyListSerialization::propertyListWithData(whole).ok());
}

TEST(PropertyListBinary, DamagedBytesNeverCrash)
{
    auto bytes = PropertyListSerialization::dataWithPropertyList(sampleList(), PropertyListFormat::Binary);
    ASSERT_TRUE(bytes.ok());
    int refused = 0;
    for (size_t i = 8; i < bytes.value().size(); ++i) {
        for (uint8_t damage : {0x00, 0xFF, 0x0F}) {
            Data damaged = bytes.value();
            damaged[i] ^= damage == 0 ? damaged[i] : damage;
            refused += PropertyListSerialization::propertyListWithData(damaged).ok() ? 0 : 1;
        }
    }
    EXPECT_GT(refused, 0);
}

TEST(PropertyListBinary, ReadsAHandMadeList)
{
    // ["ab", 1000, UID 5]
    auto read = PropertyListSerialization::propertyListWithData(
        binaryList({{0xA3, 1, 2, 3}, {0x52, 'a', 'b'}, {0x11, 0x03, 0xE8}, {0x80, 5}}));
    ASSERT_TRUE(read.ok()) << read.error().description();
    EXPECT_EQ(read.value(), Value(Array {"ab", 1000, Dictionary {{"CF$UID", 5}}}));
}

TEST(PropertyListBinary, RefusesHostileStructures)
{
    struct Case {
        const char* name;
        Data bytes;
    };
    const Case cases[] = {
        {"array holding itself", binaryList({{0xA1, 0}})},
        {"dictionary holding itself", binaryList({{0xD1, 1, 0}, {0x51, 'k'}})},
        {"reference out of range", binaryList({{0xA1, 9}})},
        {"count past the end", binaryList({{0xAF, 0x13, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}})},
        {"declared object count too large", binaryList({{0x09}}, 0, 1000)},
        {"top object out of range", binaryList({{0x09}}, 3)},
        {"key that is not a string", binaryList({{0xD1, 1, 1}, {0x09}})},
        {"ASCII string that is not UTF-8", binaryList({{0x52, 0xC3, 0x28}})},
        {"unpaired surrogate", binaryList({{0x61, 0xD8, 0x00}})},
        {"unknown marker", binaryList({{0x70}})},
        {"null object", binaryList({{0x00}})},
        {"truncated integer", binaryList({{0x13, 1, 2}})},
    };
    for (const Case& hostile : cases) {
        auto read = PropertyListSerialization::propertyListWithData(hostile.bytes);
        ASSERT_FALSE(read.ok()) << hostile.name;
        EXPECT_EQ(read.error().code(), plat::kPropertyListReadCorruptError) << hostile.name;
    }
}

TEST(PropertyListBinary, RefusesSharedReferencesThatWouldExpandWithoutBound)
{
    // Object i is [i+1, i+1]: 64 objects would expand to 2^64 values.
    std::vector<Data> objects;
    for (uint8_t i = 0; i < 64; ++i)
        objects.push_back({0xA2, static_cast<uint8_t>(i + 1), static_cast<uint8_t>(i + 1)});
    objects.push_back({0x09});
    EXPECT_FALSE(PropertyListSerialization::propertyListWithData(binaryList(objects)).ok());
    // A few shared references are fine.
    auto shared = PropertyListSerialization::propertyListWithData(binaryList({{0xA2, 1, 1}, {0xA1, 2}, {0x09}}));
    ASSERT_TRUE(shared.ok());
    EXPECT_EQ(shared.value(), Value(Array {Array {true}, Array {true}}));
}

TEST(PropertyListBinary, RefusesMoreThanFourMillionValues)
{
    // One array of 5,000,000 references to the same boolean.
    constexpr uint32_t kCount = 5'000'000;
    Data array {0xAF, 0x12, static_cast<uint8_t>(kCount >> 24), static_cast<uint8_t>(kCount >> 16),
        static_cast<uint8_t>(kCount >> 8), static_cast<uint8_t>(kCount)};
    array.resize(array.size() + kCount, 1);
    auto read = PropertyListSerialization::propertyListWithData(binaryList({array, {0x09}}));
    ASSERT_FALSE(read.ok());
    EXPECT_NE(read.error().localizedDescription().find("too many values"), std::string::npos);
}

TEST(PropertyListBinary, NestingIsLimitedTo512Levels)
{
    auto chain = [](int depth) {
        // Object i is [i+1] with two-byte references; the last is true.
        Data out = bytesOf("bplist00");
        std::vector<uint32_t> offsets;
        for (int i = 0; i <= depth; ++i) {
            offsets.push_back(static_cast<uint32_t>(out.size()));
            if (i < depth)
                out.insert(out.end(), {0xA1, static_cast<uint8_t>((i + 1) >> 8), static_cast<uint8_t>(i + 1)});
            else
                out.push_back(0x09);
        }
        uint64_t table = out.size();
        for (uint32_t offset : offsets)
            for (int shift = 24; shift >= 0; shift -= 8)
                out.push_back(static_cast<uint8_t>(offset >> shift));
        Data trailer(32, 0);
        trailer[6] = 4;
        trailer[7] = 2;
        for (int i = 0; i < 8; ++i) {
            trailer[8 + i] = static_cast<uint8_t>(offsets.size() >> (56 - 8 * i));
            trailer[24 + i] = static_cast<uint8_t>(table >> (56 - 8 * i));
        }
        out.insert(out.end(), trailer.begin(), trailer.end());
        return out;
    };
    EXPECT_TRUE(PropertyListSerialization::propertyListWithData(chain(500)).ok());
    EXPECT_FALSE(PropertyListSerialization::propertyListWithData(chain(600)).ok());
    EXPECT_FALSE(PropertyListSerialization::propertyListWithData(chain(60000)).ok());
}

class PropertyListFiles : public ::testing::Test {
protected:
    plat::test::TemporaryFolder folder;
};

TEST_F(PropertyListFiles, CollectionConveniencesCheckTheRootType)
{
    ASSERT_TRUE(plat::writePropertyListFile(Array {1, 2}, folder.path("array.plist")).ok());
    ASSERT_TRUE(
        plat::writePropertyListFile(Dictionary {{"a", 1}}, folder.path("dictionary.plist"), PropertyListFormat::Binary)
            .ok());
    EXPECT_EQ(plat::arrayWithContentsOfFile(folder.path("array.plist")), (Array {1, 2}));
    EXPECT_FALSE(plat::dictionaryWithContentsOfFile(folder.path("array.plist")).has_value());
    EXPECT_EQ(plat::dictionaryWithContentsOfFile(folder.path("dictionary.plist")), (Dictionary {{"a", 1}}));
    EXPECT_FALSE(plat::arrayWithContentsOfFile(folder.path("dictionary.plist")).has_value());
    EXPECT_FALSE(plat::dictionaryWithContentsOfFile(folder.path("missing.plist")).has_value());
}

TEST_F(PropertyListFiles, ReadErrorsNameThePath)
{
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("bad.plist"), std::string_view("garbage")).ok());
    auto read = plat::readPropertyListFile(folder.path("bad.plist"));
    ASSERT_FALSE(read.ok());
    EXPECT_NE(read.error().localizedDescription().find(folder.path("bad.plist")), std::string::npos);
    EXPECT_EQ(read.error().userInfo().getString(plat::kFilePathErrorKey), folder.path("bad.plist"));
}

TEST_F(PropertyListFiles, RefusesFilesPast256MegabytesWithoutReadingThem)
{
    std::string path = folder.path("huge.plist");
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, (off_t {256} << 20) + 1), 0);  // sparse: costs no disk
    ::close(fd);
    auto read = plat::readPropertyListFile(path);
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error().code(), EFBIG);
}

TEST_F(PropertyListFiles, WritingReplacesTheWholeFile)
{
    std::string path = folder.path("list.plist");
    ASSERT_TRUE(plat::writePropertyListFile(Array {"first", "version", "is", "longer"}, path).ok());
    ASSERT_TRUE(plat::writePropertyListFile(Array {"second"}, path).ok());
    EXPECT_EQ(plat::arrayWithContentsOfFile(path), (Array {"second"}));
    EXPECT_FALSE(plat::writePropertyListFile(Value(), path).ok());
    EXPECT_EQ(plat::arrayWithContentsOfFile(path), (Array {"second"}));
    EXPECT_EQ(plat::contentsOfDirectory(folder.path()).value(), std::vector<std::string> {"list.plist"});
}

}  // namespace
