#include "platform/foundation/Locale.h"

#include <cstdlib>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string_view>
#include <unicode/dtfmtsym.h>
#include <unicode/dtptngen.h>
#include <unicode/reldatefmt.h>
#include <unicode/smpdtfmt.h>

#include "platform/foundation/ICUSupport.h"
#include "platform/foundation/Log.h"

namespace plat {

namespace {

using detail::DateSymbols;

constexpr const char* kDefaultIdentifier = "en_US";
// ICU's styles, in the order of DateSymbols' patterns: short, medium, long, full.
constexpr icu::DateFormat::EStyle kStyles[]
    = {icu::DateFormat::kShort, icu::DateFormat::kMedium, icu::DateFormat::kLong, icu::DateFormat::kFull};
constexpr UDateFormatStyle kJoinStyles[] = {UDAT_SHORT, UDAT_MEDIUM, UDAT_LONG, UDAT_FULL};
constexpr UDateDirection kRelativeDays[]
    = {UDAT_DIRECTION_LAST_2, UDAT_DIRECTION_LAST, UDAT_DIRECTION_THIS, UDAT_DIRECTION_NEXT, UDAT_DIRECTION_NEXT_2};
constexpr char16_t kNarrowNoBreakSpace = u'\u202F';

// A locale's symbols and the texts they point into.
class StoredSymbols {
public:
    explicit StoredSymbols(const icu::Locale& locale);
    const DateSymbols& symbols() const { return _symbols; }

private:
    const char* kept(const icu::UnicodeString& text) { return kept(detail::utf8FromUnicode(text)); }
    const char* kept(std::string text)
    {
        // A deque never moves its strings, so the pointers stay good.
        return _texts.emplace_back(std::move(text)).c_str();
    }
    template <size_t N>
    void keepNames(std::array<const char*, N>& names, const icu::UnicodeString* source, int32_t count, int32_t first);
    const char* stylePattern(std::unique_ptr<icu::DateFormat> format);

    std::deque<std::string> _texts;
    DateSymbols _symbols {};
};

template <size_t N>
void StoredSymbols::keepNames(
    std::array<const char*, N>& names, const icu::UnicodeString* source, int32_t count, int32_t first)
{
    for (size_t i = 0; i < N; ++i) {
        const auto index = static_cast<int32_t>(i) + first;
        names[i] = kept(index < count ? source[index] : icu::UnicodeString());
    }
}

// The style's pattern, with a plain space where ICU's data now puts a
// narrow no-break space (before "AM" and "PM" in English): the platform's
// own formatter of system 8.0 writes a plain space, and text written that
// way is read back by these patterns.
const char* StoredSymbols::stylePattern(std::unique_ptr<icu::DateFormat> format)
{
    auto* simple = dynamic_cast<icu::SimpleDateFormat*>(format.get());
    if (simple == nullptr)
        return kept(std::string());
    icu::UnicodeString pattern;
    simple->toPattern(pattern);
    pattern.findAndReplace(icu::UnicodeString(kNarrowNoBreakSpace), icu::UnicodeString(u' '));
    return kept(pattern);
}

StoredSymbols::StoredSymbols(const icu::Locale& locale)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::DateFormatSymbols names(locale, status);
    using Symbols = icu::DateFormatSymbols;
    // ICU hands out arrays and their lengths; the length is set by the call.
    auto keep = [&](auto& kept, auto getNames, int32_t first) {
        int32_t count = 0;
        const icu::UnicodeString* source = getNames(count);
        keepNames(kept, source, count, first);
    };
    keep(
        _symbols.months, [&](int32_t& count) { return names.getMonths(count, Symbols::FORMAT, Symbols::WIDE); }, 0);
    keep(
        _symbols.shortMonths,
        [&](int32_t& count) { return names.getMonths(count, Symbols::FORMAT, Symbols::ABBREVIATED); }, 0);
    keep(
        _symbols.veryShortMonths,
        [&](int32_t& count) { return names.getMonths(count, Symbols::FORMAT, Symbols::NARROW); }, 0);
    keep(
        _symbols.standaloneShortMonths,
        [&](int32_t& count) { return names.getMonths(count, Symbols::STANDALONE, Symbols::ABBREVIATED); }, 0);
    // ICU's weekdays begin at index 1, Sunday.
    keep(
        _symbols.weekdays, [&](int32_t& count) { return names.getWeekdays(count, Symbols::FORMAT, Symbols::WIDE); }, 1);
    keep(
        _symbols.shortWeekdays,
        [&](int32_t& count) { return names.getWeekdays(count, Symbols::FORMAT, Symbols::ABBREVIATED); }, 1);
    keep(
        _symbols.veryShortWeekdays,
        [&](int32_t& count) { return names.getWeekdays(count, Symbols::FORMAT, Symbols::NARROW); }, 1);
    std::array<const char*, 2> amPm {};
    keep(
        amPm, [&](int32_t& count) { return names.getAmPmStrings(count); }, 0);
    _symbols.amSymbol = amPm[0];
    _symbols.pmSymbol = amPm[1];
    keep(
        _symbols.eras, [&](int32_t& count) { return names.getEras(count); }, 0);
    keep(
        _symbols.longEras, [&](int32_t& count) { return names.getEraNames(count); }, 0);
    keep(
        _symbols.veryShortEras, [&](int32_t& count) { return names.getNarrowEras(count); }, 0);

