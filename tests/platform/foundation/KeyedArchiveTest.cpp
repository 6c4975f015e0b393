#include "platform/foundation/KeyedArchive.h"

#include <gtest/gtest.h>
#include <limits>

#include "platform/foundation/Files.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/PropertyListDetail.h"
#include "support/PythonScript.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::Array;
using plat::ClassTable;
using plat::Data;
using plat::Date;
using plat::Dictionary;
using plat::KeyedArchiver;
using plat::KeyedUnarchiver;
using plat::Point;
using plat::Value;

class LinePoint : public plat::Coding {
public:
    LinePoint(Point position, float lineWidth)
        : pos(position)
        , width(lineWidth)
    {
    }
    std::string classNameForCoder() const override { return "LinePoint"; }
    void encodeWithCoder(KeyedArchiver& coder) const override
    {
        coder.encodePoint(pos, "pos");
        coder.encodeFloat(width, "width");
    }
    static std::shared_ptr<plat::Coding> decode(KeyedUnarchiver& coder)
    {
        return std::make_shared<LinePoint>(coder.decodePointForKey("pos"), coder.decodeFloatForKey("width"));
    }

    Point pos;
    float width;
};

class Stroke : public plat::Coding {
public:
    std::string classNameForCoder() const override { return "Stroke"; }
    std::vector<std::string> superclassNamesForCoder() const override { return {"Shape"}; }
    void encodeWithCoder(KeyedArchiver& coder) const override
    {
        coder.encodeObject(anchor, "anchor");
        coder.encodeObject(points, "points");
        coder.encodeInt64(identifier, "identifier");
        coder.encodeBool(closed, "closed");
        coder.encodeDouble(opacity, "opacity");
        coder.encodeRect(bounds, "bounds");
        coder.encodeSize(brushSize, "brushSize");
        coder.encodeInt32(layer, "$layer");
    }
    static std::shared_ptr<plat::Coding> decode(KeyedUnarchiver& coder)
    {
        auto stroke = std::make_shared<Stroke>();
        stroke->anchor = coder.decodeObjectForKey("anchor").asObjectOf<LinePoint>();
        stroke->points = coder.decodeObjectForKey("points").asArray().value_or(Array());
        stroke->identifier = coder.decodeInt64ForKey("identifier");
        stroke->closed = coder.decodeBoolForKey("closed");
        stroke->opacity = coder.decodeDoubleForKey("opacity");
        stroke->bounds = coder.decodeRectForKey("bounds");
        stroke->brushSize = coder.decodeSizeForKey("brushSize");
        stroke->layer = coder.decodeInt32ForKey("$layer");
        return stroke;
    }

    std::shared_ptr<LinePoint> anchor;
    Array points;
    int64_t identifier = 0;
    bool closed = false;
    double opacity = 0;
    plat::Rect bounds;
    plat::Size brushSize;
    int32_t layer = 0;
};

const ClassTable kDrawingClasses {{"LinePoint", &LinePoint::decode}, {"Stroke", &Stroke::decode}};

std::shared_ptr<Stroke> sampleStroke()
{
    auto stroke = std::make_shared<Stroke>();
    stroke->anchor = std::make_shared<LinePoint>(Point {-3, 4.25}, 0.5f);
    stroke->points = Array {Value(std::make_shared<LinePoint>(Point {1.5, 2}, 3.0f)),
        Value(std::make_shared<LinePoint>(Point {10, 20}, 4.5f))};
    stroke->identifier = std::numeric_limits<int64_t>::min();
    stroke->closed = true;
    stroke->opacity = 0.75;
    stroke->bounds = plat::makeRect(1, 2, 30, 40);
    stroke->brushSize = {8, 9};
    stroke->layer = -7;
    return stroke;
}

Value reference(uint64_t uid)
{
    return plat::detail::makeUIDReference(uid);
}

