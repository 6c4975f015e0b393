#pragma once
#include <array>
#include <cstdint>

#include "glimage/GLImageFilter.h"

namespace zt {

// Draws a list of points (x, y fractions of the frame, as the corner
// detectors report them) as small crosshairs on a transparent frame and
// hands it on. It draws only when given points; its frame size is the one
// forced on it or its input's. Any thread (the drawing runs on the context
// queue).
class GLImageCrosshairGenerator : public GLImageFilter {
public:
    GLImageCrosshairGenerator();  // 5 pixels wide, green

    // points: count x, y pairs, read before this returns.
    void renderCrosshairsFromArray(
        const float* crosshairCoordinates, uint64_t numberOfCrosshairs, const plat::MediaTime& frameTime);
    void renderToTextureWithVertices(const float*, const float*, uint32_t) override { }

    double crosshairWidth() const { return _crosshairWidth; }
    void setCrosshairWidth(double newValue);
    void setCrosshairColorRed(float redComponent, float greenComponent, float blueComponent);

private:
    int32_t crosshairWidthUniform = -1;
    int32_t crosshairColorUniform = -1;
    double _crosshairWidth = 5.0;
};

}  // namespace zt
