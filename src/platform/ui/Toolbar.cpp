#include "platform/ui/Toolbar.h"

#include <algorithm>

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"

namespace plat {

namespace {

constexpr double kSideMargin = 12;
constexpr double kItemGap = 10;
// Title and image buttons get this much room around their content.
constexpr double kButtonPadding = 6;
constexpr double kMinimumButtonWidth = 30;

// Relays a tap on the toolbar's button to its item.
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

Toolbar::Toolbar()
    : Toolbar(Rect {})
{
}

Toolbar::Toolbar(Rect frame)
    : View(frame)
{
}

Toolbar::~Toolbar() = default;

void Toolbar::setItems(std::vector<std::shared_ptr<BarButtonItem>> items)
{
    _items = std::move(items);
    rebuildItemViews();
}

void Toolbar::setItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool)
{
    setItems(std::move(items));
}

std::shared_ptr<View> Toolbar::makeButton(const std::shared_ptr<BarButtonItem>& item)
{
    auto button = std::make_shared<ItemButton>(item);
    button->setTitle(item->title(), ControlStateNormal);
    if (item->image())
        button->setImage(item->image(), ControlStateNormal);
    if (item->tintColor())
        button->setTintColor(item->tintColor());
    button->setEnabled(item->isEnabled());
    if (item->style() == BarButtonItemStyle::Done)
        button->titleLabel()->setFont(Font::boldSystemFontOfSize(15));
    Size fitting = button->sizeThatFits({});
    double width
        = item->width() > 0 ? item->width() : std::max(kMinimumButtonWidth, fitting.width + 2 * kButtonPadding);
    button->setFrame({{0, 0}, {width, kHeight}});
    return button;
}

void Toolbar::rebuildItemViews()
{
    if (_rebuilding)
        return;
    _rebuilding = true;
    for (auto& view : _itemViews)
        if (view && view->superview().get() == this)
            view->removeFromSuperview();
    _itemViews.clear();
    _observations.clear();
    for (const auto& item : _items) {
        std::shared_ptr<View> view;
        if (item->customView())
            view = item->customView();
        else if (!item->isSpace())
            view = makeButton(item);
        if (view)
            addSubview(view);
        _itemViews.push_back(view);
        // The bar follows its items at once, as the platform's does.
        for (const char* key : {"title", "image", "enabled", "customView", "width", "tintColor"}) {
            std::weak_ptr<Toolbar> weakSelf = std::static_pointer_cast<Toolbar>(shared_from_this());
            _observations.push_back(item->addObserverForKey(key, [weakSelf](const PropertyChange&) {
                if (auto self = weakSelf.lock())
                    self->rebuildItemViews();
            }));
        }
    }
    _rebuilding = false;
    layoutSubviews();
    setNeedsLayout();
}

std::shared_ptr<View> Toolbar::viewForItem(const BarButtonItem& item) const
{
    for (size_t i = 0; i < _items.size(); ++i)
        if (_items[i].get() == &item)
            return _itemViews[i];
    return nullptr;
}

void Toolbar::layoutSubviews()
{
    Rect b = bounds();
    double fixed = 0;
    int flexible = 0;
    for (size_t i = 0; i < _items.size(); ++i) {
        const auto& item = _items[i];
        if (item->systemItem() == BarButtonSystemItem::FlexibleSpace)
            ++flexible;
        else if (item->systemItem() == BarButtonSystemItem::FixedSpace)
            fixed += item->width();
        else if (_itemViews[i])
            fixed += _itemViews[i]->frame().width();
    }
    size_t gaps = _items.empty() ? 0 : _items.size() - 1;
    double room = b.width() - 2 * kSideMargin - fixed - kItemGap * static_cast<double>(gaps);
    double flexibleWidth = flexible > 0 ? std::max(0.0, room / flexible) : 0;
    double x = b.minX() + kSideMargin;
    for (size_t i = 0; i < _items.size(); ++i) {
        const auto& item = _items[i];
        if (item->systemItem() == BarButtonSystemItem::FlexibleSpace) {
            x += flexibleWidth + kItemGap;
            continue;
        }
        if (item->systemItem() == BarButtonSystemItem::FixedSpace) {
            x += item->width() + kItemGap;
            continue;
        }
        const auto& view = _itemViews[i];
        if (!view)
            continue;
        Size size = view->frame().size;
        view->setFrame({{x, b.midY() - size.height / 2}, size});
        x += size.width + kItemGap;
    }
}

void Toolbar::setBarStyle(BarStyle style)
{
    _barStyle = style;
    setNeedsDisplay();
}

void Toolbar::setTranslucent(bool translucent)
{
    _translucent = translucent;
    setNeedsDisplay();
}

void Toolbar::setBarTintColor(std::optional<Color> color)
{
    _barTintColor = std::move(color);
    setNeedsDisplay();
}

void Toolbar::setBackgroundImage(std::shared_ptr<const Image> image)
{
    _backgroundImage = std::move(image);
    setNeedsDisplay();
}

void Toolbar::tintColorDidChange()
{
    for (auto& view : _itemViews)
        if (view)
            view->setNeedsDisplay();
}

void Toolbar::drawRect(GraphicsContext& context, Rect)
{
    Rect b = bounds();
    if (_backgroundImage) {
        if (_backgroundImage->size().width > 0 && _backgroundImage->size().height > 0)
            context.drawImage(*_backgroundImage, b);
        return;
    }
    Color fill = _barTintColor.value_or(
        _barStyle == BarStyle::Black ? Color::colorWithWhite(0.1, 1) : Color::colorWithWhite(0.97, 1));
    if (_translucent)
        fill = fill.colorWithAlphaComponent(fill.alpha() * 0.9);
    context.setFillColor(fill);
    context.fillRect(b);
    context.setFillColor(Color::colorWithWhite(0, 0.3));
    context.fillRect({b.origin, {b.width(), 0.5}});
}

}  // namespace plat
