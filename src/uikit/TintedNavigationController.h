#pragma once
#include <memory>

#include "platform/ui/NavigationController.h"

namespace zt {

// A navigation controller whose bar's buttons take the shade of the app's
// tint that reads on the bar (see tintBarButtonsForReading), also after the
// screen it shows turns the bar dark. Main thread.
class TintedNavigationController : public plat::NavigationController {
public:
    using plat::NavigationController::NavigationController;

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;
};

}  // namespace zt
