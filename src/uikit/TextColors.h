#pragma once
#include "platform/graphics/Color.h"

namespace zt {

// Text that says less than a row's title (a count, a length, a number):
// grey, yet dark enough to read on white and on the light grey of
// alternate rows, 5:1 at least (the platform's grey reads about 3.6:1).
plat::Color secondaryTextColor();

}  // namespace zt
