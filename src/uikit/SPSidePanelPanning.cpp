// The side-panel container's panning: recognisers on the views the panning
// mode names, whether a pan may begin, the finger's offset with its elastic
// pull, the release that opens or closes, and the parallax of the side panels.
#include <algorithm>
#include <cmath>

#include "platform/ui/Button.h"
#include "platform/ui/Layer.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Touch.h"
#include "uikit/SPSidePanelController.h"

namespace zt {

namespace {

constexpr double kReleaseDurationFactor = 1.25;
constexpr double kTakeOverBounceSeconds = 0.3;
constexpr uint64_t kSlideOptions = plat::ViewAnimationOptionLayoutSubviews
    | plat::ViewAnimationOptionBeginFromCurrentState | plat::ViewAnimationOptionCurveEaseInOut;

bool isActive(const plat::GestureRecognizer& recognizer)
{
    return recognizer.state() == plat::GestureRecognizerState::Began
        || recognizer.state() == plat::GestureRecognizerState::Changed;
}

}  // namespace

// Recognisers

void SPSidePanelController::addPanner(const std::shared_ptr<plat::View>& view)
{
    if (!view)
        return;
    auto panner = std::make_shared<plat::PanGestureRecognizer>();
    void (SPSidePanelController::*action)(plat::PanGestureRecognizer&) = &SPSidePanelController::panned;
    panner->addTarget(this, action);
    panner->setCancelsTouchesInView(_panningCancelsTouchesInView);
    panner->setDelegate(std::weak_ptr<plat::GestureRecognizerDelegate>(sharedAs<SPSidePanelController>()));
    view->addGestureRecognizer(panner);
    _panners.push_back(std::move(panner));
}

std::shared_ptr<plat::View> SPSidePanelController::navigationBarToPan(
    const std::shared_ptr<plat::NavigationController>& navigation)
{
    if (!navigation || navigation->isNavigationBarHidden())
        return nullptr;
    return navigation->navigationBar();
}

void SPSidePanelController::addPanners()
{
    removePanners();
    switch (_panningMode) {
    case SPSidePanelPanningModeFullView:
    case SPSidePanelPanningModeFullViewAskingDelegate:
    case SPSidePanelPanningModeFullViewNavigationBarWhenClosed:
        addPanner(slidingControllerView());
        addPanner(_centerTapper);
        addPanner(navigationBarToPan(navigationController()));
        break;
    case SPSidePanelPanningModeNavigationBars:
        addPanner(navigationBarToPan(navigationController()));
        if (_centerController) {
            addPanner(navigationBarToPan(_centerController->navigationController()));
            addPanner(navigationBarToPan(_centerController->asNavigationController()));
        }
        break;
    case SPSidePanelPanningModePanningView:
        addPanner(_panningView);
        break;
    case SPSidePanelPanningModeContainerView:
        if (isViewLoaded())
            addPanner(view());
        break;
    default:
        break;
    }
}

void SPSidePanelController::removePanners()
{
    for (const auto& panner : _panners)
        if (auto view = panner->view())
            view->removeGestureRecognizer(*panner);
    _panners.clear();
}

bool SPSidePanelController::hasActivePanner() const
{
    return std::any_of(_panners.begin(), _panners.end(), [](const auto& panner) { return isActive(*panner); });
}

void SPSidePanelController::setNeedsAddPanners()
{
    if (_needsAddPannersIfAllPannersAreInactive)
        return;
    if (!hasActivePanner())
        addPanners();
    else
        _needsAddPannersIfAllPannersAreInactive = true;
}

void SPSidePanelController::addPannersIfAllPannersAreInactiveAndNeeded()
{
    if (!_needsAddPannersIfAllPannersAreInactive || hasActivePanner())
        return;
    addPanners();
    _needsAddPannersIfAllPannersAreInactive = false;
}

// Recogniser delegate

bool SPSidePanelController::gestureRecognizerShouldReceiveTouch(plat::GestureRecognizer& recognizer, plat::Touch& touch)
{
    if (auto other = _panningGestureDelegate.lock()) {
        if (!other->gestureRecognizerShouldReceiveTouch(recognizer, touch))
            return false;
    }
    if (dynamic_cast<plat::Slider*>(touch.view().get()))
        return false;
    _panOrigin = slidingFrame().origin;
    return true;
}

bool SPSidePanelController::gestureRecognizerShouldRecognizeSimultaneouslyWithGestureRecognizer(
    plat::GestureRecognizer& recognizer, plat::GestureRecognizer& other)
{
    if (auto delegate = _panningGestureDelegate.lock())
        return delegate->gestureRecognizerShouldRecognizeSimultaneouslyWithGestureRecognizer(recognizer, other);
    return false;
}

bool SPSidePanelController::gestureRecognizerShouldBegin(plat::GestureRecognizer& recognizer)
{
    auto* panner = dynamic_cast<plat::PanGestureRecognizer*>(&recognizer);
    if (!panner)
        return true;
    auto sliding = slidingControllerView();
    if (_panningMode == SPSidePanelPanningModeFullViewNavigationBarWhenClosed && sliding
        && recognizer.view() == sliding) {
        if (isAnySideOpen())
            return true;
        std::shared_ptr<plat::NavigationController> navigation;
        if (_centerController) {
            navigation = _centerController->asNavigationController();
            if (!navigation)
                navigation = _centerController->navigationController();
        }
        if (!navigation)
            return false;
        auto bar = navigation->navigationBar();
        return bar->bounds().contains(recognizer.locationInView(bar.get()));
    }
    if (auto other = _panningGestureDelegate.lock()) {
        if (!other->gestureRecognizerShouldBegin(recognizer))
            return false;
    }
    auto reference = _referenceView.lock();
    const plat::Point velocity = panner->velocityInView(reference.get());
    const uint32_t orientation = std::fabs(velocity.x) >= std::fabs(velocity.y) ? SPSidePanelOrientationHorizontal
                                                                                : SPSidePanelOrientationVertical;
    if (_panningMode == SPSidePanelPanningModeFullViewAskingDelegate) {
        if (auto delegate = _delegate.lock()) {
            if (!delegate->sidePanelControllerShouldPan(*this, *panner).value_or(true))
                return false;
        }
    }
    if (positionOfSlidingView(orientation) != 0)
        return true;
    const double location = locationOfPanner(*panner, orientation);
    const bool horizontal = orientation == SPSidePanelOrientationHorizontal;
    if (location > 0)
        return checkCanOpenSide(horizontal ? SPSidePanelSideLeft : SPSidePanelSideTop);
    if (location < 0)
        return checkCanOpenSide(horizontal ? SPSidePanelSideRight : SPSidePanelSideBottom);
    return true;
}

// Following the finger

void SPSidePanelController::panned(plat::PanGestureRecognizer& recognizer)
{
    if (!_enabled)
        return;
    uint32_t orientation = _offsetOrientation;
    if (_offset == 0 && recognizer.state() == plat::GestureRecognizerState::Began) {
        auto reference = _referenceView.lock();
        const plat::Point velocity = recognizer.velocityInView(reference.get());
        orientation = std::fabs(velocity.x) >= std::fabs(velocity.y) ? SPSidePanelOrientationHorizontal
                                                                     : SPSidePanelOrientationVertical;
    }
    panned(recognizer, orientation);
}

double SPSidePanelController::locationOfPanner(plat::PanGestureRecognizer& recognizer, uint32_t orientation) const
{
    const bool horizontal = orientation == SPSidePanelOrientationHorizontal;
    const uint32_t positiveSide = horizontal ? SPSidePanelSideLeft : SPSidePanelSideTop;
    const uint32_t negativeSide = horizontal ? SPSidePanelSideRight : SPSidePanelSideBottom;
    auto reference = _referenceView.lock();
    const plat::Point translation = recognizer.translationInView(reference.get());
    double raw = horizontal ? translation.x + _panOrigin.x : translation.y + _panOrigin.y;
    if (!_controllers[positiveSide] && raw > 0)
        raw = 0;
    if (!_controllers[negativeSide] && raw < 0)
        raw = 0;
    const double extent = extentForOrientation(orientation);
    double clamped = std::min(raw, extent - _ledge[positiveSide]);
    clamped = std::max(clamped, _ledge[negativeSide] - extent);
    double result = clamped;
    if (_elastic) {
        const double excess = std::fabs(raw) - std::fabs(clamped);
        if (excess > 0) {
            // Beyond the limit the panel follows ever more slowly.
            const double pull = 2 * excess / static_cast<double>(std::log(static_cast<float>(excess + 1)));
            result = clamped + std::copysign(pull, raw);
        } else {
            result = raw;
        }
    }
    return limitOffset(result, orientation);
}

void SPSidePanelController::panned(plat::PanGestureRecognizer& recognizer, uint32_t orientation)
{
    auto self = sharedAs<SPSidePanelController>();
    const bool horizontal = orientation == SPSidePanelOrientationHorizontal;
    const uint32_t positiveSide = horizontal ? SPSidePanelSideLeft : SPSidePanelSideTop;
    const uint32_t negativeSide = horizontal ? SPSidePanelSideRight : SPSidePanelSideBottom;
    setParallax();
    const double position = positionOfSlidingView(orientation);
    const double next = locationOfPanner(recognizer, orientation);

    // Crossing the closed position: one side closes, the other may open.
    uint32_t closingSide = SPSidePanelSideNone;
    uint32_t openingSide = SPSidePanelSideNone;
    if (position <= 0 && next >= 0 && position != next) {
        if (position < 0) {
            if (!checkCanCloseSide(negativeSide))
                return;
            notifyWillCloseSide(negativeSide, /*animated=*/false);
            closingSide = negativeSide;
        }
        if (next > 0) {
            if (!checkCanOpenSide(positiveSide)) {
                closeSideView(negativeSide, /*animated=*/false, nullptr);
                return;
            }
            notifyWillOpenSide(positiveSide, /*animated=*/false);
            openingSide = positiveSide;
        }
    } else if (position >= 0 && next <= 0 && position != next) {
        if (position > 0) {
            if (!checkCanCloseSide(positiveSide))
                return;
            notifyWillCloseSide(positiveSide, /*animated=*/false);
            closingSide = positiveSide;
        }
        if (next < 0) {
            if (!checkCanOpenSide(negativeSide)) {
                closeSideView(positiveSide, /*animated=*/false, nullptr);
                return;
            }
            notifyWillOpenSide(negativeSide, /*animated=*/false);
            openingSide = negativeSide;
        }
    }

    auto sliding = slidingControllerView();
    if (sliding && sliding->layer()->animationForKey(kPreviewBounceAnimationKey)) {
        // The pan takes over from where the bounce shows the view now.
        sliding->setFrame(sliding->layer()->presentationProperties().frame());
        sliding->layer()->removeAnimationForKey(kPreviewBounceAnimationKey);
        std::weak_ptr<SPSidePanelController> weakSelf = self;
        plat::View::animateWithDuration(
            kTakeOverBounceSeconds, 0, kSlideOptions,
            [weakSelf, next, orientation] {
                if (auto inner = weakSelf.lock())
                    inner->panToSlidingFrameForOffset(next, orientation);
            },
            nullptr);
    } else {
        panToSlidingFrameForOffset(next, orientation);
    }

    const auto state = recognizer.state();
    if (state == plat::GestureRecognizerState::Ended || state == plat::GestureRecognizerState::Cancelled
        || state == plat::GestureRecognizerState::Failed) {
        const double now = positionOfSlidingView(orientation);
        if (now == 0)
            centerViewVisible();
        else
            centerViewHidden();
        auto reference = _referenceView.lock();
        const plat::Point velocity2D = recognizer.velocityInView(reference.get());
        const double velocity = horizontal ? velocity2D.x : velocity2D.y;
        const double extent = extentForOrientation(orientation);
        if (std::fabs(velocity) < kFlingVelocity) {
            const double positiveOpen = extent - _ledge[positiveSide];
            const double negativeOpen = _ledge[negativeSide] - extent;
            if (next >= positiveOpen - positiveOpen / 3)
                openSideView(positiveSide, /*animated=*/true, nullptr);
            else if (next <= (extent - _ledge[negativeSide]) / 3 + negativeOpen)
                openSideView(negativeSide, /*animated=*/true, nullptr);
            else
                closeOpenView();
        } else {
            // The time the rest of the way takes at the finger's speed, along the panel's own axis.
            const float speed = std::fabs(static_cast<float>(velocity));
            const float at = static_cast<float>(now);
            if (velocity <= -kFlingVelocity) {
                const double duration = std::fabs(at / speed * static_cast<float>(kReleaseDurationFactor));
                if (next < 0)
                    openSideView(negativeSide, /*animated=*/true, duration, nullptr);
                else
                    closeOpenViewAnimated(/*animated=*/true, duration, nullptr);
            } else {
                const double containerExtent = horizontal ? view()->bounds().width() : view()->bounds().height();
                const float remaining = static_cast<float>(containerExtent - sizeForSide(positiveSide)) - at;
                const double duration = std::fabs(remaining) / speed * static_cast<float>(kReleaseDurationFactor);
                if (next > 0)
                    openSideView(positiveSide, /*animated=*/true, duration, nullptr);
                else
                    closeOpenViewAnimated(/*animated=*/true, duration, nullptr);
            }
        }
    } else {
        hideAppropriateSideViews();
    }

    setAccessibilityForCenterTapper();
    notifyDidCloseSide(closingSide, /*animated=*/false);
    notifyDidOpenSide(openingSide, /*animated=*/false);
    addPannersIfAllPannersAreInactiveAndNeeded();
}

// Parallax

void SPSidePanelController::setParallax()
{
    if (!(_parallaxAmount > 0))
        return;
    if (auto left = _controllers[SPSidePanelSideLeft]; left && left->isViewLoaded())
        left->view()->setFrame(getLeftParallax());
    if (auto right = _controllers[SPSidePanelSideRight]; right && right->isViewLoaded())
        right->view()->setFrame(getRightParallax());
}

plat::Rect SPSidePanelController::getLeftParallax() const
{
    const auto& left = _controllers[SPSidePanelSideLeft];
    if (!left || !left->isViewLoaded())
        return {};
    const plat::Rect sliding = slidingFrame();
    plat::Rect frame = left->view()->frame();
    frame.origin.x = _parallaxAmount * std::min(0.0, sliding.minX() - (sliding.width() - _ledge[SPSidePanelSideLeft]));
    return frame;
}

plat::Rect SPSidePanelController::getRightParallax() const
{
    const auto& right = _controllers[SPSidePanelSideRight];
    if (!right || !right->isViewLoaded())
        return {};
    const plat::Rect sliding = slidingFrame();
    plat::Rect frame = right->view()->frame();
    frame.origin.x = _parallaxAmount * std::max(0.0, sliding.minX() + sliding.width() - _ledge[SPSidePanelSideRight]);
    return frame;
}

}  // namespace zt
