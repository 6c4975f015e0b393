// The carousel's motion: scroll events, animated scrolls, decelerations
// after a fling, the toggle of the centre item and the timer behind them.
#include "uikit/Carousel.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Timer.h"
#include "platform/ui/Animation.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "uikit/CarouselPositions.h"

namespace zt {

namespace {

// A snap that is nearly there takes this long instead of a full scroll.
constexpr double kNearlyThereSeconds = 0.01;
constexpr float kNearlyThereItems = 0.01f;
// The toggle of the centre item eases back over 0.2 to 0.4 s, quicker after faster flings.
constexpr double kToggleBaseSeconds = static_cast<double>(0.2f);
constexpr double kToggleRestSeconds = static_cast<double>(0.4f);
// Below this speed (items per second) a release neither flings nor steps on to the next item.
constexpr float kMinimumFlingSpeed = 2.0f;
constexpr float kMinimumFlingItems = 0.1f;
// Deceleration per unit of speed at rate 0, in items per second squared per item per second.
constexpr double kDecelerationMultiplier = 30.0;

float single(double value)
{
    return static_cast<float>(value);
}

}  // namespace

void Carousel::didScroll()
{
    if (_wrapEnabled || !_bounces) {
        _scrollOffset = clampedOffset(_scrollOffset);
    } else {
        const double lowest = -_bounceDistance;
        const double highest = std::max(static_cast<double>(_numberOfItems) - 1, 0.0) + _bounceDistance;
        if (_scrollOffset < lowest) {
            _scrollOffset = lowest;
            _startVelocity = 0;
        } else if (_scrollOffset > highest) {
            _scrollOffset = highest;
            _startVelocity = 0;
        }
    }

    const int64_t rounded = detail::roundedOffset(_scrollOffset);
    const int64_t difference = minScrollDistanceFromIndex(_previousItemIndex, rounded);
    if (difference != 0) {
        _toggleTime = plat::currentMediaTime();
        _toggle = std::fmax(-1.0, std::fmin(1.0, -static_cast<double>(difference)));
        startAnimation();
    }

    loadUnloadViews();
    transformItemViews();

    auto delegate = _delegate.lock();
    if (delegate)
        withAnimationsAllowed([&] { delegate->carouselDidScroll(*this); });
    if (clampedIndex(_previousItemIndex) != currentItemIndex() && delegate) {
        withAnimationsAllowed([&] { delegate->carouselCurrentItemIndexDidChange(*this); });
        if (auto* outdated = dynamic_cast<CarouselOutdatedIndexUpdated*>(delegate.get()))
            outdated->carouselCurrentItemIndexUpdated(*this);
    }
    _previousItemIndex = rounded;
}

void Carousel::setScrollOffset(double offset)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (_scrollOffset == offset)
        return;
    auto self = sharedAs<Carousel>();
    _scrolling = false;
    _decelerating = false;
    disableAnimation();
    _scrollOffset = clampedOffset(offset);
    didScroll();
    _previousItemIndex = currentItemIndex();
    depthSortViews();
    enableAnimation();
}

// Animated scrolling

void Carousel::scrollByOffset(double offset, double duration)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (duration <= 0) {
        setScrollOffset(_scrollOffset + offset);
        return;
    }
    auto self = sharedAs<Carousel>();
    _decelerating = false;
    _scrolling = true;
    _startTime = plat::currentMediaTime();
    _startOffset = _scrollOffset;
    _scrollDuration = duration;
    _previousItemIndex = detail::roundedOffset(_scrollOffset);
    _endOffset = _startOffset + offset;
    if (!_wrapEnabled)
        _endOffset = clampedOffset(_endOffset);
    if (auto delegate = _delegate.lock())
        withAnimationsAllowed([&] { delegate->carouselWillBeginScrollingAnimation(*this); });
    startAnimation();
}

void Carousel::scrollToOffset(double offset, double duration)
{
    scrollByOffset(minScrollDistanceFromOffset(_scrollOffset, offset), duration);
}

