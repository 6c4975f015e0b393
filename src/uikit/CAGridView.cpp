#include "uikit/CAGridView.h"

#include <cmath>

#include "platform/foundation/Bundle.h"
#include "platform/graphics/Image.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/PopoverController.h"
#include "platform/ui/ViewController.h"

namespace zt {

namespace {

constexpr double kSpringDamping = 1.0;
constexpr double kSpringVelocity = 10.0;
constexpr double kPanelAlpha = 0.85;
constexpr double kPanelTopCap = 30;
constexpr double kCancelInset = 10;
constexpr double kFlatCancelFontSize = 23;
constexpr double kOldCancelFontSize = 20;
constexpr double kOldCancelMinimumScale = 0.5;
const plat::Color kAppTint = plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1);

// A picture stretched between caps, as the platform's stretchable images:
// the caps keep their size, the single row and column after them stretch.
std::shared_ptr<plat::Image> stretchable(const std::shared_ptr<plat::Image>& image, double leftCap, double topCap)
{
    if (!image)
        return nullptr;
    const plat::Size size = image->size();
    return image->resizableImageWithCapInsets(
        {topCap, leftCap, std::max(0.0, size.height - topCap - 1), std::max(0.0, size.width - leftCap - 1)});
}

}  // namespace

CAGridView::CAGridView()
    : CAGridView(plat::Rect {})
{
}

CAGridView::CAGridView(plat::Rect frame)
    : plat::View(frame)
{
}

int64_t CAGridView::numberOfColumns() const
{
    auto columns = static_cast<int64_t>(std::floor(bounds().width() / effectiveGridSize()));
    return std::max<int64_t>(columns, 1);
}

double CAGridView::spacing() const
{
    const double width = bounds().width();
    const int64_t columns = numberOfColumns();
    double spare
        = std::floor((width - static_cast<double>(columns) * effectiveGridSize()) / static_cast<double>(columns + 1));
    return std::max(spare, 0.0);
}

void CAGridView::addItemsAsSubviews()
{
    for (const auto& item : _items)
        addSubview(item);
}

void CAGridView::layoutViewForItems(std::vector<std::shared_ptr<CAGridViewItem>> items)
{
    setBackgroundColor(plat::Color::clearColor());
    _items = std::move(items);
    addItemsAsSubviews();
    layoutItems();
}

void CAGridView::layoutItems()
{
    const double grid = effectiveGridSize();
    const int64_t columns = numberOfColumns();
    const double gap = spacing();
    int64_t column = 0;
    double x = 0;
    double y = 0;
    for (const auto& item : _items) {
        item->setLabelColor(_labelColor);
        item->setLabelFont(_labelFont);
        plat::Rect frame = item->frame();
        item->setFrame(plat::makeRect(
            frame.minX() + x + static_cast<double>(column + 1) * gap, frame.minY() + y + kRowTop, grid, grid));
        if ((column + 1) % columns == 0) {
            y += std::floor(grid - kRowOverlap);
            x = 0;
            column = 0;
        } else {
            x = std::floor(x + grid);
            ++column;
        }
    }
}

double CAGridView::rowsHeight() const
{
    const auto count = static_cast<int64_t>(_items.size());
    const int64_t columns = numberOfColumns();
    const int64_t rows = (count + columns - 1) / columns;
    return std::floor(static_cast<double>(rows) * effectiveGridSize());
}

bool CAGridView::hasFlatInterfaceStyle()
{
    return plat::Device::currentDevice().systemVersionIsAtLeast("7.0");
}

std::shared_ptr<plat::Button> CAGridView::makeCancelButton(double rows) const
{
    auto cancel = plat::Button::buttonWithType(plat::ButtonType::Custom);
    cancel->setFrame(
        plat::makeRect(kCancelInset, rows + kCancelInset, bounds().width() - 2 * kCancelInset, kCancelHeight));
    cancel->setTitle(plat::localized("Cancel"), plat::ControlStateNormal);
    if (hasFlatInterfaceStyle()) {
        cancel->titleLabel()->setFont(plat::Font::systemFontOfSize(kFlatCancelFontSize));
        cancel->setTitleColor(kAppTint, plat::ControlStateNormal);
    } else {
        auto background = plat::Image::imageNamed("action-black-button.png");
        if (background)
            cancel->setBackgroundImage(
                stretchable(background, std::floor(background->size().width / 2), 0), plat::ControlStateNormal);
        auto& title = cancel->titleLabel();
        title->setFont(plat::Font::boldSystemFontOfSize(kOldCancelFontSize));
        cancel->setTitleColor(plat::Color::whiteColor(), plat::ControlStateNormal);
        title->setShadowOffset({0, -1});
        title->setMinimumScaleFactor(kOldCancelMinimumScale);
        title->setAdjustsFontSizeToFitWidth(true);
        title->setTextAlignment(plat::TextAlignment::Center);
    }
    return cancel;
}

