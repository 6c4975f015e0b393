#pragma once
#include <cstdint>
#include <functional>

#include "platform/foundation/Geometry.h"
#include "platform/ui/Transform3D.h"
#include "uikit/CarouselProtocols.h"

namespace zt::detail {

// What the arrangements need to know of a carousel. Any thread (value type).
struct CarouselLayoutState {
    CarouselType type = CarouselTypeLinear;
    bool vertical = false;
    double itemWidth = 0;
    plat::Size boundsSize;
    int64_t numberOfItems = 0;
    int64_t numberOfPlaceholdersToShow = 0;
    double toggle = 0;
};

// The value of an option: the delegate's answer, else the default given.
using CarouselOptionLookup = std::function<double(CarouselOption option, double defaultValue)>;

inline constexpr double kCarouselFullArc = 6.283185307179586;
// No more item views than this are loaded unless the delegate asks for more.
inline constexpr double kCarouselMaxVisibleItems = 30;

// Item slots round the circle of the ring, cylinder and wheel types; the
// number of items and placeholders for the other types.
int64_t circularCarouselItemCount(const CarouselLayoutState& state, const CarouselOptionLookup& options);

// How many item views an arrangement wants loaded, before the carousel's
// cap and the delegate's say.
double rawVisibleItemCount(const CarouselLayoutState& state, const CarouselOptionLookup& options);

// The layer transform of the item at offset (in items from the centre) for
// types 0 to 10, built on base (perspective and viewpoint). Custom items are
// the delegate's; any type outside 0 to 10 gives the plain identity.
plat::Transform3D itemTransformForLayoutType(const plat::Transform3D& base, double offset,
    const CarouselLayoutState& state, const CarouselOptionLookup& options);

}  // namespace zt::detail
