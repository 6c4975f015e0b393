#include "uikit/TextColors.h"

namespace zt {

plat::Color secondaryTextColor()
{
    return plat::Color::colorWithWhite(0.4, 1);
}

plat::Color subtitleTextColor()
{
    return plat::Color::colorWithWhite(0.33, 1);
}

}  // namespace zt
