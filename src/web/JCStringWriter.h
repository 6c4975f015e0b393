#pragma once
// Writing the contents of JSON strings for the serializer (internal).
#include <cstddef>
#include <cstdint>

namespace zt::detail {

// Strings are written a segment at a time...
inline constexpr size_t kJCStringSegmentBytes = 16384;

// ...into room for the worst case: six bytes for each ("\u0001"), plus a
// 16-byte block or a character that may run past the segment's end.
constexpr size_t escapedSegmentRoom(size_t count)
{
    return (count + 32) * 6;
}

// Copies [p, segmentEnd) of UTF-8 text to out with the ASCII escapes, a
// block at a time, and may go on past segmentEnd (never past end) to finish
// a block or a character. Returns the end of what it wrote, with p past
// what it read; nullptr when the text is not well-formed UTF-8 after all,
// which knownUtf8 rules out without a look.
char* writeCopyableSegment(
    const uint8_t*& p, const uint8_t* segmentEnd, const uint8_t* end, char* out, bool escapeSlash, bool knownUtf8);

// The same for any bytes: what is not UTF-8 becomes "?", as the platform
// converts what it cannot, and with escapeUnicode every other non-ASCII
// character becomes "\u" escapes. nullptr for a code point that cannot be
// escaped (a noncharacter).
char* writeCheckedSegment(
    const uint8_t*& p, const uint8_t* segmentEnd, const uint8_t* end, char* out, bool escapeSlash, bool escapeUnicode);

}  // namespace zt::detail
