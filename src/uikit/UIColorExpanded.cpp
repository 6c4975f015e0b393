#include "uikit/UIColorExpanded.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

namespace zt {

namespace {

// The CSS extended colour keywords, both grey spellings, in alphabetical
// order: comma, name, number sign, six hexadecimal digits.
constexpr const char* kColorNameTable
    = ",aliceblue#f0f8ff,antiquewhite#faebd7,aqua#00ffff,aquamarine#7fffd4,azure#f0ffff,beige#f5f5dc,bisque#ffe4c4"
      ",black#000000,blanchedalmond#ffebcd,blue#0000ff,blueviolet#8a2be2,brown#a52a2a,burlywood#deb887"
      ",cadetblue#5f9ea0,chartreuse#7fff00,chocolate#d2691e,coral#ff7f50,cornflowerblue#6495ed,cornsilk#fff8dc"
      ",crimson#dc143c,cyan#00ffff,darkblue#00008b,darkcyan#008b8b,darkgoldenrod#b8860b,darkgray#a9a9a9"
      ",darkgreen#006400,darkgrey#a9a9a9,darkkhaki#bdb76b,darkmagenta#8b008b,darkolivegreen#556b2f"
      ",darkorange#ff8c00,darkorchid#9932cc,darkred#8b0000,darksalmon#e9967a,darkseagreen#8fbc8f"
      ",darkslateblue#483d8b,darkslategray#2f4f4f,darkslategrey#2f4f4f,darkturquoise#00ced1,darkviolet#9400d3"
      ",deeppink#ff1493,deepskyblue#00bfff,dimgray#696969,dimgrey#696969,dodgerblue#1e90ff,firebrick#b22222"
      ",floralwhite#fffaf0,forestgreen#228b22,fuchsia#ff00ff,gainsboro#dcdcdc,ghostwhite#f8f8ff,gold#ffd700"
      ",goldenrod#daa520,gray#808080,green#008000,greenyellow#adff2f,grey#808080,honeydew#f0fff0,hotpink#ff69b4"
      ",indianred#cd5c5c,indigo#4b0082,ivory#fffff0,khaki#f0e68c,lavender#e6e6fa,lavenderblush#fff0f5"
      ",lawngreen#7cfc00,lemonchiffon#fffacd,lightblue#add8e6,lightcoral#f08080,lightcyan#e0ffff"
      ",lightgoldenrodyellow#fafad2,lightgray#d3d3d3,lightgreen#90ee90,lightgrey#d3d3d3,lightpink#ffb6c1"
      ",lightsalmon#ffa07a,lightseagreen#20b2aa,lightskyblue#87cefa,lightslategray#778899,lightslategrey#778899"
      ",lightsteelblue#b0c4de,lightyellow#ffffe0,lime#00ff00,limegreen#32cd32,linen#faf0e6,magenta#ff00ff"
      ",maroon#800000,mediumaquamarine#66cdaa,mediumblue#0000cd,mediumorchid#ba55d3,mediumpurple#9370db"
      ",mediumseagreen#3cb371,mediumslateblue#7b68ee,mediumspringgreen#00fa9a,mediumturquoise#48d1cc"
      ",mediumvioletred#c71585,midnightblue#191970,mintcream#f5fffa,mistyrose#ffe4e1,moccasin#ffe4b5"
      ",navajowhite#ffdead,navy#000080,oldlace#fdf5e6,olive#808000,olivedrab#6b8e23,orange#ffa500,orangered#ff4500"
      ",orchid#da70d6,palegoldenrod#eee8aa,palegreen#98fb98,paleturquoise#afeeee,palevioletred#db7093"
      ",papayawhip#ffefd5,peachpuff#ffdab9,peru#cd853f,pink#ffc0cb,plum#dda0dd,powderblue#b0e0e6,purple#800080"
      ",red#ff0000,rosybrown#bc8f8f,royalblue#4169e1,saddlebrown#8b4513,salmon#fa8072,sandybrown#f4a460"
      ",seagreen#2e8b57,seashell#fff5ee,sienna#a0522d,silver#c0c0c0,skyblue#87ceeb,slateblue#6a5acd"
      ",slategray#708090,slategrey#708090,snow#fffafa,springgreen#00ff7f,steelblue#4682b4,tan#d2b48c,teal#008080"
      ",thistle#d8bfd8,tomato#ff6347,turquoise#40e0d0,violet#ee82ee,wheat#f5deb3,white#ffffff,whitesmoke#f5f5f5"
      ",yellow#ffff00,yellowgreen#9acd32";

struct Components {
    double red, green, blue, alpha;
};

std::optional<Components> componentsOf(const plat::Color& color)
{
    Components c {};
    if (!redGreenBlueAlpha(color, &c.red, &c.green, &c.blue, &c.alpha))
        return std::nullopt;
    return c;
}

double clampUnit(double value)
{
    return std::clamp(value, 0.0, 1.0);
}

// Applies operation to each component pair of the colour and the four values.
template <typename Operation>
std::optional<plat::Color> combined(const plat::Color& color, Components values, Operation operation)
{
    auto c = componentsOf(color);
    if (!c)
        return std::nullopt;
    return plat::Color::colorWithRed(operation(c->red, values.red), operation(c->green, values.green),
        operation(c->blue, values.blue), operation(c->alpha, values.alpha));
}

double multiplied(double component, double factor)
{
    return clampUnit(component * factor);
}

double added(double component, double value)
{
    return clampUnit(component + value);
}

double lightened(double component, double value)
{
    return std::max(component, value);
}

double darkened(double component, double value)
{
    return std::min(component, value);
}

// The other colour's red, green and blue with the given alpha.
std::optional<Components> withAlpha(const plat::Color& other, double alpha)
{
    auto c = componentsOf(other);
    if (!c)
        return std::nullopt;
    return Components {c->red, c->green, c->blue, alpha};
}

// A scanner over text as the platform's number scanner reads it: white
// space skipped before each token.
class TextScanner {
public:
    explicit TextScanner(std::string text)
        : _text(std::move(text))
    {
    }
    void skipWhiteSpace()
    {
        while (
            _at < _text.size() && (_text[_at] == ' ' || _text[_at] == '\t' || _text[_at] == '\n' || _text[_at] == '\r'))
            ++_at;
    }
    bool scanCharacter(char expected)
    {
        skipWhiteSpace();
        if (_at < _text.size() && _text[_at] == expected) {
            ++_at;
            return true;
        }
        return false;
    }
    // [+-]digits[.digits][e[+-]digits], at least one digit.
    std::optional<double> scanDecimal()
    {
        skipWhiteSpace();
        size_t start = _at;
        size_t at = _at;
        if (at < _text.size() && (_text[at] == '+' || _text[at] == '-'))
            ++at;
        size_t digits = 0;
        while (at < _text.size() && std::isdigit(static_cast<unsigned char>(_text[at])))
            ++at, ++digits;
        if (at < _text.size() && _text[at] == '.') {
            ++at;
            while (at < _text.size() && std::isdigit(static_cast<unsigned char>(_text[at])))
                ++at, ++digits;
        }
        if (digits == 0)
            return std::nullopt;
        if (at < _text.size() && (_text[at] == 'e' || _text[at] == 'E')) {
            size_t exponent = at + 1;
            if (exponent < _text.size() && (_text[exponent] == '+' || _text[exponent] == '-'))
                ++exponent;
            if (exponent < _text.size() && std::isdigit(static_cast<unsigned char>(_text[exponent]))) {
                while (exponent < _text.size() && std::isdigit(static_cast<unsigned char>(_text[exponent])))
                    ++exponent;
                at = exponent;
            }
        }
        // from_chars does not take a leading plus.
        size_t numberStart = _text[start] == '+' ? start + 1 : start;
        double value = 0;
        auto [end, error] = std::from_chars(_text.data() + numberStart, _text.data() + at, value);
        if (error == std::errc::result_out_of_range)
            value = _text[start] == '-' ? -HUGE_VAL : HUGE_VAL;
        else if (error != std::errc() || end != _text.data() + at)
            return std::nullopt;
        _at = at;
        return value;
    }
    // Hexadecimal digits after an optional 0x; saturates at the largest 32-bit value.
    std::optional<uint32_t> scanHexInt()
    {
        skipWhiteSpace();
        size_t at = _at;
        if (at + 1 < _text.size() && _text[at] == '0' && (_text[at + 1] == 'x' || _text[at + 1] == 'X')
            && at + 2 < _text.size() && std::isxdigit(static_cast<unsigned char>(_text[at + 2])))
            at += 2;
        uint64_t value = 0;
        size_t digits = 0;
        while (at < _text.size() && std::isxdigit(static_cast<unsigned char>(_text[at]))) {
            char c = _text[at];
            int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::tolower(c) - 'a' + 10);
            value = std::min<uint64_t>(value * 16 + static_cast<uint64_t>(digit), UINT32_MAX);
            ++at;
            ++digits;
        }
        if (digits == 0)
            return std::nullopt;
        _at = at;
        return static_cast<uint32_t>(value);
    }
    bool isAtEnd()
    {
        skipWhiteSpace();
        return _at == _text.size();
    }

private:
    std::string _text;
    size_t _at = 0;
};

struct NameCache {
    std::mutex lock;
    std::map<std::string, std::optional<plat::Color>, std::less<>> colors;  // guarded by lock; nullopt marks a miss
};

NameCache& nameCache()
{
    static NameCache cache;
    return cache;
}

}  // namespace

