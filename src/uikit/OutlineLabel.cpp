#include "uikit/OutlineLabel.h"

#include "platform/graphics/GraphicsContext.h"

namespace zt {

namespace {

constexpr double kOutlineWidth = 1.0;

}  // namespace

void OutlineLabel::drawTextInRect(plat::GraphicsContext& context, plat::Rect rect)
{
    context.saveGState();
    // The outline first, black, with the label's shadow...
    context.setLineWidth(kOutlineWidth);
    context.setLineJoin(plat::LineJoin::Round);
    context.setTextDrawingMode(plat::TextDrawingMode::Stroke);
    drawTextWithColor(context, rect, plat::Color::blackColor(), TextShadow::Include);
    // ...then the fill in the text colour over it, without a shadow.
    context.setTextDrawingMode(plat::TextDrawingMode::Fill);
    drawTextWithColor(context, rect, effectiveTextColor(), TextShadow::Omit);
    context.restoreGState();
}

}  // namespace zt
