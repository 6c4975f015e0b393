#pragma once
// Pictures on the CPU for checking filters against their formulas: read
// from an image, sampled with clamped edges as GL's clamp-to-edge textures
// are, stored in 8 bits between passes as GL's textures store them, and
// compared with a filter's read-back within 2/255.
#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

#include "GLImageTestSupport.h"

namespace zt::test {

struct CpuPicture {
    int width = 0;
    int height = 0;
    std::vector<Colour> pixels;

    CpuPicture() = default;
    CpuPicture(int w, int h)
        : width(w)
        , height(h)
        , pixels(size_t(w) * size_t(h))
    {
    }
    Colour& at(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    // Clamped to the edge.
    const Colour& at(int x, int y) const
    {
        x = std::clamp(x, 0, width - 1);
        y = std::clamp(y, 0, height - 1);
        return pixels[size_t(y) * size_t(width) + size_t(x)];
    }
};

inline CpuPicture cpuPicture(const plat::Image& image)
{
    const auto& bitmap = *image.bitmap();
    CpuPicture picture(bitmap.width(), bitmap.height());
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            picture.at(x, y) = colourAt(bitmap, x, y);
    return picture;
}

// Each pixel through f(picture, x, y).
inline CpuPicture mapPicture(const CpuPicture& in, const std::function<Colour(const CpuPicture&, int, int)>& f)
{
    CpuPicture out(in.width, in.height);
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x)
            out.at(x, y) = f(in, x, y);
    return out;
}

// As an 8-bit texture keeps it.
inline CpuPicture stored(const CpuPicture& in)
{
    return mapPicture(in, [](const CpuPicture& p, int x, int y) {
        Colour c = p.at(x, y);
        for (auto& v : c)
            v = toByte(v) / 255.0;
        return c;
    });
}

// weights[k] for the tap at (k - weights.size() / 2) * spacing pixels along (dx, dy).
inline CpuPicture convolveAlong(
    const CpuPicture& in, const std::vector<double>& weights, int dx, int dy, int spacing = 1)
{
    const int radius = int(weights.size()) / 2;
    return mapPicture(in, [&](const CpuPicture& p, int x, int y) {
        Colour sum {};
        for (int k = -radius; k <= radius; ++k) {
            const Colour& c = p.at(x + k * dx * spacing, y + k * dy * spacing);
            for (size_t i = 0; i < 4; ++i)
                sum[i] += c[i] * weights[size_t(k + radius)];
        }
        return sum;
    });
}

// Vertically into an 8-bit texture, then horizontally: a two-pass filter's road.
inline CpuPicture separable(const CpuPicture& in, const std::vector<double>& weights, int spacing = 1)
{
    return convolveAlong(stored(convolveAlong(in, weights, 0, 1, spacing)), weights, 1, 0, spacing);
}

// A channel expected as NaN is not compared.
inline void expectPictureMatches(const CpuPicture& expected, const plat::Image& result, int toleranceInBytes = 2)
{
    const auto& out = *result.bitmap();
    ASSERT_EQ(out.width(), expected.width);
    ASSERT_EQ(out.height(), expected.height);
    int failures = 0;
    for (int y = 0; y < expected.height; ++y) {
        for (int x = 0; x < expected.width; ++x) {
            auto got = plat::test::pixelAt(out, x, y);
            const Colour& want = expected.at(x, y);
            for (size_t c = 0; c < 4; ++c) {
                if (std::isnan(want[c]))
                    continue;  // on a formula's knife edge: either side is right
                if (std::abs(got[c] - toByte(want[c])) > toleranceInBytes && failures++ < 5)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") channel " << c << ": got " << got[c]
                                  << ", expected " << toByte(want[c]);
            }
        }
    }
    EXPECT_EQ(failures, 0);
}

}  // namespace zt::test
