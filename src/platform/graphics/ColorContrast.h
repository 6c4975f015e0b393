#pragma once
#include <cstdint>

namespace plat {

// The relative luminance of an sRGB colour of 8-bit components, 0 (black)
// to 1 (white), as the usual rule for readable text (WCAG 2) defines it.
double relativeLuminance(uint8_t red, uint8_t green, uint8_t blue);
// The contrast ratio of two luminances, 1 (none) to 21 (black on white).
double contrastRatio(double firstLuminance, double secondLuminance);

}  // namespace plat
