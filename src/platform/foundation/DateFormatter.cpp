#include "platform/foundation/DateFormatter.h"

#include "platform/foundation/ICUDateFormat.h"
#include "platform/foundation/Text.h"

namespace plat {

namespace {

size_t styleIndex(DateFormatterStyle style)
{
    return static_cast<size_t>(style) - static_cast<size_t>(DateFormatterStyle::Short);
}

std::string replacingFirst(std::string text, std::string_view placeholder, std::string_view replacement)
{
    const size_t at = text.find(placeholder);
    if (at != std::string::npos)
        text.replace(at, placeholder.size(), replacement);
    return text;
}

// The text as a quoted literal of a pattern.
std::string quotedLiteral(std::string_view text)
{
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'')
            quoted += '\'';
        quoted += c;
    }
    return quoted + "'";
}

// Joins a date part and a time part (both patterns) as the locale does for the date style.
std::string joinedPattern(const detail::DateSymbols& symbols, DateFormatterStyle dateStyle, const std::string& datePart,
    const std::string& timePart)
{
    const std::string glue = symbols.dateTimePatterns[styleIndex(dateStyle)];
    return replacingFirst(replacingFirst(glue, "{1}", datePart), "{0}", timePart);
}

std::string patternForStyles(
    const detail::DateSymbols& symbols, DateFormatterStyle dateStyle, DateFormatterStyle timeStyle)
{
    const bool hasDate = dateStyle != DateFormatterStyle::None;
    const bool hasTime = timeStyle != DateFormatterStyle::None;
    const std::string datePart = hasDate ? symbols.datePatterns[styleIndex(dateStyle)] : "";
    const std::string timePart = hasTime ? symbols.timePatterns[styleIndex(timeStyle)] : "";
    if (hasDate && hasTime)
        return joinedPattern(symbols, dateStyle, datePart, timePart);
    return hasDate ? datePart : timePart;
}

}  // namespace

DateFormatter::DateFormatter()
    : _locale(Locale::currentLocale())
{
}

void DateFormatter::setDateFormat(std::string dateFormat)
{
    _dateFormat = std::move(dateFormat);
    _usesStyles = false;
}

void DateFormatter::setDateStyle(DateFormatterStyle style)
{
    _dateStyle = style;
    _usesStyles = true;
    applyStyles();
}

void DateFormatter::setTimeStyle(DateFormatterStyle style)
{
    _timeStyle = style;
    _usesStyles = true;
    applyStyles();
}

void DateFormatter::setTimeZone(TimeZone timeZone)
{
    _calendar.setTimeZone(std::move(timeZone));
}

void DateFormatter::setLocale(Locale locale)
{
    _locale = std::move(locale);
    if (_usesStyles)
        applyStyles();
}

void DateFormatter::applyStyles()
{
    _dateFormat = patternForStyles(_locale.dateSymbols(), _dateStyle, _timeStyle);
}

std::optional<std::string> DateFormatter::relativeDayName(Date date) const
{
    const Date today = _calendar.startOfDayForDate(Date::now());
    const int64_t days = _calendar.components(CalendarUnit::Day, today, _calendar.startOfDayForDate(date)).day();
    const auto& names = _locale.dateSymbols().relativeDays;
    const auto middle = static_cast<int64_t>(names.size() / 2);
    if (days < -middle || days > middle)
        return std::nullopt;
    const char* name = names[static_cast<size_t>(days + middle)];
    if (name == nullptr)
        return std::nullopt;
    return std::string(name);
}

std::string DateFormatter::stringFromDate(Date date) const
{
    std::string pattern = _dateFormat;
    if (_usesStyles && _doesRelativeDateFormatting && _dateStyle != DateFormatterStyle::None) {
        if (auto name = relativeDayName(date)) {
            if (_timeStyle == DateFormatterStyle::None)
                return *name;
            const detail::DateSymbols& symbols = _locale.dateSymbols();
            pattern = joinedPattern(
                symbols, _dateStyle, quotedLiteral(*name), symbols.timePatterns[styleIndex(_timeStyle)]);
        }
    }
    if (pattern.empty())
        return {};
    return detail::LentDateFormat(_locale.localeIdentifier(), pattern).format(date, timeZone());
}

std::optional<Date> DateFormatter::dateFromString(std::string_view text) const
{
    // Date texts are short: a text this long matches no pattern of the app's.
    constexpr size_t kMaximumTextBytes = 64 * 1024;
    if (_dateFormat.empty() || text.size() > kMaximumTextBytes || !isValidUtf8(text))
        return std::nullopt;
    return detail::LentDateFormat(_locale.localeIdentifier(), _dateFormat).parse(text, timeZone());
}

}  // namespace plat
