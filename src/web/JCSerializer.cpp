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
#include "web/JSONDecoder.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zt {

namespace {

constexpr size_t kCacheSlots = 1024;
// A number's text: the longest "%.17g" or 64-bit decimal is 24 bytes.
constexpr size_t kNumberTextBytes = 32;

// Byte classes of the string writer.
enum : uint8_t { kCopy = 0, kEscape, kNonAscii };

std::array<uint8_t, 256> byteClasses(bool escapeSlash)
{
    std::array<uint8_t, 256> classes {};
    for (int c = 0; c < 0x20; ++c)
        classes[static_cast<size_t>(c)] = kEscape;
    for (int c = 0x80; c < 0x100; ++c)
        classes[static_cast<size_t>(c)] = kNonAscii;
    classes['"'] = kEscape;
    classes['\\'] = kEscape;
    if (escapeSlash)
        classes['/'] = kEscape;
    return classes;
}

const std::array<uint8_t, 256> kPlainClasses = byteClasses(false);
const std::array<uint8_t, 256> kSlashClasses = byteClasses(true);

// What each byte of well-formed UTF-8 becomes: up to two bytes written at
// once, and how many count. Control bytes without a short escape (length 6)
// take the slow way.
struct EscapeTable {
    std::array<char, 256> first;
    std::array<char, 256> second;
    std::array<uint8_t, 256> length;
};

EscapeTable escapeTable(bool escapeSlash)
{
    EscapeTable table {};
    for (int c = 0; c < 256; ++c) {
        table.first[static_cast<size_t>(c)] = static_cast<char>(c);
        table.length[static_cast<size_t>(c)] = c < 0x20 ? 6 : 1;
    }
    auto shortEscape = [&table](uint8_t c, char letter) {
        table.first[c] = '\\';
        table.second[c] = letter;
        table.length[c] = 2;
    };
    shortEscape('"', '"');
    shortEscape('\\', '\\');
    if (escapeSlash)
        shortEscape('/', '/');
    shortEscape(0x08, 'b');
    shortEscape(0x09, 't');
    shortEscape(0x0A, 'n');
    shortEscape(0x0C, 'f');
    shortEscape(0x0D, 'r');
    return table;
}

const EscapeTable kPlainEscapes = escapeTable(false);
const EscapeTable kSlashEscapes = escapeTable(true);

// The same, one word per byte: the two bytes to write in the low half, the
// count to keep above them, and in the top byte whether the byte needs the
// slow way (a "\u00XX" escape, or the start of a UTF-8 sequence).
constexpr uint32_t kSlowByte = uint32_t(1) << 24;

std::array<uint32_t, 256> packedEscapes(const EscapeTable& table, bool knownUtf8)
{
    std::array<uint32_t, 256> packed {};
    for (size_t c = 0; c < 256; ++c) {
        const bool slow = c >= 0x80 ? !knownUtf8 : table.length[c] == 6;
        packed[c] = static_cast<uint8_t>(table.first[c])
            | static_cast<uint32_t>(static_cast<uint8_t>(table.second[c])) << 8
            | static_cast<uint32_t>(table.length[c]) << 16 | (slow ? kSlowByte : 0);
    }
    return packed;
}

// By escaped slash, then by text known to be UTF-8 (whose bytes of 0x80 and
// above are copied as they are).
const std::array<uint32_t, 256> kPackedEscapes[2][2] = {
    {packedEscapes(kPlainEscapes, false), packedEscapes(kPlainEscapes, true)},
    {packedEscapes(kSlashEscapes, false), packedEscapes(kSlashEscapes, true)},
};

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
    void put(char c)
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
    void grow(size_t needed)
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
        , _classes((options & JCSerializeEscapeSlash) != 0 ? kSlashClasses : kPlainClasses)
        , _escapes((options & JCSerializeEscapeSlash) != 0 ? kSlashEscapes : kPlainEscapes)
        , _packedEscapes(kPackedEscapes[(options & JCSerializeEscapeSlash) != 0 ? 1 : 0])
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
            return writeCachedScalar(
                identity, [&] { return writeString(*value.stringValue(), value.isWellFormedUtf8String()); });
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

    static void writeHexUnit(char* out, uint32_t unit)
    {
        static constexpr char kDigits[] = "0123456789abcdef";
        out[0] = '\\';
        out[1] = 'u';
        out[2] = kDigits[(unit >> 12) & 0xF];
        out[3] = kDigits[(unit >> 8) & 0xF];
        out[4] = kDigits[(unit >> 4) & 0xF];
        out[5] = kDigits[unit & 0xF];
    }

