#include "effects/RGBFilter.h"

namespace zt {

void RGBFilter::processFilter(uint8_t*, int32_t, int32_t) const { }

void RGBFilter::processFilter(const uint8_t*, uint8_t*, int32_t, int32_t) const { }

void RGBFilter::processFilter(const uint8_t*, uint8_t*, plat::Size, plat::Rect) const { }

}  // namespace zt
