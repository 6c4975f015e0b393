#include "platform/ui/ScrollIndicators.h"

#include <algorithm>

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Layer.h"
#include "platform/ui/ScrollView.h"

namespace plat::detail {

namespace {

Color colorFor(ScrollViewIndicatorStyle style)
{
    switch (style) {
    case ScrollViewIndicatorStyle::White:
        return Color::colorWithWhite(1, 0.75);
    case ScrollViewIndicatorStyle::Black:
        return Color::colorWithWhite(0, 0.75);
    case ScrollViewIndicatorStyle::Default:
        break;
    }
    return Color::colorWithWhite(0, 0.35);
}

// Where a bar of the visible length lies along an axis, shortened as the
// content is pulled past an end.
struct Span {
    double start;
    double length;
};

Span spanAlong(double offset, double minOffset, double maxOffset, double visible, double track)
{
    double contentExtent = (maxOffset - minOffset) + visible;
    double length = contentExtent > 0 ? track * visible / contentExtent : track;
    double overshoot = offset < minOffset ? minOffset - offset : (offset > maxOffset ? offset - maxOffset : 0);
    length = std::max(ScrollIndicators::kMinimumLength, length - overshoot);
    length = std::min(length, track);
    double range = maxOffset - minOffset;
    double fraction = range > 0 ? std::clamp((offset - minOffset) / range, 0.0, 1.0) : 0;
    return {fraction * (track - length), length};
}

}  // namespace

ScrollIndicators::ScrollIndicators(ScrollView& owner)
    : _owner(owner)
{
}

ScrollIndicators::~ScrollIndicators()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
}

void ScrollIndicators::ensureViews()
{
    if (_vertical)
        return;
    for (auto* bar : {&_vertical, &_horizontal}) {
        *bar = std::make_shared<View>();
        (*bar)->setUserInteractionEnabled(false);
        (*bar)->setAlpha(0);
        (*bar)->layer()->setCornerRadius(kThickness / 2);
        (*bar)->setBackgroundColor(colorFor(_owner.indicatorStyle()));
        (*bar)->setAccessibilityIdentifier(
            bar == &_vertical ? "vertical scroll indicator" : "horizontal scroll indicator");
    }
}

void ScrollIndicators::setStyle(ScrollViewIndicatorStyle style)
{
    if (!_vertical)
        return;
    _vertical->setBackgroundColor(colorFor(style));
    _horizontal->setBackgroundColor(colorFor(style));
}

void ScrollIndicators::update()
{
    if (!_vertical)
        return;
    Rect b = _owner.bounds();
    EdgeInsets insets = _owner.scrollIndicatorInsets();
    Point minimum = _owner.minimumContentOffset();
    Point maximum = _owner.maximumContentOffset();
    View::performWithoutAnimation([&] {
        double trackHeight = b.height() - insets.top - insets.bottom - 2 * kMargin;
        Span v = spanAlong(b.minY(), minimum.y, maximum.y, b.height(), std::max(0.0, trackHeight));
        _vertical->setFrame(makeRect(b.maxX() - insets.right - kMargin - kThickness,
            b.minY() + insets.top + kMargin + v.start, kThickness, v.length));
        double trackWidth = b.width() - insets.left - insets.right - 2 * kMargin - kThickness;
        Span h = spanAlong(b.minX(), minimum.x, maximum.x, b.width(), std::max(0.0, trackWidth));
        _horizontal->setFrame(makeRect(b.minX() + insets.left + kMargin + h.start,
            b.maxY() - insets.bottom - kMargin - kThickness, h.length, kThickness));
    });
}

void ScrollIndicators::show()
{
    ensureViews();
    RunLoop::main().cancelPreviousPerformRequests(this);
    const auto& subviews = _owner.subviews();
    bool inFront = subviews.size() >= 2 && subviews[subviews.size() - 2] == _vertical && subviews.back() == _horizontal;
    if (!inFront) {
        // In front of the content, which may have grown since they were last shown.
        _owner.addSubview(_vertical);
        _owner.addSubview(_horizontal);
    }
    bool vertical
        = _owner.showsVerticalScrollIndicator() && _owner.maximumContentOffset().y > _owner.minimumContentOffset().y;
    bool horizontal
        = _owner.showsHorizontalScrollIndicator() && _owner.maximumContentOffset().x > _owner.minimumContentOffset().x;
    View::performWithoutAnimation([&] {
        _vertical->setAlpha(vertical ? 1 : 0);
        _horizontal->setAlpha(horizontal ? 1 : 0);
    });
    _shown = vertical || horizontal;
    update();
}

void ScrollIndicators::hideSoon()
{
    if (!_shown)
        return;
    RunLoop::main().cancelPreviousPerformRequests(this);
    RunLoop::main().performAfterDelay(this, kHideDelaySeconds, [this] { fadeOut(); });
}

void ScrollIndicators::showThenHide()
{
    show();
    hideSoon();
}

void ScrollIndicators::fadeOut()
{
    _shown = false;
    auto vertical = _vertical, horizontal = _horizontal;
    View::animateWithDuration(kFadeSeconds, [&] {
        vertical->setAlpha(0);
        horizontal->setAlpha(0);
    });
}

}  // namespace plat::detail
