#include "uikit/Carousel.h"

#include <algorithm>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Value.h"
#include "platform/ui/Layer.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/Transaction.h"
#include "uikit/CarouselLayoutTypes.h"
#include "uikit/CarouselPositions.h"

namespace zt {

namespace detail {

// The carousel's say over its recognisers. The carousel owns it and the
// recognisers hold it weakly, so it never outlives the carousel it refers to.
class CarouselGestureFilter : public plat::GestureRecognizerDelegate {
public:
    explicit CarouselGestureFilter(Carousel& carousel)
        : _carousel(carousel)
    {
    }
    bool gestureRecognizerShouldReceiveTouch(plat::GestureRecognizer& recognizer, plat::Touch& touch) override
    {
        return _carousel.shouldReceiveTouch(recognizer, touch);
    }
    bool gestureRecognizerShouldBegin(plat::GestureRecognizer& recognizer) override
    {
        return _carousel.shouldBeginGesture(recognizer);
    }

private:
    Carousel& _carousel;
};

}  // namespace detail

Carousel::Carousel()
    : Carousel(plat::Rect {})
{
}

Carousel::Carousel(plat::Rect frame)
    : View(frame)
{
    setUp();
}

Carousel::~Carousel()
{
    stopAnimation();
    // Dropped by a delegate in the middle of suppressed work: the toolkit's switches go back as they were.
    while (_animationDisableCount > 0)
        enableAnimation();
}

void Carousel::setUp()
{
    _gestureFilter = std::make_shared<detail::CarouselGestureFilter>(*this);
    _contentView = std::make_shared<plat::View>(bounds());
    auto pan = std::make_shared<plat::PanGestureRecognizer>(this, &Carousel::didPan);
    pan->setDelegate(_gestureFilter);
    _contentView->addGestureRecognizer(pan);
    // The content view joins the tree once the carousel is shared (attachContentView).
}

void Carousel::attachContentView()
{
    if (_contentView->superview().get() == this || weak_from_this().expired())
        return;
    _contentView->setFrame(bounds());
    insertSubview(_contentView, 0);
}

// Properties

void Carousel::setDataSource(std::weak_ptr<CarouselDataSource> dataSource)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto newSource = dataSource.lock();
    if (newSource == _dataSource.lock())
        return;
    _dataSource = std::move(dataSource);
    if (newSource)
        reloadData();
}

void Carousel::setDelegate(std::weak_ptr<CarouselDelegate> delegate)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto newDelegate = delegate.lock();
    if (newDelegate == _delegate.lock())
        return;
    _delegate = std::move(delegate);
    if (newDelegate && dataSource())
        setNeedsLayout();
    if (newDelegate)
        warnAboutOutdatedOperations(*newDelegate);
}

void Carousel::warnAboutOutdatedOperations(const CarouselDelegate& delegate) const
{
    if (dynamic_cast<const CarouselOutdatedItemAlpha*>(&delegate))
        plat::log("Warning: The carousel:itemAlphaForOffset: delegate method is deprecated. Use "
                  "carousel:valueForOption:withDefault: with CarouselOptionFadeMin, CarouselOptionFadeMax and "
                  "CarouselOptionFadeRange instead");
    if (dynamic_cast<const CarouselOutdatedShouldWrap*>(&delegate))
        plat::log("Warning: The carouselShouldWrap: delegate method is deprecated. Use "
                  "carousel:valueForOption:withDefault: with CarouselOptionWrap instead");
    if (dynamic_cast<const CarouselOutdatedOffsetMultiplier*>(&delegate))
        plat::log("Warning: The carouselOffsetMultiplier: delegate method is deprecated. Use "
                  "carousel:valueForOption:withDefault: with CarouselOptionOffsetMultiplier instead");
    // Asked of the delegate although the operation belongs to the data source, as it always was.
    if (dynamic_cast<const CarouselOutdatedVisibleItems*>(&delegate))
        plat::log("Warning: The numberOfVisibleItemsInCarousel: dataSource method is deprecated. This value is now "
                  "set automatically, but if you need to override it, use carousel:valueForOption:withDefault: with "
                  "CarouselOptionVisibleItems instead");
    if (dynamic_cast<const CarouselOutdatedIndexUpdated*>(&delegate))
        plat::log("Warning: The carouselCurrentItemIndexUpdated: delegate method is deprecated. Use "
                  "carouselCurrentItemIndexDidChange: instead");
}

void Carousel::setType(CarouselType type)
{
    if (_type == type)
        return;
    _type = type;
    layOutItemViews();
}

void Carousel::setVertical(bool vertical)
{
    if (_vertical == vertical)
        return;
    _vertical = vertical;
    layOutItemViews();
}

