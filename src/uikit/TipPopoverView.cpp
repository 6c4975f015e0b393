#include "uikit/TipPopoverView.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Log.h"
#include "platform/ui/ImageView.h"
#include "uikit/RectOperations.h"
#include "uikit/TipPopoverAnimationHelper.h"
#include "uikit/TipPopoverBackgroundHelper.h"

namespace zt {

namespace {

bool isFiniteInsets(const plat::EdgeInsets& insets)
{
    return std::isfinite(insets.top) && std::isfinite(insets.left) && std::isfinite(insets.bottom)
        && std::isfinite(insets.right);
}

// Along one axis: how far the frame moves to lie inside [0, extent) as far
// as it can, and the sign that turns the move into the arrow's offset.
double pullAlongAxis(double origin, double length, double boundsOrigin, double extent, double& sign)
{
    sign = 1;
    const double overlapStart = std::max(origin, boundsOrigin);
    const double overlapEnd = std::min(origin + length, boundsOrigin + extent);
    if (overlapEnd < overlapStart) {
        // No overlap at all: move towards the bounds by the whole length.
        if (origin < boundsOrigin) {
            sign = -1;
            return length;
        }
        return -length;
    }
    const double overlap = overlapEnd - overlapStart;
    if (overlap == length)
        return 0;
    const double distance = length - overlap;
    if (overlapStart != boundsOrigin)
        return -distance;  // sticks out past the far edge
    sign = -1;
    return distance;
}

}  // namespace

TipPopoverView::TipPopoverView(plat::Rect frame)
    : plat::View(frame)
{
}

TipPopoverView::~TipPopoverView() = default;

const std::shared_ptr<plat::View>& TipPopoverView::contentView()
{
    if (!_contentView)
        _contentView = std::make_shared<plat::View>();
    return _contentView;
}

const std::shared_ptr<TipPopoverArrow>& TipPopoverView::arrow()
{
    if (!_arrow)
        _arrow = std::make_shared<TipPopoverArrow>();
    return _arrow;
}

const std::shared_ptr<TipPopoverBackgroundHelper>& TipPopoverView::backgroundHelper()
{
    if (!_backgroundHelper)
        _backgroundHelper = std::make_shared<TipPopoverBackgroundHelper>(sharedAs<plat::View>(), arrow());
    return _backgroundHelper;
}

const std::shared_ptr<TipPopoverAnimationHelper>& TipPopoverView::animationHelper()
{
    if (!_animationHelper)
        _animationHelper = std::make_shared<TipPopoverAnimationHelper>(sharedAs<plat::View>());
    return _animationHelper;
}

const std::shared_ptr<plat::ImageView>& TipPopoverView::backgroundImageView()
{
    if (!_backgroundImageView)
        _backgroundImageView = std::make_shared<plat::ImageView>();
    return _backgroundImageView;
}

void TipPopoverView::setContentSize(plat::Size size)
{
    if (!detail::isFiniteSize(size)) {
        plat::log("TipPopoverView: content size {} ignored", plat::stringFromSize(size));
        return;
    }
    _contentSize = {std::max(size.width, 0.0), std::max(size.height, 0.0)};
}

void TipPopoverView::setSuggestedEdgeInsets(plat::EdgeInsets insets)
{
    if (!isFiniteInsets(insets)) {
        plat::log("TipPopoverView: edge insets with NaN or an infinity ignored");
        return;
    }
    _suggestedEdgeInsets = {std::max(insets.top, 0.0), std::max(insets.left, 0.0), std::max(insets.bottom, 0.0),
        std::max(insets.right, 0.0)};
}

plat::Rect TipPopoverView::frameForRect(plat::Rect rect, plat::Size size, unsigned direction, double arrowOffset)
{
    // A rectangle one point wide (or high) is a line: its x (or y) is the target.
    const double x = rect.width() == 1 ? rect.minX() : rect.midX();
    const double y = rect.height() == 1 ? rect.minY() : rect.midY();
    const double w = size.width;
    const double h = size.height;
    const double shift = arrowOffset + arrow()->cornerOffset();
    plat::Point origin;
    switch (direction) {
    case TipPopoverArrowDirectionUp:
        origin = {x - (w / 2 + shift), y};
        break;
    case TipPopoverArrowDirectionDown:
        origin = {x - (w / 2 + shift), y - h};
        break;
    case TipPopoverArrowDirectionLeft:
        origin = {x, y - (h / 2 + shift)};
        break;
    case TipPopoverArrowDirectionRight:
        origin = {x - w, y - (h / 2 + shift)};
        break;
    default:
        origin = {x - w / 2, y - h / 2};
        break;
    }
    return detail::rectIntegral({origin, size});
}

plat::Rect TipPopoverView::pullIntoBounds(
    plat::Rect frame, plat::Rect bounds, unsigned direction, plat::EdgeInsets insets, double& arrowOffset)
{
    double horizontalSign = 1;
    double verticalSign = 1;
    const double dx = pullAlongAxis(frame.minX(), frame.width(), bounds.minX(), bounds.width(), horizontalSign);
    const double dy = pullAlongAxis(frame.minY(), frame.height(), bounds.minY(), bounds.height(), verticalSign);
    const plat::Rect pulled = detail::rectOffset(frame, dx, dy);

    const double r = backgroundHelper()->cornerRadius();
    double limit = 0;
    // The pull adds to the offset the frame was placed with.
    if (direction == TipPopoverArrowDirectionUp || direction == TipPopoverArrowDirectionDown) {
        arrowOffset += horizontalSign * std::fabs(dx);
        limit = (frame.width() - insets.left - insets.right - 2 * r) * 0.5 - r;
    } else if (direction == TipPopoverArrowDirectionLeft || direction == TipPopoverArrowDirectionRight) {
        arrowOffset += verticalSign * std::fabs(dy);
        limit = (frame.height() - insets.top - insets.bottom - 2 * r) * 0.5 - r;
    } else {
        arrowOffset = 0;
    }
    // A body too small for its corners leaves the arrow in the middle
    // rather than flipping it past the other side.
    limit = std::max(limit, 0.0);
    if (std::fabs(std::trunc(arrowOffset)) > limit)
        arrowOffset = std::copysign(limit, arrowOffset);
    return pulled;
}

TipPopoverView::Placement TipPopoverView::placementForRect(
    plat::Rect rect, plat::Rect hostBounds, unsigned direction, double arrowOffset)
{
    TipPopoverArrow sided = *arrow();
    sided.setDirection(direction);
    Placement placement;
    placement.direction = sided.direction();
    placement.edgeInsets = sided.adjustedEdgeInsetsForEdgeInsets(_suggestedEdgeInsets);
    const plat::EdgeInsets& insets = placement.edgeInsets;
    const plat::Size size {
        _contentSize.width + insets.left + insets.right, _contentSize.height + insets.top + insets.bottom};
    placement.arrowOffset = arrowOffset;
    placement.frame = frameForRect(rect, size, placement.direction, arrowOffset);
    if (_adjustPositionInSuperviewEnabled)
        placement.frame
            = pullIntoBounds(placement.frame, hostBounds, placement.direction, insets, placement.arrowOffset);
    return placement;
}

void TipPopoverView::presentFromRect(
    plat::Rect rect, const std::shared_ptr<plat::View>& host, unsigned permittedArrowDirection, bool animated)
{
    if (!host || !detail::isFiniteRect(rect)) {
        plat::log(
            "TipPopoverView: nothing to present at (host {}, rect {})", host != nullptr, plat::stringFromRect(rect));
        return;
    }
    const Placement placement = placementForRect(rect, host->bounds(), permittedArrowDirection, arrow()->offset());
    arrow()->setDirection(permittedArrowDirection);
    arrow()->setOffset(placement.arrowOffset);
    _edgeInsets = placement.edgeInsets;
    const plat::Rect frame = placement.frame;
    setFrame(frame);
    backgroundImageView()->setImage(backgroundHelper()->resizableBackgroundImageForSize(frame.size, _edgeInsets));
    setNeedsLayout();

    auto self = sharedAs<TipPopoverView>();
    if (!animated) {
        host->addSubview(self);
        if (_didPresentBlock)
            _didPresentBlock(*this);
        return;
    }
    const auto& helper = animationHelper();
    TipPopoverAnimationHelper::safePerformBlock(helper->prepareBlock());
    host->addSubview(self);
    plat::View::animateWithDuration(
        helper->presentDuration(), helper->presentDelay(), helper->presentOptions(),
        [helper] { TipPopoverAnimationHelper::safePerformBlock(helper->presentAnimationsBlock()); },
        [self, helper](bool finished) {
            TipPopoverAnimationHelper::safePerformCompletionBlock(helper->presentCompletionBlock(), finished);
            if (auto block = self->_didPresentBlock)
                block(*self);
        });
}

void TipPopoverView::adjustPositionToRect(plat::Rect rect)
{
    adjustPositionToRect(rect, /*animated=*/false);
}

void TipPopoverView::adjustPositionToRect(plat::Rect rect, bool animated)
{
    if (!detail::isFiniteRect(rect))
        return;
    plat::Rect frame = frameForRect(rect, bounds().size, arrow()->direction(), arrow()->offset());
    if (_adjustPositionInSuperviewEnabled) {
        if (auto host = superview()) {
            double ignoredOffset = 0;
            frame = pullIntoBounds(frame, host->bounds(), arrow()->direction(), _edgeInsets, ignoredOffset);
        }
    }
    if (!animated) {
        setFrame(frame);
        return;
    }
    auto self = sharedAs<TipPopoverView>();
    plat::View::animateWithDuration(
        animationHelper()->adjustPositionDuration(), [self, frame] { self->setFrame(frame); });
}

void TipPopoverView::dismissPopoverAnimated(bool animated)
{
    auto self = sharedAs<TipPopoverView>();
    if (!animated) {
        removeFromSuperview();
        if (_didDismissBlock)
            _didDismissBlock(*this);
        return;
    }
    const auto& helper = animationHelper();
    plat::View::animateWithDuration(
        helper->dismissDuration(), helper->dismissDelay(), helper->dismissOptions(),
        [helper] { TipPopoverAnimationHelper::safePerformBlock(helper->dismissAnimationsBlock()); },
        [self, helper](bool finished) {
            TipPopoverAnimationHelper::safePerformCompletionBlock(helper->dismissCompletionBlock(), finished);
            self->removeFromSuperview();
            if (auto block = self->_didDismissBlock)
                block(*self);
        });
}

plat::Rect TipPopoverView::arrowRect()
{
    arrow();
    return arrowRectIn(frame());
}

plat::Rect TipPopoverView::arrowRectIn(plat::Rect f) const
{
    const double base = _arrow->size().width;
    const double height = _arrow->size().height;
    const double offset = _arrow->offset();
    switch (_arrow->direction()) {
    case TipPopoverArrowDirectionUp:
        return plat::makeRect(f.midX() - base / 2 + offset, f.minY() + _edgeInsets.top - height, base, height);
    case TipPopoverArrowDirectionDown:
        return plat::makeRect(f.midX() - base / 2 + offset, f.maxY() - _edgeInsets.bottom, base, height);
    case TipPopoverArrowDirectionLeft:
        return plat::makeRect(f.minX() + _edgeInsets.left - height, f.midY() - base / 2 + offset, height, base);
    case TipPopoverArrowDirectionRight:
        return plat::makeRect(f.maxX() - _edgeInsets.right, f.midY() - base / 2 + offset, height, base);
    default:
        return {};
    }
}

bool TipPopoverView::pointInside(plat::Point point, const plat::Event*) const
{
    const plat::Rect body = plat::insetRect(bounds(), _edgeInsets);
    if (body.contains(point))
        return true;
    return _arrow && arrowRectIn(bounds()).contains(point);
}

void TipPopoverView::layoutSubviews()
{
    const auto& background = backgroundImageView();
    if (background->superview().get() != this)
        insertSubview(background, 0);
    const auto& content = contentView();
    if (content->superview().get() != this)
        addSubview(content);
    background->setFrame(bounds());
    content->setFrame(plat::insetRect(bounds(), _edgeInsets));
}

}  // namespace zt
