#pragma once
#include "platform/graphics/Color.h"

namespace zt {

// Text that says less than a row's title (a count, a length, a number):
// grey, yet dark enough to read on white and on the light grey of
// alternate rows, 5:1 at least (the platform's grey: 4:1 on white, 3.7:1 on
// alternate rows).
plat::Color secondaryTextColor();

// The small subtitle under a row's title (11 points): darker than
// secondaryTextColor, because the thinnest strokes of text that small (the
// dash between an album and its artist) come out lighter than their
// colour; 5:1 even for the dash.
plat::Color subtitleTextColor();

}  // namespace zt
