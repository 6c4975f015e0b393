#include "videoservice/VSNormalPlayTime.h"

#include <algorithm>
#include <cstdio>

#include "platform/foundation/Text.h"

namespace zt {

namespace {
// Seconds beyond this are clamped so the offset in milliseconds cannot overflow.
constexpr int64_t kMaximumSeconds = 1'000'000'000'000'000;

// A scanner of unsigned decimal integers that refuses absurd lengths.
bool scanInteger(std::string_view text, size_t& index, int64_t& value)
{
    size_t start = index;
    int64_t number = 0;
    while (index < text.size() && text[index] >= '0' && text[index] <= '9') {
        if (number < 1'000'000'000'000)
            number = number * 10 + (text[index] - '0');
        ++index;
    }
    if (index == start)
        return false;
    value = number;
    return true;
}
}  // namespace

VSNormalPlayTime VSNormalPlayTime::normalPlayTimeWithString(std::string_view text)
{
    VSNormalPlayTime time;
    time.setFromString(text);
    return time;
}

void VSNormalPlayTime::setFromString(std::string_view rawText)
{
    std::string text = plat::trimmingWhitespace(rawText);
    if (plat::lowercaseString(text) == "now") {
        _isNow = true;
        _milliseconds = -1;
        return;
    }
    _isNow = false;
    std::string_view view(text);
    size_t index = 0;
    int64_t total = 0;
    if (!scanInteger(view, index, total)) {
        _milliseconds = 0;
        return;
    }
    for (int part = 0; part < 2; ++part) {
        size_t probe = index;
        while (probe < view.size() && view[probe] == ':')
            ++probe;
        int64_t next = 0;
        if (probe == index || !scanInteger(view, probe, next))
            break;
        total = std::min(total * 60 + next, kMaximumSeconds);
        index = probe;
    }
    int64_t fraction = 0;
    size_t probe = index;
    while (probe < view.size() && view[probe] == '.')
        ++probe;
    if (probe > index && probe < view.size() && view[probe] >= '0' && view[probe] <= '9') {
        int digits = 0;
        while (probe < view.size() && view[probe] >= '0' && view[probe] <= '9') {
            if (digits < 3) {
                fraction = fraction * 10 + (view[probe] - '0');
                ++digits;
            }
            ++probe;
        }
        for (; digits < 3; ++digits)
            fraction *= 10;
    }
    _milliseconds = total * 1000 + fraction;
}

void VSNormalPlayTime::setTimeOffsetInMilliseconds(int64_t milliseconds)
{
    _milliseconds = milliseconds;
    _isNow = milliseconds == -1;
}

void VSNormalPlayTime::setIsNow(bool isNow)
{
    _isNow = isNow;
    if (isNow)
        _milliseconds = -1;
}

std::string VSNormalPlayTime::HHMMSSString() const
{
    if (_isNow)
        return "now";
    long long hours = _milliseconds / 3'600'000;
    long long minutes = _milliseconds / 60'000 % 60;
    long long seconds = _milliseconds / 1000 % 60;
    long long fraction = _milliseconds % 1000;
    char text[64];
    if (fraction >= 1)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%03lld", hours, minutes, seconds, fraction);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", hours, minutes, seconds);
    return text;
}

std::string VSNormalPlayTime::secondsString() const
{
    if (_isNow)
        return "now";
    long long seconds = _milliseconds / 1000;
    long long fraction = _milliseconds % 1000;
    char text[48];
    if (fraction == 0)
        std::snprintf(text, sizeof text, "%lld", seconds);
    else
        std::snprintf(text, sizeof text, "%lld.%03lld", seconds, fraction);
    return text;
}

std::string VSNormalPlayTime::description() const
{
    char identity[32];
    std::snprintf(identity, sizeof identity, "%p", static_cast<const void*>(this));
    return std::string("VSNormalPlayTime ") + identity + ": {" + HHMMSSString() + "}";
}

bool VSNormalPlayTime::isEqual(const VSNormalPlayTime& other) const
{
    if (_isNow || other._isNow)
        return _isNow == other._isNow;
    return _milliseconds == other._milliseconds;
}

}  // namespace zt
