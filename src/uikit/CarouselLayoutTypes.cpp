#include "uikit/CarouselLayoutTypes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "uikit/CarouselPositions.h"

namespace zt::detail {

namespace {

constexpr double kQuarterTurn = 1.5707963267948966;
// No circle has fewer slots than this, however wide its items.
constexpr double kMinimumCircleSlots = 12;
// Items turned round a cylinder or wheel sit this far apart in depth, so
// that neighbours never share a plane.
constexpr float kDepthStep = 0.01f;
// The narrowest cylinder, whatever the arc.
constexpr float kMinimumCylinderRadius = 0.01f;
constexpr float kFlowTilt = 0.9f;
constexpr double kFlowSpacing = 0.25;
constexpr float kStackTilt = 0.3f;

float single(double value)
{
    return static_cast<float>(value);
}

double rowLength(const CarouselLayoutState& state)
{
    return state.vertical ? state.boundsSize.height : state.boundsSize.width;
}

bool isCircular(CarouselType type)
{
    return type >= CarouselTypeRing && type <= CarouselTypeInvertedWheel;
}

// Items side by side: the ones that fit in the row's length, plus one at each end.
double linearVisibleCount(const CarouselLayoutState& state, double spacing)
{
    const double slots = (rowLength(state) - state.itemWidth) / (spacing * state.itemWidth);
    return static_cast<double>(std::ceil(single(slots)) + 2.0f);
}

struct Circle {
    double count;
    double spacing;
    double arc;
};

Circle circleOf(const CarouselLayoutState& state, const CarouselOptionLookup& options)
{
    return {static_cast<double>(circularCarouselItemCount(state, options)), options(CarouselOptionSpacing, 1.0),
        options(CarouselOptionArc, kCarouselFullArc)};
}

// Half an item's width, and the tangent of half the angle between slots.
float halfSlot(const CarouselLayoutState& state, const Circle& circle)
{
    return single(state.itemWidth * circle.spacing * 0.5);
}

float tangentOfHalfSlotAngle(const Circle& circle)
{
    return std::tan(single(circle.arc * 0.5 / circle.count));
}

plat::Transform3D ringTransform(
    const plat::Transform3D& base, double offset, const CarouselLayoutState& state, const CarouselOptionLookup& options)
{
    const Circle circle = circleOf(state, options);
    const float h = halfSlot(state, circle);
    double radius = options(CarouselOptionRadius, std::fmax(h, h / tangentOfHalfSlotAngle(circle)));
    double angle = options(CarouselOptionAngle, circle.arc * (offset / circle.count));
    if (state.type == CarouselTypeInvertedRing) {
        radius = -radius;
        angle = -angle;
    }
    const double along = radius * std::sin(angle);
    const double depth = radius * std::cos(angle) - radius;
    return state.vertical ? plat::translate(base, 0, along, depth) : plat::translate(base, along, 0, depth);
}

plat::Transform3D cylinderTransform(
    const plat::Transform3D& base, double offset, const CarouselLayoutState& state, const CarouselOptionLookup& options)
{
    const Circle circle = circleOf(state, options);
    const float h = halfSlot(state, circle);
    double radius
        = options(CarouselOptionRadius, std::fmax(kMinimumCylinderRadius, h / tangentOfHalfSlotAngle(circle)));
    double angle = options(CarouselOptionAngle, circle.arc * (offset / circle.count));
    if (state.type == CarouselTypeInvertedCylinder) {
        radius = -radius;
        angle = -angle;
    }
    plat::Transform3D t = plat::translate(base, 0, 0, -radius);
    t = state.vertical ? plat::rotate(t, angle, -1, 0, 0) : plat::rotate(t, angle, 0, 1, 0);
    return plat::translate(t, 0, 0, radius + static_cast<double>(kDepthStep));
}

plat::Transform3D wheelTransform(
    const plat::Transform3D& base, double offset, const CarouselLayoutState& state, const CarouselOptionLookup& options)
{
    const Circle circle = circleOf(state, options);
    double radius = options(CarouselOptionRadius, circle.spacing * state.itemWidth * circle.count / circle.arc);
    double angle = options(CarouselOptionAngle, circle.arc / circle.count);
    if (state.type == CarouselTypeInvertedWheel) {
        radius = -radius;
        angle = -angle;
    }
    const double depth = offset * static_cast<double>(kDepthStep);
    if (state.vertical) {
        plat::Transform3D t = plat::translate(base, -radius, 0, 0);
        t = plat::rotate(t, angle * offset, 0, 0, 1);
        return plat::translate(t, radius, 0, depth);
    }
    plat::Transform3D t = plat::translate(base, 0, radius, 0);
    t = plat::rotate(t, angle * offset, 0, 0, 1);
    return plat::translate(t, 0, -radius, depth);
}

// The turn of an item in the second tilted flow: the item crossing the
// centre turns over with the toggle.
double turnedFlowPosition(double offset, double clamped, double toggle)
{
    if (toggle >= 0) {
        if (offset <= -0.5)
            return -1;
        if (offset <= 0.5)
            return -toggle;
        if (offset <= 1.5)
            return 1 - toggle;
        return clamped;
    }
    if (offset <= -1.5)
        return clamped;
    if (offset <= -0.5)
        return -1 - toggle;
    if (offset <= 0.5)
        return -toggle;
    return 1;
}

plat::Transform3D tiltedFlowTransform(
    const plat::Transform3D& base, double offset, const CarouselLayoutState& state, const CarouselOptionLookup& options)
{
    const double tilt = options(CarouselOptionTilt, static_cast<double>(kFlowTilt));
    const double spacing = options(CarouselOptionSpacing, kFlowSpacing);
    double clamped = std::fmax(-1.0f, std::fmin(1.0f, single(offset)));
    if (state.type == CarouselTypeTiltedFlow2)
        clamped = turnedFlowPosition(offset, clamped, state.toggle);
    const double w = state.itemWidth;
    const double along = (clamped * 0.5 * tilt + offset * spacing) * w;
    const double depth = static_cast<double>(std::fabs(single(clamped))) * w * -0.5;
    const double angle = clamped * -kQuarterTurn * tilt;
    if (state.vertical)
        return plat::rotate(plat::translate(base, 0, along, depth), angle, -1, 0, 0);
    return plat::rotate(plat::translate(base, along, 0, depth), angle, 0, 1, 0);
}

plat::Transform3D recedingStackTransform(
    plat::Transform3D base, double offset, const CarouselLayoutState& state, const CarouselOptionLookup& options)
{
    double tilt = options(CarouselOptionTilt, static_cast<double>(kStackTilt));
    const double spacing = options(CarouselOptionSpacing, 1.0);
    if (state.type == CarouselTypeInvertedRecedingStack) {
        tilt = -tilt;
        offset = -offset;
    }
    const double w = state.itemWidth;
    if (state.vertical)
        return plat::translate(base, 0, offset * w * tilt, offset * w * spacing);
    return plat::translate(base, offset * w * tilt, 0, offset * w * spacing);
}

}  // namespace

int64_t circularCarouselItemCount(const CarouselLayoutState& state, const CarouselOptionLookup& options)
{
    const int64_t slotsAvailable = state.numberOfItems + state.numberOfPlaceholdersToShow;
    if (!isCircular(state.type))
        return slotsAvailable;
    const double spacing = options(CarouselOptionSpacing, 1.0);
    double count
        = static_cast<double>(std::ceil(single(rowLength(state) / (spacing * state.itemWidth)))) * std::numbers::pi;
    count = std::fmax(count, kMinimumCircleSlots);
    count = count > kCarouselMaxVisibleItems ? kCarouselMaxVisibleItems : std::trunc(count);
    count = std::min(count, static_cast<double>(slotsAvailable));
    return truncatedInteger(options(CarouselOptionCount, count));
}

double rawVisibleItemCount(const CarouselLayoutState& state, const CarouselOptionLookup& options)
{
    switch (state.type) {
    case CarouselTypeLinear:
        return linearVisibleCount(state, options(CarouselOptionSpacing, 1.0));
    case CarouselTypeRing:
    case CarouselTypeCylinder:
        return static_cast<double>(circularCarouselItemCount(state, options));
    case CarouselTypeInvertedRing:
    case CarouselTypeInvertedCylinder:
        // Seen from inside, only the nearer half of the circle shows.
        return std::ceil(single(static_cast<double>(circularCarouselItemCount(state, options)) * 0.5));
    case CarouselTypeWheel:
    case CarouselTypeInvertedWheel: {
        const Circle circle = circleOf(state, options);
        const double radius
            = options(CarouselOptionRadius, circle.count * circle.spacing * state.itemWidth / circle.arc);
        const double shortSide = std::min(state.boundsSize.width, state.boundsSize.height);
        // A wheel larger than the view shows only its upper half.
        if (radius - state.itemWidth / 2 < shortSide / 2)
            return circle.count;
        return static_cast<double>(std::ceil(single(circle.count * 0.5)) + 1.0f);
    }
    case CarouselTypeTiltedFlow:
    case CarouselTypeTiltedFlow2:
        return linearVisibleCount(state, options(CarouselOptionSpacing, kFlowSpacing));
    default:
        return kCarouselMaxVisibleItems;
    }
}

plat::Transform3D itemTransformForLayoutType(
    const plat::Transform3D& base, double offset, const CarouselLayoutState& state, const CarouselOptionLookup& options)
{
    switch (state.type) {
    case CarouselTypeLinear: {
        const double distance = offset * state.itemWidth * options(CarouselOptionSpacing, 1.0);
        return state.vertical ? plat::translate(base, 0, distance, 0) : plat::translate(base, distance, 0, 0);
    }
    case CarouselTypeRing:
    case CarouselTypeInvertedRing:
        return ringTransform(base, offset, state, options);
    case CarouselTypeCylinder:
    case CarouselTypeInvertedCylinder:
        return cylinderTransform(base, offset, state, options);
    case CarouselTypeWheel:
    case CarouselTypeInvertedWheel:
        return wheelTransform(base, offset, state, options);
    case CarouselTypeTiltedFlow:
    case CarouselTypeTiltedFlow2:
        return tiltedFlowTransform(base, offset, state, options);
    case CarouselTypeRecedingStack:
    case CarouselTypeInvertedRecedingStack:
        return recedingStackTransform(base, offset, state, options);
    default:
        return plat::Transform3D::identity();
    }
}

}  // namespace zt::detail