    // Writes one escape for an ASCII byte of class kEscape; returns its length.
    static size_t writeEscape(char* out, uint8_t c)
    {
        out[0] = '\\';
        switch (c) {
        case 0x08:
            out[1] = 'b';
            return 2;
        case 0x09:
            out[1] = 't';
            return 2;
        case 0x0A:
            out[1] = 'n';
            return 2;
        case 0x0C:
            out[1] = 'f';
            return 2;
        case 0x0D:
            out[1] = 'r';
            return 2;
        case '"':
        case '\\':
        case '/':
            out[1] = static_cast<char>(c);
            return 2;
        default:
            writeHexUnit(out, c);
            return 6;
        }
    }

    // Writes the character starting at p (0x80 or above); returns the bytes
    // written, and advances p. Ill-formed UTF-8 becomes "?", as the platform
    // converts what it cannot; -1 when it must fail.
    __attribute__((always_inline)) ptrdiff_t writeNonAscii(
        char* out, const uint8_t*& p, const uint8_t* end, bool escapeUnicode)
    {
        const uint8_t c = *p;
        if (!escapeUnicode) {
            // The common two- and three-byte forms, checked here without a call.
            if (c >= 0xC2 && c <= 0xDF && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
                out[0] = static_cast<char>(c);
                out[1] = static_cast<char>(p[1]);
                p += 2;
                return 2;
            }
            if (c >= 0xE1 && c <= 0xEC && end - p >= 3 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
                std::memcpy(out, p, 3);
                p += 3;
                return 3;
            }
        }
        const detail::Utf8Decoded sequence = detail::decodeUtf8Sequence(p, static_cast<size_t>(end - p));
        const uint8_t* start = p;
        p += sequence.length;
        switch (sequence.kind) {
        case detail::Utf8Sequence::Illegal:
        case detail::Utf8Sequence::Truncated:
            out[0] = '?';
            return 1;
        case detail::Utf8Sequence::IllegalCodePoint:
            if (escapeUnicode) {
                recordError("Error converting UTF8.");
                return -1;
            }
            std::memcpy(out, start, sequence.length);
            return static_cast<ptrdiff_t>(sequence.length);
        case detail::Utf8Sequence::WellFormed:
            break;
        }
        if (!escapeUnicode) {
            std::memcpy(out, start, sequence.length);
            return static_cast<ptrdiff_t>(sequence.length);
        }
        if (sequence.codePoint <= 0xFFFF) {
            writeHexUnit(out, sequence.codePoint);
            return 6;
        }
        writeHexUnit(out, 0xD7C0 + (sequence.codePoint >> 10));
        writeHexUnit(out + 6, 0xDC00 + (sequence.codePoint & 0x3FF));
        return 12;
    }

    // Text without Unicode escapes: ASCII bytes change by table, without a
    // branch of their own, and UTF-8 sequences are copied once checked.
    // False, with nothing written, when the text is not well-formed UTF-8.
    bool writeCopyableString(const uint8_t* p, const uint8_t* const end, bool knownUtf8)
    {
        constexpr size_t kSegmentBytes = 16384;
        constexpr size_t kOvershootBytes = 32;
        constexpr size_t kWorstGrowth = 6;  // "\u0001" for one byte
        const size_t start = _output.size();
#if defined(__SSE2__)
        const __m128i quote = _mm_set1_epi8('"');
        const __m128i backslash = _mm_set1_epi8('\\');
        const __m128i slash = _mm_set1_epi8((_options & JCSerializeEscapeSlash) != 0 ? '/' : '"');
        // As signed bytes, control bytes and those of 0x80 and above are below
        // 0x20; text known to be UTF-8 looks at control bytes only.
        const __m128i firstPlain = _mm_set1_epi8(0x20);
        const __m128i lastControl = _mm_set1_epi8(0x1F);
#endif
        while (p < end) {
            const size_t segment = std::min(static_cast<size_t>(end - p), kSegmentBytes);
            const uint8_t* const segmentEnd = p + segment;
            char* const first = _output.reserve((segment + kOvershootBytes) * kWorstGrowth);
            char* out = first;
            const uint32_t* const packed = _packedEscapes[knownUtf8 ? 1 : 0].data();
            // Bytes from p up to stop: ASCII by one table word each, without a
            // branch of its own; false on ill-formed UTF-8.
            auto writeBytes = [&](const uint8_t* stop) {
                while (p < stop) {
                    const uint8_t c = *p;
                    const uint32_t entry = packed[c];
                    if ((entry & kSlowByte) == 0) {
                        const auto pair = static_cast<uint16_t>(entry);
                        std::memcpy(out, &pair, 2);
                        out += (entry >> 16) & 0xFF;
                        ++p;
                        continue;
                    }
                    if (c < 0x80) {
                        writeHexUnit(out, c);
                        out += 6;
                        ++p;
                        continue;
                    }
                    const size_t length = detail::wellFormedSequenceLength(p, end);
                    if (length == 2)
                        std::memcpy(out, p, 2);
                    else if (length == 3)
                        std::memcpy(out, p, 3);
                    else if (length == 4)
                        std::memcpy(out, p, 4);
                    else
                        return false;
                    out += length;
                    p += length;
                }
                return true;
            };
            while (p < segmentEnd) {
                const uint8_t* stop = segmentEnd;
#if defined(__SSE2__)
                if (end - p >= 16) {
                    // A block without special bytes is copied whole; one with
                    // some goes byte by byte from its first, as escapes cluster.
                    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
                    const __m128i control = knownUtf8 ? _mm_cmpeq_epi8(_mm_max_epu8(bytes, lastControl), lastControl)
                                                      : _mm_cmplt_epi8(bytes, firstPlain);
                    const __m128i special
                        = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, quote), _mm_cmpeq_epi8(bytes, backslash)),
                            _mm_or_si128(_mm_cmpeq_epi8(bytes, slash), control));
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
                    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(special));
                    if (mask == 0) {
                        p += 16;
                        out += 16;
                        continue;
                    }
                    const auto plain = static_cast<size_t>(__builtin_ctz(mask));
                    stop = p + 16;
                    p += plain;
                    out += plain;
                }
