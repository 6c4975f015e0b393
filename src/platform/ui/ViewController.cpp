#include "platform/ui/ViewController.h"

#include <algorithm>

#include "platform/foundation/Fatal.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/DesktopScreen.h"
#include "platform/ui/Device.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/ModalPresentation.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TabBarItem.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewControllerHooks.h"
#include "platform/ui/Window.h"

namespace plat {

namespace {

void requireMainThread(const char* operation)
{
    if (!isMainThread())
        detail::fatal("ViewController::{}: main thread only", operation);
}

}  // namespace

ViewController::ViewController() = default;

ViewController::ViewController(std::string nibName)
    : _nibName(std::move(nibName))
{
}

ViewController::~ViewController()
{
    if (_view)
        _view->_viewController.reset();
}

// View

std::shared_ptr<View> ViewController::view()
{
    requireMainThread("view");
    if (!_view) {
        auto keepAlive = weak_from_this().lock();
        loadView();
        if (!_view)
            detail::fatal("{}::loadView set no view", className());
        viewDidLoad();
    }
    return _view;
}

void ViewController::setView(std::shared_ptr<View> view)
{
    if (_view)
        _view->_viewController.reset();
    _view = std::move(view);
    if (_view)
        _view->_viewController = sharedAs<ViewController>();
}

void ViewController::loadView()
{
    if (!_nibName.empty()) {
        LayoutRegistry::loadLayout(_nibName, *this);
        return;
    }
    std::string own = className();
    if (LayoutRegistry::hasLayout(own)) {
        LayoutRegistry::loadLayout(own, *this);
        return;
    }
    setView(std::make_shared<View>(Screen::mainScreen().applicationFrame()));
}

// Appearance

void ViewController::beginAppearanceTransition(bool isAppearing, bool animated)
{
    auto keepAlive = weak_from_this().lock();
    if (isAppearing) {
        if (_appearance == Appearance::Appeared || _appearance == Appearance::Appearing)
            return;
        _appearance = Appearance::Appearing;
        _appearanceAnimated = animated;
        view();
        viewWillAppear(animated);
    } else {
        if (_appearance == Appearance::Disappeared || _appearance == Appearance::Disappearing)
            return;
        _appearance = Appearance::Disappearing;
        _appearanceAnimated = animated;
        viewWillDisappear(animated);
    }
    if (shouldAutomaticallyForwardAppearanceMethods()) {
        auto children = _children;
        for (const auto& child : children)
            if (child->isViewLoaded() && _view && child->_view->isDescendantOfView(*_view))
                child->beginAppearanceTransition(isAppearing, animated);
    }
}

void ViewController::endAppearanceTransition()
{
    auto keepAlive = weak_from_this().lock();
    bool animated = _appearanceAnimated;
    bool appearing;
    if (_appearance == Appearance::Appearing) {
        _appearance = Appearance::Appeared;
        appearing = true;
        if (DesktopScreen::logsPictures())
            log("screen: {} appeared", className());
        viewDidAppear(animated);
    } else if (_appearance == Appearance::Disappearing) {
        _appearance = Appearance::Disappeared;
        appearing = false;
        viewDidDisappear(animated);
    } else {
        return;
    }
    if (shouldAutomaticallyForwardAppearanceMethods()) {
        auto children = _children;
        for (const auto& child : children) {
            bool childMoving = child->_appearance == (appearing ? Appearance::Appearing : Appearance::Disappearing);
            if (childMoving)
                child->endAppearanceTransition();
        }
    }
}

bool ViewController::appearanceFollowsViewHierarchy() const
{
    if (_hierarchyAppearanceSuppressed > 0 || !_view)
        return false;
    auto window = _view->window();
    if (window && window->rootViewController().get() == this)
        return true;
    auto parent = parentViewController();
    if (parent && parent->shouldAutomaticallyForwardAppearanceMethods())
        return true;
    return false;
}

bool ViewController::isTopOfMovingTree(const View& movingRoot) const
{
    auto parent = parentViewController();
    if (!parent || !parent->isViewLoaded())
        return true;
    return !parent->_view->isDescendantOfView(movingRoot);
}

void ViewController::viewWillMoveToWindow(Window* newWindow, const View& movingRoot)
{
    _hierarchyTransitionPending = false;
    if (!isTopOfMovingTree(movingRoot))
        return;  // the parent forwards its own appearance
    auto oldWindow = _view ? _view->window() : nullptr;
    bool visibleNow = oldWindow && !oldWindow->isHidden();
    bool visibleAfter = newWindow && !newWindow->isHidden();
    if (visibleNow == visibleAfter)
        return;
    // A child appears only inside a parent that is on screen.
    auto parent = parentViewController();
    bool follows = appearanceFollowsViewHierarchy() || (newWindow && newWindow->rootViewController().get() == this);
    if (parent && visibleAfter && parent->_appearance != Appearance::Appeared
        && parent->_appearance != Appearance::Appearing)
        follows = false;
    if (!follows || _hierarchyAppearanceSuppressed > 0)
        return;
    beginAppearanceTransition(visibleAfter, false);
    _hierarchyTransitionPending = true;
}

void ViewController::viewDidMoveToWindow()
{
    if (!_hierarchyTransitionPending)
        return;
    _hierarchyTransitionPending = false;
    endAppearanceTransition();
}

void ViewController::setTitle(std::string title)
{
    if (title == _title)
        return;
    _title = std::move(title);
    // The bars show the title unless told otherwise, as on the platform.
    if (_navigationItem)
        _navigationItem->setTitle(_title);
    if (_tabBarItem)
        _tabBarItem->setTitle(_title);
    didChangeValueForKey("title");
}

void ViewController::setOutlet(const std::string& name, const std::shared_ptr<View>& view)
{
    _outlets[name] = view;
}

std::shared_ptr<View> ViewController::outlet(const std::string& name) const
{
    auto it = _outlets.find(name);
    return it == _outlets.end() ? nullptr : it->second.lock();
}

std::vector<std::string> ViewController::outletNames() const
{
    std::vector<std::string> names;
    for (const auto& [name, view] : _outlets)
        names.push_back(name);
    return names;
}

// Containment

void ViewController::addChildViewController(const std::shared_ptr<ViewController>& child)
{
    requireMainThread("addChildViewController");
    if (!child || child.get() == this || child->parentViewController().get() == this)
        return;
    if (child->parentViewController())
        child->removeFromParentViewController();
    child->willMoveToParentViewController(this);
    _children.push_back(child);
    child->_parent = sharedAs<ViewController>();
    child->didChangeValueForKey("parentViewController");
}

void ViewController::removeFromParentViewController()
{
    requireMainThread("removeFromParentViewController");
    auto parent = parentViewController();
    if (!parent)
        return;
    auto self = sharedAs<ViewController>();
    auto& siblings = parent->_children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), self), siblings.end());
    _parent.reset();
    didChangeValueForKey("parentViewController");
    didMoveToParentViewController(nullptr);
}

