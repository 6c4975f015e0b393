// The side-panel container as a container: child controllers, its view
// tree, appearance and rotation forwarded by hand, layout across rotations
// and bounds changes, the sliding view's shadow, the centre's title and tab
// bar item, and tear-down.
#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Application.h"
#include "platform/ui/BasicAnimation.h"
#include "platform/ui/Button.h"
#include "platform/ui/Layer.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TabBarController.h"
#include "platform/ui/TabBarItem.h"
#include "uikit/SPSidePanelController.h"
#include "uikit/SPSidePanelView.h"
#include "uikit/UISidePanelItem.h"

namespace zt {

namespace {

constexpr unsigned kFlexibleSize = plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight;
// The set-up of the first appearance waits this long for a navigation
// controller's view to reach its superview; the integrated behaviour puts
// the sliding view back after this long.
constexpr double kSetUpRetrySeconds = 0.001;
constexpr double kRestoreOffsetSeconds = 0.01;
constexpr double kRotationShadowFadeSeconds = 1.0;

bool isSide(uint32_t side)
{
    return side >= SPSidePanelSideLeft && side <= SPSidePanelSideBottom;
}

}  // namespace

SPSidePanelController::~SPSidePanelController()
{
    cleanup();
    _parentObservation.reset();
    _boundsObservation.reset();
    _centerObservations.clear();
    _centerTabBarObservations.clear();
    // Every child loses its link: the centre and all four sides.
    if (_centerController)
        setSidePanelController(*_centerController, nullptr);
    _centerController.reset();
    for (uint32_t side = SPSidePanelSideLeft; side <= SPSidePanelSideBottom; ++side) {
        if (_controllers[side])
            setSidePanelController(*_controllers[side], nullptr);
        _controllers[side].reset();
    }
    removePanners();
}

std::shared_ptr<SPSidePanelView> SPSidePanelController::sidePanelView() const
{
    return isViewLoaded() ? std::dynamic_pointer_cast<SPSidePanelView>(const_cast<SPSidePanelController*>(this)->view())
                          : nullptr;
}

std::shared_ptr<plat::View> SPSidePanelController::slidingControllerView() const
{
    if (_navigationControllerBehavior == SPSidePanelNavigationControllerIntegrated) {
        if (auto sliding = _slidingController.lock(); sliding && sliding->asNavigationController())
            return sliding->isViewLoaded() ? sliding->view() : nullptr;
    }
    return _centerView;
}

// View

void SPSidePanelController::loadView()
{
    _offset = 0;
    _viewFirstAppeared = false;
    _viewAppeared = 0;
    auto root = std::make_shared<SPSidePanelView>(plat::Screen::mainScreen().applicationFrame());
    root->setAutoresizingMask(kFlexibleSize);
    root->setAutoresizesSubviews(true);
    root->setClipsToBounds(true);
    setView(root);
}

void SPSidePanelController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    _centerView = std::make_shared<plat::View>(view()->bounds());
    _centerView->setAutoresizingMask(kFlexibleSize);
    _centerView->setAutoresizesSubviews(true);
    _centerView->setClipsToBounds(true);
    view()->addSubview(_centerView);
    _originalShadowRadius = 0;
    _originalShadowOpacity = 0;
    _originalShadowColor.reset();
    _originalShadowOffset = {};
    _originalShadowPath.reset();
}

bool SPSidePanelController::setSlidingAndReferenceViews()
{
    auto navigation = navigationController();
    if (navigation && _navigationControllerBehavior == SPSidePanelNavigationControllerIntegrated) {
        if (!navigation->isViewLoaded() || !navigation->view()->superview())
            return false;
        _slidingController = navigation;
        _referenceView = navigation->view()->superview();
    } else {
        _slidingController = _centerController;
        _referenceView = view();
    }
    finishTransitionBlocks();
    return true;
}

void SPSidePanelController::finishTransitionBlocks()
{
    auto reference = _referenceView.lock();
    // A container whose children sit in its own view is their parent itself
    // and need not wait for a parent of its own.
    const bool ownView = reference && isViewLoaded() && reference == view();
    if (!reference || !_finishTransitionBlocks || (!parentViewController() && !ownView))
        return;
    _parentObservation.reset();
    auto blocks = std::move(*_finishTransitionBlocks);
    _finishTransitionBlocks.reset();
    for (const auto& block : blocks)
        block();
}

