#include "platform/ui/FontCatalog.h"

#include <cctype>

namespace plat {

namespace {

struct Family {
    const char* name;
    std::vector<const char*> faces;  // the first is the family's regular face
};

const std::vector<Family>& families()
{
    static const std::vector<Family> all = {
        {"Helvetica",
            {"Helvetica", "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique", "Helvetica-Light",
                "Helvetica-LightOblique"}},
        {"Helvetica Neue",
            {"HelveticaNeue", "HelveticaNeue-Bold", "HelveticaNeue-Italic", "HelveticaNeue-BoldItalic",
                "HelveticaNeue-Light", "HelveticaNeue-LightItalic", "HelveticaNeue-UltraLight",
                "HelveticaNeue-UltraLightItalic", "HelveticaNeue-Thin", "HelveticaNeue-ThinItalic",
                "HelveticaNeue-Medium", "HelveticaNeue-MediumItalic", "HelveticaNeue-CondensedBold",
                "HelveticaNeue-CondensedBlack"}},
        {"Avenir",
            {"Avenir-Book", "Avenir-BookOblique", "Avenir-Roman", "Avenir-Oblique", "Avenir-Light",
                "Avenir-LightOblique", "Avenir-Medium", "Avenir-MediumOblique", "Avenir-Heavy", "Avenir-HeavyOblique",
                "Avenir-Black", "Avenir-BlackOblique"}},
        {"Avenir Next",
            {"AvenirNext-Regular", "AvenirNext-Italic", "AvenirNext-UltraLight", "AvenirNext-UltraLightItalic",
                "AvenirNext-Medium", "AvenirNext-MediumItalic", "AvenirNext-DemiBold", "AvenirNext-DemiBoldItalic",
                "AvenirNext-Bold", "AvenirNext-BoldItalic", "AvenirNext-Heavy", "AvenirNext-HeavyItalic"}},
        {"Arial", {"ArialMT", "Arial-BoldMT", "Arial-ItalicMT", "Arial-BoldItalicMT"}},
        {"Courier", {"Courier", "Courier-Bold", "Courier-Oblique", "Courier-BoldOblique"}},
        {"Courier New",
            {"CourierNewPSMT", "CourierNewPS-BoldMT", "CourierNewPS-ItalicMT", "CourierNewPS-BoldItalicMT"}},
        {"Georgia", {"Georgia", "Georgia-Bold", "Georgia-Italic", "Georgia-BoldItalic"}},
        {"Times New Roman",
            {"TimesNewRomanPSMT", "TimesNewRomanPS-BoldMT", "TimesNewRomanPS-ItalicMT",
                "TimesNewRomanPS-BoldItalicMT"}},
        {"Menlo", {"Menlo-Regular", "Menlo-Bold", "Menlo-Italic", "Menlo-BoldItalic"}},
        {"Marker Felt", {"MarkerFelt-Thin", "MarkerFelt-Wide"}},
        {"Chalkduster", {"Chalkduster"}},
    };
    return all;
}

bool sameName(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && !b[i];
}

}  // namespace

std::optional<Font> FontCatalog::fontWithName(const std::string& name, double pointSize)
{
    for (const auto& family : families()) {
        if (sameName(name, family.name))
            return Font::fontWithName(family.faces.front(), pointSize);
        for (const char* face : family.faces)
            if (sameName(name, face))
                return Font::fontWithName(face, pointSize);
    }
    return std::nullopt;
}

std::vector<std::string> FontCatalog::familyNames()
{
    std::vector<std::string> names;
    for (const auto& family : families())
        names.emplace_back(family.name);
    return names;
}

std::vector<std::string> FontCatalog::fontNamesForFamilyName(const std::string& familyName)
{
    for (const auto& family : families())
        if (sameName(familyName, family.name))
            return {family.faces.begin(), family.faces.end()};
    return {};
}

}  // namespace plat
