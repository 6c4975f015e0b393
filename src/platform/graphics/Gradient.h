#pragma once
#include <vector>

#include "platform/graphics/Color.h"

namespace plat {

// Colours at locations from 0 to 1, as the platform's gradient holds them.
// Without locations the colours are spread evenly. Any thread (value type).
class Gradient {
public:
    Gradient(std::vector<Color> colors, std::vector<double> locations = {})
        : _colors(std::move(colors))
        , _locations(std::move(locations))
    {
        if (_locations.size() != _colors.size()) {
            _locations.clear();
            for (size_t i = 0; i < _colors.size(); ++i)
                _locations.push_back(_colors.size() > 1 ? static_cast<double>(i) / (_colors.size() - 1) : 0.0);
        }
    }
    const std::vector<Color>& colors() const { return _colors; }
    const std::vector<double>& locations() const { return _locations; }

private:
    std::vector<Color> _colors;
    std::vector<double> _locations;
};

// Whether a gradient fills beyond its start and end, as the platform's flags.
enum GradientDrawingOptions : unsigned {
    GradientDrawsBeforeStartLocation = 1u << 0,
    GradientDrawsAfterEndLocation = 1u << 1,
};

}  // namespace plat
