#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Calendar.h"
#include "platform/foundation/Date.h"
#include "platform/foundation/Locale.h"

// Date patterns with the pattern letters of Unicode TR35, as the date
// formatter uses them. Any thread (pure functions).
namespace plat::detail {

// One field ("yyyy": letter 'y', count 4) or a run of literal text (letter 0).
struct DatePatternToken {
    char letter = 0;
    int count = 0;
    std::string literal;

    friend bool operator==(const DatePatternToken&, const DatePatternToken&) = default;
};

// Letters stand for fields; text in single quotes is literal, and '' is a
// quote. Letters without a meaning here are kept as literal text.
std::vector<DatePatternToken> tokenizeDatePattern(std::string_view pattern);

// Writes the date in the calendar's time zone.
std::string formatDatePattern(
    const std::vector<DatePatternToken>& tokens, Date date, const Calendar& calendar, const DateSymbols& symbols);

// Reads text that matches the pattern exactly and completely; empty for
// anything else (an unknown name, a field out of its range, such as
// February 30, or text left over). Fields the text does not give are those
// of 2000-01-01 00:00:00; without a zone in the text, the time is local to
// the calendar's time zone.
std::optional<Date> parseDatePattern(const std::vector<DatePatternToken>& tokens, std::string_view text,
    const Calendar& calendar, const DateSymbols& symbols);

// The pattern letters that stand for fields.
bool isDatePatternField(char letter);

}  // namespace plat::detail
