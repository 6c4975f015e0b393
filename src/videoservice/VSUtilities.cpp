#include "videoservice/VSUtilities.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <limits>

#include "platform/foundation/Text.h"

namespace zt {

namespace {

// Cc and Cf, less tab, line feed, carriage return and next line; and U+FFFE
// and U+FFFF, which XML 1.0 has no place for either.
bool isFilteredControl(char32_t c)
{
    if (c == 0xFFFE || c == 0xFFFF)
        return true;
    if (c <= 0x1F)
        return c != 0x09 && c != 0x0A && c != 0x0D;
    if (c >= 0x7F && c <= 0x9F)
        return c != 0x85;
    switch (c) {
    case 0x00AD:
    case 0x061C:
    case 0x06DD:
    case 0x070F:
    case 0x08E2:
    case 0x180E:
    case 0xFEFF:
    case 0x110BD:
    case 0x110CD:
    case 0xE0001:
        return true;
    default:
        break;
    }
    return (c >= 0x0600 && c <= 0x0605) || (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E)
        || (c >= 0x2060 && c <= 0x2064) || (c >= 0x2066 && c <= 0x206F) || (c >= 0xFFF9 && c <= 0xFFFB)
        || (c >= 0x13430 && c <= 0x13438) || (c >= 0x1BCA0 && c <= 0x1BCA3) || (c >= 0x1D173 && c <= 0x1D17A)
        || (c >= 0xE0020 && c <= 0xE007F);
}

// Decodes one UTF-8 character of valid text; returns its length.
size_t decodeCharacter(std::string_view text, size_t index, char32_t& character)
{
    auto byte = static_cast<unsigned char>(text[index]);
    if (byte < 0x80) {
        character = byte;
        return 1;
    }
    size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
    character = byte & (0x3F >> (length - 1));
    for (size_t i = 1; i < length && index + i < text.size(); ++i)
        character = (character << 6) | (static_cast<unsigned char>(text[index + i]) & 0x3F);
    return length;
}

bool isSkippedSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
        || c == '_' || c == '~';
}

void appendEscape(std::string& out, unsigned char byte)
{
    static const char digits[] = "0123456789ABCDEF";
    out += '%';
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
}

plat::Value copyOfValue(const plat::Value& value)
{
    if (auto array = value.asArray())
        return array->copy();
    if (auto dictionary = value.asDictionary())
        return dictionary->copy();
    return value;
}

}  // namespace

std::string VSUtilities::stringWithControlsFilteredForString(std::string_view text)
{
    std::string valid = plat::isValidUtf8(text) ? std::string(text) : plat::repairedUtf8(text);
    std::string_view view(valid);
    std::string result;
    bool filtered = false;
    for (size_t index = 0; index < view.size();) {
        char32_t character = 0;
        size_t length = decodeCharacter(view, index, character);
        if (isFilteredControl(character)) {
            if (!filtered) {
                result.assign(view.substr(0, index));
                filtered = true;
            }
        } else if (filtered) {
            result.append(view.substr(index, length));
        }
        index += length;
    }
    return filtered ? result : valid;
}

std::optional<double> VSUtilities::doubleNumberOrInfForString(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    size_t index = 0;
    while (index < text.size() && isSkippedSpace(text[index]))
        ++index;
    size_t start = index;
    bool negative = false;
    if (index < text.size() && (text[index] == '+' || text[index] == '-')) {
        negative = text[index] == '-';
        ++index;
    }
    size_t numberStart = index;
    size_t digits = 0;
    while (index < text.size() && text[index] >= '0' && text[index] <= '9')
        ++index, ++digits;
    if (index < text.size() && text[index] == '.') {
        ++index;
        while (index < text.size() && text[index] >= '0' && text[index] <= '9')
            ++index, ++digits;
    }
    double value = 0;
    if (digits > 0) {
        size_t end = index;
        bool negativeExponent = false;
        if (index < text.size() && (text[index] == 'e' || text[index] == 'E')) {
            size_t exponent = index + 1;
            if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
                negativeExponent = text[exponent] == '-';
                ++exponent;
            }
            if (exponent < text.size() && text[exponent] >= '0' && text[exponent] <= '9') {
                while (exponent < text.size() && text[exponent] >= '0' && text[exponent] <= '9')
                    ++exponent;
                end = exponent;
            } else {
                negativeExponent = false;
            }
        }
        auto [pointer, error]
            = std::from_chars(text.data() + numberStart, text.data() + end, value, std::chars_format::general);
        (void)pointer;
        if (error == std::errc::result_out_of_range)
            value = negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
        if (negative)
            value = -value;
    }
    (void)start;
    if (value != 0)
        return value;
    if (text.size() == 3 && plat::lowercaseString(text) == "inf")
        return std::numeric_limits<double>::infinity();
    if (text.size() == 4 && plat::lowercaseString(text) == "-inf")
        return -std::numeric_limits<double>::infinity();
    return value;
}

plat::Array VSUtilities::arrayWithCopiesOfObjectsInArray(const plat::Array& array)
{
    plat::Array result;
    for (const auto& value : array)
        result.append(copyOfValue(value));
    return result;
}

