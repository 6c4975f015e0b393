#pragma once
#include <memory>
#include <optional>
#include <vector>

#include "platform/ui/PropertyObservers.h"
#include "platform/ui/View.h"

namespace plat {
class TabBar;
class TabBarItem;

class TabBarDelegate {
public:
    virtual ~TabBarDelegate() = default;
    virtual void tabBarDidSelectItem(TabBar&, TabBarItem&) { }
};

// The platform's tab bar: its items side by side in equal buttons (picture
// above title, the selected one in the tint colour, a red badge when the
// item has one); a tap on an enabled item selects it and tells the
// delegate. The buttons follow their items' changes at once. There is no
// "More" item: every item gets a button, however many there are.
class TabBar : public View {
public:
    static constexpr double kHeight = 49;

    TabBar();
    explicit TabBar(Rect frame);
    ~TabBar() override;

    const std::vector<std::shared_ptr<TabBarItem>>& items() const { return _items; }
    void setItems(std::vector<std::shared_ptr<TabBarItem>> items, bool animated = false);
    std::shared_ptr<TabBarItem> selectedItem() const { return _selected.lock(); }
    void setSelectedItem(const std::shared_ptr<TabBarItem>& item);
    std::weak_ptr<TabBarDelegate> delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<TabBarDelegate> delegate) { _delegate = std::move(delegate); }
    std::optional<Color> barTintColor() const { return _barTintColor; }
    void setBarTintColor(std::optional<Color> color);
    // The button that shows an item, or nullptr.
    std::shared_ptr<View> viewForItem(const TabBarItem& item) const;

    // A tap on an item's button.
    void itemTapped(const std::shared_ptr<TabBarItem>& item);

    void layoutSubviews() override;
    void drawRect(GraphicsContext& context, Rect rect) override;
    Size sizeThatFits(Size size) const override { return {size.width, kHeight}; }
    void tintColorDidChange() override;

private:
    void rebuildButtons();
    void refreshButtons();

    std::vector<std::shared_ptr<TabBarItem>> _items;
    std::vector<std::shared_ptr<View>> _buttons;  // parallel to _items
    std::vector<ObservationToken> _observations;
    std::weak_ptr<TabBarItem> _selected;
    std::weak_ptr<TabBarDelegate> _delegate;
    std::optional<Color> _barTintColor;
};

}  // namespace plat
