#include "platform/ui/GradientLayer.h"

#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContext.h"

namespace plat {

void GradientLayer::setColors(std::vector<Color> colors)
{
    _colors = std::move(colors);
    didChangeOwnContent();
}

void GradientLayer::setLocations(std::vector<double> locations)
{
    _locations = std::move(locations);
    didChangeOwnContent();
}

void GradientLayer::setStartPoint(Point point)
{
    _startPoint = point;
    didChangeOwnContent();
}

void GradientLayer::setEndPoint(Point point)
{
    _endPoint = point;
    didChangeOwnContent();
}

void GradientLayer::drawOwnContent(GraphicsContext& context, const LayerProperties& properties) const
{
    if (_colors.empty())
        return;
    std::vector<Color> colors = _colors;
    if (colors.size() == 1)
        colors.push_back(colors.front());  // one colour fills the layer
    Rect b = properties.bounds;
    auto at = [&](Point unit) { return Point {b.minX() + unit.x * b.width(), b.minY() + unit.y * b.height()}; };
    context.saveGState();
    context.clipToRect(b);
    context.drawLinearGradient(Gradient(colors, _locations), at(_startPoint), at(_endPoint),
        GradientDrawsBeforeStartLocation | GradientDrawsAfterEndLocation);
    context.restoreGState();
}

}  // namespace plat
