// The side-panel container's sliding: offsets and frames, side states,
// opening, closing, toggling, bouncing, the preview bounce, the centre's
// cover and the side controllers' appearance.
#include <algorithm>
#include <cmath>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/KeyframeAnimation.h"
#include "platform/ui/Layer.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Transaction.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "uikit/RectOperations.h"
#include "uikit/SPSidePanelController.h"
#include "uikit/SPSidePanelView.h"

namespace zt {

namespace {

// Animation options with the platform's values: layout subviews and begin
// from the current state with the ease-in-out curve, and its variants.
constexpr uint64_t kSlideOptions = plat::ViewAnimationOptionLayoutSubviews
    | plat::ViewAnimationOptionBeginFromCurrentState | plat::ViewAnimationOptionCurveEaseInOut;
constexpr uint64_t kSlideEaseInOptions = kSlideOptions | plat::ViewAnimationOptionCurveEaseIn;
constexpr uint64_t kSlideEaseOutOptions = kSlideOptions | plat::ViewAnimationOptionCurveEaseOut;
constexpr uint64_t kLayoutEaseInOptions
    = plat::ViewAnimationOptionLayoutSubviews | plat::ViewAnimationOptionCurveEaseIn;
constexpr uint64_t kLayoutEaseOutOptions
    = plat::ViewAnimationOptionLayoutSubviews | plat::ViewAnimationOptionCurveEaseOut;

bool isSide(uint32_t side)
{
    return side >= SPSidePanelSideLeft && side <= SPSidePanelSideBottom;
}

}  // namespace

// Offsets and frames

plat::Rect SPSidePanelController::slidingFrame() const
{
    if (auto sliding = slidingControllerView())
        return sliding->frame();
    return slidingRectForOffset(_offset, _offsetOrientation);
}

double SPSidePanelController::positionOfSlidingView(uint32_t orientation) const
{
    const plat::Rect frame = slidingFrame();
    return orientation == SPSidePanelOrientationVertical ? frame.minY() : frame.minX();
}

double SPSidePanelController::limitOffset(double offset, uint32_t orientation) const
{
    const bool horizontal = orientation == SPSidePanelOrientationHorizontal;
    const auto& positive = _controllers[horizontal ? SPSidePanelSideLeft : SPSidePanelSideTop];
    const auto& negative = _controllers[horizontal ? SPSidePanelSideRight : SPSidePanelSideBottom];
    if (orientation != SPSidePanelOrientationHorizontal && orientation != SPSidePanelOrientationVertical)
        return offset;
    const double extent = extentForOrientation(orientation);
    if (positive && negative)
        return offset;
    if (positive && _maxLedge > 0)
        return std::min(offset, extent - _maxLedge);
    if (negative && _maxLedge > 0)
        return std::max(offset, _maxLedge - extent);
    return offset;
}

plat::Size SPSidePanelController::slidingSizeForOffset(double offset, uint32_t orientation) const
{
    if (!_resizesCenterView)
        return referenceBounds().size;
    offset = limitOffset(offset, orientation);
    plat::Size size = centerViewBounds().size;
    if (orientation == SPSidePanelOrientationVertical)
        size.height = std::max(size.height - std::fabs(offset), 0.0);
    else
        size.width = std::max(size.width - std::fabs(offset), 0.0);
    return size;
}

plat::Rect SPSidePanelController::slidingRectForOffset(double offset, uint32_t orientation) const
{
    const double limited = limitOffset(offset, orientation);
    const double position = _resizesCenterView && limited < 0 ? 0 : limited;
    const plat::Point origin
        = orientation == SPSidePanelOrientationVertical ? plat::Point {0, position} : plat::Point {position, 0};
    return {origin, slidingSizeForOffset(limited, orientation)};
}

void SPSidePanelController::setSlidingFrameForOffset(double offset, uint32_t orientation)
{
    setSlidingFrameForOffset(offset, /*limit=*/true, /*panning=*/false, orientation);
}

void SPSidePanelController::setSlidingFrameForOffset(double offset, bool limit, uint32_t orientation)
{
    setSlidingFrameForOffset(offset, limit, /*panning=*/false, orientation);
}

void SPSidePanelController::panToSlidingFrameForOffset(double offset, uint32_t orientation)
{
    setSlidingFrameForOffset(offset, /*limit=*/true, /*panning=*/true, orientation);
}

void SPSidePanelController::setSlidingFrameForOffset(double offset, bool limit, bool panning, uint32_t orientation)
{
    if (!std::isfinite(offset)
        || (orientation != SPSidePanelOrientationHorizontal && orientation != SPSidePanelOrientationVertical))
        return;
    const double old = _offset;
    _offset = limit ? limitOffset(offset, orientation) : offset;
    _offsetOrientation = orientation;
    if (auto sliding = slidingControllerView())
        sliding->setFrame(slidingRectForOffset(_offset, orientation));
    if (_offset != old)
        notifyDidChangeOffset(_offset, orientation, panning);
    setParallax();
}

void SPSidePanelController::hideAppropriateSideViews()
{
    const plat::Rect frame = slidingFrame();
    const plat::Rect bounds = referenceBounds();
    auto hide = [](const std::shared_ptr<plat::ViewController>& controller, bool hidden) {
        if (controller && controller->isViewLoaded())
            controller->view()->setHidden(hidden);
    };
    hide(_controllers[SPSidePanelSideLeft], frame.minX() <= 0);
    hide(_controllers[SPSidePanelSideRight], frame.maxX() >= bounds.width());
    hide(_controllers[SPSidePanelSideTop], frame.minY() <= 0);
    hide(_controllers[SPSidePanelSideBottom], frame.maxY() >= bounds.height());
}

// States

bool SPSidePanelController::isSideClosed(uint32_t side) const
{
    if (!isSide(side) || !_controllers[side])
        return true;
    const plat::Rect frame = slidingFrame();
    const plat::Rect bounds = referenceBounds();
    switch (side) {
    case SPSidePanelSideLeft:
        return frame.minX() <= 0;
    case SPSidePanelSideRight:
        return frame.maxX() >= bounds.width();
    case SPSidePanelSideTop:
        return frame.minY() <= 0;
    default:
        return frame.maxY() >= bounds.height();
    }
}

bool SPSidePanelController::isSideOpen(uint32_t side) const
{
    if (!isSide(side) || !_controllers[side])
        return false;
    const plat::Rect frame = slidingFrame();
    const plat::Rect bounds = referenceBounds();
    switch (side) {
    case SPSidePanelSideLeft:
        return frame.minX() == bounds.width() - _ledge[side];
    case SPSidePanelSideRight:
        return frame.maxX() == _ledge[side];
    case SPSidePanelSideTop:
        return frame.minY() == bounds.height() - _ledge[side];
    default:
        return frame.maxY() == _ledge[side];
    }
}

bool SPSidePanelController::isAnySideOpen() const
{
    for (uint32_t side = SPSidePanelSideLeft; side <= SPSidePanelSideBottom; ++side)
        if (isSideOpen(side))
            return true;
    return false;
}

bool SPSidePanelController::isSideTransitioning(uint32_t side) const
{
    return !isSideClosed(side) && !isSideOpen(side);
}

bool SPSidePanelController::checkCanOpenSide(uint32_t side)
{
    if (isSideOpen(side))
        return false;
    return checkDelegate([this, side](SPSidePanelControllerDelegate& d) {
        return d.sidePanelControllerShouldOpenViewSide(*this, side);
    });
}

bool SPSidePanelController::checkCanCloseSide(uint32_t side)
{
    if (isSideClosed(side))
        return false;
    return checkDelegate([this, side](SPSidePanelControllerDelegate& d) {
        return d.sidePanelControllerShouldCloseViewSide(*this, side);
    });
}

double SPSidePanelController::openSlideDuration(bool animated) const
{
    return animated ? _openSlideAnimationDuration : 0;
}

double SPSidePanelController::closeSlideDuration(bool animated) const
{
    return animated ? _closeSlideAnimationDuration : 0;
}

// Notifications

void SPSidePanelController::notifyWillOpenSide(uint32_t side, bool animated)
{
    if (!isSide(side))
        return;
    notifyAppearanceForSide(side, animated, 0, 1);
    if (isSideClosed(side))
        performDelegate([this, side, animated](SPSidePanelControllerDelegate& d) {
            d.sidePanelControllerWillOpenViewSideAnimated(*this, side, animated);
        });
}

void SPSidePanelController::notifyDidOpenSide(uint32_t side, bool animated)
{
    if (!isSide(side))
        return;
    notifyAppearanceForSide(side, animated, 1, 2);
    if (isSideOpen(side))
        performDelegate([this, side, animated](SPSidePanelControllerDelegate& d) {
            d.sidePanelControllerDidOpenViewSideAnimated(*this, side, animated);
        });
}

void SPSidePanelController::notifyWillCloseSide(uint32_t side, bool animated)
{
    if (!isSide(side))
        return;
    notifyAppearanceForSide(side, animated, 2, 1);
    if (!isSideClosed(side))
        performDelegate([this, side, animated](SPSidePanelControllerDelegate& d) {
            d.sidePanelControllerWillCloseViewSideAnimated(*this, side, animated);
        });
}

void SPSidePanelController::notifyDidCloseSide(uint32_t side, bool animated)
{
    if (!isSide(side))
        return;
    notifyAppearanceForSide(side, animated, 1, 0);
    if (!isSideClosed(side))
        return;
    performDelegate([this, side, animated](SPSidePanelControllerDelegate& d) {
        d.sidePanelControllerDidCloseViewSideAnimated(*this, side, animated);
    });
    performDelegate([this, side, animated](SPSidePanelControllerDelegate& d) {
        d.sidePanelControllerDidShowCenterViewFromSideAnimated(*this, side, animated);
    });
}

void SPSidePanelController::notifyDidChangeOffset(double offset, uint32_t orientation, bool panning)
{
    performDelegate([this, offset, orientation, panning](SPSidePanelControllerDelegate& d) {
        d.sidePanelControllerDidChangeOffsetOrientationPanning(*this, offset, orientation, panning);
    });
}

// Appearance

void SPSidePanelController::appearanceMessage(
    plat::ViewController& controller, bool appearing, uint32_t target, bool animated)
{
    // The platform's appearance transitions stand for the will and did calls.
    if (appearing) {
        if (target == 1)
            controller.beginAppearanceTransition(/*isAppearing=*/true, animated);
        else if (target == 2)
            controller.endAppearanceTransition();
    } else {
        if (target == 1)
            controller.beginAppearanceTransition(/*isAppearing=*/false, animated);
        else if (target == 0)
            controller.endAppearanceTransition();
    }
}

void SPSidePanelController::notifyAppearanceForSide(uint32_t side, bool animated, uint32_t from, uint32_t to)
{
    if (!isSide(side))
        return;
    if (_viewAppeared < to) {
        // Off screen the side only remembers; the container's own appearance tells it later.
        _sideAppeared[side] = to;
        return;
    }
    const bool appearing = from < to;
    if (appearing && _sideAppeared[side] > from)
        return;
    if (!appearing && _sideAppeared[side] < from)
        return;
    _sideAppeared[side] = to;
    if (auto controller = _controllers[side]; controller && safe_shouldManageAppearanceMethods())
        appearanceMessage(*controller, appearing, to, animated);
}

void SPSidePanelController::transitionAppearanceFrom(uint32_t from, uint32_t to, bool animated)
{
    const bool appearing = from < to;
    for (uint32_t side = SPSidePanelSideLeft; side <= SPSidePanelSideBottom; ++side) {
        auto controller = _controllers[side];
        if (!controller)
            continue;
        // Only the sides that show (or were on their way) follow the container.
        if (appearing ? _sideAppeared[side] <= from : _sideAppeared[side] == 0)
            continue;
        if (safe_shouldManageAppearanceMethods())
            appearanceMessage(*controller, appearing, to, animated);
    }
}

// Opening and closing

bool SPSidePanelController::openSideView(uint32_t side, bool animated, Completion completion)
{
    return openSideView(side, animated, 0.0, std::move(completion));
}

bool SPSidePanelController::closeSideView(uint32_t side, bool animated, Completion completion)
{
    return closeSideView(side, animated, 0.0, std::move(completion));
}

void SPSidePanelController::runOpening(
    uint32_t side, bool animated, double duration, Completion completion, bool finished)
{
    if (!finished) {
        if (completion)
            completion(*this, false);
        return;
    }
    auto weakSelf = std::weak_ptr<SPSidePanelController>(sharedAs<SPSidePanelController>());
    notifyWillOpenSide(side, animated);
    disableUserInteraction();
    plat::View::animateWithDuration(
        duration, 0, kSlideOptions,
        [weakSelf, side] {
            auto self = weakSelf.lock();
            if (!self)
                return;
            if (auto controller = self->_controllers[side])
                controller->view()->setHidden(false);
            self->setSlidingFrameForOffset(self->ledgeOffsetForSide(side), orientationOfSide(side));
            self->centerViewHidden();
        },
        [weakSelf, side, animated, completion](bool) {
            auto self = weakSelf.lock();
            if (!self)
                return;
            self->enableUserInteraction();
            self->setAccessibilityForCenterTapper();
            if (completion)
                completion(*self, true);
            self->notifyDidOpenSide(side, animated);
        });
}

bool SPSidePanelController::openSideView(uint32_t side, bool animated, double duration, Completion completion)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!isSide(side) || !_controllers[side] || isSideOpen(side)) {
        if (completion)
            completion(*this, true);
        return true;
    }
    if (!checkCanOpenSide(side)) {
        if (completion)
            completion(*this, false);
        return false;
    }
    if (!isSideClosed(oppositeOfSide(side)))
        return toggleOpenViewAnimated(animated, std::move(completion));
    if (!(duration > 0))
        duration = openSlideDuration(animated);
    auto weakSelf = std::weak_ptr<SPSidePanelController>(sharedAs<SPSidePanelController>());
    if (!isSideClosed(side)) {
        runOpening(side, animated, duration, std::move(completion), /*finished=*/true);
        return true;
    }
    // Any other open side closes first.
    return closeOpenViewAnimated(
        animated, [weakSelf, side, animated, duration, completion](SPSidePanelController&, bool finished) {
            if (auto self = weakSelf.lock())
                self->runOpening(side, animated, duration, completion, finished);
        });
}

