#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/ui/Transform3D.h"
#include "platform/ui/View.h"
#include "uikit/CarouselProtocols.h"

namespace plat {
class GestureRecognizer;
class GestureRecognizerDelegate;
class PanGestureRecognizer;
class TapGestureRecognizer;
class Timer;
class Touch;
}  // namespace plat

namespace zt {
namespace detail {
class CarouselGestureFilter;
struct CarouselIndexSpace;
struct CarouselLayoutState;
}  // namespace detail

// A row of item views from a data source that the user scrolls by dragging,
// flinging or tapping: views are loaded only near the centre and reused,
// the row may wrap round, bounces at its ends, decelerates after a fling
// and snaps to the nearest item. Positions along the row are counted in
// items (scrollOffset 3.25 is a quarter item past item 3); placeholder
// slots may stand before the first and after the last item of a row that
// does not wrap, under negative and past-the-end indexes.
//
// Each item view sits centred in a container of its own; the carousel
// moves, fades, hides and transforms the containers (through their
// layers, with perspective), never the item views. One repeating timer at
// 60 per second drives animated scrolls, decelerations and the toggle of
// the centre item, and runs only while one of them does. Main thread.
class Carousel : public plat::View {
public:
    // Durations of the animated changes, in seconds (single-precision values, as always stored).
    static constexpr double kScrollSeconds = static_cast<double>(0.4f);
    static constexpr double kInsertSeconds = static_cast<double>(0.4f);
    static constexpr double kFadeInDelaySeconds = static_cast<double>(0.3f);
    static constexpr double kFadeSeconds = static_cast<double>(0.1f);
    static constexpr double kTimerIntervalSeconds = 1.0 / 60;

    Carousel();
    explicit Carousel(plat::Rect frame);
    ~Carousel() override;

    std::shared_ptr<CarouselDataSource> dataSource() const { return _dataSource.lock(); }
    // A new data source reloads the row.
    void setDataSource(std::weak_ptr<CarouselDataSource> dataSource);
    std::shared_ptr<CarouselDelegate> delegate() const { return _delegate.lock(); }
    // Warns on the console about each outdated operation the new delegate implements.
    void setDelegate(std::weak_ptr<CarouselDelegate> delegate);

    // Changing any of these four lays the items out again at once.
    CarouselType type() const { return _type; }
    void setType(CarouselType type);
    bool vertical() const { return _vertical; }
    void setVertical(bool vertical);
    plat::Size contentOffset() const { return _contentOffset; }
    void setContentOffset(plat::Size offset);
    plat::Size viewpointOffset() const { return _viewpointOffset; }
    void setViewpointOffset(plat::Size offset);

    // These take effect at the next layout pass or event.
    double perspective() const { return _perspective; }
    void setPerspective(double perspective) { _perspective = perspective; }
    // The share of its speed a fling keeps, in [0, kMaximumDecelerationRate]:
    // a fling travels speed / (1 - rate), so at 1 and above it would never
    // stop. Values beyond are clamped; NaN is refused (the rate stays).
    static constexpr double kMaximumDecelerationRate = 0.999;
    double decelerationRate() const { return _decelerationRate; }
    void setDecelerationRate(double rate);
    double scrollSpeed() const { return _scrollSpeed; }
    void setScrollSpeed(double speed) { _scrollSpeed = speed; }
    double bounceDistance() const { return _bounceDistance; }
    void setBounceDistance(double items) { _bounceDistance = items; }
    bool scrollEnabled() const { return _scrollEnabled; }
    void setScrollEnabled(bool enabled) { _scrollEnabled = enabled; }
    bool bounces() const { return _bounces; }
    void setBounces(bool bounces) { _bounces = bounces; }
    bool wrapEnabled() const { return _wrapEnabled; }
    void setWrapEnabled(bool wrap) { _wrapEnabled = wrap; }
    double offsetMultiplier() const { return _offsetMultiplier; }
    void setOffsetMultiplier(double multiplier) { _offsetMultiplier = multiplier; }
    int64_t numberOfVisibleItems() const { return _numberOfVisibleItems; }
    void setNumberOfVisibleItems(int64_t count) { _numberOfVisibleItems = count; }
    double itemWidth() const { return _itemWidth; }
    void setItemWidth(double width) { _itemWidth = width; }
    bool stopAtItemBoundary() const { return _stopAtItemBoundary; }
    void setStopAtItemBoundary(bool stop) { _stopAtItemBoundary = stop; }
    bool scrollToItemBoundary() const { return _scrollToItemBoundary; }
    void setScrollToItemBoundary(bool snap) { _scrollToItemBoundary = snap; }
    bool ignorePerpendicularSwipes() const { return _ignorePerpendicularSwipes; }
    void setIgnorePerpendicularSwipes(bool ignore) { _ignorePerpendicularSwipes = ignore; }
    bool centerItemWhenSelected() const { return _centerItemWhenSelected; }
    void setCenterItemWhenSelected(bool center) { _centerItemWhenSelected = center; }

