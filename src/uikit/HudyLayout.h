#pragma once

namespace zt {

// Registers the kit's layout "Hudy": a dark rounded panel with a white
// caption, a spinner and a progress bar near the bottom. A Hudy registers it
// when the app has not registered a layout of that name. Main thread.
void registerHudyLayout();

}  // namespace zt
