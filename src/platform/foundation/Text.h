#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Value.h"

// Text is UTF-8 in memory, but the platform's strings count UTF-16 code units:
// lengths, ranges and truncation go through these helpers so that counts
// match. Invalid UTF-8 is read as U+FFFD per bad byte. Any thread.
namespace plat {

// A range of UTF-16 code units, as the platform's ranges are.
struct Range {
    int64_t location = 0;
    int64_t length = 0;
    int64_t end() const { return location + length; }
    friend bool operator==(const Range&, const Range&) = default;
};

inline constexpr Range kNotFoundRange {kNotFound, 0};

// Appends the UTF-8 bytes of one code point (at most U+10FFFF).
void appendUtf8(std::string& out, char32_t codePoint);

std::u16string utf16FromUtf8(std::string_view text);
// Lone surrogates become U+FFFD.
std::string utf8FromUtf16(std::u16string_view text);

bool isValidUtf8(std::string_view text);
// The text with every invalid byte replaced by U+FFFD.
std::string repairedUtf8(std::string_view text);
// A name from outside (a file's, an archive entry's) as it may stand in a
// message: repaired as above, and every control character (NUL, line
// breaks, tabs, escape, the line and paragraph separators, the marks and
// embeddings that set the reading direction) written as an escape ("\0",
// "\n", "\t", "\x1B", "\u2028", "\u202E"), so that the name can be read and
// neither cuts, breaks nor turns the text around it.
std::string escapedForMessage(std::string_view name);
// The text repaired as above, with every character that escapedForMessage
// escapes replaced by replacement: what a name made from it may hold.
std::string replacingControlCharacters(std::string_view text, std::string_view replacement);
// The longest start of the text that takes at most maximumBytes, cut between
// two characters, never inside one.
std::string prefixWithinBytes(std::string_view text, size_t maximumBytes);

int64_t lengthInUtf16(std::string_view text);
// The text of the UTF-16 range; a range beyond the end is clipped. A range
// that splits a surrogate pair keeps the half as U+FFFD.
std::string substringWithRange(std::string_view text, Range range);
std::string substringToIndex(std::string_view text, int64_t utf16Index);
std::string substringFromIndex(std::string_view text, int64_t utf16Index);
// The UTF-16 unit at index, or empty past the end.
std::optional<char16_t> characterAtIndex(std::string_view text, int64_t utf16Index);
// The UTF-16 range of the first occurrence of needle, or kNotFoundRange.
Range rangeOfString(std::string_view text, std::string_view needle);

// Case mapping of every character the C library's UTF-8 locale knows.
std::string uppercaseString(std::string_view text);
std::string lowercaseString(std::string_view text);

bool hasPrefix(std::string_view text, std::string_view prefix);
bool hasSuffix(std::string_view text, std::string_view suffix);
// Removes spaces, tabs and line breaks at both ends.
std::string trimmingWhitespace(std::string_view text);
// Every occurrence of target replaced by replacement; an empty target changes nothing.
std::string replacingOccurrences(std::string_view text, std::string_view target, std::string_view replacement);
std::vector<std::string> componentsSeparatedByString(std::string_view text, std::string_view separator);

}  // namespace plat
