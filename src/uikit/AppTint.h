#pragma once
#include <memory>

#include "platform/graphics/Color.h"

namespace plat {
class Image;
class NavigationBar;
}  // namespace plat

namespace zt {

// The app's tint, RGB(212, 3, 215).
plat::Color appTintColor();

// Text in the tint stands out too little for small text: 4.1:1 on a light
// bar, 3.4:1 on the light grey of a bubble, 2.9:1 on dark grey. Text in it
// takes a darker shade on the app's light bars and panels, RGB(170, 0, 173)
// (5.9:1 on a light bar, 4.8:1 on a bubble), and a lighter one on its dark
// ones, RGB(240, 112, 242) (5:1 on dark grey).
plat::Color appTintForTextOnLightColor();
plat::Color appTintForTextOnDarkColor();
// Gives the bar's buttons the shade that reads on the bar, by its style.
void tintBarButtonsForReading(plat::NavigationBar& bar);

// The darker shade again, for what is filled with it under white text:
// white reads on it at 6.3 to 1, on the tint itself only at 4.4 to 1.
plat::Color appTintFillColor();

// A plate of that shade with rounded corners that stretches to any size,
// for the background of a button that is on or chosen, its title white on
// it: the title then reads whatever lies behind the button. Main thread.
std::shared_ptr<const plat::Image> appTintPlateImage();

// Sliders and switches take the app's tint from system 5.0 on (foundation
// version 881), where the platform lets controls be tinted. Main thread.
bool controlsTakeAppTint();

}  // namespace zt
