#include "platform/foundation/Text.h"

#include <algorithm>
#include <clocale>
#include <cwctype>
#include <limits>
#include <locale.h>

namespace plat {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

// Marks and embeddings that turn the reading direction of what follows
// them, up to the end of the line or paragraph.
bool isDirectionControl(char32_t codePoint)
{
    return codePoint == 0x061C || codePoint == 0x200E || codePoint == 0x200F
        || (codePoint >= 0x202A && codePoint <= 0x202E) || (codePoint >= 0x2066 && codePoint <= 0x2069);
}

// What names show as an escape: control characters, the line and paragraph
// separators, and the direction marks and embeddings.
bool isControlInName(char32_t codePoint)
{
    const bool isControl = codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F);
    const bool isSeparator = codePoint == 0x2028 || codePoint == 0x2029;
    return isControl || isSeparator || isDirectionControl(codePoint);
}

// Decodes one code point at offset and advances it; invalid or truncated
// sequences, overlong forms and surrogates give U+FFFD and consume one byte.
char32_t decodeUtf8(std::string_view text, size_t& offset)
{
    auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    uint8_t first = byte(offset);
    if (first < 0x80) {
        ++offset;
        return first;
    }
    size_t length;
    char32_t codePoint;
    char32_t minimum;
    if ((first & 0xE0) == 0xC0) {
        length = 2;
        codePoint = first & 0x1F;
        minimum = 0x80;
    } else if ((first & 0xF0) == 0xE0) {
        length = 3;
        codePoint = first & 0x0F;
        minimum = 0x800;
    } else if ((first & 0xF8) == 0xF0) {
        length = 4;
        codePoint = first & 0x07;
        minimum = 0x10000;
    } else {
        ++offset;
        return kReplacementCharacter;
    }
    if (offset + length > text.size()) {
        ++offset;
        return kReplacementCharacter;
    }
    for (size_t i = 1; i < length; ++i) {
        uint8_t next = byte(offset + i);
        if ((next & 0xC0) != 0x80) {
            ++offset;
            return kReplacementCharacter;
        }
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        ++offset;
        return kReplacementCharacter;
    }
    offset += length;
    return codePoint;
}

// A C locale object with UTF-8 character classes, for the _l functions:
// the process locale is never changed.
locale_t utf8Locale()
{
    static locale_t locale = [] {
        locale_t made = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        return made ? made : ::newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
    }();
    return locale;
}

template <typename Mapping> std::string mapCharacters(std::string_view text, Mapping mapping)
{
    std::string out;
    out.reserve(text.size());
    size_t offset = 0;
    while (offset < text.size()) {
        char32_t codePoint = decodeUtf8(text, offset);
        appendUtf8(out, static_cast<char32_t>(mapping(static_cast<wint_t>(codePoint), utf8Locale())));
    }
    return out;
}

}  // namespace

void appendUtf8(std::string& out, char32_t codePoint)
{
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

std::u16string utf16FromUtf8(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    size_t offset = 0;
    while (offset < text.size()) {
        char32_t codePoint = decodeUtf8(text, offset);
        if (codePoint >= 0x10000) {
            codePoint -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (codePoint >> 10));
            out += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
        } else {
            out += static_cast<char16_t>(codePoint);
        }
    }
    return out;
}

std::string utf8FromUtf16(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            char32_t codePoint = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
            appendUtf8(out, codePoint);
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            appendUtf8(out, kReplacementCharacter);
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

bool isValidUtf8(std::string_view text)
{
    size_t offset = 0;
    while (offset < text.size()) {
        size_t before = offset;
        char32_t codePoint = decodeUtf8(text, offset);
        // A genuine U+FFFD takes three bytes; a replacement for a bad byte takes one.
        if (codePoint == kReplacementCharacter && offset - before == 1)
            return false;
    }
    return true;
}

std::string repairedUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t offset = 0;
    while (offset < text.size())
        appendUtf8(out, decodeUtf8(text, offset));
    return out;
}

