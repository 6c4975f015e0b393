// The carousel's changes of one item: inserting, removing and reloading,
// with or without animation.
#include "uikit/Carousel.h"

#include <algorithm>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Value.h"
#include "platform/ui/Layer.h"
#include "platform/ui/MediaTimingFunction.h"
#include "platform/ui/Transition.h"

namespace zt {

void Carousel::insertItemAtIndex(int64_t index, bool animated)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto self = sharedAs<Carousel>();
    ++_numberOfItems;
    recomputeWrap();
    updateNumberOfVisibleItems();
    index = clampedIndex(index);
    insertView(nullptr, index);
    auto view = loadViewAtIndex(index);
    auto container = view->superview();
    container->layer()->setOpacity(0);
    if (_itemWidth == 0)
        updateItemWidth();

    std::weak_ptr<Carousel> weakSelf = self;
    if (animated) {
        plat::View::animateWithDuration(
            kInsertSeconds, [this] { transformItemViews(); },
            [weakSelf](bool) {
                if (auto carousel = weakSelf.lock())
                    carousel->loadUnloadViews();
            });
        plat::DispatchQueue::mainQueue().after(kFadeInDelaySeconds, [weakSelf, weakView = std::weak_ptr(view)] {
            auto carousel = weakSelf.lock();
            auto itemView = weakView.lock();
            if (carousel && itemView)
                carousel->fadeInItemView(itemView);
        });
    } else {
        disableAnimation();
        transformItemViews();
        enableAnimation();
        container->layer()->setOpacity(1);
    }
    if (_scrollOffset < 0)
        scrollToItemAtIndex(0, /*animated=*/animated && _numberOfPlaceholders != 0);
}

void Carousel::fadeInItemView(const std::shared_ptr<plat::View>& view)
{
    int64_t index = indexOfItemView(view.get());
    auto container = view->superview();
    if (index == plat::kNotFound || !container)
        return;  // removed meanwhile
    double alpha = alphaForItemWithOffset(offsetForItemAtIndex(index));
    plat::View::animateWithDuration(kFadeSeconds, [&] { container->layer()->setOpacity(alpha); });
}

void Carousel::removeItemAtIndex(int64_t index, bool animated)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (_numberOfItems == 0) {
        plat::log("Carousel: no item to remove at {}", index);
        return;
    }
    auto self = sharedAs<Carousel>();
    index = clampedIndex(index);
    auto view = itemViewAtIndex(index);
    auto container = view ? view->superview() : nullptr;

    auto dropIndex = [this, index] {
        removeViewAtIndex(index);
        --_numberOfItems;
        recomputeWrap();
    };
    if (animated) {
        std::weak_ptr<Carousel> weakSelf = self;
        plat::View::animateWithDuration(
            kFadeSeconds,
            [&] {
                if (container)
                    container->layer()->setOpacity(0);
            },
            [container](bool) {
                if (container)
                    container->removeFromSuperview();
            });
        plat::DispatchQueue::mainQueue().after(kFadeSeconds, [weakSelf, view] {
            if (auto carousel = weakSelf.lock())
                carousel->queueItemView(view);
        });
        plat::View::animateWithDuration(
            kInsertSeconds,
            [&] {
                dropIndex();
                updateNumberOfVisibleItems();
                _scrollOffset = static_cast<double>(currentItemIndex());
                didScroll();
            },
            [weakSelf](bool) {
                if (auto carousel = weakSelf.lock())
                    carousel->depthSortViews();
            });
        return;
    }
    disableAnimation();
    queueItemView(view);
    if (container)
        container->removeFromSuperview();
    dropIndex();
    _scrollOffset = static_cast<double>(currentItemIndex());
    didScroll();
    depthSortViews();
    enableAnimation();
}

void Carousel::reloadItemAtIndex(int64_t index, bool animated)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto view = itemViewAtIndex(index);
    auto container = view ? view->superview() : nullptr;
    if (!container)
        return;
    auto self = sharedAs<Carousel>();
    if (animated) {
        plat::Transition fade;
        fade.setType(plat::Transition::Type::Fade);
        fade.setDuration(kScrollSeconds);
        fade.setTimingFunction(
            plat::MediaTimingFunction::functionWithName(plat::MediaTimingFunction::Name::EaseInEaseOut));
        container->layer()->addAnimation(fade, "transition");
    }
    loadViewAtIndex(index, container);
}

}  // namespace zt
