#include "platform/ui/ShadowBlur.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace plat::detail {

namespace {

// One box blur along a line of n samples `distance` bytes apart.
void boxLine(uint8_t* line, int n, size_t distance, int radius, std::vector<uint8_t>& scratch)
{
    scratch.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        scratch[static_cast<size_t>(i)] = line[static_cast<size_t>(i) * distance];
    const int window = 2 * radius + 1;
    int sum = 0;
    for (int i = -radius; i <= radius; ++i)
        sum += (i >= 0 && i < n) ? scratch[static_cast<size_t>(i)] : 0;
    for (int i = 0; i < n; ++i) {
        line[static_cast<size_t>(i) * distance] = static_cast<uint8_t>((sum + window / 2) / window);
        int leaving = i - radius;
        int entering = i + radius + 1;
        sum -= (leaving >= 0 && leaving < n) ? scratch[static_cast<size_t>(leaving)] : 0;
        sum += (entering >= 0 && entering < n) ? scratch[static_cast<size_t>(entering)] : 0;
    }
}

}  // namespace

void blurChannel(uint8_t* pixels, int width, int height, size_t stride, int step, double radiusPixels)
{
    if (radiusPixels < 0.5 || width <= 0 || height <= 0)
        return;
    // Three box passes of width w have the variance of a Gaussian with
    // sigma^2 = (w^2 - 1) / 4; the platform's blur radius is about 2 sigma.
    double sigma = radiusPixels / 2;
    double boxWidth = std::sqrt(4 * sigma * sigma + 1);
    int boxRadius = std::max(1, static_cast<int>(std::lround((boxWidth - 1) / 2)));
    std::vector<uint8_t> scratch;
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < height; ++y)
            boxLine(pixels + static_cast<size_t>(y) * stride, width, static_cast<size_t>(step), boxRadius, scratch);
        for (int x = 0; x < width; ++x)
            boxLine(pixels + static_cast<size_t>(x) * static_cast<size_t>(step), height, stride, boxRadius, scratch);
    }
}

}  // namespace plat::detail
