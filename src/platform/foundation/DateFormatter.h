#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Calendar.h"
#include "platform/foundation/Locale.h"
#include "platform/foundation/TimeZone.h"

namespace plat {

enum class DateFormatterStyle { None, Short, Medium, Long, Full };

// Writes dates as text and reads them back through ICU, with a pattern of
// Unicode TR35 letters ("yyyy-MM-dd'T'HH:mm:ssZZZZZ") or the locale's date
// and time styles, in its own time zone; no process-wide setting is touched
// (ICU's formats are lent from a pool). One thread at a time may change a
// formatter; any number may use one that no longer changes.
class DateFormatter {
public:
    // The current locale and the local time zone, no pattern yet.
    DateFormatter();

    // The pattern in use: the one set last, or the one the styles give.
    const std::string& dateFormat() const { return _dateFormat; }
    void setDateFormat(std::string dateFormat);
    DateFormatterStyle dateStyle() const { return _dateStyle; }
    void setDateStyle(DateFormatterStyle style);
    DateFormatterStyle timeStyle() const { return _timeStyle; }
    void setTimeStyle(DateFormatterStyle style);
    const TimeZone& timeZone() const { return _calendar.timeZone(); }
    void setTimeZone(TimeZone timeZone);
    const Locale& locale() const { return _locale; }
    void setLocale(Locale locale);
    // With a date style, days near today are named ("Today", "Yesterday",
    // "Tomorrow") instead of written; "today" is Date::now() in the
    // formatter's time zone.
    bool doesRelativeDateFormatting() const { return _doesRelativeDateFormatting; }
    void setDoesRelativeDateFormatting(bool doesRelativeDateFormatting)
    {
        _doesRelativeDateFormatting = doesRelativeDateFormatting;
    }

    std::string stringFromDate(Date date) const;
    // Empty unless the whole text matches the pattern and names a real date
    // (no February 30, no clock time skipped by a change to summer time).
    // Fields the text leaves out are those of 2000-01-01 00:00:00 in the
    // formatter's zone; two-digit years name 1950 to 2049.
    std::optional<Date> dateFromString(std::string_view text) const;

private:
    void applyStyles();
    std::optional<std::string> relativeDayName(Date date) const;

    Locale _locale;
    Calendar _calendar;
    std::string _dateFormat;
    DateFormatterStyle _dateStyle = DateFormatterStyle::None;
    DateFormatterStyle _timeStyle = DateFormatterStyle::None;
    bool _usesStyles = false;  // the pattern comes from the styles, and follows the locale
    bool _doesRelativeDateFormatting = false;
};

}  // namespace plat
