#include "render/ThemeCardPages.h"

#include <cstdio>

#include "platform/foundation/Bundle.h"
#include "platform/graphics/Image.h"
#include "render/OutlinePlaceholders.h"

namespace zt {

namespace {

constexpr int kFirstSharedPageCard = 20;

std::string numbered(const char* format, int number)
{
    char name[64];
    std::snprintf(name, sizeof name, format, number);
    return name;
}

}  // namespace

std::string themeTitlePageName(int theme)
{
    return numbered("theme_title_%.2d.html", theme);
}

std::string themeCreditsPageName(int theme)
{
    return numbered("theme_credits_%.2d.html", theme);
}

std::string themeCardPageName(int card)
{
    return card < kFirstSharedPageCard ? themeTitlePageName(card) : "theme_card_20.html";
}

std::string themeBackgroundName(int themeOrCard)
{
    return numbered("theme_bg_%.2d.jpg", themeOrCard);
}

std::string themeThumbName(int themeOrCard)
{
    return numbered("theme_%.2d", themeOrCard);
}

plat::Dictionary themeCardReplacements(const std::string& text)
{
    plat::Dictionary replacements;
    for (const OutlinePlaceholder& field : outlinePlaceholders())
        replacements.set(field.key, std::string());
    replacements.set("META_RECORD_OUTLINE_MOVIE_NAME", text);
    return replacements;
}

std::shared_ptr<plat::Image> bundlePicture(const std::string& name)
{
    auto path = plat::Bundle::mainBundle().pathForResource(name, "");
    return path ? plat::Image::imageWithContentsOfFile(*path) : nullptr;
}

}  // namespace zt
