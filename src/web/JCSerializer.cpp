#include "web/JCSerializer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <deque>
#include <string>
#include <type_traits>
#include <vector>

#include "web/JCArray.h"
#include "web/JCDictionary.h"
#include "web/JCStringWriter.h"
#include "web/JSONDecoder.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zt {

namespace {

constexpr size_t kCacheSlots = 1024;
// A number's text: the longest "%.17g" or 64-bit decimal is 24 bytes.
constexpr size_t kNumberTextBytes = 32;

const char* className(const plat::Value& value)
{
    switch (value.type()) {
    case plat::Value::Type::Null:
        return "NSNull";
    case plat::Value::Type::Boolean:
    case plat::Value::Type::Integer:
    case plat::Value::Type::Real:
        return "NSNumber";
    case plat::Value::Type::String:
        return "NSString";
    case plat::Value::Type::Bytes:
        return "NSData";
    case plat::Value::Type::Date:
        return "NSDate";
    case plat::Value::Type::Array:
        return "NSArray";
    case plat::Value::Type::Dictionary:
        return "NSDictionary";
    case plat::Value::Type::Object:
        return "NSObject";
    }
    return "NSObject";
}

const char* className(const JCValue& value)
{
    switch (value.type()) {
    case JCValue::Type::Null:
        return "NSNull";
    case JCValue::Type::String:
        return "NSString";
    case JCValue::Type::Array:
        return "JCArray";
    case JCValue::Type::Dictionary:
        return "JCDictionary";
    default:
        return "NSNumber";
    }
}

// The text being written, growing geometrically inside the result's own
// container (a string or a data object), so the result needs no copy.
template <typename Buffer> class Output {
public:
    explicit Output(Buffer& buffer)
        : _buffer(buffer)
    {
        grow(4096);
    }

    size_t size() const { return _at; }
    const char* bytes() const { return _base; }
    char* reserve(size_t count)
    {
        if (_at + count > _capacity)
            grow(_at + count);
        return _base + _at;
    }
    void advance(size_t count) { _at += count; }
    void truncate(size_t size) { _at = size; }
    __attribute__((always_inline)) void put(char c)
    {
        if (_at == _capacity)
            grow(_at + 1);
        _base[_at++] = c;
    }
    void write(const char* text, size_t count)
    {
        std::memcpy(reserve(count), text, count);
        _at += count;
    }
    void finish() { _buffer.resize(_at); }

private:
    __attribute__((noinline)) void grow(size_t needed)
    {
        size_t capacity = _capacity * 2;
        if (capacity < needed + 4096)
            capacity = needed + 4096;
        _buffer.resize(capacity);
        _base = reinterpret_cast<char*>(_buffer.data());
        _capacity = capacity;
    }

    Buffer& _buffer;
    char* _base = nullptr;
    size_t _at = 0;
    size_t _capacity = 0;
};

// One serialization: options, the formatter, the first error, the cache of
// texts already written, and the nesting.
template <typename Buffer> class Encoder {
public:
    Encoder(Buffer& buffer, JCSerializeOptionFlags options, JCEncodeOptionFlags encodeOption,
        const JCFormatterBlock& formatter)
        : _output(buffer)
        , _options(options)
        , _encodeOption(encodeOption)
        , _formatter(formatter)
        , _cache(kCacheSlots)
    {
    }

    const std::optional<plat::Error>& error() const { return _error; }
    void finish() { _output.finish(); }

    void recordError(std::string message)
    {
        if (!_error)
            _error.emplace(JCErrorDomain, -1, std::move(message));
    }

    bool encode(const plat::Value& value, const plat::Value* replaced = nullptr)
    {
        // The cache is keyed by where a value lives in the tree: a
        // replacement counts as the value it replaced.
        const void* identity = replaced != nullptr ? static_cast<const void*>(replaced) : &value;
        switch (value.type()) {
        case plat::Value::Type::Null:
            return writeCachedScalar(identity, [&] { _output.write("null", 4); });
        case plat::Value::Type::Boolean:
            return writeCachedScalar(
                identity, [&] { *value.boolValue() ? _output.write("true", 4) : _output.write("false", 5); });
        case plat::Value::Type::Integer:
            return writeCachedScalar(identity, [&] { writeInteger(*value.int64Value()); });
        case plat::Value::Type::Real: {
            const double real = *value.doubleValue();
            if (!std::isfinite(real)) {
                recordError("Floating point values must be finite.  JSON does not support NaN or Infinity.");
                return false;
            }
            return writeCachedScalar(identity, [&] { writeReal(real); });
        }
        case plat::Value::Type::String:
            return writeCachedScalar(identity, [&] { return writeString(*value.asString()); });
        case plat::Value::Type::Array: {
            if (!enterContainer())
                return false;
            const auto array = value.asArray();  // shares the container: its elements stay put
            openContainer('[');
            bool first = true;
            for (const plat::Value& element : array->values()) {
                if (!first)
                    writeComma();
                first = false;
                if (!encode(element))
                    return false;
            }
            closeContainer(']');
            return true;
        }
        case plat::Value::Type::Dictionary: {
            if (!enterContainer())
                return false;
            const auto dictionary = value.asDictionary();
            openContainer('{');
            bool first = true;
            auto writePair = [&](const std::string& key, const plat::Value& object) {
                if (!first)
                    writeComma();
                first = false;
                if (!writeCachedScalar(&key, [&] { return writeString(key); }))
                    return false;
                writeColon();
                return encode(object);
            };
            if ((_options & JCSerializePretty) != 0) {
                std::vector<const std::pair<const std::string, plat::Value>*> pairs;
                pairs.reserve(dictionary->count());
                for (const auto& pair : dictionary->entries())
                    pairs.push_back(&pair);
                std::stable_sort(pairs.begin(), pairs.end(), [](const auto* left, const auto* right) {
                    return detail::precedesInUtf16Order(left->first, right->first);
                });
                for (const auto* pair : pairs)
                    if (!writePair(pair->first, pair->second))
                        return false;
            } else {
                for (const auto& [key, object] : dictionary->entries())
                    if (!writePair(key, object))
                        return false;
            }
            closeContainer('}');
            return true;
        }
        case plat::Value::Type::Bytes:
        case plat::Value::Type::Date:
        case plat::Value::Type::Object:
            break;
        }
        if (replaced != nullptr) {
            recordError(detail::formatJC("Unable to serialize object class %s that was returned by the unsupported "
                                         "class formatter.  Original object class was %s.",
                className(value), className(*replaced)));
            return false;
        }
        std::optional<plat::Value> replacement;
        if (_formatter)
            replacement = _formatter(value);
        if (!replacement) {
            recordError(detail::formatJC("Unable to serialize object class %s.", className(value)));
            return false;
        }
        // Kept to the end of the call: the cache may hold the address of
        // anything inside it.
        _replacements.push_back(std::move(*replacement));
        return encode(_replacements.back(), &value);
    }

    bool encode(const JCValue& value)
    {
        // Shared objects are keyed by the object, scalars by their slot.
        const void* identity = value.objectIdentity() != nullptr ? value.objectIdentity() : &value;
        switch (value.type()) {
        case JCValue::Type::Null:
            return writeCachedScalar(identity, [&] { _output.write("null", 4); });
        case JCValue::Type::Boolean:
            return writeCachedScalar(
                identity, [&] { value.booleanPayload() ? _output.write("true", 4) : _output.write("false", 5); });
        case JCValue::Type::Integer:
            return writeCachedScalar(identity, [&] { writeInteger(value.integerPayload()); });
        case JCValue::Type::UnsignedInteger:
            return writeCachedScalar(identity, [&] { writeUnsigned(value.unsignedPayload()); });
        case JCValue::Type::Real: {
            const double real = value.realPayload();
            if (!std::isfinite(real)) {
                recordError("Floating point values must be finite.  JSON does not support NaN or Infinity.");
                return false;
            }
            return writeCachedScalar(identity, [&] { writeReal(real); });
        }
        case JCValue::Type::String:
            return writeCachedScalar(identity, [&] {
                return writeShortString(value) || writeString(*value.stringValue(), value.isWellFormedUtf8String());
            });
        case JCValue::Type::Array: {
            if (!enterContainer())
                return false;
            const JCArray& array = value.arrayRef();
            openContainer('[');
            for (size_t i = 0; i < array.count(); ++i) {
                if (i != 0)
                    writeComma();
                if (!encode(array.objectAtIndex(i)))
                    return false;
            }
            closeContainer(']');
            return true;
        }
        case JCValue::Type::Dictionary: {
            if (!enterContainer())
                return false;
            const JCDictionary& dictionary = value.dictionaryRef();
            openContainer('{');
            bool first = true;
            bool failed = false;
            auto writePair = [&](const JCValue& key, const JCValue& object) {
                if (failed)
                    return;
                if (!first)
                    writeComma();
                first = false;
                failed = !encode(key);
                if (failed)
                    return;
                writeColon();
                failed = !encode(object);
            };
            if ((_options & JCSerializePretty) != 0) {
                std::vector<std::pair<const JCValue*, const JCValue*>> pairs;
                pairs.reserve(dictionary.count());
                dictionary.forEachPair(
                    [&pairs](const JCValue& key, const JCValue& object) { pairs.emplace_back(&key, &object); });
                std::stable_sort(pairs.begin(), pairs.end(), [](const auto& left, const auto& right) {
                    return detail::precedesInUtf16Order(*left.first->stringValue(), *right.first->stringValue());
                });
                for (const auto& [key, object] : pairs)
                    writePair(*key, *object);
            } else {
                dictionary.forEachPair(writePair);
            }
            if (failed)
                return false;
            closeContainer('}');
            return true;
        }
        }
        return false;
    }

private:
    // Writes a scalar's text through the cache: text the same object wrote
    // before in this output is copied instead of written again. write
    // returns false (or nothing) on failure (or when it cannot fail).
    template <typename Write> bool writeCachedScalar(const void* identity, Write write)
    {
        const auto address = reinterpret_cast<uintptr_t>(identity);
        CacheEntry& entry = _cache[(((address >> 21) ^ (address >> 9)) + (address >> 4)) % kCacheSlots];
        if (entry.identity == identity) {
            const size_t offset = entry.offset;
            char* destination = _output.reserve(entry.length);
            std::memcpy(destination, _output.bytes() + offset, entry.length);
            _output.advance(entry.length);
            return true;
        }
        const size_t start = _output.size();
        if constexpr (std::is_same_v<decltype(write()), bool>) {
            if (!write())
                return false;
        } else {
            write();
        }
        entry = {identity, start, _output.size() - start};
        return true;
    }

    bool enterContainer()
    {
        if (++_nesting <= JCMaximumNestingDepth)
            return true;
        recordError(detail::formatJC("Unable to serialize: arrays and dictionaries nest more than %zu levels deep "
                                     "(does a container hold itself?).",
            JCMaximumNestingDepth));
        return false;
    }

    void writeIndent()
    {
        char* out = _output.reserve(1 + 2 * _depth);
        out[0] = '\n';
        std::memset(out + 1, ' ', 2 * _depth);
        _output.advance(1 + 2 * _depth);
    }

    void openContainer(char bracket)
    {
        _output.put(bracket);
        if ((_options & JCSerializePretty) != 0) {
            ++_depth;
            writeIndent();
        }
    }

    void closeContainer(char bracket)
    {
        --_nesting;
        if ((_options & JCSerializePretty) != 0) {
            --_depth;
            writeIndent();
        }
        _output.put(bracket);
    }

    void writeComma()
    {
        _output.put(',');
        if ((_options & JCSerializePretty) != 0)
            writeIndent();
    }

    void writeColon()
    {
        if ((_options & JCSerializePretty) != 0)
            _output.write(": ", 2);
        else
            _output.put(':');
    }

    void writeInteger(int64_t value)
    {
        char* out = _output.reserve(kNumberTextBytes);
        _output.advance(static_cast<size_t>(std::to_chars(out, out + kNumberTextBytes, value).ptr - out));
    }

    void writeUnsigned(uint64_t value)
    {
        char* out = _output.reserve(kNumberTextBytes);
        _output.advance(static_cast<size_t>(std::to_chars(out, out + kNumberTextBytes, value).ptr - out));
    }

    // "%.17g": enough digits that reading the text back gives the same double.
    void writeReal(double value)
    {
        char* out = _output.reserve(kNumberTextBytes);
        _output.advance(detail::formatDoubleAs17g(value, out));
    }

    // A string held in its value, which has 16 readable bytes, and with
    // nothing to escape: written whole in one step. False otherwise.
    bool writeShortString(const JCValue& value)
    {
        if (!value.isInlineString() || !value.isWellFormedUtf8String() || (_options & JCSerializeEscapeUnicode) != 0
            || (_encodeOption & kJCEncodeWithoutQuotes) != 0)
            return false;
        const std::string_view text = *value.stringValue();
        char* out = _output.reserve(sizeof(JCValue) + 2);
#if defined(__SSE2__)
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data()));
        const __m128i lastControl = _mm_set1_epi8(0x1F);
        const __m128i special = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\'))),
            _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8((_options & JCSerializeEscapeSlash) != 0 ? '/' : '"')),
                _mm_cmpeq_epi8(_mm_max_epu8(bytes, lastControl), lastControl)));
        const auto inText = (1u << text.size()) - 1;
        if ((static_cast<unsigned>(_mm_movemask_epi8(special)) & inText) != 0)
            return false;
        out[0] = '"';
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 1), bytes);
        out[1 + text.size()] = '"';
        _output.advance(text.size() + 2);
        return true;
