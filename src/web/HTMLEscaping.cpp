#include "web/HTMLEscaping.h"

#include <algorithm>
#include <optional>

#include "platform/foundation/HexDigit.h"
#include "platform/foundation/Text.h"

namespace zt {

namespace {

// References are "&...;" of 4 to 10 characters in all.
constexpr size_t kShortestReference = 4;
constexpr size_t kLongestReference = 10;
constexpr uint32_t kLargestReferenceValue = 65534;

const HTMLEscapeMap* lookUp(const HTMLEscapeMap* table, size_t size, char16_t unit)
{
    const HTMLEscapeMap* end = table + size;
    const HTMLEscapeMap* found = std::lower_bound(
        table, end, unit, [](const HTMLEscapeMap& row, char16_t value) { return row.uchar < value; });
    return found != end && found->uchar == unit ? found : nullptr;
}

// One character of UTF-8 at p: its code point and length; a bad byte is U+FFFD of length 1.
std::pair<uint32_t, size_t> decodeCharacter(std::string_view text, size_t p)
{
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[p + i]); };
    const uint8_t first = byte(0);
    if (first < 0x80)
        return {first, 1};
    size_t length = 0;
    uint32_t codePoint = 0;
    uint32_t smallest = 0;
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2;
        codePoint = first & 0x1F;
        smallest = 0x80;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3;
        codePoint = first & 0x0F;
        smallest = 0x800;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4;
        codePoint = first & 0x07;
        smallest = 0x10000;
    } else {
        return {0xFFFD, 1};
    }
    if (p + length > text.size())
        return {0xFFFD, 1};
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return {0xFFFD, 1};
        codePoint = codePoint << 6 | (byte(i) & 0x3F);
    }
    if (codePoint < smallest || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return {0xFFFD, 1};
    return {codePoint, length};
}

bool isScannerWhitespace(char16_t unit)
{
    return (unit >= 0x09 && unit <= 0x0D) || unit == 0x20 || unit == 0x85 || unit == 0xA0 || unit == 0x1680
        || (unit >= 0x2000 && unit <= 0x200A) || unit == 0x2028 || unit == 0x2029 || unit == 0x202F || unit == 0x205F
        || unit == 0x3000;
}

// The whole of text read as the platform's scanner reads an integer: white
// space skipped around it, a sign for decimals, "0x" allowed before hex
// digits, saturating on overflow. Empty unless all of text is used.
std::optional<int64_t> scanWholeInteger(std::u16string_view text, bool hexadecimal)
{
    size_t i = 0;
    while (i < text.size() && isScannerWhitespace(text[i]))
        ++i;
    bool negative = false;
    if (!hexadecimal && i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (hexadecimal && i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')
        && i + 2 < text.size() && plat::hexDigitValue(text[i + 2]) >= 0)
        i += 2;
    const int64_t base = hexadecimal ? 16 : 10;
    const int64_t saturation = hexadecimal ? int64_t(UINT32_MAX) : int64_t(INT32_MAX);
    const size_t firstDigit = i;
    int64_t value = 0;
    while (i < text.size()) {
        const int digit
            = hexadecimal ? plat::hexDigitValue(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0)
            break;
        value = std::min(value * base + digit, saturation + 1);
        ++i;
    }
    if (i == firstDigit)
        return std::nullopt;
    while (i < text.size() && isScannerWhitespace(text[i]))
        ++i;
    if (i != text.size())
        return std::nullopt;
    if (negative)
        return std::max(-value, int64_t(INT32_MIN));
    return std::min(value, saturation);
}

// The code unit the reference [first, last] stands for, if it is one.
std::optional<char16_t> referencedUnit(std::u16string_view reference)
{
    if (reference.size() > 2 && reference[1] == u'#') {
        const bool hexadecimal = reference.size() > 3 && (reference[2] == u'x' || reference[2] == u'X');
        const std::u16string_view digits
            = reference.substr(hexadecimal ? 3 : 2, reference.size() - (hexadecimal ? 4 : 3));
        const auto value = scanWholeInteger(digits, hexadecimal);
        if (!value || *value < 1 || *value > kLargestReferenceValue)
            return std::nullopt;
        // Half a surrogate pair alone is not text: leave the reference be.
        if (*value >= 0xD800 && *value <= 0xDFFF)
            return std::nullopt;
        return static_cast<char16_t>(*value);
    }
    for (const HTMLEscapeMap& row : htmlEntities()) {
        if (row.escapeSequence.size() != reference.size())
            continue;
        if (std::equal(reference.begin(), reference.end(), row.escapeSequence.begin(),
                [](char16_t unit, char c) { return unit == static_cast<unsigned char>(c); }))
            return row.uchar;
    }
    return std::nullopt;
}

}  // namespace

