#pragma once
#include <array>
#include <string>

namespace plat {
namespace detail {

// What date formatting takes from a locale, from ICU's data: names (Sunday
// first; BC before AD) and the patterns of the date and time styles (short,
// medium, long, full). Made once per locale and kept for the process.
struct DateSymbols {
    std::array<const char*, 12> months;
    std::array<const char*, 12> shortMonths;
    std::array<const char*, 12> veryShortMonths;
    std::array<const char*, 12> standaloneShortMonths;  // months named on their own (L)
    std::array<const char*, 7> weekdays;
    std::array<const char*, 7> shortWeekdays;
    std::array<const char*, 7> veryShortWeekdays;
    const char* amSymbol;
    const char* pmSymbol;
    std::array<const char*, 2> eras;
    std::array<const char*, 2> longEras;
    std::array<const char*, 2> veryShortEras;
    std::array<const char*, 4> datePatterns;
    std::array<const char*, 4> timePatterns;
    // How a date and a time join, by date style: {1} the date, {0} the time.
    std::array<const char*, 4> dateTimePatterns;
    // The days before yesterday ... after tomorrow; nullptr where the
    // language has no word of its own.
    std::array<const char*, 5> relativeDays;
};

}  // namespace detail

// A language and region, for formatting dates. Names and patterns are ICU's
// for the identifier's language; an identifier whose language ICU has no
// data for is kept but formats as en_US. Any thread (immutable).
class Locale {
public:
    Locale();  // en_US
    explicit Locale(std::string localeIdentifier);

    // From LC_ALL or LANG ("de_DE.UTF-8" is de_DE) when ICU has data for its
    // language, else en_US (as for the C and POSIX settings).
    static Locale currentLocale();

    const std::string& localeIdentifier() const { return _localeIdentifier; }
    const detail::DateSymbols& dateSymbols() const;

private:
    std::string _localeIdentifier;
};

}  // namespace plat
