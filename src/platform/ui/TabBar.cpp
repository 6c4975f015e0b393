#include "platform/ui/TabBar.h"

#include <algorithm>

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Control.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/TabBarItem.h"

namespace plat {

namespace {

constexpr double kPictureHeight = 30;
constexpr double kBadgeHeight = 18;
// Dark enough that an item's title reads on the bar (5.3:1).
const Color kUnselectedGray = Color::colorWithWhite(0.4, 1);

// One item of the bar: its picture above its title, and its badge.
class TabBarButton : public Control {
public:
    explicit TabBarButton(std::weak_ptr<TabBarItem> item)
        : _item(std::move(item))
    {
        _title->setFont(Font::systemFontOfSize(10));
        _title->setTextAlignment(TextAlignment::Center);
        _badge->setFont(Font::systemFontOfSize(13));
        _badge->setTextAlignment(TextAlignment::Center);
        _badge->setTextColor(Color::whiteColor());
        _badge->setBackgroundColor(Color::colorWithRed(1, 59 / 255.0, 48 / 255.0, 1));
        _badge->layer()->setCornerRadius(kBadgeHeight / 2);
        _badge->setClipsToBounds(true);
        addTarget(this, &TabBarButton::tapped, ControlEventTouchUpInside);
    }

    void refresh(bool selected)
    {
        auto item = _item.lock();
        if (!item)
            return;
        Color color = selected ? tintColor() : kUnselectedGray;
        _title->setText(item->title());
        _title->setTextColor(color);
        auto picture = selected && item->selectedImage() ? item->selectedImage() : item->image();
        if (picture && picture->renderingMode() != ImageRenderingMode::AlwaysOriginal)
            picture = picture->imageWithRenderingMode(ImageRenderingMode::AlwaysTemplate);
        _picture->setImage(picture);
        _picture->setTintColor(color);
        _badge->setText(item->badgeValue().value_or(""));
        _badge->setHidden(!item->badgeValue());
        setEnabled(item->isEnabled());
        setSelected(selected);
        setNeedsLayout();
    }

    void layoutSubviews() override
    {
        for (const auto& part : std::initializer_list<std::shared_ptr<View>> {_picture, _title, _badge})
            if (part->superview().get() != this)
                addSubview(part);
        Rect b = bounds();
        _picture->setContentMode(ContentMode::Center);
        _picture->setFrame(makeRect(0, 3, b.width(), kPictureHeight));
        _title->setFrame(makeRect(0, b.height() - 16, b.width(), 14));
        double badgeWidth = std::max(kBadgeHeight, _badge->sizeThatFits({}).width + 10);
        _badge->setFrame(makeRect(b.midX() + 8, 2, badgeWidth, kBadgeHeight));
    }

    std::string accessibilityLabel() const override
    {
        auto item = _item.lock();
        return item ? item->title() : std::string();
    }

private:
    void tapped()
    {
        auto item = _item.lock();
        auto bar = std::dynamic_pointer_cast<TabBar>(superview());
        if (item && bar)
            bar->itemTapped(item);
    }

    std::weak_ptr<TabBarItem> _item;
    std::shared_ptr<ImageView> _picture = std::make_shared<ImageView>();
    std::shared_ptr<Label> _title = std::make_shared<Label>();
    std::shared_ptr<Label> _badge = std::make_shared<Label>();
};

}  // namespace

TabBar::TabBar()
    : TabBar(Rect {})
{
}

TabBar::TabBar(Rect frame)
    : View(frame)
{
}

TabBar::~TabBar() = default;

void TabBar::setItems(std::vector<std::shared_ptr<TabBarItem>> items, bool)
{
    _items = std::move(items);
    if (auto selected = _selected.lock(); selected && std::find(_items.begin(), _items.end(), selected) == _items.end())
        _selected.reset();
    rebuildButtons();
}

void TabBar::setSelectedItem(const std::shared_ptr<TabBarItem>& item)
{
    _selected = item;
    refreshButtons();
}

void TabBar::setBarTintColor(std::optional<Color> color)
{
    _barTintColor = std::move(color);
    setNeedsDisplay();
}

std::shared_ptr<View> TabBar::viewForItem(const TabBarItem& item) const
{
    for (size_t i = 0; i < _items.size(); ++i)
        if (_items[i].get() == &item)
            return _buttons[i];
    return nullptr;
}

void TabBar::itemTapped(const std::shared_ptr<TabBarItem>& item)
{
    if (!item->isEnabled())
        return;
    auto keepAlive = weak_from_this().lock();
    setSelectedItem(item);
    if (auto delegate = _delegate.lock())
        delegate->tabBarDidSelectItem(*this, *item);
}

void TabBar::rebuildButtons()
{
    for (const auto& button : _buttons)
        button->removeFromSuperview();
    _buttons.clear();
    _observations.clear();
    std::weak_ptr<Object> weakSelf = weak_from_this();
    for (const auto& item : _items) {
        auto button = std::make_shared<TabBarButton>(item);
        addSubview(button);
        _buttons.push_back(button);
        for (const char* key : {"title", "image", "selectedImage", "badgeValue", "enabled"})
            _observations.push_back(item->addObserverForKey(key, [weakSelf](const PropertyChange&) {
                if (auto self = std::static_pointer_cast<TabBar>(weakSelf.lock()))
                    self->refreshButtons();
            }));
    }
    refreshButtons();
    setNeedsLayout();
}

void TabBar::refreshButtons()
{
    auto selected = _selected.lock();
    for (size_t i = 0; i < _items.size(); ++i)
        std::static_pointer_cast<TabBarButton>(_buttons[i])->refresh(_items[i] == selected);
}

void TabBar::tintColorDidChange()
{
    refreshButtons();
}

void TabBar::layoutSubviews()
{
    Rect b = bounds();
    if (_buttons.empty())
        return;
    double width = b.width() / static_cast<double>(_buttons.size());
    for (size_t i = 0; i < _buttons.size(); ++i)
        _buttons[i]->setFrame(makeRect(b.minX() + width * static_cast<double>(i), b.minY(), width, b.height()));
}

void TabBar::drawRect(GraphicsContext& context, Rect)
{
    Rect b = bounds();
    context.setFillColor(_barTintColor.value_or(Color::colorWithWhite(0.97, 1)));
    context.fillRect(b);
    context.setFillColor(Color::colorWithWhite(0, 0.3));
    context.fillRect({b.origin, {b.width(), 0.5}});
}

}  // namespace plat
