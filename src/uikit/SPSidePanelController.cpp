// The side-panel container's model: initialisers, properties, sizes and
// ledges, geometry and the delegate fan-out.
#include "uikit/SPSidePanelController.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Application.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "uikit/SPWrapController.h"

namespace zt {

namespace {

bool isSide(uint32_t side)
{
    return side >= SPSidePanelSideLeft && side <= SPSidePanelSideBottom;
}

}  // namespace

SPSidePanelController::SPSidePanelController()
{
    commonInitWithCenterViewController(nullptr);
}

SPSidePanelController::SPSidePanelController(std::string nibName)
    : plat::ViewController(std::move(nibName))
{
    commonInitWithCenterViewController(nullptr);
}

void SPSidePanelController::commonInitWithCenterViewController(std::shared_ptr<plat::ViewController> center)
{
    // The remaining defaults are the members' initial values.
    if (center)
        setCenterController(std::move(center));
    for (uint32_t side = SPSidePanelSideLeft; side <= SPSidePanelSideBottom; ++side)
        _ledge[side] = kDefaultLedge;
}

std::shared_ptr<SPSidePanelController> SPSidePanelController::initWithCenterViewController(
    std::shared_ptr<plat::ViewController> center)
{
    auto container = std::make_shared<SPSidePanelController>();
    container->setCenterController(std::move(center));
    return container;
}

std::shared_ptr<SPSidePanelController> SPSidePanelController::initWithCenterViewControllerLeftViewController(
    std::shared_ptr<plat::ViewController> center, std::shared_ptr<plat::ViewController> left)
{
    return initWithCenterViewControllerLeftViewControllerRightViewControllerTopViewControllerBottomViewController(
        std::move(center), std::move(left), nullptr, nullptr, nullptr);
}

std::shared_ptr<SPSidePanelController> SPSidePanelController::initWithCenterViewControllerRightViewController(
    std::shared_ptr<plat::ViewController> center, std::shared_ptr<plat::ViewController> right)
{
    return initWithCenterViewControllerLeftViewControllerRightViewControllerTopViewControllerBottomViewController(
        std::move(center), nullptr, std::move(right), nullptr, nullptr);
}

std::shared_ptr<SPSidePanelController>
SPSidePanelController::initWithCenterViewControllerLeftViewControllerRightViewController(
    std::shared_ptr<plat::ViewController> center, std::shared_ptr<plat::ViewController> left,
    std::shared_ptr<plat::ViewController> right)
{
    return initWithCenterViewControllerLeftViewControllerRightViewControllerTopViewControllerBottomViewController(
        std::move(center), std::move(left), std::move(right), nullptr, nullptr);
}

std::shared_ptr<SPSidePanelController> SPSidePanelController::initWithCenterViewControllerTopViewController(
    std::shared_ptr<plat::ViewController> center, std::shared_ptr<plat::ViewController> top)
{
    return initWithCenterViewControllerLeftViewControllerRightViewControllerTopViewControllerBottomViewController(
        std::move(center), nullptr, nullptr, std::move(top), nullptr);
}

std::shared_ptr<SPSidePanelController> SPSidePanelController::initWithCenterViewControllerBottomViewController(
    std::shared_ptr<plat::ViewController> center, std::shared_ptr<plat::ViewController> bottom)
{
    return initWithCenterViewControllerLeftViewControllerRightViewControllerTopViewControllerBottomViewController(
        std::move(center), nullptr, nullptr, nullptr, std::move(bottom));
}

std::shared_ptr<SPSidePanelController>
SPSidePanelController::initWithCenterViewControllerTopViewControllerBottomViewController(
    std::shared_ptr<plat::ViewController> center, std::shared_ptr<plat::ViewController> top,
    std::shared_ptr<plat::ViewController> bottom)
{
    return initWithCenterViewControllerLeftViewControllerRightViewControllerTopViewControllerBottomViewController(
        std::move(center), nullptr, nullptr, std::move(top), std::move(bottom));
}

std::shared_ptr<SPSidePanelController> SPSidePanelController::
    initWithCenterViewControllerLeftViewControllerRightViewControllerTopViewControllerBottomViewController(
        std::shared_ptr<plat::ViewController> center, std::shared_ptr<plat::ViewController> left,
        std::shared_ptr<plat::ViewController> right, std::shared_ptr<plat::ViewController> top,
        std::shared_ptr<plat::ViewController> bottom)
{
    auto container = initWithCenterViewController(std::move(center));
    container->setLeftController(std::move(left));
    container->setRightController(std::move(right));
    container->setTopController(std::move(top));
    container->setBottomController(std::move(bottom));
    return container;
}

// Controllers

std::vector<std::shared_ptr<plat::ViewController>> SPSidePanelController::controllers() const
{
    std::vector<std::shared_ptr<plat::ViewController>> all;
    if (_centerController)
        all.push_back(_centerController);
    for (uint32_t side = SPSidePanelSideLeft; side <= SPSidePanelSideBottom; ++side)
        if (_controllers[side])
            all.push_back(_controllers[side]);
    return all;
}

void SPSidePanelController::setLeftController(std::shared_ptr<plat::ViewController> controller)
{
    setController(std::move(controller), SPSidePanelSideLeft);
}

void SPSidePanelController::setRightController(std::shared_ptr<plat::ViewController> controller)
{
    setController(std::move(controller), SPSidePanelSideRight);
}

void SPSidePanelController::setTopController(std::shared_ptr<plat::ViewController> controller)
{
    setController(std::move(controller), SPSidePanelSideTop);
}

void SPSidePanelController::setBottomController(std::shared_ptr<plat::ViewController> controller)
{
    setController(std::move(controller), SPSidePanelSideBottom);
}

std::shared_ptr<plat::ViewController> SPSidePanelController::controllerForSide(uint32_t side) const
{
    return isSide(side) ? _controllers[side] : nullptr;
}

uint32_t SPSidePanelController::sideForController(const plat::ViewController* controller) const
{
    for (uint32_t side = SPSidePanelSideLeft; side <= SPSidePanelSideBottom; ++side)
        if (_controllers[side].get() == controller)
            return side;
    return kSPSidePanelNoSide;
}

uint32_t SPSidePanelController::oppositeOfSide(uint32_t side)
{
    switch (side) {
    case SPSidePanelSideLeft:
        return SPSidePanelSideRight;
    case SPSidePanelSideRight:
        return SPSidePanelSideLeft;
    case SPSidePanelSideTop:
        return SPSidePanelSideBottom;
    case SPSidePanelSideBottom:
        return SPSidePanelSideTop;
    default:
        return SPSidePanelSideNone;
    }
}

uint32_t SPSidePanelController::orientationOfSide(uint32_t side)
{
    switch (side) {
    case SPSidePanelSideLeft:
    case SPSidePanelSideRight:
        return SPSidePanelOrientationHorizontal;
    case SPSidePanelSideTop:
    case SPSidePanelSideBottom:
        return SPSidePanelOrientationVertical;
    default:
        return SPSidePanelOrientationNone;
    }
}

void SPSidePanelController::doForControllers(const ControllerBlock& block) const
{
    if (!block)
        return;
    for (uint32_t side = SPSidePanelSideLeft; side <= SPSidePanelSideBottom; ++side)
        block(_controllers[side], side);
}

// Behaviour and durations

void SPSidePanelController::setPanningView(std::shared_ptr<plat::View> view)
{
    if (view == _panningView)
        return;
    _panningView = std::move(view);
    if (_viewFirstAppeared && _panningMode == SPSidePanelPanningModePanningView)
        setNeedsAddPanners();
}

void SPSidePanelController::setPanningMode(uint32_t mode)
{
    _panningMode = mode;
    if (_viewFirstAppeared)
        setNeedsAddPanners();
}

void SPSidePanelController::setPanningCancelsTouchesInView(bool cancels)
{
    _panningCancelsTouchesInView = cancels;
    for (const auto& panner : _panners)
        panner->setCancelsTouchesInView(cancels);
}

void SPSidePanelController::setCenterhiddenInteractivity(uint32_t interactivity)
{
    _centerhiddenInteractivity = interactivity;
    if (!isAnySideOpen())
        return;
    if (interactivity != SPSidePanelCenterHiddenInteractive)
        centerViewHidden();
    else
        centerViewVisible();
}

void SPSidePanelController::setNavigationControllerBehavior(uint32_t behavior)
{
    if (_viewFirstAppeared)
        plat::detail::fatal("Cannot set navigationcontroller behavior when the side panel is already showing.");
    _navigationControllerBehavior = behavior;
}

void SPSidePanelController::setBounceDurationFactor(double factor)
{
    if (std::isnan(factor))
        return;
    _bounceDurationFactor = std::clamp(factor, 0.0, kMaximumBounceDurationFactor);
}

void SPSidePanelController::setBounceOpenSideDurationFactor(double factor)
{
    if (!std::isnan(factor))
        _bounceOpenSideDurationFactor = std::max(factor, 0.0);
}

void SPSidePanelController::setOpenSlideAnimationDuration(double seconds)
{
    if (!std::isnan(seconds))
        _openSlideAnimationDuration = std::max(seconds, 0.0);
}

void SPSidePanelController::setCloseSlideAnimationDuration(double seconds)
{
    if (!std::isnan(seconds))
        _closeSlideAnimationDuration = std::max(seconds, 0.0);
}

void SPSidePanelController::setParallaxAmount(double amount)
{
    if (!std::isnan(amount))
        _parallaxAmount = amount;
}

void SPSidePanelController::setCenterTapperAccessibilityLabel(std::string label)
{
    if (label == _centerTapperAccessibilityLabel)
        return;
    _centerTapperAccessibilityLabel = std::move(label);
    setAccessibilityForCenterTapper();
}

void SPSidePanelController::setCenterTapperAccessibilityHint(std::string hint)
{
    if (hint == _centerTapperAccessibilityHint)
        return;
    _centerTapperAccessibilityHint = std::move(hint);
    setAccessibilityForCenterTapper();
}

// Sizes and ledges

double SPSidePanelController::extentForOrientation(uint32_t orientation) const
{
    const plat::Rect bounds = referenceBounds();
    return orientation == SPSidePanelOrientationHorizontal ? bounds.width() : bounds.height();
}

double SPSidePanelController::sizeAsLedge(double size, uint32_t side) const
{
    if (_sizeMode == SPSidePanelSizeModeLedge)
        return size;
    const bool horizontal = side == SPSidePanelSideLeft || side == SPSidePanelSideRight;
    return extentForOrientation(horizontal ? SPSidePanelOrientationHorizontal : SPSidePanelOrientationVertical) - size;
}

double SPSidePanelController::ledgeAsSize(double ledge, uint32_t mode, uint32_t side) const
{
    if (mode == SPSidePanelSizeModeLedge)
        return ledge;
    const bool horizontal = side == SPSidePanelSideLeft || side == SPSidePanelSideRight;
    return extentForOrientation(horizontal ? SPSidePanelOrientationHorizontal : SPSidePanelOrientationVertical) - ledge;
}

double SPSidePanelController::sizeForSide(uint32_t side) const
{
    return isSide(side) ? ledgeAsSize(_ledge[side], side) : 0;
}

void SPSidePanelController::setLeftSize(double size, Completion completion)
{
    setSize(size, SPSidePanelSideLeft, std::move(completion));
}

void SPSidePanelController::setRightSize(double size, Completion completion)
{
    setSize(size, SPSidePanelSideRight, std::move(completion));
}

void SPSidePanelController::setTopSize(double size, Completion completion)
{
    setSize(size, SPSidePanelSideTop, std::move(completion));
}

void SPSidePanelController::setBottomSize(double size, Completion completion)
{
    setSize(size, SPSidePanelSideBottom, std::move(completion));
}

double SPSidePanelController::offsetForLedge(double ledge, uint32_t side) const
{
    const plat::Rect bounds = referenceBounds();
    switch (side) {
    case SPSidePanelSideLeft:
        return bounds.width() - ledge;
    case SPSidePanelSideRight:
        return ledge - bounds.width();
    case SPSidePanelSideTop:
        return bounds.height() - ledge;
    case SPSidePanelSideBottom:
        return ledge - bounds.height();
    default:
        return 0;
    }
}

double SPSidePanelController::ledgeOffsetForSide(uint32_t side) const
{
    return isSide(side) ? offsetForLedge(_ledge[side], side) : 0;
}

void SPSidePanelController::setSize(double size, uint32_t side, Completion completion)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!isSide(side))
        return;
    if (!std::isfinite(size)) {
        plat::log("SPSidePanelController: size {} for side {} ignored", size, side);
        return;
    }
    const double oldLedge = _ledge[side];
    const double newLedge = std::max(sizeAsLedge(size, side), 0.0);
    if (_viewFirstAppeared && slidingControllerView()
        && positionOfSlidingView(orientationOfSide(side)) - offsetForLedge(oldLedge, side) == 0
        && newLedge != oldLedge) {
        // The side is exactly open: it follows its new ledge.
        const double target = offsetForLedge(newLedge, side);
        const uint32_t orientation = orientationOfSide(side);
        const double duration = newLedge < oldLedge ? closeSlideDuration(true) : openSlideDuration(true);
        auto weakSelf = std::weak_ptr<SPSidePanelController>(sharedAs<SPSidePanelController>());
        plat::View::animateWithDuration(
            duration,
            [weakSelf, target, orientation] {
                if (auto self = weakSelf.lock())
                    self->setSlidingFrameForOffset(target, orientation);
            },
            [weakSelf, completion](bool finished) {
                auto self = weakSelf.lock();
                if (self && completion)
                    completion(*self, finished);
            });
    }
    // The completion belongs to the slide: without one it is not called.
    setLedgeValue(newLedge, side);
}

