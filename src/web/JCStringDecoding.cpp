// The decoder's strings: the fast scan over strings that need no decoding,
// and the slow path for escapes and ill-formed UTF-8, through the token buffer.
#include <cstring>

#include "platform/foundation/HexDigit.h"
#include "web/JCInternal.h"
#include "web/JCParser.h"
#include "web/JSONDecoder.h"

namespace zt::detail {

namespace {

// Room kept free in the token buffer after a copied run: the longest single append is 4 bytes.
constexpr size_t kBufferHeadroom = 16;
constexpr size_t kBufferGrowth = 1024;

bool isHighSurrogate(uint32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(uint32_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

bool JCParser::scanString()
{
    const size_t quote = _state.atIndex;
    const uint8_t* const start = _input + quote + 1;
    const uint8_t* const end = _input + _length;
    const uint8_t* p = start;
    for (;;) {
        p = findSpecialStringByte(p, end);
        if (p >= end)
            break;
        const uint8_t c = *p;
        if (c == '"') {
            finishString(start, start, static_cast<size_t>(p - start), p);
            return true;
        }
        if (c < 0x20) {
            _state.atIndex = static_cast<size_t>(p - _input);
            recordMessage(formatJC("Invalid character < 0x20 found in string: 0x%2.2x.", c));
            recordMessage("Invalid string.");
            return false;
        }
        if (c >= 0x80) {
            const Utf8Decoded sequence = decodeUtf8Sequence(p, static_cast<size_t>(end - p));
            if (sequence.kind == Utf8Sequence::WellFormed) {
                p += sequence.length;
                continue;
            }
        }
        // A backslash or a bad UTF-8 sequence: decode the rest into the token buffer.
        return decodeString(start, p);
    }
    _state.atIndex = _length;
    recordMessage("Invalid string.");
    return false;
}

void JCParser::finishString(const uint8_t* opening, const uint8_t* bytes, size_t size, const uint8_t* closingQuote)
{
    JCParseToken& token = _state.token;
    token.type = JCTokenType::String;
    token.text = opening - 1;
    token.textLength = static_cast<size_t>(closingQuote - token.text) + 1;
    token.value.bytes = bytes;
    token.value.size = size;
    token.value.type = JCValueType::String;
    token.value.cacheItem = nullptr;
    // Hashed when needed: as a key, or on the way through the cache.
    token.value.hash = 0;
    _state.atIndex = static_cast<size_t>(closingQuote + 1 - _input);
}

void JCParser::appendCodePoint(uint32_t codePoint, size_t& index)
{
    index += encodeUtf8(codePoint, _state.tokenBuffer.bytes() + index);
}

bool JCParser::decodeString(const uint8_t* start, const uint8_t* from)
{
    JCManagedBuffer& buffer = _state.tokenBuffer;
    const uint8_t* const end = _input + _length;
    const bool loose = (_state.parseOptionFlags & JCParseLooseUnicode) != 0;
    const uint8_t* p = from;
    size_t index = 0;
    bool failed = false;

    auto fail = [&](const uint8_t* at, std::string message) {
        _state.atIndex = static_cast<size_t>(at - _input);
        recordMessage(std::move(message));
        failed = true;
    };
    // Room for count more bytes and the longest single append after them.
    auto reserve = [&](size_t count) {
        if (index + count + kBufferHeadroom <= buffer.length() || buffer.growTo(index + count + kBufferGrowth))
            return true;
        fail(p,
            formatJC("Internal error: Unable to resize temporary buffer. %s line #%ld", __FILE_NAME__,
                static_cast<long>(__LINE__)));
        return false;
    };
    // Four hexadecimal digits at p; false when they are missing (with a
    // message unless the input ran out).
    auto readUnit = [&](uint32_t& unit) {
        unit = 0;
        for (int digit = 0; digit < 4; ++digit, ++p) {
            if (p >= end)
                return false;
            const int value = plat::hexDigitValue(*p);
            if (value < 0) {
                fail(p,
                    formatJC("Unexpected character found in \\u Unicode escape sequence.  Found '%c', expected "
                             "[0-9a-fA-F].",
                        *p));
                return false;
            }
            unit = unit << 4 | static_cast<uint32_t>(value);
        }
        return true;
    };

    // What the fast scan passed over is copied first; then runs of plain
    // bytes are copied whole between the bytes that need decoding.
    const uint8_t* run = start;
    while (!failed) {
        const uint8_t* special = findSpecialStringByte(p, end);
        const auto runLength = static_cast<size_t>(special - run);
        if (!reserve(runLength))
            break;
        if (runLength != 0)
            std::memcpy(buffer.bytes() + index, run, runLength);
        index += runLength;
        p = special;
        if (p >= end)
            break;
        const uint8_t c = *p;
        if (c == '"') {
            finishString(start, buffer.bytes(), index, p);
            return true;
        }
        if (c < 0x20) {
            fail(p, formatJC("Invalid character < 0x20 found in string: 0x%2.2x.", c));
            break;
        }
        if (c >= 0x80) {
            const Utf8Decoded sequence = decodeUtf8Sequence(p, static_cast<size_t>(end - p));
            if (sequence.kind == Utf8Sequence::WellFormed) {
                std::memcpy(buffer.bytes() + index, p, sequence.length);
                index += sequence.length;
            } else if (sequence.kind == Utf8Sequence::Truncated) {
                fail(p, "End of buffer reached while parsing UTF8 in \"\" string.");
                break;
            } else if (!loose) {
                fail(p, "Illegal UTF8 sequence found in \"\" string.");
                break;
            } else {
                appendCodePoint(0xFFFD, index);
            }
            p += sequence.length;
            run = p;
            continue;
        }

        // A backslash.
        if (p + 1 >= end) {
            p = end;
            break;
        }
        const uint8_t escaped = p[1];
        uint8_t simple = 0;
        switch (escaped) {
        case 'b':
            simple = 0x08;
            break;
        case 'f':
            simple = 0x0C;
            break;
        case 'n':
            simple = 0x0A;
            break;
        case 'r':
            simple = 0x0D;
            break;
        case 't':
            simple = 0x09;
            break;
        case '"':
        case '\\':
        case '/':
            simple = escaped;
            break;
        case 'u':
            break;
        default:
            fail(p + 1, "Invalid escape sequence found in \"\" string.");
            break;
        }
        if (failed)
            break;
        if (simple != 0) {
            buffer.bytes()[index++] = simple;
            p += 2;
            run = p;
            continue;
        }

        p += 2;
        uint32_t first = 0;
        if (!readUnit(first))
            break;
        uint32_t codePoint = first;
        bool unpaired = isLowSurrogate(first);
        if (isHighSurrogate(first)) {
            if (p >= end || (*p == '\\' && p + 1 >= end))
                break;
            if (*p != '\\' || p[1] != 'u') {
                // Loose text keeps a replacement and reads the byte (or the
                // backslash's escape) again as ordinary string content.
                if (!loose) {
                    fail(p,
                        "Required a second \\u Unicode escape sequence following a surrogate \\u Unicode escape "
                        "sequence.");
                    break;
                }
                appendCodePoint(0xFFFD, index);
                run = p;
                continue;
            }
            p += 2;
            uint32_t second = 0;
            if (!readUnit(second))
                break;
            unpaired = !isLowSurrogate(second);
            if (!unpaired) {
                codePoint = (first - 0xD800) * 0x400 + (second - 0xDC00) + 0x10000;
            } else if (loose) {
                // The second escape is no partner: it is read again on its
                // own, as a character or the start of a pair of its own.
                appendCodePoint(0xFFFD, index);
                p -= 6;
                run = p;
                continue;
            }
        }
        if (unpaired || isIllegalCodePoint(codePoint)) {
            if (!loose) {
                fail(p, "Illegal \\u Unicode escape sequence.");
                break;
            }
            codePoint = 0xFFFD;
        }
        appendCodePoint(codePoint, index);
        run = p;
    }

    if (!failed)
        _state.atIndex = static_cast<size_t>(p - _input);
    recordMessage("Invalid string.");
    return false;
}

}  // namespace zt::detail