bool SPSidePanelController::closeSideView(uint32_t side, bool animated, double duration, Completion completion)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (isSideClosed(side)) {
        if (completion)
            completion(*this, true);
        return true;
    }
    if (!checkCanCloseSide(side)) {
        if (completion)
            completion(*this, false);
        return false;
    }
    if (!(duration > 0))
        duration = closeSlideDuration(animated);
    const uint64_t options = isSideOpen(side) ? kSlideOptions : kSlideEaseOutOptions;
    auto weakSelf = std::weak_ptr<SPSidePanelController>(sharedAs<SPSidePanelController>());
    notifyWillCloseSide(side, animated);
    disableUserInteraction();
    plat::View::animateWithDuration(
        duration, 0, options,
        [weakSelf, side] {
            if (auto self = weakSelf.lock()) {
                self->setSlidingFrameForOffset(0, orientationOfSide(side));
                self->centerViewVisible();
            }
        },
        [weakSelf, side, animated, completion](bool) {
            auto self = weakSelf.lock();
            if (!self)
                return;
            self->hideAppropriateSideViews();
            self->enableUserInteraction();
            if (completion)
                completion(*self, true);
            self->notifyDidCloseSide(side, animated);
        });
    return true;
}

bool SPSidePanelController::openLeftViewAnimated(bool animated, Completion completion)
{
    return openSideView(SPSidePanelSideLeft, animated, std::move(completion));
}

