#pragma once
// The character-entity tables of HTML escaping, sorted by code unit.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace zt {

struct HTMLEscapeMap {
    std::string_view escapeSequence;  // "&lt;"
    char16_t uchar;
};

// XHTML 1.0's special characters and "&apos;": 33 rows.
std::span<const HTMLEscapeMap> htmlSpecialEntities();
// Every XHTML 1.0 entity (Latin-1, special and symbol sets) and "&apos;": 253 rows.
std::span<const HTMLEscapeMap> htmlEntities();

}  // namespace zt