    std::unique_ptr<icu::DateTimePatternGenerator> generator(
        icu::DateTimePatternGenerator::createInstance(locale, status));
    for (size_t i = 0; i < std::size(kStyles); ++i) {
        _symbols.datePatterns[i]
            = stylePattern(std::unique_ptr<icu::DateFormat>(icu::DateFormat::createDateInstance(kStyles[i], locale)));
        _symbols.timePatterns[i]
            = stylePattern(std::unique_ptr<icu::DateFormat>(icu::DateFormat::createTimeInstance(kStyles[i], locale)));
        UErrorCode joinStatus = U_ZERO_ERROR;
        const icu::UnicodeString join
            = generator ? generator->getDateTimeFormat(kJoinStyles[i], joinStatus) : icu::UnicodeString();
        _symbols.dateTimePatterns[i]
            = kept(U_SUCCESS(joinStatus) && !join.isEmpty() ? join : icu::UnicodeString(u"{1} {0}"));
    }

    // Capitalised as the first word of a sentence, as the platform shows them.
    UErrorCode relativeStatus = U_ZERO_ERROR;
    const icu::RelativeDateTimeFormatter relative(
        locale, nullptr, UDAT_STYLE_LONG, UDISPCTX_CAPITALIZATION_FOR_BEGINNING_OF_SENTENCE, relativeStatus);
    for (size_t i = 0; i < std::size(kRelativeDays); ++i) {
        icu::UnicodeString name;
        UErrorCode nameStatus = relativeStatus;
        relative.format(kRelativeDays[i], UDAT_ABSOLUTE_DAY, name, nameStatus);
        _symbols.relativeDays[i] = U_SUCCESS(nameStatus) && !name.isEmpty() ? kept(name) : nullptr;
    }
    if (U_FAILURE(status) || U_FAILURE(relativeStatus))
        log("locale: ICU lacks date names for {}: {}", locale.getName(),
            u_errorName(U_FAILURE(status) ? status : relativeStatus));
}

// One StoredSymbols per ICU locale, made on first use and never destroyed;
// as many as ICU has locales at most.
class SymbolsByLocale {
public:
    const DateSymbols& symbolsFor(const icu::Locale& locale)
    {
        const std::string name = locale.getName();
        {
            std::lock_guard lock(_lock);
            if (auto found = _stored.find(name); found != _stored.end())
                return found->second->symbols();
        }
        // Made outside the lock; a locale made twice at once is harmless, the first one stays.
        auto stored = std::make_unique<StoredSymbols>(locale);
        std::lock_guard lock(_lock);
        return _stored.try_emplace(name, std::move(stored)).first->second->symbols();
    }

private:
    std::mutex _lock;
    std::map<std::string, std::unique_ptr<StoredSymbols>, std::less<>> _stored;  // guarded by _lock
};

SymbolsByLocale& symbolsByLocale()
{
    // Never destroyed: the symbols are handed out by reference.
    static auto* symbols = new SymbolsByLocale();
    return *symbols;
}

}  // namespace

Locale::Locale()
    : Locale(kDefaultIdentifier)
{
}

Locale::Locale(std::string localeIdentifier)
    : _localeIdentifier(std::move(localeIdentifier))
{
}

const DateSymbols& Locale::dateSymbols() const
{
    return symbolsByLocale().symbolsFor(detail::icuLocaleFor(_localeIdentifier));
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
    if (!detail::hasICUDataForLanguage(setting))
        return Locale();
    return Locale(std::string(setting));
}

}  // namespace plat