void SPSidePanelController::setLedgeValue(double ledge, uint32_t side)
{
    if (!isSide(side) || std::isnan(ledge))
        return;
    if (_maxLedge > 0 && _maxLedge < ledge)
        ledge = _maxLedge;
    ledge = performDelegateLedge(ledge, side);
    _ledge[side] = std::isfinite(ledge) ? std::max(ledge, 0.0) : _ledge[side];
}

void SPSidePanelController::setMaxSize(double size, Completion completion)
{
    if (!std::isfinite(size)) {
        plat::log("SPSidePanelController: maximum size {} ignored", size);
        return;
    }
    int sideControllers = 0;
    for (uint32_t side = SPSidePanelSideLeft; side <= SPSidePanelSideBottom; ++side)
        sideControllers += _controllers[side] ? 1 : 0;
    if (sideControllers >= 2) {
        plat::log("SPSidePanelController: warning: setting maxLedge with more than one side controllers. Value will "
                  "be ignored.");
        return;
    }
    for (uint32_t side = SPSidePanelSideLeft; side <= SPSidePanelSideBottom; ++side) {
        if (!_controllers[side])
            continue;
        _maxLedge = std::max(sizeAsLedge(size, side), 0.0);
        if (_ledge[side] > _maxLedge)
            setSize(size, side, completion);
        setSlidingFrameForOffset(_offset, orientationOfSide(side));
    }
}