std::string escapedForMessage(std::string_view name)
{
    constexpr char kHexDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(name.size());
    size_t offset = 0;
    while (offset < name.size()) {
        const char32_t codePoint = decodeUtf8(name, offset);
        if (!isControlInName(codePoint)) {
            appendUtf8(out, codePoint);
            continue;
        }
        switch (codePoint) {
        case 0:
            out += "\\0";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            if (codePoint <= 0xFF) {
                out += "\\x";
            } else {
                out += "\\u";
                out += kHexDigits[(codePoint >> 12) & 0xF];
                out += kHexDigits[(codePoint >> 8) & 0xF];
            }
            out += kHexDigits[(codePoint >> 4) & 0xF];
            out += kHexDigits[codePoint & 0xF];
        }
    }
    return out;
}

std::string replacingControlCharacters(std::string_view text, std::string_view replacement)
{
    std::string out;
    out.reserve(text.size());
    size_t offset = 0;
    while (offset < text.size()) {
        const char32_t codePoint = decodeUtf8(text, offset);
        if (isControlInName(codePoint))
            out += replacement;
        else
            appendUtf8(out, codePoint);
    }
    return out;
}

std::string prefixWithinBytes(std::string_view text, size_t maximumBytes)
{
    if (text.size() <= maximumBytes)
        return std::string(text);
    size_t end = 0;
    size_t offset = 0;
    while (offset < text.size()) {
        decodeUtf8(text, offset);
        if (offset > maximumBytes)
            break;
        end = offset;
    }
    return std::string(text.substr(0, end));
}

int64_t lengthInUtf16(std::string_view text)
{
    int64_t length = 0;
    size_t offset = 0;
    while (offset < text.size())
        length += decodeUtf8(text, offset) >= 0x10000 ? 2 : 1;
    return length;
}

std::string substringWithRange(std::string_view text, Range range)
{
    std::u16string units = utf16FromUtf8(text);
    int64_t count = static_cast<int64_t>(units.size());
    int64_t start = std::clamp<int64_t>(range.location, 0, count);
    int64_t length = std::clamp<int64_t>(range.length, 0, count - start);
    return utf8FromUtf16(std::u16string_view(units).substr(static_cast<size_t>(start), static_cast<size_t>(length)));
}

std::string substringToIndex(std::string_view text, int64_t utf16Index)
{
    return substringWithRange(text, {0, utf16Index});
}

std::string substringFromIndex(std::string_view text, int64_t utf16Index)
{
    return substringWithRange(text, {utf16Index, std::numeric_limits<int64_t>::max() / 2});
}

std::optional<char16_t> characterAtIndex(std::string_view text, int64_t utf16Index)
{
    std::u16string units = utf16FromUtf8(text);
    if (utf16Index < 0 || utf16Index >= static_cast<int64_t>(units.size()))
        return std::nullopt;
    return units[static_cast<size_t>(utf16Index)];
}

Range rangeOfString(std::string_view text, std::string_view needle)
{
    if (needle.empty())
        return kNotFoundRange;
    size_t found = text.find(needle);
    if (found == std::string_view::npos)
        return kNotFoundRange;
    return {lengthInUtf16(text.substr(0, found)), lengthInUtf16(needle)};
}

std::string uppercaseString(std::string_view text)
{
    return mapCharacters(text, ::towupper_l);
}
std::string lowercaseString(std::string_view text)
{
    return mapCharacters(text, ::towlower_l);
}

bool hasPrefix(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

bool hasSuffix(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::string trimmingWhitespace(std::string_view text)
{
    constexpr std::string_view kWhitespace = " \t\r\n\v\f";
    size_t first = text.find_first_not_of(kWhitespace);
    if (first == std::string_view::npos)
        return {};
    size_t last = text.find_last_not_of(kWhitespace);
    return std::string(text.substr(first, last - first + 1));
}

std::string replacingOccurrences(std::string_view text, std::string_view target, std::string_view replacement)
{
    if (target.empty())
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t position = 0;
    for (;;) {
        size_t found = text.find(target, position);
        if (found == std::string_view::npos)
            break;
        out.append(text.substr(position, found - position));
        out.append(replacement);
        position = found + target.size();
    }
    out.append(text.substr(position));
    return out;
}

std::vector<std::string> componentsSeparatedByString(std::string_view text, std::string_view separator)
{
    std::vector<std::string> components;
    if (separator.empty()) {
        components.emplace_back(text);
        return components;
    }
    size_t position = 0;
    for (;;) {
        size_t found = text.find(separator, position);
        if (found == std::string_view::npos)
            break;
        components.emplace_back(text.substr(position, found - position));
        position = found + separator.size();
    }
    components.emplace_back(text.substr(position));
    return components;
}

}  // namespace plat