// An archive assembled by hand from an object table.
Data handMadeArchive(const Array& objects, const Value& root = reference(1))
{
    Dictionary archive {{"$archiver", "NSKeyedArchiver"}, {"$version", 100000}, {"$top", Dictionary {{"root", root}}},
        {"$objects", objects}};
    auto data = plat::detail::dataWithPropertyList(
        archive, plat::PropertyListFormat::Binary, plat::detail::ReferenceDictionaries::WriteAsUIDs);
    EXPECT_TRUE(data.ok());
    return data.valueOr(Data());
}

Dictionary classRecord(const std::string& name)
{
    return Dictionary {{"$classname", name}, {"$classes", Array {name, "NSObject"}}};
}

Value roundTrip(const Value& root, const ClassTable& classes = {})
{
    auto data = KeyedArchiver::archivedDataWithRootObject(root);
    EXPECT_TRUE(data.ok()) << data.error().description();
    if (!data.ok())
        return {};
    auto decoded = KeyedUnarchiver::unarchiveObjectWithData(data.value(), classes);
    EXPECT_TRUE(decoded.ok()) << decoded.error().description();
    return decoded.ok() ? decoded.value() : Value();
}

TEST(KeyedArchive, RoundTripsPlainValues)
{
    Dictionary root {
        {"strings", Array {"", "caf\xC3\xA9", "\xF0\x9F\x98\x80"}},
        {"numbers", Array {0, -1, std::numeric_limits<int64_t>::max(), 2.5, -0.125}},
        {"booleans", Array {true, false}},
        {"data", Array {Data {}, Data {1, 2, 3}}},
        {"dates", Array {Date::withTimeIntervalSinceReferenceDate(-12.5)}},
        {"nested", Dictionary {{"empty", Array {}}, {"deeper", Dictionary {{"x", Array {Array {1}}}}}}},
    };
    Value decoded = roundTrip(root);
    EXPECT_EQ(decoded, Value(root)) << decoded.debugDescription();
    auto dictionary = decoded.asDictionary().value_or(Dictionary());
    EXPECT_TRUE(dictionary.getArray("booleans")->at(0).isBoolean());
    EXPECT_TRUE(dictionary.getArray("numbers")->at(1).isInteger());
    EXPECT_TRUE(dictionary.getArray("numbers")->at(3).isReal());
    EXPECT_TRUE(dictionary.getArray("dates")->at(0).isDate());
}

TEST(KeyedArchive, RoundTripsScalarAndNullRoots)
{
    EXPECT_EQ(roundTrip("text"), Value("text"));
    EXPECT_EQ(roundTrip(42), Value(42));
    EXPECT_TRUE(roundTrip(Value()).isNull());
}

TEST(KeyedArchive, RoundTripsCustomObjects)
{
    Value decoded = roundTrip(Value(sampleStroke()), kDrawingClasses);
    auto stroke = decoded.asObjectOf<Stroke>();
    ASSERT_TRUE(stroke);
    ASSERT_TRUE(stroke->anchor);
    EXPECT_EQ(stroke->anchor->pos, (Point {-3, 4.25}));
    EXPECT_EQ(stroke->anchor->width, 0.5f);
    ASSERT_EQ(stroke->points.count(), 2u);
    auto second = stroke->points.at(1).asObjectOf<LinePoint>();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->pos, (Point {10, 20}));
    EXPECT_EQ(second->width, 4.5f);
    EXPECT_EQ(stroke->identifier, std::numeric_limits<int64_t>::min());
    EXPECT_TRUE(stroke->closed);
    EXPECT_EQ(stroke->opacity, 0.75);
    EXPECT_EQ(stroke->bounds, plat::makeRect(1, 2, 30, 40));
    EXPECT_EQ(stroke->brushSize, (plat::Size {8, 9}));
    EXPECT_EQ(stroke->layer, -7);
}