// Geometry

plat::Rect SPSidePanelController::referenceBounds() const
{
    if (auto reference = _referenceView.lock())
        return reference->bounds();
    return plat::Screen::mainScreen().bounds();
}

double SPSidePanelController::statusBarHeight() const
{
    // The bar's thickness, whichever way its frame is measured (across the
    // screen, or along the device's long side in landscape).
    const plat::Rect bar = plat::Application::sharedApplication().statusBarFrame();
    return std::min(bar.width(), bar.height());
}

double SPSidePanelController::relativeStatusBarHeight() const
{
    auto reference = _referenceView.lock();
    return reference && dynamic_cast<plat::Window*>(reference.get()) ? statusBarHeight() : 0;
}

std::shared_ptr<plat::NavigationController> SPSidePanelController::ownNavigationController()
{
    return navigationController();
}

plat::Rect SPSidePanelController::centerViewBounds() const
{
    plat::Rect bounds = referenceBounds();
    if (_navigationControllerBehavior == SPSidePanelNavigationControllerContained)
        return bounds;
    bounds.size.height -= relativeStatusBarHeight();
    // Finding the navigation controller goes through the controller look-ups, which are not const.
    auto* self = const_cast<SPSidePanelController*>(this);
    if (auto navigation = self->ownNavigationController(); navigation && !navigation->isNavigationBarHidden())
        bounds.size.height -= navigation->navigationBar()->frame().height();
    bounds.size.height = std::max(bounds.size.height, 0.0);
    return bounds;
}

