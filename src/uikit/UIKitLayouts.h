#pragma once

namespace zt {

// Registers the layouts of the kit's own screens: "QVMovieView".
void registerUIKitLayouts();

}  // namespace zt
