#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Removes a haze that grows or shrinks down the frame: d = y * slope +
// distance is taken off every component and the rest stretched back to 0..1.
class GLImageHazeFilter : public GLImageFilter {
public:
    GLImageHazeFilter();

    double distance() const { return _distance; }
    void setDistance(double newValue);
    double slope() const { return _slope; }
    void setSlope(double newValue);

private:
    int32_t distanceUniform = 0;
    int32_t slopeUniform = 0;
    double _distance = 0.2;
    double _slope = 0.0;
};

}  // namespace zt
