#pragma once
#include <functional>
#include <memory>

namespace plat {
class NavigationController;
class NavigationItem;
class ViewController;

// Process-wide interception points of every view controller, where the
// platform's runtime would exchange operations: components install a hook
// once at start; each hook may answer for its own kind of container and
// otherwise calls `next`, which runs the later hooks and finally the
// platform's answer. Hooks run in the order they were added. Main thread.
class ViewControllerHooks {
public:
    using NavigationControllerNext = std::function<std::shared_ptr<NavigationController>(ViewController&)>;
    using NavigationControllerHook
        = std::function<std::shared_ptr<NavigationController>(ViewController&, const NavigationControllerNext& next)>;
    using NavigationItemNext = std::function<std::shared_ptr<NavigationItem>(ViewController&)>;
    using NavigationItemHook
        = std::function<std::shared_ptr<NavigationItem>(ViewController&, const NavigationItemNext& next)>;
    using PresentNext = std::function<void(
        ViewController& presenter, std::shared_ptr<ViewController>, bool animated, std::function<void()>)>;
    using PresentHook = std::function<void(ViewController& presenter, std::shared_ptr<ViewController> presented,
        bool animated, std::function<void()> completion, const PresentNext& next)>;

    static void addNavigationControllerHook(NavigationControllerHook hook);
    static void addNavigationItemHook(NavigationItemHook hook);
    static void addPresentHook(PresentHook hook);
    // For test isolation.
    static void removeAllHooks();

    static std::shared_ptr<NavigationController> navigationController(ViewController& controller);
    static std::shared_ptr<NavigationItem> navigationItem(ViewController& controller);
    static void present(ViewController& presenter, std::shared_ptr<ViewController> presented, bool animated,
        std::function<void()> completion);
};

}  // namespace plat