void SPSidePanelController::arrangeViewsOnFirstAppearance()
{
    auto sliding = slidingControllerView();
    auto reference = _referenceView.lock();
    if (_centerController) {
        auto centerView = _centerController->view();
        moveViewsWithoutAppearance(*_centerController, [&] { _centerView->addSubview(centerView); });
    }
    for (uint32_t side = SPSidePanelSideLeft; side <= SPSidePanelSideBottom; ++side) {
        const auto& controller = _controllers[side];
        if (!controller || !reference)
            continue;
        auto sideView = controller->view();
        moveViewsWithoutAppearance(*controller, [&] {
            sideView->removeFromSuperview();
            if (sliding && sliding->superview() == reference)
                reference->insertSubviewBelowSubview(sideView, *sliding);
            else
                reference->insertSubview(sideView, 0);
        });
    }
    setSlidingFrameForOffset(_offset, _offsetOrientation);
    if (sliding)
        sliding->setHidden(false);
    _centerView->setFrame(centerViewBounds());
    if (_centerController) {
        auto centerView = _centerController->view();
        centerView->setAutoresizingMask(kFlexibleSize);
        centerView->setFrame(_centerView->bounds());
    }
    for (uint32_t side = SPSidePanelSideLeft; side <= SPSidePanelSideBottom; ++side) {
        if (const auto& controller = _controllers[side]) {
            controller->view()->setFrame(sideViewBounds());
            controller->view()->setAutoresizingMask(kFlexibleSize);
        }
    }
    applyShadowToSlidingViewAnimated(false);
}

void SPSidePanelController::viewWillAppear(bool animated)
{
    plat::ViewController::viewWillAppear(animated);
    std::weak_ptr<SPSidePanelController> weakSelf = sharedAs<SPSidePanelController>();
    _boundsObservation = view()->addObserverForKey("bounds", [weakSelf](const plat::PropertyChange&) {
        if (auto self = weakSelf.lock())
            self->containerBoundsChanged();
    });

    if (_viewFirstAppeared) {
        if (_willAppearShouldArrangeViewsAfterRotation != 0) {
            // A rotation while off screen is replayed now.
            const auto recorded = static_cast<plat::InterfaceOrientation>(_willAppearShouldArrangeViewsAfterRotation);
            const auto current = plat::Application::sharedApplication().statusBarOrientation();
            willRotateToInterfaceOrientation(current, 0);
            willAnimateRotationToInterfaceOrientation(current, 0);
            didRotateFromInterfaceOrientation(recorded);
        }
    } else {
        _viewFirstAppeared = true;
        auto ran = std::make_shared<bool>(false);
        auto setUp = [weakSelf, ran] {
            auto self = weakSelf.lock();
            if (!self || *ran)
                return;
            *ran = true;
            self->arrangeViewsOnFirstAppearance();
        };
        if (setSlidingAndReferenceViews())
            setUp();
        plat::DispatchQueue::mainQueue().after(kSetUpRetrySeconds, [weakSelf, setUp] {
            auto self = weakSelf.lock();
            if (!self)
                return;
            // The navigation controller's view had its chance to arrive; the set-up runs either way.
            if (!self->_referenceView.lock())
                self->setSlidingAndReferenceViews();
            setUp();
            self->setSlidingFrameForOffset(self->_offset, self->_offsetOrientation);
            self->hideAppropriateSideViews();
        });
        setNeedsAddPanners();
        bool allClosed = true;
        for (uint32_t side = SPSidePanelSideLeft; side <= SPSidePanelSideBottom; ++side)
            allClosed = allClosed && isSideClosed(side);
        if (allClosed)
            centerViewVisible();
        else
            centerViewHidden();
    }

    if (safe_shouldManageAppearanceMethods() && _centerController)
        _centerController->beginAppearanceTransition(/*isAppearing=*/true, animated);
    transitionAppearanceFrom(0, 1, animated);
    if (_navigationControllerBehavior == SPSidePanelNavigationControllerIntegrated) {
        plat::DispatchQueue::mainQueue().after(kRestoreOffsetSeconds, [weakSelf] {
            auto self = weakSelf.lock();
            if (!self)
                return;
            if (auto sliding = self->slidingControllerView()) {
                plat::Rect frame = sliding->frame();
                frame.origin = self->_willAppearOffset;
                sliding->setFrame(frame);
            }
        });
    }
    _viewAppeared = 1;
}

