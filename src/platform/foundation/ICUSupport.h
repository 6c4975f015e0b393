#pragma once
#include <string>
#include <string_view>
#include <unicode/locid.h>
#include <unicode/unistr.h>

// Not a public header: it brings in ICU. Any thread (pure functions).
namespace plat::detail {

// Whether ICU has names and patterns for the language of a locale
// identifier ("de_DE", "de-DE", "en_US_POSIX").
bool hasICUDataForLanguage(std::string_view localeIdentifier);

// The ICU locale that formats for an identifier: the identifier itself when
// ICU has data for its language, else en_US (rather than whatever ICU falls
// back to, which depends on the process's environment).
icu::Locale icuLocaleFor(const std::string& localeIdentifier);

// Text that is not UTF-8 gets U+FFFD for each bad sequence.
icu::UnicodeString unicodeFromUtf8(std::string_view text);
std::string utf8FromUnicode(const icu::UnicodeString& text);

}  // namespace plat::detail
