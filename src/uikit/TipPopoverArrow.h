#pragma once
#include "platform/foundation/Geometry.h"
#include "platform/graphics/EdgeInsets.h"

namespace zt {

// Which edge of a help bubble carries its arrow (one value at a time).
enum TipPopoverArrowDirection : unsigned {
    TipPopoverArrowDirectionNone = 1,  // no arrow: the bubble is centred on the target
    TipPopoverArrowDirectionUp = 2,  // top edge: the bubble lies below the target
    TipPopoverArrowDirectionDown = 4,
    TipPopoverArrowDirectionLeft = 8,
    TipPopoverArrowDirectionRight = 16,
};

// The arrow of a help bubble: its edge, its size (width along the edge,
// height out of it), its shift from the edge's middle and an extra shift of
// the tip alone. Main thread, with its bubble.
class TipPopoverArrow {
public:
    unsigned direction() const { return _direction; }
    // A value other than the five directions counts as none.
    void setDirection(unsigned direction);
    plat::Size size() const { return _size; }
    // Negative sides count as 0; a size with NaN or an infinity is refused.
    void setSize(plat::Size size);
    double offset() const { return _offset; }
    void setOffset(double offset);
    double cornerOffset() const { return _cornerOffset; }
    void setCornerOffset(double offset);

    // The insets with the arrow's height added on its side.
    plat::EdgeInsets adjustedEdgeInsetsForEdgeInsets(plat::EdgeInsets insets) const;

private:
    unsigned _direction = TipPopoverArrowDirectionNone;
    plat::Size _size {10, 10};
    double _offset = 0;
    double _cornerOffset = 0;
};

}  // namespace zt
