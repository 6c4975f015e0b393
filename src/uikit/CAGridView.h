#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/ui/View.h"
#include "uikit/CAGridViewItem.h"

namespace plat {
class BarButtonItem;
class Button;
class PopoverController;
}  // namespace plat

namespace zt {

// A grid of square cells holding menu items, laid out row by row. It can
// show its items as a panel that springs up from the bottom of a host view
// over a dimmed background (with a cancel button), or in a system popover
// from a bar button. Main thread.
class CAGridView : public plat::View, public CAGridViewItemDelegate {
public:
    static constexpr float kDefaultGridSize = 100;
    static constexpr double kRowTop = 20;
    // A row is this much shorter than a cell.
    static constexpr double kRowOverlap = 5;
    static constexpr double kPanelSpringSeconds = 0.25;
    static constexpr double kPanelDimAlpha = 0.5;
    static constexpr double kCancelHeight = 45;
    // The panel shows the rows, the cancel button and this much room around them.
    static constexpr double kPanelExtraHeight = 70;
    static constexpr plat::Size kPopoverContentSize {320, 300};

    CAGridView();
    explicit CAGridView(plat::Rect frame);

    const std::vector<std::shared_ptr<CAGridViewItem>>& items() const { return _items; }
    const std::shared_ptr<plat::View>& dimView() const { return _dimView; }
    // The side of a square cell; 0 or less counts as 100.
    float gridSize() const { return _gridSize; }
    void setGridSize(float size) { _gridSize = size; }
    const std::optional<plat::Color>& labelColor() const { return _labelColor; }
    void setLabelColor(std::optional<plat::Color> color) { _labelColor = std::move(color); }
    const std::optional<plat::Font>& labelFont() const { return _labelFont; }
    void setLabelFont(std::optional<plat::Font> font) { _labelFont = std::move(font); }

    // At least one column, however narrow the view: the panel's rows are
    // counted by dividing by it.
    int64_t numberOfColumns() const;
    // Whole points between cells and at the ends of a row; never negative.
    double spacing() const;

    // Keeps the items, adds them in order and lays them out; the caller shows the grid.
    void layoutViewForItems(std::vector<std::shared_ptr<CAGridViewItem>> items);
    // The bottom panel over host, with its dimming view and cancel button.
    void showInView(const std::shared_ptr<plat::View>& host, std::vector<std::shared_ptr<CAGridViewItem>> items);
    // The items in a system popover of 320 x 300 from the bar button; the caller keeps it.
    std::shared_ptr<plat::PopoverController> presentInView(const std::shared_ptr<plat::View>& view,
        const plat::BarButtonItem& item, std::vector<std::shared_ptr<CAGridViewItem>> items);
    // Closes the panel without running an item's block.
    void actionCancel();

    // Closes the panel, then runs the block.
    void didClickOnItem(CAGridViewItem& item, const std::function<void()>& block) override;

    virtual void layoutItems();

protected:
    float effectiveGridSize() const { return _gridSize > 0 ? _gridSize : kDefaultGridSize; }
    void addItemsAsSubviews();

private:
    double rowsHeight() const;
    void closePanel(std::function<void()> then);
    static bool hasFlatInterfaceStyle();
    std::shared_ptr<plat::Button> makeCancelButton(double rowsHeight) const;

    std::vector<std::shared_ptr<CAGridViewItem>> _items;
    std::shared_ptr<plat::View> _dimView;
    float _gridSize = 0;
    std::optional<plat::Color> _labelColor;
    std::optional<plat::Font> _labelFont;
};

// The strip's frame menu: the items side by side in one row of cells, titles
// black and shrunk to fit one line. Main thread.
class ThumbMenuGridView : public CAGridView {
public:
    using CAGridView::CAGridView;
    static constexpr double kRowHeight = 100;

    void layoutItems() override;
};

}  // namespace zt
