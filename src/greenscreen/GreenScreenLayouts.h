#pragma once

namespace zt {

// Registers the green screen's layouts (the sensitivity panel).
void registerGreenScreenLayouts();

}  // namespace zt
