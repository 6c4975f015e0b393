#include "platform/foundation/ICUSupport.h"

#include <algorithm>
#include <limits>
#include <set>

namespace plat::detail {

namespace {

constexpr const char* kFallbackLocale = "en_US";

// The languages of ICU's locales, read once; immutable afterwards.
const std::set<std::string, std::less<>>& icuLanguages()
{
    static const std::set<std::string, std::less<>> languages = [] {
        std::set<std::string, std::less<>> found;
        int32_t count = 0;
        const icu::Locale* locales = icu::Locale::getAvailableLocales(count);
        for (int32_t i = 0; i < count; ++i)
            found.insert(locales[i].getLanguage());
        return found;
    }();
    return languages;
}

}  // namespace

bool hasICUDataForLanguage(std::string_view localeIdentifier)
{
    const std::string_view language = localeIdentifier.substr(0, localeIdentifier.find_first_of("_-@."));
    return !language.empty() && icuLanguages().contains(language);
}

icu::Locale icuLocaleFor(const std::string& localeIdentifier)
{
    if (!hasICUDataForLanguage(localeIdentifier))
        return icu::Locale(kFallbackLocale);
    icu::Locale locale(localeIdentifier.c_str());
    return locale.isBogus() ? icu::Locale(kFallbackLocale) : locale;
}

icu::UnicodeString unicodeFromUtf8(std::string_view text)
{
    // ICU counts in 32 bits; no date text or pattern comes near that.
    const size_t length = std::min<size_t>(text.size(), std::numeric_limits<int32_t>::max());
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(length)));
}

std::string utf8FromUnicode(const icu::UnicodeString& text)
{
    std::string utf8;
    text.toUTF8String(utf8);
    return utf8;
}

}  // namespace plat::detail
