#include "platform/ui/ProgressView.h"

#include <algorithm>

#include "platform/graphics/GraphicsContext.h"

namespace plat {

ProgressView::ProgressView(ProgressViewStyle style)
    : View(Rect {{0, 0}, {0, kHeight}})
    , _style(style)
{
}

ProgressView::ProgressView(Rect frame)
    : View(frame)
{
}

void ProgressView::setProgress(double progress)
{
    _progress = std::clamp(progress, 0.0, 1.0);
    setNeedsDisplay();
}

void ProgressView::setProgress(double progress, bool)
{
    setProgress(progress);
}

void ProgressView::setProgressTintColor(std::optional<Color> color)
{
    _progressTint = std::move(color);
    setNeedsDisplay();
}

void ProgressView::setTrackTintColor(std::optional<Color> color)
{
    _trackTint = std::move(color);
    setNeedsDisplay();
}

void ProgressView::drawRect(GraphicsContext& context, Rect)
{
    Rect b = bounds();
    context.setFillColor(_trackTint.value_or(Color::colorWithWhite(0.72, 1)));
    context.fillRect(b);
    context.setFillColor(_progressTint.value_or(tintColor()));
    context.fillRect({b.origin, {b.width() * _progress, b.height()}});
}

}  // namespace plat
