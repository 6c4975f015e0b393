#include "uikit/QVNavigationController.h"

namespace zt {

bool QVNavigationController::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const
{
    if (auto visible = visibleViewController())
        return visible->shouldAutorotateToInterfaceOrientation(orientation);
    return plat::isLandscape(orientation);
}

unsigned QVNavigationController::supportedInterfaceOrientations() const
{
    if (auto visible = visibleViewController())
        return visible->supportedInterfaceOrientations();
    return TintedNavigationController::supportedInterfaceOrientations();
}

}  // namespace zt