void CAGridView::showInView(const std::shared_ptr<plat::View>& host, std::vector<std::shared_ptr<CAGridViewItem>> items)
{
    if (!host)
        return;
    const plat::Rect hostBounds = host->bounds();
    setFrame(hostBounds);
    setBackgroundColor(plat::Color::clearColor());
    _dimView = std::make_shared<plat::View>(hostBounds);
    _dimView->setBackgroundColor(plat::Color::blackColor());
    _dimView->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
    _dimView->setAlpha(0);
    host->addSubview(_dimView);

    if (hasFlatInterfaceStyle()) {
        setBackgroundColor(plat::Color::colorWithWhite(1, kPanelAlpha));
    } else {
        auto panel = std::make_shared<plat::ImageView>(bounds());
        panel->setImage(stretchable(plat::Image::imageNamed("action-sheet-panel.png"), 0, kPanelTopCap));
        panel->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
        addSubview(panel);
    }

    _items = std::move(items);
    auto asDelegate = std::static_pointer_cast<CAGridViewItemDelegate>(sharedAs<CAGridView>());
    for (const auto& item : _items)
        item->setDelegate(asDelegate);
    addItemsAsSubviews();
    layoutItems();
    const double rows = rowsHeight();
    auto cancel = makeCancelButton(rows);
    cancel->addTarget(this, &CAGridView::actionCancel, plat::ControlEventTouchUpInside);
    addSubview(cancel);

    host->addSubview(sharedAs<CAGridView>());
    plat::Rect frame = this->frame();
    setFrame(plat::makeRect(frame.minX(), hostBounds.height(), frame.width(), frame.height()));
    auto dim = _dimView;
    auto weakSelf = std::weak_ptr<CAGridView>(sharedAs<CAGridView>());
    const double shownY = std::floor(frame.height() - rows - kPanelExtraHeight);
    plat::View::animateWithDuration(
        kPanelSpringSeconds, 0, kSpringDamping, kSpringVelocity, 0,
        [weakSelf, dim, shownY] {
            if (auto self = weakSelf.lock()) {
                plat::Rect current = self->frame();
                self->setFrame(plat::makeRect(current.minX(), shownY, current.width(), current.height()));
            }
            dim->setAlpha(kPanelDimAlpha);
        },
        nullptr);
}

void CAGridView::closePanel(std::function<void()> then)
{
    auto weakSelf = std::weak_ptr<CAGridView>(sharedAs<CAGridView>());
    auto dim = _dimView;
    plat::View::animateWithDuration(
        kPanelSpringSeconds, 0, kSpringDamping, kSpringVelocity, 0,
        [weakSelf, dim] {
            if (auto self = weakSelf.lock()) {
                plat::Rect current = self->frame();
                self->setFrame(plat::makeRect(current.minX(), current.height() + 1, current.width(), current.height()));
            }
            if (dim)
                dim->setAlpha(0);
        },
        [weakSelf, dim, then = std::move(then)](bool) {
            auto self = weakSelf.lock();  // pinned while it leaves the screen
            if (self)
                self->removeFromSuperview();
            if (dim)
                dim->removeFromSuperview();
            if (then)
                then();
        });
}

void CAGridView::actionCancel()
{
    closePanel(nullptr);
}

void CAGridView::didClickOnItem(CAGridViewItem&, const std::function<void()>& block)
{
    closePanel(block);
}

std::shared_ptr<plat::PopoverController> CAGridView::presentInView(const std::shared_ptr<plat::View>& view,
    const plat::BarButtonItem& item, std::vector<std::shared_ptr<CAGridViewItem>> items)
{
    (void)view;  // the popover finds its place from the bar item
    auto content = std::make_shared<plat::ViewController>();
    auto contentView
        = std::make_shared<plat::View>(plat::makeRect(0, 0, kPopoverContentSize.width, kPopoverContentSize.height));
    content->setView(contentView);
    auto popover = std::make_shared<plat::PopoverController>(content);
    setFrame(contentView->frame());
    _items = std::move(items);
    addItemsAsSubviews();
    for (const auto& entry : _items)
        entry->setPopover(popover);
    layoutItems();
    contentView->addSubview(sharedAs<CAGridView>());
    popover->setPopoverContentSize(contentView->frame().size);
    popover->presentPopoverFromBarButtonItem(item, plat::PopoverArrowDirectionAny, /*animated=*/true);
    return popover;
}

void ThumbMenuGridView::layoutItems()
{
    const double grid = effectiveGridSize();
    double x = 0;
    for (const auto& item : items()) {
        item->setFrame(plat::makeRect(x, 0, grid, kRowHeight));
        item->setLabelColor(plat::Color::blackColor());
        item->setIsLabelFontAutoShrink(true);
        x += grid;
    }
}

}  // namespace zt
