#pragma once

namespace zt {

// Gives the capture-source registry the built-in sources of the libraries
// that build on capture: the green screen, offered after the device's
// camera and before the 4K camera. The process entry calls it before
// launch; calling it again changes nothing. Main thread.
void registerAppCaptureSources();

}  // namespace zt