void SPSidePanelController::viewDidAppear(bool animated)
{
    plat::ViewController::viewDidAppear(animated);
    if (safe_shouldManageAppearanceMethods() && _centerController)
        _centerController->endAppearanceTransition();
    transitionAppearanceFrom(1, 2, animated);
    _viewAppeared = 2;
}

void SPSidePanelController::viewWillDisappear(bool animated)
{
    plat::ViewController::viewWillDisappear(animated);
    if (safe_shouldManageAppearanceMethods() && _centerController)
        _centerController->beginAppearanceTransition(/*isAppearing=*/false, animated);
    transitionAppearanceFrom(2, 1, animated);
    _viewAppeared = 1;
}

void SPSidePanelController::viewDidDisappear(bool animated)
{
    plat::ViewController::viewDidDisappear(animated);
    if (_navigationControllerBehavior == SPSidePanelNavigationControllerIntegrated) {
        if (auto sliding = slidingControllerView())
            _willAppearOffset = sliding->frame().origin;
    }
    _boundsObservation.reset();
    if (safe_shouldManageAppearanceMethods() && _centerController)
        _centerController->endAppearanceTransition();
    transitionAppearanceFrom(1, 0, animated);
    _viewAppeared = 0;
}

void SPSidePanelController::didReceiveMemoryWarning()
{
    // The platform hands each child controller its own warning.
    plat::ViewController::didReceiveMemoryWarning();
}

// Side controllers

void SPSidePanelController::removeSideView(uint32_t side, const std::shared_ptr<plat::ViewController>& controller)
{
    if (!_viewFirstAppeared || !controller)
        return;
    notifyAppearanceForSide(side, /*animated=*/false, 2, 1);
    moveViewsWithoutAppearance(*controller, [&] {
        if (controller->isViewLoaded())
            controller->view()->removeFromSuperview();
    });
    notifyAppearanceForSide(side, /*animated=*/false, 1, 0);
}

void SPSidePanelController::insertSideView(uint32_t side, const std::shared_ptr<plat::ViewController>& controller)
{
    auto reference = _referenceView.lock();
    if (!_viewFirstAppeared || !controller || !reference)
        return;
    notifyAppearanceForSide(side, /*animated=*/false, 0, 1);
    hideAppropriateSideViews();
    auto sideView = controller->view();
    sideView->setFrame(referenceBounds());
    sideView->setAutoresizingMask(kFlexibleSize);
    auto sliding = slidingControllerView();
    moveViewsWithoutAppearance(*controller, [&] {
        if (_slidingController.lock() && sliding && sliding->superview() == reference)
            reference->insertSubviewBelowSubview(sideView, *sliding);
        else
            reference->addSubview(sideView);
    });
    notifyAppearanceForSide(side, /*animated=*/false, 1, 2);
}

