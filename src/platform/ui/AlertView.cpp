#include "platform/ui/AlertView.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/ModalOverlay.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/Window.h"

namespace plat {

namespace {

constexpr double kPadding = 16;
constexpr double kTitleToMessage = 4;
// Kept free between the alert and the screen's edges.
constexpr double kScreenMargin = 10;
// A scrolling message still shows this much.
constexpr double kMinimumMessageHeight = 32;
constexpr double kCornerRadius = 13;
constexpr double kDimmingAlpha = 0.4;
constexpr double kAppearingScale = 1.2;
const Color kSeparator = Color::colorWithWhite(0.78, 1);
// Opaque: nothing behind is blurred, so any of it that showed would read as
// part of the alert.
const Color kPanelColor = Color::colorWithWhite(0.97, 1);

}  // namespace

// A button of the alert, which reports its index.
class AlertButton : public Button {
public:
    explicit AlertButton(int64_t index)
        : Button(ButtonType::System)
        , _index(index)
    {
        addTarget(this, &AlertButton::tapped, ControlEventTouchUpInside);
    }

private:
    void tapped()
    {
        if (auto alert = std::dynamic_pointer_cast<AlertView>(superview()))
            alert->buttonTapped(_index);
    }
    int64_t _index;
};

AlertView::AlertView(std::string title, std::string message, std::weak_ptr<AlertViewDelegate> delegate,
    std::optional<std::string> cancelButtonTitle, std::vector<std::string> otherButtonTitles)
    : View(makeRect(0, 0, kWidth, 0))
    , _title(std::move(title))
    , _message(std::move(message))
    , _delegate(std::move(delegate))
    , _titleLabel(std::make_shared<Label>())
    , _messageLabel(std::make_shared<Label>())
    , _messageScroller(std::make_shared<ScrollView>())
{
    setBackgroundColor(Color::clearColor());
    if (cancelButtonTitle) {
        _buttonTitles.push_back(*cancelButtonTitle);
        _cancelButtonIndex = 0;
    }
    for (auto& other : otherButtonTitles)
        _buttonTitles.push_back(std::move(other));
    _titleLabel->setFont(Font::boldSystemFontOfSize(17));
    _messageLabel->setFont(Font::systemFontOfSize(13));
    for (const auto& label : {_titleLabel, _messageLabel}) {
        label->setTextAlignment(TextAlignment::Center);
        label->setNumberOfLines(0);
        label->setLineBreakMode(LineBreakMode::WordWrapping);
    }
    _titleLabel->setText(_title);
    _messageLabel->setText(_message);
    _messageScroller->setClipsToBounds(true);
    _messageScroller->setShowsHorizontalScrollIndicator(false);
    _messageScroller->addSubview(_messageLabel);
}

AlertView::~AlertView() = default;

void AlertView::setTitle(std::string title)
{
    _title = std::move(title);
    _titleLabel->setText(_title);
    fitToText();
}

void AlertView::setMessage(std::string message)
{
    _message = std::move(message);
    _messageLabel->setText(_message);
    fitToText();
}

int64_t AlertView::addButtonWithTitle(std::string title)
{
    _buttonTitles.push_back(std::move(title));
    if (_visible)
        rebuildButtons();
    return numberOfButtons() - 1;
}

std::string AlertView::buttonTitleAtIndex(int64_t index) const
{
    if (index < 0 || index >= numberOfButtons())
        return {};
    return _buttonTitles[static_cast<size_t>(index)];
}

void AlertView::setCancelButtonIndex(int64_t index)
{
    _cancelButtonIndex = index >= 0 && index < numberOfButtons() ? index : -1;
    if (_visible)
        rebuildButtons();
}

int64_t AlertView::firstOtherButtonIndex() const
{
    for (int64_t i = 0; i < numberOfButtons(); ++i)
        if (i != _cancelButtonIndex)
            return i;
    return -1;
}

bool AlertView::buttonsSideBySide() const
{
    return _buttonTitles.size() == 2;
}

double AlertView::buttonsHeight() const
{
    if (_buttonTitles.empty())
        return 0;
    return buttonsSideBySide() ? kButtonHeight : kButtonHeight * static_cast<double>(_buttonTitles.size());
}

double AlertView::titleHeight() const
{
    return _title.empty() ? 0 : _titleLabel->sizeThatFits({kWidth - 2 * kPadding, 0}).height;
}

double AlertView::naturalMessageHeight() const
{
    return _message.empty() ? 0 : _messageLabel->sizeThatFits({kWidth - 2 * kPadding, 0}).height;
}

double AlertView::shownMessageHeight() const
{
    const double natural = naturalMessageHeight();
    if (natural == 0)
        return 0;
    auto area = superview();
    const double screenHeight = area ? area->bounds().height() : Screen::mainScreen().bounds().height();
    const double room
        = screenHeight - 2 * kScreenMargin - buttonsHeight() - 2 * kPadding - titleHeight() - kTitleToMessage;
    return std::floor(std::clamp(room, std::min(natural, kMinimumMessageHeight), natural));
}

double AlertView::textHeight() const
{
    double height = kPadding + titleHeight();
    if (!_message.empty())
        height += kTitleToMessage + shownMessageHeight();
    return height + kPadding;
}

Size AlertView::sizeThatFits(Size) const
{
    return {kWidth, std::ceil(textHeight() + buttonsHeight())};
}

void AlertView::fitToText()
{
    if (!_visible) {
        setNeedsLayout();
        return;
    }
    Point center = this->center();
    setBounds({{0, 0}, sizeThatFits({})});
    setCenter(center);
    setNeedsLayout();
    setNeedsDisplay();
}

void AlertView::rebuildButtons()
{
    for (const auto& button : _buttons)
        button->removeFromSuperview();
    _buttons.clear();
    for (size_t i = 0; i < _buttonTitles.size(); ++i) {
        auto button = std::make_shared<AlertButton>(static_cast<int64_t>(i));
        button->setTitle(_buttonTitles[i], ControlStateNormal);
        if (static_cast<int64_t>(i) == _cancelButtonIndex)
            button->titleLabel()->setFont(Font::boldSystemFontOfSize(17));
        else
            button->titleLabel()->setFont(Font::systemFontOfSize(17));
        addSubview(button);
        _buttons.push_back(button);
    }
    fitToText();
}

void AlertView::layoutSubviews()
{
    if (_titleLabel->superview().get() != this)
        addSubview(_titleLabel);
    if (_messageScroller->superview().get() != this)
        addSubview(_messageScroller);
    Rect b = bounds();
    double width = b.width() - 2 * kPadding;
    double y = kPadding;
    double title = titleHeight();
    _titleLabel->setFrame(makeRect(kPadding, y, width, title));
    y += title;
    if (!_message.empty())
        y += kTitleToMessage;
    const double message = naturalMessageHeight();
    _messageScroller->setFrame(makeRect(kPadding, y, width, shownMessageHeight()));
    _messageScroller->setContentSize({width, message});
    _messageLabel->setFrame(makeRect(0, 0, width, message));
    // The buttons are made when the alert is presented: one laid out while
    // it waits for its turn (its text changed) has none to place yet.
    if (_buttons.size() != _buttonTitles.size())
        return;
    double top = textHeight();
    if (buttonsSideBySide()) {
        // Cancel on the left.
        size_t left = _cancelButtonIndex == 1 ? 1 : 0;
        _buttons[left]->setFrame(makeRect(0, top, b.width() / 2, kButtonHeight));
        _buttons[1 - left]->setFrame(makeRect(b.width() / 2, top, b.width() / 2, kButtonHeight));
        return;
    }
    // Stacked, the cancel button last.
    double y2 = top;
    for (size_t i = 0; i < _buttons.size(); ++i) {
        if (static_cast<int64_t>(i) == _cancelButtonIndex)
            continue;
        _buttons[i]->setFrame(makeRect(0, y2, b.width(), kButtonHeight));
        y2 += kButtonHeight;
    }
    if (_cancelButtonIndex >= 0 && _cancelButtonIndex < static_cast<int64_t>(_buttons.size()))
        _buttons[static_cast<size_t>(_cancelButtonIndex)]->setFrame(makeRect(0, y2, b.width(), kButtonHeight));
}

void AlertView::drawRect(GraphicsContext& context, Rect)
{
    Rect b = bounds();
    context.setFillColor(kPanelColor);
    context.addPath(Path::pathWithRoundedRect(b, kCornerRadius));
    context.fillPath();
    context.setFillColor(kSeparator);
    double top = textHeight();
    if (_buttonTitles.empty())
        return;
    context.fillRect(makeRect(0, top, b.width(), 0.5));
    if (buttonsSideBySide()) {
        context.fillRect(makeRect(b.width() / 2, top, 0.5, kButtonHeight));
        return;
    }
    for (size_t i = 1; i < _buttonTitles.size(); ++i)
        context.fillRect(makeRect(0, top + kButtonHeight * static_cast<double>(i), b.width(), 0.5));
}

void AlertView::show()
{
    if (_visible || isWaiting())
        return;
    auto window = Application::sharedApplication().keyWindow();
    if (!window) {
        log("AlertView: no key window to show \"{}\" in", _title);
        return;
    }
    _window = window;
    window->alertQueue().enqueue(sharedAs<AlertView>());
    presentNextAlert(*window);
}

bool AlertView::isWaiting() const
{
    auto window = _window.lock();
    return window && !_visible && window->alertQueue().isWaiting(*this);
}

void AlertView::presentNextAlert(Window& window)
{
    if (auto next = window.alertQueue().takeNextWhenNoneShown())
        next->present(window);
}

void AlertView::present(Window& window)
{
    auto self = sharedAs<AlertView>();
    auto overlay = detail::ModalOverlay::showInWindow(window, kDimmingAlpha);
    if (auto delegate = _delegate.lock())
        delegate->willPresentAlertView(*this);
    _overlay = overlay;
    _visible = true;
    _dismissing = false;
    overlay->addSubview(self);
    rebuildButtons();
    Rect area = overlay->bounds();
    setCenter({std::round(area.midX()), std::round(area.midY())});
    setAutoresizingMask(ViewAutoresizingFlexibleLeftMargin | ViewAutoresizingFlexibleRightMargin
        | ViewAutoresizingFlexibleTopMargin | ViewAutoresizingFlexibleBottomMargin);
    View::performWithoutAnimation([&] {
        overlay->setAlpha(0);
        setTransform(AffineTransform::makeScale(kAppearingScale, kAppearingScale));
    });
    std::weak_ptr<AlertView> weakSelf = self;
    View::animateWithDuration(
        kPresentSeconds,
        [&] {
            overlay->setAlpha(1);
            setTransform(AffineTransform::identity());
        },
        [weakSelf](bool) {
            auto alert = weakSelf.lock();
            if (!alert || !alert->_visible)
                return;
            if (auto delegate = alert->_delegate.lock())
                delegate->didPresentAlertView(*alert);
        });
}

void AlertView::buttonTapped(int64_t index)
{
    if (!_visible || _dismissing)
        return;
    auto keepAlive = sharedAs<AlertView>();
    if (auto delegate = _delegate.lock())
        delegate->alertViewClickedButtonAtIndex(*this, index);
    dismissWithClickedButtonIndex(index, /*animated=*/true);
}

void AlertView::dismissWithClickedButtonIndex(int64_t buttonIndex, bool animated)
{
    if (isWaiting()) {
        // Never shown: it leaves the line, and whoever waits for it to go hears that it went.
        auto self = sharedAs<AlertView>();
        _window.lock()->alertQueue().withdraw(*this);
        if (auto delegate = _delegate.lock())
            delegate->alertViewWillDismissWithButtonIndex(*this, buttonIndex);
        if (auto delegate = _delegate.lock())
            delegate->alertViewDidDismissWithButtonIndex(*this, buttonIndex);
        return;
    }
    if (!_visible || _dismissing)
        return;
    auto self = sharedAs<AlertView>();
    _dismissing = true;
    if (auto delegate = _delegate.lock())
        delegate->alertViewWillDismissWithButtonIndex(*this, buttonIndex);
    auto finish = [self, buttonIndex](bool) {
        auto overlay = self->_overlay.lock();
        self->_overlay.reset();
        self->removeFromSuperview();
        if (overlay)
            overlay->removeFromSuperview();
        self->_visible = false;
        self->_dismissing = false;
        if (auto delegate = self->_delegate.lock())
            delegate->alertViewDidDismissWithButtonIndex(*self, buttonIndex);
        if (auto window = self->_window.lock())
            presentNextAlert(*window);
    };
    if (!animated) {
        finish(true);
        return;
    }
    auto overlay = _overlay.lock();
    if (!overlay) {
        finish(true);
        return;
    }
    View::animateWithDuration(
        kDismissSeconds, [&] { overlay->setAlpha(0); }, finish);
}

void AlertView::cancelBySystem()
{
    if (!_visible || _dismissing)
        return;
    auto keepAlive = sharedAs<AlertView>();
    auto delegate = _delegate.lock();
    if (delegate && delegate->alertViewCancel(*this))
        return;
    dismissWithClickedButtonIndex(_cancelButtonIndex, /*animated=*/false);
}

}  // namespace plat
