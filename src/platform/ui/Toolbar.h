#pragma once
#include <memory>
#include <optional>
#include <vector>

#include "platform/ui/PropertyObservers.h"
#include "platform/ui/View.h"

namespace plat {
class BarButtonItem;
class Image;

enum class BarStyle : int { Default = 0, Black = 1 };

// The platform's toolbar: its items laid out in a row, left to right, with
// side margins and gaps; flexible spaces share what is left over, fixed
// spaces take their width, custom views keep their size, other items
// become buttons of their title, image or system item. The subviews are the
// items' views in item order (spaces have none), rebuilt at once when an
// item's look or custom view changes. The background is its bar tint, or
// its background picture, or nothing when that picture is empty.
class Toolbar : public View {
public:
    static constexpr double kHeight = 44;

    Toolbar();
    explicit Toolbar(Rect frame);
    ~Toolbar() override;

    const std::vector<std::shared_ptr<BarButtonItem>>& items() const { return _items; }
    void setItems(std::vector<std::shared_ptr<BarButtonItem>> items);
    void setItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool animated);
    // The view that shows an item (its custom view or the toolbar's button), or nullptr.
    std::shared_ptr<View> viewForItem(const BarButtonItem& item) const;

    BarStyle barStyle() const { return _barStyle; }
    void setBarStyle(BarStyle style);
    bool isTranslucent() const { return _translucent; }
    void setTranslucent(bool translucent);
    std::optional<Color> barTintColor() const { return _barTintColor; }
    void setBarTintColor(std::optional<Color> color);
    const std::shared_ptr<const Image>& backgroundImage() const { return _backgroundImage; }
    void setBackgroundImage(std::shared_ptr<const Image> image);

    void layoutSubviews() override;
    void drawRect(GraphicsContext& context, Rect rect) override;
    Size sizeThatFits(Size size) const override { return {size.width, kHeight}; }
    void tintColorDidChange() override;

private:
    void rebuildItemViews();

    std::vector<std::shared_ptr<BarButtonItem>> _items;
    std::vector<std::shared_ptr<View>> _itemViews;  // parallel to _items; nullptr for spaces
    std::vector<ObservationToken> _observations;
    BarStyle _barStyle = BarStyle::Default;
    bool _translucent = true;
    std::optional<Color> _barTintColor;
    std::shared_ptr<const Image> _backgroundImage;
    bool _rebuilding = false;
};

}  // namespace plat
