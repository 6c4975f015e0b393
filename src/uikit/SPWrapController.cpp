#include "uikit/SPWrapController.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "platform/ui/Application.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Transaction.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewControllerHooks.h"
#include "uikit/SPSidePanelController.h"
#include "uikit/UISidePanelItem.h"

namespace zt {

namespace {

constexpr const char* kWrapControllerKey = "WrapController";
constexpr unsigned kFlexibleSize = plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight;

}  // namespace

// Wrapper

std::shared_ptr<SPWrapController> SPWrapController::initWithViewController(
    std::shared_ptr<plat::ViewController> controller)
{
    auto wrapper = std::make_shared<SPWrapController>(std::move(controller));
    if (const auto& wrapped = wrapper->wrappedController())
        setWrapController(*wrapped, wrapper);
    return wrapper;
}

SPWrapController::SPWrapController(std::shared_ptr<plat::ViewController> controller)
    : _wrappedController(std::move(controller))
{
}

SPWrapController::~SPWrapController()
{
    if (!_wrappedController)
        return;
    // The wrapper is going: the child has no parent to be taken from any more.
    _wrappedController->willMoveToParentViewController(nullptr);
    _wrappedController->removeFromParentViewController();
    setWrapController(*_wrappedController, nullptr);
    _wrappedController->didMoveToParentViewController(nullptr);
}

double SPWrapController::statusBarHeight()
{
    // The bar's thickness, whichever way its frame is measured (across the
    // screen, or along the device's long side in landscape).
    const plat::Rect bar = plat::Application::sharedApplication().statusBarFrame();
    return std::min(bar.width(), bar.height());
}

std::shared_ptr<plat::TabBarItem> SPWrapController::tabBarItem()
{
    return _wrappedController ? _wrappedController->tabBarItem() : plat::ViewController::tabBarItem();
}

void SPWrapController::setTabBarItem(std::shared_ptr<plat::TabBarItem> item)
{
    if (_wrappedController)
        _wrappedController->setTabBarItem(std::move(item));
    else
        plat::ViewController::setTabBarItem(std::move(item));
}

bool SPWrapController::hidesBottomBarWhenPushed() const
{
    return _wrappedController ? _wrappedController->hidesBottomBarWhenPushed()
                              : plat::ViewController::hidesBottomBarWhenPushed();
}

void SPWrapController::setHidesBottomBarWhenPushed(bool hides)
{
    if (_wrappedController)
        _wrappedController->setHidesBottomBarWhenPushed(hides);
    else
        plat::ViewController::setHidesBottomBarWhenPushed(hides);
}

void SPWrapController::loadView()
{
    if (!_wrappedController) {
        plat::ViewController::loadView();
        return;
    }
    auto wrappedView = _wrappedController->view();
    const plat::Rect frame = wrappedView->frame();
    const double bar = std::min(statusBarHeight(), std::max(frame.height(), 0.0));
    auto own = std::make_shared<plat::View>(
        plat::makeRect(frame.minX(), frame.minY() + bar, frame.width(), frame.height() - bar));
    own->setAutoresizingMask(wrappedView->autoresizingMask());
    setView(own);
    wrappedView->setFrame(own->bounds());
    wrappedView->setAutoresizingMask(kFlexibleSize);
    addChildViewController(_wrappedController);
    moveViewsWithoutAppearance(*_wrappedController, [&] { own->addSubview(wrappedView); });
}

void SPWrapController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    if (_wrappedController)
        _wrappedController->didMoveToParentViewController(this);
    if (_onViewDidLoad) {
        auto block = _onViewDidLoad;
        block(*this);
    }
}

void SPWrapController::viewWillAppear(bool animated)
{
    plat::ViewController::viewWillAppear(animated);
    if (_onViewWillAppear) {
        auto block = _onViewWillAppear;
        block(*this, animated);
    }
    if (_wrappedController)
        _wrappedController->beginAppearanceTransition(/*isAppearing=*/true, animated);
}

void SPWrapController::viewDidAppear(bool animated)
{
    plat::ViewController::viewDidAppear(animated);
    if (_onViewDidAppear) {
        auto block = _onViewDidAppear;
        block(*this, animated);
    }
    if (_wrappedController)
        _wrappedController->endAppearanceTransition();
}

