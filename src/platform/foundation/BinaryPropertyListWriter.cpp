#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/foundation/PropertyListDetail.h"
#include "platform/foundation/Text.h"

// Writes binary property lists ("bplist00"): the objects, each a marker
// byte and its payload, then the table of their offsets and the trailer.
// The root is object 0; equal strings are written once, so the keys that
// every record of a keyed archive repeats cost one object each.
namespace plat::detail {

namespace {

constexpr uint8_t kMarkerFalse = 0x08;
constexpr uint8_t kMarkerTrue = 0x09;
constexpr uint8_t kMarkerInteger = 0x10;
constexpr uint8_t kMarkerReal = 0x20;
constexpr uint8_t kMarkerDate = 0x30;
constexpr uint8_t kMarkerData = 0x40;
constexpr uint8_t kMarkerASCIIString = 0x50;
constexpr uint8_t kMarkerUTF16String = 0x60;
constexpr uint8_t kMarkerUID = 0x80;
constexpr uint8_t kMarkerArray = 0xA0;
constexpr uint8_t kMarkerDictionary = 0xD0;
constexpr uint8_t kCountFollows = 0x0F;

// Bytes needed for value: 1, 2, 4 or 8.
uint8_t widthFor(uint64_t value)
{
    if (value <= 0xFF)
        return 1;
    if (value <= 0xFFFF)
        return 2;
    if (value <= 0xFFFFFFFF)
        return 4;
    return 8;
}

uint8_t log2OfWidth(uint8_t width)
{
    return static_cast<uint8_t>(std::countr_zero(width));
}

class BinaryPropertyListWriter {
public:
    explicit BinaryPropertyListWriter(ReferenceDictionaries references)
        : _references(references)
    {
    }

    Result<Data> write(const Value& root)
    {
        addObject(root, 0);
        if (!_failure.empty())
            return Error(kCocoaErrorDomain, kPropertyListWriteInvalidError, "property list: " + _failure);
        _referenceWidth = widthFor(_objects.size());
        _out.assign({'b', 'p', 'l', 'i', 's', 't', '0', '0'});
        std::vector<uint64_t> offsets;
        offsets.reserve(_objects.size());
        for (const FlatObject& object : _objects) {
            offsets.push_back(_out.size());
            encode(object);
        }
        uint64_t offsetTable = _out.size();
        uint8_t offsetWidth = widthFor(offsets.empty() ? 0 : offsets.back());
        for (uint64_t offset : offsets)
            appendBigEndian(offset, offsetWidth);
        // Trailer: six unused bytes, the two widths, the object count, the
        // top object and where the offset table starts.
        _out.insert(_out.end(), 6, 0);
        _out.push_back(offsetWidth);
        _out.push_back(_referenceWidth);
        appendBigEndian(_objects.size(), 8);
        appendBigEndian(0, 8);
        appendBigEndian(offsetTable, 8);
        return std::move(_out);
    }

private:
    // An object of the list: a scalar value, a container's references or a UID.
    struct FlatObject {
        enum class Kind { Scalar, Array, Dictionary, UID };
        Kind kind = Kind::Scalar;
        Value value;
        uint64_t uid = 0;
        std::vector<uint64_t> references;  // arrays: entries; dictionaries: keys, then values
    };
    using Kind = FlatObject::Kind;

    void fail(std::string text)
    {
        if (_failure.empty())
            _failure = std::move(text);
    }

    bool isWritableString(const std::string& text)
    {
        // NUL is refused as the XML writer refuses it, so that a list can
        // be written in either format or in none.
        if (text.find('\0') != std::string::npos) {
            fail("cannot write a string containing NUL");
            return false;
        }
        if (!isValidUtf8(text)) {
            fail("cannot write a string that is not UTF-8");
            return false;
        }
        return true;
    }

    uint64_t addString(const std::string& text)
    {
        auto [found, inserted] = _strings.try_emplace(text, _objects.size());
        if (inserted)
            _objects.push_back({Kind::Scalar, Value(text), 0, {}});
        return found->second;
    }

    // Adds value and what it holds; answers its object index.
    uint64_t addObject(const Value& value, int depth)
    {
        // Also stops containers that hold themselves.
        if (depth > kMaxPropertyListDepth) {
            fail("nested too deeply (or a container holds itself)");
            return 0;
        }
        switch (value.type()) {
        case Value::Type::Null:
            fail("cannot write a null value");
            return 0;
        case Value::Type::Object:
            fail("cannot write an archivable object; use a keyed archive");
            return 0;
        case Value::Type::String: {
            const std::string* text = value.asString();
            if (!text || !isWritableString(*text))
                return 0;
            return addString(*text);
        }
        case Value::Type::Array:
            return addArray(*value.asArray(), depth);
        case Value::Type::Dictionary:
            return addDictionary(*value.asDictionary(), depth);
        default:
            _objects.push_back({Kind::Scalar, value, 0, {}});
            return _objects.size() - 1;
        }
    }

    uint64_t addArray(const Array& array, int depth)
    {
        uint64_t index = _objects.size();
        _objects.push_back({Kind::Array, Value(), 0, {}});
        std::vector<uint64_t> references;
        references.reserve(array.count());
        for (const Value& entry : array) {
            references.push_back(addObject(entry, depth + 1));
            if (!_failure.empty())
                return 0;
        }
        _objects[index].references = std::move(references);
        return index;
    }

