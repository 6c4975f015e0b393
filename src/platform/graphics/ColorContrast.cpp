#include "platform/graphics/ColorContrast.h"

#include <algorithm>
#include <cmath>

namespace plat {

namespace {

double linearComponent(uint8_t component)
{
    const double s = component / 255.0;
    return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
}

}  // namespace

double relativeLuminance(uint8_t red, uint8_t green, uint8_t blue)
{
    return 0.2126 * linearComponent(red) + 0.7152 * linearComponent(green) + 0.0722 * linearComponent(blue);
}

double contrastRatio(double firstLuminance, double secondLuminance)
{
    const auto [darker, lighter] = std::minmax(firstLuminance, secondLuminance);
    return (lighter + 0.05) / (darker + 0.05);
}

}  // namespace plat