plat::Rect SPSidePanelController::sideViewBounds() const
{
    plat::Rect bounds = referenceBounds();
    if (_navigationControllerBehavior == SPSidePanelNavigationControllerContained)
        return bounds;
    const double bar = relativeStatusBarHeight();
    bounds.origin.y += bar;
    bounds.size.height = std::max(bounds.size.height - bar, 0.0);
    return bounds;
}

// Delegate fan-out

std::vector<SPSidePanelControllerDelegate*> SPSidePanelController::delegateListeners()
{
    std::vector<SPSidePanelControllerDelegate*> listeners;
    auto delegate = _delegate.lock();
    if (delegate)
        listeners.push_back(delegate.get());
    if (_delegateMode == 0)
        return listeners;
    for (const auto& controller : controllers()) {
        auto* adopted = respondingTo<SPSidePanelControllerDelegate>(*controller);
        if (adopted && adopted != delegate.get()) {
            listeners.push_back(adopted);
            continue;
        }
        if (auto navigation = controller->asNavigationController()) {
            auto top = navigation->topViewController();
            auto* topAdopted = top ? respondingTo<SPSidePanelControllerDelegate>(*top) : nullptr;
            if (topAdopted && topAdopted != delegate.get())
                listeners.push_back(topAdopted);
        }
    }
    return listeners;
}

