#pragma once

namespace zt {

// The layouts of the movie look's screens: the theme and foreground
// choosers, the outline editor and the render progress screen.
void registerLookLayouts();

}  // namespace zt
