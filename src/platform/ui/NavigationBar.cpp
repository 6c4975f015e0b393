#include "platform/ui/NavigationBar.h"

#include <algorithm>

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/BarItemView.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationItem.h"

namespace plat {

namespace {

constexpr double kSideMargin = 8;
constexpr double kItemGap = 6;
constexpr double kBackButtonMaximumWidth = 150;

// The back button: a chevron and the title of the item below.
class BackButton : public Button {
public:
    BackButton()
        : Button(ButtonType::System)
    {
        addTarget(this, &BackButton::tapped, ControlEventTouchUpInside);
    }

private:
    void tapped()
    {
        if (auto bar = std::dynamic_pointer_cast<NavigationBar>(superview()))
            bar->backTapped();
    }
};

std::string backTitleFor(const NavigationItem& below)
{
    if (below.backBarButtonItem() && !below.backBarButtonItem()->title().empty())
        return below.backBarButtonItem()->title();
    return below.title().empty() ? "Back" : below.title();
}

}  // namespace

NavigationBar::NavigationBar()
    : NavigationBar(Rect {})
{
}

NavigationBar::NavigationBar(Rect frame)
    : View(frame)
    , _titleLabel(std::make_shared<Label>())
{
    _titleLabel->setFont(Font::boldSystemFontOfSize(17));
    _titleLabel->setTextAlignment(TextAlignment::Center);
}

NavigationBar::~NavigationBar() = default;

void NavigationBar::setItems(std::vector<std::shared_ptr<NavigationItem>> items, bool)
{
    _items = std::move(items);
    rebuild();
}

void NavigationBar::pushNavigationItem(std::shared_ptr<NavigationItem> item, bool)
{
    if (!item)
        return;
    auto keepAlive = weak_from_this().lock();
    auto delegate = _delegate.lock();
    if (delegate && !delegate->navigationBarShouldPushItem(*this, *item))
        return;
    _items.push_back(item);
    rebuild();
    if (delegate)
        delegate->navigationBarDidPushItem(*this, *item);
}

std::shared_ptr<NavigationItem> NavigationBar::popNavigationItemAnimated(bool)
{
    if (_items.empty())
        return nullptr;
    auto item = _items.back();
    _items.pop_back();
    rebuild();
    if (auto delegate = _delegate.lock())
        delegate->navigationBarDidPopItem(*this, *item);
    return item;
}

void NavigationBar::backTapped()
{
    auto top = topItem();
    if (!top || !backItem())
        return;
    auto keepAlive = weak_from_this().lock();
    if (auto delegate = _delegate.lock(); delegate && !delegate->navigationBarShouldPopItem(*this, *top))
        return;
    popNavigationItemAnimated(true);
}

std::shared_ptr<View> NavigationBar::backButton() const
{
    return _back;
}

void NavigationBar::setBarStyle(BarStyle style)
{
    _barStyle = style;
    setNeedsDisplay();
    rebuild();
}

void NavigationBar::setTranslucent(bool translucent)
{
    _translucent = translucent;
    setNeedsDisplay();
}

void NavigationBar::setBarTintColor(std::optional<Color> color)
{
    _barTintColor = std::move(color);
    setNeedsDisplay();
}

void NavigationBar::setTitleColor(std::optional<Color> color)
{
    _titleColor = std::move(color);
    rebuild();
}

void NavigationBar::rebuild()
{
    for (const auto& view : _left)
        view->removeFromSuperview();
    for (const auto& view : _right)
        view->removeFromSuperview();
    if (_back)
        _back->removeFromSuperview();
    if (_titleView)
        _titleView->removeFromSuperview();
    _left.clear();
    _right.clear();
    _back.reset();
    _titleView.reset();
    _observations.clear();
    auto top = topItem();
    if (!top) {
        _titleLabel->setText({});
        setNeedsLayout();
        return;
    }
    // The bar follows its top item at once, as the platform's does.
    std::weak_ptr<Object> weakSelf = weak_from_this();
    for (const char* key : {"title", "titleView", "leftBarButtonItems", "rightBarButtonItems", "hidesBackButton"})
        _observations.push_back(top->addObserverForKey(key, [weakSelf](const PropertyChange&) {
            if (auto self = std::static_pointer_cast<NavigationBar>(weakSelf.lock()))
                self->rebuild();
        }));
    _titleLabel->setText(top->title());
    _titleLabel->setTextColor(
        _titleColor.value_or(_barStyle == BarStyle::Black ? Color::whiteColor() : Color::blackColor()));
    if (_titleLabel->superview().get() != this)
        addSubview(_titleLabel);
    if (top->titleView()) {
        _titleView = top->titleView();
        addSubview(_titleView);
    }
    _titleLabel->setHidden(_titleView != nullptr);
    auto below = backItem();
    if (below && !top->hidesBackButton() && top->leftBarButtonItems().empty()) {
        auto back = std::make_shared<BackButton>();
        back->setTitle("\u2039 " + backTitleFor(*below), ControlStateNormal);
        Size fitting = back->sizeThatFits({});
        back->setFrame(makeRect(0, 0, std::min(kBackButtonMaximumWidth, fitting.width + 8), kHeight));
        back->setAccessibilityLabel(backTitleFor(*below));
        addSubview(back);
        _back = back;
    }
    auto showItems
        = [&](const std::vector<std::shared_ptr<BarButtonItem>>& items, std::vector<std::shared_ptr<View>>& views) {
              for (const auto& item : items) {
                  if (auto view = detail::makeBarItemView(item, kHeight)) {
                      addSubview(view);
                      views.push_back(view);
                  }
                  // An item enabled after it was shown (a button that depends on a selection) must work.
                  for (const char* key : {"title", "image", "enabled", "customView", "width", "tintColor"})
                      _observations.push_back(item->addObserverForKey(key, [weakSelf](const PropertyChange&) {
                          if (auto self = std::static_pointer_cast<NavigationBar>(weakSelf.lock()))
                              self->rebuild();
                      }));
              }
          };
    showItems(top->leftBarButtonItems(), _left);
    showItems(top->rightBarButtonItems(), _right);
    setNeedsLayout();
}

void NavigationBar::layoutSubviews()
{
    Rect b = bounds();
    double left = b.minX() + kSideMargin;
    auto place = [&](const std::shared_ptr<View>& view, double x) {
        Size size = view->frame().size;
        view->setFrame(makeRect(x, b.midY() - size.height / 2, size.width, size.height));
    };
    if (_back) {
        place(_back, left);
        left += _back->frame().width() + kItemGap;
    }
    for (const auto& view : _left) {
        place(view, left);
        left += view->frame().width() + kItemGap;
    }
    double right = b.maxX() - kSideMargin;
    // The first right item is the outermost, as on the platform.
    for (const auto& view : _right) {
        right -= view->frame().width();
        place(view, right);
        right -= kItemGap;
    }
    // The title is centred on the bar when it fits there, else between the items.
    double room = std::max(0.0, std::min(b.midX() - left, right - b.midX()) * 2);
    if (_titleView) {
        Size size = _titleView->frame().size;
        double width = std::min(size.width, std::max(room, right - left));
        double x = width <= room ? b.midX() - width / 2 : left;
        _titleView->setFrame(makeRect(x, b.midY() - size.height / 2, width, size.height));
    }
    double textWidth = _titleLabel->sizeThatFits({}).width;
    if (textWidth <= room)
        _titleLabel->setFrame(makeRect(b.midX() - room / 2, 0, room, b.height()));
    else
        _titleLabel->setFrame(makeRect(left, 0, std::max(0.0, right - left), b.height()));
}

void NavigationBar::drawRect(GraphicsContext& context, Rect)
{
    Rect b = bounds();
    Color fill = _barTintColor.value_or(
        _barStyle == BarStyle::Black ? Color::colorWithWhite(0.1, 1) : Color::colorWithWhite(0.97, 1));
    if (_translucent)
        fill = fill.colorWithAlphaComponent(fill.alpha() * 0.9);
    context.setFillColor(fill);
    context.fillRect(b);
    context.setFillColor(Color::colorWithWhite(0, 0.3));
    context.fillRect(makeRect(b.minX(), b.maxY() - 0.5, b.width(), 0.5));
}

}  // namespace plat
