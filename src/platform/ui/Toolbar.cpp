#include "platform/ui/Toolbar.h"

#include <algorithm>

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/BarItemView.h"

namespace plat {

namespace {

constexpr double kSideMargin = 12;
constexpr double kItemGap = 10;

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
        auto view = detail::makeBarItemView(item, kHeight);
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
