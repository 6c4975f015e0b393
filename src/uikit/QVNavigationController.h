#pragma once
#include <memory>

#include "platform/ui/NavigationController.h"

namespace zt {

// The navigation controller in which the app presents its modal screens.
// The screen on view decides about rotation; without one only the two
// landscape orientations are allowed. Main thread.
class QVNavigationController : public plat::NavigationController {
public:
    using plat::NavigationController::NavigationController;

    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const override;
    unsigned supportedInterfaceOrientations() const override;
};

}  // namespace zt