void SPSidePanelController::setController(std::shared_ptr<plat::ViewController> controller, uint32_t side)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!isSide(side)) {
        plat::log("SPSidePanelController: there is no side {}", side);
        return;
    }
    if (_controllers[side] == controller)
        return;
    auto self = sharedAs<SPSidePanelController>();
    const uint32_t otherSide = controller ? sideForController(controller.get()) : kSPSidePanelNoSide;
    // A controller is in one place at a time: the centre gives it up too.
    if (controller && controller == _centerController)
        setCenterController(nullptr);
    if (auto old = _controllers[side]) {
        old->willMoveToParentViewController(nullptr);
        removeSideView(side, old);
        if (otherSide != kSPSidePanelNoSide) {
            removeSideView(otherSide, controller);
            _controllers[otherSide].reset();
            _sideAppeared[otherSide] = 0;
        }
        setSidePanelController(*old, nullptr);
        old->removeFromParentViewController();
    } else if (otherSide != kSPSidePanelNoSide) {
        removeSideView(otherSide, controller);
        _controllers[otherSide].reset();
        _sideAppeared[otherSide] = 0;
    }
    _controllers[side] = controller;
    if (!controller)
        return;

    std::weak_ptr<SPSidePanelController> weakSelf = self;
    auto contain = [weakSelf, controller, side] {
        auto container = weakSelf.lock();
        if (!container || container->_controllers[side] != controller)
            return;
        std::shared_ptr<plat::ViewController> parent = container;
        auto reference = container->_referenceView.lock();
        if (!(reference && container->isViewLoaded() && reference == container->view())) {
            auto outer = container->parentViewController();
            auto outerParent = outer ? outer->parentViewController() : nullptr;
            if (outerParent)
                parent = outerParent;
        }
        parent->addChildViewController(controller);
        setSidePanelController(*controller, container);
        container->insertSideView(side, controller);
        controller->didMoveToParentViewController(parent.get());
    };
    if (_referenceView.lock()) {
        contain();
        return;
    }
    setSidePanelController(*controller, self);
    if (!_finishTransitionBlocks) {
        _finishTransitionBlocks.emplace();
        _parentObservation = addObserverForKey("parentViewController", [weakSelf](const plat::PropertyChange&) {
            auto container = weakSelf.lock();
            if (container && container->parentViewController())
                container->finishTransitionBlocks();
        });
    }
    _finishTransitionBlocks->push_back(std::move(contain));
}

// The centre

void SPSidePanelController::setCenterController(std::shared_ptr<plat::ViewController> controller)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (controller == _centerController)
        return;
    auto self = weak_from_this().lock();
    const plat::Rect frame = _centerController && _centerController->isViewLoaded() ? _centerController->view()->frame()
                                                                                    : referenceBounds();
    // A controller is in one place at a time: its side gives it up.
    if (controller) {
        const uint32_t side = sideForController(controller.get());
        if (side != kSPSidePanelNoSide)
            setController(nullptr, side);
    }

    if (auto old = _centerController) {
        old->willMoveToParentViewController(nullptr);
        if (_viewFirstAppeared) {
            if (safe_shouldManageAppearanceMethods())
                old->beginAppearanceTransition(/*isAppearing=*/false, /*animated=*/false);
            restoreShadowToSlidingView();
            removePanners();
            moveViewsWithoutAppearance(*old, [&] {
                if (old->isViewLoaded())
                    old->view()->removeFromSuperview();
            });
            if (safe_shouldManageAppearanceMethods())
                old->endAppearanceTransition();
            if (_centerView)
                _centerView->removeFromSuperview();
        }
        stopObservingCenter();
        setSidePanelController(*old, nullptr);
        old->removeFromParentViewController();
    }

    _centerController = controller;
    if (!controller)
        return;
    addChildViewController(controller);
    if (self)
        setSidePanelController(*controller, std::static_pointer_cast<SPSidePanelController>(self));
    observeCenter();
    setTitle(controller->title());
    if (_automaticallyUpdateTabBarItems) {
        observeCenterTabBarItem();
        copyCenterTabBarItem();
    }
    auto centerView = controller->view();
    if (_viewFirstAppeared && _centerView && isViewLoaded()) {
        view()->addSubview(_centerView);
        if (safe_shouldManageAppearanceMethods())
            controller->beginAppearanceTransition(/*isAppearing=*/true, /*animated=*/false);
        auto navigation = controller->asNavigationController();
        const bool barHiddenHere = navigation && !navigation->isNavigationBarHidden();
        if (barHiddenHere)
            navigation->setNavigationBarHidden(true);
        setSlidingAndReferenceViews();
        centerView->setFrame(frame);
        centerView->setAutoresizingMask(kFlexibleSize);
        centerView->setHidden(false);
        moveViewsWithoutAppearance(*controller, [&] { _centerView->addSubview(centerView); });
        if (barHiddenHere)
            navigation->setNavigationBarHidden(false);
        addPanners();
        applyShadowToSlidingViewAnimated(false);
        if (safe_shouldManageAppearanceMethods())
            controller->endAppearanceTransition();
    }
    controller->didMoveToParentViewController(this);
    if (isAnySideOpen())
        centerViewHidden();
}

