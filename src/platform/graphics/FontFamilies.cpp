#include "platform/graphics/FontFamilies.h"

#include <cctype>
#include <cstring>

namespace plat::detail {

namespace {

std::string withoutSpaces(const std::string& text)
{
    std::string kept;
    for (char c : text)
        if (c != ' ')
            kept += c;
    return kept;
}

bool isBreakAfterFamily(char c)
{
    return c == ' ' || c == '-';
}

// The length of the family's name at the start of name (as written, or with
// its spaces left out as in face names), or 0 when name does not begin with it.
size_t familyPrefixLength(const std::string& name, const char* family)
{
    for (const std::string& prefix : {std::string(family), withoutSpaces(family)}) {
        if (name.size() < prefix.size() || !sameFontName(name.substr(0, prefix.size()), prefix.c_str()))
            continue;
        if (name.size() == prefix.size() || isBreakAfterFamily(name[prefix.size()]))
            return prefix.size();
    }
    return 0;
}

}  // namespace

const std::vector<FontFamilyRecord>& deviceFontFamilies()
{
    static const std::vector<FontFamilyRecord> all = {
        // Helvetica's and Arial's metrics are one; browsers here draw both with Liberation Sans.
        {"Helvetica", "Liberation Sans",
            {"Helvetica", "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique", "Helvetica-Light",
                "Helvetica-LightOblique"}},
        // DejaVu Sans has the extra-light face that the light and thin names need.
        {"Helvetica Neue", "DejaVu Sans",
            {"HelveticaNeue", "HelveticaNeue-Bold", "HelveticaNeue-Italic", "HelveticaNeue-BoldItalic",
                "HelveticaNeue-Light", "HelveticaNeue-LightItalic", "HelveticaNeue-UltraLight",
                "HelveticaNeue-UltraLightItalic", "HelveticaNeue-Thin", "HelveticaNeue-ThinItalic",
                "HelveticaNeue-Medium", "HelveticaNeue-MediumItalic", "HelveticaNeue-CondensedBold",
                "HelveticaNeue-CondensedBlack"}},
        {"Avenir", "URW Gothic",
            {"Avenir-Book", "Avenir-BookOblique", "Avenir-Roman", "Avenir-Oblique", "Avenir-Light",
                "Avenir-LightOblique", "Avenir-Medium", "Avenir-MediumOblique", "Avenir-Heavy", "Avenir-HeavyOblique",
                "Avenir-Black", "Avenir-BlackOblique"}},
        {"Avenir Next", "URW Gothic",
            {"AvenirNext-Regular", "AvenirNext-Italic", "AvenirNext-UltraLight", "AvenirNext-UltraLightItalic",
                "AvenirNext-Medium", "AvenirNext-MediumItalic", "AvenirNext-DemiBold", "AvenirNext-DemiBoldItalic",
                "AvenirNext-Bold", "AvenirNext-BoldItalic", "AvenirNext-Heavy", "AvenirNext-HeavyItalic"}},
        {"Arial", "Liberation Sans", {"ArialMT", "Arial-BoldMT", "Arial-ItalicMT", "Arial-BoldItalicMT"}},
        {"Courier", "Nimbus Mono PS", {"Courier", "Courier-Bold", "Courier-Oblique", "Courier-BoldOblique"}},
        {"Courier New", "Liberation Mono",
            {"CourierNewPSMT", "CourierNewPS-BoldMT", "CourierNewPS-ItalicMT", "CourierNewPS-BoldItalicMT"}},
        {"Georgia", "C059", {"Georgia", "Georgia-Bold", "Georgia-Italic", "Georgia-BoldItalic"}},
        {"Times New Roman", "Liberation Serif",
            {"TimesNewRomanPSMT", "TimesNewRomanPS-BoldMT", "TimesNewRomanPS-ItalicMT",
                "TimesNewRomanPS-BoldItalicMT"}},
        {"Menlo", "DejaVu Sans Mono", {"Menlo-Regular", "Menlo-Bold", "Menlo-Italic", "Menlo-BoldItalic"}},
        {"Marker Felt", "Comic Neue", {"MarkerFelt-Thin", "MarkerFelt-Wide"}},
        {"Chalkduster", "Comic Neue", {"Chalkduster"}},
    };
    return all;
}

bool sameFontName(const std::string& name, const char* other)
{
    size_t i = 0;
    for (; i < name.size() && other[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(name[i])) != std::tolower(static_cast<unsigned char>(other[i])))
            return false;
    return i == name.size() && !other[i];
}

const FontFamilyRecord* familyNamed(const std::string& name)
{
    const std::string wanted = withoutSpaces(name);
    for (const auto& family : deviceFontFamilies())
        if (sameFontName(wanted, withoutSpaces(family.name).c_str()))
            return &family;
    return nullptr;
}

const FontFamilyRecord* familyOfFontName(const std::string& name)
{
    const FontFamilyRecord* best = nullptr;
    size_t bestLength = 0;
    for (const auto& family : deviceFontFamilies()) {
        for (const char* face : family.faces)
            if (sameFontName(name, face))
                return &family;
        if (size_t length = familyPrefixLength(name, family.name); length > bestLength) {
            best = &family;
            bestLength = length;
        }
    }
    return best;
}

}  // namespace plat::detail
