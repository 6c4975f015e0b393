#include "painter/PainterStampHolderView.h"

#include "platform/graphics/GraphicsContext.h"

namespace zt {

namespace {
constexpr double kRingAlpha = 0.3;
constexpr double kDotAlpha = 0.7;
constexpr double kDotSide = 20;
}  // namespace

PainterStampHolderView::PainterStampHolderView()
    : PainterStampHolderView(plat::Rect {})
{
}

PainterStampHolderView::PainterStampHolderView(plat::Rect frame)
    : plat::View(frame)
{
    setOpaque(false);
    setBackgroundColor(plat::Color::clearColor());
}

void PainterStampHolderView::drawRect(plat::GraphicsContext& context, plat::Rect)
{
    const double w = frame().size.width;
    const double h = frame().size.height;
    const plat::Rect circle = plat::makeRect(1, 1, w - 2, h - 2);
    context.setFillColor(plat::Color::colorWithWhite(1, kRingAlpha));
    context.fillEllipseInRect(circle);
    context.setStrokeColor(plat::Color::colorWithWhite(0, kRingAlpha));
    context.setLineWidth(1.0);
    context.strokeEllipseInRect(circle);
    context.setFillColor(plat::Color::colorWithWhite(0, kDotAlpha));
    context.fillEllipseInRect(plat::makeRect(w / 2 - kDotSide / 2, h / 2 - kDotSide / 2, kDotSide, kDotSide));
}

}  // namespace zt
