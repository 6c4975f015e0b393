#include "capture/CaptureGridView.h"

#include "platform/graphics/GraphicsContext.h"

namespace zt {

namespace {

constexpr double kLineWidth = 1.0;
constexpr double kLineAlpha = 0.6;
constexpr int kParts = 3;

}  // namespace

CaptureGridView::CaptureGridView(plat::Rect frame)
    : plat::View(frame)
{
    setOpaque(false);
    setBackgroundColor(plat::Color::clearColor());
    setUserInteractionEnabled(false);
    setContentMode(plat::ContentMode::Redraw);
}

void CaptureGridView::drawRect(plat::GraphicsContext& context, plat::Rect)
{
    const plat::Rect area = bounds();
    context.setStrokeColor(plat::Color::colorWithWhite(1, kLineAlpha));
    context.setLineWidth(kLineWidth);
    for (int i = 1; i < kParts; ++i) {
        const double x = area.width() * i / kParts;
        const double y = area.height() * i / kParts;
        context.moveToPoint({x, 0});
        context.addLineToPoint({x, area.height()});
        context.moveToPoint({0, y});
        context.addLineToPoint({area.width(), y});
    }
    context.strokePath();
}

}  // namespace zt