#endif
                if (!writeBytes(stop)) {
                    _output.advance(static_cast<size_t>(out - first));
                    _output.truncate(start);
                    return false;
                }
            }
            _output.advance(static_cast<size_t>(out - first));
        }
        return true;
    }

    bool writeString(std::string_view text, bool knownUtf8 = false)
    {
        if ((_options & JCSerializeEscapeUnicode) == 0) {
            const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
            const bool quoted = (_encodeOption & kJCEncodeWithoutQuotes) == 0;
            const size_t start = _output.size();
            if (quoted)
                _output.put('"');
            if (writeCopyableString(bytes, bytes + text.size(), knownUtf8)) {
                if (quoted)
                    _output.put('"');
                return true;
            }
            _output.truncate(start);  // not UTF-8 throughout: the careful way below
        }
        // Bytes are taken in segments, so that the room the worst case of
        // escapes needs can be reserved once per segment.
        constexpr size_t kSegmentBytes = 16384;
        constexpr size_t kOvershootBytes = 32;  // a block or a character may run past a segment
        constexpr size_t kWorstGrowth = 6;  // "\u0001" for one byte
        const bool quoted = (_encodeOption & kJCEncodeWithoutQuotes) == 0;
        const bool escapeUnicode = (_options & JCSerializeEscapeUnicode) != 0;
        const auto* p = reinterpret_cast<const uint8_t*>(text.data());
        const uint8_t* const end = p + text.size();
        if (quoted)
            _output.put('"');
#if defined(__SSE2__)
        const __m128i quote = _mm_set1_epi8('"');
        const __m128i backslash = _mm_set1_epi8('\\');
        const __m128i slash = _mm_set1_epi8((_options & JCSerializeEscapeSlash) != 0 ? '/' : '"');
        // As signed bytes, control bytes and those of 0x80 and above are below 0x20.
        const __m128i firstPlain = _mm_set1_epi8(0x20);
#endif
        const uint8_t* const classes = _classes.data();
        while (p < end) {
            const size_t segment = std::min(static_cast<size_t>(end - p), kSegmentBytes);
            const uint8_t* const segmentEnd = p + segment;
            char* const first = _output.reserve((segment + kOvershootBytes) * kWorstGrowth);
            char* out = first;
            const uint8_t* stop = p;  // bytes before stop may be copied without a look
            while (p < segmentEnd) {
#if defined(__SSE2__)
                if (p >= stop && end - p >= 16) {
                    // A block without special bytes is copied whole; a block
                    // with some goes byte by byte, as escapes tend to cluster.
                    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
                    const __m128i special
                        = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, quote), _mm_cmpeq_epi8(bytes, backslash)),
                            _mm_or_si128(_mm_cmpeq_epi8(bytes, slash), _mm_cmplt_epi8(bytes, firstPlain)));
                    if (_mm_movemask_epi8(special) == 0) {
                        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
                        p += 16;
                        out += 16;
                        continue;
                    }
                    stop = p + 16;
                }
#endif
                const uint8_t c = *p;
                const uint8_t kind = classes[c];
                if (kind == kCopy) {
                    *out++ = static_cast<char>(c);
                    ++p;
                } else if (kind == kEscape) {
                    out += writeEscape(out, c);
                    ++p;
                } else {
                    const ptrdiff_t written = writeNonAscii(out, p, end, escapeUnicode);
                    if (written < 0)
                        return false;
                    out += written;
                }
            }
            _output.advance(static_cast<size_t>(out - first));
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
    const std::array<uint8_t, 256>& _classes;
    const EscapeTable& _escapes;
    const std::array<uint32_t, 256> (&_packedEscapes)[2];
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
