#pragma once
#include <memory>
#include <string>

#include "platform/foundation/Value.h"

namespace plat {
class Image;
}

namespace zt {

// The bundle's names of the card pages and pictures, by theme or card number.
std::string themeTitlePageName(int theme);
std::string themeCreditsPageName(int theme);
// Cards below 20 use their theme's title page; the others share one page.
std::string themeCardPageName(int card);
std::string themeBackgroundName(int themeOrCard);
std::string themeThumbName(int themeOrCard);
// The texts of a theme card's page: the card's text as the movie's name and
// every other outline text empty, so that no placeholder of a theme's title
// page shows literally on a card.
plat::Dictionary themeCardReplacements(const std::string& text);
// A picture of the bundle by its full name, read afresh; nullptr when missing.
std::shared_ptr<plat::Image> bundlePicture(const std::string& name);

}  // namespace zt