// Presentation

std::shared_ptr<ViewController> ViewController::presentedViewController() const
{
    for (auto controller = std::const_pointer_cast<ViewController>(sharedAs<ViewController>()); controller;
         controller = controller->parentViewController())
        if (controller->_presented)
            return controller->_presented;
    return nullptr;
}

std::shared_ptr<ViewController> ViewController::presentingViewController() const
{
    for (auto controller = std::const_pointer_cast<ViewController>(sharedAs<ViewController>()); controller;
         controller = controller->parentViewController())
        if (auto presenting = controller->_presenting.lock())
            return presenting;
    return nullptr;
}

void ViewController::presentViewController(
    std::shared_ptr<ViewController> controller, bool animated, std::function<void()> completion)
{
    requireMainThread("presentViewController");
    ViewControllerHooks::present(*this, std::move(controller), animated, std::move(completion));
}

bool ViewController::coversPresenter() const
{
    if (_presentationStyle == ModalPresentationStyle::OverFullScreen)
        return false;
    bool sheet = _presentationStyle == ModalPresentationStyle::FormSheet
        || _presentationStyle == ModalPresentationStyle::PageSheet;
    return !(sheet && Device::currentDevice().isTablet());
}

void ViewController::platformPresentViewController(
    std::shared_ptr<ViewController> controller, bool animated, std::function<void()> completion)
{
    detail::ModalPresentation::present(*this, std::move(controller), animated, std::move(completion));
}

void ViewController::dismissViewControllerAnimated(bool animated, std::function<void()> completion)
{
    requireMainThread("dismissViewControllerAnimated");
    detail::ModalPresentation::dismiss(*this, animated, std::move(completion));
}

// Rotation

unsigned ViewController::supportedInterfaceOrientations() const
{
    return Device::currentDevice().isTablet() ? InterfaceOrientationMaskAll : InterfaceOrientationMaskAllButUpsideDown;
}

bool ViewController::shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) const
{
    return supportedInterfaceOrientations() & maskForOrientation(orientation);
}