    int64_t numberOfItems() const { return _numberOfItems; }
    int64_t numberOfPlaceholders() const { return _numberOfPlaceholders; }
    const std::shared_ptr<plat::View>& contentView() const { return _contentView; }
    bool scrolling() const { return _scrolling; }
    bool decelerating() const { return _decelerating; }
    bool dragging() const { return _dragging; }
    // The turn of the centre item, -1 to 1 (the second tilted flow shows it).
    double toggle() const { return _toggle; }

    // Asks the data source again for everything; the views load at the next layout pass.
    void reloadData();

    double scrollOffset() const { return _scrollOffset; }
    // Jumps there without animation (ending any animated scroll or deceleration).
    void setScrollOffset(double offset);
    int64_t currentItemIndex() const;
    void setCurrentItemIndex(int64_t index);
    // The item the row comes to rest on: where the animated scroll or the
    // fling under way ends, else the current item.
    int64_t restingItemIndex() const;
    std::shared_ptr<plat::View> currentItemView() const;
    std::shared_ptr<plat::View> itemViewAtIndex(int64_t index) const;
    // plat::kNotFound for a view that is not loaded.
    int64_t indexOfItemView(const plat::View* view) const;
    // The index of the view or of the item view it lies in.
    int64_t indexOfItemViewOrSubview(const plat::View* view) const;
    // Loaded views (placeholders included), by ascending index.
    std::vector<int64_t> indexesForVisibleItems() const;
    std::vector<std::shared_ptr<plat::View>> visibleItemViews() const;

    // Index arithmetic of the row as it is now.
    int64_t clampedIndex(int64_t index) const;
    double clampedOffset(double offset) const;
    double offsetForItemAtIndex(int64_t index) const;
    int64_t minScrollDistanceFromIndex(int64_t from, int64_t to) const;
    double minScrollDistanceFromOffset(double from, double to) const;

    // Animated when duration > 0, else a jump.
    void scrollByOffset(double offset, double duration);
    void scrollToOffset(double offset, double duration);
    void scrollByNumberOfItems(int64_t count, double duration);
    void scrollToItemAtIndex(int64_t index, double duration);
    void scrollToItemAtIndex(int64_t index, bool animated);

    void insertItemAtIndex(int64_t index, bool animated);
    void removeItemAtIndex(int64_t index, bool animated);
    void reloadItemAtIndex(int64_t index, bool animated);

    void layoutSubviews() override;
    void didMoveToSuperview() override;
    void setFrame(plat::Rect frame) override;
    void setBounds(plat::Rect bounds) override;

private:
    friend class detail::CarouselGestureFilter;

    void setUp();
    // Views join a tree only once they are shared, so the content view joins
    // the carousel at the first call that finds it shared.
    void attachContentView();
    detail::CarouselIndexSpace indexSpace() const;
    detail::CarouselLayoutState layoutState() const;
    double valueForOption(CarouselOption option, double defaultValue);
    void warnAboutOutdatedOperations(const CarouselDelegate& delegate) const;

    // Implicit animations stay off while the counter is above zero.
    void disableAnimation();
    void enableAnimation();
    void withAnimationsAllowed(const std::function<void()>& call);

