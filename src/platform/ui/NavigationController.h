#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/NavigationBar.h"
#include "platform/ui/ViewController.h"

namespace plat {
class NavigationController;
class Toolbar;

class NavigationControllerDelegate {
public:
    virtual ~NavigationControllerDelegate() = default;
    virtual void navigationControllerWillShowViewControllerAnimated(NavigationController&, ViewController&, bool) { }
    virtual void navigationControllerDidShowViewControllerAnimated(NavigationController&, ViewController&, bool) { }
};

// The platform's navigation controller: a stack of child controllers of
// which the top one's view shows between the navigation bar (the stack's
// navigation items, with a back button that pops) and the toolbar (the top
// controller's toolbar items; hidden by default, and while the top
// controller hides bottom bars). Pushing and popping slide the views over
// kTransitionSeconds when animated, with the appearance callbacks in the
// platform's order (the leaving controller's will-disappear, the coming
// one's will-appear, the slide, did-appear, did-disappear) and the
// containment callbacks; a change asked for during a slide first ends it.
// Main thread.
class NavigationController : public ViewController, public NavigationBarDelegate {
public:
    NavigationController();
    // initWithRootViewController:
    explicit NavigationController(std::shared_ptr<ViewController> rootViewController);
    ~NavigationController() override;

    const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return _stack; }
    void setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers, bool animated);
    std::shared_ptr<ViewController> topViewController() const { return _stack.empty() ? nullptr : _stack.back(); }
    // What the user sees: a controller the top one presented, else the top one.
    std::shared_ptr<ViewController> visibleViewController() const;
    // Pushing a controller that is already on the stack is a programmer error.
    void pushViewController(std::shared_ptr<ViewController> controller, bool animated);
    // The root is never popped: nullptr then.
    std::shared_ptr<ViewController> popViewControllerAnimated(bool animated);
    std::vector<std::shared_ptr<ViewController>> popToRootViewControllerAnimated(bool animated);
    std::vector<std::shared_ptr<ViewController>> popToViewController(
        const std::shared_ptr<ViewController>& controller, bool animated);

    // Loads the view.
    std::shared_ptr<NavigationBar> navigationBar();
    bool isNavigationBarHidden() const { return _navigationBarHidden; }
    void setNavigationBarHidden(bool hidden, bool animated = false);
    std::shared_ptr<Toolbar> toolbar();
    bool isToolbarHidden() const { return _toolbarHidden; }
    void setToolbarHidden(bool hidden, bool animated = false);
    std::weak_ptr<NavigationControllerDelegate> delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<NavigationControllerDelegate> delegate) { _delegate = std::move(delegate); }

    std::shared_ptr<NavigationController> asNavigationController() override;
    void loadView() override;
    bool navigationBarShouldPopItem(NavigationBar& bar, NavigationItem& item) override;

    // Places the bars and the top controller's view (the container view calls it).
    void layoutContainer();

private:
    struct Transition;

    void transition(std::shared_ptr<ViewController> from, std::shared_ptr<ViewController> to,
        std::vector<std::shared_ptr<ViewController>> leaving, std::vector<std::shared_ptr<ViewController>> joining,
        bool forward, bool animated);
    void finishTransitionNow();
    void updateBars();
    // Places the bars; returns where the top controller's view goes.
    Rect layoutBars();

    std::vector<std::shared_ptr<ViewController>> _stack;
    std::shared_ptr<NavigationBar> _navigationBar;
    std::shared_ptr<Toolbar> _toolbar;
    bool _navigationBarHidden = false;
    bool _toolbarHidden = true;
    std::weak_ptr<NavigationControllerDelegate> _delegate;
    std::unique_ptr<Transition> _transition;
    ObservationToken _toolbarItemsObservation;
};

}  // namespace plat