InterfaceOrientation ViewController::preferredInterfaceOrientationForPresentation() const
{
    return Application::sharedApplication().statusBarOrientation();
}

InterfaceOrientation ViewController::interfaceOrientation() const
{
    return Application::sharedApplication().statusBarOrientation();
}

void ViewController::forwardRotation(const std::function<void(ViewController&)>& call)
{
    if (!shouldAutomaticallyForwardRotationMethods())
        return;
    auto children = _children;
    for (const auto& child : children)
        call(*child);
}

void ViewController::willRotateToInterfaceOrientation(InterfaceOrientation orientation, double duration)
{
    forwardRotation([&](ViewController& c) { c.willRotateToInterfaceOrientation(orientation, duration); });
}

void ViewController::willAnimateRotationToInterfaceOrientation(InterfaceOrientation orientation, double duration)
{
    forwardRotation([&](ViewController& c) { c.willAnimateRotationToInterfaceOrientation(orientation, duration); });
}

void ViewController::didRotateFromInterfaceOrientation(InterfaceOrientation fromOrientation)
{
    forwardRotation([&](ViewController& c) { c.didRotateFromInterfaceOrientation(fromOrientation); });
}

void ViewController::sendMemoryWarning()
{
    auto keepAlive = sharedAs<ViewController>();
    didReceiveMemoryWarning();
    auto children = _children;
    for (const auto& child : children)
        child->sendMemoryWarning();
    if (_presented)
        _presented->sendMemoryWarning();
}

// Navigation

std::shared_ptr<NavigationController> ViewController::navigationController()
{
    return ViewControllerHooks::navigationController(*this);
}

std::shared_ptr<NavigationItem> ViewController::navigationItem()
{
    return ViewControllerHooks::navigationItem(*this);
}

std::shared_ptr<NavigationController> ViewController::platformNavigationController()
{
    for (auto parent = parentViewController(); parent; parent = parent->parentViewController())
        if (auto navigation = parent->asNavigationController())
            return navigation;
    return nullptr;
}

std::shared_ptr<NavigationItem> ViewController::platformNavigationItem()
{
    if (!_navigationItem)
        _navigationItem = std::make_shared<NavigationItem>(_title);
    return _navigationItem;
}

void ViewController::setHidesBottomBarWhenPushed(bool hides)
{
    if (hides == _hidesBottomBarWhenPushed)
        return;
    _hidesBottomBarWhenPushed = hides;
    didChangeValueForKey("hidesBottomBarWhenPushed");
}

void ViewController::setToolbarItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool)
{
    _toolbarItems = std::move(items);
    didChangeValueForKey("toolbarItems");
}

std::shared_ptr<TabBarItem> ViewController::tabBarItem()
{
    if (!_tabBarItem)
        _tabBarItem = std::make_shared<TabBarItem>(_title, nullptr, 0);
    return _tabBarItem;
}

void ViewController::setTabBarItem(std::shared_ptr<TabBarItem> item)
{
    _tabBarItem = std::move(item);
    didChangeValueForKey("tabBarItem");
}

std::shared_ptr<TabBarController> ViewController::tabBarController()
{
    for (auto parent = parentViewController(); parent; parent = parent->parentViewController())
        if (auto tabs = parent->asTabBarController())
            return tabs;
    return nullptr;
}

std::shared_ptr<Object> ViewController::observableObjectForKey(std::string_view key)
{
    if (key == "tabBarItem")
        return tabBarItem();
    if (key == "navigationItem")
        return navigationItem();
    return nullptr;
}

LayoutSupport ViewController::topLayoutGuide() const
{
    auto& application = Application::sharedApplication();
    if (!_view || application.isStatusBarHidden())
        return {};
    auto window = _view->window();
    if (!window)
        return {};
    double top = _view->convertPoint({0, 0}, nullptr).y;
    return {std::max(0.0, application.statusBarFrame().height() - top)};
}

void ViewController::moveViewsWithoutAppearance(ViewController& child, const std::function<void()>& changes)
{
    ++child._hierarchyAppearanceSuppressed;
    changes();
    --child._hierarchyAppearanceSuppressed;
}

// Responder

std::shared_ptr<Responder> ViewController::nextResponder() const
{
    if (_view) {
        if (auto super = _view->superview())
            return super;
    }
    if (auto parent = parentViewController())
        return parent;
    return presentingViewController();
}

std::shared_ptr<Window> ViewController::responderWindow() const
{
    return _view ? _view->window() : nullptr;
}

}  // namespace plat
