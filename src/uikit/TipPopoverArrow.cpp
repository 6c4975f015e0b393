#include "uikit/TipPopoverArrow.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Log.h"
#include "uikit/RectOperations.h"

namespace zt {

void TipPopoverArrow::setDirection(unsigned direction)
{
    switch (direction) {
    case TipPopoverArrowDirectionNone:
    case TipPopoverArrowDirectionUp:
    case TipPopoverArrowDirectionDown:
    case TipPopoverArrowDirectionLeft:
    case TipPopoverArrowDirectionRight:
        _direction = direction;
        return;
    default:
        plat::log("TipPopoverArrow: direction {} is not one edge; the bubble has no arrow", direction);
        _direction = TipPopoverArrowDirectionNone;
    }
}

void TipPopoverArrow::setSize(plat::Size size)
{
    if (!detail::isFiniteSize(size)) {
        plat::log("TipPopoverArrow: arrow size {} ignored", plat::stringFromSize(size));
        return;
    }
    _size = {std::max(size.width, 0.0), std::max(size.height, 0.0)};
}

void TipPopoverArrow::setOffset(double offset)
{
    if (std::isfinite(offset))
        _offset = offset;
}

void TipPopoverArrow::setCornerOffset(double offset)
{
    if (std::isfinite(offset))
        _cornerOffset = offset;
}

plat::EdgeInsets TipPopoverArrow::adjustedEdgeInsetsForEdgeInsets(plat::EdgeInsets insets) const
{
    switch (_direction) {
    case TipPopoverArrowDirectionUp:
        insets.top += _size.height;
        break;
    case TipPopoverArrowDirectionLeft:
        insets.left += _size.height;
        break;
    case TipPopoverArrowDirectionDown:
        insets.bottom += _size.height;
        break;
    case TipPopoverArrowDirectionRight:
        insets.right += _size.height;
        break;
    default:
        break;
    }
    return insets;
}

}  // namespace zt