TEST(KeyedArchive, SharedObjectsAreWrittenOnceAndDecodeShared)
{
    auto point = std::make_shared<LinePoint>(Point {1, 2}, 1.0f);
    Array shared {7};
    Array root {Value(point), Value(point), "same", "same", shared, shared};
    auto data = KeyedArchiver::archivedDataWithRootObject(root);
    ASSERT_TRUE(data.ok());

    // $null, root, point, LinePoint class, "same", shared array, 7, NSMutableArray class.
    auto list = plat::PropertyListSerialization::propertyListWithData(data.value());
    ASSERT_TRUE(list.ok());
    auto objects = *list.value().asDictionary()->getArray("$objects");
    EXPECT_EQ(objects.count(), 8u) << list.value().debugDescription();
    EXPECT_EQ(objects.at(1).asDictionary()->get("NS.objects"),
        Value(Array {reference(2), reference(2), reference(4), reference(4), reference(5), reference(5)}));

    auto decoded = KeyedUnarchiver::unarchiveObjectWithData(data.value(), kDrawingClasses);
    ASSERT_TRUE(decoded.ok());
    auto array = *decoded.value().asArray();
    EXPECT_EQ(array.at(0).asObject(), array.at(1).asObject());
    EXPECT_TRUE(array.at(4).asArray()->isSameContainer(*array.at(5).asArray()));
}

TEST(KeyedArchive, KeysStartingWithADollarAreEscaped)
{
    auto data = KeyedArchiver::archivedDataWithRootObject(Value(sampleStroke()));
    ASSERT_TRUE(data.ok());
    auto list = plat::PropertyListSerialization::propertyListWithData(data.value());
    ASSERT_TRUE(list.ok());
    auto strokeRecord = list.value().asDictionary()->getArray("$objects")->at(1).asDictionary();
    EXPECT_EQ(strokeRecord->get("$$layer"), Value(-7));
    EXPECT_FALSE(strokeRecord->contains("$layer"));
}

class KeyedArchiveWithPython : public ::testing::Test {
protected:
    plat::test::TemporaryFolder folder;
};

TEST_F(KeyedArchiveWithPython, PythonSeesThePlatformLayout)
{
    auto data = KeyedArchiver::archivedDataWithRootObject(Array {Value(sampleStroke()), "tail"});
    ASSERT_TRUE(data.ok());
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("archive.bplist"), data.value()).ok());
    auto result = plat::test::runPython(folder.path(), R"(
import plistlib, sys
with open(sys.argv[1], "rb") as f:
    raw = f.read()
assert raw.startswith(b"bplist00")
archive = plistlib.loads(raw)
assert archive["$archiver"] == "NSKeyedArchiver"
assert archive["$version"] == 100000
objects = archive["$objects"]
assert objects[0] == "$null"
root = archive["$top"]["root"]
assert root == plistlib.UID(1), root
def get(uid): return objects[uid.data]
array = get(root)
assert get(array["$class"]) == {"$classname": "NSMutableArray", "$classes": ["NSMutableArray", "NSArray", "NSObject"]}
stroke = get(array["NS.objects"][0])
assert get(stroke["$class"]) == {"$classname": "Stroke", "$classes": ["Stroke", "Shape", "NSObject"]}
assert get(array["NS.objects"][1]) == "tail"
assert stroke["closed"] is True and stroke["opacity"] == 0.75 and stroke["$$layer"] == -7
assert stroke["bounds"] == "{{1, 2}, {30, 40}}" and stroke["brushSize"] == "{8, 9}"
anchor = get(stroke["anchor"])
assert anchor["pos"] == "{-3, 4.25}" and anchor["width"] == 0.5
assert get(anchor["$class"])["$classes"] == ["LinePoint", "NSObject"]
points = get(stroke["points"])
assert len(points["NS.objects"]) == 2
print("ok")
)",
        {folder.path("archive.bplist")});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output, "ok\n");
}