bool SPSidePanelController::checkDelegate(
    const std::function<std::optional<bool>(SPSidePanelControllerDelegate&)>& question)
{
    auto self = weak_from_this().lock();
    auto delegate = _delegate.lock();
    bool answer = true;
    if (delegate)
        answer = question(*delegate).value_or(true);
    if (_delegateMode == 0)
        return answer;
    // The children answer too; each that implements the question can say no.
    for (const auto& controller : controllers()) {
        auto* adopted = respondingTo<SPSidePanelControllerDelegate>(*controller);
        if (adopted && adopted != delegate.get()) {
            if (auto childAnswer = question(*adopted)) {
                answer = answer && *childAnswer;
                continue;
            }
        }
        if (auto navigation = controller->asNavigationController()) {
            auto top = navigation->topViewController();
            auto* topAdopted = top ? respondingTo<SPSidePanelControllerDelegate>(*top) : nullptr;
            if (topAdopted && topAdopted != delegate.get()) {
                if (auto topAnswer = question(*topAdopted))
                    answer = answer && *topAnswer;
            }
        }
    }
    return answer;
}

void SPSidePanelController::performDelegate(const std::function<void(SPSidePanelControllerDelegate&)>& message)
{
    auto self = weak_from_this().lock();
    auto delegate = _delegate.lock();  // kept while the listeners hear
    auto children = controllers();
    for (auto* listener : delegateListeners())
        message(*listener);
}

double SPSidePanelController::performDelegateLedge(double ledge, uint32_t side)
{
    auto self = weak_from_this().lock();
    auto delegate = _delegate.lock();
    auto children = controllers();
    for (auto* listener : delegateListeners()) {
        if (auto changed = listener->sidePanelControllerChangesLedgeForSide(*this, ledge, side))
            ledge = *changed;
    }
    return ledge;
}

}  // namespace zt