#else
        (void)out;
        return false;
#endif
    }

    bool writeString(std::string_view text, bool knownUtf8 = false)
    {
        const bool quoted = (_encodeOption & kJCEncodeWithoutQuotes) == 0;
        const bool escapeSlash = (_options & JCSerializeEscapeSlash) != 0;
        const bool escapeUnicode = (_options & JCSerializeEscapeUnicode) != 0;
        const auto* const begin = reinterpret_cast<const uint8_t*>(text.data());
        const uint8_t* const end = begin + text.size();
        const size_t start = _output.size();
        // UTF-8 copied as it is, unless it turns out not to be UTF-8.
        bool copyable = !escapeUnicode;
        if (quoted)
            _output.put('"');
        const uint8_t* p = begin;
        while (p < end) {
            // In segments, so the room the worst case needs is reserved once per segment.
            const size_t segment = std::min(static_cast<size_t>(end - p), detail::kJCStringSegmentBytes);
            char* const first = _output.reserve(detail::escapedSegmentRoom(segment));
            char* const written = copyable
                ? detail::writeCopyableSegment(p, p + segment, end, first, escapeSlash, knownUtf8)
                : detail::writeCheckedSegment(p, p + segment, end, first, escapeSlash, escapeUnicode);
            if (written != nullptr) {
                _output.advance(static_cast<size_t>(written - first));
                continue;
            }
            if (!copyable) {
                recordError("Error converting UTF8.");
                return false;
            }
            // Not UTF-8 throughout: again, the careful way.
            copyable = false;
            _output.truncate(start);
            if (quoted)
                _output.put('"');
            p = begin;
        }
        if (quoted)
            _output.put('"');
        return true;
    }

    struct CacheEntry {
        const void* identity = nullptr;
        size_t offset = 0;
        size_t length = 0;
    };

    Output<Buffer> _output;
    JCSerializeOptionFlags _options;
    JCEncodeOptionFlags _encodeOption;
    const JCFormatterBlock& _formatter;
    std::vector<CacheEntry> _cache;
    std::deque<plat::Value> _replacements;
    std::optional<plat::Error> _error;
    size_t _depth = 0;  // of indentation
    size_t _nesting = 0;  // of containers, pretty or not
};

