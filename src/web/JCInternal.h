#pragma once
// Helpers shared by JSONCore's decoder, serializer and containers.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zt::detail {

// Misuse of a JSONCore object: logs the platform exception's name and reason
// and aborts, where the platform would raise.
[[noreturn]] void raiseJCException(const char* name, const std::string& reason);

// printf-style formatting into a string, for the fixed message texts.
std::string formatJC(const char* format, ...) __attribute__((format(printf, 1, 2)));

// One UTF-8 sequence beginning with a byte of 0x80 or more.
enum class Utf8Sequence : uint8_t {
    WellFormed,  // a legal code point
    IllegalCodePoint,  // well-formed bytes of a code point JSON text may not carry
    Illegal,  // ill-formed
    Truncated,  // would run past the end of the input
};

struct Utf8Decoded {
    Utf8Sequence kind;
    uint32_t codePoint;  // U+FFFD when ill-formed or truncated
    size_t length;  // bytes to skip
};

// Decodes the sequence at bytes[0] (bytes[0] >= 0x80), at most available bytes.
// Ill-formed sequences skip their first byte and the continuation bytes after
// it, up to the sequence's announced length.
Utf8Decoded decodeUtf8Sequence(const uint8_t* bytes, size_t available);

// The length of the well-formed UTF-8 sequence at p (first byte 0x80 or
// above), whatever code point it carries; 0 when it is ill-formed.
inline size_t wellFormedSequenceLength(const uint8_t* p, const uint8_t* end)
{
    const uint8_t c = p[0];
    const auto available = static_cast<size_t>(end - p);
    auto isContinuation = [](uint8_t byte) { return (byte & 0xC0) == 0x80; };
    if (c >= 0xC2 && c <= 0xDF)
        return available >= 2 && isContinuation(p[1]) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (available < 3 || !isContinuation(p[1]) || !isContinuation(p[2]))
            return 0;
        if ((c == 0xE0 && p[1] < 0xA0) || (c == 0xED && p[1] > 0x9F))
            return 0;
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (available < 4 || !isContinuation(p[1]) || !isContinuation(p[2]) || !isContinuation(p[3]))
            return 0;
        if ((c == 0xF0 && p[1] < 0x90) || (c == 0xF4 && p[1] > 0x8F))
            return 0;
        return 4;
    }
    return 0;
}

// Surrogates, U+FDD0 to U+FDEF, U+xxFFFE and U+xxFFFF, and U+0000.
inline bool isIllegalCodePoint(uint32_t codePoint)
{
    return codePoint == 0 || (codePoint >= 0xD800 && codePoint <= 0xDFFF)
        || (codePoint >= 0xFDD0 && codePoint <= 0xFDEF) || (codePoint & 0xFFFE) == 0xFFFE;
}

// Writes the UTF-8 form of codePoint (illegal ones and those beyond U+10FFFF
// as U+FFFD) to out, which has room for 4 bytes; returns the byte count.
size_t encodeUtf8(uint32_t codePoint, uint8_t* out);

// Writes a finite double as the C library's "%.17g" does (in the C locale)
// to out, which has room for 32 bytes; returns the length.
size_t formatDoubleAs17g(double value, char* out);

// Orders strings as the platform's compare: does, by UTF-16 code units:
// byte order, except that characters from U+E000 to U+FFFF sort after those
// beyond U+FFFF (whose UTF-16 form starts with a surrogate).
bool precedesInUtf16Order(std::string_view left, std::string_view right);

}  // namespace zt::detail
