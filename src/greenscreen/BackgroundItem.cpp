#include "greenscreen/BackgroundItem.h"

namespace zt {

namespace {

constexpr int32_t kFirstThemeID = 20;
constexpr int32_t kLastThemeID = 25;

// At least two digits, as the pictures are named.
std::string twoDigits(int32_t number)
{
    std::string digits = std::to_string(number);
    return digits.size() < 2 && number >= 0 ? "0" + digits : digits;
}

}  // namespace

BackgroundItem BackgroundItem::itemWithThemeID(int32_t themeID)
{
    BackgroundItem item;
    item.themeID = themeID;
    item.bgImagePath = "background_" + twoDigits(themeID) + "_bg.jpg";
    item.thumbImagePath = "background_" + twoDigits(themeID);
    return item;
}

std::vector<BackgroundItem> BackgroundItem::themeItems()
{
    std::vector<BackgroundItem> items;
    for (int32_t themeID = kFirstThemeID; themeID <= kLastThemeID; ++themeID)
        items.push_back(itemWithThemeID(themeID));
    return items;
}

}  // namespace zt