    uint64_t addDictionary(const Dictionary& dictionary, int depth)
    {
        if (_references == ReferenceDictionaries::WriteAsUIDs) {
            if (auto uid = uidOfReference(Value(dictionary))) {
                _objects.push_back({Kind::UID, Value(), *uid, {}});
                return _objects.size() - 1;
            }
        }
        uint64_t index = _objects.size();
        _objects.push_back({Kind::Dictionary, Value(), 0, {}});
        std::vector<uint64_t> keys;
        std::vector<uint64_t> values;
        keys.reserve(dictionary.count());
        values.reserve(dictionary.count());
        for (const auto& [key, entry] : dictionary) {
            if (!isWritableString(key))
                return 0;
            keys.push_back(addString(key));
            values.push_back(addObject(entry, depth + 1));
            if (!_failure.empty())
                return 0;
        }
        keys.insert(keys.end(), values.begin(), values.end());
        _objects[index].references = std::move(keys);
        return index;
    }

    void appendBigEndian(uint64_t value, size_t width)
    {
        for (size_t i = width; i-- > 0;)
            _out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }

    void appendMarkerAndCount(uint8_t marker, uint64_t count)
    {
        if (count < kCountFollows) {
            _out.push_back(static_cast<uint8_t>(marker | count));
            return;
        }
        _out.push_back(marker | kCountFollows);
        appendUnsignedInteger(count);
    }

    void appendUnsignedInteger(uint64_t value)
    {
        uint8_t width = widthFor(value);
        _out.push_back(static_cast<uint8_t>(kMarkerInteger | log2OfWidth(width)));
        appendBigEndian(value, width);
    }

    void appendDouble(uint8_t marker, double value)
    {
        uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        _out.push_back(marker);
        appendBigEndian(bits, 8);
    }

    void encode(const FlatObject& object)
    {
        switch (object.kind) {
        case Kind::UID: {
            uint8_t width = widthFor(object.uid);
            _out.push_back(static_cast<uint8_t>(kMarkerUID | (width - 1)));
            appendBigEndian(object.uid, width);
            return;
        }
        case Kind::Array:
        case Kind::Dictionary: {
            bool isDictionary = object.kind == Kind::Dictionary;
            appendMarkerAndCount(isDictionary ? kMarkerDictionary : kMarkerArray,
                isDictionary ? object.references.size() / 2 : object.references.size());
            for (uint64_t reference : object.references)
                appendBigEndian(reference, _referenceWidth);
            return;
        }
        case Kind::Scalar:
            break;
        }
        const Value& value = object.value;
        switch (value.type()) {
        case Value::Type::Boolean:
            _out.push_back(*value.boolValue() ? kMarkerTrue : kMarkerFalse);
            return;
        case Value::Type::Integer: {
            auto wide = value.uint64Value();
            if (wide && *wide > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
                // Sixteen bytes, a signed 128-bit number: how unsigned
                // values past INT64_MAX are told from negative ones.
                _out.push_back(kMarkerInteger | 4);
                appendBigEndian(0, 8);
                appendBigEndian(*wide, 8);
            } else if (wide) {
                appendUnsignedInteger(*wide);
            } else {
                _out.push_back(kMarkerInteger | 3);  // negative: eight bytes, two's complement
                appendBigEndian(static_cast<uint64_t>(*value.int64Value()), 8);
            }
            return;
        }
        case Value::Type::Real:
            return appendDouble(kMarkerReal | 3, *value.doubleValue());
        case Value::Type::Date:
            return appendDouble(kMarkerDate | 3, value.asDate()->timeIntervalSinceReferenceDate());
        case Value::Type::Bytes: {
            const Data* bytes = value.asData();
            if (!bytes)
                return;
            appendMarkerAndCount(kMarkerData, bytes->size());
            _out.insert(_out.end(), bytes->begin(), bytes->end());
            return;
        }
        case Value::Type::String: {
            const std::string* textPointer = value.asString();
            if (!textPointer)
                return;
            const std::string& text = *textPointer;
            bool isASCII
                = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
            if (isASCII) {
                appendMarkerAndCount(kMarkerASCIIString, text.size());
                _out.insert(_out.end(), text.begin(), text.end());
                return;
            }
            std::u16string units = utf16FromUtf8(text);
            appendMarkerAndCount(kMarkerUTF16String, units.size());
            for (char16_t unit : units)
                appendBigEndian(unit, 2);
            return;
        }
        default:
            return;  // containers are flat objects of their own kinds; nulls and objects were refused
        }
    }

    ReferenceDictionaries _references;
    std::vector<FlatObject> _objects;
    std::unordered_map<std::string, uint64_t> _strings;
    uint8_t _referenceWidth = 1;
    Data _out;
    std::string _failure;
};

}  // namespace

Result<Data> writeBinaryPropertyList(const Value& propertyList, ReferenceDictionaries references)
{
    return BinaryPropertyListWriter(references).write(propertyList);
}

}  // namespace plat::detail
