// The decoder's numbers: scanned, then converted as the C library's strtod,
// strtoll and strtoull convert them, range errors included.
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <string>

#include "web/JCInternal.h"
#include "web/JCParser.h"

namespace zt::detail {

namespace {

locale_t cLocale()
{
    static const locale_t locale = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

}  // namespace

bool JCParser::scanNumber()
{
    JCParseToken& token = _state.token;
    const uint8_t* const begin = _input + _state.atIndex;
    const uint8_t* const end = _input + _length;
    const uint8_t* p = begin;
    const bool negative = *p == '-';
    if (negative)
        ++p;
    auto isDigit = [end](const uint8_t* at) { return at < end && static_cast<uint8_t>(*at - '0') <= 9; };

    // Digits go into one 64-bit mantissa while they fit exactly: integers
    // need it, and most reals convert from it without a general conversion.
    constexpr int kExactDigits = 19;
    uint64_t mantissa = 0;
    int significantDigits = 0;
    bool integerOverflow = false;
    bool mantissaExact = true;
    int64_t exponent = 0;
    bool isReal = false;
    bool valid = false;
    if (isDigit(p)) {
        if (*p == '0') {
            ++p;
        } else {
            do {
                const auto digit = static_cast<uint64_t>(*p - '0');
                if (significantDigits < kExactDigits) {
                    mantissa = mantissa * 10 + digit;
                } else {
                    integerOverflow = integerOverflow || __builtin_mul_overflow(mantissa, 10u, &mantissa)
                        || __builtin_add_overflow(mantissa, digit, &mantissa);
                    mantissaExact = false;
                }
                ++significantDigits;
                ++p;
            } while (isDigit(p));
        }
        valid = true;
        if (p < end && *p == '.') {
            isReal = true;
            ++p;
            valid = isDigit(p);
            while (isDigit(p)) {
                const auto digit = static_cast<uint64_t>(*p - '0');
                if (significantDigits < kExactDigits) {
                    mantissa = mantissa * 10 + digit;
                    --exponent;
                    if (mantissa != 0)
                        ++significantDigits;
                } else {
                    mantissaExact = false;
                }
                ++p;
            }
        }
        if (valid && p < end && (*p == 'e' || *p == 'E')) {
            isReal = true;
            ++p;
            bool negativeExponent = false;
            if (p < end && (*p == '+' || *p == '-')) {
                negativeExponent = *p == '-';
                ++p;
            }
            valid = isDigit(p);
            int64_t written = 0;
            while (isDigit(p)) {
                if (written < 1000000)
                    written = written * 10 + (*p - '0');
                else
                    mantissaExact = false;  // digits dropped: only the general conversion reads this exponent
                ++p;
            }
            exponent += negativeExponent ? -written : written;
        }
        // Only a byte after the number proves it complete.
        valid = valid && p < end;
    }
    _state.atIndex = static_cast<size_t>(p - _input);
    if (!valid) {
        recordMessage("Invalid number.");
        return false;
    }
    const size_t length = static_cast<size_t>(p - begin);
    token.type = JCTokenType::Number;
    token.text = begin;
    token.textLength = length;
    token.value.cacheItem = nullptr;
    token.value.bytes = nullptr;
    token.value.size = sizeof token.value.number;
    const bool isNegativeZero = length == 2 && negative && begin[1] == '0';
    if (isReal || isNegativeZero) {
        token.value.type = JCValueType::Double;
        // Both factors exact, so one rounding: the correctly rounded result.
        static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12,
            1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        constexpr uint64_t kLargestExactMantissa = uint64_t(1) << 53;
        if (mantissaExact && mantissa <= kLargestExactMantissa && exponent >= -22 && exponent <= 22) {
            double value = static_cast<double>(mantissa);
            value = exponent < 0 ? value / kPowersOfTen[-exponent] : value * kPowersOfTen[exponent];
            token.value.number.real = negative ? -value : value;
            return true;
        }
        return convertReal(begin, length);
    }
    if (negative) {
        token.value.type = JCValueType::SignedInteger;
        constexpr uint64_t kLargestMagnitude = uint64_t(1) << 63;
        if (integerOverflow || mantissa > kLargestMagnitude) {
            recordMessage(formatJC("The value '%s' exceeded the minimum value that could be represented: %lld.",
                std::string(reinterpret_cast<const char*>(begin), length).c_str(),
                std::numeric_limits<long long>::min()));
            recordMessage("Invalid number.");
            return false;
        }
        token.value.number.signedInteger = static_cast<int64_t>(0 - mantissa);
        return true;
    }
    token.value.type = JCValueType::UnsignedInteger;
    if (integerOverflow) {
        recordMessage(formatJC("The value '%s' exceeded the maximum value that could be represented: %llu.",
            std::string(reinterpret_cast<const char*>(begin), length).c_str(),
            std::numeric_limits<unsigned long long>::max()));
        recordMessage("Invalid number.");
        return false;
    }
    token.value.number.unsignedInteger = mantissa;
    return true;
}

bool JCParser::convertReal(const uint8_t* text, size_t length)
{
    const char* first = reinterpret_cast<const char*>(text);
    double value = 0;
    auto converted = std::from_chars(first, first + length, value);
    // The correctly rounded result is the C library's too, as long as it is
    // a normal number or a true zero; the rest goes to the C library itself
    // so that its range errors (which include subnormal results) are kept.
    if (converted.ec == std::errc() && converted.ptr == first + length
        && (value == 0 || (std::isnormal(value) && std::fabs(value) != std::numeric_limits<double>::min()))) {
        _state.token.value.number.real = value;
        return true;
    }
    const std::string copy(first, length);
    char* stop = nullptr;
    errno = 0;
    value = ::strtod_l(copy.c_str(), &stop, cLocale());
    const int failure = errno;
    if (failure == ERANGE) {
        recordMessage(formatJC("The value '%s' could not be represented as a 'double' due to %s.", copy.c_str(),
            value == 0.0 ? "underflow" : "overflow"));
    } else if (failure == 0 && stop != copy.c_str() + length) {
        recordMessage("The conversion function did not consume all of the number tokens characters.");
    } else if (failure == 0) {
        _state.token.value.number.real = value;
        return true;
    }
    recordMessage("Invalid number.");
    return false;
}

}  // namespace zt::detail
