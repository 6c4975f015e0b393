#pragma once
#include <memory>
#include <string>

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
// A picture of the bundle by its full name, read afresh; nullptr when missing.
std::shared_ptr<plat::Image> bundlePicture(const std::string& name);

}  // namespace zt
