#pragma once
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/ui/Transform3D.h"

namespace plat {
class View;
}

namespace zt {
class Carousel;

// How the carousel arranges its items, with the stored numbers. Any other
// value is allowed and shows every item untransformed.
enum CarouselType : int32_t {
    CarouselTypeLinear = 0,
    CarouselTypeRing = 1,
    CarouselTypeInvertedRing = 2,
    CarouselTypeCylinder = 3,
    CarouselTypeInvertedCylinder = 4,
    CarouselTypeWheel = 5,
    CarouselTypeInvertedWheel = 6,
    CarouselTypeTiltedFlow = 7,
    CarouselTypeTiltedFlow2 = 8,
    CarouselTypeRecedingStack = 9,
    CarouselTypeInvertedRecedingStack = 10,
    CarouselTypeCustom = 11,
};

// The layout options a delegate may answer, with their numbers.
enum CarouselOption : int32_t {
    CarouselOptionWrap = 0,
    CarouselOptionShowBackfaces = 1,
    CarouselOptionOffsetMultiplier = 2,
    CarouselOptionVisibleItems = 3,
    CarouselOptionCount = 4,
    CarouselOptionArc = 5,
    CarouselOptionAngle = 6,
    CarouselOptionRadius = 7,
    CarouselOptionTilt = 8,
    CarouselOptionSpacing = 9,
    CarouselOptionFadeMin = 10,
    CarouselOptionFadeMax = 11,
    CarouselOptionFadeRange = 12,
};

// Supplies the carousel's items. Main thread.
class CarouselDataSource {
public:
    virtual ~CarouselDataSource() = default;

    virtual uint64_t numberOfItemsInCarousel(Carousel& carousel) = 0;
    // reusingView is a view the carousel no longer shows (from its item pool), or nullptr.
    virtual std::shared_ptr<plat::View> carouselViewForItemAtIndexReusingView(
        Carousel& carousel, int64_t index, std::shared_ptr<plat::View> reusingView)
        = 0;

    // Placeholder slots shown before the first and after the last item of a row that does not wrap.
    virtual uint64_t numberOfPlaceholdersInCarousel(Carousel&) { return 0; }
    // Needed when placeholders are reported; an empty view fills a slot this leaves without one.
    virtual std::shared_ptr<plat::View> carouselPlaceholderViewAtIndexReusingView(
        Carousel&, int64_t /*index*/, std::shared_ptr<plat::View> /*reusingView*/)
    {
        return nullptr;
    }
};

// Tunes the layout and hears of the carousel's motion. Every operation is
// optional; the queries answer std::nullopt where the carousel should use its
// own value. Main thread.
class CarouselDelegate {
public:
    virtual ~CarouselDelegate() = default;

    // The width of one item slot (height when vertical); by default the first loaded view's.
    virtual std::optional<double> carouselItemWidth(Carousel&) { return std::nullopt; }
    virtual std::optional<double> carouselValueForOptionWithDefault(
        Carousel&, CarouselOption /*option*/, double /*defaultValue*/)
    {
        return std::nullopt;
    }
    // Only CarouselTypeCustom asks; without an answer it lays out as CarouselTypeLinear.
    virtual std::optional<plat::Transform3D> carouselItemTransformForOffsetBaseTransform(
        Carousel&, double /*offset*/, const plat::Transform3D& /*baseTransform*/)
    {
        return std::nullopt;
    }

    virtual void carouselWillBeginScrollingAnimation(Carousel&) { }
    virtual void carouselDidEndScrollingAnimation(Carousel&) { }
    virtual void carouselDidScroll(Carousel&) { }
    virtual void carouselCurrentItemIndexDidChange(Carousel&) { }
    virtual void carouselWillBeginDragging(Carousel&) { }
    virtual void carouselDidEndDragging(Carousel&, bool /*willDecelerate*/) { }
    virtual void carouselWillBeginDecelerating(Carousel&) { }
    virtual void carouselDidEndDecelerating(Carousel&) { }
    virtual bool carouselShouldSelectItemAtIndex(Carousel&, int64_t /*index*/) { return true; }
    virtual void carouselDidSelectItemAtIndex(Carousel&, int64_t /*index*/) { }
};

// Outdated operations that older screens still implement. The carousel
// honours them and warns when a delegate that has one is set. An object that
// implements one derives from its interface as well; the carousel finds it
// there, as the platform asks an object whether it responds to a message.

class CarouselOutdatedShouldWrap {
public:
    virtual ~CarouselOutdatedShouldWrap() = default;
    // Answers CarouselOptionWrap.
    virtual bool carouselShouldWrap(Carousel& carousel) = 0;
};

class CarouselOutdatedOffsetMultiplier {
public:
    virtual ~CarouselOutdatedOffsetMultiplier() = default;
    // Answers CarouselOptionOffsetMultiplier.
    virtual double carouselOffsetMultiplier(Carousel& carousel) = 0;
};

class CarouselOutdatedTransformOption {
public:
    virtual ~CarouselOutdatedTransformOption() = default;
    // Answers every option the delegate's carouselValueForOptionWithDefault leaves unanswered.
    virtual double carouselValueForTransformOptionWithDefault(
        Carousel& carousel, CarouselOption option, double defaultValue)
        = 0;
};

class CarouselOutdatedItemAlpha {
public:
    virtual ~CarouselOutdatedItemAlpha() = default;
    // The fade of every item of CarouselTypeCustom.
    virtual double carouselItemAlphaForOffset(Carousel& carousel, double offset) = 0;
};

class CarouselOutdatedIndexUpdated {
public:
    virtual ~CarouselOutdatedIndexUpdated() = default;
    // Heard after carouselCurrentItemIndexDidChange.
    virtual void carouselCurrentItemIndexUpdated(Carousel& carousel) = 0;
};

// Of the data source.
class CarouselOutdatedVisibleItems {
public:
    virtual ~CarouselOutdatedVisibleItems() = default;
    // Replaces the number of loaded item views the carousel works out.
    virtual uint64_t numberOfVisibleItemsInCarousel(Carousel& carousel) = 0;
};

}  // namespace zt
