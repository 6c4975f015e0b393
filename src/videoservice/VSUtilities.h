#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Value.h"

namespace zt {

// Stateless helpers of the video service client: the control-character
// filter for text written into XML, numbers with infinities, URL encodings,
// the sign-in reply reader and version comparison. Any thread.
class VSUtilities {
public:
    // Removes every Cc and Cf character except tab, line feed, carriage
    // return and U+0085, and U+FFFE and U+FFFF, so written XML never holds
    // what XML 1.0 forbids.
    static std::string stringWithControlsFilteredForString(std::string_view text);
    // The leading decimal number, with "INF" and "-INF"; empty for empty text.
    static std::optional<double> doubleNumberOrInfForString(std::string_view text);

    static plat::Array arrayWithCopiesOfObjectsInArray(const plat::Array& array);
    static plat::Array mutableArrayWithCopiesOfObjectsInArray(const plat::Array& array);
    static plat::Dictionary dictionaryWithCopiesOfObjectsInDictionary(const plat::Dictionary& dictionary);
    static plat::Dictionary mutableDictionaryWithCopiesOfObjectsInDictionary(const plat::Dictionary& dictionary);
    static plat::Dictionary mutableDictionaryWithCopiesOfArraysInDictionary(const plat::Dictionary& dictionary);
    static plat::Dictionary dictionaryWithCopiesOfArraysInDictionary(const plat::Dictionary& dictionary);

    // Path segments: everything but letters, digits and "-._~" escaped.
    static std::string stringByURLEncodingForURI(std::string_view text);
    // Query names and values: the same, with spaces as "+".
    static std::string stringByURLEncodingStringParameter(std::string_view text);
    // Escapes only what may not stand in a URL at all.
    static std::string stringByURLEncodingString(std::string_view text);
    // For the "Slug" header: bytes below 0x20, "%" and 0x7F and above escaped.
    static std::string stringByPercentEncodingUTF8ForString(std::string_view text);

    // One "key=value" per line; a key or value may not be empty.
    static std::optional<plat::Dictionary> dictionaryWithResponseString(const std::optional<std::string>& text);
    static std::optional<plat::Dictionary> dictionaryWithResponseData(const plat::Data& data);

    // -1, 0 or 1 over up to four dotted integer components.
    static int compareVersion(const std::optional<std::string>& version, const std::optional<std::string>& other);

    static std::string MIMETypeForFileAtPath(std::string_view path, std::string_view defaultMIMEType);

    // Selection of items by a property value, for the object model's lists:
    // an absent value matches an item whose property is absent.
    template <typename List, typename Value, typename Getter>
    static List objectsFromArray(const List& items, const Value& value, Getter property)
    {
        List result;
        for (const auto& item : items) {
            if (property(item) == value)
                result.push_back(item);
        }
        return result;
    }
    template <typename List, typename Value, typename Getter>
    static typename List::value_type firstObjectFromArray(const List& items, const Value& value, Getter property)
    {
        for (const auto& item : items) {
            if (property(item) == value)
                return item;
        }
        return {};
    }
};

}  // namespace zt
