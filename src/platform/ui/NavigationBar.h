#pragma once
#include <memory>
#include <optional>
#include <vector>

#include "platform/ui/PropertyObservers.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/View.h"

namespace plat {
class Label;
class NavigationBar;
class NavigationItem;

class NavigationBarDelegate {
public:
    virtual ~NavigationBarDelegate() = default;
    virtual bool navigationBarShouldPushItem(NavigationBar&, NavigationItem&) { return true; }
    virtual void navigationBarDidPushItem(NavigationBar&, NavigationItem&) { }
    // Asked when the back button is tapped; a delegate that pops by itself answers false.
    virtual bool navigationBarShouldPopItem(NavigationBar&, NavigationItem&) { return true; }
    virtual void navigationBarDidPopItem(NavigationBar&, NavigationItem&) { }
};

// The platform's navigation bar: a stack of navigation items, of which it
// shows the top one: its title (or title view) in the middle, its left
// items (or a back button titled after the item below, unless the top
// item hides it or has left items of its own) and its right items. The
// bar follows changes of the top item at once. Main thread.
class NavigationBar : public View {
public:
    static constexpr double kHeight = 44;

    NavigationBar();
    explicit NavigationBar(Rect frame);
    ~NavigationBar() override;

    const std::vector<std::shared_ptr<NavigationItem>>& items() const { return _items; }
    void setItems(std::vector<std::shared_ptr<NavigationItem>> items, bool animated = false);
    std::shared_ptr<NavigationItem> topItem() const { return _items.empty() ? nullptr : _items.back(); }
    std::shared_ptr<NavigationItem> backItem() const { return _items.size() < 2 ? nullptr : _items[_items.size() - 2]; }
    void pushNavigationItem(std::shared_ptr<NavigationItem> item, bool animated);
    std::shared_ptr<NavigationItem> popNavigationItemAnimated(bool animated);

    std::weak_ptr<NavigationBarDelegate> delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<NavigationBarDelegate> delegate) { _delegate = std::move(delegate); }
    BarStyle barStyle() const { return _barStyle; }
    void setBarStyle(BarStyle style);
    bool isTranslucent() const { return _translucent; }
    void setTranslucent(bool translucent);
    std::optional<Color> barTintColor() const { return _barTintColor; }
    void setBarTintColor(std::optional<Color> color);
    std::optional<Color> titleColor() const { return _titleColor; }
    void setTitleColor(std::optional<Color> color);

    // The views shown now, for tests and drivers.
    std::shared_ptr<View> backButton() const;
    std::shared_ptr<Label> titleLabel() const { return _titleLabel; }

    // A tap on the back button.
    void backTapped();

    void layoutSubviews() override;
    void drawRect(GraphicsContext& context, Rect rect) override;
    Size sizeThatFits(Size size) const override { return {size.width, kHeight}; }

private:
    void rebuild();

    std::vector<std::shared_ptr<NavigationItem>> _items;
    std::weak_ptr<NavigationBarDelegate> _delegate;
    std::shared_ptr<Label> _titleLabel;
    std::shared_ptr<View> _titleView;
    std::shared_ptr<View> _back;
    std::vector<std::shared_ptr<View>> _left;
    std::vector<std::shared_ptr<View>> _right;
    std::vector<ObservationToken> _observations;
    BarStyle _barStyle = BarStyle::Default;
    bool _translucent = true;
    std::optional<Color> _barTintColor;
    std::optional<Color> _titleColor;
};

}  // namespace plat
