#include "platform/ui/ShapeLayer.h"

#include <algorithm>

namespace plat {

void ShapeLayer::setPath(std::optional<Path> path)
{
    _path = std::move(path);
    didChangeOwnContent();
}

void ShapeLayer::setFillColor(std::optional<Color> color)
{
    _fillColor = std::move(color);
    didChangeOwnContent();
}

void ShapeLayer::setStrokeColor(std::optional<Color> color)
{
    _strokeColor = std::move(color);
    didChangeOwnContent();
}

void ShapeLayer::setLineWidth(double width)
{
    _lineWidth = width;
    didChangeOwnContent();
}

void ShapeLayer::setLineCap(LineCap cap)
{
    _lineCap = cap;
    didChangeOwnContent();
}

void ShapeLayer::setLineJoin(LineJoin join)
{
    _lineJoin = join;
    didChangeOwnContent();
}

void ShapeLayer::setMiterLimit(double limit)
{
    _miterLimit = limit;
    didChangeOwnContent();
}

void ShapeLayer::setLineDashPattern(std::vector<double> dashes)
{
    _dashes = std::move(dashes);
    didChangeOwnContent();
}

void ShapeLayer::setFillRule(FillRule rule)
{
    _fillRule = rule;
    didChangeOwnContent();
}

Rect ShapeLayer::ownContentExtent(const LayerProperties& properties) const
{
    if (!_path || _path->isEmpty())
        return properties.bounds;
    // A mitred corner reaches out at most miterLimit half-widths.
    const double reach = _strokeColor ? _lineWidth / 2 * std::max(1.0, _miterLimit) : 0;
    const Rect shape = _path->bounds();
    return makeRect(shape.minX() - reach, shape.minY() - reach, shape.width() + 2 * reach, shape.height() + 2 * reach);
}

void ShapeLayer::drawOwnContent(GraphicsContext& context, const LayerProperties&) const
{
    if (!_path || _path->isEmpty())
        return;
    context.saveGState();
    if (_fillColor && (_fillColor->alpha() > 0 || _fillColor->patternImage())) {
        context.setFillColor(*_fillColor);
        context.beginPath();
        context.addPath(*_path);
        if (_fillRule == FillRule::EvenOdd)
            context.eoFillPath();
        else
            context.fillPath();
    }
    if (_strokeColor && _lineWidth > 0) {
        context.setStrokeColor(*_strokeColor);
        context.setLineWidth(_lineWidth);
        context.setLineCap(_lineCap);
        context.setLineJoin(_lineJoin);
        context.setMiterLimit(_miterLimit);
        context.setLineDash(0, _dashes);
        context.beginPath();
        context.addPath(*_path);
        context.strokePath();
    }
    context.restoreGState();
}

}  // namespace plat
