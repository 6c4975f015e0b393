#pragma once
#include <memory>

#include "platform/graphics/Color.h"

namespace plat {
class Image;
}

namespace zt {

// The app's tint, RGB(212, 3, 215).
plat::Color appTintColor();

// A deeper shade of the tint, RGB(170, 2, 172), for what is filled with it
// under white text: white reads on it at 6.3 to 1, on the tint itself only
// at 4.4 to 1.
plat::Color appTintFillColor();

// A plate of that shade with rounded corners that stretches to any size,
// for the background of a button that is on or chosen, its title white on
// it: the title then reads whatever lies behind the button. Main thread.
std::shared_ptr<const plat::Image> appTintPlateImage();

// Sliders and switches take the app's tint from system 5.0 on (foundation
// version 881), where the platform lets controls be tinted. Main thread.
bool controlsTakeAppTint();

}  // namespace zt
