#pragma once
#include "platform/foundation/Geometry.h"

namespace zt {

// Point arithmetic of the canvases' smoothing and width computation. The
// single-precision steps are kept on purpose: widths and curve sample
// counts follow from them. Any thread (stateless).
plat::Point pointAdd(plat::Point a, plat::Point b);
plat::Point pointScale(plat::Point a, double s);
plat::Point pointSubtract(plat::Point a, plat::Point b);
// The sum of squares in double, its root in single precision.
double pointLength(plat::Point v);
double pointDistance(plat::Point a, plat::Point b);
// v held between the smaller and the larger of a and b.
float clampValue(float v, float a, float b);

}  // namespace zt
