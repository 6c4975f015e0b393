#include "uikit/TextColors.h"

namespace zt {

plat::Color secondaryTextColor()
{
    return plat::Color::colorWithWhite(0.4, 1);
}

}  // namespace zt