bool SPSidePanelController::openRightViewAnimated(bool animated, Completion completion)
{
    return openSideView(SPSidePanelSideRight, animated, std::move(completion));
}

bool SPSidePanelController::openTopViewAnimated(bool animated, Completion completion)
{
    return openSideView(SPSidePanelSideTop, animated, std::move(completion));
}

bool SPSidePanelController::openBottomViewAnimated(bool animated, Completion completion)
{
    return openSideView(SPSidePanelSideBottom, animated, std::move(completion));
}

bool SPSidePanelController::closeLeftViewAnimated(bool animated, Completion completion)
{
    return closeLeftViewAnimated(animated, 0.0, std::move(completion));
}

bool SPSidePanelController::closeRightViewAnimated(bool animated, Completion completion)
{
    return closeRightViewAnimated(animated, 0.0, std::move(completion));
}

bool SPSidePanelController::closeTopViewAnimated(bool animated, Completion completion)
{
    return closeTopViewAnimated(animated, 0.0, std::move(completion));
}

bool SPSidePanelController::closeBottomViewAnimated(bool animated, Completion completion)
{
    return closeBottomViewAnimated(animated, 0.0, std::move(completion));
}

bool SPSidePanelController::closeLeftViewAnimated(bool animated, double duration, Completion completion)
{
    return closeSideView(SPSidePanelSideLeft, animated, duration, std::move(completion));
}

