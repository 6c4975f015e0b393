#pragma once
#include <memory>

#include "uikit/TintedNavigationController.h"

namespace zt {

// The navigation controller in which the app presents its modal screens.
// The screen on view decides about rotation; without one only the two
// landscape orientations are allowed. Its bar's buttons take the shade of
// the tint that reads on the bar. Main thread.
class QVNavigationController : public TintedNavigationController {
public:
    using TintedNavigationController::TintedNavigationController;

    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const override;
    unsigned supportedInterfaceOrientations() const override;
};

}  // namespace zt