TEST_F(KeyedArchiveWithPython, DecodesAnArchiveMadeByPython)
{
    auto result = plat::test::runPython(folder.path(), R"(
import plistlib, sys
U = plistlib.UID
objects = [
    "$null",
    {"NS.keys": [U(2), U(3), U(4)], "NS.objects": [U(5), U(6), U(9)], "$class": U(11)},
    "title", "points", "when",
    "Sketch",
    {"NS.objects": [U(7), U(7)], "$class": U(12)},
    {"pos": "{1.5, -2}", "width": 3, "$class": U(8)},
    {"$classname": "LinePoint", "$classes": ["LinePoint", "NSObject"]},
    {"NS.time": 3600.5, "$class": U(10)},
    {"$classname": "NSDate", "$classes": ["NSDate", "NSObject"]},
    {"$classname": "NSDictionary", "$classes": ["NSDictionary", "NSObject"]},
    {"$classname": "NSArray", "$classes": ["NSArray", "NSObject"]},
]
archive = {"$archiver": "NSKeyedArchiver", "$version": 100000, "$top": {"root": U(1)}, "$objects": objects}
with open(sys.argv[1], "wb") as f:
    plistlib.dump(archive, f, fmt=plistlib.FMT_BINARY)
)",
        {folder.path("python.archive")});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    auto data = plat::readFile(folder.path("python.archive"));
    ASSERT_TRUE(data.ok());
    auto decoded = KeyedUnarchiver::unarchiveObjectWithData(data.value(), kDrawingClasses);
    ASSERT_TRUE(decoded.ok()) << decoded.error().description();
    auto root = *decoded.value().asDictionary();
    EXPECT_EQ(root.getString("title"), "Sketch");
    EXPECT_EQ(root.getDate("when")->timeIntervalSinceReferenceDate(), 3600.5);
    auto points = *root.getArray("points");
    ASSERT_EQ(points.count(), 2u);
    auto point = points.at(0).asObjectOf<LinePoint>();
    ASSERT_TRUE(point);
    EXPECT_EQ(point->pos, (Point {1.5, -2}));
    EXPECT_EQ(point->width, 3.0f);  // an integer decodes as a float
    EXPECT_EQ(points.at(1).asObject(), points.at(0).asObject());
}

TEST(KeyedArchive, DecodesTheXMLForm)
{
    std::string xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>$archiver</key><string>NSKeyedArchiver</string>
<key>$version</key><integer>100000</integer>
<key>$top</key><dict><key>root</key><dict><key>CF$UID</key><integer>1</integer></dict></dict>
<key>$objects</key><array>
  <string>$null</string>
  <dict><key>NS.string</key><string>mutable text</string>
        <key>$class</key><dict><key>CF$UID</key><integer>2</integer></dict></dict>
  <dict><key>$classname</key><string>NSMutableString</string>
        <key>$classes</key><array><string>NSMutableString</string><string>NSString</string></array></dict>
</array></dict></plist>)";
    auto decoded = KeyedUnarchiver::unarchiveObjectWithData(Data(xml.begin(), xml.end()));
    ASSERT_TRUE(decoded.ok()) << decoded.error().description();
    EXPECT_EQ(decoded.value(), Value("mutable text"));
}

// Writes chosen entries with each encode operation, then reads them back
// with other ones.
class Probe : public plat::Coding {
public:
    std::string classNameForCoder() const override { return "Probe"; }
    void encodeWithCoder(KeyedArchiver& coder) const override
    {
        coder.encodeInt64(int64_t {1} << 40, "big");
        coder.encodeDouble(2.9, "real");
        coder.encodeBool(true, "flag");
        coder.encodeObject("text", "object");
        coder.encodeFloat(1e30f, "float");
    }
    static std::shared_ptr<plat::Coding> decode(KeyedUnarchiver& coder)
    {
        auto probe = std::make_shared<Probe>();
        probe->bigAsInt32 = coder.decodeInt32ForKey("big");
        probe->bigAsDouble = coder.decodeDoubleForKey("big");
        probe->realAsInt64 = coder.decodeInt64ForKey("real");
        probe->flagAsInt32 = coder.decodeInt32ForKey("flag");
        probe->realAsBool = coder.decodeBoolForKey("real");
        probe->objectAsInt64 = coder.decodeInt64ForKey("object");
        probe->missingAsDouble = coder.decodeDoubleForKey("missing");
        probe->missingObject = coder.decodeObjectForKey("missing");
        probe->numberAsObject = coder.decodeObjectForKey("big");
        probe->objectAsPoint = coder.decodePointForKey("object");
        probe->floatAsFloat = coder.decodeFloatForKey("float");
        probe->hasFlag = coder.containsValueForKey("flag");
        probe->hasMissing = coder.containsValueForKey("missing");
        probe->object = coder.decodeObjectForKey("object");
        return probe;
    }

