#include "uikit/UISidePanelItem.h"

#include <mutex>

#include "platform/ui/NavigationController.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/ViewControllerHooks.h"
#include "uikit/SPSidePanelController.h"
#include "uikit/SPWrapController.h"

namespace zt {

namespace {

constexpr const char* kSidePanelControllerKey = "SidePanelController";

// A controller on a navigation stack offers the container it is or belongs to.
std::shared_ptr<SPSidePanelController> offeredContainer(const std::shared_ptr<plat::ViewController>& entry)
{
    if (auto container = std::dynamic_pointer_cast<SPSidePanelController>(entry))
        return container;
    return sidePanelController_core(*entry);
}

}  // namespace

std::shared_ptr<SPSidePanelController> sidePanelController_core(const plat::ViewController& controller)
{
    return std::dynamic_pointer_cast<SPSidePanelController>(
        controller.associatedObjects().get<plat::ViewController>(kSidePanelControllerKey));
}

void setSidePanelController(plat::ViewController& controller, const std::shared_ptr<SPSidePanelController>& container)
{
    if (!container) {
        controller.associatedObjects().remove(kSidePanelControllerKey);
        return;
    }
    controller.associatedObjects().set(kSidePanelControllerKey,
        std::static_pointer_cast<plat::ViewController>(container), plat::AssociationPolicy::Assign);
}

std::shared_ptr<SPSidePanelController> sidePanelController(plat::ViewController& controller)
{
    if (auto own = sidePanelController_core(controller))
        return own;
    if (auto navigation = controller.navigationController()) {
        if (auto container = sidePanelController_core(*navigation))
            return container;
        const auto& stack = navigation->viewControllers();
        for (auto entry = stack.rbegin(); entry != stack.rend(); ++entry) {
            auto offered = offeredContainer(*entry);
            if (offered && offered->navigationControllerBehavior() == SPSidePanelNavigationControllerIntegrated)
                return offered;
        }
    }
    if (auto wrapper = wrapController(controller))
        return sidePanelController(*wrapper);
    return nullptr;
}

std::shared_ptr<plat::NavigationController> vdc_navigationController(plat::ViewController& controller)
{
    if (auto container = sidePanelController_core(controller))
        return container->navigationController();
    return controller.platformNavigationController();
}

std::shared_ptr<plat::NavigationItem> vdc_navigationItem(plat::ViewController& controller)
{
    if (auto container = sidePanelController_core(controller))
        return container->navigationItem();
    return controller.platformNavigationItem();
}

void vdc_swizzle()
{
    plat::ViewControllerHooks::addPresentHook(
        [](plat::ViewController& presenter, std::shared_ptr<plat::ViewController> presented, bool animated,
            std::function<void()> completion, const plat::ViewControllerHooks::PresentNext& next) {
            auto container = sidePanelController(presenter);
            next(container ? *container : presenter, std::move(presented), animated, std::move(completion));
        });
    plat::ViewControllerHooks::addNavigationControllerHook(
        [](plat::ViewController& controller, const plat::ViewControllerHooks::NavigationControllerNext& next) {
            if (auto container = sidePanelController_core(controller))
                return container->navigationController();
            return next(controller);
        });
    plat::ViewControllerHooks::addNavigationItemHook(
        [](plat::ViewController& controller, const plat::ViewControllerHooks::NavigationItemNext& next) {
            if (auto container = sidePanelController_core(controller))
                return container->navigationItem();
            return next(controller);
        });
}

void loadUISidePanelItem()
{
    static std::once_flag once;
    std::call_once(once, [] { vdc_swizzle(); });
}

}  // namespace zt
