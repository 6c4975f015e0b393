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
