#include "platform/foundation/Locale.h"

#include <cstdlib>
#include <string_view>

namespace plat {

namespace {

using detail::DateSymbols;

const DateSymbols englishSymbols {
    {"January", "February", "March", "April", "May", "June", "July", "August", "September", "October", "November",
        "December"},
    {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
    {"J", "F", "M", "A", "M", "J", "J", "A", "S", "O", "N", "D"},
    {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
    {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"},
    {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},
    {"S", "M", "T", "W", "T", "F", "S"},
    "AM",
    "PM",
    {"BC", "AD"},
    {"Before Christ", "Anno Domini"},
    {"B", "A"},
    {"M/d/yy", "MMM d, y", "MMMM d, y", "EEEE, MMMM d, y"},
    {"h:mm a", "h:mm:ss a", "h:mm:ss a z", "h:mm:ss a zzzz"},
    {"{1}, {0}", "{1}, {0}", "{1} 'at' {0}", "{1} 'at' {0}"},
    {nullptr, "Yesterday", "Today", "Tomorrow", nullptr},
};

const DateSymbols germanSymbols {
    {"Januar", "Februar", "März", "April", "Mai", "Juni", "Juli", "August", "September", "Oktober", "November",
        "Dezember"},
    {"Jan.", "Feb.", "März", "Apr.", "Mai", "Juni", "Juli", "Aug.", "Sept.", "Okt.", "Nov.", "Dez."},
    {"J", "F", "M", "A", "M", "J", "J", "A", "S", "O", "N", "D"},
    {"Jan", "Feb", "Mär", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"},
    {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"},
    {"So.", "Mo.", "Di.", "Mi.", "Do.", "Fr.", "Sa."},
    {"S", "M", "D", "M", "D", "F", "S"},
    "AM",
    "PM",
    {"v. Chr.", "n. Chr."},
    {"v. Chr.", "n. Chr."},
    {"v. Chr.", "n. Chr."},
    {"dd.MM.yy", "dd.MM.y", "d. MMMM y", "EEEE, d. MMMM y"},
    {"HH:mm", "HH:mm:ss", "HH:mm:ss z", "HH:mm:ss zzzz"},
    {"{1}, {0}", "{1}, {0}", "{1} 'um' {0}", "{1} 'um' {0}"},
    {"Vorgestern", "Gestern", "Heute", "Morgen", "Übermorgen"},
};

constexpr const char* kDefaultIdentifier = "en_US";

const DateSymbols* symbolsForIdentifier(std::string_view identifier)
{
    if (identifier == "de_DE")
        return &germanSymbols;
    return &englishSymbols;
}

bool hasSymbolsOfItsOwn(std::string_view identifier)
{
    return identifier == "en_US" || identifier == "en_US_POSIX" || identifier == "de_DE";
}

}  // namespace

Locale::Locale()
    : Locale(kDefaultIdentifier)
{
}

Locale::Locale(std::string localeIdentifier)
    : _localeIdentifier(std::move(localeIdentifier))
    , _symbols(symbolsForIdentifier(_localeIdentifier))
{
}

Locale Locale::currentLocale()
{
    const char* variable = std::getenv("LC_ALL");
    if (variable == nullptr || *variable == '\0')
        variable = std::getenv("LANG");
    if (variable == nullptr)
        return Locale();
    // "de_DE.UTF-8@euro": the language and territory come before any codeset or modifier.
    std::string_view setting(variable);
    setting = setting.substr(0, setting.find_first_of(".@"));
    if (!hasSymbolsOfItsOwn(setting))
        return Locale();
    return Locale(std::string(setting));
}

}  // namespace plat
