#pragma once
#include <functional>
#include <memory>

#include "platform/ui/ViewController.h"

namespace zt {

// A container that holds exactly one controller, the wrapped controller:
// its view sits below the status bar, appearance and rotation reach it by
// hand, and it finds its wrapper through wrapController(). Messages the
// wrapper does not answer itself are the wrapped controller's: code that
// looks for a protocol on a controller asks through wrappers
// (respondingTo). Main thread.
class SPWrapController : public plat::ViewController {
public:
    using Block = std::function<void(SPWrapController&)>;
    using AnimatedBlock = std::function<void(SPWrapController&, bool animated)>;

    // initWithViewController: links the controller to its new wrapper.
    static std::shared_ptr<SPWrapController> initWithViewController(std::shared_ptr<plat::ViewController> controller);
    // Use initWithViewController, which also links the two.
    explicit SPWrapController(std::shared_ptr<plat::ViewController> controller);
    // The wrapped controller leaves the wrapper and forgets it.
    ~SPWrapController() override;

    const std::shared_ptr<plat::ViewController>& wrappedController() const { return _wrappedController; }
    // The controller messages go to when the wrapper does not answer them.
    std::shared_ptr<plat::ViewController> forwardingTargetForSelector() const { return _wrappedController; }

    // Run after the wrapper's own callback and before the wrapped controller hears it.
    const Block& onViewDidLoad() const { return _onViewDidLoad; }
    void setOnViewDidLoad(Block block) { _onViewDidLoad = std::move(block); }
    const AnimatedBlock& onViewWillAppear() const { return _onViewWillAppear; }
    void setOnViewWillAppear(AnimatedBlock block) { _onViewWillAppear = std::move(block); }
    const AnimatedBlock& onViewDidAppear() const { return _onViewDidAppear; }
    void setOnViewDidAppear(AnimatedBlock block) { _onViewDidAppear = std::move(block); }
    const AnimatedBlock& onViewWillDisappear() const { return _onViewWillDisappear; }
    void setOnViewWillDisappear(AnimatedBlock block) { _onViewWillDisappear = std::move(block); }
    const AnimatedBlock& onViewDidDisappear() const { return _onViewDidDisappear; }
    void setOnViewDidDisappear(AnimatedBlock block) { _onViewDidDisappear = std::move(block); }

    // The status bar's thickness (0 while hidden).
    static double statusBarHeight();

    std::shared_ptr<plat::TabBarItem> tabBarItem() override;
    void setTabBarItem(std::shared_ptr<plat::TabBarItem> item) override;
    bool hidesBottomBarWhenPushed() const override;
    void setHidesBottomBarWhenPushed(bool hides) override;

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewDidDisappear(bool animated) override;
    bool shouldAutomaticallyForwardAppearanceMethods() const override { return false; }
    bool shouldAutomaticallyForwardRotationMethods() const override { return false; }
    bool shouldAutorotate() const override;
    unsigned supportedInterfaceOrientations() const override;
    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const override;
    void willRotateToInterfaceOrientation(plat::InterfaceOrientation orientation, double duration) override;
    void willAnimateRotationToInterfaceOrientation(plat::InterfaceOrientation orientation, double duration) override;
    void didRotateFromInterfaceOrientation(plat::InterfaceOrientation fromOrientation) override;
    void didReceiveMemoryWarning() override;

private:
    std::shared_ptr<plat::ViewController> _wrappedController;
    Block _onViewDidLoad;
    AnimatedBlock _onViewWillAppear;
    AnimatedBlock _onViewDidAppear;
    AnimatedBlock _onViewWillDisappear;
    AnimatedBlock _onViewDidDisappear;
};

// A wrapper for a side of a side-panel container: it narrows the wrapped
// view to the side's visible width (or height), so that a side panel is
// laid out for what the user sees. Main thread.
class SPSideController : public SPWrapController {
public:
    static constexpr double kShrinkSeconds = 0.3;
    // constrainedSize not set: the container's size for the side counts.
    static constexpr double kNotConstrained = -1.0;

    static std::shared_ptr<SPSideController> initWithViewController(std::shared_ptr<plat::ViewController> controller);
    static std::shared_ptr<SPSideController> initWithViewControllerConstrained(
        std::shared_ptr<plat::ViewController> controller, double constrainedSize);
    SPSideController(std::shared_ptr<plat::ViewController> controller, double constrainedSize);

    double constrainedSize() const { return _constrainedSize; }
    // Animated; NaN is refused.
    void setConstrainedSize(double size) { setConstrainedSize(size, /*animated=*/true); }
    void setConstrainedSize(double size, bool animated);
    void shrinkSide() { shrinkSideAnimated(true); }
    void shrinkSideAnimated(bool animated);

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void willAnimateRotationToInterfaceOrientation(plat::InterfaceOrientation orientation, double duration) override;

private:
    double _constrainedSize;
};

// The controller's wrapper, linked or (for a controller in a navigation
// controller) the navigation controller's; nullptr without one.
std::shared_ptr<SPWrapController> wrapController(plat::ViewController& controller);
std::shared_ptr<SPWrapController> wrapController_core(const plat::ViewController& controller);
// The link is weak: the wrapper holds the controller, not the other way.
void setWrapController(plat::ViewController& controller, const std::shared_ptr<SPWrapController>& wrapper);
// Through the linked wrapper, else the controller's own.
std::shared_ptr<plat::NavigationController> wc_navigationController(plat::ViewController& controller);
std::shared_ptr<plat::NavigationItem> wc_navigationItem(plat::ViewController& controller);
// The wrapper of a side panel.
std::shared_ptr<SPWrapController> sideController(plat::ViewController& controller);

// Routes the navigation look-ups of every controller through its wrapper.
// wc_swizzle adds the routing (the toolkit's reset for tests removes it);
// loadWrapControllerItem does so once per process, at start.
void wc_swizzle();
void loadWrapControllerItem();

// The object that answers a protocol for a controller: the controller when
// it adopts it, else the wrapped controller of a wrapper that does.
template <typename Protocol> Protocol* respondingTo(plat::ViewController& controller)
{
    if (auto* adopted = dynamic_cast<Protocol*>(&controller))
        return adopted;
    if (auto* wrapper = dynamic_cast<SPWrapController*>(&controller)) {
        if (const auto& wrapped = wrapper->wrappedController())
            return respondingTo<Protocol>(*wrapped);
    }
    return nullptr;
}

}  // namespace zt
