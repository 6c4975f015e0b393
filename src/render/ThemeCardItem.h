#pragma once
#include <string>
#include <vector>

namespace zt {

// One card of the theme-card gallery: a picture card (a whole-frame picture)
// or a text card (a page with one text over a background). Value type.
struct ThemeCardItem {
    std::string bgImagePath;  // the card's picture in the bundle
    std::string thumbImagePath;  // its thumbnail in the bundle, without extension
    int frameType = 0;  // of the frame the card becomes
    int themeID = 0;  // the card's number

    // The gallery's cards in their order: picture cards 50-64, then text
    // cards 20-24 and 1-8.
    static std::vector<ThemeCardItem> galleryItems();
};

}  // namespace zt
