#include "web/LiteJsonParser.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <locale.h>
#include <string>

#include "platform/foundation/HexDigit.h"
#include "platform/foundation/Text.h"

namespace zt {

namespace {

bool isWhitespace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

locale_t cLocale()
{
    static const locale_t locale = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

void appendUtf8(std::string& text, uint32_t codePoint)
{
    if (codePoint < 0x80) {
        text += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        text += static_cast<char>(0xC0 | (codePoint >> 6));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        text += static_cast<char>(0xE0 | (codePoint >> 12));
        text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (codePoint >> 18));
        text += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

std::string hexCode(unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", value);
    return text;
}

}  // namespace

std::optional<plat::Value> LiteJsonParser::fragmentWithString(std::optional<std::string_view> string)
{
    clearErrorTrace();
    if (!string) {
        addErrorWithCode(kLiteJsonErrorNilInput, "Input was 'nil'");
        return std::nullopt;
    }
    _depth = 0;
    // The text's UTF-8 form ends at its first NUL, as a C string would.
    _c = string->data();
    const void* nul = string->empty() ? nullptr : std::memchr(string->data(), '\0', string->size());
    _end = nul != nullptr ? static_cast<const char*>(nul) : string->data() + string->size();
    plat::Value value;
    if (!scanValue(value))
        return std::nullopt;
    skipWhitespace();
    if (!atEnd()) {
        addErrorWithCode(kLiteJsonErrorGarbage, "Garbage after JSON");
        return std::nullopt;
    }
    return value;
}

std::optional<plat::Value> LiteJsonParser::objectWithString(std::optional<std::string_view> string)
{
    auto value = fragmentWithString(string);
    if (value && !value->isDictionary() && !value->isArray()) {
        addErrorWithCode(kLiteJsonErrorNotJSON, "Valid fragment, but not JSON");
        return std::nullopt;
    }
    return value;
}

void LiteJsonParser::skipWhitespace()
{
    while (_c != _end && isWhitespace(*_c))
        ++_c;
}

bool LiteJsonParser::scanValue(plat::Value& value)
{
    skipWhitespace();
    if (atEnd()) {
        addErrorWithCode(kLiteJsonErrorEndOfInput, "Unexpected end of string");
        return false;
    }
    switch (*_c++) {
    case '"': {
        std::string text;
        if (!scanString(text))
            return false;
        value = plat::Value(std::move(text));
        return true;
    }
    case '[':
        return scanArray(value);
    case '{':
        return scanObject(value);
    case 't':
        value = plat::Value(true);
        return scanRestOfLiteral("rue", "Expected 'true'");
    case 'f':
        value = plat::Value(false);
        return scanRestOfLiteral("alse", "Expected 'false'");
    case 'n':
        value = plat::Value();
        return scanRestOfLiteral("ull", "Expected 'null'");
    case '-':
    case '0':
    case '1':
    case '2':
    case '3':
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9':
        --_c;
        return scanNumber(value);
    case '+':
        addErrorWithCode(kLiteJsonErrorNumber, "Leading + disallowed in number");
        return false;
    default:
        addErrorWithCode(kLiteJsonErrorUnexpected, "Unrecognised leading character");
        return false;
    }
}

bool LiteJsonParser::scanRestOfLiteral(std::string_view rest, const char* error)
{
    if (static_cast<size_t>(_end - _c) < rest.size() || std::string_view(_c, rest.size()) != rest) {
        addErrorWithCode(kLiteJsonErrorUnexpected, error);
        return false;
    }
    _c += rest.size();
    return true;
}

bool LiteJsonParser::scanNumber(plat::Value& value)
{
    const char* const start = _c;
    if (*_c == '-')
        ++_c;
    if (!atEnd() && *_c == '0') {
        ++_c;
        if (!atEnd() && isDigit(*_c)) {
            addErrorWithCode(kLiteJsonErrorNumber, "Leading 0 disallowed in number");
            return false;
        }
    } else if (atEnd() || !isDigit(*_c)) {
        addErrorWithCode(kLiteJsonErrorNumber, "No digits after initial minus");
        return false;
    } else {
        while (!atEnd() && isDigit(*_c))
            ++_c;
    }
    bool isWhole = true;
    if (!atEnd() && *_c == '.') {
        isWhole = false;
        ++_c;
        if (atEnd() || !isDigit(*_c)) {
            addErrorWithCode(kLiteJsonErrorNumber, "No digits after decimal point");
            return false;
        }
        while (!atEnd() && isDigit(*_c))
            ++_c;
    }
    if (!atEnd() && (*_c == 'e' || *_c == 'E')) {
        isWhole = false;
        ++_c;
        if (!atEnd() && (*_c == '-' || *_c == '+'))
            ++_c;
        if (atEnd() || !isDigit(*_c)) {
            addErrorWithCode(kLiteJsonErrorNumber, "No digits after exponent");
            return false;
        }
        while (!atEnd() && isDigit(*_c))
            ++_c;
    }

    // Our decimal numbers are the platform values' numbers: whole numbers
    // that fit 64 bits stay exact, the rest are the nearest double, and a
    // value beyond the double range cannot be made.
    if (isWhole) {
        int64_t whole = 0;
        const auto converted = std::from_chars(start, _c, whole);
        if (converted.ec == std::errc() && converted.ptr == _c) {
            value = plat::Value(whole);
            return true;
        }
    }
    double real = 0;
    const auto converted = std::from_chars(start, _c, real);
    if (converted.ec == std::errc::result_out_of_range) {
        const std::string text(start, _c);
        real = ::strtod_l(text.c_str(), nullptr, cLocale());
    }
    if (converted.ptr != _c || !std::isfinite(real)) {
        addErrorWithCode(kLiteJsonErrorNumber, "Failed creating decimal instance");
        return false;
    }
    value = plat::Value(real);
    return true;
}

bool LiteJsonParser::scanHexQuad(uint32_t& unit)
{
    unit = 0;
    for (int i = 0; i < 4; ++i) {
        const int digit = atEnd() ? -1 : plat::hexDigitValue(*_c);
        if (digit < 0) {
            addErrorWithCode(kLiteJsonErrorUnicode, "Missing hex digit in quad");
            return false;
        }
        unit = unit << 4 | static_cast<uint32_t>(digit);
        ++_c;
    }
    return true;
}

bool LiteJsonParser::scanUnicodeChar(std::string& text)
{
    uint32_t high = 0;
    if (!scanHexQuad(high)) {
        addErrorWithCode(kLiteJsonErrorUnicode, "Missing hex quad");
        return false;
    }
    if (high >= 0xD800 && high <= 0xDBFF) {
        if (_end - _c < 2 || _c[0] != '\\' || _c[1] != 'u') {
            addErrorWithCode(kLiteJsonErrorUnicode, "Missing low character in surrogate pair");
            return false;
        }
        _c += 2;
        uint32_t low = 0;
        if (!scanHexQuad(low)) {
            addErrorWithCode(kLiteJsonErrorUnicode, "Missing hex quad");
            return false;
        }
        if (low < 0xDC00 || low > 0xDFFF) {
            addErrorWithCode(kLiteJsonErrorUnicode, "Invalid low surrogate char");
            return false;
        }
        appendUtf8(text, 0x10000 + (high - 0xD800) * 0x400 + (low - 0xDC00));
        return true;
    }
    if (high >= 0xDC00 && high <= 0xDFFF) {
        addErrorWithCode(kLiteJsonErrorUnicode, "Invalid high character in surrogate pair");
        return false;
    }
    appendUtf8(text, high);
    return true;
}

bool LiteJsonParser::scanString(std::string& text)
{
    for (;;) {
        // The longest run of plain bytes, read as UTF-8 (bad bytes as U+FFFD).
        const char* run = _c;
        while (_c != _end && *_c != '"' && *_c != '\\' && static_cast<unsigned char>(*_c) >= 0x20)
            ++_c;
        if (_c != run) {
            const std::string_view bytes(run, static_cast<size_t>(_c - run));
            if (plat::isValidUtf8(bytes))
                text.append(bytes);
            else
                text += plat::repairedUtf8(bytes);
        }
        if (atEnd() || static_cast<unsigned char>(*_c) < 0x20) {
            // The end of the text is its terminating NUL.
            addErrorWithCode(kLiteJsonErrorControlCharacter,
                "Unescaped control character '" + hexCode(atEnd() ? 0 : static_cast<unsigned char>(*_c)) + "'");
            return false;
        }
        if (*_c++ == '"')
            return true;
        if (atEnd()) {
            addErrorWithCode(kLiteJsonErrorEndOfInput, "Unexpected EOF while parsing string");
            return false;
        }
        const char escaped = *_c++;
        switch (escaped) {
        case '"':
        case '\\':
        case '/':
            text += escaped;
            break;
        case 'b':
            text += '\b';
            break;
        case 'f':
            text += '\f';
            break;
        case 'n':
            text += '\n';
            break;
        case 'r':
            text += '\r';
            break;
        case 't':
            text += '\t';
            break;
        case 'u':
            if (!scanUnicodeChar(text)) {
                addErrorWithCode(kLiteJsonErrorUnicode, "Broken unicode character");
                return false;
            }
            break;
        default:
            addErrorWithCode(
                kLiteJsonErrorEscape, "Illegal escape sequence '" + hexCode(static_cast<unsigned char>(escaped)) + "'");
            return false;
        }
    }
}

bool LiteJsonParser::enterContainer()
{
    if (++_depth <= effectiveMaxDepth())
        return true;
    addErrorWithCode(kLiteJsonErrorTooDeep, "Nested too deep");
    return false;
}

bool LiteJsonParser::scanArray(plat::Value& value)
{
    if (!enterContainer())
        return false;
    std::vector<plat::Value> elements;
    elements.reserve(8);
    while (!atEnd()) {
        skipWhitespace();
        if (!atEnd() && *_c == ']') {
            ++_c;
            --_depth;
            value = plat::Value(plat::Array(std::move(elements)));
            return true;
        }
        plat::Value element;
        if (!scanValue(element)) {
            addErrorWithCode(kLiteJsonErrorUnexpected, "Expected value while parsing array");
            return false;
        }
        elements.push_back(std::move(element));
        skipWhitespace();
        if (!atEnd() && *_c == ',') {
            ++_c;
            skipWhitespace();
            if (!atEnd() && *_c == ']') {
                addErrorWithCode(kLiteJsonErrorTrailingComma, "Trailing comma disallowed in array");
                return false;
            }
        }
    }
    addErrorWithCode(kLiteJsonErrorEndOfInput, "End of input while parsing array");
    return false;
}

bool LiteJsonParser::scanObject(plat::Value& value)
{
    if (!enterContainer())
        return false;
    plat::Dictionary dictionary;
    while (!atEnd()) {
        skipWhitespace();
        if (!atEnd() && *_c == '}') {
            ++_c;
            --_depth;
            value = plat::Value(std::move(dictionary));
            return true;
        }
        if (atEnd() || *_c != '"') {
            addErrorWithCode(kLiteJsonErrorUnexpected, "Object key string expected");
            return false;
        }
        ++_c;
        std::string key;
        if (!scanString(key)) {
            addErrorWithCode(kLiteJsonErrorUnexpected, "Object key string expected");
            return false;
        }
        skipWhitespace();
        if (atEnd() || *_c != ':') {
            addErrorWithCode(kLiteJsonErrorUnexpected, "Expected ':' separating key and value");
            return false;
        }
        ++_c;
        plat::Value object;
        if (!scanValue(object)) {
            addErrorWithCode(kLiteJsonErrorUnexpected, "Object value expected for key: " + key);
            return false;
        }
        dictionary.setKeepingNull(std::move(key), std::move(object));
        skipWhitespace();
        if (!atEnd() && *_c == ',') {
            ++_c;
            skipWhitespace();
            if (!atEnd() && *_c == '}') {
                addErrorWithCode(kLiteJsonErrorTrailingComma, "Trailing comma disallowed in object");
                return false;
            }
        }
    }
    addErrorWithCode(kLiteJsonErrorEndOfInput, "End of input while parsing object");
    return false;
}

}  // namespace zt
