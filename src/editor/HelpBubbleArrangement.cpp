#include "editor/HelpBubbleArrangement.h"

#include <cmath>
#include <initializer_list>

#include "platform/graphics/EdgeInsets.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"
#include "uikit/RectOperations.h"
#include "uikit/TipPopoverArrow.h"
#include "uikit/TipPopoverView.h"

namespace zt {

namespace {

// Room kept free around a bubble, so that two never touch.
constexpr double kGap = 4;
// How far a bubble is moved along its side at a time.
constexpr double kShiftStep = 6;
constexpr int kLargestShiftSteps = 40;
// An arrow stays this far from the ends of the edge it points at.
constexpr double kCornerRoom = 4;
// An arrow placed on whole points may miss its target by this much.
constexpr double kArrowSlack = 1;

double overlapArea(plat::Rect a, plat::Rect b)
{
    const auto common = detail::rectIntersection(a, b);
    return common ? common->width() * common->height() : 0;
}

plat::Rect outset(plat::Rect rect, double by)
{
    return plat::makeRect(rect.minX() - by, rect.minY() - by, rect.width() + 2 * by, rect.height() + 2 * by);
}

// The texts a person sees in the view: each label's drawn text, cut by what
// clips it, in the view's coordinates.
void collectTexts(const plat::View& root, const plat::View& view, plat::Rect clip, std::vector<plat::Rect>& texts)
{
    if (view.isHidden() || view.alpha() <= 0.01)
        return;
    const plat::Rect bounds = view.convertRect(view.bounds(), &root);
    if (view.clipsToBounds()) {
        const auto clipped = detail::rectIntersection(clip, bounds);
        if (!clipped || clipped->isEmpty())
            return;
        clip = *clipped;
    }
    if (const auto* label = dynamic_cast<const plat::Label*>(&view); label && !label->text().empty()) {
        const plat::Rect text
            = view.convertRect(label->textRectForBounds(label->bounds(), label->numberOfLines()), &root);
        if (const auto shown = detail::rectIntersection(text, clip); shown && !shown->isEmpty())
            texts.push_back(*shown);
    }
    for (const auto& subview : view.subviews())
        collectTexts(root, *subview, clip, texts);
}

unsigned opposite(unsigned direction)
{
    switch (direction) {
    case TipPopoverArrowDirectionUp:
        return TipPopoverArrowDirectionDown;
    case TipPopoverArrowDirectionDown:
        return TipPopoverArrowDirectionUp;
    case TipPopoverArrowDirectionLeft:
        return TipPopoverArrowDirectionRight;
    case TipPopoverArrowDirectionRight:
        return TipPopoverArrowDirectionLeft;
    default:
        return direction;
    }
}

bool isVertical(unsigned direction)
{
    return direction == TipPopoverArrowDirectionUp || direction == TipPopoverArrowDirectionDown;
}

bool isArrow(unsigned direction)
{
    return isVertical(direction) || direction == TipPopoverArrowDirectionLeft
        || direction == TipPopoverArrowDirectionRight;
}

// The directions to try: the one asked for, the other side, then across.
std::vector<unsigned> directionsToTry(unsigned preferred)
{
    if (!isArrow(preferred))
        return {preferred};
    const unsigned across1 = isVertical(preferred) ? TipPopoverArrowDirectionLeft : TipPopoverArrowDirectionUp;
    return {preferred, opposite(preferred), across1, opposite(across1)};
}

// Does the arrow of a bubble so placed point at the spot, or at least into
// the rectangle (a bubble pulled in from the screen's edge), from no further
// than the bubble's margin?
bool arrowMeetsTarget(
    TipPopoverView& bubble, const TipPopoverView::Placement& placement, plat::Rect spot, plat::Rect rect)
{
    if (!isArrow(placement.direction))
        return true;
    const plat::Rect frame = placement.frame;
    const plat::EdgeInsets& insets = placement.edgeInsets;
    const double reach = bubble.suggestedEdgeInsets().top + kArrowSlack;
    const double arrow = bubble.arrow()->size().height;
    auto within = [&](double tip, double from, double to) { return tip >= from - reach && tip <= to + reach; };
    if (isVertical(placement.direction)) {
        const double target = spot.width() == 1 ? spot.minX() : spot.midX();
        const double tip = placement.direction == TipPopoverArrowDirectionUp ? frame.minY() + insets.top - arrow
                                                                             : frame.maxY() - insets.bottom + arrow;
        return std::fabs(frame.midX() + placement.arrowOffset - target) <= kArrowSlack
            && within(tip, rect.minY(), rect.maxY());
    }
    const double target = spot.height() == 1 ? spot.minY() : spot.midY();
    const double tip = placement.direction == TipPopoverArrowDirectionLeft ? frame.minX() + insets.left - arrow
                                                                           : frame.maxX() - insets.right + arrow;
    return std::fabs(frame.midY() + placement.arrowOffset - target) <= kArrowSlack
        && within(tip, rect.minX(), rect.maxX());
}

bool contains(plat::Rect outer, plat::Rect inner)
{
    return inner.minX() >= outer.minX() && inner.minY() >= outer.minY() && inner.maxX() <= outer.maxX()
        && inner.maxY() <= outer.maxY();
}

plat::Rect bodyOf(const TipPopoverView::Placement& placement)
{
    return plat::insetRect(placement.frame, placement.edgeInsets);
}

}  // namespace

HelpBubbleArrangement::HelpBubbleArrangement(const plat::View& view)
    : _bounds(view.bounds())
{
    collectTexts(view, view, _bounds, _texts);
}

plat::Rect HelpBubbleArrangement::spotFacing(plat::Rect rect, unsigned direction)
{
    // A side one point long already is a line: it stays.
    switch (direction) {
    case TipPopoverArrowDirectionUp:
        return rect.height() == 1 ? rect : plat::makeRect(rect.minX(), rect.maxY(), rect.width(), 1);
    case TipPopoverArrowDirectionDown:
        return rect.height() == 1 ? rect : plat::makeRect(rect.minX(), rect.minY(), rect.width(), 1);
    case TipPopoverArrowDirectionLeft:
        return rect.width() == 1 ? rect : plat::makeRect(rect.maxX(), rect.minY(), 1, rect.height());
    case TipPopoverArrowDirectionRight:
        return rect.width() == 1 ? rect : plat::makeRect(rect.minX(), rect.minY(), 1, rect.height());
    default:
        return rect;
    }
}

double HelpBubbleArrangement::coveredArea(plat::Rect body) const
{
    const plat::Rect kept = outset(body, kGap);
    double covered = 0;
    for (const plat::Rect& text : _texts)
        covered += overlapArea(kept, text);
    for (const plat::Rect& bubble : _bubbles)
        covered += overlapArea(kept, bubble);
    return covered;
}

// The points of the edge an arrow may touch: its middle first, then further
// and further out, short of the corners.
std::vector<plat::Point> pointsAlong(plat::Rect edge)
{
    const bool across = edge.height() == 1;
    const plat::Point middle {edge.width() == 1 ? edge.minX() : edge.midX(), across ? edge.minY() : edge.midY()};
    const double reach = std::max(0.0, (across ? edge.width() : edge.height()) / 2 - kCornerRoom);
    std::vector<plat::Point> points {middle};
    for (double distance = kShiftStep; distance <= reach; distance += kShiftStep) {
        for (const double sign : {1.0, -1.0}) {
            plat::Point point = middle;
            (across ? point.x : point.y) += sign * distance;
            points.push_back(point);
        }
    }
    return points;
}

HelpBubbleArrangement::Choice HelpBubbleArrangement::place(
    TipPopoverView& bubble, plat::Rect rect, unsigned preferredDirection)
{
    Choice best;
    double bestCovered = INFINITY;
    plat::Rect bestBody;
    for (const unsigned direction : directionsToTry(preferredDirection)) {
        const plat::Rect edge = spotFacing(rect, direction);
        for (const plat::Point point : isArrow(direction) ? pointsAlong(edge) : std::vector<plat::Point> {}) {
            const plat::Rect spot = plat::makeRect(point.x, point.y, 1, 1);
            for (int step = 0; step <= 2 * kLargestShiftSteps && bestCovered > 0; ++step) {
                // 0, then one step either way, two steps either way, and so on.
                const double shift = (step + 1) / 2 * kShiftStep * (step % 2 == 1 ? 1 : -1);
                const auto placement = bubble.placementForRect(spot, _bounds, direction, shift);
                const plat::Rect body = bodyOf(placement);
                if (!arrowMeetsTarget(bubble, placement, spot, rect) || !contains(_bounds, body))
                    continue;
                const double covered = coveredArea(body);
                if (covered < bestCovered) {
                    bestCovered = covered;
                    best = {spot, placement.direction, shift};
                    bestBody = body;
                }
            }
        }
    }
    if (std::isinf(bestCovered)) {
        // No arrow, or no way keeps it on the rectangle: where presenting puts it.
        const plat::Rect spot = spotFacing(rect, preferredDirection);
        const auto placement = bubble.placementForRect(spot, _bounds, preferredDirection, 0);
        best = {spot, placement.direction, 0};
        bestBody = bodyOf(placement);
    }
    _bubbles.push_back(bestBody);
    return best;
}

}  // namespace zt
