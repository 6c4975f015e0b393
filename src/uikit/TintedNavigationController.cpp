#include "uikit/TintedNavigationController.h"

#include "platform/ui/NavigationBar.h"
#include "uikit/AppTint.h"

namespace zt {

void TintedNavigationController::viewDidLoad()
{
    plat::NavigationController::viewDidLoad();
    tintBarButtonsForReading(*navigationBar());
}

void TintedNavigationController::viewDidLayoutSubviews()
{
    plat::NavigationController::viewDidLayoutSubviews();
    tintBarButtonsForReading(*navigationBar());
}

}  // namespace zt
