#include "platform/ui/NavigationController.h"

#include <algorithm>
#include <cstdint>

#include "platform/foundation/Fatal.h"
#include "platform/ui/Application.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TabBarController.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/Window.h"

namespace plat {

namespace {

// How far the leaving view slides while the coming one covers it.
constexpr double kLeavingShare = 0.3;

// Numbers transitions, so that a slide that ends late finishes only its own (main thread).
uint64_t gTransitionsStarted = 0;

// The navigation controller's view: it has its controller place the bars
// and the top view whenever it is laid out.
class NavigationContainerView : public View {
public:
    NavigationContainerView(Rect frame, std::weak_ptr<NavigationController> controller)
        : View(frame)
        , _controller(std::move(controller))
    {
    }
    void layoutSubviews() override
    {
        if (auto controller = _controller.lock())
            controller->layoutContainer();
    }

private:
    std::weak_ptr<NavigationController> _controller;
};

}  // namespace

struct NavigationController::Transition {
    std::shared_ptr<ViewController> from;
    std::shared_ptr<ViewController> to;
    std::vector<std::shared_ptr<ViewController>> leaving;  // hear they left the parent at the end
    std::vector<std::shared_ptr<ViewController>> joining;  // hear they joined it at the end
    bool animated = false;
    uint64_t number = 0;
};

NavigationController::NavigationController() = default;

NavigationController::NavigationController(std::shared_ptr<ViewController> rootViewController)
{
    if (rootViewController)
        _stack.push_back(std::move(rootViewController));
}

NavigationController::~NavigationController() = default;

std::shared_ptr<NavigationController> NavigationController::asNavigationController()
{
    return std::static_pointer_cast<NavigationController>(shared_from_this());
}

void NavigationController::loadView()
{
    auto self = std::static_pointer_cast<NavigationController>(shared_from_this());
    auto container = std::make_shared<NavigationContainerView>(Screen::mainScreen().applicationFrame(), self);
    container->setBackgroundColor(Color::whiteColor());
    container->setClipsToBounds(true);
    setView(container);
    _navigationBar = std::make_shared<NavigationBar>();
    _navigationBar->setDelegate(std::static_pointer_cast<NavigationBarDelegate>(self));
    _toolbar = std::make_shared<Toolbar>();
    _toolbar->setHidden(_toolbarHidden);
    // The root joins now: the containment of a root given at creation waits for the view.
    for (const auto& controller : _stack) {
        if (controller->parentViewController().get() != this) {
            addChildViewController(controller);
            controller->didMoveToParentViewController(this);
        }
    }
    container->addSubview(_navigationBar);
    container->addSubview(_toolbar);
    // Loading the top's view may push another controller (a screen that
    // opens on a deeper page): that push places its own view, and the one
    // that loaded stays out of sight beneath it in the stack.
    if (auto top = topViewController()) {
        auto topView = top->view();
        if (topViewController() == top)
            container->insertSubviewBelowSubview(topView, *_navigationBar);
    }
    updateBars();
}

std::shared_ptr<NavigationBar> NavigationController::navigationBar()
{
    view();
    return _navigationBar;
}

std::shared_ptr<Toolbar> NavigationController::toolbar()
{
    view();
    return _toolbar;
}

std::shared_ptr<ViewController> NavigationController::visibleViewController() const
{
    auto top = topViewController();
    if (!top)
        return nullptr;
    if (auto presented = top->presentedViewController())
        return presented;
    return top;
}

void NavigationController::setNavigationBarHidden(bool hidden, bool animated)
{
    _navigationBarHidden = hidden;
    if (!isViewLoaded())
        return;
    if (animated)
        View::animateWithDuration(kTransitionSeconds, [&] { layoutContainer(); });
    else
        layoutContainer();
}

void NavigationController::setToolbarHidden(bool hidden, bool animated)
{
    _toolbarHidden = hidden;
    if (!isViewLoaded())
        return;
    if (animated)
        View::animateWithDuration(kTransitionSeconds, [&] { layoutContainer(); });
    else
        layoutContainer();
}

Rect NavigationController::layoutBars()
{
    auto container = view();
    Rect b = container->bounds();
    // A bar at the top of the screen starts below the status bar.
    double top = topLayoutGuide().length;
    auto topController = topViewController();
    bool toolbarShown = !_toolbarHidden && !(topController && topController->hidesBottomBarWhenPushed());
    _navigationBar->setHidden(_navigationBarHidden);
    _navigationBar->setFrame(makeRect(b.minX(), b.minY() + top, b.width(), NavigationBar::kHeight));
    _toolbar->setHidden(!toolbarShown);
    _toolbar->setFrame(makeRect(b.minX(), b.maxY() - Toolbar::kHeight, b.width(), Toolbar::kHeight));
    container->bringSubviewToFront(*_navigationBar);
    container->bringSubviewToFront(*_toolbar);
    double contentTop = b.minY() + top + (_navigationBarHidden ? 0 : NavigationBar::kHeight);
    double contentBottom = toolbarShown ? b.maxY() - Toolbar::kHeight : b.maxY();
    return makeRect(b.minX(), contentTop, b.width(), std::max(0.0, contentBottom - contentTop));
}

void NavigationController::layoutContainer()
{
    if (!isViewLoaded())
        return;
    Rect content = layoutBars();
    auto topController = topViewController();
    // While views slide, the slide places them.
    if (topController && topController->isViewLoaded() && !_transition && topController->view()->superview() == view())
        topController->view()->setFrame(content);
}

void NavigationController::updateBars()
{
    if (!isViewLoaded())
        return;
    std::vector<std::shared_ptr<NavigationItem>> items;
    for (const auto& controller : _stack)
        items.push_back(controller->navigationItem());
    _navigationBar->setItems(std::move(items));
    auto top = topViewController();
    _toolbar->setItems(top ? top->toolbarItems() : std::vector<std::shared_ptr<BarButtonItem>> {});
    // The toolbar follows the top controller's items while it is on top.
    _toolbarItemsObservation.reset();
    if (top) {
        std::weak_ptr<Object> weakSelf = weak_from_this();
        std::weak_ptr<ViewController> weakTop = top;
        _toolbarItemsObservation = top->addObserverForKey("toolbarItems", [weakSelf, weakTop](const PropertyChange&) {
            auto self = std::static_pointer_cast<NavigationController>(weakSelf.lock());
            auto shownTop = weakTop.lock();
            if (self && shownTop && self->topViewController() == shownTop)
                self->_toolbar->setItems(shownTop->toolbarItems());
        });
    }
    view()->setNeedsLayout();
}

// Changes of the stack

void NavigationController::pushViewController(std::shared_ptr<ViewController> controller, bool animated)
{
    if (!controller)
        return;
    if (std::find(_stack.begin(), _stack.end(), controller) != _stack.end())
        detail::fatal("NavigationController: pushing {} that is already on the stack", controller->className());
    finishTransitionNow();
    auto from = topViewController();
    _stack.push_back(controller);
    if (!isViewLoaded())
        return;  // the view's loading adds it
    addChildViewController(controller);
    transition(from, controller, {}, {controller}, /*forward=*/true, animated);
}

std::shared_ptr<ViewController> NavigationController::popViewControllerAnimated(bool animated)
{
    if (_stack.size() < 2)
        return nullptr;
    auto popped = popToViewController(_stack[_stack.size() - 2], animated);
    return popped.empty() ? nullptr : popped.front();
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToRootViewControllerAnimated(bool animated)
{
    if (_stack.empty())
        return {};
    return popToViewController(_stack.front(), animated);
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToViewController(
    const std::shared_ptr<ViewController>& controller, bool animated)
{
    auto it = std::find(_stack.begin(), _stack.end(), controller);
    if (it == _stack.end() || it + 1 == _stack.end())
        return {};
    finishTransitionNow();
    auto from = topViewController();
    std::vector<std::shared_ptr<ViewController>> popped(it + 1, _stack.end());
    _stack.erase(it + 1, _stack.end());
    if (!isViewLoaded())
        return popped;
    for (const auto& leaving : popped)
        leaving->willMoveToParentViewController(nullptr);
    transition(from, controller, popped, {}, /*forward=*/false, animated);
    return popped;
}

void NavigationController::setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers, bool animated)
{
    finishTransitionNow();
    auto from = topViewController();
    std::vector<std::shared_ptr<ViewController>> leaving;
    for (const auto& old : _stack)
        if (std::find(controllers.begin(), controllers.end(), old) == controllers.end())
            leaving.push_back(old);
    bool forward = controllers.empty() || std::find(_stack.begin(), _stack.end(), controllers.back()) == _stack.end();
    _stack = std::move(controllers);
    if (!isViewLoaded())
        return;
    for (const auto& old : leaving)
        old->willMoveToParentViewController(nullptr);
    std::vector<std::shared_ptr<ViewController>> joining;
    for (const auto& controller : _stack)
        if (controller->parentViewController().get() != this) {
            addChildViewController(controller);
            joining.push_back(controller);
        }
    auto to = topViewController();
    if (to == from) {
        for (const auto& old : leaving)
            old->removeFromParentViewController();
        for (const auto& joined : joining)
            joined->didMoveToParentViewController(this);
        updateBars();
        return;
    }
    transition(from, to, std::move(leaving), std::move(joining), forward, animated);
}

void NavigationController::transition(std::shared_ptr<ViewController> from, std::shared_ptr<ViewController> to,
    std::vector<std::shared_ptr<ViewController>> leaving, std::vector<std::shared_ptr<ViewController>> joining,
    bool forward, bool animated)
{
    auto keepAlive = weak_from_this().lock();
    auto container = view();
    bool shown = isVisible();
    animated = animated && shown;
    updateBars();
    if (auto delegate = _delegate.lock(); delegate && to)
        delegate->navigationControllerWillShowViewControllerAnimated(*this, *to, animated);
    if (shown) {
        if (from)
            from->beginAppearanceTransition(false, animated);
        if (to)
            to->beginAppearanceTransition(true, animated);
    }
    const uint64_t number = ++gTransitionsStarted;
    _transition
        = std::make_unique<Transition>(Transition {from, to, std::move(leaving), std::move(joining), animated, number});
    Rect content = layoutBars();
    if (to) {
        auto toView = to->view();
        moveViewsWithoutAppearance(*to, [&] { container->insertSubviewBelowSubview(toView, *_navigationBar); });
        View::performWithoutAnimation([&] { toView->setFrame(content); });
    }
    if (!animated || !from || !to) {
        finishTransitionNow();
        return;
    }
    auto fromView = from->view();
    auto toView = to->view();
    double width = container->bounds().width();
    View::performWithoutAnimation([&] {
        toView->setFrame({{content.minX() + (forward ? width : -width * kLeavingShare), content.minY()}, content.size});
    });
    std::weak_ptr<Object> weakSelf = weak_from_this();
    View::animateWithDuration(
        kTransitionSeconds, 0, ViewAnimationOptionCurveEaseInOut,
        [&] {
            toView->setFrame(content);
            Rect leavingFrame = fromView->frame();
            fromView->setFrame({{leavingFrame.minX() + (forward ? -width * kLeavingShare : width), leavingFrame.minY()},
                leavingFrame.size});
        },
        [weakSelf, number](bool) {
            // A newer transition that began meanwhile ended this one already; its own slide ends it.
            auto self = std::static_pointer_cast<NavigationController>(weakSelf.lock());
            if (self && self->_transition && self->_transition->number == number)
                self->finishTransitionNow();
        });
}

void NavigationController::finishTransitionNow()
{
    if (!_transition)
        return;
    auto keepAlive = weak_from_this().lock();
    auto transition = std::move(_transition);
    auto& from = transition->from;
    auto& to = transition->to;
    if (from && from != to && from->isViewLoaded())
        moveViewsWithoutAppearance(*from, [&] { from->view()->removeFromSuperview(); });
    if (to)
        to->endAppearanceTransition();
    if (from)
        from->endAppearanceTransition();
    for (const auto& left : transition->leaving)
        left->removeFromParentViewController();
    for (const auto& joined : transition->joining)
        joined->didMoveToParentViewController(this);
    layoutContainer();
    // A tab bar around shows or hides for the new top.
    if (auto tabs = tabBarController(); tabs && tabs->isViewLoaded())
        tabs->view()->setNeedsLayout();
    if (auto delegate = _delegate.lock(); delegate && to)
        delegate->navigationControllerDidShowViewControllerAnimated(*this, *to, transition->animated);
}

bool NavigationController::navigationBarShouldPopItem(NavigationBar&, NavigationItem& item)
{
    auto top = topViewController();
    if (top && top->navigationItem().get() == &item)
        popViewControllerAnimated(true);
    // The stack changed the bar's items itself.
    return false;
}

}  // namespace plat
