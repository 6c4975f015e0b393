#include "platform/ui/PopoverController.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"
#include "platform/ui/Application.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Layer.h"
#include "platform/ui/ModalOverlay.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

namespace plat {

namespace {

constexpr const char* kPresentingPopoverKey = "plat.PopoverController";
constexpr double kCornerRadius = 8;
constexpr double kArrowHalfWidth = 13;

// The panel: a rounded rectangle with the arrow on one side, holding the content.
class PopoverPanel : public View {
public:
    PopoverPanel()
    {
        setBackgroundColor(Color::clearColor());
        layer()->setShadowOpacity(0.25);
        layer()->setShadowRadius(10);
        layer()->setShadowOffset({0, 2});
        setAccessibilityIdentifier("popover");
    }

    void setArrow(unsigned direction, double offset)
    {
        _direction = direction;
        _offset = offset;
        setNeedsDisplay();
    }

    void drawRect(GraphicsContext& context, Rect) override
    {
        Rect b = bounds();
        double arrow = PopoverController::kArrowHeight;
        Rect body = b;
        switch (_direction) {
        case PopoverArrowDirectionUp:
            body = makeRect(b.minX(), b.minY() + arrow, b.width(), b.height() - arrow);
            break;
        case PopoverArrowDirectionDown:
            body = makeRect(b.minX(), b.minY(), b.width(), b.height() - arrow);
            break;
        case PopoverArrowDirectionLeft:
            body = makeRect(b.minX() + arrow, b.minY(), b.width() - arrow, b.height());
            break;
        case PopoverArrowDirectionRight:
            body = makeRect(b.minX(), b.minY(), b.width() - arrow, b.height());
            break;
        default:
            break;
        }
        context.setFillColor(Color::colorWithWhite(0.98, 1));
        context.addPath(Path::pathWithRoundedRect(body, kCornerRadius));
        context.fillPath();
        context.beginPath();
        switch (_direction) {
        case PopoverArrowDirectionUp:
            context.moveToPoint({_offset - kArrowHalfWidth, body.minY()});
            context.addLineToPoint({_offset, b.minY()});
            context.addLineToPoint({_offset + kArrowHalfWidth, body.minY()});
            break;
        case PopoverArrowDirectionDown:
            context.moveToPoint({_offset - kArrowHalfWidth, body.maxY()});
            context.addLineToPoint({_offset, b.maxY()});
            context.addLineToPoint({_offset + kArrowHalfWidth, body.maxY()});
            break;
        case PopoverArrowDirectionLeft:
            context.moveToPoint({body.minX(), _offset - kArrowHalfWidth});
            context.addLineToPoint({b.minX(), _offset});
            context.addLineToPoint({body.minX(), _offset + kArrowHalfWidth});
            break;
        case PopoverArrowDirectionRight:
            context.moveToPoint({body.maxX(), _offset - kArrowHalfWidth});
            context.addLineToPoint({b.maxX(), _offset});
            context.addLineToPoint({body.maxX(), _offset + kArrowHalfWidth});
            break;
        default:
            return;
        }
        context.closePath();
        context.fillPath();
    }