plat::ColorSpaceModel colorSpaceModel(const plat::Color& color)
{
    return color.colorSpaceModel();
}

std::string colorSpaceString(const plat::Color& color)
{
    switch (color.colorSpaceModel()) {
    case plat::ColorSpaceModel::Unknown:
        return "kCGColorSpaceModelUnknown";
    case plat::ColorSpaceModel::Monochrome:
        return "kCGColorSpaceModelMonochrome";
    case plat::ColorSpaceModel::RGB:
        return "kCGColorSpaceModelRGB";
    case plat::ColorSpaceModel::CMYK:
        return "kCGColorSpaceModelCMYK";
    case plat::ColorSpaceModel::Lab:
        return "kCGColorSpaceModelLab";
    case plat::ColorSpaceModel::DeviceN:
        return "kCGColorSpaceModelDeviceN";
    case plat::ColorSpaceModel::Indexed:
        return "kCGColorSpaceModelIndexed";
    case plat::ColorSpaceModel::Pattern:
        return "kCGColorSpaceModelPattern";
    }
    return "Not a valid color space";
}

bool canProvideRGBComponents(const plat::Color& color)
{
    auto model = color.colorSpaceModel();
    return model == plat::ColorSpaceModel::RGB || model == plat::ColorSpaceModel::Monochrome;
}

