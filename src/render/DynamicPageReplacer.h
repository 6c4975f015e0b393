#pragma once
#include <string>
#include <string_view>

#include "platform/foundation/Value.h"

namespace zt {

// Fills a card page: each placeholder (a key of the replacement dictionary
// standing literally in the page) becomes its text, escaped for HTML with
// "</br>" kept as a line break. Any thread.
class DynamicPageReplacer {
public:
    // The page at path (relative to the app bundle's folder) filled in;
    // empty when the page cannot be read.
    static std::string processFileAtPath(const std::string& path, const plat::Dictionary& replacementDictionary);
    // The same for page text at hand. Every occurrence is replaced in one
    // pass over the page as it stands, so a text that holds another key
    // keeps it literally; where keys overlap the longest wins.
    static std::string fillPage(std::string_view page, const plat::Dictionary& replacementDictionary);
    // The text as it enters the page: "</br>" a line break, the rest escaped.
    static std::string pageTextForValue(const std::string& value);
};

}  // namespace zt