void Carousel::scrollByNumberOfItems(int64_t count, double duration)
{
    if (duration <= 0) {
        setScrollOffset(static_cast<double>(clampedIndex(_previousItemIndex + count)));
        return;
    }
    double target = 0;
    if (count > 0)
        target = static_cast<double>(std::floor(single(_scrollOffset))) + static_cast<double>(count);
    else if (count < 0)
        target = static_cast<double>(std::ceil(single(_scrollOffset))) + static_cast<double>(count);
    else
        target = static_cast<double>(std::round(single(_scrollOffset)));
    scrollByOffset(target - _scrollOffset, duration);
}

void Carousel::scrollToItemAtIndex(int64_t index, double duration)
{
    scrollToOffset(static_cast<double>(index), duration);
}

void Carousel::scrollToItemAtIndex(int64_t index, bool animated)
{
    scrollToItemAtIndex(index, animated ? kScrollSeconds : 0.0);
}

// The timer

void Carousel::startAnimation()
{
    if (_timer)
        return;
    std::weak_ptr<Carousel> weakSelf = sharedAs<Carousel>();
    _timer = plat::Timer::scheduledTimerWithTimeInterval(
        kTimerIntervalSeconds,
        [weakSelf] {
            if (auto carousel = weakSelf.lock())
                carousel->step();
        },
        /*repeats=*/true);
}

void Carousel::stopAnimation()
{
    if (!_timer)
        return;
    _timer->invalidate();
    _timer.reset();
}

void Carousel::step()
{
    auto delegate = _delegate.lock();
    disableAnimation();
    const double now = plat::currentMediaTime();

    if (_toggle != 0) {
        const double duration = _startVelocity != 0
            ? kToggleBaseSeconds + kToggleBaseSeconds * std::fmin(1.0, std::fmax(0.0, 1 / std::fabs(_startVelocity)))
            : kToggleRestSeconds;
        const double t = std::fmin(1.0, (now - _toggleTime) / duration);
        const double eased = detail::easeInOut(t);
        _toggle = _toggle >= 0 ? 1 - eased : eased - 1;
        didScroll();
    }

    if (_scrolling) {
        const float t = std::fmin(1.0f, single((now - _startTime) / _scrollDuration));
        // At the end exactly the target: start + (end - start) * 1 can miss it by a rounding.
        _scrollOffset = t == 1.0f
            ? _endOffset
            : _startOffset + (_endOffset - _startOffset) * detail::easeInOut(static_cast<double>(t));
        didScroll();
        if (t == 1.0f) {
            _scrolling = false;
            depthSortViews();
            if (delegate)
                withAnimationsAllowed([&] { delegate->carouselDidEndScrollingAnimation(*this); });
        }
    } else if (_decelerating) {
        const double t = static_cast<double>(std::fmin(single(_scrollDuration), single(now - _startTime)));
        const double acceleration = -_startVelocity / _scrollDuration;
        _scrollOffset = _startOffset + _startVelocity * t + 0.5 * acceleration * t * t;
        didScroll();
        // Exact: the duration is stored in single precision, as t is clamped.
        if (t == _scrollDuration) {
            _decelerating = false;
            if (delegate)
                withAnimationsAllowed([&] { delegate->carouselDidEndDecelerating(*this); });
            settleAfterDecelerating(now);
        }
    } else if (_toggle == 0) {
        stopAnimation();
    }
    enableAnimation();
}

void Carousel::settleAfterDecelerating(double now)
{
    const int64_t current = currentItemIndex();
    if (_scrollToItemBoundary || _scrollOffset != clampedOffset(_scrollOffset)) {
        if (std::fabs(single(_scrollOffset - static_cast<double>(current))) < kNearlyThereItems)
            scrollToItemAtIndex(current, kNearlyThereSeconds);
        else
            scrollToItemAtIndex(current, /*animated=*/true);
        return;
    }
    double distance = static_cast<double>(current) - _scrollOffset;
    if (distance > 0.5)
        distance -= 1;
    else if (distance < -0.5)
        distance += 1;
    _toggleTime = now - static_cast<double>(0.4f * std::fabs(single(distance)));
    _toggle = std::fmax(-1.0, std::fmin(1.0, -distance));
}

// Dragging

