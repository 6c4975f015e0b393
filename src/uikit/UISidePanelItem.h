#pragma once
#include <memory>

namespace plat {
class NavigationController;
class NavigationItem;
class ViewController;
}  // namespace plat

namespace zt {
class SPSidePanelController;

// The side-panel container a controller belongs to: its own (linked by the
// container), else its navigation controller's, else the first container
// in the integrated behaviour on its navigation stack (top first), else its
// wrapper's; nullptr without one.
std::shared_ptr<SPSidePanelController> sidePanelController(plat::ViewController& controller);
// Only the container linked to this controller.
std::shared_ptr<SPSidePanelController> sidePanelController_core(const plat::ViewController& controller);
// The link is weak: the container holds its children, not the other way.
void setSidePanelController(plat::ViewController& controller, const std::shared_ptr<SPSidePanelController>& container);
// The navigation controller and item of a controller in a container are the container's.
std::shared_ptr<plat::NavigationController> vdc_navigationController(plat::ViewController& controller);
std::shared_ptr<plat::NavigationItem> vdc_navigationItem(plat::ViewController& controller);

// Routes presentation and the navigation look-ups of every controller
// through its container: a controller in a container presents from the
// container. vdc_swizzle adds the routing (the toolkit's reset for tests
// removes it); loadUISidePanelItem does so once per process, at start.
void vdc_swizzle();
void loadUISidePanelItem();

}  // namespace zt
