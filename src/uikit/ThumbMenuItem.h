#pragma once
#include <cstdint>

#include "uikit/CAGridViewItem.h"

namespace zt {
class QVNumberBadgeView;

// An item of the strip's frame menu: a grid menu item with an optional
// count in a badge over its picture. A tap flashes the picture, then runs
// the block when the item is enabled; the item never closes its popover
// itself. Main thread.
class ThumbMenuItem : public CAGridViewItem {
public:
    static constexpr int64_t kSmallestBadgeValue = 2;
    static constexpr plat::Rect kBadgeFrame {{30, 5}, {50, 30}};
    static constexpr double kFlashAlpha = 0.2;
    static constexpr double kFlashSeconds = 0.15;

    ThumbMenuItem(
        std::string title, std::shared_ptr<const plat::Image> image, int64_t badgeValue, std::function<void()> block);
    static std::shared_ptr<ThumbMenuItem> initWithTitle(
        std::string title, std::shared_ptr<const plat::Image> image, int64_t badgeValue, std::function<void()> block);

    int64_t badgeValue() const { return _badgeValue; }
    // Only for values of 2 and more.
    const std::shared_ptr<QVNumberBadgeView>& badge() const { return _badge; }

    void clickItem(plat::Control& sender) override;

protected:
    void setUp() override;

private:
    int64_t _badgeValue;
    std::shared_ptr<QVNumberBadgeView> _badge;
};

}  // namespace zt
