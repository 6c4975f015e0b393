#pragma once
#include <memory>

namespace plat {
class Image;

// The colour-space model of a colour, with the platform's numbers.
enum class ColorSpaceModel : int {
    Unknown = -1,
    Monochrome = 0,
    RGB = 1,
    CMYK = 2,
    Lab = 3,
    DeviceN = 4,
    Indexed = 5,
    Pattern = 6,
};

// A colour in device RGB or device grey with alpha, components in 0...1
// (values outside are kept, as extended colours are on the platform), or a
// pattern that tiles an image. Grey colours keep their white in all three
// components. Any thread (value type).
class Color {
public:
    Color() = default;

    static Color colorWithRed(double red, double green, double blue, double alpha)
    {
        return Color(red, green, blue, alpha, ColorSpaceModel::RGB);
    }
    static Color colorWithWhite(double white, double alpha)
    {
        return Color(white, white, white, alpha, ColorSpaceModel::Monochrome);
    }
    // Fills tile the image from the user-space origin; components read as 0, alpha as 1.
    static Color colorWithPatternImage(std::shared_ptr<const Image> image);
    // Hue, saturation and brightness in 0...1; hue wraps around.
    static Color colorWithHue(double hue, double saturation, double brightness, double alpha);

    // The platform makes black, white, clear and the greys in device grey.
    static Color blackColor() { return colorWithWhite(0, 1); }
    static Color whiteColor() { return colorWithWhite(1, 1); }
    static Color clearColor() { return colorWithWhite(0, 0); }
    static Color redColor() { return colorWithRed(1, 0, 0, 1); }
    static Color greenColor() { return colorWithRed(0, 1, 0, 1); }
    static Color blueColor() { return colorWithRed(0, 0, 1, 1); }
    static Color grayColor() { return colorWithWhite(0.5, 1); }
    static Color lightGrayColor() { return colorWithWhite(2.0 / 3, 1); }
    static Color darkGrayColor() { return colorWithWhite(1.0 / 3, 1); }
    static Color yellowColor() { return colorWithRed(1, 1, 0, 1); }
    static Color orangeColor() { return colorWithRed(1, 0.5, 0, 1); }

    double red() const { return _red; }
    double green() const { return _green; }
    double blue() const { return _blue; }
    double alpha() const { return _alpha; }
    ColorSpaceModel colorSpaceModel() const { return _model; }
    const std::shared_ptr<const Image>& patternImage() const { return _patternImage; }

    void getRed(double* red, double* green, double* blue, double* alpha) const;
    void getHue(double* hue, double* saturation, double* brightness, double* alpha) const;
    // The luminance-free grey the platform reports for grey colours: the mean of the channels.
    void getWhite(double* white, double* alpha) const;

    Color colorWithAlphaComponent(double alpha) const
    {
        Color copy = *this;
        copy._alpha = alpha;
        return copy;
    }

    friend bool operator==(const Color&, const Color&) = default;

private:
    Color(double red, double green, double blue, double alpha, ColorSpaceModel model)
        : _red(red)
        , _green(green)
        , _blue(blue)
        , _alpha(alpha)
        , _model(model)
    {
    }

    double _red = 0;
    double _green = 0;
    double _blue = 0;
    double _alpha = 0;
    ColorSpaceModel _model = ColorSpaceModel::RGB;
    std::shared_ptr<const Image> _patternImage;
};

}  // namespace plat
