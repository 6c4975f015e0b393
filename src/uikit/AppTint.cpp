#include "uikit/AppTint.h"

#include "platform/ui/Device.h"

namespace zt {

plat::Color appTintColor()
{
    return plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1);
}

bool controlsTakeAppTint()
{
    return plat::Device::currentDevice().systemVersionIsAtLeast("5.0");
}

}  // namespace zt
