#include "platform/ui/ActionSheet.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/Label.h"
#include "platform/ui/ModalOverlay.h"
#include "platform/ui/ViewController.h"

namespace plat {

namespace {

constexpr double kMargin = 8;
constexpr double kCornerRadius = 13;
constexpr double kDimmingAlpha = 0.4;
constexpr double kPopoverWidth = 320;
const Color kDestructiveRed = Color::colorWithRed(1, 59 / 255.0, 48 / 255.0, 1);
const Color kSeparator = Color::colorWithWhite(0.78, 1);

}  // namespace

// A button of the sheet, which reports its index.
class ActionSheetButton : public Button {
public:
    explicit ActionSheetButton(int64_t index)
        : Button(ButtonType::System)
        , _index(index)
    {
        addTarget(this, &ActionSheetButton::tapped, ControlEventTouchUpInside);
    }
    int64_t index() const { return _index; }

private:
    void tapped()
    {
        if (auto sheet = std::dynamic_pointer_cast<ActionSheet>(superview()))
            sheet->buttonTapped(_index);
    }
    int64_t _index;
};

// Hears a touch beside the popover the sheet shows in: the cancel button.
class ActionSheet::PopoverWatcher : public PopoverControllerDelegate {
public:
    explicit PopoverWatcher(std::weak_ptr<ActionSheet> sheet)
        : _sheet(std::move(sheet))
    {
    }
    bool popoverControllerShouldDismissPopover(PopoverController&) override
    {
        // The sheet goes its own way, telling its delegate.
        if (auto sheet = _sheet.lock())
            sheet->touchedOutside();
        return false;
    }

private:
    std::weak_ptr<ActionSheet> _sheet;
};

ActionSheet::ActionSheet(std::string title, std::weak_ptr<ActionSheetDelegate> delegate,
    std::optional<std::string> cancelButtonTitle, std::optional<std::string> destructiveButtonTitle,
    std::vector<std::string> otherButtonTitles)
    : _title(std::move(title))
    , _delegate(std::move(delegate))
    , _titleLabel(std::make_shared<Label>())
{
    setBackgroundColor(Color::clearColor());
    if (destructiveButtonTitle) {
        _destructiveButtonIndex = 0;
        _buttonTitles.push_back(*destructiveButtonTitle);
    }
    for (auto& other : otherButtonTitles)
        _buttonTitles.push_back(std::move(other));
    if (cancelButtonTitle) {
        _cancelButtonIndex = static_cast<int64_t>(_buttonTitles.size());
        _buttonTitles.push_back(*cancelButtonTitle);
    }
    _titleLabel->setFont(Font::systemFontOfSize(13));
    _titleLabel->setTextColor(Color::colorWithWhite(0.56, 1));
    _titleLabel->setTextAlignment(TextAlignment::Center);
    _titleLabel->setNumberOfLines(0);
    _titleLabel->setText(_title);
}

ActionSheet::~ActionSheet() = default;

void ActionSheet::setTitle(std::string title)
{
    _title = std::move(title);
    _titleLabel->setText(_title);
    setNeedsLayout();
}

int64_t ActionSheet::addButtonWithTitle(std::string title)
{
    _buttonTitles.push_back(std::move(title));
    if (_visible)
        rebuildButtons();
    return numberOfButtons() - 1;
}

std::string ActionSheet::buttonTitleAtIndex(int64_t index) const
{
    if (index < 0 || index >= numberOfButtons())
        return {};
    return _buttonTitles[static_cast<size_t>(index)];
}

void ActionSheet::setCancelButtonIndex(int64_t index)
{
    _cancelButtonIndex = index >= 0 && index < numberOfButtons() ? index : -1;
}

void ActionSheet::setDestructiveButtonIndex(int64_t index)
{
    _destructiveButtonIndex = index >= 0 && index < numberOfButtons() ? index : -1;
}

int64_t ActionSheet::firstOtherButtonIndex() const
{
    for (int64_t i = 0; i < numberOfButtons(); ++i)
        if (i != _cancelButtonIndex && i != _destructiveButtonIndex)
            return i;
    return -1;
}

void ActionSheet::setActionSheetStyle(ActionSheetStyle style)
{
    _style = style;
    setNeedsDisplay();
}

bool ActionSheet::showsButton(int64_t index) const
{
    // In a popover a touch beside it is the cancel button.
    return !(_inPopover && index == _cancelButtonIndex);
}

double ActionSheet::titleHeight(double width) const
{
    if (_title.empty())
        return 0;
    return std::ceil(_titleLabel->sizeThatFits({width - 2 * kMargin, 0}).height) + 2 * kMargin;
}

Size ActionSheet::sizeThatFits(Size size) const
{
    double height = titleHeight(size.width);
    for (int64_t i = 0; i < numberOfButtons(); ++i)
        if (showsButton(i))
            height += kButtonHeight + (i == _cancelButtonIndex ? kMargin : 0);
    return {size.width, height};
}

void ActionSheet::rebuildButtons()
{
    for (const auto& button : _buttons)
        button->removeFromSuperview();
    _buttons.clear();
    for (int64_t i = 0; i < numberOfButtons(); ++i) {
        if (!showsButton(i))
            continue;
        auto button = std::make_shared<ActionSheetButton>(i);
        button->setTitle(_buttonTitles[static_cast<size_t>(i)], ControlStateNormal);
        button->titleLabel()->setFont(
            i == _cancelButtonIndex ? Font::boldSystemFontOfSize(20) : Font::systemFontOfSize(20));
        if (i == _destructiveButtonIndex)
            button->setTitleColor(kDestructiveRed, ControlStateNormal);
        addSubview(button);
        _buttons.push_back(button);
    }
    setNeedsLayout();
    setNeedsDisplay();
}

void ActionSheet::layoutSubviews()
{
    if (_titleLabel->superview().get() != this)
        addSubview(_titleLabel);
    Rect b = bounds();
    double top = titleHeight(b.width());
    _titleLabel->setFrame(makeRect(kMargin, kMargin, b.width() - 2 * kMargin, std::max(0.0, top - 2 * kMargin)));
    double y = top;
    std::shared_ptr<Button> cancel;
    for (const auto& button : _buttons) {
        if (std::static_pointer_cast<ActionSheetButton>(button)->index() == _cancelButtonIndex) {
            cancel = button;
            continue;
        }
        button->setFrame(makeRect(0, y, b.width(), kButtonHeight));
        y += kButtonHeight;
    }
    if (cancel)
        cancel->setFrame(makeRect(0, y + kMargin, b.width(), kButtonHeight));
}

void ActionSheet::drawRect(GraphicsContext& context, Rect)
{
    Rect b = bounds();
    bool cancelApart = _cancelButtonIndex >= 0 && showsButton(_cancelButtonIndex);
    double groupHeight = b.height() - (cancelApart ? kButtonHeight + kMargin : 0);
    Color fill = _style == ActionSheetStyle::BlackOpaque || _style == ActionSheetStyle::BlackTranslucent
        ? Color::colorWithWhite(0.15, _style == ActionSheetStyle::BlackOpaque ? 1 : 0.9)
        : Color::colorWithWhite(0.97, 0.98);
    context.setFillColor(fill);
    if (_inPopover) {
        context.fillRect(b);
    } else {
        context.addPath(Path::pathWithRoundedRect(makeRect(0, 0, b.width(), groupHeight), kCornerRadius));
        context.fillPath();
        if (cancelApart) {
            context.addPath(
                Path::pathWithRoundedRect(makeRect(0, groupHeight + kMargin, b.width(), kButtonHeight), kCornerRadius));
            context.fillPath();
        }
    }
    context.setFillColor(kSeparator);
    double top = titleHeight(b.width());
    int64_t lines = 0;
    for (int64_t i = 0; i < numberOfButtons(); ++i)
        if (showsButton(i) && i != _cancelButtonIndex)
            ++lines;
    for (int64_t line = _title.empty() ? 1 : 0; line < lines; ++line)
        context.fillRect(makeRect(0, top + kButtonHeight * static_cast<double>(line), b.width(), 0.5));
}

// Showing

void ActionSheet::showInView(const View&)
{
    slideUp();
}

void ActionSheet::showFromTabBar(const TabBar&)
{
    slideUp();
}

void ActionSheet::showFromToolbar(const Toolbar&)
{
    slideUp();
}

void ActionSheet::showFromBarButtonItem(const BarButtonItem& item, bool animated)
{
    auto view = item.view();
    if (Device::currentDevice().isTablet() && view) {
        showInPopover(view->bounds(), *view, animated);
        return;
    }
    slideUp();
}

void ActionSheet::showFromRect(Rect rect, const View& view, bool animated)
{
    if (Device::currentDevice().isTablet()) {
        showInPopover(rect, view, animated);
        return;
    }
    slideUp();
}

void ActionSheet::slideUp()
{
    if (_visible)
        return;
    auto overlay = detail::ModalOverlay::showInKeyWindow(kDimmingAlpha);
    if (!overlay) {
        log("ActionSheet: no key window to show \"{}\" in", _title);
        return;
    }
    auto self = sharedAs<ActionSheet>();
    if (auto delegate = _delegate.lock())
        delegate->willPresentActionSheet(*this);
    std::weak_ptr<ActionSheet> weakSelf = self;
    overlay->setTouchedOutside([weakSelf] {
        if (auto sheet = weakSelf.lock())
            sheet->touchedOutside();
    });
    _overlay = overlay;
    _visible = true;
    overlay->addSubview(self);
    rebuildButtons();
    Rect area = overlay->bounds();
    double width = std::min(area.width() - 2 * kMargin, Device::currentDevice().isTablet() ? 500.0 : area.width());
    Size size = sizeThatFits({width, 0});
    Rect final = makeRect(std::round(area.midX() - width / 2), area.maxY() - size.height - kMargin, width, size.height);
    setAutoresizingMask(
        ViewAutoresizingFlexibleTopMargin | ViewAutoresizingFlexibleLeftMargin | ViewAutoresizingFlexibleRightMargin);
    View::performWithoutAnimation([&] {
        setFrame({{final.minX(), area.maxY()}, final.size});
        overlay->setAlpha(0);
    });
    View::animateWithDuration(
        kSlideSeconds,
        [&] {
            setFrame(final);
            overlay->setAlpha(1);
        },
        [weakSelf](bool) {
            if (auto sheet = weakSelf.lock())
                sheet->didPresent();
        });
}

void ActionSheet::showInPopover(Rect rect, const View& view, bool animated)
{
    if (_visible)
        return;
    auto self = sharedAs<ActionSheet>();
    if (auto delegate = _delegate.lock())
        delegate->willPresentActionSheet(*this);
    auto content = std::make_shared<ViewController>();
    auto holder = std::make_shared<View>(makeRect(0, 0, kPopoverWidth, 0));
    content->setView(holder);
    auto popover = std::make_shared<PopoverController>(content);
    _popover = popover;
    _inPopover = true;
    _popoverWatcher = std::make_shared<PopoverWatcher>(self);
    popover->setDelegate(_popoverWatcher);
    _visible = true;
    holder->addSubview(self);
    rebuildButtons();
    Size size = sizeThatFits({kPopoverWidth, 0});
    setFrame({{0, 0}, size});
    setAutoresizingMask(ViewAutoresizingFlexibleWidth | ViewAutoresizingFlexibleHeight);
    content->setContentSizeForViewInPopover(size);
    popover->presentPopoverFromRect(rect, view, PopoverArrowDirectionAny, animated);
    if (auto panel = popover->popoverView())
        if (auto overlay = std::dynamic_pointer_cast<detail::ModalOverlay>(panel->superview()))
            overlay->retainObject(popover);
    if (!animated) {
        didPresent();
        return;
    }
    std::weak_ptr<ActionSheet> weakSelf = self;
    RunLoop::main().performAfterDelay(this, PopoverController::kFadeSeconds, [weakSelf] {
        if (auto sheet = weakSelf.lock())
            sheet->didPresent();
    });
}

void ActionSheet::didPresent()
{
    if (!_visible || _dismissing)
        return;
    if (auto delegate = _delegate.lock())
        delegate->didPresentActionSheet(*this);
}

// Going

void ActionSheet::touchedOutside()
{
    buttonTapped(_cancelButtonIndex);
}

void ActionSheet::buttonTapped(int64_t index)
{
    if (!_visible || _dismissing)
        return;
    auto keepAlive = sharedAs<ActionSheet>();
    if (auto delegate = _delegate.lock())
        delegate->actionSheetClickedButtonAtIndex(*this, index);
    dismissWithClickedButtonIndex(index, /*animated=*/true);
}

void ActionSheet::dismissWithClickedButtonIndex(int64_t buttonIndex, bool animated)
{
    if (!_visible || _dismissing)
        return;
    auto self = sharedAs<ActionSheet>();
    _dismissing = true;
    RunLoop::main().cancelPreviousPerformRequests(this);
    if (auto delegate = _delegate.lock())
        delegate->actionSheetWillDismissWithButtonIndex(*this, buttonIndex);
    auto finish = [self, buttonIndex] {
        self->removeFromSuperview();
        if (auto overlay = self->_overlay.lock())
            overlay->removeFromSuperview();
        self->_overlay.reset();
        self->_popover.reset();
        self->_popoverWatcher.reset();
        self->_inPopover = false;
        self->_visible = false;
        self->_dismissing = false;
        if (auto delegate = self->_delegate.lock())
            delegate->actionSheetDidDismissWithButtonIndex(*self, buttonIndex);
    };
    if (auto popover = _popover.lock()) {
        popover->dismissPopoverAnimated(animated, finish);
        return;
    }
    auto overlay = _overlay.lock();
    if (!animated || !overlay) {
        finish();
        return;
    }
    Rect frame = this->frame();
    View::animateWithDuration(
        kSlideSeconds,
        [&] {
            setFrame({{frame.minX(), overlay->bounds().maxY()}, frame.size});
            overlay->setAlpha(0);
        },
        [finish](bool) { finish(); });
}

void ActionSheet::cancelBySystem()
{
    if (!_visible || _dismissing)
        return;
    auto keepAlive = sharedAs<ActionSheet>();
    auto delegate = _delegate.lock();
    if (delegate && delegate->actionSheetCancel(*this))
        return;
    dismissWithClickedButtonIndex(_cancelButtonIndex, /*animated=*/false);
}

}  // namespace plat