    // Touches on the panel outside the content stay here.
    void touchesBegan(const TouchSet&, const Event&) override { }
    void touchesEnded(const TouchSet&, const Event&) override { }

private:
    unsigned _direction = PopoverArrowDirectionUnknown;
    double _offset = 0;
};

}  // namespace

PopoverController::PopoverController(std::shared_ptr<ViewController> contentViewController)
    : _content(std::move(contentViewController))
{
}

PopoverController::~PopoverController()
{
    // A popover let go of while shown takes its panel with it, as if dismissed by code.
    if (_panel)
        _panel->removeFromSuperview();
    if (auto overlay = _overlay.lock())
        overlay->removeFromSuperview();
}

std::shared_ptr<PopoverController> PopoverController::presentingPopover(const ViewController& content)
{
    return content.associatedObjects().get<PopoverController>(kPresentingPopoverKey);
}

void PopoverController::setPassthroughViews(std::vector<std::weak_ptr<View>> views)
{
    _passthrough = std::move(views);
    if (auto overlay = _overlay.lock())
        overlay->setPassthroughViews(_passthrough);
}

void PopoverController::setPopoverContentSize(Size size, bool)
{
    _contentSize = size;
    if (_visible)
        place(_anchor, _permitted);
}

void PopoverController::setContentViewController(std::shared_ptr<ViewController> controller, bool)
{
    if (!controller || controller == _content)
        return;
    auto old = std::exchange(_content, std::move(controller));
    _contentSize = {};
    if (!_visible)
        return;
    old->beginAppearanceTransition(false, false);
    _content->beginAppearanceTransition(true, false);
    old->view()->removeFromSuperview();
    old->associatedObjects().remove(kPresentingPopoverKey);
    _content->associatedObjects().set(kPresentingPopoverKey, sharedAs<PopoverController>(), AssociationPolicy::Assign);
    _panel->addSubview(_content->view());
    place(_anchor, _permitted);
    _content->endAppearanceTransition();
    old->endAppearanceTransition();
}

void PopoverController::presentPopoverFromBarButtonItem(
    const BarButtonItem& item, unsigned permittedArrowDirections, bool animated)
{
    auto view = item.view();
    if (!view || !view->window()) {
        log("PopoverController: the bar item is not on screen; nothing to point at");
        return;
    }
    presentPopoverFromRect(view->bounds(), *view, permittedArrowDirections, animated);
}

void PopoverController::presentPopoverFromRect(
    Rect rect, const View& view, unsigned permittedArrowDirections, bool animated)
{
    if (!_content)
        return;
    if (_visible)
        dismissPopoverAnimated(false);
    // A fade still running ends now, or its end would take the new panel away.
    if (_dismissing)
        finishDismissal();
    auto overlay = detail::ModalOverlay::showInKeyWindow(0);
    if (!overlay) {
        log("PopoverController: no key window to show {} in", _content->className());
        return;
    }
    auto self = sharedAs<PopoverController>();
    std::weak_ptr<PopoverController> weakSelf = self;
    overlay->setTouchedOutside([weakSelf] {
        if (auto popover = weakSelf.lock())
            popover->touchedOutside();
    });
    overlay->setPassthroughViews(_passthrough);
    _overlay = overlay;
    _panel = std::make_shared<PopoverPanel>();
    overlay->addSubview(_panel);
    _anchor = view.convertRect(rect, nullptr);
    _permitted = permittedArrowDirections;
    _content->associatedObjects().set(kPresentingPopoverKey, self, AssociationPolicy::Assign);
    _content->beginAppearanceTransition(true, animated);
    _panel->addSubview(_content->view());
    place(_anchor, _permitted);
    _visible = true;
    if (!animated) {
        _content->endAppearanceTransition();
        return;
    }
    View::performWithoutAnimation([&] { overlay->setAlpha(0); });
    View::animateWithDuration(
        kFadeSeconds, [&] { overlay->setAlpha(1); },
        [weakSelf](bool) {
            if (auto popover = weakSelf.lock(); popover && popover->_visible)
                popover->_content->endAppearanceTransition();
        });
}

void PopoverController::place(Rect anchor, unsigned permitted)
{
    auto overlay = _overlay.lock();
    if (!overlay || !_panel)
        return;
    Rect screen = overlay->bounds();
    double statusBar = Application::sharedApplication().statusBarFrame().height();
    Rect area = makeRect(screen.minX() + kScreenMargin, screen.minY() + statusBar + kScreenMargin,
        screen.width() - 2 * kScreenMargin, screen.height() - statusBar - 2 * kScreenMargin);
    Size content
        = _contentSize.width > 0 && _contentSize.height > 0 ? _contentSize : _content->contentSizeForViewInPopover();
    _contentSize = content;
    double arrow = kArrowHeight;
    struct Side {
        unsigned direction;
        double room;
        double needed;
    };
    const Side sides[] = {
        {PopoverArrowDirectionUp, area.maxY() - anchor.maxY() - arrow, content.height},
        {PopoverArrowDirectionDown, anchor.minY() - area.minY() - arrow, content.height},
        {PopoverArrowDirectionLeft, area.maxX() - anchor.maxX() - arrow, content.width},
        {PopoverArrowDirectionRight, anchor.minX() - area.minX() - arrow, content.width},
    };
    const Side* chosen = nullptr;
    for (const Side& side : sides)
        if ((permitted & side.direction) && side.room >= side.needed) {
            chosen = &side;
            break;
        }
    if (!chosen)
        for (const Side& side : sides)
            if ((permitted & side.direction) && (!chosen || side.room > chosen->room))
                chosen = &side;
    auto panel = std::static_pointer_cast<PopoverPanel>(_panel);
    if (!chosen || permitted == 0) {
        _arrowDirection = PopoverArrowDirectionUnknown;
        _panel->setFrame({});
        return;
    }
    _arrowDirection = chosen->direction;
    bool vertical = chosen->direction == PopoverArrowDirectionUp || chosen->direction == PopoverArrowDirectionDown;
    Size size {std::min(content.width, area.width()), std::min(content.height, area.height())};
    if (vertical)
        size.height = std::min(size.height, std::max(0.0, chosen->room));
    else
        size.width = std::min(size.width, std::max(0.0, chosen->room));
    Rect frame;
    Rect contentFrame;
    double offset;
    if (vertical) {
        double x = std::clamp(anchor.midX() - size.width / 2, area.minX(), area.maxX() - size.width);
        double y = chosen->direction == PopoverArrowDirectionUp ? anchor.maxY() : anchor.minY() - size.height - arrow;
        frame = makeRect(x, y, size.width, size.height + arrow);
        contentFrame = makeRect(0, chosen->direction == PopoverArrowDirectionUp ? arrow : 0, size.width, size.height);
        offset = std::clamp(
            anchor.midX() - x, kCornerRadius + kArrowHalfWidth, size.width - kCornerRadius - kArrowHalfWidth);
    } else {
        double y = std::clamp(anchor.midY() - size.height / 2, area.minY(), area.maxY() - size.height);
        double x = chosen->direction == PopoverArrowDirectionLeft ? anchor.maxX() : anchor.minX() - size.width - arrow;
        frame = makeRect(x, y, size.width + arrow, size.height);
        contentFrame = makeRect(chosen->direction == PopoverArrowDirectionLeft ? arrow : 0, 0, size.width, size.height);
        offset = std::clamp(
            anchor.midY() - y, kCornerRadius + kArrowHalfWidth, size.height - kCornerRadius - kArrowHalfWidth);
    }
    _panel->setFrame(frame);
    panel->setArrow(chosen->direction, offset);
    auto contentView = _content->view();
    contentView->setFrame(contentFrame);
    contentView->layer()->setCornerRadius(kCornerRadius);
    contentView->setClipsToBounds(true);
}

void PopoverController::touchedOutside()
{
    if (!_visible || _dismissing)
        return;
    auto keepAlive = sharedAs<PopoverController>();
    if (auto delegate = _delegate.lock(); delegate && !delegate->popoverControllerShouldDismissPopover(*this))
        return;
    startDismissal(/*animated=*/true, /*userInitiated=*/true, nullptr);
}

void PopoverController::dismissPopoverAnimated(bool animated)
{
    dismissPopoverAnimated(animated, nullptr);
}

void PopoverController::dismissPopoverAnimated(bool animated, std::function<void()> completion)
{
    if (!_visible) {
        if (completion)
            completion();
        return;
    }
    startDismissal(animated, /*userInitiated=*/false, std::move(completion));
}

void PopoverController::startDismissal(bool animated, bool userInitiated, std::function<void()> completion)
{
    auto keepAlive = sharedAs<PopoverController>();
    _visible = false;
    _dismissing = true;
    _dismissalByUser = userInitiated;
    _dismissalCompletion = std::move(completion);
    const uint64_t dismissal = ++_dismissals;
    _content->beginAppearanceTransition(false, animated);
    auto overlay = _overlay.lock();
    if (!animated || !overlay) {
        finishDismissal();
        return;
    }
    std::weak_ptr<PopoverController> weakSelf = keepAlive;
    View::animateWithDuration(
        kFadeSeconds, [&] { overlay->setAlpha(0); },
        [weakSelf, dismissal](bool) {
            if (auto popover = weakSelf.lock(); popover && popover->_dismissals == dismissal)
                popover->finishDismissal();
        });
}

void PopoverController::finishDismissal()
{
    if (!_dismissing)
        return;
    auto keepAlive = sharedAs<PopoverController>();
    _dismissing = false;
    const bool userInitiated = _dismissalByUser;
    auto completion = std::exchange(_dismissalCompletion, nullptr);
    if (_content->isViewLoaded())
        _content->view()->removeFromSuperview();
    if (auto overlay = _overlay.lock())
        overlay->removeFromSuperview();
    _overlay.reset();
    _panel.reset();
    _content->endAppearanceTransition();
    _content->associatedObjects().remove(kPresentingPopoverKey);
    if (userInitiated)
        if (auto delegate = _delegate.lock())
            delegate->popoverControllerDidDismissPopover(*this);
    if (completion)
        completion();
}

}  // namespace plat
