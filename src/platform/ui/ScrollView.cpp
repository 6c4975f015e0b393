#include "platform/ui/ScrollView.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "platform/ui/Animation.h"
#include "platform/ui/DisplayLink.h"
#include "platform/ui/MediaTimingFunction.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/ScrollIndicators.h"

namespace plat {

namespace {

// Deceleration ends when the content moves slower than this (points per millisecond).
constexpr double kRestingSpeed = 0.01;
constexpr double kShortestDecelerationMs = 100;
constexpr double kLongestDecelerationMs = 5000;
// A lift faster than this (points per millisecond) turns the page.
constexpr double kPageTurnSpeed = 0.3;
// Offsets this close count as the same.
constexpr double kOffsetTolerance = 0.5;

bool near(Point a, Point b)
{
    return std::abs(a.x - b.x) < kOffsetTolerance && std::abs(a.y - b.y) < kOffsetTolerance;
}

double easeOut(double u)
{
    double rest = 1 - u;
    return 1 - rest * rest * rest;
}

}  // namespace

struct ScrollView::OffsetAnimation {
    enum class Kind { Scrolling, Decelerating };
    Kind kind = Kind::Scrolling;
    Point from;
    Point to;
    double startTime = 0;
    double duration = 0;
    std::function<double(double)> curve;
};

ScrollView::ScrollView()
    : ScrollView(Rect {})
{
}

ScrollView::ScrollView(Rect frame)
    : View(frame)
    , _pan(std::make_shared<PanGestureRecognizer>())
{
    setClipsToBounds(true);
    _pan->addTarget(this, &ScrollView::handlePan);
}

ScrollView::~ScrollView()
{
    if (_displayLink)
        _displayLink->invalidate();
}

void ScrollView::didMoveToSuperview()
{
    // The recogniser joins once the view is shared (it cannot in the constructor).
    if (!_panAttached) {
        _panAttached = true;
        addGestureRecognizer(_pan);
    }
}

// Geometry

void ScrollView::setContentOffset(Point offset)
{
    Rect b = bounds();
    if (b.origin == offset)
        return;
    auto keepAlive = weak_from_this().lock();
    setBounds({offset, b.size});
    setNeedsLayout();
    if (_indicators)
        _indicators->update();
    if (auto delegate = _delegate.lock())
        delegate->scrollViewDidScroll(*this);
}

void ScrollView::setContentOffset(Point offset, bool animated)
{
    stopAnimation();
    if (!animated || near(offset, contentOffset())) {
        setContentOffset(offset);
        return;
    }
    OffsetAnimation animation;
    animation.kind = OffsetAnimation::Kind::Scrolling;
    animation.from = contentOffset();
    animation.to = offset;
    animation.duration = kAnimationSeconds;
    auto easing = MediaTimingFunction::functionWithName(MediaTimingFunction::Name::EaseInEaseOut);
    animation.curve = [easing](double u) { return easing.apply(u); };
    startAnimation(std::move(animation));
}

void ScrollView::setContentSize(Size size)
{
    _contentSize = size;
    if (_indicators)
        _indicators->update();
}

void ScrollView::setContentInset(EdgeInsets insets)
{
    _contentInset = insets;
    if (_indicators)
        _indicators->update();
}

void ScrollView::setScrollIndicatorInsets(EdgeInsets insets)
{
    _scrollIndicatorInsets = insets;
    if (_indicators)
        _indicators->update();
}

Point ScrollView::minimumContentOffset() const
{
    return {-_contentInset.left, -_contentInset.top};
}

Point ScrollView::maximumContentOffset() const
{
    Point minimum = minimumContentOffset();
    Size size = bounds().size;
    return {std::max(minimum.x, _contentSize.width + _contentInset.right - size.width),
        std::max(minimum.y, _contentSize.height + _contentInset.bottom - size.height)};
}

Point ScrollView::clamped(Point offset) const
{
    Point minimum = minimumContentOffset(), maximum = maximumContentOffset();
    return {std::clamp(offset.x, minimum.x, maximum.x), std::clamp(offset.y, minimum.y, maximum.y)};
}

bool ScrollView::canScrollHorizontally() const
{
    return _alwaysBounceHorizontal || maximumContentOffset().x > minimumContentOffset().x;
}

bool ScrollView::canScrollVertically() const
{
    return _alwaysBounceVertical || maximumContentOffset().y > minimumContentOffset().y;
}

void ScrollView::setDecelerationRate(double rate)
{
    _decelerationRate = std::clamp(rate, 0.5, 0.9999);
}

void ScrollView::setScrollEnabled(bool enabled)
{
    _scrollEnabled = enabled;
    _pan->setEnabled(enabled);
}

void ScrollView::scrollRectToVisible(Rect rect, bool animated)
{
    Point offset = contentOffset();
    Rect b = bounds();
    Rect visible = makeRect(offset.x + _contentInset.left, offset.y + _contentInset.top,
        b.width() - _contentInset.left - _contentInset.right, b.height() - _contentInset.top - _contentInset.bottom);
    Point target = offset;
    if (rect.minX() < visible.minX())
        target.x -= visible.minX() - rect.minX();
    else if (rect.maxX() > visible.maxX())
        target.x += std::min(rect.maxX() - visible.maxX(), rect.minX() - visible.minX());
    if (rect.minY() < visible.minY())
        target.y -= visible.minY() - rect.minY();
    else if (rect.maxY() > visible.maxY())
        target.y += std::min(rect.maxY() - visible.maxY(), rect.minY() - visible.minY());
    setContentOffset(clamped(target), animated);
}

// Indicators

detail::ScrollIndicators& ScrollView::indicators()
{
    if (!_indicators)
        _indicators = std::make_unique<detail::ScrollIndicators>(*this);
    return *_indicators;
}

void ScrollView::setIndicatorStyle(ScrollViewIndicatorStyle style)
{
    _indicatorStyle = style;
    if (_indicators)
        _indicators->setStyle(style);
}

void ScrollView::flashScrollIndicators()
{
    indicators().showThenHide();
}

std::shared_ptr<View> ScrollView::verticalScrollIndicator() const
{
    return _indicators ? _indicators->vertical() : nullptr;
}

std::shared_ptr<View> ScrollView::horizontalScrollIndicator() const
{
    return _indicators ? _indicators->horizontal() : nullptr;
}

void ScrollView::layoutSubviews()
{
    if (_indicators)
        _indicators->update();
}

// Dragging

bool ScrollView::gestureRecognizerShouldBegin(GestureRecognizer& recognizer)
{
    if (&recognizer != _pan.get())
        return View::gestureRecognizerShouldBegin(recognizer);
    if (!_scrollEnabled)
        return false;
    bool horizontal = canScrollHorizontally(), vertical = canScrollVertically();
    Point t = _pan->translationInView(nullptr);
    // A drag along an axis that cannot scroll is left to the views around.
    if (!horizontal && !vertical)
        return false;
    if (horizontal && !vertical && std::abs(t.y) > std::abs(t.x))
        return false;
    if (vertical && !horizontal && std::abs(t.x) > std::abs(t.y))
        return false;
    return true;
}

void ScrollView::handlePan(PanGestureRecognizer& pan)
{
    switch (pan.state()) {
    case GestureRecognizerState::Began:
        beginDragging();
        break;
    case GestureRecognizerState::Changed:
        dragTo(pan.translationInView(nullptr));
        break;
    case GestureRecognizerState::Ended:
    case GestureRecognizerState::Cancelled:
        endDragging(pan.velocityInView(nullptr));
        break;
    default:
        break;
    }
}

void ScrollView::beginDragging()
{
    stopAnimation();
    Point t = _pan->translationInView(nullptr);
    _dragMovesX = canScrollHorizontally();
    _dragMovesY = canScrollVertically();
    if (_directionalLock && _dragMovesX && _dragMovesY) {
        if (std::abs(t.x) > std::abs(t.y))
            _dragMovesY = false;
        else
            _dragMovesX = false;
    }
    // The content follows the finger from here on, without the jump of the recogniser's hysteresis.
    _pan->setTranslation({0, 0}, nullptr);
    _dragStartOffset = contentOffset();
    _dragging = true;
    indicators().show();
    if (auto delegate = _delegate.lock())
        delegate->scrollViewWillBeginDragging(*this);
}

void ScrollView::dragTo(Point translation)
{
    Point minimum = minimumContentOffset(), maximum = maximumContentOffset();
    auto follow = [&](double start, double moved, double low, double high) {
        double desired = start - moved;
        if (desired < low)
            return _bounces ? low - (low - desired) / 2 : low;
        if (desired > high)
            return _bounces ? high + (desired - high) / 2 : high;
        return desired;
    };
    Point offset = _dragStartOffset;
    if (_dragMovesX)
        offset.x = follow(_dragStartOffset.x, translation.x, minimum.x, maximum.x);
    if (_dragMovesY)
        offset.y = follow(_dragStartOffset.y, translation.y, minimum.y, maximum.y);
    moveContent(offset);
}

Point ScrollView::restingOffsetAfterDrag(Point velocity) const
{
    Point offset = contentOffset();
    if (_pagingEnabled) {
        Size page = bounds().size;
        auto pageStop = [](double at, double speed, double size) {
            if (size <= 0)
                return at;
            double index = speed >= kPageTurnSpeed ? std::floor(at / size) + 1
                : speed <= -kPageTurnSpeed         ? std::ceil(at / size) - 1
                                                   : std::round(at / size);
            return index * size;
        };
        return clamped({_dragMovesX ? pageStop(offset.x, velocity.x, page.width) : offset.x,
            _dragMovesY ? pageStop(offset.y, velocity.y, page.height) : offset.y});
    }
    // Each millisecond the content keeps `rate` of its speed: it travels v * rate / (1 - rate).
    double glide = _decelerationRate / (1 - _decelerationRate);
    return clamped({offset.x + velocity.x * glide, offset.y + velocity.y * glide});
}

void ScrollView::endDragging(Point velocityPointsPerSecond)
{
    auto keepAlive = weak_from_this().lock();
    // The content moves against the finger; the platform reports points per millisecond.
    Point velocity {
        _dragMovesX ? -velocityPointsPerSecond.x / 1000 : 0, _dragMovesY ? -velocityPointsPerSecond.y / 1000 : 0};
    Point offset = contentOffset();
    Point target = restingOffsetAfterDrag(velocity);
    if (auto delegate = _delegate.lock())
        delegate->scrollViewWillEndDragging(*this, velocity, target);
    target = clamped(target);
    bool decelerate = !near(target, offset);
    _dragging = false;
    if (auto delegate = _delegate.lock())
        delegate->scrollViewDidEndDragging(*this, decelerate);
    if (!decelerate) {
        moveContent(target);
        if (_indicators)
            _indicators->hideSoon();
        return;
    }
    OffsetAnimation animation;
    animation.kind = OffsetAnimation::Kind::Decelerating;
    animation.from = offset;
    animation.to = target;
    bool outside = !near(clamped(offset), offset);
    double speed = std::max(std::abs(velocity.x), std::abs(velocity.y));
    if (_pagingEnabled) {
        animation.duration = kPagingSeconds;
        animation.curve = easeOut;
    } else if (outside || speed < kRestingSpeed) {
        animation.duration = kBounceBackSeconds;
        animation.curve = easeOut;
    } else {
        // Exponential slowing at the deceleration rate, reaching the target as the speed dies out.
        double rate = _decelerationRate;
        double milliseconds = std::clamp(
            std::log(kRestingSpeed / speed) / std::log(rate), kShortestDecelerationMs, kLongestDecelerationMs);
        double end = 1 - std::pow(rate, milliseconds);
        animation.duration = milliseconds / 1000;
        animation.curve = [rate, milliseconds, end](double u) { return (1 - std::pow(rate, u * milliseconds)) / end; };
    }
    _decelerating = true;
    if (auto delegate = _delegate.lock())
        delegate->scrollViewWillBeginDecelerating(*this);
    if (_decelerating)  // the delegate may have stopped it
        startAnimation(std::move(animation));
}

void ScrollView::moveContent(Point offset)
{
    setContentOffset(offset);
}

// Animation on the run loop's clock

void ScrollView::startAnimation(OffsetAnimation animation)
{
    bool decelerating = _decelerating;
    stopAnimation();
    _decelerating = decelerating && animation.kind == OffsetAnimation::Kind::Decelerating;
    animation.startTime = currentMediaTime();
    _animation = std::make_unique<OffsetAnimation>(std::move(animation));
    if (!_displayLink) {
        _displayLink = DisplayLink::displayLinkWithTarget(this, &ScrollView::animationStep);
        _displayLink->addToRunLoop();
    }
    indicators().show();
}

void ScrollView::stopAnimation()
{
    _animation.reset();
    _decelerating = false;
    if (_displayLink) {
        _displayLink->invalidate();
        _displayLink.reset();
    }
}

void ScrollView::animationStep(DisplayLink&)
{
    if (!_animation)
        return;
    auto keepAlive = weak_from_this().lock();
    double elapsed = currentMediaTime() - _animation->startTime;
    const OffsetAnimation& a = *_animation;
    if (elapsed >= a.duration) {
        moveContent(a.to);
        finishAnimation();
        return;
    }
    double progress = a.curve(elapsed / a.duration);
    moveContent({a.from.x + (a.to.x - a.from.x) * progress, a.from.y + (a.to.y - a.from.y) * progress});
}

void ScrollView::finishAnimation()
{
    if (!_animation)
        return;
    auto kind = _animation->kind;
    _animation.reset();
    if (_displayLink) {
        _displayLink->invalidate();
        _displayLink.reset();
    }
    if (_indicators)
        _indicators->hideSoon();
    auto delegate = _delegate.lock();
    if (kind == OffsetAnimation::Kind::Decelerating) {
        _decelerating = false;
        if (delegate)
            delegate->scrollViewDidEndDecelerating(*this);
    } else if (delegate) {
        delegate->scrollViewDidEndScrollingAnimation(*this);
    }
}

}  // namespace plat
