#include "platform/foundation/TimeZone.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <unistd.h>

#include "platform/foundation/DateInstant.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/TimeZoneRules.h"

namespace plat {

namespace {

using detail::LocalTimeType;
using detail::TimeZoneRules;

constexpr const char* kZoneInfoFolder = "/usr/share/zoneinfo/";
constexpr const char* kLocalTimeLink = "/etc/localtime";
constexpr const char* kTimeZoneNameFile = "/etc/timezone";
// Real TZif files are a few kilobytes; anything much larger is not one.
constexpr int64_t kMaximumTZifBytes = 256 * 1024;
constexpr size_t kMaximumZoneNameLength = 255;

std::mutex cacheLock;
// Zones read from the database by name, kept for the life of the process;
// bounded by the number of files in the database. Guarded by cacheLock.
std::map<std::string, std::shared_ptr<const TimeZoneRules>, std::less<>> zonesByName;
std::string localZoneKey;  // the TZ value localZone was made from; guarded by cacheLock
std::shared_ptr<const TimeZoneRules> localZone;  // guarded by cacheLock

std::string fixedOffsetName(int64_t seconds)
{
    if (seconds == 0)
        return "GMT";
    const int64_t magnitude = seconds < 0 ? -seconds : seconds;
    char text[32];
    std::snprintf(text, sizeof text, "GMT%c%02d%02d", seconds < 0 ? '-' : '+', static_cast<int>(magnitude / 3600),
        static_cast<int>(magnitude % 3600 / 60));
    return text;
}

// The platform's short form: "GMT+2", "GMT-5:30".
std::string fixedOffsetAbbreviation(int64_t seconds)
{
    if (seconds == 0)
        return "GMT";
    const int64_t magnitude = seconds < 0 ? -seconds : seconds;
    const int hours = static_cast<int>(magnitude / 3600);
    const int minutes = static_cast<int>(magnitude % 3600 / 60);
    char text[32];
    if (minutes == 0)
        std::snprintf(text, sizeof text, "GMT%c%d", seconds < 0 ? '-' : '+', hours);
    else
        std::snprintf(text, sizeof text, "GMT%c%d:%02d", seconds < 0 ? '-' : '+', hours, minutes);
    return text;
}

std::shared_ptr<const TimeZoneRules> makeFixedRules(std::string name, int64_t seconds)
{
    LocalTimeType type {static_cast<int32_t>(seconds), false, fixedOffsetAbbreviation(seconds)};
    return std::make_shared<const TimeZoneRules>(std::move(name), std::move(type));
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// "GMT+2", "GMT+02", "GMT+0200", "GMT-05:30", also with "UTC": the offset in seconds.
std::optional<int64_t> parseOffsetName(std::string_view name)
{
    if (name.size() < 5 || (name.substr(0, 3) != "GMT" && name.substr(0, 3) != "UTC"))
        return std::nullopt;
    const char sign = name[3];
    if (sign != '+' && sign != '-')
        return std::nullopt;
    std::string_view rest = name.substr(4);
    size_t digits = 0;
    while (digits < rest.size() && isDigit(rest[digits]))
        ++digits;
    int hours = 0;
    int minutes = 0;
    auto value = [&](size_t from, size_t count) {
        int result = 0;
        for (size_t i = from; i < from + count; ++i)
            result = result * 10 + (rest[i] - '0');
        return result;
    };
    if (digits == 1 || digits == 2) {
        hours = value(0, digits);
        if (digits < rest.size()) {
            if (rest.size() != digits + 3 || rest[digits] != ':' || !isDigit(rest[digits + 1])
                || !isDigit(rest[digits + 2]))
                return std::nullopt;
            minutes = value(digits + 1, 2);
        }
    } else if ((digits == 3 || digits == 4) && digits == rest.size()) {
        hours = value(0, digits - 2);
        minutes = value(digits - 2, 2);
    } else {
        return std::nullopt;
    }
    const int64_t seconds = hours * 3600 + minutes * 60;
    if (minutes > 59 || seconds > TimeZone::kMaximumSecondsFromGMT)
        return std::nullopt;
    return sign == '-' ? -seconds : seconds;
}

// A database name may not leave the database folder.
bool isSafeZoneName(std::string_view name)
{
    if (name.empty() || name.size() > kMaximumZoneNameLength || name.front() == '/' || name.back() == '/')
        return false;
    size_t componentStart = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || name[i] == '/') {
            const std::string_view component = name.substr(componentStart, i - componentStart);
            if (component.empty() || component == "." || component == "..")
                return false;
            componentStart = i + 1;
            continue;
        }
        const char c = name[i];
        const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || isDigit(c) || c == '_' || c == '-'
            || c == '+' || c == '.';
        if (!allowed)
            return false;
    }
    return true;
}

std::shared_ptr<const TimeZoneRules> readTZifFile(const std::string& path, std::string name)
{
    auto bytes = readFile(path, kMaximumTZifBytes);
    if (!bytes.ok())
        return nullptr;
    auto rules = TimeZoneRules::fromTZif(std::move(name), bytes.value().data(), bytes.value().size());
    if (!rules) {
        log("time zone: {} is not a valid TZif file", path);
        return nullptr;
    }
    return std::make_shared<const TimeZoneRules>(std::move(*rules));
}

std::shared_ptr<const TimeZoneRules> rulesForName(std::string_view name)
{
    if (name == "GMT")
        return makeFixedRules("GMT", 0);
    if (name == "UTC") {
        return std::make_shared<const TimeZoneRules>("UTC", LocalTimeType {0, false, "UTC"});
    }
    if (auto offset = parseOffsetName(name))
        return makeFixedRules(fixedOffsetName(*offset), *offset);
    if (!isSafeZoneName(name))
        return nullptr;
    {
        std::lock_guard lock(cacheLock);
        if (auto found = zonesByName.find(name); found != zonesByName.end())
            return found->second;
    }
    // Read outside the lock; a zone read twice at once is harmless, the first one stays.
    auto rules = readTZifFile(kZoneInfoFolder + std::string(name), std::string(name));
    if (!rules)
        return nullptr;
    std::lock_guard lock(cacheLock);
    return zonesByName.try_emplace(std::string(name), std::move(rules)).first->second;
}

// The database name of a TZif path, when the path lies in a zoneinfo folder.
std::string zoneNameFromPath(const std::string& path)
{
    constexpr std::string_view kMarker = "zoneinfo/";
    const size_t at = path.rfind(kMarker);
    return at == std::string::npos ? path : path.substr(at + kMarker.size());
}

std::string systemZoneName()
{
    char target[4096];
    const ssize_t length = ::readlink(kLocalTimeLink, target, sizeof target - 1);
    if (length > 0)
        return zoneNameFromPath(std::string(target, static_cast<size_t>(length)));
    // A copied file instead of a link: Debian also writes the name down.
    auto written = readFile(kTimeZoneNameFile, 4096);
    if (written.ok()) {
        std::string name(written.value().begin(), written.value().end());
        name = name.substr(0, name.find_first_of("\r\n"));
        if (!name.empty())
            return name;
    }
    return "Local";
}

std::shared_ptr<const TimeZoneRules> rulesForEnvironment(const std::string& variable)
{
    if (!variable.empty()) {
        // POSIX lets TZ begin with ':' before a name or a path.
        const std::string value = variable.front() == ':' ? variable.substr(1) : variable;
        if (!value.empty() && value.front() == '/') {
            if (auto rules = readTZifFile(value, zoneNameFromPath(value)))
                return rules;
        } else if (auto rules = rulesForName(value)) {
            return rules;
        } else if (auto rule = detail::parsePosixTimeZoneRule(value)) {
            return std::make_shared<const TimeZoneRules>(value, std::move(*rule));
        }
    }
    if (auto rules = readTZifFile(kLocalTimeLink, systemZoneName()))
        return rules;
    return makeFixedRules("GMT", 0);
}

int64_t unixSeconds(Date date)
{
    return detail::instantFromDate(date).seconds;
}

}  // namespace