void SPWrapController::viewWillDisappear(bool animated)
{
    plat::ViewController::viewWillDisappear(animated);
    if (_onViewWillDisappear) {
        auto block = _onViewWillDisappear;
        block(*this, animated);
    }
    if (_wrappedController)
        _wrappedController->beginAppearanceTransition(/*isAppearing=*/false, animated);
}

void SPWrapController::viewDidDisappear(bool animated)
{
    plat::ViewController::viewDidDisappear(animated);
    if (_onViewDidDisappear) {
        auto block = _onViewDidDisappear;
        block(*this, animated);
    }
    if (_wrappedController)
        _wrappedController->endAppearanceTransition();
}

bool SPWrapController::shouldAutorotate() const
{
    return _wrappedController ? _wrappedController->shouldAutorotate() : plat::ViewController::shouldAutorotate();
}

unsigned SPWrapController::supportedInterfaceOrientations() const
{
    return _wrappedController ? _wrappedController->supportedInterfaceOrientations()
                              : plat::ViewController::supportedInterfaceOrientations();
}

bool SPWrapController::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const
{
    return _wrappedController ? _wrappedController->shouldAutorotateToInterfaceOrientation(orientation)
                              : plat::ViewController::shouldAutorotateToInterfaceOrientation(orientation);
}

void SPWrapController::willRotateToInterfaceOrientation(plat::InterfaceOrientation orientation, double duration)
{
    plat::ViewController::willRotateToInterfaceOrientation(orientation, duration);
    if (_wrappedController)
        _wrappedController->willRotateToInterfaceOrientation(orientation, duration);
}

void SPWrapController::willAnimateRotationToInterfaceOrientation(
    plat::InterfaceOrientation orientation, double duration)
{
    plat::ViewController::willAnimateRotationToInterfaceOrientation(orientation, duration);
    if (_wrappedController)
        _wrappedController->willAnimateRotationToInterfaceOrientation(orientation, duration);
}

void SPWrapController::didRotateFromInterfaceOrientation(plat::InterfaceOrientation fromOrientation)
{
    plat::ViewController::didRotateFromInterfaceOrientation(fromOrientation);
    if (_wrappedController)
        _wrappedController->didRotateFromInterfaceOrientation(fromOrientation);
}

void SPWrapController::didReceiveMemoryWarning()
{
    // The wrapped controller gets its own warning from the platform, as every child does.
}

// Side wrapper

std::shared_ptr<SPSideController> SPSideController::initWithViewController(
    std::shared_ptr<plat::ViewController> controller)
{
    return initWithViewControllerConstrained(std::move(controller), kNotConstrained);
}

std::shared_ptr<SPSideController> SPSideController::initWithViewControllerConstrained(
    std::shared_ptr<plat::ViewController> controller, double constrainedSize)
{
    auto side = std::make_shared<SPSideController>(std::move(controller), constrainedSize);
    if (const auto& wrapped = side->wrappedController())
        setWrapController(*wrapped, side);
    return side;
}

SPSideController::SPSideController(std::shared_ptr<plat::ViewController> controller, double constrainedSize)
    : SPWrapController(std::move(controller))
    , _constrainedSize(std::isnan(constrainedSize) ? kNotConstrained : constrainedSize)
{
}

void SPSideController::setConstrainedSize(double size, bool animated)
{
    if (std::isnan(size))
        return;
    _constrainedSize = size;
    shrinkSideAnimated(animated);
}

void SPSideController::viewDidLoad()
{
    SPWrapController::viewDidLoad();
    shrinkSide();
}

void SPSideController::viewWillAppear(bool animated)
{
    SPWrapController::viewWillAppear(animated);
    if (const auto& wrapped = wrappedController())
        view()->setBackgroundColor(wrapped->view()->backgroundColor());
    shrinkSideAnimated(animated);
}

void SPSideController::willAnimateRotationToInterfaceOrientation(
    plat::InterfaceOrientation orientation, double duration)
{
    SPWrapController::willAnimateRotationToInterfaceOrientation(orientation, duration);
    shrinkSideAnimated(true);
}