bool SPSidePanelController::closeRightViewAnimated(bool animated, double duration, Completion completion)
{
    return closeSideView(SPSidePanelSideRight, animated, duration, std::move(completion));
}

bool SPSidePanelController::closeTopViewAnimated(bool animated, double duration, Completion completion)
{
    return closeSideView(SPSidePanelSideTop, animated, duration, std::move(completion));
}

bool SPSidePanelController::closeBottomViewAnimated(bool animated, double duration, Completion completion)
{
    return closeSideView(SPSidePanelSideBottom, animated, duration, std::move(completion));
}

bool SPSidePanelController::toggleLeftViewAnimated(bool animated, Completion completion)
{
    return isSideClosed(SPSidePanelSideLeft) ? openLeftViewAnimated(animated, std::move(completion))
                                             : closeLeftViewAnimated(animated, std::move(completion));
}

bool SPSidePanelController::toggleRightViewAnimated(bool animated, Completion completion)
{
    return isSideClosed(SPSidePanelSideRight) ? openRightViewAnimated(animated, std::move(completion))
                                              : closeRightViewAnimated(animated, std::move(completion));
}

bool SPSidePanelController::toggleTopViewAnimated(bool animated, Completion completion)
{
    return isSideClosed(SPSidePanelSideTop) ? openTopViewAnimated(animated, std::move(completion))
                                            : closeTopViewAnimated(animated, std::move(completion));
}

bool SPSidePanelController::toggleBottomViewAnimated(bool animated, Completion completion)
{
    return isSideClosed(SPSidePanelSideBottom) ? openBottomViewAnimated(animated, std::move(completion))
                                               : closeBottomViewAnimated(animated, std::move(completion));
}

// Bouncing

bool SPSidePanelController::openLeftViewBouncing(BounceBlock bounced, Completion completion)
{
    const double width = referenceBounds().width();
    return openSideView(
        SPSidePanelSideLeft, width, width - _ledge[SPSidePanelSideLeft], std::move(bounced), std::move(completion));
}

bool SPSidePanelController::openRightViewBouncing(BounceBlock bounced, Completion completion)
{
    const double width = referenceBounds().width();
    return openSideView(
        SPSidePanelSideRight, -width, _ledge[SPSidePanelSideRight] - width, std::move(bounced), std::move(completion));
}

bool SPSidePanelController::openTopViewBouncing(BounceBlock bounced, Completion completion)
{
    const double height = referenceBounds().height();
    return openSideView(
        SPSidePanelSideTop, height, height - _ledge[SPSidePanelSideTop], std::move(bounced), std::move(completion));
}

bool SPSidePanelController::openBottomViewBouncing(BounceBlock bounced, Completion completion)
{
    const double height = referenceBounds().height();
    return openSideView(SPSidePanelSideBottom, -height, _ledge[SPSidePanelSideBottom] - height, std::move(bounced),
        std::move(completion));
}

