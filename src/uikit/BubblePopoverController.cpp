#include "uikit/BubblePopoverController.h"

#include <cmath>

#include "platform/foundation/Log.h"
#include "platform/ui/Application.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "uikit/RectOperations.h"

namespace zt {

namespace {

constexpr const char* kFadeInAnimation = "FadeIn";
constexpr const char* kFadeOutAnimation = "FadeOut";
constexpr unsigned kFillingAutoresizing = plat::ViewAutoresizingFlexibleLeftMargin | plat::ViewAutoresizingFlexibleWidth
    | plat::ViewAutoresizingFlexibleRightMargin | plat::ViewAutoresizingFlexibleTopMargin
    | plat::ViewAutoresizingFlexibleHeight | plat::ViewAutoresizingFlexibleBottomMargin;
constexpr unsigned kBubbleAutoresizing
    = plat::ViewAutoresizingFlexibleLeftMargin | plat::ViewAutoresizingFlexibleRightMargin;

}  // namespace

// Hears the end of one fade and hands it on while that fade is still the
// controller's running one.
class BubblePopoverController::Fade : public plat::ViewAnimationDelegate {
public:
    explicit Fade(std::weak_ptr<BubblePopoverController> controller)
        : _controller(std::move(controller))
    {
    }

    void animationDidStop(const std::string& animationID, bool finished, const plat::Value& context) override
    {
        auto controller = _controller.lock();
        if (!controller || controller->_runningFade.get() != this)
            return;
        controller->_runningFade.reset();  // this object lives on in the caller's reference
        controller->animationDidStop(animationID, finished, context);
    }

private:
    std::weak_ptr<BubblePopoverController> _controller;
};

BubblePopoverController::BubblePopoverController() = default;

BubblePopoverController::BubblePopoverController(std::shared_ptr<plat::ViewController> contentViewController)
{
    setContentViewController(std::move(contentViewController));
}

BubblePopoverController::~BubblePopoverController()
{
    dismissPopoverAnimated(/*animated=*/false, /*userInitiated=*/false);
}

void BubblePopoverController::setContentViewController(std::shared_ptr<plat::ViewController> controller)
{
    if (controller != _contentViewController)
        _popoverContentSize = {};
    _contentViewController = std::move(controller);
}

void BubblePopoverController::setPopoverContentSize(plat::Size size)
{
    if (!detail::isFiniteSize(size) || size.width < 0 || size.height < 0) {
        plat::log("BubblePopoverController: content size {} ignored", plat::stringFromSize(size));
        return;
    }
    _popoverContentSize = size;
}

void BubblePopoverController::setPassthroughViews(std::vector<std::shared_ptr<plat::View>> views)
{
    _passthroughViews = std::move(views);
    updateBackgroundPassthroughViews();
}

void BubblePopoverController::updateBackgroundPassthroughViews()
{
    if (_backgroundView)
        _backgroundView->setPassthroughViews(_passthroughViews);
}

void BubblePopoverController::setView(std::shared_ptr<BubblePopoverContainerView> view)
{
    _view = std::move(view);
}

std::shared_ptr<plat::View> BubblePopoverController::keyView()
{
    auto window = plat::Application::sharedApplication().keyWindow();
    if (!window)
        return nullptr;
    if (!window->subviews().empty())
        return window->subviews().front();
    return window;
}

plat::Rect BubblePopoverController::displayAreaForView(const plat::View& view)
{
    if (const auto* parent = dynamic_cast<const BubblePopoverParentView*>(&view)) {
        if (auto area = parent->displayAreaForPopover())
            return *area;
    }
    auto window = plat::Application::sharedApplication().keyWindow();
    return view.convertRectFromView(plat::Screen::mainScreen().applicationFrame(), window.get());
}

std::shared_ptr<BubblePopoverContainerViewProperties> BubblePopoverController::defaultContainerViewProperties()
{
    return BubblePopoverContainerViewProperties::defaultProperties();
}

std::shared_ptr<BubblePopoverContainerViewProperties> BubblePopoverController::propertiesForPresentation() const
{
    return _containerViewProperties ? _containerViewProperties : defaultContainerViewProperties();
}

void BubblePopoverController::presentPopoverFromRect(
    plat::Rect rect, const plat::View& view, BubblePopoverArrowDirection permittedArrowDirections, bool animated)
{
    if (!detail::isFiniteRect(rect)) {
        plat::log("BubblePopoverController: cannot point at {}", plat::stringFromRect(rect));
        return;
    }
    auto host = keyView();
    if (!host || !_contentViewController) {
        plat::log("BubblePopoverController: nothing to present (window {}, content {})", host != nullptr,
            _contentViewController != nullptr);
        return;
    }
    auto self = sharedAs<BubblePopoverController>();
    _anchorRect = rect;
    _rootView = view.sharedAs<plat::View>();
    dismissPopoverAnimated(/*animated=*/false);

    auto contentView = _contentViewController->view();
    if (_popoverContentSize == plat::Size {})
        _popoverContentSize = _contentViewController->contentSizeForViewInPopover();
    const plat::Rect displayArea = displayAreaForView(view);
    auto container = std::make_shared<BubblePopoverContainerView>(
        _popoverContentSize, rect, displayArea, permittedArrowDirections, propertiesForPresentation());
    _popoverArrowDirection = container->arrowDirection();
    _savedContainerView = container;

    _backgroundView = std::make_shared<BubbleTouchableView>(host->bounds());
    _backgroundView->setContentMode(plat::ContentMode::ScaleToFill);
    _backgroundView->setAutoresizingMask(kFillingAutoresizing);
    _backgroundView->setBackgroundColor(plat::Color::clearColor());
    _backgroundView->setDelegate(std::weak_ptr<BubbleTouchableViewDelegate>(self));
    host->addSubview(_backgroundView);

    container->setFrame(_backgroundView->convertRectFromView(container->frame(), &view));
    _backgroundView->addSubview(container);
    container->setContentView(contentView);
    container->setAutoresizingMask(kBubbleAutoresizing);
    setView(container);
    updateBackgroundPassthroughViews();

    _contentViewController->beginAppearanceTransition(/*isAppearing=*/true, animated);
    container->becomeFirstResponder();
    if (!animated) {
        _popoverVisible = true;
        _contentViewController->endAppearanceTransition();
        return;
    }
    container->setAlpha(0);
    beginFade(kFadeInAnimation, plat::Value(), 1);
}

void BubblePopoverController::beginFade(const char* animationID, plat::Value context, double toAlpha)
{
    _runningFade = std::make_shared<Fade>(sharedAs<BubblePopoverController>());
    plat::View::beginAnimations(animationID, std::move(context));
    plat::View::setAnimationDuration(kFadeSeconds);
    plat::View::setAnimationDelegate(std::weak_ptr<plat::ViewAnimationDelegate>(_runningFade));
    _view->setAlpha(toAlpha);
    plat::View::commitAnimations();
}

void BubblePopoverController::presentPopoverFromBarButtonItem(
    const plat::BarButtonItem& item, BubblePopoverArrowDirection permittedArrowDirections, bool animated)
{
    auto host = keyView();
    if (!host || !superview(item)) {
        plat::log("BubblePopoverController: the bar item is not on screen; nothing to point at");
        return;
    }
    presentPopoverFromRect(frameInView(item, *host), *host, permittedArrowDirections, animated);
}

void BubblePopoverController::dismissPopoverAnimated(bool animated)
{
    dismissPopoverAnimated(animated, /*userInitiated=*/false);
}

void BubblePopoverController::dismissPopoverAnimated(bool animated, bool userInitiated)
{
    if (!_view)
        return;
    if (_contentViewController)
        _contentViewController->beginAppearanceTransition(/*isAppearing=*/false, animated);
    _popoverVisible = false;
    _view->resignFirstResponder();
    if (!animated) {
        _runningFade.reset();
        if (_contentViewController)
            _contentViewController->endAppearanceTransition();
        removeFromScreen();
        return;
    }
    _view->setUserInteractionEnabled(false);
    // Replaces a fade-in still running: only this fade's end takes the bubble away.
    beginFade(kFadeOutAnimation, plat::Value(userInitiated), 0);
}

void BubblePopoverController::removeFromScreen()
{
    if (_view)
        _view->removeFromSuperview();
    setView(nullptr);
    _savedContainerView.reset();
    if (_backgroundView) {
        _backgroundView->removeFromSuperview();
        _backgroundView.reset();
    }
}

void BubblePopoverController::animationDidStop(const std::string& animationID, bool, const plat::Value& context)
{
    if (!_view)
        return;
    auto self = sharedAs<BubblePopoverController>();
    if (animationID == kFadeInAnimation) {
        _view->setUserInteractionEnabled(true);
        _popoverVisible = true;
        if (_contentViewController)
            _contentViewController->endAppearanceTransition();
        return;
    }
    _popoverVisible = false;
    if (_contentViewController)
        _contentViewController->endAppearanceTransition();
    removeFromScreen();
    if (context.boolValue().value_or(false)) {
        if (auto delegate = _delegate.lock())
            delegate->popoverControllerDidDismissPopover(*this);
    }
}

void BubblePopoverController::viewWasTouched(BubbleTouchableView&)
{
    if (!_popoverVisible)
        return;
    auto self = sharedAs<BubblePopoverController>();
    auto delegate = _delegate.lock();
    if (!delegate || delegate->popoverControllerShouldDismissPopover(*this))
        dismissPopoverAnimated(/*animated=*/true, /*userInitiated=*/true);
}

void BubblePopoverController::updateContentViewController(std::shared_ptr<plat::ViewController> controller)
{
    auto oldContainer = _savedContainerView.lock();
    if (!_view || !_backgroundView || !oldContainer) {
        setContentViewController(std::move(controller));
        return;
    }
    if (!controller)
        return;
    if (_contentViewController)
        _contentViewController->removeFromParentViewController();
    const plat::Rect oldFrame = oldContainer->frame();
    oldContainer->removeFromSuperview();

    _contentViewController = std::move(controller);
    auto contentView = _contentViewController->view();
    _popoverContentSize = _contentViewController->contentSizeForViewInPopover();
    auto root = _rootView.lock();
    const plat::View& anchorView = root ? *root : *_backgroundView;
    const plat::Rect displayArea = displayAreaForView(anchorView);
    auto container = std::make_shared<BubblePopoverContainerView>(
        _popoverContentSize, _anchorRect, displayArea, _popoverArrowDirection, propertiesForPresentation());
    container->setFrame(_backgroundView->convertRectFromView(container->frame(), &anchorView));
    _backgroundView->addSubview(container);
    container->setContentView(contentView);
    container->setAutoresizingMask(kBubbleAutoresizing);
    setView(container);
    _savedContainerView = container;
    _runningFade.reset();
    updateBackgroundPassthroughViews();

    _contentViewController->beginAppearanceTransition(/*isAppearing=*/true, /*animated=*/false);
    _popoverVisible = true;
    _contentViewController->endAppearanceTransition();

    const plat::Rect newFrame = container->frame();
    container->setFrame(oldFrame);
    plat::View::animateWithDuration(kReplaceSeconds, [container, newFrame] { container->setFrame(newFrame); });
}

void BubblePopoverController::repositionPopoverFromRect(
    plat::Rect rect, const plat::View& view, BubblePopoverArrowDirection permittedArrowDirections)
{
    if (!_view || !_backgroundView || !detail::isFiniteRect(rect))
        return;
    _view->updatePositionWithAnchorRect(rect, displayAreaForView(view), permittedArrowDirections);
    _popoverArrowDirection = _view->arrowDirection();
    _view->setFrame(_backgroundView->convertRectFromView(_view->frame(), &view));
}

plat::Rect frameInView(const plat::BarButtonItem& item, const plat::View& view)
{
    auto shown = item.view();
    auto bar = shown ? shown->superview() : nullptr;
    if (!bar)
        return {};
    return bar->convertRect(shown->frame(), &view);
}

std::shared_ptr<plat::View> superview(const plat::BarButtonItem& item)
{
    auto shown = item.view();
    return shown ? shown->superview() : nullptr;
}

}  // namespace zt
