#pragma once
#include <vector>

#include "platform/ui/Layer.h"

namespace plat {

// The platform's gradient layer: an axial gradient of its colours at their
// locations (spread evenly when none) from startPoint to endPoint, both in
// unit coordinates of the bounds (default top middle to bottom middle),
// extended past both ends.
class GradientLayer : public Layer {
public:
    static std::shared_ptr<GradientLayer> layer() { return std::make_shared<GradientLayer>(); }

    const std::vector<Color>& colors() const { return _colors; }
    void setColors(std::vector<Color> colors);
    const std::vector<double>& locations() const { return _locations; }
    void setLocations(std::vector<double> locations);
    Point startPoint() const { return _startPoint; }
    void setStartPoint(Point point);
    Point endPoint() const { return _endPoint; }
    void setEndPoint(Point point);

    void drawOwnContent(GraphicsContext& context, const LayerProperties& properties) const override;

private:
    std::vector<Color> _colors;
    std::vector<double> _locations;
    Point _startPoint {0.5, 0};
    Point _endPoint {0.5, 1};
};

}  // namespace plat
