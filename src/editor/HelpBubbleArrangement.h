#pragma once
#include <vector>

#include "platform/foundation/Geometry.h"

namespace plat {
class View;
}

namespace zt {
class TipPopoverView;

// Where the help overlay's bubbles go in their view, one after the other:
// each points at the edge of its spot that faces it (so it covers none of
// the control it explains), on the side asked for if it can, and moved
// along that side or over to another one so that it covers neither a bubble
// placed before it nor a text of the screen. When every way is blocked, the
// way that covers least. Main thread.
class HelpBubbleArrangement {
public:
    // The texts on screen are taken from the view now, before any bubble is in it.
    explicit HelpBubbleArrangement(const plat::View& view);

    struct Choice {
        plat::Rect spot;  // the edge of the rectangle the arrow touches
        unsigned direction = 0;
        double arrowOffset = 0;
    };
    // The way the bubble (its content size set) points at the rectangle;
    // what it then covers counts for the bubbles placed after it.
    Choice place(TipPopoverView& bubble, plat::Rect rect, unsigned preferredDirection);

    // The edge of the rectangle that a bubble with that arrow points at: the
    // bottom edge for an arrow on the bubble's top edge, and so on; the
    // rectangle itself without an arrow.
    static plat::Rect spotFacing(plat::Rect rect, unsigned direction);

    const std::vector<plat::Rect>& texts() const { return _texts; }

private:
    double coveredArea(plat::Rect body) const;

    plat::Rect _bounds;
    std::vector<plat::Rect> _texts;
    std::vector<plat::Rect> _bubbles;
};

}  // namespace zt