TimeZone::TimeZone(std::shared_ptr<const detail::TimeZoneRules> rules)
    : _rules(std::move(rules))
{
}

TimeZone TimeZone::utc()
{
    static const auto gmt = makeFixedRules("GMT", 0);
    return TimeZone(gmt);
}

std::optional<TimeZone> TimeZone::timeZoneForSecondsFromGMT(int64_t seconds)
{
    if (seconds < -kMaximumSecondsFromGMT || seconds > kMaximumSecondsFromGMT)
        return std::nullopt;
    return TimeZone(makeFixedRules(fixedOffsetName(seconds), seconds));
}

std::optional<TimeZone> TimeZone::timeZoneWithName(std::string_view name)
{
    auto rules = rulesForName(name);
    if (!rules)
        return std::nullopt;
    return TimeZone(std::move(rules));
}

std::optional<TimeZone> TimeZone::timeZoneWithName(std::string name, std::span<const uint8_t> tzifData)
{
    auto rules = TimeZoneRules::fromTZif(std::move(name), tzifData.data(), tzifData.size());
    if (!rules)
        return std::nullopt;
    return TimeZone(std::make_shared<const TimeZoneRules>(std::move(*rules)));
}

TimeZone TimeZone::localTimeZone()
{
    const char* variable = std::getenv("TZ");
    std::string key = variable ? variable : "";
    {
        std::lock_guard lock(cacheLock);
        if (localZone && localZoneKey == key)
            return TimeZone(localZone);
    }
    auto rules = rulesForEnvironment(key);
    std::lock_guard lock(cacheLock);
    localZoneKey = std::move(key);
    localZone = rules;
    return TimeZone(std::move(rules));
}

const std::string& TimeZone::name() const
{
    return _rules->name();
}

int64_t TimeZone::secondsFromGMTForDate(Date date) const
{
    return _rules->typeAt(unixSeconds(date)).utcOffsetSeconds;
}

std::string TimeZone::abbreviationForDate(Date date) const
{
    return _rules->typeAt(unixSeconds(date)).abbreviation;
}

bool TimeZone::isDaylightSavingTimeForDate(Date date) const
{
    return _rules->typeAt(unixSeconds(date)).isDaylightSavingTime;
}

const std::shared_ptr<const TimeZoneRules>& detail::rulesOf(const TimeZone& timeZone)
{
    return timeZone._rules;
}

bool operator==(const TimeZone& left, const TimeZone& right)
{
    return left._rules == right._rules || *left._rules == *right._rules;
}

}  // namespace plat