bool redGreenBlueAlpha(const plat::Color& color, double* redOut, double* greenOut, double* blueOut, double* alphaOut)
{
    if (!canProvideRGBComponents(color))
        return false;
    // A grey keeps its white in all three.
    if (redOut)
        *redOut = color.red();
    if (greenOut)
        *greenOut = color.green();
    if (blueOut)
        *blueOut = color.blue();
    if (alphaOut)
        *alphaOut = color.alpha();
    return true;
}

double red(const plat::Color& color)
{
    return color.red();
}

double green(const plat::Color& color)
{
    return color.green();
}

double blue(const plat::Color& color)
{
    return color.blue();
}

double white(const plat::Color& color)
{
    return color.red();
}

double alpha(const plat::Color& color)
{
    return color.alpha();
}

std::optional<plat::Array> arrayFromRGBAComponents(const plat::Color& color)
{
    auto c = componentsOf(color);
    if (!c)
        return std::nullopt;
    return plat::Array {static_cast<float>(c->red), static_cast<float>(c->green), static_cast<float>(c->blue),
        static_cast<float>(c->alpha)};
}

uint32_t rgbHex(const plat::Color& color)
{
    auto c = componentsOf(color);
    if (!c)
        return 0;
    auto byte = [](double component) {
        return static_cast<uint32_t>(std::round(static_cast<float>(clampUnit(component)) * 255.0f));
    };
    return (byte(c->red) << 16) | (byte(c->green) << 8) | byte(c->blue);
}

std::string hexStringFromColor(const plat::Color& color)
{
    char text[16];
    // "%0.6X" on the platform; the 0 flag means nothing beside a precision.
    std::snprintf(text, sizeof text, "%.6X", rgbHex(color));
    return text;
}

std::optional<std::string> stringFromColor(const plat::Color& color)
{
    char text[96];
    if (color.colorSpaceModel() == plat::ColorSpaceModel::RGB)
        std::snprintf(
            text, sizeof text, "{%0.3f, %0.3f, %0.3f, %0.3f}", color.red(), color.green(), color.blue(), color.alpha());
    else if (color.colorSpaceModel() == plat::ColorSpaceModel::Monochrome)
        std::snprintf(text, sizeof text, "{%0.3f, %0.3f}", color.red(), color.alpha());
    else
        return std::nullopt;
    return std::string(text);
}

std::optional<plat::Color> colorByMultiplyingByRed(
    const plat::Color& color, double redValue, double greenValue, double blueValue, double alphaValue)
{
    return combined(color, {redValue, greenValue, blueValue, alphaValue}, multiplied);
}

std::optional<plat::Color> colorByAddingRed(
    const plat::Color& color, double redValue, double greenValue, double blueValue, double alphaValue)
{
    return combined(color, {redValue, greenValue, blueValue, alphaValue}, added);
}

std::optional<plat::Color> colorByLighteningToRed(
    const plat::Color& color, double redValue, double greenValue, double blueValue, double alphaValue)
{
    return combined(color, {redValue, greenValue, blueValue, alphaValue}, lightened);
}

std::optional<plat::Color> colorByDarkeningToRed(
    const plat::Color& color, double redValue, double greenValue, double blueValue, double alphaValue)
{
    return combined(color, {redValue, greenValue, blueValue, alphaValue}, darkened);
}

