#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/foundation/CalendarArithmetic.h"
#include "platform/foundation/PropertyListDetail.h"

// The text forms of the scalar elements of XML property lists. Readers are
// strict: a value either reads whole or is refused, never read in part.
namespace plat::detail {

namespace {

constexpr bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool equalsIgnoringCase(std::string_view text, std::string_view lowercase)
{
    if (text.size() != lowercase.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != lowercase[i])
            return false;
    }
    return true;
}

// Digits in the given base, accumulated without overflow; empty past 2^64-1.
std::optional<uint64_t> magnitudeOf(std::string_view digits, int base)
{
    if (digits.empty())
        return std::nullopt;
    uint64_t value = 0;
    for (char c : digits) {
        int digit = base == 16 ? hexDigitValue(c) : (isDigit(c) ? c - '0' : -1);
        if (digit < 0)
            return std::nullopt;
        if (value > (std::numeric_limits<uint64_t>::max() - static_cast<uint64_t>(digit)) / static_cast<uint64_t>(base))
            return std::nullopt;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    }
    return value;
}

// [+-] digits [. digits] [e [+-] digits], with digits on at least one side
// of the point. The decimal exponent of the first significant digit is
// estimated on the way, to tell an overflow from an underflow.
bool isDecimalReal(std::string_view text, int64_t& leadingExponent)
{
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    size_t integerDigits = 0;
    int64_t firstSignificant = std::numeric_limits<int64_t>::min();  // digits before the point, from the first
    int64_t exponent = 0;
    size_t integerStart = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    integerDigits = i - integerStart;
    for (size_t k = integerStart; k < i; ++k) {
        if (text[k] != '0') {
            firstSignificant = static_cast<int64_t>(i - k);
            break;
        }
    }
    size_t fractionDigits = 0;
    if (i < text.size() && text[i] == '.') {
        ++i;
        size_t fractionStart = i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        fractionDigits = i - fractionStart;
        if (firstSignificant == std::numeric_limits<int64_t>::min()) {
            for (size_t k = fractionStart; k < i; ++k) {
                if (text[k] != '0') {
                    firstSignificant = -static_cast<int64_t>(k - fractionStart);
                    break;
                }
            }
        }
    }
    if (integerDigits + fractionDigits == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negative = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            negative = text[i++] == '-';
        size_t exponentStart = i;
        while (i < text.size() && isDigit(text[i])) {
            // Saturate: only the sign of a huge exponent matters.
            if (exponent < (int64_t {1} << 40))
                exponent = exponent * 10 + (text[i] - '0');
            ++i;
        }
        if (i == exponentStart)
            return false;
        if (negative)
            exponent = -exponent;
    }
    if (i != text.size())
        return false;
    leadingExponent = firstSignificant == std::numeric_limits<int64_t>::min() ? 0 : firstSignificant + exponent;
    return true;
}

constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int base64DigitValue(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// The reference date as days since 1970-01-01.
constexpr int64_t kReferenceDateDays = 11323;
static_assert(daysFromCivil(2001, 1, 1) == kReferenceDateDays);

}  // namespace

bool isXMLWhitespace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view trimmedXMLWhitespace(std::string_view text)
{
    while (!text.empty() && isXMLWhitespace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isXMLWhitespace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::optional<Value> integerFromXMLText(std::string_view text)
{
    text = trimmedXMLWhitespace(text);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        auto magnitude = magnitudeOf(text.substr(2), 16);
        return magnitude ? std::optional<Value>(Value(*magnitude)) : std::nullopt;
    }
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    auto magnitude = magnitudeOf(text, 10);
    if (!magnitude)
        return std::nullopt;
    if (!negative)
        return Value(*magnitude);
    constexpr uint64_t kLargestNegativeMagnitude = uint64_t {1} << 63;
    if (*magnitude > kLargestNegativeMagnitude)
        return std::nullopt;
    // Two's complement negation in unsigned arithmetic reaches INT64_MIN too.
    return Value(static_cast<int64_t>(~*magnitude + 1));
}

std::optional<double> realFromXMLText(std::string_view text)
{
    text = trimmedXMLWhitespace(text);
    std::string_view unsignedText = text;
    bool negative = false;
    if (!unsignedText.empty() && (unsignedText[0] == '+' || unsignedText[0] == '-')) {
        negative = unsignedText[0] == '-';
        unsignedText.remove_prefix(1);
    }
    if (equalsIgnoringCase(unsignedText, "nan"))
        return std::numeric_limits<double>::quiet_NaN();
    if (equalsIgnoringCase(unsignedText, "inf") || equalsIgnoringCase(unsignedText, "infinity"))
        return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    int64_t leadingExponent = 0;
    if (!isDecimalReal(text, leadingExponent))
        return std::nullopt;
    double value = 0;
    auto [end, error] = std::from_chars(unsignedText.data(), unsignedText.data() + unsignedText.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Past the range of a double: infinity above, zero below, as strtod gives.
        value = leadingExponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (error != std::errc() || end != unsignedText.data() + unsignedText.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::string xmlTextOfReal(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "+infinity" : "-infinity";
    // The shortest text that reads back as the same double; "-0" keeps the sign.
    std::array<char, 32> buffer {};
    auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    (void)error;  // 32 characters hold every double
    return std::string(buffer.data(), end);
}

std::optional<Date> dateFromXMLText(std::string_view text)
{
    text = trimmedXMLWhitespace(text);
    // YYYY-MM-DDTHH:MM:SSZ, in UTC.
    constexpr std::string_view kPattern = "dddd-dd-ddTdd:dd:ddZ";
    if (text.size() != kPattern.size())
        return std::nullopt;
    for (size_t i = 0; i < kPattern.size(); ++i) {
        if (kPattern[i] == 'd' ? !isDigit(text[i]) : text[i] != kPattern[i])
            return std::nullopt;
    }
    auto number = [&](size_t at, size_t length) {
        int value = 0;
        for (size_t i = at; i < at + length; ++i)
            value = value * 10 + (text[i] - '0');
        return value;
    };
    int year = number(0, 4);
    int month = number(5, 2);
    int day = number(8, 2);
    int hour = number(11, 2);
    int minute = number(14, 2);
    int second = number(17, 2);
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    int64_t days = daysFromCivil(year, month, day) - kReferenceDateDays;
    int64_t seconds = days * kSecondsPerDay + hour * 3600 + minute * 60 + second;
    return Date::withTimeIntervalSinceReferenceDate(static_cast<double>(seconds));
}

std::optional<std::string> xmlTextOfDate(Date date)
{
    // Whole seconds, as XML lists hold them: the second the date falls in,
    // on either side of the reference date.
    double interval = std::floor(date.timeIntervalSinceReferenceDate());
    // Years 0000 to 9999 are what the four-digit form can hold.
    constexpr auto kEarliest = static_cast<double>((daysFromCivil(0, 1, 1) - kReferenceDateDays) * kSecondsPerDay);
    constexpr auto kLatest
        = static_cast<double>((daysFromCivil(10000, 1, 1) - kReferenceDateDays) * kSecondsPerDay - 1);
    if (!(interval >= kEarliest && interval <= kLatest))
        return std::nullopt;
    auto seconds = static_cast<int64_t>(interval);
    int64_t days = floorDivide(seconds, kSecondsPerDay);
    int64_t secondOfDay = seconds - days * kSecondsPerDay;
    CivilDate civil = civilFromDays(days + kReferenceDateDays);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02dZ", static_cast<int>(civil.year), civil.month,
        civil.day, static_cast<int>(secondOfDay / 3600), static_cast<int>(secondOfDay / 60 % 60),
        static_cast<int>(secondOfDay % 60));
    return std::string(buffer);
}

std::optional<Data> dataFromBase64XMLText(std::string_view text)
{
    Data bytes;
    bytes.reserve(text.size() / 4 * 3);
    uint32_t group = 0;
    int digits = 0;
    int padding = 0;
    for (char c : text) {
        if (isXMLWhitespace(c))
            continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        int value = base64DigitValue(c);
        if (value < 0 || padding > 0)
            return std::nullopt;  // a character outside the alphabet, or a digit after padding
        group = (group << 6) | static_cast<uint32_t>(value);
        if (++digits == 4) {
            bytes.push_back(static_cast<uint8_t>(group >> 16));
            bytes.push_back(static_cast<uint8_t>(group >> 8));
            bytes.push_back(static_cast<uint8_t>(group));
            group = 0;
            digits = 0;
        }
    }
    // A last group of two or three digits carries one or two bytes; its
    // padding may be left out, but not be wrong, and padding after a whole
    // group ("====", "QUJD====") pads nothing.
    if (digits == 1 || (padding > 0 && (digits == 0 || digits + padding != 4)))
        return std::nullopt;
    if (digits == 2) {
        bytes.push_back(static_cast<uint8_t>(group >> 4));
    } else if (digits == 3) {
        bytes.push_back(static_cast<uint8_t>(group >> 10));
        bytes.push_back(static_cast<uint8_t>(group >> 2));
    }
    return bytes;
}

void appendBase64(const Data& bytes, size_t lineLength, std::string_view linePrefix, std::string& out)
{
    size_t column = 0;
    auto put = [&](char c) {
        if (column == 0)
            out.append(linePrefix);
        out += c;
        if (++column == lineLength) {
            out += '\n';
            column = 0;
        }
    };
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        uint32_t group = (uint32_t {bytes[i]} << 16) | (uint32_t {bytes[i + 1]} << 8) | bytes[i + 2];
        for (int shift = 18; shift >= 0; shift -= 6)
            put(kBase64Alphabet[(group >> shift) & 0x3F]);
    }
    if (size_t left = bytes.size() - i; left > 0) {
        uint32_t group = uint32_t {bytes[i]} << 16;
        if (left == 2)
            group |= uint32_t {bytes[i + 1]} << 8;
        put(kBase64Alphabet[(group >> 18) & 0x3F]);
        put(kBase64Alphabet[(group >> 12) & 0x3F]);
        put(left == 2 ? kBase64Alphabet[(group >> 6) & 0x3F] : '=');
        put('=');
    }
    if (column != 0)
        out += '\n';
}

}  // namespace plat::detail