bool isContainer(const plat::Value& value)
{
    return value.isArray() || value.isDictionary();
}

bool isContainer(const JCValue& value)
{
    return value.isArray() || value.isDictionary();
}

// The checks of the top object, then the encoding into a result of type Buffer.
template <typename Buffer, typename Object>
std::optional<Buffer> encodeInto(const Object& object, JCSerializeOptionFlags options, JCEncodeOptionFlags encodeOption,
    const JCFormatterBlock& formatter, plat::Error* error)
{
    std::optional<plat::Error> failure;
    std::optional<Buffer> result;
    if ((encodeOption & kJCEncodeRequiresContainer) != 0 && !isContainer(object)) {
        failure.emplace(JCErrorDomain, -1,
            detail::formatJC(
                "Unable to serialize object class %s, expected a NSArray or NSDictionary.", className(object)));
    } else if ((encodeOption & kJCEncodeRequiresString) != 0 && !object.isString()) {
        failure.emplace(JCErrorDomain, -1,
            detail::formatJC("Unable to serialize object class %s, expected a NSString.", className(object)));
    } else {
        Buffer buffer;
        Encoder<Buffer> encoder(buffer, options, encodeOption, formatter);
        if (encoder.encode(object)) {
            encoder.finish();
            result = std::move(buffer);
        } else {
            failure = encoder.error();
        }
    }
    if (failure && error != nullptr)
        *error = *failure;
    return result;
}