plat::Array VSUtilities::mutableArrayWithCopiesOfObjectsInArray(const plat::Array& array)
{
    return arrayWithCopiesOfObjectsInArray(array);
}

plat::Dictionary VSUtilities::dictionaryWithCopiesOfObjectsInDictionary(const plat::Dictionary& dictionary)
{
    plat::Dictionary result;
    for (const auto& [key, value] : dictionary)
        result.set(key, copyOfValue(value));
    return result;
}

plat::Dictionary VSUtilities::mutableDictionaryWithCopiesOfObjectsInDictionary(const plat::Dictionary& dictionary)
{
    return dictionaryWithCopiesOfObjectsInDictionary(dictionary);
}

plat::Dictionary VSUtilities::mutableDictionaryWithCopiesOfArraysInDictionary(const plat::Dictionary& dictionary)
{
    plat::Dictionary result;
    for (const auto& [key, value] : dictionary) {
        if (auto array = value.asArray())
            result.set(key, arrayWithCopiesOfObjectsInArray(*array));
        else
            result.set(key, copyOfValue(value));
    }
    return result;
}

plat::Dictionary VSUtilities::dictionaryWithCopiesOfArraysInDictionary(const plat::Dictionary& dictionary)
{
    return mutableDictionaryWithCopiesOfArraysInDictionary(dictionary);
}

std::string VSUtilities::stringByURLEncodingForURI(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (isUnreserved(byte))
            out += c;
        else
            appendEscape(out, byte);
    }
    return out;
}

std::string VSUtilities::stringByURLEncodingStringParameter(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (c == ' ')
            out += '+';
        else if (isUnreserved(byte))
            out += c;
        else
            appendEscape(out, byte);
    }
    return out;
}

std::string VSUtilities::stringByURLEncodingString(std::string_view text)
{
    static constexpr std::string_view kIllegal = " \"<>\\^`{|}%";
    std::string out;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F || kIllegal.find(c) != std::string_view::npos)
            appendEscape(out, byte);
        else
            out += c;
    }
    return out;
}

std::string VSUtilities::stringByPercentEncodingUTF8ForString(std::string_view text)
{
    std::string out;
    bool encoded = false;
    for (size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        bool needsEscape = byte < 0x20 || byte == 0x25 || byte >= 0x7F;
        if (needsEscape && !encoded) {
            out.assign(text.substr(0, i));
            encoded = true;
        }
        if (!encoded)
            continue;
        if (needsEscape)
            appendEscape(out, byte);
        else
            out += static_cast<char>(byte);
    }
    return encoded ? out : std::string(text);
}

std::optional<plat::Dictionary> VSUtilities::dictionaryWithResponseString(const std::optional<std::string>& text)
{
    if (!text)
        return std::nullopt;
    plat::Dictionary result;
    for (const auto& line : plat::componentsSeparatedByString(*text, "\n")) {
        size_t index = 0;
        while (index < line.size() && isSkippedSpace(line[index]))
            ++index;
        size_t equals = line.find('=', index);
        if (equals == std::string::npos || equals == index)
            continue;
        std::string key = line.substr(index, equals - index);
        size_t valueStart = equals + 1;
        while (valueStart < line.size() && isSkippedSpace(line[valueStart]))
            ++valueStart;
        std::string value = line.substr(valueStart);
        // A reply with CRLF line ends would leave the CR on every value, and
        // the sign-in token goes straight into a header.
        if (!value.empty() && value.back() == '\r')
            value.pop_back();
        if (value.empty())
            continue;
        result.set(key, value);
    }
    return result;
}

std::optional<plat::Dictionary> VSUtilities::dictionaryWithResponseData(const plat::Data& data)
{
    std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
    if (!plat::isValidUtf8(text))
        return std::nullopt;
    return dictionaryWithResponseString(std::string(text));
}

int VSUtilities::compareVersion(const std::optional<std::string>& version, const std::optional<std::string>& other)
{
    auto components = [](const std::optional<std::string>& text) {
        std::array<int32_t, 4> values {};
        std::string_view view = text ? std::string_view(*text) : std::string_view();
        size_t index = 0;
        for (auto& value : values) {
            while (index < view.size() && view[index] == '.')
                ++index;
            size_t start = index;
            bool negative = false;
            if (index < view.size() && (view[index] == '+' || view[index] == '-')) {
                negative = view[index] == '-';
                ++index;
            }
            size_t digitsStart = index;
            int64_t number = 0;
            while (index < view.size() && view[index] >= '0' && view[index] <= '9') {
                number = std::min<int64_t>(number * 10 + (view[index] - '0'), int64_t(INT32_MAX) + 1);
                ++index;
            }
            if (index == digitsStart) {
                (void)start;
                break;
            }
            number = negative ? -number : number;
            value = static_cast<int32_t>(std::clamp<int64_t>(number, INT32_MIN, INT32_MAX));
        }
        return values;
    };
    auto left = components(version);
    auto right = components(other);
    for (size_t i = 0; i < left.size(); ++i) {
        if (left[i] < right[i])
            return -1;
        if (left[i] > right[i])
            return 1;
    }
    return 0;
}

std::string VSUtilities::MIMETypeForFileAtPath(std::string_view, std::string_view defaultMIMEType)
{
    return std::string(defaultMIMEType);
}

}  // namespace zt