void Carousel::setContentOffset(plat::Size offset)
{
    if (_contentOffset == offset)
        return;
    _contentOffset = offset;
    layOutItemViews();
}

void Carousel::setViewpointOffset(plat::Size offset)
{
    if (_viewpointOffset == offset)
        return;
    _viewpointOffset = offset;
    layOutItemViews();
}

double Carousel::valueForOption(CarouselOption option, double defaultValue)
{
    auto delegate = _delegate.lock();
    if (!delegate)
        return defaultValue;
    if (option == CarouselOptionWrap)
        if (auto* outdated = dynamic_cast<CarouselOutdatedShouldWrap*>(delegate.get()))
            return outdated->carouselShouldWrap(*this) ? 1.0 : 0.0;
    if (option == CarouselOptionOffsetMultiplier)
        if (auto* outdated = dynamic_cast<CarouselOutdatedOffsetMultiplier*>(delegate.get()))
            return outdated->carouselOffsetMultiplier(*this);
    if (auto value = delegate->carouselValueForOptionWithDefault(*this, option, defaultValue))
        return *value;
    if (auto* outdated = dynamic_cast<CarouselOutdatedTransformOption*>(delegate.get()))
        return outdated->carouselValueForTransformOptionWithDefault(*this, option, defaultValue);
    return defaultValue;
}

void Carousel::recomputeWrap()
{
    _wrapEnabled = valueForOption(CarouselOptionWrap, _wrapEnabled ? 1.0 : 0.0) != 0;
}

// Suppressed animations. Besides the layer actions of the transaction, view
// animations stop capturing changes, as the platform's disabled actions do.

void Carousel::disableAnimation()
{
    if (_animationDisableCount++ == 0) {
        _animationsWereEnabled = plat::View::areAnimationsEnabled();
        _actionsWereDisabled = plat::Transaction::disableActions();
        plat::View::setAnimationsEnabled(false);
        plat::Transaction::setDisableActions(true);
    }
}

void Carousel::enableAnimation()
{
    if (--_animationDisableCount == 0) {
        plat::View::setAnimationsEnabled(_animationsWereEnabled);
        plat::Transaction::setDisableActions(_actionsWereDisabled);
    }
}

void Carousel::withAnimationsAllowed(const std::function<void()>& call)
{
    if (_animationDisableCount == 0) {
        call();
        return;
    }
    enableAnimation();
    call();
    disableAnimation();
}

// Positions

detail::CarouselIndexSpace Carousel::indexSpace() const
{
    return {_numberOfItems, _numberOfPlaceholdersToShow, _wrapEnabled};
}

detail::CarouselLayoutState Carousel::layoutState() const
{
    return {_type, _vertical, _itemWidth, bounds().size, _numberOfItems, _numberOfPlaceholdersToShow, _toggle};
}

int64_t Carousel::clampedIndex(int64_t index) const
{
    return indexSpace().clampedIndex(index);
}

double Carousel::clampedOffset(double offset) const
{
    return indexSpace().clampedOffset(offset);
}

double Carousel::offsetForItemAtIndex(int64_t index) const
{
    return indexSpace().offsetForItemAtIndex(index, _scrollOffset);
}

int64_t Carousel::minScrollDistanceFromIndex(int64_t from, int64_t to) const
{
    return indexSpace().minScrollDistanceFromIndex(from, to);
}

double Carousel::minScrollDistanceFromOffset(double from, double to) const
{
    return indexSpace().minScrollDistanceFromOffset(from, to);
}

int64_t Carousel::currentItemIndex() const
{
    return clampedIndex(detail::roundedOffset(_scrollOffset));
}

int64_t Carousel::restingItemIndex() const
{
    // A fling may end past either end of the row; the snap after it comes back to the nearest item.
    if (_scrolling || _decelerating)
        return clampedIndex(detail::roundedOffset(_endOffset));
    return currentItemIndex();
}

void Carousel::setCurrentItemIndex(int64_t index)
{
    setScrollOffset(static_cast<double>(index));
}

std::shared_ptr<plat::View> Carousel::currentItemView() const
{
    return itemViewAtIndex(currentItemIndex());
}

std::shared_ptr<plat::View> Carousel::itemViewAtIndex(int64_t index) const
{
    auto it = _itemViews.find(index);
    return it == _itemViews.end() ? nullptr : it->second;
}

int64_t Carousel::indexOfItemView(const plat::View* view) const
{
    if (!view)
        return plat::kNotFound;
    for (const auto& [index, itemView] : _itemViews)
        if (itemView.get() == view)
            return index;
    return plat::kNotFound;
}