template <typename Object>
std::optional<plat::Value> serialize(const Object& object, JCSerializeOptionFlags options,
    JCEncodeOptionFlags encodeOption, const JCFormatterBlock& formatter, plat::Error* error)
{
    switch (encodeOption & kJCEncodeAsTypeMask) {
    case kJCEncodeAsData:
        if (auto data = encodeInto<plat::Data>(object, options, encodeOption, formatter, error))
            return plat::Value(std::move(*data));
        return std::nullopt;
    case kJCEncodeAsString:
        if (auto text = encodeInto<std::string>(object, options, encodeOption, formatter, error))
            return plat::Value(std::move(*text));
        return std::nullopt;
    default:
        if (error != nullptr)
            *error = plat::Error(JCErrorDomain, -1, "Unknown encode as type.");
        return std::nullopt;
    }
}

const JCFormatterBlock& noFormatter()
{
    static const JCFormatterBlock none;
    return none;
}

}  // namespace

std::optional<plat::Value> JCSerializer::serializeObject(const plat::Value& object, JCSerializeOptionFlags options,
    JCEncodeOptionFlags encodeOption, const JCFormatterBlock& block, plat::Error* error)
{
    return serialize(object, options, encodeOption, block, error);
}

std::optional<plat::Value> JCSerializer::serializeObject(
    const JCValue& object, JCSerializeOptionFlags options, JCEncodeOptionFlags encodeOption, plat::Error* error)
{
    return serialize(object, options, encodeOption, noFormatter(), error);
}

