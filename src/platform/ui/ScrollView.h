#pragma once
#include <memory>
#include <optional>

#include "platform/graphics/EdgeInsets.h"
#include "platform/ui/View.h"

namespace plat {
class DisplayLink;
class PanGestureRecognizer;
class ScrollView;
namespace detail {
class ScrollIndicators;
}

// What a scroll view tells its delegate; every operation is optional.
class ScrollViewDelegate {
public:
    virtual ~ScrollViewDelegate() = default;
    virtual void scrollViewDidScroll(ScrollView&) { }
    virtual void scrollViewWillBeginDragging(ScrollView&) { }
    // velocity in points per millisecond, as the platform gives it; the
    // delegate may move the target where deceleration comes to rest.
    virtual void scrollViewWillEndDragging(ScrollView&, Point /*velocity*/, Point& /*targetContentOffset*/) { }
    virtual void scrollViewDidEndDragging(ScrollView&, bool /*willDecelerate*/) { }
    virtual void scrollViewWillBeginDecelerating(ScrollView&) { }
    virtual void scrollViewDidEndDecelerating(ScrollView&) { }
    // After setContentOffset or scrollRectToVisible with animation.
    virtual void scrollViewDidEndScrollingAnimation(ScrollView&) { }
};

enum class ScrollViewIndicatorStyle : int { Default = 0, Black = 1, White = 2 };

// The platform's deceleration rates: the share of its speed the content
// keeps each millisecond after the finger lifts.
inline constexpr double ScrollViewDecelerationRateNormal = 0.998;
inline constexpr double ScrollViewDecelerationRateFast = 0.99;

// The platform's scroll view: shows the part of its content (contentSize,
// around which contentInset leaves room) at contentOffset, the origin of
// its bounds. A finger drags the content through the view's own pan
// recogniser (it begins only along an axis that can scroll); past the ends
// the content follows at half the distance when it bounces, and comes back
// when the finger lifts. On lift the content decelerates from the finger's
// speed at decelerationRate, or settles on the nearest page when paging,
// on the run loop's clock (60 steps a second). Scroll indicators show while
// it moves and fade out 0.5 s after. Changing the offset lays the view out
// again (subclasses tile their content in layoutSubviews). Main thread.
class ScrollView : public View {
public:
    static constexpr double kAnimationSeconds = 0.3;
    static constexpr double kPagingSeconds = 0.3;
    static constexpr double kBounceBackSeconds = 0.4;

    ScrollView();
    explicit ScrollView(Rect frame);
    ~ScrollView() override;

    Point contentOffset() const { return bounds().origin; }
    void setContentOffset(Point offset);
    // Animated: over kAnimationSeconds, reporting each step, then
    // scrollViewDidEndScrollingAnimation. Stops a running deceleration.
    void setContentOffset(Point offset, bool animated);
    Size contentSize() const { return _contentSize; }
    virtual void setContentSize(Size size);
    EdgeInsets contentInset() const { return _contentInset; }
    void setContentInset(EdgeInsets insets);
    EdgeInsets scrollIndicatorInsets() const { return _scrollIndicatorInsets; }
    void setScrollIndicatorInsets(EdgeInsets insets);
    // The offsets the content rests between (the maximum is never below the minimum).
    Point minimumContentOffset() const;
    Point maximumContentOffset() const;

    bool showsHorizontalScrollIndicator() const { return _showsHorizontalIndicator; }
    void setShowsHorizontalScrollIndicator(bool shows) { _showsHorizontalIndicator = shows; }
    bool showsVerticalScrollIndicator() const { return _showsVerticalIndicator; }
    void setShowsVerticalScrollIndicator(bool shows) { _showsVerticalIndicator = shows; }
    ScrollViewIndicatorStyle indicatorStyle() const { return _indicatorStyle; }
    void setIndicatorStyle(ScrollViewIndicatorStyle style);
    // Shows the indicators of the axes that scroll, for a moment.
    void flashScrollIndicators();
    // The indicator views while they exist (for tests and screenshots), or nullptr.
    std::shared_ptr<View> verticalScrollIndicator() const;
    std::shared_ptr<View> horizontalScrollIndicator() const;

