#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/foundation/Value.h"
#include "platform/graphics/Color.h"

// Component access, arithmetic, text and hexadecimal forms and a lookup of
// the CSS colour names, added to the platform's colour. Colours never
// change; the operations return new ones, or none where the platform's
// return nil (a colour involved has no RGB components). Any thread.
namespace zt {

plat::ColorSpaceModel colorSpaceModel(const plat::Color& color);
// "kCGColorSpaceModelRGB" and its siblings.
std::string colorSpaceString(const plat::Color& color);
// True for RGB and grey colours; a grey reports its white as red, green and blue.
bool canProvideRGBComponents(const plat::Color& color);
// red:green:blue:alpha: writes the four components (each pointer may be
// null); false, writing nothing, for colours without RGB components.
bool redGreenBlueAlpha(const plat::Color& color, double* red, double* green, double* blue, double* alpha);

// Raw component reads that do not check the model: ask canProvideRGBComponents first.
double red(const plat::Color& color);
double green(const plat::Color& color);
double blue(const plat::Color& color);
double white(const plat::Color& color);
double alpha(const plat::Color& color);

// Red, green, blue, alpha as single-precision numbers.
std::optional<plat::Array> arrayFromRGBAComponents(const plat::Color& color);
// 0xRRGGBB, each component clamped to 0...1 and rounded; 0 without RGB components.
uint32_t rgbHex(const plat::Color& color);
// Six upper-case hexadecimal digits of rgbHex.
std::string hexStringFromColor(const plat::Color& color);
// "{r, g, b, a}" or, for greys, "{w, a}", three decimals each.
std::optional<std::string> stringFromColor(const plat::Color& color);

std::optional<plat::Color> colorByMultiplyingByRed(
    const plat::Color& color, double red, double green, double blue, double alpha);  // clamped to 0...1
std::optional<plat::Color> colorByAddingRed(
    const plat::Color& color, double red, double green, double blue, double alpha);  // clamped to 0...1
std::optional<plat::Color> colorByLighteningToRed(
    const plat::Color& color, double red, double green, double blue, double alpha);  // the larger, per component
std::optional<plat::Color> colorByDarkeningToRed(
    const plat::Color& color, double red, double green, double blue, double alpha);  // the smaller, per component
// The one-value and colour forms leave alpha alone.
std::optional<plat::Color> colorByMultiplyingBy(const plat::Color& color, double factor);
std::optional<plat::Color> colorByAdding(const plat::Color& color, double value);
std::optional<plat::Color> colorByLighteningTo(const plat::Color& color, double value);
std::optional<plat::Color> colorByDarkeningTo(const plat::Color& color, double value);
std::optional<plat::Color> colorByMultiplyingByColor(const plat::Color& color, const plat::Color& other);
std::optional<plat::Color> colorByAddingColor(const plat::Color& color, const plat::Color& other);
std::optional<plat::Color> colorByLighteningToColor(const plat::Color& color, const plat::Color& other);
std::optional<plat::Color> colorByDarkeningToColor(const plat::Color& color, const plat::Color& other);
// A grey of the colour's luminance (Rec. 709 weights), same alpha.
std::optional<plat::Color> colorByLuminanceMapping(const plat::Color& color);

// From 0xRRGGBB, opaque.
plat::Color colorWithRGBHex(uint32_t hex);
// One hexadecimal number, leading white space skipped, "0x" allowed, reading
// up to the first other character; none without a digit. "#" is not accepted.
std::optional<plat::Color> colorWithHexString(const std::string& text);
// The inverse of stringFromColor: two numbers give a grey, four a colour.
std::optional<plat::Color> colorWithString(const std::string& text);
// A CSS colour keyword ("darkgrey"), lower case only; answers are kept,
// misses too, so each name is searched for once per process.
std::optional<plat::Color> colorWithName(const std::string& name);
// The search behind colorWithName, uncached.
std::optional<plat::Color> searchForColorByName(const std::string& name);
// An opaque colour from three draws of random().
plat::Color randomColor();

namespace detail {
// Names looked up so far, found or not.
size_t colorNameCacheSize();
}  // namespace detail

}  // namespace zt