void SPSidePanelController::observeCenter()
{
    std::weak_ptr<SPSidePanelController> weakSelf
        = std::static_pointer_cast<SPSidePanelController>(weak_from_this().lock());
    if (weakSelf.expired() || !_centerController)
        return;
    _centerObservations.push_back(
        _centerController->addObserverForKey("title", [weakSelf](const plat::PropertyChange& change) {
            if (auto self = weakSelf.lock())
                self->centerChangedValueForKey(change.key);
        }));
}

void SPSidePanelController::observeCenterTabBarItem()
{
    std::weak_ptr<SPSidePanelController> weakSelf
        = std::static_pointer_cast<SPSidePanelController>(weak_from_this().lock());
    if (weakSelf.expired() || !_centerController)
        return;
    for (const char* key : {"tabBarItem.title", "tabBarItem.image", "hidesBottomBarWhenPushed"}) {
        _centerTabBarObservations.push_back(
            _centerController->addObserverForKey(key, [weakSelf](const plat::PropertyChange& change) {
                if (auto self = weakSelf.lock())
                    self->centerChangedValueForKey(change.key);
            }));
    }
}

void SPSidePanelController::stopObservingCenter()
{
    _centerObservations.clear();
    _centerTabBarObservations.clear();
}

void SPSidePanelController::copyCenterTabBarItem()
{
    if (!_centerController)
        return;
    auto source = _centerController->tabBarItem();
    auto own = tabBarItem();
    own->setTitle(source->title());
    own->setImage(source->image());
    setHidesBottomBarWhenPushed(_centerController->hidesBottomBarWhenPushed());
}

void SPSidePanelController::centerChangedValueForKey(std::string_view key)
{
    if (!_centerController)
        return;
    if (key == "tabBarItem.title") {
        tabBarItem()->setTitle(_centerController->tabBarItem()->title());
    } else if (key == "tabBarItem.image") {
        tabBarItem()->setImage(_centerController->tabBarItem()->image());
    } else if (key == "hidesBottomBarWhenPushed") {
        const bool hides = _centerController->hidesBottomBarWhenPushed();
        setHidesBottomBarWhenPushed(hides);
        if (auto tabs = tabBarController())
            tabs->setHidesBottomBarWhenPushed(hides);
    } else if (key == "title") {
        if (_centerController->title() != title())
            setTitle(_centerController->title());
    }
}

void SPSidePanelController::setTitle(std::string newTitle)
{
    if (newTitle != title())
        plat::ViewController::setTitle(newTitle);
    if (_centerController && _centerController->title() != newTitle)
        _centerController->setTitle(std::move(newTitle));
}

void SPSidePanelController::setAutomaticallyUpdateTabBarItems(bool update)
{
    if (_automaticallyUpdateTabBarItems)
        _centerTabBarObservations.clear();
    _automaticallyUpdateTabBarItems = update;
    if (update && _centerController) {
        observeCenterTabBarItem();
        copyCenterTabBarItem();
    }
}

void SPSidePanelController::forceNavigationBarLayout()
{
    auto navigation = _centerController ? _centerController->asNavigationController() : nullptr;
    if (navigation && !navigation->isNavigationBarHidden()) {
        navigation->setNavigationBarHidden(true);
        navigation->setNavigationBarHidden(false);
    }
}

void SPSidePanelController::containerBoundsChanged()
{
    setSlidingFrameForOffset(_offset, _offsetOrientation);
    if (auto sliding = slidingControllerView())
        sliding->layer()->setShadowPath(plat::Path::pathWithRect(referenceBounds()));
    forceNavigationBarLayout();
}

// Rotation

void SPSidePanelController::relayRotationMethod(
    const std::function<void(const std::shared_ptr<plat::ViewController>&)>& call) const
{
    if (!safe_shouldForwardRotationMethods())
        return;
    for (const auto& controller : {_centerController, _controllers[SPSidePanelSideLeft],
             _controllers[SPSidePanelSideRight], _controllers[SPSidePanelSideTop], _controllers[SPSidePanelSideBottom]})
        if (controller)
            call(controller);
}

void SPSidePanelController::recordPreRotationSizes() const
{
    _preRotationSize = referenceBounds().size;
    _preRotationCenterSize = _centerView ? _centerView->bounds().size : plat::Size {};
}

