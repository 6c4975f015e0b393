#pragma once
#include "platform/graphics/Color.h"

namespace zt {

// The app's tint, RGB(212, 3, 215).
plat::Color appTintColor();

// Sliders and switches take the app's tint from system 5.0 on (foundation
// version 881), where the platform lets controls be tinted. Main thread.
bool controlsTakeAppTint();

}  // namespace zt