    // Layout.
    void layOutItemViews();
    void layOutAfterResize();
    void updateItemWidth();
    void updateNumberOfVisibleItems();
    void loadUnloadViews();
    std::shared_ptr<plat::View> loadViewAtIndex(int64_t index, const std::shared_ptr<plat::View>& container = nullptr);
    std::shared_ptr<plat::View> containView(const std::shared_ptr<plat::View>& view);
    void transformItemView(const std::shared_ptr<plat::View>& view, int64_t index);
    void transformItemViews();
    plat::Transform3D transformForItemView(const plat::View& view, double offset);
    double alphaForItemWithOffset(double offset);
    bool showsBackfaces(const plat::View& view);
    void depthSortViews();
    void fadeInItemView(const std::shared_ptr<plat::View>& view);

    // Loaded views and the pools of views waiting for reuse.
    void setItemView(const std::shared_ptr<plat::View>& view, int64_t index);
    void removeViewAtIndex(int64_t index);
    void insertView(const std::shared_ptr<plat::View>& view, int64_t index);
    bool isPlaceholderIndex(int64_t index) const { return index < 0 || index >= _numberOfItems; }
    void queueItemView(const std::shared_ptr<plat::View>& view);
    void queuePlaceholderView(const std::shared_ptr<plat::View>& view);
    void queueViewForIndex(const std::shared_ptr<plat::View>& view, int64_t index);
    static std::shared_ptr<plat::View> dequeueView(std::vector<std::shared_ptr<plat::View>>& pool);

    // Motion.
    void didScroll();
    void startAnimation();
    void stopAnimation();
    void step();
    void settleAfterDecelerating(double now);
    double decelerationDistance() const;
    bool shouldDecelerate() const;
    bool shouldScroll() const;
    void startDecelerating();
    void recomputeWrap();

    // Touches.
    void didPan(plat::PanGestureRecognizer& recognizer);
    void didTap(plat::TapGestureRecognizer& recognizer);
    bool shouldReceiveTouch(plat::GestureRecognizer& recognizer, plat::Touch& touch);
    bool shouldBeginGesture(plat::GestureRecognizer& recognizer);
    std::weak_ptr<plat::GestureRecognizerDelegate> gestureFilter() const;
    // Looks from the view up to (not including) the content view.
    bool viewOrAncestorMatches(const plat::View* view, const std::function<bool(const plat::View&)>& matches) const;

    std::weak_ptr<CarouselDataSource> _dataSource;
    std::weak_ptr<CarouselDelegate> _delegate;
    CarouselType _type = CarouselTypeLinear;
    double _perspective = static_cast<double>(-1.0f / 500.0f);
    double _decelerationRate = static_cast<double>(0.95f);
    double _scrollSpeed = 1;
    double _bounceDistance = 1;
    bool _scrollEnabled = true;
    bool _vertical = false;
    bool _wrapEnabled = false;
    bool _bounces = true;
    double _scrollOffset = 0;
    double _offsetMultiplier = 1;
    plat::Size _contentOffset;
    plat::Size _viewpointOffset;
    int64_t _numberOfItems = 0;
    int64_t _numberOfPlaceholders = 0;
    int64_t _numberOfPlaceholdersToShow = 0;
    int64_t _numberOfVisibleItems = 0;
    double _itemWidth = 0;
    std::shared_ptr<plat::View> _contentView;
    std::map<int64_t, std::shared_ptr<plat::View>> _itemViews;
    std::vector<std::shared_ptr<plat::View>> _itemViewPool;
    std::vector<std::shared_ptr<plat::View>> _placeholderViewPool;
    int64_t _previousItemIndex = 0;
    double _startVelocity = 0;
    std::shared_ptr<plat::Timer> _timer;
    double _startOffset = 0;
    double _endOffset = 0;
    double _scrollDuration = 0;
    double _startTime = 0;
    double _previousTranslation = 0;
    bool _scrolling = false;
    bool _decelerating = false;
    bool _dragging = false;
    bool _didDrag = false;
    double _toggle = 0;
    double _toggleTime = 0;
    bool _stopAtItemBoundary = true;
    bool _scrollToItemBoundary = true;
    bool _ignorePerpendicularSwipes = true;
    bool _centerItemWhenSelected = true;
    int64_t _animationDisableCount = 0;
    bool _animationsWereEnabled = true;
    bool _actionsWereDisabled = false;
    // The recognisers' delegate; they hold it weakly, so it goes with the carousel.
    std::shared_ptr<detail::CarouselGestureFilter> _gestureFilter;
};

}  // namespace zt
