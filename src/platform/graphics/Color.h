#pragma once

namespace plat {

// A colour in device RGB with alpha, components in 0...1 (values outside
// are kept, as extended colours are on the platform). Any thread (value type).
class Color {
public:
    constexpr Color() = default;

    static constexpr Color colorWithRed(double red, double green, double blue, double alpha)
    {
        return Color(red, green, blue, alpha);
    }
    static constexpr Color colorWithWhite(double white, double alpha) { return Color(white, white, white, alpha); }
    // Hue, saturation and brightness in 0...1; hue wraps around.
    static Color colorWithHue(double hue, double saturation, double brightness, double alpha);

    static constexpr Color blackColor() { return Color(0, 0, 0, 1); }
    static constexpr Color whiteColor() { return Color(1, 1, 1, 1); }
    static constexpr Color clearColor() { return Color(0, 0, 0, 0); }
    static constexpr Color redColor() { return Color(1, 0, 0, 1); }
    static constexpr Color greenColor() { return Color(0, 1, 0, 1); }
    static constexpr Color blueColor() { return Color(0, 0, 1, 1); }
    static constexpr Color grayColor() { return Color(0.5, 0.5, 0.5, 1); }
    static constexpr Color lightGrayColor() { return Color(2.0 / 3, 2.0 / 3, 2.0 / 3, 1); }
    static constexpr Color darkGrayColor() { return Color(1.0 / 3, 1.0 / 3, 1.0 / 3, 1); }
    static constexpr Color yellowColor() { return Color(1, 1, 0, 1); }
    static constexpr Color orangeColor() { return Color(1, 0.5, 0, 1); }

    constexpr double red() const { return _red; }
    constexpr double green() const { return _green; }
    constexpr double blue() const { return _blue; }
    constexpr double alpha() const { return _alpha; }

    void getRed(double* red, double* green, double* blue, double* alpha) const;
    void getHue(double* hue, double* saturation, double* brightness, double* alpha) const;
    // The luminance-free grey the platform reports for grey colours: the mean of the channels.
    void getWhite(double* white, double* alpha) const;

    constexpr Color colorWithAlphaComponent(double alpha) const { return Color(_red, _green, _blue, alpha); }

    friend constexpr bool operator==(const Color&, const Color&) = default;

private:
    constexpr Color(double red, double green, double blue, double alpha)
        : _red(red)
        , _green(green)
        , _blue(blue)
        , _alpha(alpha)
    {
    }

    double _red = 0;
    double _green = 0;
    double _blue = 0;
    double _alpha = 0;
};

}  // namespace plat