    bool isScrollEnabled() const { return _scrollEnabled; }
    void setScrollEnabled(bool enabled);
    bool isPagingEnabled() const { return _pagingEnabled; }
    void setPagingEnabled(bool enabled) { _pagingEnabled = enabled; }
    bool bounces() const { return _bounces; }
    void setBounces(bool bounces) { _bounces = bounces; }
    bool alwaysBounceVertical() const { return _alwaysBounceVertical; }
    void setAlwaysBounceVertical(bool bounces) { _alwaysBounceVertical = bounces; }
    bool alwaysBounceHorizontal() const { return _alwaysBounceHorizontal; }
    void setAlwaysBounceHorizontal(bool bounces) { _alwaysBounceHorizontal = bounces; }
    double decelerationRate() const { return _decelerationRate; }
    void setDecelerationRate(double rate);
    bool isDirectionalLockEnabled() const { return _directionalLock; }
    void setDirectionalLockEnabled(bool enabled) { _directionalLock = enabled; }

    bool isTracking() const { return _dragging; }
    bool isDragging() const { return _dragging; }
    bool isDecelerating() const { return _decelerating; }
    const std::shared_ptr<PanGestureRecognizer>& panGestureRecognizer() const { return _pan; }

    std::weak_ptr<ScrollViewDelegate> delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<ScrollViewDelegate> delegate) { _delegate = std::move(delegate); }

    // Scrolls as little as needed to show rect (content coordinates) inside
    // the view less its content insets.
    void scrollRectToVisible(Rect rect, bool animated);

    void layoutSubviews() override;
    void didMoveToSuperview() override;
    bool gestureRecognizerShouldBegin(GestureRecognizer& recognizer) override;

protected:
    // Subclasses that answer for their own delegate (tables, collections) hand it here too.
    std::shared_ptr<ScrollViewDelegate> scrollDelegate() const { return _delegate.lock(); }
    bool canScrollHorizontally() const;
    bool canScrollVertically() const;

private:
    struct OffsetAnimation;

    void handlePan(PanGestureRecognizer& pan);
    void beginDragging();
    void dragTo(Point translation);
    void endDragging(Point velocityPointsPerSecond);
    void moveContent(Point offset);  // sets the offset and reports it
    Point clamped(Point offset) const;
    Point restingOffsetAfterDrag(Point velocityPerMillisecond) const;
    void startAnimation(OffsetAnimation animation);
    void stopAnimation();
    void animationStep(DisplayLink& link);
    void finishAnimation();
    detail::ScrollIndicators& indicators();

    Size _contentSize;
    EdgeInsets _contentInset;
    EdgeInsets _scrollIndicatorInsets;
    bool _showsHorizontalIndicator = true;
    bool _showsVerticalIndicator = true;
    ScrollViewIndicatorStyle _indicatorStyle = ScrollViewIndicatorStyle::Default;
    bool _scrollEnabled = true;
    bool _pagingEnabled = false;
    bool _bounces = true;
    bool _alwaysBounceVertical = false;
    bool _alwaysBounceHorizontal = false;
    double _decelerationRate = ScrollViewDecelerationRateNormal;
    bool _directionalLock = false;
    bool _dragging = false;
    bool _decelerating = false;
    std::shared_ptr<PanGestureRecognizer> _pan;
    bool _panAttached = false;
    Point _dragStartOffset;
    // Which axes the current drag moves (directional lock may keep one still).
    bool _dragMovesX = true;
    bool _dragMovesY = true;
    std::weak_ptr<ScrollViewDelegate> _delegate;
    std::unique_ptr<OffsetAnimation> _animation;
    std::shared_ptr<DisplayLink> _displayLink;
    std::unique_ptr<detail::ScrollIndicators> _indicators;
};

}  // namespace plat
