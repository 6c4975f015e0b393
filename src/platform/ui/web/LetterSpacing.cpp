#include "platform/ui/web/LetterSpacing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace plat::detail {

namespace {

// Not a family anyone names: a CSS identifier may not start with "-" and a digit.
constexpr const char* kSpacingItem = "-0-letter-spacing-";
constexpr double kPixelsPerPoint = 96.0 / 72.0;
constexpr double kMaxLetterSpacing = 1000;  // CSS pixels

std::string trimmed(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string withSpacingItem(const std::string& families, double letterSpacing)
{
    if (letterSpacing == 0)
        return families;
    char item[64];
    std::snprintf(item, sizeof item, "%s%.3f", kSpacingItem, letterSpacing);
    return families + ", " + item;
}

// The element's own letter-spacing in CSS pixels, or the inherited one.
double declaredLetterSpacing(litehtml::element& element, litehtml::document& document, double inherited)
{
    const char* declared = element.get_style_property("letter-spacing", /*inherited=*/false, nullptr);
    if (!declared)
        return inherited;
    std::string value = trimmed(declared);
    if (value == "normal")
        return 0;
    if (value == "inherit")
        return inherited;
    litehtml::css_length length;
    length.fromString(value);
    if (length.is_predefined())
        return inherited;
    switch (length.units()) {
    case litehtml::css_units_px:
    case litehtml::css_units_none:
        return length.val();
    case litehtml::css_units_em:
        return length.val() * element.get_font_size();
    case litehtml::css_units_pt:
        return length.val() * kPixelsPerPoint;
    case litehtml::css_units_percentage:
        return inherited;  // no percentages for letter-spacing
    default:
        return document.cvt_units(length, element.get_font_size());
    }
}

// A page is outside input: no spacing that overflows the layout's integers.
double bounded(double spacing)
{
    return std::isfinite(spacing) ? std::clamp(spacing, -kMaxLetterSpacing, kMaxLetterSpacing) : 0;
}

void setSpacingInFontFamily(litehtml::element& element, const std::string& defaultFamily, double spacing)
{
    std::string family = element.get_style_property("font-family", /*inherited=*/true, defaultFamily.c_str());
    std::string wanted = withSpacingItem(takeLetterSpacing(family).families, spacing);
    if (wanted != family)
        element.add_style("font-family: " + wanted, "");
    element.init_font();
}

}  // namespace

void carryLetterSpacingIntoFonts(litehtml::document& document, const std::string& defaultFamily)
{
    // Parents before their children, which inherit their font-family; a
    // list rather than recursion, for pages nested deep.
    std::vector<std::pair<litehtml::element::ptr, double>> pending;
    if (litehtml::element::ptr root = document.root())
        pending.emplace_back(root, 0);
    while (!pending.empty()) {
        auto [element, inherited] = std::move(pending.back());
        pending.pop_back();
        // Text runs take their parent's font, and measure themselves with it when their styles are parsed.
        if (!std::dynamic_pointer_cast<litehtml::html_tag>(element)) {
            element->parse_styles(/*is_reparse=*/true);
            continue;
        }
        double spacing = bounded(declaredLetterSpacing(*element, document, inherited));
        setSpacingInFontFamily(*element, defaultFamily, spacing);
        for (size_t i = 0; i < element->get_children_count(); ++i)
            pending.emplace_back(element->get_child(static_cast<int>(i)), spacing);
    }
}

SpacedFamilies takeLetterSpacing(const std::string& fontFamily)
{
    size_t item = fontFamily.rfind(kSpacingItem);
    if (item == std::string::npos)
        return {fontFamily, 0};
    SpacedFamilies spaced;
    const char* number = fontFamily.c_str() + item + std::char_traits<char>::length(kSpacingItem);
    spaced.letterSpacing = bounded(std::strtod(number, nullptr));
    size_t comma = fontFamily.rfind(',', item);
    spaced.families = trimmed(fontFamily.substr(0, comma == std::string::npos ? 0 : comma));
    return spaced;
}

}  // namespace plat::detail
