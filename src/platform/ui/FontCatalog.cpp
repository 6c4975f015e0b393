#include "platform/ui/FontCatalog.h"

#include "platform/graphics/FontFamilies.h"

namespace plat {

std::optional<Font> FontCatalog::fontWithName(const std::string& name, double pointSize)
{
    for (const auto& family : detail::deviceFontFamilies()) {
        if (detail::sameFontName(name, family.name))
            return Font::fontWithName(family.faces.front(), pointSize);
        for (const char* face : family.faces)
            if (detail::sameFontName(name, face))
                return Font::fontWithName(face, pointSize);
    }
    return std::nullopt;
}

std::vector<std::string> FontCatalog::familyNames()
{
    std::vector<std::string> names;
    for (const auto& family : detail::deviceFontFamilies())
        names.emplace_back(family.name);
    return names;
}

std::vector<std::string> FontCatalog::fontNamesForFamilyName(const std::string& familyName)
{
    for (const auto& family : detail::deviceFontFamilies())
        if (detail::sameFontName(familyName, family.name))
            return {family.faces.begin(), family.faces.end()};
    return {};
}

}  // namespace plat
