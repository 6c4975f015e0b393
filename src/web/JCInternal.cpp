#include "web/JCInternal.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/foundation/Log.h"

namespace zt::detail {

void raiseJCException(const char* name, const std::string& reason)
{
    plat::log("*** Terminating app due to uncaught exception '{}', reason: '{}'", name, reason);
    std::abort();
}

std::string formatJC(const char* format, ...)
{
    char small[256];
    va_list arguments;
    va_start(arguments, format);
    int needed = std::vsnprintf(small, sizeof small, format, arguments);
    va_end(arguments);
    if (needed < 0)
        return format;
    if (static_cast<size_t>(needed) < sizeof small)
        return std::string(small, static_cast<size_t>(needed));
    std::string text(static_cast<size_t>(needed) + 1, '\0');
    va_start(arguments, format);
    std::vsnprintf(text.data(), text.size(), format, arguments);
    va_end(arguments);
    text.resize(static_cast<size_t>(needed));
    return text;
}

Utf8Decoded decodeUtf8Sequence(const uint8_t* bytes, size_t available)
{
    const uint8_t first = bytes[0];
    // Ones after the first bit: 0 for a stray continuation byte, 1 to 3 for
    // real sequences, up to 7 for the bytes no sequence may start with.
    size_t extra = 0;
    for (uint8_t mask = 0x40; mask != 0 && (first & mask) != 0; mask >>= 1)
        ++extra;

    bool wellFormed = extra >= 1 && extra <= 3 && extra + 1 <= available && first >= 0xC2 && first <= 0xF4;
    for (size_t i = 1; wellFormed && i <= extra; ++i)
        wellFormed = (bytes[i] & 0xC0) == 0x80;
    if (wellFormed) {
        const uint8_t second = bytes[1];
        if ((first == 0xE0 && second < 0xA0) || (first == 0xED && second > 0x9F) || (first == 0xF0 && second < 0x90)
            || (first == 0xF4 && second > 0x8F))
            wellFormed = false;
    }
    if (wellFormed) {
        static constexpr uint32_t kOffsets[4] = {0, 0x00003080, 0x000E2080, 0x03C82080};
        uint32_t codePoint = first;
        for (size_t i = 1; i <= extra; ++i)
            codePoint = (codePoint << 6) + bytes[i];
        codePoint -= kOffsets[extra];
        if (isIllegalCodePoint(codePoint))
            return {Utf8Sequence::IllegalCodePoint, codePoint, extra + 1};
        return {Utf8Sequence::WellFormed, codePoint, extra + 1};
    }

    size_t skipped = 1;
    while (skipped < extra + 1 && skipped < available && (bytes[skipped] & 0xC0) == 0x80)
        ++skipped;
    const bool truncated = extra + 1 > available && skipped == available;
    return {truncated ? Utf8Sequence::Truncated : Utf8Sequence::Illegal, 0xFFFD, skipped};
}

bool isWellFormedUtf8(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    const uint8_t* const end = p + bytes.size();
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const size_t length = wellFormedSequenceLength(p, end);
        if (length == 0)
            return false;
        p += length;
    }
    return true;
}

size_t encodeUtf8(uint32_t codePoint, uint8_t* out)
{
    if (isIllegalCodePoint(codePoint) || codePoint > 0x10FFFF)
        codePoint = 0xFFFD;
    if (codePoint < 0x80) {
        out[0] = static_cast<uint8_t>(codePoint);
        return 1;
    }
    if (codePoint < 0x800) {
        out[0] = static_cast<uint8_t>(0xC0 | (codePoint >> 6));
        out[1] = static_cast<uint8_t>(0x80 | (codePoint & 0x3F));
        return 2;
    }
    if (codePoint < 0x10000) {
        out[0] = static_cast<uint8_t>(0xE0 | (codePoint >> 12));
        out[1] = static_cast<uint8_t>(0x80 | ((codePoint >> 6) & 0x3F));
        out[2] = static_cast<uint8_t>(0x80 | (codePoint & 0x3F));
        return 3;
    }
    out[0] = static_cast<uint8_t>(0xF0 | (codePoint >> 18));
    out[1] = static_cast<uint8_t>(0x80 | ((codePoint >> 12) & 0x3F));
    out[2] = static_cast<uint8_t>(0x80 | ((codePoint >> 6) & 0x3F));
    out[3] = static_cast<uint8_t>(0x80 | (codePoint & 0x3F));
    return 4;
}

