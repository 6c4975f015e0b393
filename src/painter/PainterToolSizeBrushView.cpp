#include "painter/PainterToolSizeBrushView.h"

#include "painter/PainterBrush.h"
#include "platform/graphics/GraphicsContext.h"

namespace zt {

PainterToolSizeBrushView::PainterToolSizeBrushView(plat::Rect frame)
    : plat::View(frame)
{
    setBackgroundColor(plat::Color::clearColor());
}

void PainterToolSizeBrushView::setBrush(std::shared_ptr<PainterBrush> brush)
{
    _brush = std::move(brush);
    setNeedsDisplay();
}

void PainterToolSizeBrushView::drawRect(plat::GraphicsContext& context, plat::Rect)
{
    if (!_brush)
        return;
    const double w = frame().size.width;
    const double h = frame().size.height;
    const int64_t size = _brush->size();
    // Integer halves, so that the disc sits on whole points.
    const double half = static_cast<double>(size / 2);
    context.setFillColor(_brush->color().value_or(plat::Color::clearColor()));
    context.fillEllipseInRect(plat::makeRect(w / 2 - half, h / 2 - half, double(size), double(size)));
    context.setStrokeColor(plat::Color::colorWithWhite(0, 0.3));
    context.setLineWidth(1.0);
    context.strokeEllipseInRect(plat::makeRect(1, 1, w - 2, h - 2));
}

}  // namespace zt
