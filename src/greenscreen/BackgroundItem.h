#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zt {

// One theme picture offered as backdrop: the resource names of the full
// picture and of its thumbnail. Any thread (a value).
struct BackgroundItem {
    std::string bgImagePath;
    std::string thumbImagePath;
    int32_t themeID = 0;

    // "background_NN_bg.jpg" and "background_NN" for the identifier.
    static BackgroundItem itemWithThemeID(int32_t themeID);
    // The six theme pictures, identifiers 20 to 25 in order.
    static std::vector<BackgroundItem> themeItems();
};

}  // namespace zt