int64_t Carousel::indexOfItemViewOrSubview(const plat::View* view) const
{
    if (!view)
        return plat::kNotFound;
    std::shared_ptr<const plat::View> current = view->sharedAs<plat::View>();
    while (current && current != _contentView) {
        int64_t index = indexOfItemView(current.get());
        if (index != plat::kNotFound)
            return index;
        current = current->superview();
    }
    return plat::kNotFound;
}

std::vector<int64_t> Carousel::indexesForVisibleItems() const
{
    std::vector<int64_t> indexes;
    indexes.reserve(_itemViews.size());
    for (const auto& [index, view] : _itemViews)
        indexes.push_back(index);
    return indexes;
}

std::vector<std::shared_ptr<plat::View>> Carousel::visibleItemViews() const
{
    std::vector<std::shared_ptr<plat::View>> views;
    views.reserve(_itemViews.size());
    for (const auto& [index, view] : _itemViews)
        views.push_back(view);
    return views;
}

// Reloading and changing items

void Carousel::reloadData()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    attachContentView();
    for (const auto& [index, view] : _itemViews)
        if (auto container = view->superview())
            container->removeFromSuperview();
    auto source = dataSource();
    if (!source || !_contentView)
        return;
    auto self = sharedAs<Carousel>();
    _numberOfVisibleItems = 0;
    _numberOfItems = detail::saturatedCount(source->numberOfItemsInCarousel(*this));
    _numberOfPlaceholders = detail::saturatedCount(source->numberOfPlaceholdersInCarousel(*this));
    _itemViews.clear();
    _itemViewPool.clear();
    _placeholderViewPool.clear();
    _placeholderViewPool.reserve(static_cast<size_t>(std::min<int64_t>(_numberOfPlaceholders, 64)));
    setNeedsLayout();
    if (_numberOfItems >= 1 && _scrollOffset < 0)
        scrollToItemAtIndex(0, /*animated=*/_numberOfPlaceholders > 0);
}
// Loaded views and pools

void Carousel::setItemView(const std::shared_ptr<plat::View>& view, int64_t index)
{
    _itemViews[index] = view;
}

void Carousel::removeViewAtIndex(int64_t index)
{
    std::map<int64_t, std::shared_ptr<plat::View>> moved;
    for (auto& [i, view] : _itemViews) {
        if (i < index)
            moved[i] = std::move(view);
        else if (i > index)
            moved[i - 1] = std::move(view);
    }
    _itemViews = std::move(moved);
}

void Carousel::insertView(const std::shared_ptr<plat::View>& view, int64_t index)
{
    std::map<int64_t, std::shared_ptr<plat::View>> moved;
    for (auto& [i, loaded] : _itemViews)
        moved[i < index ? i : i + 1] = std::move(loaded);
    if (view)
        moved[index] = view;
    _itemViews = std::move(moved);
}

void Carousel::queueItemView(const std::shared_ptr<plat::View>& view)
{
    if (view && std::find(_itemViewPool.begin(), _itemViewPool.end(), view) == _itemViewPool.end())
        _itemViewPool.push_back(view);
}

void Carousel::queuePlaceholderView(const std::shared_ptr<plat::View>& view)
{
    if (view && std::find(_placeholderViewPool.begin(), _placeholderViewPool.end(), view) == _placeholderViewPool.end())
        _placeholderViewPool.push_back(view);
}

void Carousel::queueViewForIndex(const std::shared_ptr<plat::View>& view, int64_t index)
{
    if (isPlaceholderIndex(index))
        queuePlaceholderView(view);
    else
        queueItemView(view);
}

std::shared_ptr<plat::View> Carousel::dequeueView(std::vector<std::shared_ptr<plat::View>>& pool)
{
    if (pool.empty())
        return nullptr;
    auto view = std::move(pool.back());
    pool.pop_back();
    return view;
}

std::weak_ptr<plat::GestureRecognizerDelegate> Carousel::gestureFilter() const
{
    return _gestureFilter;
}

// Lifecycle

void Carousel::layoutSubviews()
{
    attachContentView();
    _contentView->setFrame(bounds());
    layOutItemViews();
}

void Carousel::didMoveToSuperview()
{
    attachContentView();
    if (superview())
        startAnimation();
    else
        stopAnimation();
}

void Carousel::setFrame(plat::Rect frame)
{
    const plat::Size oldSize = bounds().size;
    View::setFrame(frame);
    if (bounds().size != oldSize)
        layOutAfterResize();
}

void Carousel::setBounds(plat::Rect newBounds)
{
    const plat::Size oldSize = bounds().size;
    View::setBounds(newBounds);
    if (bounds().size != oldSize)
        layOutAfterResize();
}

void Carousel::layOutAfterResize()
{
    // The frame itself may animate; the items jump to their new places.
    if (weak_from_this().expired())
        return;
    disableAnimation();
    layoutIfNeeded();
    enableAnimation();
}

}  // namespace zt
