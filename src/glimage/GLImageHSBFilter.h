#pragma once
#include <array>

#include "glimage/GLImageColorMatrixFilter.h"

namespace zt {

// Hue, saturation and brightness as one colour matrix: each adjustment
// multiplies into the matrix, reset starts over.
class GLImageHSBFilter : public GLImageColorMatrixFilter {
public:
    using Matrix = std::array<std::array<float, 4>, 4>;  // rows; a colour is a row vector

    GLImageHSBFilter();

    void reset();
    // Turns the hue about the grey axis, keeping luminance.
    void rotateHue(float h);
    // 0 gives luminance grey, 1 changes nothing.
    void adjustSaturation(float s);
    void adjustBrightness(float b);

    const Matrix& matrixForTesting() const { return matrix; }

private:
    void _updateColorMatrix();

    Matrix matrix {};
};

}  // namespace zt