void SPSideController::shrinkSideAnimated(bool animated)
{
    auto container = sidePanelController(*this);
    const auto& wrapped = wrappedController();
    if (!container || !wrapped || !isViewLoaded())
        return;
    uint32_t side = SPSidePanelSideNone;
    double size = 0;
    if (container->leftController().get() == this) {
        side = SPSidePanelSideLeft;
        size = container->leftViewSize();
    } else if (container->rightController().get() == this) {
        side = SPSidePanelSideRight;
        size = container->rightViewSize();
    } else if (container->topController().get() == this) {
        side = SPSidePanelSideTop;
        size = container->topViewSize();
    } else if (container->bottomController().get() == this) {
        side = SPSidePanelSideBottom;
        size = container->bottomViewSize();
    }
    if (_constrainedSize > 0)
        size = _constrainedSize;

    plat::Transaction::begin();
    if (animated) {
        plat::View::beginAnimations("shrinkSide", plat::Value());
        plat::View::setAnimationDuration(kShrinkSeconds);
        plat::View::setAnimationCurve(plat::ViewAnimationCurve::EaseInOut);
    } else {
        plat::Transaction::setDisableActions(true);
    }
    const plat::Rect b = view()->bounds();
    const double w = b.width();
    const double h = b.height();
    // What is shown is at least nothing and at most the whole view.
    const double across = std::clamp(size, 0.0, side == SPSidePanelSideTop || side == SPSidePanelSideBottom ? h : w);
    auto wrappedView = wrapped->view();
    switch (side) {
    case SPSidePanelSideLeft:
        wrappedView->setFrame(plat::makeRect(b.minX(), b.minY(), b.width() - (w - across), b.height()));
        break;
    case SPSidePanelSideRight:
        wrappedView->setFrame(plat::makeRect(b.minX() + (w - across), b.minY(), b.width() - (w - across), b.height()));
        break;
    case SPSidePanelSideTop:
        wrappedView->setFrame(plat::makeRect(b.minX(), b.minY(), b.width(), b.height() - (h - across)));
        break;
    case SPSidePanelSideBottom:
        wrappedView->setFrame(plat::makeRect(b.minX(), b.minY() + (h - across), b.width(), b.height() - (h - across)));
        break;
    default:
        break;
    }
    if (animated)
        plat::View::commitAnimations();
    plat::Transaction::commit();
}

// The wrapper link of every controller

std::shared_ptr<SPWrapController> wrapController_core(const plat::ViewController& controller)
{
    return std::dynamic_pointer_cast<SPWrapController>(
        controller.associatedObjects().get<plat::ViewController>(kWrapControllerKey));
}

void setWrapController(plat::ViewController& controller, const std::shared_ptr<SPWrapController>& wrapper)
{
    if (!wrapper) {
        controller.associatedObjects().remove(kWrapControllerKey);
        return;
    }
    controller.associatedObjects().set(
        kWrapControllerKey, std::static_pointer_cast<plat::ViewController>(wrapper), plat::AssociationPolicy::Assign);
}

std::shared_ptr<SPWrapController> wrapController(plat::ViewController& controller)
{
    if (auto wrapper = wrapController_core(controller))
        return wrapper;
    if (auto navigation = controller.navigationController())
        return wrapController(*navigation);
    return nullptr;
}

std::shared_ptr<SPWrapController> sideController(plat::ViewController& controller)
{
    return wrapController(controller);
}

std::shared_ptr<plat::NavigationController> wc_navigationController(plat::ViewController& controller)
{
    if (auto wrapper = wrapController_core(controller))
        return wrapper->navigationController();
    return controller.platformNavigationController();
}

std::shared_ptr<plat::NavigationItem> wc_navigationItem(plat::ViewController& controller)
{
    if (auto wrapper = wrapController_core(controller))
        return wrapper->navigationItem();
    return controller.platformNavigationItem();
}

void wc_swizzle()
{
    plat::ViewControllerHooks::addNavigationControllerHook(
        [](plat::ViewController& controller, const plat::ViewControllerHooks::NavigationControllerNext& next) {
            if (auto wrapper = wrapController_core(controller))
                return wrapper->navigationController();
            return next(controller);
        });
    plat::ViewControllerHooks::addNavigationItemHook(
        [](plat::ViewController& controller, const plat::ViewControllerHooks::NavigationItemNext& next) {
            if (auto wrapper = wrapController_core(controller))
                return wrapper->navigationItem();
            return next(controller);
        });
}

void loadWrapControllerItem()
{
    static std::once_flag once;
    std::call_once(once, [] { wc_swizzle(); });
}

}  // namespace zt
