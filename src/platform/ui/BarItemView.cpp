#include "platform/ui/BarItemView.h"

#include <algorithm>

#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"

namespace plat::detail {

namespace {

// Title and image buttons get this much room around their content.
constexpr double kButtonPadding = 6;
constexpr double kMinimumButtonWidth = 30;

// Relays a tap on the bar's button to its item.
class ItemButton : public Button {
public:
    explicit ItemButton(std::weak_ptr<BarButtonItem> item)
        : Button(ButtonType::System)
        , _item(std::move(item))
    {
        addTarget(this, &ItemButton::tapped, ControlEventTouchUpInside);
    }
    void tapped()
    {
        if (auto item = _item.lock())
            item->sendAction();
    }

private:
    std::weak_ptr<BarButtonItem> _item;
};

}  // namespace

std::shared_ptr<View> makeBarItemView(const std::shared_ptr<BarButtonItem>& item, double barHeight)
{
    std::shared_ptr<View> view;
    if (item->customView()) {
        view = item->customView();
    } else if (!item->isSpace()) {
        auto button = std::make_shared<ItemButton>(item);
        button->setTitle(item->title(), ControlStateNormal);
        if (item->image())
            button->setImage(item->image(), ControlStateNormal);
        if (item->tintColor())
            button->setTintColor(item->tintColor());
        button->setEnabled(item->isEnabled());
        if (!item->accessibilityLabel().empty())
            button->setAccessibilityLabel(item->accessibilityLabel());
        if (item->style() == BarButtonItemStyle::Done)
            button->titleLabel()->setFont(Font::boldSystemFontOfSize(15));
        Size fitting = button->sizeThatFits({});
        double width
            = item->width() > 0 ? item->width() : std::max(kMinimumButtonWidth, fitting.width + 2 * kButtonPadding);
        button->setFrame({{0, 0}, {width, barHeight}});
        view = button;
    }
    item->_shownView = view;
    return view;
}

}  // namespace plat::detail
