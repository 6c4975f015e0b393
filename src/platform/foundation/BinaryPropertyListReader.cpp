#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/foundation/PropertyListDetail.h"
#include "platform/foundation/Text.h"

// The binary format: "bplist00", the objects, a table of object offsets, and
// a 32-byte trailer giving the widths of offsets and references, the object
// count, the top object and where the offset table starts. Every object is
// one marker byte (type in the high nibble, a small count or width in the
// low one) and its payload; containers hold object references.
namespace plat::detail {

namespace {

constexpr size_t kHeaderLength = 8;
constexpr size_t kTrailerLength = 32;

enum Marker : uint8_t {
    kMarkerSimple = 0x0,
    kMarkerInteger = 0x1,
    kMarkerReal = 0x2,
    kMarkerDate = 0x3,
    kMarkerData = 0x4,
    kMarkerASCIIString = 0x5,
    kMarkerUTF16String = 0x6,
    kMarkerUID = 0x8,
    kMarkerArray = 0xA,
    kMarkerDictionary = 0xD,
};
constexpr uint8_t kSimpleFalse = 0x8;
constexpr uint8_t kSimpleTrue = 0x9;
constexpr uint8_t kCountFollows = 0xF;

uint64_t readBigEndian(const uint8_t* bytes, size_t width)
{
    uint64_t value = 0;
    for (size_t i = 0; i < width; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

class BinaryPropertyListReader {
public:
    explicit BinaryPropertyListReader(const Data& data)
        : _bytes(data.data())
        , _size(data.size())
        // A reference costs at least one byte, so honest lists produce about
        // one value per byte; shared objects may add some, never millions.
        , _valueBudget(std::min<uint64_t>(kMaxPropertyListValues, 16 * uint64_t {data.size()} + 1024))
        , _payloadBudget(std::min<uint64_t>(kMaxPropertyListPayloadBytes, 16 * uint64_t {data.size()} + (1 << 20)))
    {
    }

    Result<Value> read()
    {
        if (!readTrailer() || !readOffsets())
            return propertyListReadError(_failure);
        Value root = readObject(_topObject, 0);
        if (!_failure.empty())
            return propertyListReadError(_failure);
        return root;
    }

private:
    enum class State : uint8_t { Idle, Open };

    bool fail(std::string text)
    {
        if (_failure.empty())
            _failure = "binary property list: " + std::move(text);
        return false;
    }

    bool readTrailer()
    {
        if (_size < kHeaderLength + kTrailerLength + 1)
            return fail("too short");
        if (std::memcmp(_bytes, "bplist00", kHeaderLength) != 0)
            return fail("unsupported version");
        const uint8_t* trailer = _bytes + _size - kTrailerLength;
        _offsetWidth = trailer[6];
        _referenceWidth = trailer[7];
        uint64_t objectCount = readBigEndian(trailer + 8, 8);
        _topObject = readBigEndian(trailer + 16, 8);
        uint64_t offsetTableOffset = readBigEndian(trailer + 24, 8);
        if (_offsetWidth < 1 || _offsetWidth > 8 || _referenceWidth < 1 || _referenceWidth > 8)
            return fail("bad offset or reference width");
        if (objectCount < 1 || objectCount > kMaxPropertyListValues)
            return fail("bad object count");
        if (_topObject >= objectCount)
            return fail("top object out of range");
        uint64_t trailerStart = _size - kTrailerLength;
        if (offsetTableOffset <= kHeaderLength || offsetTableOffset >= trailerStart)
            return fail("offset table out of range");
        if (objectCount > (trailerStart - offsetTableOffset) / _offsetWidth)
            return fail("offset table runs into the trailer");
        _objectsEnd = offsetTableOffset;
        _objectCount = objectCount;
        _offsetTable = offsetTableOffset;
        return true;
    }

    bool readOffsets()
    {
        _offsets.resize(_objectCount);
        _states.assign(_objectCount, State::Idle);
        for (size_t i = 0; i < _objectCount; ++i) {
            uint64_t offset = readBigEndian(_bytes + _offsetTable + i * _offsetWidth, _offsetWidth);
            if (offset < kHeaderLength || offset >= _objectsEnd)
                return fail("object offset out of range");
            _offsets[i] = offset;
        }
        return true;
    }

    // True when length bytes from start lie inside the object area.
    bool has(uint64_t start, uint64_t length) const { return start <= _objectsEnd && length <= _objectsEnd - start; }

    // The element count of a data, string or container object, and where
    // its payload starts. Counts of 15 and more follow as an integer object.
    bool readCount(uint64_t position, uint8_t info, uint64_t& count, uint64_t& payload)
    {
        if (info != kCountFollows) {
            count = info;
            payload = position + 1;
            return true;
        }
        if (!has(position + 1, 1))
            return fail("truncated count");
        uint8_t marker = _bytes[position + 1];
        if ((marker >> 4) != kMarkerInteger || (marker & 0xF) > 3)
            return fail("bad count");
        size_t width = size_t {1} << (marker & 0xF);
        if (!has(position + 2, width))
            return fail("truncated count");
        count = readBigEndian(_bytes + position + 2, width);
        payload = position + 2 + width;
        return true;
    }

    // Count elements of elementWidth bytes from payload must fit the object area.
    bool hasElements(uint64_t payload, uint64_t count, uint64_t elementWidth)
    {
        if (payload > _objectsEnd || count > (_objectsEnd - payload) / elementWidth)
            return fail("object runs past the object table");
        return true;
    }

    bool spendPayload(uint64_t bytes)
    {
        if (bytes > _payloadBudget - _payloadSpent)
            return fail("expands beyond the size limit");
        _payloadSpent += bytes;
        return true;
    }

    Value readObject(uint64_t index, int depth)
    {
        if (depth > kMaxPropertyListDepth) {
            fail("nested too deeply");
            return {};
        }
        if (++_valuesMade > _valueBudget) {
            fail("expands to too many values");
            return {};
        }
        uint64_t position = _offsets[index];
        uint8_t marker = _bytes[position];
        uint8_t info = marker & 0xF;
        switch (marker >> 4) {
        case kMarkerSimple:
            if (info == kSimpleFalse || info == kSimpleTrue)
                return Value(info == kSimpleTrue);
            fail("unsupported simple object");
            return {};
        case kMarkerInteger:
            return readInteger(position, info);
        case kMarkerReal:
            return readReal(position, info);
        case kMarkerDate:
            if (info != 3 || !has(position + 1, 8)) {
                fail("bad date");
                return {};
            }
            return Value(Date::withTimeIntervalSinceReferenceDate(readDouble(position + 1)));
        case kMarkerData:
            return readData(position, info);
        case kMarkerASCIIString:
            return readASCIIString(position, info);
        case kMarkerUTF16String:
            return readUTF16String(position, info);
        case kMarkerUID:
            return readUID(position, info);
        case kMarkerArray:
            return readArray(index, position, info, depth);
        case kMarkerDictionary:
            return readDictionary(index, position, info, depth);
        default:
            fail("unsupported object type");
            return {};
        }
    }

    Value readInteger(uint64_t position, uint8_t info)
    {
        if (info > 4) {
            fail("bad integer width");
            return {};
        }
        size_t width = size_t {1} << info;
        if (!has(position + 1, width)) {
            fail("truncated integer");
            return {};
        }
        const uint8_t* bytes = _bytes + position + 1;
        if (width < 8)
            return Value(static_cast<int64_t>(readBigEndian(bytes, width)));
        if (width == 8)
            return Value(static_cast<int64_t>(readBigEndian(bytes, 8)));  // signed, two's complement
        // Sixteen bytes: a signed 128-bit number. Writers use it for unsigned
        // values past INT64_MAX; only values of 64 bits, signed or unsigned,
        // are read.
        uint64_t high = readBigEndian(bytes, 8);
        uint64_t low = readBigEndian(bytes + 8, 8);
        constexpr uint64_t kSignBit = uint64_t {1} << 63;
        if (high == 0)
            return Value(low);
        if (high == ~uint64_t {0} && low >= kSignBit)
            return Value(static_cast<int64_t>(low));
        fail("integer wider than 64 bits");
        return {};
    }

    double readDouble(uint64_t position) const
    {
        uint64_t bits = readBigEndian(_bytes + position, 8);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    Value readReal(uint64_t position, uint8_t info)
    {
        if (info == 2 && has(position + 1, 4)) {
            uint32_t bits = static_cast<uint32_t>(readBigEndian(_bytes + position + 1, 4));
            float value;
            std::memcpy(&value, &bits, sizeof value);
            return Value(static_cast<double>(value));
        }
        if (info == 3 && has(position + 1, 8))
            return Value(readDouble(position + 1));
        fail("bad real");
        return {};
    }

    Value readData(uint64_t position, uint8_t info)
    {
        uint64_t count = 0;
        uint64_t payload = 0;
        if (!readCount(position, info, count, payload) || !hasElements(payload, count, 1) || !spendPayload(count))
            return {};
        const uint8_t* start = _bytes + payload;
        return Value(Data(start, start + count));
    }

    Value readASCIIString(uint64_t position, uint8_t info)
    {
        uint64_t count = 0;
        uint64_t payload = 0;
        if (!readCount(position, info, count, payload) || !hasElements(payload, count, 1) || !spendPayload(count))
            return {};
        std::string text(reinterpret_cast<const char*>(_bytes + payload), count);
        if (!isValidUtf8(text)) {
            fail("string is not UTF-8");
            return {};
        }
        return Value(std::move(text));
    }

    Value readUTF16String(uint64_t position, uint8_t info)
    {
        uint64_t count = 0;
        uint64_t payload = 0;
        if (!readCount(position, info, count, payload) || !hasElements(payload, count, 2) || !spendPayload(count * 3))
            return {};
        std::string text;
        text.reserve(count * 3);
        const uint8_t* units = _bytes + payload;
        for (uint64_t i = 0; i < count; ++i) {
            uint32_t unit = static_cast<uint32_t>(readBigEndian(units + 2 * i, 2));
            if (unit >= 0xD800 && unit < 0xDC00) {
                uint32_t low = i + 1 < count ? static_cast<uint32_t>(readBigEndian(units + 2 * (i + 1), 2)) : 0;
                if (low < 0xDC00 || low >= 0xE000) {
                    fail("unpaired surrogate in string");
                    return {};
                }
                appendUtf8(text, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
            } else if (unit >= 0xDC00 && unit < 0xE000) {
                fail("unpaired surrogate in string");
                return {};
            } else {
                appendUtf8(text, unit);
            }
        }
        return Value(std::move(text));
    }

    Value readUID(uint64_t position, uint8_t info)
    {
        size_t width = size_t {info} + 1;
        if (width > 8 || !has(position + 1, width)) {
            fail("bad UID");
            return {};
        }
        uint64_t uid = readBigEndian(_bytes + position + 1, width);
        if (uid > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
            fail("UID out of range");
            return {};
        }
        return makeUIDReference(uid);
    }

    // The object a reference at position points to.
    bool readReference(uint64_t position, uint64_t& index)
    {
        index = readBigEndian(_bytes + position, _referenceWidth);
        if (index >= _objectCount)
            return fail("object reference out of range");
        return true;
    }

    // Containers stay open while their elements are read: meeting an open
    // container again is a cycle. Closed ones may be shared (read again).
    Value readArray(uint64_t index, uint64_t position, uint8_t info, int depth)
    {
        uint64_t count = 0;
        uint64_t payload = 0;
        if (!readCount(position, info, count, payload) || !hasElements(payload, count, _referenceWidth))
            return {};
        if (_states[index] == State::Open) {
            fail("array contains itself");
            return {};
        }
        _states[index] = State::Open;
        std::vector<Value> values;
        // Never reserve more than the budget allows: the count is outside input.
        values.reserve(std::min<uint64_t>(count, _valueBudget - std::min(_valueBudget, _valuesMade)));
        for (uint64_t i = 0; i < count && _failure.empty(); ++i) {
            uint64_t element = 0;
            if (readReference(payload + i * _referenceWidth, element))
                values.push_back(readObject(element, depth + 1));
        }
        _states[index] = State::Idle;
        return _failure.empty() ? Value(Array(std::move(values))) : Value();
    }

    Value readDictionary(uint64_t index, uint64_t position, uint8_t info, int depth)
    {
        uint64_t count = 0;
        uint64_t payload = 0;
        if (!readCount(position, info, count, payload) || !hasElements(payload, count, 2 * uint64_t {_referenceWidth}))
            return {};
        if (_states[index] == State::Open) {
            fail("dictionary contains itself");
            return {};
        }
        _states[index] = State::Open;
        Dictionary dictionary;
        uint64_t valuesStart = payload + count * _referenceWidth;
        for (uint64_t i = 0; i < count && _failure.empty(); ++i) {
            uint64_t keyIndex = 0;
            uint64_t valueIndex = 0;
            if (!readReference(payload + i * _referenceWidth, keyIndex)
                || !readReference(valuesStart + i * _referenceWidth, valueIndex))
                break;
            Value key = readObject(keyIndex, depth + 1);
            if (!_failure.empty())
                break;
            const std::string* keyText = key.asString();
            if (!keyText) {
                fail("dictionary key is not a string");
                break;
            }
            Value value = readObject(valueIndex, depth + 1);
            if (_failure.empty())
                dictionary.set(*keyText, std::move(value));
        }
        _states[index] = State::Idle;
        return _failure.empty() ? Value(std::move(dictionary)) : Value();
    }

    const uint8_t* _bytes;
    size_t _size;
    uint64_t _valueBudget;
    uint64_t _payloadBudget;
    uint64_t _valuesMade = 0;
    uint64_t _payloadSpent = 0;
    size_t _offsetWidth = 0;
    size_t _referenceWidth = 0;
    uint64_t _objectCount = 0;
    uint64_t _topObject = 0;
    uint64_t _offsetTable = 0;
    uint64_t _objectsEnd = 0;
    std::vector<uint64_t> _offsets;
    std::vector<State> _states;
    std::string _failure;
};

}  // namespace

Result<Value> readBinaryPropertyList(const Data& data)
{
    return BinaryPropertyListReader(data).read();
}

}  // namespace plat::detail
