// The carousel's layout: which item views are loaded, their containers, and
// where each container stands (centre, fade, transform, depth order).
#include "uikit/Carousel.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include "platform/foundation/Value.h"
#include "platform/ui/Layer.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "uikit/CarouselLayoutTypes.h"
#include "uikit/CarouselPositions.h"

namespace zt {

namespace {

float single(double value)
{
    return static_cast<float>(value);
}

bool isCircular(CarouselType type)
{
    return type >= CarouselTypeRing && type <= CarouselTypeInvertedWheel;
}

bool isTiltedFlow(CarouselType type)
{
    return type == CarouselTypeTiltedFlow || type == CarouselTypeTiltedFlow2;
}

// Depth and sideways position of a container, read off its transform the
// way the depth order compares them.
double depthOf(const plat::Transform3D& t)
{
    return t.m13 + t.m23 + t.m33 + t.m43;
}

double sidewaysOf(const plat::Transform3D& t)
{
    return t.m11 + t.m21 + t.m31 + t.m41;
}

}  // namespace

void Carousel::layOutItemViews()
{
    if (!dataSource() || !_contentView)
        return;
    auto self = sharedAs<Carousel>();
    _wrapEnabled = isCircular(_type);
    recomputeWrap();
    _numberOfPlaceholdersToShow = _wrapEnabled ? 0 : _numberOfPlaceholders;
    updateItemWidth();
    updateNumberOfVisibleItems();
    _previousItemIndex = currentItemIndex();
    _offsetMultiplier = valueForOption(CarouselOptionOffsetMultiplier, isTiltedFlow(_type) ? 2.0 : 1.0);
    if (!_scrolling && !_decelerating) {
        if (_scrollToItemBoundary)
            scrollToItemAtIndex(currentItemIndex(), /*animated=*/true);
        else
            _scrollOffset = clampedOffset(_scrollOffset);
    }
    didScroll();
}

void Carousel::updateItemWidth()
{
    if (auto delegate = _delegate.lock()) {
        if (auto width = delegate->carouselItemWidth(*this)) {
            _itemWidth = *width;
            return;
        }
    }
    // Loading a view measures it (containView).
    if (!_itemViews.empty())
        return;
    if (_numberOfItems >= 1)
        loadViewAtIndex(0);
    else if (_numberOfPlaceholders >= 1)
        loadViewAtIndex(-1);
}

void Carousel::updateNumberOfVisibleItems()
{
    auto options = [this](CarouselOption option, double defaultValue) { return valueForOption(option, defaultValue); };
    int64_t count = detail::truncatedInteger(detail::rawVisibleItemCount(layoutState(), options));
    count = std::min<int64_t>(count, static_cast<int64_t>(detail::kCarouselMaxVisibleItems));
    count = detail::truncatedInteger(valueForOption(CarouselOptionVisibleItems, static_cast<double>(count)));
    if (auto* outdated = dynamic_cast<CarouselOutdatedVisibleItems*>(dataSource().get())) {
        count = detail::saturatedCount(outdated->numberOfVisibleItemsInCarousel(*this));
    }
    _numberOfVisibleItems = std::max<int64_t>(0, std::min(count, _numberOfItems + _numberOfPlaceholdersToShow));
}

void Carousel::loadUnloadViews()
{
    updateItemWidth();
    updateNumberOfVisibleItems();

    int64_t start = currentItemIndex() - _numberOfVisibleItems / 2;
    if (!_wrapEnabled) {
        const int64_t first
            = -detail::truncatedInteger(std::ceil(single(static_cast<double>(_numberOfPlaceholdersToShow) / 2)));
        const int64_t last = _numberOfItems - _numberOfVisibleItems + _numberOfPlaceholdersToShow / 2;
        start = std::max(first, std::min(last, start));
    }
    std::set<int64_t> wanted;
    for (int64_t i = 0; i < _numberOfVisibleItems; ++i) {
        int64_t index = start + i;
        if (_wrapEnabled)
            index = clampedIndex(index);
        // A fully faded item is not worth a view.
        if (alphaForItemWithOffset(offsetForItemAtIndex(index)) != 0)
            wanted.insert(index);
    }

    for (auto it = _itemViews.begin(); it != _itemViews.end();) {
        if (wanted.count(it->first)) {
            ++it;
            continue;
        }
        queueViewForIndex(it->second, it->first);
        if (auto container = it->second->superview())
            container->removeFromSuperview();
        it = _itemViews.erase(it);
    }
    for (int64_t index : wanted)
        if (!_itemViews.count(index))
            loadViewAtIndex(index);
}

std::shared_ptr<plat::View> Carousel::loadViewAtIndex(int64_t index, const std::shared_ptr<plat::View>& container)
{
    disableAnimation();
    std::shared_ptr<plat::View> view;
    if (auto source = dataSource()) {
        if (index < 0) {
            const int64_t first
                = detail::truncatedInteger(std::ceil(single(static_cast<double>(_numberOfPlaceholdersToShow) * 0.5)));
            view = source->carouselPlaceholderViewAtIndexReusingView(
                *this, first + index, dequeueView(_placeholderViewPool));
        } else if (index >= _numberOfItems) {
            const float afterLast = single(static_cast<double>(index))
                + single(static_cast<double>(_numberOfPlaceholdersToShow)) * 0.5f
                - single(static_cast<double>(_numberOfItems));
            view = source->carouselPlaceholderViewAtIndexReusingView(
                *this, detail::truncatedInteger(afterLast), dequeueView(_placeholderViewPool));
        } else {
            view = source->carouselViewForItemAtIndexReusingView(*this, index, dequeueView(_itemViewPool));
        }
    }
    if (!view)
        view = std::make_shared<plat::View>();
    setItemView(view, index);

    if (container) {
        auto previous = container->subviews().empty() ? nullptr : container->subviews().back();
        if (previous != view)
            queueViewForIndex(previous, index);
        const plat::Rect viewFrame = view->frame();
        plat::Rect slot = container->bounds();
        if (_vertical)
            slot.size = {viewFrame.width(), std::min(_itemWidth, viewFrame.height())};
        else
            slot.size = {std::min(_itemWidth, viewFrame.width()), viewFrame.height()};
        container->setBounds(slot);
        view->setFrame(
            {{(slot.width() - viewFrame.width()) / 2, (slot.height() - viewFrame.height()) / 2}, viewFrame.size});
        if (previous && previous != view)
            previous->removeFromSuperview();
        container->addSubview(view);
    } else {
        _contentView->addSubview(containView(view));
    }
    transformItemView(view, index);
    enableAnimation();
    return view;
}

std::shared_ptr<plat::View> Carousel::containView(const std::shared_ptr<plat::View>& view)
{
    if (_itemWidth == 0)
        _itemWidth = _vertical ? view->bounds().height() : view->bounds().width();
    plat::Rect frame = view->bounds();
    if (_vertical)
        frame.size.height = _itemWidth;
    else
        frame.size.width = _itemWidth;
    auto container = std::make_shared<plat::View>(frame);
    auto tap = std::make_shared<plat::TapGestureRecognizer>(this, &Carousel::didTap);
    tap->setDelegate(gestureFilter());
    container->addGestureRecognizer(tap);
    const plat::Size size = view->frame().size;
    view->setFrame({{(frame.width() - size.width) / 2, (frame.height() - size.height) / 2}, size});
    container->addSubview(view);
    return container;
}

double Carousel::alphaForItemWithOffset(double offset)
{
    if (_type == CarouselTypeCustom)
        if (auto* outdated = dynamic_cast<CarouselOutdatedItemAlpha*>(_delegate.lock().get()))
            return outdated->carouselItemAlphaForOffset(*this, offset);
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    const double fadeMin
        = valueForOption(CarouselOptionFadeMin, _type == CarouselTypeInvertedRecedingStack ? 0.0 : -kInfinity);
    const double fadeMax = valueForOption(CarouselOptionFadeMax, _type == CarouselTypeRecedingStack ? 0.0 : kInfinity);
    const double fadeRange = valueForOption(CarouselOptionFadeRange, 1.0);
    double factor = 0;
    if (offset > fadeMax)
        factor = offset - fadeMax;
    else if (offset < fadeMin)
        factor = fadeMin - offset;
    else
        return 1;
    return 1 - static_cast<double>(std::fmin(single(factor), single(fadeRange))) / fadeRange;
}

plat::Transform3D Carousel::transformForItemView(const plat::View&, double offset)
{
    plat::Transform3D base;
    base.m34 = _perspective;
    base = plat::translate(base, -_viewpointOffset.width, -_viewpointOffset.height, 0);
    detail::CarouselLayoutState state = layoutState();
    if (_type == CarouselTypeCustom) {
        if (auto delegate = _delegate.lock())
            if (auto custom = delegate->carouselItemTransformForOffsetBaseTransform(*this, offset, base))
                return *custom;
        state.type = CarouselTypeLinear;
    }
    auto options = [this](CarouselOption option, double defaultValue) { return valueForOption(option, defaultValue); };
    return detail::itemTransformForLayoutType(base, offset, state, options);
}

bool Carousel::showsBackfaces(const plat::View& view)
{
    const bool doubleSided = view.layer()->isDoubleSided() && _type != CarouselTypeInvertedCylinder;
    return valueForOption(CarouselOptionShowBackfaces, doubleSided ? 1.0 : 0.0) != 0;
}

void Carousel::transformItemView(const std::shared_ptr<plat::View>& view, int64_t index)
{
    auto container = view->superview();
    if (!container)
        return;
    const double offset = offsetForItemAtIndex(index);
    const plat::Rect ownBounds = bounds();
    container->setCenter(
        {_contentOffset.width + ownBounds.width() / 2, _contentOffset.height + ownBounds.height() / 2});
    container->setAlpha(alphaForItemWithOffset(offset));

    // While the row moves, the item passing the centre sets how far it has turned.
    if (_decelerating || (_scrolling && !_didDrag) || _scrollOffset != clampedOffset(_scrollOffset)) {
        const double clamped = std::fmax(-1.0f, std::fmin(1.0f, single(offset)));
        if (offset > 0)
            _toggle = (offset > 0.5 ? 1.0 : 0.0) - clamped;
        else
            _toggle = (offset > -0.5 ? 0.0 : -1.0) - clamped;
    }

    const plat::Transform3D transform = transformForItemView(*view, offset);
    container->layer()->setTransform(transform);
    container->setHidden(!(showsBackfaces(*view) || transform.m33 > 0));
}

void Carousel::transformItemViews()
{
    auto loaded = _itemViews;  // delegates asked on the way may change the row
    for (const auto& [index, view] : loaded) {
        transformItemView(view, index);
        view->setUserInteractionEnabled(!_centerItemWhenSelected || index == currentItemIndex());
    }
}

void Carousel::depthSortViews()
{
    auto current = currentItemView();
    auto currentContainer = current ? current->superview() : nullptr;
    const double currentSideways = currentContainer ? sidewaysOf(currentContainer->layer()->transform()) : 0;

    std::vector<std::shared_ptr<plat::View>> containers;
    for (const auto& [index, view] : _itemViews)
        if (auto container = view->superview())
            containers.push_back(container);
    std::stable_sort(containers.begin(), containers.end(), [&](const auto& a, const auto& b) {
        const plat::Transform3D& ta = a->layer()->transform();
        const plat::Transform3D& tb = b->layer()->transform();
        if (depthOf(ta) != depthOf(tb))
            return depthOf(ta) < depthOf(tb);
        // Nearer the current item goes on top.
        const float nearness
            = std::fabs(single(sidewaysOf(tb) - currentSideways)) - std::fabs(single(sidewaysOf(ta) - currentSideways));
        return nearness < 0;
    });
    for (const auto& container : containers)
        if (container->superview() == _contentView)
            _contentView->bringSubviewToFront(*container);
}

}  // namespace zt