bool SPSidePanelController::openSideView(
    uint32_t side, double bounceOffset, double targetOffset, BounceBlock bounced, Completion completion)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!isSide(side) || !_controllers[side] || isSideOpen(side)) {
        if (completion)
            completion(*this, true);
        return true;
    }
    if (!checkCanOpenSide(side)) {
        if (completion)
            completion(*this, false);
        return false;
    }
    const uint64_t firstLegOptions = isSideClosed(side) ? kSlideEaseInOptions : kSlideOptions;
    auto weakSelf = std::weak_ptr<SPSidePanelController>(sharedAs<SPSidePanelController>());
    return closeOpenViewAnimated(/*animated=*/true,
        [weakSelf, side, bounceOffset, targetOffset, bounced, completion, firstLegOptions](
            SPSidePanelController&, bool finished) {
            auto self = weakSelf.lock();
            if (!self)
                return;
            if (!finished) {
                if (completion)
                    completion(*self, false);
                return;
            }
            const double openFactor = self->_bounceOpenSideDurationFactor != 0 ? self->_bounceOpenSideDurationFactor
                : self->_bounceDurationFactor != 0                             ? 1 - self->_bounceDurationFactor
                                                                               : 1.0;
            const double bounceFactor = self->_bounceDurationFactor != 0 ? self->_bounceDurationFactor : 1.0;
            self->notifyWillOpenSide(side, /*animated=*/true);
            self->disableUserInteraction();
            plat::View::animateWithDuration(
                bounceFactor * self->openSlideDuration(true), 0, firstLegOptions,
                [weakSelf, side, bounceOffset] {
                    auto inner = weakSelf.lock();
                    if (!inner)
                        return;
                    if (auto controller = inner->_controllers[side])
                        controller->view()->setHidden(false);
                    inner->setSlidingFrameForOffset(bounceOffset, orientationOfSide(side));
                },
                [weakSelf, side, targetOffset, bounced, completion, openFactor](bool) {
                    auto inner = weakSelf.lock();
                    if (!inner)
                        return;
                    inner->centerViewHidden();
                    if (bounced)
                        bounced(*inner);
                    auto controller = inner->_controllers[side];
                    inner->performDelegate([&inner, side, &controller](SPSidePanelControllerDelegate& d) {
                        d.sidePanelControllerDidBounceViewSideOpeningController(*inner, side, controller.get());
                    });
                    plat::View::animateWithDuration(
                        inner->openSlideDuration(true) * openFactor, 0, kSlideOptions,
                        [weakSelf, side, targetOffset] {
                            if (auto last = weakSelf.lock())
                                last->setSlidingFrameForOffset(targetOffset, orientationOfSide(side));
                        },
                        [weakSelf, side, completion](bool) {
                            auto last = weakSelf.lock();
                            if (!last)
                                return;
                            last->enableUserInteraction();
                            last->setAccessibilityForCenterTapper();
                            if (completion)
                                completion(*last, true);
                            last->notifyDidOpenSide(side, /*animated=*/true);
                        });
                });
        });
}

bool SPSidePanelController::closeLeftViewBouncing(BounceBlock bounced, Completion completion)
{
    return closeSideView(SPSidePanelSideLeft, referenceBounds().width(), std::move(bounced), std::move(completion));
}

bool SPSidePanelController::closeRightViewBouncing(BounceBlock bounced, Completion completion)
{
    return closeSideView(SPSidePanelSideRight, -referenceBounds().width(), std::move(bounced), std::move(completion));
}

bool SPSidePanelController::closeTopViewBouncing(BounceBlock bounced, Completion completion)
{
    return closeSideView(SPSidePanelSideTop, referenceBounds().height(), std::move(bounced), std::move(completion));
}

bool SPSidePanelController::closeBottomViewBouncing(BounceBlock bounced, Completion completion)
{
    return closeSideView(SPSidePanelSideBottom, -referenceBounds().height(), std::move(bounced), std::move(completion));
}