std::string ws_stringByEscapingHTMLUsingTable(
    std::string_view string, const HTMLEscapeMap* table, size_t size, EscapingUnicode escapingUnicode)
{
    if (string.empty())
        return std::string(string);
    std::string result;
    result.reserve(string.size() + string.size() / 8);
    size_t pending = 0;  // start of the run of characters that stay as they are
    size_t p = 0;
    auto flush = [&](size_t end) { result.append(string.substr(pending, end - pending)); };
    auto escapeUnit = [&](char16_t unit) -> bool {
        if (const HTMLEscapeMap* row = lookUp(table, size, unit)) {
            result.append(row->escapeSequence);
            return true;
        }
        if (unit > 127 && escapingUnicode == EscapingUnicode::Yes) {
            result += "&#" + std::to_string(static_cast<unsigned>(unit)) + ";";
            return true;
        }
        return false;
    };
    while (p < string.size()) {
        const auto [codePoint, length] = decodeCharacter(string, p);
        const bool isBadByte = codePoint == 0xFFFD && length == 1 && static_cast<uint8_t>(string[p]) >= 0x80;
        if (codePoint >= 0x10000) {
            // Two units, each on its own, as the platform's strings hold them.
            const auto high = static_cast<char16_t>(0xD800 + ((codePoint - 0x10000) >> 10));
            const auto low = static_cast<char16_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
            if (escapingUnicode == EscapingUnicode::Yes || lookUp(table, size, high) || lookUp(table, size, low)) {
                flush(p);
                if (!escapeUnit(high))
                    result += plat::utf8FromUtf16(std::u16string(1, high));
                if (!escapeUnit(low))
                    result += plat::utf8FromUtf16(std::u16string(1, low));
                pending = p + length;
            }
        } else if (isBadByte || lookUp(table, size, static_cast<char16_t>(codePoint))
            || (codePoint > 127 && escapingUnicode == EscapingUnicode::Yes)) {
            flush(p);
            if (!escapeUnit(static_cast<char16_t>(codePoint)))
                result += "\xEF\xBF\xBD";  // a bad byte kept as text
            pending = p + length;
        }
        p += length;
    }
    flush(string.size());
    return result;
}

std::string ws_stringByEscapingForHTML(std::string_view string)
{
    const auto table = htmlSpecialEntities();
    return ws_stringByEscapingHTMLUsingTable(string, table.data(), table.size(), EscapingUnicode::No);
}

std::string ws_stringByEscapingForAsciiHTML(std::string_view string)
{
    const auto table = htmlEntities();
    return ws_stringByEscapingHTMLUsingTable(string, table.data(), table.size(), EscapingUnicode::Yes);
}

std::string ws_stringByUnescapingFromHTML(std::string_view string)
{
    if (string.find('&') == std::string_view::npos)
        return std::string(string);
    const std::u16string text = plat::utf16FromUtf8(string);
    // A reference closes at the first ";" after its "&" and before the next
    // "&". Replacements never change what the other "&"s see, so one pass
    // from the front gives what replacing from the last "&" back to the first
    // would, in linear time.
    std::u16string result;
    result.reserve(text.size());
    size_t copied = 0;
    size_t ampersand = text.find(u'&');
    while (ampersand != std::u16string::npos) {
        const size_t nextAmpersand = text.find(u'&', ampersand + 1);
        const size_t windowEnd = std::min({nextAmpersand, text.size(), ampersand + kLongestReference});
        size_t semicolon = ampersand;
        while (semicolon < windowEnd && text[semicolon] != u';')
            ++semicolon;
        if (semicolon < windowEnd) {
            const size_t length = semicolon - ampersand + 1;
            const auto unit = length >= kShortestReference
                ? referencedUnit(std::u16string_view(text).substr(ampersand, length))
                : std::nullopt;
            if (unit) {
                result.append(text, copied, ampersand - copied);
                result += *unit;
                copied = semicolon + 1;
            }
        }
        ampersand = nextAmpersand;
    }
    result.append(text, copied, std::u16string::npos);
    return plat::utf8FromUtf16(result);
}

}  // namespace zt
