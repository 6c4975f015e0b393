#pragma once
// Reading pictures on the CPU at arbitrary texture coordinates, as GL's
// linearly filtered, edge-clamped textures are read, for the filters that
// move pixels; and rendering one picture through a filter.
#include <cmath>
#include <memory>

#include "GLImageCpuReference.h"
#include "glimage/GLImageOutput.h"

namespace zt::test {

// The texture coordinate of the centre of pixel (x, y) of a width x height frame.
inline std::array<double, 2> pixelCentre(int x, int y, int width, int height)
{
    return {(x + 0.5) / width, (y + 0.5) / height};
}

// Bilinear between the four nearest texel centres, edges clamped.
inline Colour sampleLinear(const CpuPicture& picture, double u, double v)
{
    const double fx = u * picture.width - 0.5;
    const double fy = v * picture.height - 0.5;
    const int x0 = int(std::floor(fx));
    const int y0 = int(std::floor(fy));
    const double tx = fx - x0;
    const double ty = fy - y0;
    Colour result {};
    for (size_t c = 0; c < 4; ++c) {
        const double top = picture.at(x0, y0)[c] * (1 - tx) + picture.at(x0 + 1, y0)[c] * tx;
        const double bottom = picture.at(x0, y0 + 1)[c] * (1 - tx) + picture.at(x0 + 1, y0 + 1)[c] * tx;
        result[c] = top * (1 - ty) + bottom * ty;
    }
    return result;
}

// The texel under (u, v), edges clamped.
inline Colour sampleNearest(const CpuPicture& picture, double u, double v)
{
    return picture.at(int(std::floor(u * picture.width)), int(std::floor(v * picture.height)));
}

// A channel that is no number: pixels on a formula's knife edge, left out of comparisons.
constexpr double kEitherSide = std::numeric_limits<double>::quiet_NaN();
inline Colour eitherSide()
{
    return {kEitherSide, kEitherSide, kEitherSide, kEitherSide};
}

// The picture through filter, read back.
inline std::shared_ptr<plat::Image> filtered(const std::shared_ptr<GLImageOutput>& filter, const plat::Image& picture)
{
    return filter->imageByFilteringImage(picture);
}

}  // namespace zt::test