bool SPSidePanelController::closeSideView(
    uint32_t side, double bounceOffset, BounceBlock bounced, Completion completion)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (isSideClosed(side)) {
        if (completion)
            completion(*this, true);
        return true;
    }
    if (!checkCanCloseSide(side)) {
        if (completion)
            completion(*this, false);
        return false;
    }
    const uint64_t options = isSideOpen(side) ? kSlideEaseInOptions : kSlideOptions;
    const double bounceFactor = _bounceDurationFactor != 0 ? _bounceDurationFactor : 1.0;
    const double openFactor = _bounceOpenSideDurationFactor != 0 ? _bounceOpenSideDurationFactor
        : _bounceDurationFactor != 0                             ? 1 - _bounceDurationFactor
                                                                 : 1.0;
    auto weakSelf = std::weak_ptr<SPSidePanelController>(sharedAs<SPSidePanelController>());
    notifyWillCloseSide(side, /*animated=*/true);
    disableUserInteraction();
    plat::View::animateWithDuration(
        openSlideDuration(true) * openFactor, 0, options,
        [weakSelf, side, bounceOffset] {
            if (auto self = weakSelf.lock())
                self->setSlidingFrameForOffset(bounceOffset, orientationOfSide(side));
        },
        [weakSelf, side, bounced, completion, bounceFactor](bool) {
            auto self = weakSelf.lock();
            if (!self)
                return;
            if (bounced)
                bounced(*self);
            auto controller = self->_controllers[side];
            self->performDelegate([&self, side, &controller](SPSidePanelControllerDelegate& d) {
                d.sidePanelControllerDidBounceViewSideClosingController(*self, side, controller.get());
            });
            plat::View::animateWithDuration(
                self->closeSlideDuration(true) * bounceFactor, 0, kLayoutEaseOutOptions,
                [weakSelf, side] {
                    if (auto inner = weakSelf.lock()) {
                        inner->setSlidingFrameForOffset(0, orientationOfSide(side));
                        inner->centerViewVisible();
                    }
                },
                [weakSelf, side, completion](bool) {
                    auto inner = weakSelf.lock();
                    if (!inner)
                        return;
                    inner->hideAppropriateSideViews();
                    inner->enableUserInteraction();
                    if (completion)
                        completion(*inner, true);
                    inner->notifyDidCloseSide(side, /*animated=*/true);
                });
        });
    return true;
}

// Switching and closing whatever is open

bool SPSidePanelController::toggleOpenViewAnimated(bool animated, Completion completion)
{
    uint32_t closing = SPSidePanelSideNone;
    for (uint32_t side = SPSidePanelSideLeft; side <= SPSidePanelSideBottom && !closing; ++side)
        if (isSideOpen(side))
            closing = side;
    if (!closing)
        return false;
    const uint32_t opening = oppositeOfSide(closing);
    const double target = offsetForLedge(_ledge[opening], opening);
    if (!checkCanCloseSide(closing) && !checkCanOpenSide(opening))
        return false;
    auto weakSelf = std::weak_ptr<SPSidePanelController>(sharedAs<SPSidePanelController>());
    notifyWillCloseSide(closing, animated);
    plat::View::animateWithDuration(
        closeSlideDuration(animated), 0, kLayoutEaseInOptions,
        [weakSelf, closing] {
            if (auto self = weakSelf.lock())
                self->setSlidingFrameForOffset(0, orientationOfSide(closing));
        },
        [weakSelf, closing, opening, target, animated, completion](bool) {
            auto self = weakSelf.lock();
            if (!self)
                return;
            self->notifyWillOpenSide(opening, animated);
            plat::View::animateWithDuration(
                self->openSlideDuration(animated), 0, kLayoutEaseOutOptions,
                [weakSelf, opening, target] {
                    auto inner = weakSelf.lock();
                    if (!inner)
                        return;
                    if (auto controller = inner->_controllers[opening])
                        controller->view()->setHidden(false);
                    inner->setSlidingFrameForOffset(target, orientationOfSide(opening));
                },
                [weakSelf, opening, animated, completion](bool) {
                    auto inner = weakSelf.lock();
                    if (!inner)
                        return;
                    inner->notifyDidOpenSide(opening, animated);
                    if (completion)
                        completion(*inner, true);
                });
            self->hideAppropriateSideViews();
            self->notifyDidCloseSide(closing, animated);
        });
    return true;
}

bool SPSidePanelController::closeOpenViewAnimated(bool animated, Completion completion)
{
    return closeOpenViewAnimated(animated, 0.0, std::move(completion));
}

bool SPSidePanelController::closeOpenViewAnimated(bool animated, double duration, Completion completion)
{
    for (uint32_t side = SPSidePanelSideLeft; side <= SPSidePanelSideBottom; ++side)
        if (!isSideClosed(side))
            return closeSideView(side, animated, duration, std::move(completion));
    if (completion)
        completion(*this, true);
    return true;
}

bool SPSidePanelController::closeOpenViewBouncing(BounceBlock bounced, Completion completion)
{
    if (isSideOpen(SPSidePanelSideLeft))
        return closeLeftViewBouncing(std::move(bounced), std::move(completion));
    if (isSideOpen(SPSidePanelSideRight))
        return closeRightViewBouncing(std::move(bounced), std::move(completion));
    if (isSideOpen(SPSidePanelSideTop))
        return closeTopViewBouncing(std::move(bounced), std::move(completion));
    if (isSideOpen(SPSidePanelSideBottom))
        return closeBottomViewBouncing(std::move(bounced), std::move(completion));
    if (completion)
        completion(*this, true);
    return true;
}

// The preview bounce

bool SPSidePanelController::previewBounceView(uint32_t side, Completion completion)
{
    return previewBounceView(
        side, kPreviewBounceDistance, kPreviewBounceSeconds, /*callDelegate=*/true, std::move(completion));
}

bool SPSidePanelController::previewBounceView(
    uint32_t side, double distance, double duration, bool callDelegate, Completion completion)
{
    return previewBounceView(
        side, distance, duration, kPreviewBounceCount, kPreviewBounceDamping, callDelegate, std::move(completion));
}