    int32_t bigAsInt32 = 0;
    double bigAsDouble = 0;
    int64_t realAsInt64 = 0;
    int32_t flagAsInt32 = 0;
    bool realAsBool = false;
    int64_t objectAsInt64 = -1;
    double missingAsDouble = -1;
    Value missingObject = 1;
    Value numberAsObject = 1;
    Point objectAsPoint {-1, -1};
    float floatAsFloat = 0;
    bool hasFlag = false;
    bool hasMissing = true;
    Value object;
};

TEST(KeyedArchive, DecodingConvertsNumbersAndGivesZeroForTheRest)
{
    auto probe = roundTrip(Value(std::make_shared<Probe>()), {{"Probe", &Probe::decode}}).asObjectOf<Probe>();
    ASSERT_TRUE(probe);
    EXPECT_EQ(probe->bigAsInt32, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(probe->bigAsDouble, 1099511627776.0);
    EXPECT_EQ(probe->realAsInt64, 2);
    EXPECT_EQ(probe->flagAsInt32, 1);
    EXPECT_TRUE(probe->realAsBool);
    EXPECT_EQ(probe->objectAsInt64, 0);
    EXPECT_EQ(probe->missingAsDouble, 0);
    EXPECT_TRUE(probe->missingObject.isNull());
    EXPECT_TRUE(probe->numberAsObject.isNull());
    EXPECT_EQ(probe->objectAsPoint, (Point {0, 0}));
    EXPECT_EQ(probe->floatAsFloat, 1e30f);
    EXPECT_TRUE(probe->hasFlag);
    EXPECT_FALSE(probe->hasMissing);
    EXPECT_EQ(probe->object, Value("text"));
}

class SelfEncoder : public plat::Coding {
public:
    std::string classNameForCoder() const override { return "SelfEncoder"; }
    void encodeWithCoder(KeyedArchiver& coder) const override { coder.encodeObject(Value(self.lock()), "self"); }
    std::weak_ptr<SelfEncoder> self;
};

TEST(KeyedArchive, ArchivingRefusesCyclesAndNonArchivableValues)
{
    Array loop;
    loop.append(loop);
    auto looped = KeyedArchiver::archivedDataWithRootObject(loop);
    loop.removeAll();
    ASSERT_FALSE(looped.ok());
    EXPECT_EQ(looped.error().code(), plat::kCoderInvalidValueError);

    auto object = std::make_shared<SelfEncoder>();
    object->self = object;
    EXPECT_FALSE(KeyedArchiver::archivedDataWithRootObject(Value(object)).ok());

    EXPECT_FALSE(KeyedArchiver::archivedDataWithRootObject(Array {"\xFF"}).ok());
}

class SelfReference : public plat::Coding {
public:
    std::string classNameForCoder() const override { return "SelfReference"; }
    void encodeWithCoder(KeyedArchiver&) const override { }
    static std::shared_ptr<plat::Coding> decode(KeyedUnarchiver& coder)
    {
        auto object = std::make_shared<SelfReference>();
        object->next = coder.decodeObjectForKey("next");
        return object;
    }
    Value next;
};

TEST(KeyedArchive, HostileArchivesFailCleanly)
{
    const ClassTable classes {{"SelfReference", &SelfReference::decode}, {"LinePoint", &LinePoint::decode}};
    Value nsArray = reference(2);
    struct Case {
        const char* name;
        Data bytes;
    };
    const Case cases[] = {
        {"array holding itself",
            handMadeArchive({"$null", Dictionary {{"NS.objects", Array {reference(1)}}, {"$class", nsArray}},
                classRecord("NSArray")})},
        {"object referring to itself",
            handMadeArchive(
                {"$null", Dictionary {{"next", reference(1)}, {"$class", nsArray}}, classRecord("SelfReference")})},
        {"root UID out of range", handMadeArchive({"$null", "x"}, reference(99))},
        {"element UID out of range",
            handMadeArchive({"$null", Dictionary {{"NS.objects", Array {reference(7)}}, {"$class", nsArray}},
                classRecord("NSArray")})},
        {"unknown class", handMadeArchive({"$null", Dictionary {{"$class", nsArray}}, classRecord("NSURLRequest")})},
        {"class UID pointing at a string",
            handMadeArchive({"$null", Dictionary {{"$class", reference(2)}}, "NSArray"})},
        {"class record without a name",
            handMadeArchive({"$null", Dictionary {{"$class", reference(2)}}, Dictionary {{"$classes", Array {}}}})},
        {"object without a class", handMadeArchive({"$null", Dictionary {{"pos", "{1, 2}"}}})},
        {"array elements that are not references",
            handMadeArchive(
                {"$null", Dictionary {{"NS.objects", Array {1, 2}}, {"$class", nsArray}}, classRecord("NSArray")})},
        {"dictionary with more keys than values",
            handMadeArchive(
                {"$null", Dictionary {{"NS.keys", Array {reference(3)}}, {"NS.objects", Array {}}, {"$class", nsArray}},
                    classRecord("NSDictionary"), "key"})},
        {"dictionary key that is not a string",
            handMadeArchive({"$null",
                Dictionary {
                    {"NS.keys", Array {reference(3)}}, {"NS.objects", Array {reference(3)}}, {"$class", nsArray}},
                classRecord("NSDictionary"), 5})},
        {"array in the object table", handMadeArchive({"$null", Array {1}})},
        {"first object not $null", handMadeArchive({"nothing", "x"})},
        {"no root", handMadeArchive({"$null", "x"}, 1)},
    };
    for (const Case& hostile : cases) {
        auto decoded = KeyedUnarchiver::unarchiveObjectWithData(hostile.bytes, classes);
        ASSERT_FALSE(decoded.ok()) << hostile.name;
        EXPECT_EQ(decoded.error().code(), plat::kCoderReadCorruptError) << hostile.name;
    }
}

TEST(KeyedArchive, RefusesListsThatAreNotArchives)
{
    auto encode = [](const Value& list) {
        return plat::PropertyListSerialization::dataWithPropertyList(list, plat::PropertyListFormat::Binary).value();
    };
    Dictionary good {{"$archiver", "NSKeyedArchiver"}, {"$version", 100000},
        {"$top", Dictionary {{"root", Dictionary {{"CF$UID", 1}}}}}, {"$objects", Array {"$null", "x"}}};
    EXPECT_TRUE(KeyedUnarchiver::unarchiveObjectWithData(encode(good)).ok());
    for (const char* key : {"$archiver", "$version", "$top", "$objects"}) {
        Dictionary missing = good.copy();
        missing.remove(key);
        EXPECT_FALSE(KeyedUnarchiver::unarchiveObjectWithData(encode(missing)).ok()) << key;
    }
    Dictionary otherArchiver = good.copy();
    otherArchiver.set("$archiver", "NSArchiver");
    EXPECT_FALSE(KeyedUnarchiver::unarchiveObjectWithData(encode(otherArchiver)).ok());
    Dictionary otherVersion = good.copy();
    otherVersion.set("$version", 99999);
    EXPECT_FALSE(KeyedUnarchiver::unarchiveObjectWithData(encode(otherVersion)).ok());
    EXPECT_FALSE(KeyedUnarchiver::unarchiveObjectWithData(encode(Array {"$null"})).ok());
    EXPECT_FALSE(KeyedUnarchiver::unarchiveObjectWithData(Data {'b', 'p', 'l', 'i', 's', 't'}).ok());
}

Data nestedArrayArchive(int depth)
{
    // Object i (1-based) is an array holding object i+1; the last is a string.
    Array objects {"$null"};
    for (int i = 1; i <= depth; ++i)
        objects.append(Dictionary {{"NS.objects", Array {reference(i + 1)}}, {"$class", reference(depth + 2)}});
    objects.append("bottom");
    objects.append(classRecord("NSArray"));
    return handMadeArchive(objects);
}

TEST(KeyedArchive, NestingIsLimitedTo512Levels)
{
    EXPECT_TRUE(KeyedUnarchiver::unarchiveObjectWithData(nestedArrayArchive(400)).ok());
    EXPECT_FALSE(KeyedUnarchiver::unarchiveObjectWithData(nestedArrayArchive(600)).ok());

    Array deep;
    Array innermost = deep;
    for (int i = 0; i < 600; ++i) {
        Array next;
        innermost.append(next);
        innermost = next;
    }
    EXPECT_FALSE(KeyedArchiver::archivedDataWithRootObject(deep).ok());
}

class Refuser : public plat::Coding {
public:
    std::string classNameForCoder() const override { return "Refuser"; }
    void encodeWithCoder(KeyedArchiver&) const override { }
};

TEST(KeyedArchive, AFactoryCanFailTheArchive)
{
    auto data = KeyedArchiver::archivedDataWithRootObject(Array {Value(std::make_shared<Refuser>()), 1});
    ASSERT_TRUE(data.ok());
    ClassTable classes {{"Refuser", [](KeyedUnarchiver& coder) -> std::shared_ptr<plat::Coding> {
                             coder.failWithError(plat::Error("Drawing", 17, "bad stroke"));
                             return nullptr;
                         }}};
    auto decoded = KeyedUnarchiver::unarchiveObjectWithData(data.value(), classes);
    ASSERT_FALSE(decoded.ok());
    EXPECT_EQ(decoded.error().domain(), "Drawing");
    EXPECT_EQ(decoded.error().code(), 17);
}

// What an archiver encodes at its top level sits beside the root, shared
// objects and all; a reader of the root alone passes it by.
TEST(KeyedArchive, EntriesBesideTheRootComeBackToWhoAsksForThem)
{
    auto anchor = std::make_shared<LinePoint>(Point {1, 2}, 3.0f);
    auto data = KeyedArchiver::archivedDataWithRootObject(Array {Value(anchor)}, [&](KeyedArchiver& coder) {
        coder.encodeSize({568, 319}, "canvasSize");
        coder.encodeObject(Value(anchor), "anchor");
    });
    ASSERT_TRUE(data.ok());
    auto list = plat::PropertyListSerialization::propertyListWithData(data.value());
    ASSERT_TRUE(list.ok());
    auto top = list.value().asDictionary()->getDictionary("$top");
    ASSERT_TRUE(top);
    EXPECT_EQ(top->getString("canvasSize"), "{568, 319}");

    EXPECT_EQ(KeyedUnarchiver::unarchiveObjectWithData(data.value(), kDrawingClasses).value().asArray()->count(), 1u);
    plat::Size size;
    Value sharedAnchor;
    auto root = KeyedUnarchiver::unarchiveObjectWithData(data.value(), kDrawingClasses, [&](KeyedUnarchiver& coder) {
        size = coder.decodeSizeForKey("canvasSize");
        sharedAnchor = coder.decodeObjectForKey("anchor");
    });
    ASSERT_TRUE(root.ok());
    EXPECT_EQ(size, (plat::Size {568, 319}));
    EXPECT_EQ(sharedAnchor.asObject(), root.value().asArray()->at(0).asObject());

    auto refused = KeyedUnarchiver::unarchiveObjectWithData(data.value(), kDrawingClasses,
        [](KeyedUnarchiver& coder) { coder.failWithError(plat::Error("Drawing", 18, "no canvas")); });
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code(), 18);
}

}  // namespace