namespace {

__extension__ using Wide = unsigned __int128;

constexpr Wide wideTenToThe(int exponent)
{
    Wide power = 1;
    for (int i = 0; i < exponent; ++i)
        power *= 10;
    return power;
}

constexpr auto kWidePowersOfTen = [] {
    std::array<Wide, 39> powers {};
    for (int i = 0; i < 39; ++i)
        powers[static_cast<size_t>(i)] = wideTenToThe(i);
    return powers;
}();

struct Scaled {
    uint64_t truncated;
    uint64_t rounded;  // half to even
};

// m x 2^binaryExponent x 10^decimalExponent as an integer, computed exactly
// in 128 bits; empty outside the range that allows it.
std::optional<Scaled> scaledExactly(uint64_t m, int binaryExponent, int decimalExponent)
{
    Wide quotient = 0;
    Wide remainder = 0;
    Wide divisor = 0;
    if (decimalExponent >= 0) {
        if (decimalExponent > 22)
            return std::nullopt;  // m x 10^k no longer fits
        Wide n = static_cast<Wide>(m) * kWidePowersOfTen[static_cast<size_t>(decimalExponent)];
        if (binaryExponent >= 0) {
            if (binaryExponent > 127 || (n >> (127 - binaryExponent)) != 0)
                return std::nullopt;
            quotient = n << binaryExponent;
        } else {
            const int shift = -binaryExponent;
            if (shift >= 127)
                return std::nullopt;
            quotient = n >> shift;
            remainder = n & ((Wide(1) << shift) - 1);
            divisor = Wide(1) << shift;
        }
    } else {
        const int decimals = -decimalExponent;
        if (binaryExponent < 0 || binaryExponent > 74 || decimals > 38)
            return std::nullopt;
        const Wide n = static_cast<Wide>(m) << binaryExponent;
        divisor = kWidePowersOfTen[static_cast<size_t>(decimals)];
        quotient = n / divisor;
        remainder = n % divisor;
    }
    Wide rounded = quotient;
    if (divisor != 0) {
        const Wide twice = remainder * 2;
        if (twice > divisor || (twice == divisor && (quotient & 1) != 0))
            ++rounded;
    }
    if (rounded > UINT64_MAX)
        return std::nullopt;
    return Scaled {static_cast<uint64_t>(quotient), static_cast<uint64_t>(rounded)};
}

constexpr auto kDigitPairs = [] {
    std::array<char, 200> pairs {};
    for (int i = 0; i < 100; ++i) {
        pairs[static_cast<size_t>(2 * i)] = static_cast<char>('0' + i / 10);
        pairs[static_cast<size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// The decimal digits of value, exactly count of them (leading zeros kept), two at a time.
void writeDigits(uint32_t value, char* out, int count)
{
    while (count >= 2) {
        const uint32_t pair = value % 100;
        value /= 100;
        count -= 2;
        std::memcpy(out + count, &kDigitPairs[2 * pair], 2);
    }
    if (count == 1)
        out[0] = static_cast<char>('0' + value);
}

void writeSeventeenDigits(uint64_t value, char* out)
{
    constexpr uint64_t kLow = 100000000;  // the last eight digits
    const auto high = static_cast<uint32_t>(value / kLow);
    const auto low = static_cast<uint32_t>(value % kLow);
    writeDigits(high, out, 9);
    writeDigits(low, out + 9, 8);
}

}  // namespace

size_t formatDoubleAs17g(double value, char* out)
{
    constexpr int kDigits = 17;
    constexpr uint64_t kSmallest17Digits = 10000000000000000ULL;
    constexpr uint64_t kBeyond17Digits = 100000000000000000ULL;
    char* const start = out;
    if (std::signbit(value)) {
        *out++ = '-';
        value = -value;
    }
    if (value == 0) {
        *out++ = '0';
        return static_cast<size_t>(out - start);
    }
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const auto biased = static_cast<int>((bits >> 52) & 0x7FF);
    const uint64_t fraction = bits & ((uint64_t(1) << 52) - 1);
    const uint64_t mantissa = biased == 0 ? fraction : fraction | (uint64_t(1) << 52);
    const int binaryExponent = biased == 0 ? -1074 : biased - 1075;

    // The seventeen digits, exactly rounded. The estimate of the decimal
    // exponent may be one off (the truncated digits tell), and rounding may
    // then carry into an eighteenth digit, which moves the exponent as "%e" does.
    // floor(log2(value)) x log10(2), rounded down: the exponent or one below it.
    const int binaryMagnitude = 63 - __builtin_clzll(mantissa) + binaryExponent;
    constexpr int64_t kLog10Of2Scaled = 1262611;  // log10(2) x 2^22
    auto exponent
        = static_cast<int>((binaryMagnitude * kLog10Of2Scaled - (binaryMagnitude < 0 ? (1 << 22) - 1 : 0)) >> 22);
    std::optional<uint64_t> digits;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const auto scaled = scaledExactly(mantissa, binaryExponent, kDigits - 1 - exponent);
        if (!scaled)
            break;
        if (scaled->truncated >= kBeyond17Digits) {
            ++exponent;
        } else if (scaled->truncated < kSmallest17Digits) {
            --exponent;
        } else {
            digits = scaled->rounded;
            if (*digits == kBeyond17Digits) {
                digits = kSmallest17Digits;
                ++exponent;
            }
            break;
        }
    }
    if (!digits) {
        // Very small or very large: the general conversion.
        const auto written = std::to_chars(out, out + 32, value, std::chars_format::general, kDigits);
        return static_cast<size_t>(written.ptr - start);
    }

    char text[kDigits + 1];
    writeSeventeenDigits(*digits, text);
    int significant = kDigits;  // %g drops trailing zeros
    while (significant > 1 && text[significant - 1] == '0')
        --significant;

    if (exponent >= -4 && exponent < kDigits) {
        if (exponent >= 0) {
            const int whole = exponent + 1;
            std::memcpy(out, text, static_cast<size_t>(whole));
            out += whole;
            if (significant > whole) {
                *out++ = '.';
                std::memcpy(out, text + whole, static_cast<size_t>(significant - whole));
                out += significant - whole;
            }
        } else {
            *out++ = '0';
            *out++ = '.';
            for (int i = 0; i < -exponent - 1; ++i)
                *out++ = '0';
            std::memcpy(out, text, static_cast<size_t>(significant));
            out += significant;
        }
        return static_cast<size_t>(out - start);
    }
    *out++ = text[0];
    if (significant > 1) {
        *out++ = '.';
        std::memcpy(out, text + 1, static_cast<size_t>(significant - 1));
        out += significant - 1;
    }
    *out++ = 'e';
    *out++ = exponent < 0 ? '-' : '+';
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude >= 100)
        *out++ = static_cast<char>('0' + magnitude / 100);
    *out++ = static_cast<char>('0' + magnitude / 10 % 10);
    *out++ = static_cast<char>('0' + magnitude % 10);
    return static_cast<size_t>(out - start);
}

bool precedesInUtf16Order(std::string_view left, std::string_view right)
{
    const size_t common = left.size() < right.size() ? left.size() : right.size();
    for (size_t i = 0; i < common; ++i) {
        const auto a = static_cast<uint8_t>(left[i]);
        const auto b = static_cast<uint8_t>(right[i]);
        if (a == b)
            continue;
        const bool aHighBmp = a == 0xEE || a == 0xEF;
        const bool bHighBmp = b == 0xEE || b == 0xEF;
        const bool aSupplementary = a >= 0xF0 && a <= 0xF4;
        const bool bSupplementary = b >= 0xF0 && b <= 0xF4;
        if (aHighBmp && bSupplementary)
            return false;
        if (aSupplementary && bHighBmp)
            return true;
        return a < b;
    }
    return left.size() < right.size();
}

}  // namespace zt::detail
