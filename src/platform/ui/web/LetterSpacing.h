#pragma once
// CSS letter-spacing for the web view. litehtml reads the property but lays
// out and draws text without it, and hands the container only a font per
// run of text. The font cache is keyed by the font-family list, so the
// spacing in effect on each element travels in that list as one more item,
// which the container takes out again when it makes the font. Included by
// the web view's sources only: it brings litehtml's headers.
#include <litehtml.h>
#include <string>

namespace plat::detail {

// After the document's styles are parsed: appends the spacing in effect
// (px, em or pt, inherited as a length) to the font-family of every element
// whose spacing is not 0, and parses the styles again so that their fonts
// carry it.
void carryLetterSpacingIntoFonts(litehtml::document& document, const std::string& defaultFamily);

struct SpacedFamilies {
    std::string families;  // the font-family list without the spacing item
    double letterSpacing = 0;  // CSS pixels after every character
};
SpacedFamilies takeLetterSpacing(const std::string& fontFamily);

}  // namespace plat::detail
