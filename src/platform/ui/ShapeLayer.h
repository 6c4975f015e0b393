#pragma once
#include <optional>
#include <vector>

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"
#include "platform/ui/Layer.h"

namespace plat {

// The platform's shape layer: a path in the layer's coordinates, filled
// (black by default, none when nullopt) by the non-zero or even-odd rule,
// then stroked (none by default) with width, caps, joins and dashes.
class ShapeLayer : public Layer {
public:
    enum class FillRule { NonZero, EvenOdd };

    static std::shared_ptr<ShapeLayer> layer() { return std::make_shared<ShapeLayer>(); }

    const std::optional<Path>& path() const { return _path; }
    void setPath(std::optional<Path> path);
    const std::optional<Color>& fillColor() const { return _fillColor; }
    void setFillColor(std::optional<Color> color);
    const std::optional<Color>& strokeColor() const { return _strokeColor; }
    void setStrokeColor(std::optional<Color> color);
    double lineWidth() const { return _lineWidth; }
    void setLineWidth(double width);
    LineCap lineCap() const { return _lineCap; }
    void setLineCap(LineCap cap);
    LineJoin lineJoin() const { return _lineJoin; }
    void setLineJoin(LineJoin join);
    double miterLimit() const { return _miterLimit; }
    void setMiterLimit(double limit);
    const std::vector<double>& lineDashPattern() const { return _dashes; }
    void setLineDashPattern(std::vector<double> dashes);
    FillRule fillRule() const { return _fillRule; }
    void setFillRule(FillRule rule);

    void drawOwnContent(GraphicsContext& context, const LayerProperties& properties) const override;
    Rect ownContentExtent(const LayerProperties& properties) const override;

private:
    std::optional<Path> _path;
    std::optional<Color> _fillColor = Color::blackColor();
    std::optional<Color> _strokeColor;
    double _lineWidth = 1;
    LineCap _lineCap = LineCap::Butt;
    LineJoin _lineJoin = LineJoin::Miter;
    double _miterLimit = 10;
    std::vector<double> _dashes;
    FillRule _fillRule = FillRule::NonZero;
};

}  // namespace plat
