#include "platform/ui/ShapeLayer.h"

namespace plat {

void ShapeLayer::setPath(std::optional<Path> path)
{
    _path = std::move(path);
    didChangeProperty();
}

void ShapeLayer::setFillColor(std::optional<Color> color)
{
    _fillColor = std::move(color);
    didChangeProperty();
}

void ShapeLayer::setStrokeColor(std::optional<Color> color)
{
    _strokeColor = std::move(color);
    didChangeProperty();
}

void ShapeLayer::setLineWidth(double width)
{
    _lineWidth = width;
    didChangeProperty();
}

void ShapeLayer::setLineCap(LineCap cap)
{
    _lineCap = cap;
    didChangeProperty();
}

void ShapeLayer::setLineJoin(LineJoin join)
{
    _lineJoin = join;
    didChangeProperty();
}

void ShapeLayer::setMiterLimit(double limit)
{
    _miterLimit = limit;
    didChangeProperty();
}

void ShapeLayer::setLineDashPattern(std::vector<double> dashes)
{
    _dashes = std::move(dashes);
    didChangeProperty();
}

void ShapeLayer::setFillRule(FillRule rule)
{
    _fillRule = rule;
    didChangeProperty();
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
