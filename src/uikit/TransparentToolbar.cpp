#include "uikit/TransparentToolbar.h"

namespace zt {

void TransparentToolbar::setTransparent(bool transparent)
{
    _isTransparent = transparent;
    if (transparent)
        applyTranslucentBackground();
    setNeedsDisplay();
}

void TransparentToolbar::applyTranslucentBackground()
{
    setBackgroundColor(plat::Color::clearColor());
    setOpaque(false);
    setTranslucent(true);
}

void TransparentToolbar::drawRect(plat::GraphicsContext& context, plat::Rect rect)
{
    if (!_isTransparent)
        plat::Toolbar::drawRect(context, rect);
}

}  // namespace zt
