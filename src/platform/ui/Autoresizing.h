#pragma once
#include "platform/foundation/Geometry.h"

namespace plat::detail {

// The frame a subview takes when its superview's bounds go from oldSize to
// newSize: along each axis the change is shared among the flexible parts
// (margin before, size, margin after) in proportion to their current
// lengths, or equally when they are all zero.
Rect autoresizedFrame(Rect frame, unsigned mask, Size oldSize, Size newSize);

}  // namespace plat::detail