namespace detail {

std::optional<plat::Data> serializeAsData(const plat::Value& object, JCSerializeOptionFlags options,
    JCEncodeOptionFlags encodeOption, const JCFormatterBlock& formatter, plat::Error* error)
{
    return encodeInto<plat::Data>(object, options, encodeOption | kJCEncodeAsData, formatter, error);
}

std::optional<std::string> serializeAsString(const plat::Value& object, JCSerializeOptionFlags options,
    JCEncodeOptionFlags encodeOption, const JCFormatterBlock& formatter, plat::Error* error)
{
    return encodeInto<std::string>(object, options, encodeOption | kJCEncodeAsString, formatter, error);
}

std::optional<plat::Data> serializeAsData(
    const JCValue& object, JCSerializeOptionFlags options, JCEncodeOptionFlags encodeOption, plat::Error* error)
{
    return encodeInto<plat::Data>(object, options, encodeOption | kJCEncodeAsData, noFormatter(), error);
}

std::optional<std::string> serializeAsString(
    const JCValue& object, JCSerializeOptionFlags options, JCEncodeOptionFlags encodeOption, plat::Error* error)
{
    return encodeInto<std::string>(object, options, encodeOption | kJCEncodeAsString, noFormatter(), error);
}

}  // namespace detail

}  // namespace zt
