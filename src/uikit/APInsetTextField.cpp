#include "uikit/APInsetTextField.h"

namespace zt {

void APInsetTextField::setInset(plat::EdgeInsets inset)
{
    _inset = inset;
    setNeedsDisplay();
}

plat::Rect APInsetTextField::textRectForBounds(plat::Rect bounds) const
{
    return plat::insetRect(bounds, _inset);
}

plat::Rect APInsetTextField::editingRectForBounds(plat::Rect bounds) const
{
    return plat::insetRect(bounds, _inset);
}

plat::Rect APInsetTextField::placeholderRectForBounds(plat::Rect bounds) const
{
    return plat::insetRect(bounds, _inset);
}

}  // namespace zt
