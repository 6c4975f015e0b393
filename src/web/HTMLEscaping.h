#pragma once
// Escaping text for HTML and turning character references back into text.
// Characters are taken as UTF-16 code units, as the platform's strings are;
// bytes that are not UTF-8 count as U+FFFD. Any thread.
#include <cstddef>
#include <string>
#include <string_view>

#include "web/HTMLEntityTables.h"

namespace zt {

enum class EscapingUnicode { No, Yes };

// Escapes with the special-character table; other characters stay as they are.
std::string ws_stringByEscapingForHTML(std::string_view string);
// Escapes with the full entity table and writes every other character above
// 127 as a numeric reference (a character beyond U+FFFF as one per
// surrogate), so the result is plain ASCII.
std::string ws_stringByEscapingForAsciiHTML(std::string_view string);
// The engine of both: table holds size rows sorted by code unit.
std::string ws_stringByEscapingHTMLUsingTable(
    std::string_view string, const HTMLEscapeMap* table, size_t size, EscapingUnicode escapingUnicode);
// Replaces numeric and named character references by their characters, one
// level deep. References to 0, to U+FFFF, to surrogates (which cannot stand
// alone in text) and unknown names stay as they are.
std::string ws_stringByUnescapingFromHTML(std::string_view string);

}  // namespace zt
