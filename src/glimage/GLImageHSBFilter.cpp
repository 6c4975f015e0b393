#include "glimage/GLImageHSBFilter.h"

#include <cmath>
#include <numbers>

namespace zt {

namespace {

using Matrix = GLImageHSBFilter::Matrix;

constexpr float kRedLuminance = 0.3f;
constexpr float kGreenLuminance = 0.59f;
constexpr float kBlueLuminance = 0.11f;

Matrix identity()
{
    return {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
}

Matrix multiply(const Matrix& a, const Matrix& b)
{
    Matrix result {};
    for (size_t i = 0; i < 4; ++i)
        for (size_t j = 0; j < 4; ++j)
            for (size_t k = 0; k < 4; ++k)
                result[i][j] += a[i][k] * b[k][j];
    return result;
}

Matrix xRotation(float sine, float cosine)
{
    return {{{1, 0, 0, 0}, {0, cosine, sine, 0}, {0, -sine, cosine, 0}, {0, 0, 0, 1}}};
}

Matrix yRotation(float sine, float cosine)
{
    return {{{cosine, 0, -sine, 0}, {0, 1, 0, 0}, {sine, 0, cosine, 0}, {0, 0, 0, 1}}};
}

Matrix zRotation(float sine, float cosine)
{
    return {{{cosine, sine, 0, 0}, {-sine, cosine, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
}

Matrix zShear(float dx, float dy)
{
    Matrix shear = identity();
    shear[0][2] = dx;
    shear[1][2] = dy;
    return shear;
}

// (x, y, z, 1) times the matrix, as a colour is transformed.
std::array<float, 3> transformPoint(const Matrix& m, float x, float y, float z)
{
    return {x * m[0][0] + y * m[1][0] + z * m[2][0] + m[3][0], x * m[0][1] + y * m[1][1] + z * m[2][1] + m[3][1],
        x * m[0][2] + y * m[1][2] + z * m[2][2] + m[3][2]};
}

}  // namespace

GLImageHSBFilter::GLImageHSBFilter()
{
    reset();
}

void GLImageHSBFilter::reset()
{
    matrix = identity();
    _updateColorMatrix();
}

void GLImageHSBFilter::rotateHue(float h)
{
    // Turn grey onto the z axis, shear so that luminance stays constant in
    // the z rotation, rotate, and undo the shear and the turns.
    constexpr float kHalfSqrt2 = 0.70710677f;
    constexpr float kYSine = 0.57735026f;
    constexpr float kYCosine = 0.8164966f;
    Matrix t = identity();
    t = multiply(t, xRotation(kHalfSqrt2, kHalfSqrt2));
    t = multiply(t, yRotation(-kYSine, kYCosine));
    auto [lx, ly, lz] = transformPoint(t, kRedLuminance, kGreenLuminance, kBlueLuminance);
    const float shearX = lx / lz;
    const float shearY = ly / lz;
    t = multiply(t, zShear(shearX, shearY));
    const float radians = float(double(h) * std::numbers::pi / 180.0);
    t = multiply(t, zRotation(std::sin(radians), std::cos(radians)));
    t = multiply(t, zShear(-shearX, -shearY));
    t = multiply(t, yRotation(kYSine, kYCosine));
    t = multiply(t, xRotation(-kHalfSqrt2, kHalfSqrt2));
    matrix = multiply(matrix, t);
    _updateColorMatrix();
}

void GLImageHSBFilter::adjustSaturation(float s)
{
    const float a = (1.0f - s) * kRedLuminance;
    const float b = (1.0f - s) * kGreenLuminance;
    const float d = (1.0f - s) * kBlueLuminance;
    const Matrix saturation = {{{a + s, a, a, 0}, {b, b + s, b, 0}, {d, d, d + s, 0}, {0, 0, 0, 1}}};
    matrix = multiply(matrix, saturation);
    _updateColorMatrix();
}

void GLImageHSBFilter::adjustBrightness(float b)
{
    const Matrix brightness = {{{b, 0, 0, 0}, {0, b, 0, 0}, {0, 0, b, 0}, {0, 0, 0, 1}}};
    matrix = multiply(matrix, brightness);
    _updateColorMatrix();
}

void GLImageHSBFilter::_updateColorMatrix()
{
    // The colour matrix filter dots the colour with its rows: they are our columns.
    const auto& m = matrix;
    setColorMatrix({{m[0][0], m[1][0], m[2][0], m[3][0]}, {m[0][1], m[1][1], m[2][1], m[3][1]},
        {m[0][2], m[1][2], m[2][2], m[3][2]}, {m[0][3], m[1][3], m[2][3], m[3][3]}});
}

}  // namespace zt