void Carousel::didPan(plat::PanGestureRecognizer& recognizer)
{
    if (!_scrollEnabled)
        return;
    auto self = sharedAs<Carousel>();
    auto delegate = _delegate.lock();
    const plat::Point translation = recognizer.translationInView(this);
    const double along = _vertical ? translation.y : translation.x;

    switch (recognizer.state()) {
    case plat::GestureRecognizerState::Began:
        _dragging = true;
        _scrolling = false;
        _decelerating = false;
        _previousTranslation = along;
        if (delegate)
            delegate->carouselWillBeginDragging(*this);
        break;

    case plat::GestureRecognizerState::Ended:
    case plat::GestureRecognizerState::Cancelled: {
        _dragging = false;
        _didDrag = true;
        if (shouldDecelerate()) {
            _didDrag = false;
            startDecelerating();
        }
        if (delegate)
            withAnimationsAllowed([&] { delegate->carouselDidEndDragging(*this, _decelerating); });
        if (!_decelerating && (_scrollToItemBoundary || _scrollOffset != clampedOffset(_scrollOffset))) {
            const int64_t current = currentItemIndex();
            if (std::fabs(single(_scrollOffset - static_cast<double>(current))) < kNearlyThereItems)
                scrollToItemAtIndex(current, kNearlyThereSeconds);
            else if (shouldScroll())
                scrollToItemAtIndex(current + (_startVelocity > 0 ? 1 : -1), /*animated=*/true);
            else
                scrollToItemAtIndex(current, /*animated=*/true);
        } else if (delegate) {
            withAnimationsAllowed([&] { delegate->carouselWillBeginDecelerating(*this); });
        }
        break;
    }

    default: {
        // An empty row has no item width to measure the drag by.
        if (_itemWidth == 0)
            break;
        double resistance = 1;
        if (!_wrapEnabled && _bounces) {
            const float overshoot = std::fabs(single(_scrollOffset - clampedOffset(_scrollOffset)));
            resistance = 1 - static_cast<double>(std::fmin(overshoot, single(_bounceDistance))) / _bounceDistance;
        }
        const double delta = along - _previousTranslation;
        _previousTranslation = along;
        const plat::Point velocity = recognizer.velocityInView(this);
        const double velocityAlong = _vertical ? velocity.y : velocity.x;
        _startVelocity = -(velocityAlong * resistance * _scrollSpeed) / _itemWidth;
        _scrollOffset -= delta * resistance * _offsetMultiplier / _itemWidth;
        didScroll();
        break;
    }
    }
}

// Deceleration

void Carousel::setDecelerationRate(double rate)
{
    if (std::isnan(rate)) {
        plat::log("Carousel: a deceleration rate of NaN is ignored; it stays {}", _decelerationRate);
        return;
    }
    _decelerationRate = std::clamp(rate, 0.0, kMaximumDecelerationRate);
}

double Carousel::decelerationDistance() const
{
    const double speedSquared = static_cast<double>(std::pow(single(_startVelocity), 2.0f));
    return speedSquared / (2 * _startVelocity * kDecelerationMultiplier * (1 - _decelerationRate));
}

bool Carousel::shouldDecelerate() const
{
    return std::fabs(single(_startVelocity)) > kMinimumFlingSpeed
        && std::fabs(single(decelerationDistance())) > kMinimumFlingItems;
}

bool Carousel::shouldScroll() const
{
    return std::fabs(single(_startVelocity)) > kMinimumFlingSpeed
        && std::fabs(single(_scrollOffset - static_cast<double>(currentItemIndex()))) > kMinimumFlingItems;
}

void Carousel::startDecelerating()
{
    double distance = decelerationDistance();
    _startOffset = _scrollOffset;
    _endOffset = _startOffset + distance;
    if (_stopAtItemBoundary)
        _endOffset = distance > 0 ? std::ceil(single(_endOffset)) : std::floor(single(_endOffset));
    if (!_wrapEnabled) {
        if (_bounces)
            _endOffset = std::fmax(single(-_bounceDistance),
                std::fmin(single(static_cast<double>(_numberOfItems) - 1 + _bounceDistance), single(_endOffset)));
        else
            _endOffset = clampedOffset(_endOffset);
    }
    distance = _endOffset - _startOffset;
    _startTime = plat::currentMediaTime();
    _scrollDuration = static_cast<double>(single(std::fabs(distance) / std::fabs(0.5 * _startVelocity)));
    if (distance != 0) {
        _decelerating = true;
        startAnimation();
    }
}

}  // namespace zt
