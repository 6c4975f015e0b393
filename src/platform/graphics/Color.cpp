#include "platform/graphics/Color.h"

#include <algorithm>
#include <cmath>

namespace plat {

Color Color::colorWithPatternImage(std::shared_ptr<const Image> image)
{
    Color color(0, 0, 0, 1, ColorSpaceModel::Pattern);
    color._patternImage = std::move(image);
    return color;
}

Color Color::colorWithHue(double hue, double saturation, double brightness, double alpha)
{
    hue = hue - std::floor(hue);
    saturation = std::clamp(saturation, 0.0, 1.0);
    brightness = std::clamp(brightness, 0.0, 1.0);
    double sector = hue * 6.0;
    int index = static_cast<int>(std::floor(sector)) % 6;
    double fraction = sector - std::floor(sector);
    double p = brightness * (1 - saturation);
    double q = brightness * (1 - saturation * fraction);
    double t = brightness * (1 - saturation * (1 - fraction));
    switch (index) {
    case 0:
        return colorWithRed(brightness, t, p, alpha);
    case 1:
        return colorWithRed(q, brightness, p, alpha);
    case 2:
        return colorWithRed(p, brightness, t, alpha);
    case 3:
        return colorWithRed(p, q, brightness, alpha);
    case 4:
        return colorWithRed(t, p, brightness, alpha);
    default:
        return colorWithRed(brightness, p, q, alpha);
    }
}

void Color::getRed(double* red, double* green, double* blue, double* alpha) const
{
    if (red)
        *red = _red;
    if (green)
        *green = _green;
    if (blue)
        *blue = _blue;
    if (alpha)
        *alpha = _alpha;
}

void Color::getHue(double* hue, double* saturation, double* brightness, double* alpha) const
{
    double maximum = std::max({_red, _green, _blue});
    double minimum = std::min({_red, _green, _blue});
    double delta = maximum - minimum;
    double h = 0;
    if (delta > 0) {
        if (maximum == _red)
            h = std::fmod((_green - _blue) / delta, 6.0);
        else if (maximum == _green)
            h = (_blue - _red) / delta + 2;
        else
            h = (_red - _green) / delta + 4;
        h /= 6.0;
        if (h < 0)
            h += 1.0;
    }
    if (hue)
        *hue = h;
    if (saturation)
        *saturation = maximum > 0 ? delta / maximum : 0;
    if (brightness)
        *brightness = maximum;
    if (alpha)
        *alpha = _alpha;
}

void Color::getWhite(double* white, double* alpha) const
{
    if (white)
        *white = (_red + _green + _blue) / 3.0;
    if (alpha)
        *alpha = _alpha;
}

}  // namespace plat