bool SPSidePanelController::shouldAutorotate() const
{
    recordPreRotationSizes();
    _willAppearShouldArrangeViewsAfterRotation
        = static_cast<int64_t>(plat::Application::sharedApplication().statusBarOrientation());
    relayRotationMethod([](const std::shared_ptr<plat::ViewController>& c) { (void)c->shouldAutorotate(); });
    return _centerController ? _centerController->shouldAutorotate() : true;
}

bool SPSidePanelController::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const
{
    recordPreRotationSizes();
    _preRotationIsLandscape = plat::isLandscape(plat::Application::sharedApplication().statusBarOrientation());
    _willAppearShouldArrangeViewsAfterRotation = static_cast<int64_t>(orientation);
    relayRotationMethod([orientation](const std::shared_ptr<plat::ViewController>& c) {
        (void)c->shouldAutorotateToInterfaceOrientation(orientation);
    });
    return _centerController ? _centerController->shouldAutorotateToInterfaceOrientation(orientation) : true;
}

unsigned SPSidePanelController::supportedInterfaceOrientations() const
{
    return _centerController ? _centerController->supportedInterfaceOrientations()
                             : plat::ViewController::supportedInterfaceOrientations();
}

plat::InterfaceOrientation SPSidePanelController::preferredInterfaceOrientationForPresentation() const
{
    return _centerController ? _centerController->preferredInterfaceOrientationForPresentation()
                             : plat::ViewController::preferredInterfaceOrientationForPresentation();
}

void SPSidePanelController::willRotateToInterfaceOrientation(plat::InterfaceOrientation orientation, double duration)
{
    plat::ViewController::willRotateToInterfaceOrientation(orientation, duration);
    restoreShadowToSlidingView();
    if (_preRotationSize.width == 0) {
        recordPreRotationSizes();
        _preRotationIsLandscape = plat::isLandscape(orientation);
    }
    relayRotationMethod([orientation, duration](const std::shared_ptr<plat::ViewController>& c) {
        c->willRotateToInterfaceOrientation(orientation, duration);
    });
}

void SPSidePanelController::willAnimateRotationToInterfaceOrientation(
    plat::InterfaceOrientation orientation, double duration)
{
    plat::ViewController::willAnimateRotationToInterfaceOrientation(orientation, duration);
    arrangeViewsAfterRotation();
    relayRotationMethod([orientation, duration](const std::shared_ptr<plat::ViewController>& c) {
        c->willAnimateRotationToInterfaceOrientation(orientation, duration);
    });
    auto sliding = slidingControllerView();
    if (_delegateDrawsShadow || !sliding)
        return;
    // The shadow follows the turn: this toolkit's layers do not animate a
    // shadow path, so the shadow fades in over the turn's own timing when the
    // bounds animate, and over a second otherwise.
    plat::BasicAnimation fade("shadowOpacity");
    fade.setFromValue(0.0);
    fade.setToValue(sliding->layer()->shadowOpacity());
    if (auto bounds = sliding->layer()->animationForKey("bounds")) {
        fade.setDuration(bounds->duration());
        fade.setTimingFunction(bounds->timingFunction());
    } else {
        fade.setDuration(kRotationShadowFadeSeconds);
        fade.setTimingFunction(
            plat::MediaTimingFunction::functionWithName(plat::MediaTimingFunction::Name::EaseInEaseOut));
    }
    sliding->layer()->addAnimation(fade, "shadowOpacity");
}

void SPSidePanelController::didRotateFromInterfaceOrientation(plat::InterfaceOrientation fromOrientation)
{
    plat::ViewController::didRotateFromInterfaceOrientation(fromOrientation);
    applyShadowToSlidingViewAnimated(true);
    relayRotationMethod([fromOrientation](const std::shared_ptr<plat::ViewController>& c) {
        c->didRotateFromInterfaceOrientation(fromOrientation);
    });
    setAccessibilityForCenterTapper();
}