std::optional<plat::Color> colorByMultiplyingBy(const plat::Color& color, double factor)
{
    return colorByMultiplyingByRed(color, factor, factor, factor, 1.0);
}

std::optional<plat::Color> colorByAdding(const plat::Color& color, double value)
{
    return colorByAddingRed(color, value, value, value, 0.0);
}

std::optional<plat::Color> colorByLighteningTo(const plat::Color& color, double value)
{
    return colorByLighteningToRed(color, value, value, value, 0.0);
}

std::optional<plat::Color> colorByDarkeningTo(const plat::Color& color, double value)
{
    return colorByDarkeningToRed(color, value, value, value, 1.0);
}

std::optional<plat::Color> colorByMultiplyingByColor(const plat::Color& color, const plat::Color& other)
{
    auto values = withAlpha(other, 1.0);
    return values ? combined(color, *values, multiplied) : std::nullopt;
}

std::optional<plat::Color> colorByAddingColor(const plat::Color& color, const plat::Color& other)
{
    auto values = withAlpha(other, 0.0);
    return values ? combined(color, *values, added) : std::nullopt;
}

std::optional<plat::Color> colorByLighteningToColor(const plat::Color& color, const plat::Color& other)
{
    auto values = withAlpha(other, 0.0);
    return values ? combined(color, *values, lightened) : std::nullopt;
}

std::optional<plat::Color> colorByDarkeningToColor(const plat::Color& color, const plat::Color& other)
{
    auto values = withAlpha(other, 1.0);
    return values ? combined(color, *values, darkened) : std::nullopt;
}

std::optional<plat::Color> colorByLuminanceMapping(const plat::Color& color)
{
    auto c = componentsOf(color);
    if (!c)
        return std::nullopt;
    double luminance = static_cast<double>(0.2126f) * c->red + static_cast<double>(0.7152f) * c->green
        + static_cast<double>(0.0722f) * c->blue;
    return plat::Color::colorWithWhite(luminance, c->alpha);
}

plat::Color colorWithRGBHex(uint32_t hex)
{
    auto component
        = [hex](int shift) { return static_cast<double>(static_cast<float>((hex >> shift) & 0xFF) / 255.0f); };
    return plat::Color::colorWithRed(component(16), component(8), component(0), 1.0);
}

std::optional<plat::Color> colorWithHexString(const std::string& text)
{
    TextScanner scanner(text);
    auto hex = scanner.scanHexInt();
    if (!hex)
        return std::nullopt;
    return colorWithRGBHex(*hex);
}

std::optional<plat::Color> colorWithString(const std::string& text)
{
    TextScanner scanner(text);
    if (!scanner.scanCharacter('{'))
        return std::nullopt;
    std::vector<double> components;
    auto first = scanner.scanDecimal();
    if (!first)
        return std::nullopt;
    components.push_back(*first);
    while (!scanner.scanCharacter('}')) {
        if (components.size() >= 4 || !scanner.scanCharacter(','))
            return std::nullopt;
        auto next = scanner.scanDecimal();
        if (!next)
            return std::nullopt;
        components.push_back(*next);
    }
    if (!scanner.isAtEnd())
        return std::nullopt;
    if (components.size() == 2)
        return plat::Color::colorWithWhite(components[0], components[1]);
    if (components.size() == 4)
        return plat::Color::colorWithRed(components[0], components[1], components[2], components[3]);
    return std::nullopt;
}

std::optional<plat::Color> searchForColorByName(const std::string& name)
{
    std::string table = kColorNameTable;
    std::string pattern = "," + name + "#";
    size_t found = table.find(pattern);
    if (found == std::string::npos)
        return std::nullopt;
    TextScanner scanner(table.substr(found + pattern.size()));
    auto hex = scanner.scanHexInt();
    if (!hex)
        return std::nullopt;
    return colorWithRGBHex(*hex);
}

std::optional<plat::Color> colorWithName(const std::string& name)
{
    NameCache& cache = nameCache();
    std::lock_guard guard(cache.lock);
    if (auto known = cache.colors.find(name); known != cache.colors.end())
        return known->second;
    auto color = searchForColorByName(name);
    cache.colors.emplace(name, color);
    return color;
}

plat::Color randomColor()
{
    constexpr double kLargestDraw = 2147483647.0;
    double r = static_cast<double>(::random()) / kLargestDraw;
    double g = static_cast<double>(::random()) / kLargestDraw;
    double b = static_cast<double>(::random()) / kLargestDraw;
    return plat::Color::colorWithRed(r, g, b, 1.0);
}

namespace detail {

size_t colorNameCacheSize()
{
    NameCache& cache = nameCache();
    std::lock_guard guard(cache.lock);
    return cache.colors.size();
}

}  // namespace detail

}  // namespace zt
