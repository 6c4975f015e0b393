#include "uikit/AppTint.h"

#include "platform/ui/Device.h"
#include "platform/ui/NavigationBar.h"

namespace zt {

plat::Color appTintColor()
{
    return plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1);
}

plat::Color appTintForTextOnLightColor()
{
    return plat::Color::colorWithRed(170 / 255.0, 0, 173 / 255.0, 1);
}

plat::Color appTintForTextOnDarkColor()
{
    return plat::Color::colorWithRed(240 / 255.0, 112 / 255.0, 242 / 255.0, 1);
}

void tintBarButtonsForReading(plat::NavigationBar& bar)
{
    const plat::Color shade
        = bar.barStyle() == plat::BarStyle::Black ? appTintForTextOnDarkColor() : appTintForTextOnLightColor();
    if (bar.tintColor() != shade)
        bar.setTintColor(shade);
}

bool controlsTakeAppTint()
{
    return plat::Device::currentDevice().systemVersionIsAtLeast("5.0");
}

}  // namespace zt