bool SPSidePanelController::previewBounceView(uint32_t side, double distance, double duration, double numberOfBounces,
    double dampingFactor, bool callDelegate, Completion completion)
{
    if (!isSide(side) || !_controllers[side] || isSideOpen(side))
        return false;
    if (callDelegate) {
        const bool allowed = checkDelegate([this, side](SPSidePanelControllerDelegate& d) {
            return d.sidePanelControllerShouldPreviewBounceViewSide(*this, side);
        });
        if (!allowed || (isAnySideOpen() && !toggleOpenViewAnimated(true)))
            return false;
    }
    auto sliding = slidingControllerView();
    if (!sliding || sliding->layer()->animationForKey(kPreviewBounceAnimationKey))
        return false;
    const std::vector<float> values
        = bouncingValuesForViewSide(side, distance, numberOfBounces, dampingFactor, duration);
    if (values.empty())
        return false;

    const bool horizontal = orientationOfSide(side) == SPSidePanelOrientationHorizontal;
    plat::KeyframeAnimation animation(horizontal ? "position.x" : "position.y");
    animation.setTimingFunction(plat::MediaTimingFunction::functionWithName(plat::MediaTimingFunction::Name::Linear));
    animation.setDuration(duration);
    std::vector<plat::AnimationValue> keyValues;
    keyValues.reserve(values.size());
    for (float value : values)
        keyValues.emplace_back(static_cast<double>(value));
    animation.setValues(std::move(keyValues));
    animation.setRemovedOnCompletion(true);
    auto controller = _controllers[side];
    controller->view()->setHidden(false);

    auto weakSelf = std::weak_ptr<SPSidePanelController>(sharedAs<SPSidePanelController>());
    plat::Transaction::begin();
    plat::Transaction::setAnimationDuration(static_cast<double>(static_cast<float>(duration)));
    plat::Transaction::setCompletionBlock([weakSelf, side, callDelegate, completion] {
        auto self = weakSelf.lock();
        if (!self)
            return;
        if (self->_offset == 0) {
            if (auto shown = self->_controllers[side]; shown && shown->isViewLoaded())
                shown->view()->setHidden(true);
        }
        if (completion)
            completion(*self, true);
        if (callDelegate)
            self->performDelegate([&self, side](SPSidePanelControllerDelegate& d) {
                d.sidePanelControllerDidPreviewBounceViewSideAnimated(*self, side, true);
            });
    });
    sliding->layer()->addAnimation(animation, kPreviewBounceAnimationKey);
    if (callDelegate)
        performDelegate([this, side](SPSidePanelControllerDelegate& d) {
            d.sidePanelControllerWillPreviewBounceViewSideAnimated(*this, side, true);
        });
    plat::Transaction::commit();
    return true;
}

std::vector<float> SPSidePanelController::bouncingValuesForViewSide(
    uint32_t side, double maximumBounce, double numberOfBounces, double dampingFactor, double duration) const
{
    constexpr int kMaximumValues = 100;
    constexpr float kTwoPi = 6.2831855f;
    constexpr float kPeakShareOfPeriod = 0.18f;
    auto sliding = slidingControllerView();
    if (!isSide(side) || !sliding || !std::isfinite(duration) || !std::isfinite(maximumBounce) || !(numberOfBounces > 0)
        || !std::isfinite(numberOfBounces) || std::isnan(dampingFactor))
        return {};
    const int count = std::min(static_cast<int>(std::min(duration * 100, 1e9)), kMaximumValues);
    if (count <= 0)
        return {};
    const float period = static_cast<float>(2 * duration / numberOfBounces);
    const float omega = kTwoPi / period;
    const float zeta = std::clamp(static_cast<float>(dampingFactor), 0.0001f, 0.9999f);
    const float s = std::sqrt(1 - zeta * zeta);
    const float peakTime = kPeakShareOfPeriod * period;
    const float scale = omega * static_cast<float>(maximumBounce)
        / (std::exp(-zeta * omega * peakTime / s) * std::sin(omega * peakTime));
    const plat::Point position = sliding->layer()->position();
    const uint32_t orientation = orientationOfSide(side);
    const double base = orientation == SPSidePanelOrientationHorizontal ? position.x : position.y;
    const double sign = side == SPSidePanelSideLeft || side == SPSidePanelSideTop ? 1 : -1;
    std::vector<float> values;
    values.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(count) * static_cast<float>(duration);
        const float wave = (scale / omega) * std::exp(-zeta * (omega / s) * t) * std::sin(omega * t);
        const int32_t v = std::isfinite(wave) ? static_cast<int32_t>(std::clamp(wave, -1e9f, 1e9f)) : 0;
        values.push_back(static_cast<float>(base + sign * limitOffset(std::abs(v), orientation)));
    }
    return values;
}

// Pushing over the centre

bool SPSidePanelController::canRightViewPushViewControllerOverCenterController() const
{
    return _centerController && _centerController->asNavigationController();
}