void SPSidePanelController::arrangeViewsAfterRotation()
{
    _willAppearShouldArrangeViewsAfterRotation = 0;
    if (_preRotationSize.width <= 0 || _preRotationSize.height <= 0)
        return;
    const uint32_t orientation = _offsetOrientation;
    const bool horizontal = orientation == SPSidePanelOrientationHorizontal;
    double offset = positionOfSlidingView(orientation);
    if (_resizesCenterView && offset == 0) {
        offset = horizontal ? _preRotationCenterSize.width - _preRotationSize.width
                            : _preRotationCenterSize.height - _preRotationSize.height;
    }
    const double oldWidth = _preRotationSize.width;
    const double oldHeight = _preRotationSize.height;
    uint32_t openSide = SPSidePanelSideNone;
    if (horizontal) {
        if (_controllers[SPSidePanelSideLeft] && offset == oldWidth - _ledge[SPSidePanelSideLeft])
            openSide = SPSidePanelSideLeft;
        else if (_controllers[SPSidePanelSideRight] && offset == _ledge[SPSidePanelSideRight] - oldWidth)
            openSide = SPSidePanelSideRight;
    } else {
        if (_controllers[SPSidePanelSideTop] && offset == oldHeight - _ledge[SPSidePanelSideTop])
            openSide = SPSidePanelSideTop;
        else if (_controllers[SPSidePanelSideBottom] && offset == _ledge[SPSidePanelSideBottom] - oldHeight)
            openSide = SPSidePanelSideBottom;
    }
    const plat::Size now = referenceBounds().size;
    const double widthChange = now.width - oldWidth;
    const double heightChange = now.height - oldHeight;
    const double extentChange = horizontal ? widthChange : heightChange;
    if (_sizeMode == SPSidePanelSizeModeLedge) {
        if (offset > 0)
            offset += extentChange;
        else if (offset < 0)
            offset -= extentChange;
    } else {
        if (_maxLedge != 0)
            _maxLedge += widthChange;
        for (uint32_t side = SPSidePanelSideLeft; side <= SPSidePanelSideBottom; ++side) {
            const bool sideHorizontal = side == SPSidePanelSideLeft || side == SPSidePanelSideRight;
            setLedgeValue(_ledge[side] + (sideHorizontal ? widthChange : heightChange), side);
        }
    }
    if (openSide != SPSidePanelSideNone)
        offset = ledgeOffsetForSide(openSide);
    setSlidingFrameForOffset(offset, orientation);
    _preRotationSize = {};
}

// Shadow

void SPSidePanelController::applyShadowToSlidingViewAnimated(bool)
{
    auto sliding = slidingControllerView();
    if (!sliding)
        return;
    const auto& layer = sliding->layer();
    _originalShadowRadius = layer->shadowRadius();
    _originalShadowOpacity = layer->shadowOpacity();
    _originalShadowColor = layer->shadowColor();
    _originalShadowOffset = layer->shadowOffset();
    _originalShadowPath = layer->shadowPath();
    auto self = weak_from_this().lock();
    if (auto delegate = _delegate.lock()) {
        _delegateDrawsShadow = delegate->sidePanelControllerApplyShadowWithBounds(*this, *layer, referenceBounds());
        if (_delegateDrawsShadow)
            return;
    }
    layer->setMasksToBounds(false);
    layer->setShadowRadius(kShadowRadius);
    layer->setShadowOpacity(kShadowOpacity);
    layer->setShadowColor(plat::Color::blackColor());
    layer->setShadowOffset({0, 0});
    layer->setShadowPath(plat::Path::pathWithRect(sliding->bounds()));
}

void SPSidePanelController::restoreShadowToSlidingView()
{
    auto sliding = slidingControllerView();
    if (!sliding)
        return;
    const auto& layer = sliding->layer();
    layer->setShadowRadius(_originalShadowRadius);
    layer->setShadowOpacity(_originalShadowOpacity);
    layer->setShadowColor(_originalShadowColor.value_or(plat::Color::blackColor()));
    layer->setShadowOffset(_originalShadowOffset);
    layer->setShadowPath(_originalShadowPath);
}

void SPSidePanelController::cleanup()
{
    _originalShadowRadius = 0;
    _originalShadowOpacity = 0;
    _originalShadowColor.reset();
    _originalShadowOffset = {};
    _originalShadowPath.reset();
    _slidingController.reset();
    _referenceView.reset();
    _centerView.reset();
    _centerTapper.reset();
}

}  // namespace zt