void SPSidePanelController::rightViewPushViewControllerOverCenterController(
    std::shared_ptr<plat::ViewController> controller)
{
    auto containerView = view();
    auto superview = containerView->superview();
    auto navigation = _centerController ? _centerController->asNavigationController() : nullptr;
    if (!navigation && _centerController)
        navigation = _centerController->navigationController();
    if (!controller || !superview || !navigation) {
        plat::log("SPSidePanelController: nothing to push over the centre");
        return;
    }
    const plat::Rect frame = containerView->frame();
    auto snapshot = std::make_shared<plat::ImageView>(plat::renderViewToImage(*containerView, 0, /*opaque=*/true));
    snapshot->setFrame(frame);
    superview->addSubview(snapshot);
    containerView->setFrame(detail::rectOffset(frame, frame.width(), 0));
    closeRightViewAnimated(/*animated=*/false);
    navigation->pushViewController(std::move(controller), /*animated=*/false);
    disableUserInteraction();
    auto weakSelf = std::weak_ptr<SPSidePanelController>(sharedAs<SPSidePanelController>());
    plat::View::animateWithDuration(
        kPushOverCenterSeconds, 0, plat::ViewAnimationOptionNone,
        [snapshot, containerView, frame] {
            snapshot->setFrame(detail::rectOffset(frame, -frame.width(), 0));
            containerView->setFrame(frame);
        },
        [weakSelf, snapshot](bool) {
            if (auto self = weakSelf.lock())
                self->enableUserInteraction();
            snapshot->removeFromSuperview();
        });
}

// The centre's cover

void SPSidePanelController::centerViewHidden()
{
    if (_centerhiddenInteractivity != SPSidePanelCenterHiddenInteractive && _centerView) {
        if (!_centerTapper) {
            _centerTapper = plat::Button::buttonWithType(plat::ButtonType::Custom);
            for (unsigned state : {plat::ControlStateNormal, plat::ControlStateHighlighted, plat::ControlStateSelected})
                _centerTapper->setBackgroundImage(nullptr, state);
            _centerTapper->setAutoresizingMask(
                plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
            _centerTapper->setFrame(centerViewBounds());
            _centerTapper->addTarget(this, &SPSidePanelController::centerTapped, plat::ControlEventTouchUpInside);
            _centerTapper->setBackgroundColor(plat::Color::clearColor());
            _centerTapper->setAccessibilityViewIsModal(true);
        }
        _centerView->addSubview(_centerTapper);
        _centerTapper->setFrame(centerViewBounds());
        setAccessibilityForCenterTapper();
        setNeedsAddPanners();
    }
    applyShadowToSlidingViewAnimated(true);
}

void SPSidePanelController::centerViewVisible()
{
    if (_centerTapper) {
        _centerTapper->removeTarget(this, &SPSidePanelController::centerTapped, plat::ControlEventTouchUpInside);
        _centerTapper->removeFromSuperview();
    }
    _centerTapper.reset();
    setNeedsAddPanners();
    applyShadowToSlidingViewAnimated(true);
}

void SPSidePanelController::centerTapped()
{
    if (_centerhiddenInteractivity != SPSidePanelCenterHiddenTapCloses
        && _centerhiddenInteractivity != SPSidePanelCenterHiddenTapClosesBouncing)
        return;
    const bool bouncing = _centerhiddenInteractivity == SPSidePanelCenterHiddenTapClosesBouncing;
    const plat::Rect frame = slidingFrame();
    if (_controllers[SPSidePanelSideLeft] && frame.minX() > 0)
        bouncing ? closeLeftViewBouncing(nullptr) : closeLeftView();
    else if (_controllers[SPSidePanelSideRight] && frame.minX() < 0)
        bouncing ? closeRightViewBouncing(nullptr) : closeRightView();
    else if (_controllers[SPSidePanelSideBottom] && frame.minY() < 0)
        bouncing ? closeBottomViewBouncing(nullptr) : closeBottomView();
    else if (_controllers[SPSidePanelSideTop] && frame.minY() > 0)
        bouncing ? closeTopViewBouncing(nullptr) : closeTopView();
}

void SPSidePanelController::setAccessibilityForCenterTapper()
{
    if (!_centerTapper)
        return;
    _centerTapper->setAccessibilityLabel(_centerTapperAccessibilityLabel);
    _centerTapper->setAccessibilityHint(_centerTapperAccessibilityHint);
    auto window = _centerTapper->window();
    if (!window)
        return;
    const plat::Rect onScreen = _centerTapper->convertRect(_centerTapper->bounds(), nullptr);
    _centerTapper->setAccessibilityFrame(detail::rectIntersection(window->bounds(), onScreen).value_or(plat::Rect {}));
}

void SPSidePanelController::disableUserInteraction()
{
    if (++_disabledUserInteractions == 1) {
        if (auto view = sidePanelView())
            view->setAllowUserInteractionEnabled(false);
    }
}

void SPSidePanelController::enableUserInteraction()
{
    if (_disabledUserInteractions == 0)
        return;
    if (--_disabledUserInteractions == 0) {
        if (auto view = sidePanelView())
            view->setAllowUserInteractionEnabled(true);
    }
}

}  // namespace zt
