#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Geometry.h"
#include "platform/ui/Application.h"
#include "platform/ui/Responder.h"

namespace plat {
class BarButtonItem;
class NavigationController;
class NavigationItem;
class TabBarController;
class TabBarItem;
class View;
class Window;
namespace detail {
class ModalPresentation;
class ViewHierarchy;
}  // namespace detail

// How a presented controller covers its presenter, with the platform's
// numbers. A phone shows sheets full screen, as the platform adapts them.
// Over full screen, the presented view fills the screen and the presenter's
// stays in the window beneath it (whatever the presented view does not
// paint shows it).
enum class ModalPresentationStyle : int {
    FullScreen = 0,
    PageSheet = 1,
    FormSheet = 2,
    CurrentContext = 3,
    OverFullScreen = 5
};
enum class ModalTransitionStyle : int { CoverVertical = 0, FlipHorizontal = 1, CrossDissolve = 2, PartialCurl = 3 };

// What the platform's layout guides measure: how far the bars above (the
// status bar) or below cover the controller's view. Children of navigation
// and tab bar controllers are laid out between the bars, so theirs are 0.
struct LayoutSupport {
    double length = 0;
};

// The platform's view controller: a view loaded on first use (from the
// layout named at construction, else the layout named after the class, else
// a plain view), the appearance callbacks in the platform's order (from the
// window, from presentations, forwarded to children), layout callbacks,
// child containment, modal presentation, rotation and orientation, the
// popover content size, the navigation item, and outlets by name for the
// layouts and test drivers. The navigation-controller and navigation-item
// look-ups and presentation pass through process-wide interception points
// (ViewControllerHooks) before the platform's answer. Created with
// std::make_shared. Main thread.
class ViewController : public Responder {
public:
    // The time an animated presentation or dismissal takes.
    static constexpr double kTransitionSeconds = 0.35;
    // A form sheet on a tablet.
    static constexpr Size kFormSheetSize {540, 620};

    ViewController();
    // initWithNibName:bundle: the layout that makes the view.
    explicit ViewController(std::string nibName);
    ~ViewController() override;

    // The view, loaded (loadView, then viewDidLoad) when first asked for.
    std::shared_ptr<View> view();
    bool isViewLoaded() const { return _view != nullptr; }
    void setView(std::shared_ptr<View> view);
    const std::string& nibName() const { return _nibName; }

    virtual void loadView();
    virtual void viewDidLoad() { }
    virtual void viewWillAppear(bool /*animated*/) { }
    virtual void viewDidAppear(bool /*animated*/) { }
    virtual void viewWillDisappear(bool /*animated*/) { }
    virtual void viewDidDisappear(bool /*animated*/) { }
    virtual void viewWillLayoutSubviews() { }
    virtual void viewDidLayoutSubviews() { }
    virtual void didReceiveMemoryWarning() { }

    // Appearance, as the platform tracks it: a controller hears will-appear
    // once before did-appear, never twice in a row; forwarded to children
    // unless shouldAutomaticallyForwardAppearanceMethods says no.
    void beginAppearanceTransition(bool isAppearing, bool animated);
    void endAppearanceTransition();
    virtual bool shouldAutomaticallyForwardAppearanceMethods() const { return true; }
    virtual bool shouldAutomaticallyForwardRotationMethods() const { return true; }
    bool isBeingPresented() const { return _beingPresented; }
    bool isBeingDismissed() const { return _beingDismissed; }
    bool isVisible() const { return _appearance == Appearance::Appeared; }

    // An observable property ("title").
    const std::string& title() const { return _title; }
    virtual void setTitle(std::string title);

    // Views the layout connected, by outlet name.
    void setOutlet(const std::string& name, const std::shared_ptr<View>& view);
    std::shared_ptr<View> outlet(const std::string& name) const;
    std::vector<std::string> outletNames() const;

    // Containment. addChildViewController sends willMoveToParentViewController;
    // removeFromParentViewController sends didMoveToParentViewController(nullptr);
    // the container sends the other two, as on the platform.
    std::shared_ptr<ViewController> parentViewController() const { return _parent.lock(); }  // observable
    const std::vector<std::shared_ptr<ViewController>>& childViewControllers() const { return _children; }
    void addChildViewController(const std::shared_ptr<ViewController>& child);
    void removeFromParentViewController();
    virtual void willMoveToParentViewController(ViewController* /*parent*/) { }
    virtual void didMoveToParentViewController(ViewController* /*parent*/) { }

    // Presentation: from the top of this controller's containment, over the
    // whole window (full screen) or as a centred sheet over a dimmed window
    // (form sheet on a tablet). Order: presenter will-disappear, presented
    // will-appear, the transition, presented did-appear, presenter
    // did-disappear, completion; a sheet leaves its presenter appeared.
    // Refused (logged, no completion) while the presenter presents another
    // or is off screen.
    void presentViewController(
        std::shared_ptr<ViewController> controller, bool animated, std::function<void()> completion);
    // Dismisses what this controller presented, or this controller when it
    // was presented. Refused (logged, no completion) while that
    // presentation is still running.
    void dismissViewControllerAnimated(bool animated, std::function<void()> completion);
    std::shared_ptr<ViewController> presentedViewController() const;
    std::shared_ptr<ViewController> presentingViewController() const;
    ModalPresentationStyle modalPresentationStyle() const { return _presentationStyle; }
    void setModalPresentationStyle(ModalPresentationStyle style) { _presentationStyle = style; }
    ModalTransitionStyle modalTransitionStyle() const { return _transitionStyle; }
    void setModalTransitionStyle(ModalTransitionStyle style) { _transitionStyle = style; }

    // Rotation.
    virtual bool shouldAutorotate() const { return true; }
    virtual unsigned supportedInterfaceOrientations() const;
    virtual bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) const;
    virtual InterfaceOrientation preferredInterfaceOrientationForPresentation() const;
    InterfaceOrientation interfaceOrientation() const;
    virtual void willRotateToInterfaceOrientation(InterfaceOrientation orientation, double duration);
    virtual void willAnimateRotationToInterfaceOrientation(InterfaceOrientation orientation, double duration);
    virtual void didRotateFromInterfaceOrientation(InterfaceOrientation fromOrientation);

    // The size a popover gives this controller's view (the platform's default 320 x 1100).
    Size contentSizeForViewInPopover() const { return _contentSizeForViewInPopover; }
    void setContentSizeForViewInPopover(Size size) { _contentSizeForViewInPopover = size; }
    // The size the controller would have as a form sheet on a tablet; none
    // (zero) gives the platform's, kFormSheetSize. The screen bounds it.
    Size preferredContentSize() const { return _preferredContentSize; }
    void setPreferredContentSize(Size size) { _preferredContentSize = size; }

    // Navigation, through the interception points.
    std::shared_ptr<NavigationController> navigationController();
    std::shared_ptr<NavigationItem> navigationItem();
    // Observable ("hidesBottomBarWhenPushed").
    // Overridable, as the platform's are: a wrapper answers for what it wraps.
    virtual bool hidesBottomBarWhenPushed() const { return _hidesBottomBarWhenPushed; }
    virtual void setHidesBottomBarWhenPushed(bool hides);
    // Navigation controllers answer themselves.
    virtual std::shared_ptr<NavigationController> asNavigationController() { return nullptr; }

    // The items a navigation controller's toolbar shows while this controller is on top (observable "toolbarItems").
    const std::vector<std::shared_ptr<BarButtonItem>>& toolbarItems() const { return _toolbarItems; }
    void setToolbarItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool animated = false);
    // The item a tab bar shows for this controller, made from the title on
    // first use (observable "tabBarItem"; "tabBarItem.title" follows it).
    virtual std::shared_ptr<TabBarItem> tabBarItem();
    virtual void setTabBarItem(std::shared_ptr<TabBarItem> item);
    // The nearest tab bar controller above, if any.
    std::shared_ptr<TabBarController> tabBarController();
    virtual std::shared_ptr<TabBarController> asTabBarController() { return nullptr; }

    LayoutSupport topLayoutGuide() const;
    LayoutSupport bottomLayoutGuide() const { return {}; }

    std::shared_ptr<Object> observableObjectForKey(std::string_view key) override;

    // The platform's answers, which the interception points fall through to.
    std::shared_ptr<NavigationController> platformNavigationController();
    std::shared_ptr<NavigationItem> platformNavigationItem();
    void platformPresentViewController(
        std::shared_ptr<ViewController> controller, bool animated, std::function<void()> completion);

    std::shared_ptr<Responder> nextResponder() const override;

protected:
    std::shared_ptr<Window> responderWindow() const override;
    // For containers that time their children's appearance themselves:
    // moves of the child's view made in changes do not make it appear or
    // disappear by themselves.
    static void moveViewsWithoutAppearance(ViewController& child, const std::function<void()>& changes);

private:
    friend class View;
    friend class Window;
    friend class Application;
    friend class detail::ModalPresentation;
    friend class detail::ViewHierarchy;

    enum class Appearance { Disappeared, Appearing, Appeared, Disappearing };

    // The view tree reports moves into and out of windows.
    bool appearanceFollowsViewHierarchy() const;
    void viewWillMoveToWindow(Window* newWindow, const View& movingRoot);
    void viewDidMoveToWindow();
    // True unless the parent's view moves too (the parent then forwards).
    bool isTopOfMovingTree(const View& movingRoot) const;
    void forwardRotation(const std::function<void(ViewController&)>& call);
    void sendMemoryWarning();
    bool coversPresenter() const;

    std::string _nibName;
    std::shared_ptr<View> _view;
    std::string _title;
    std::map<std::string, std::weak_ptr<View>> _outlets;
    std::weak_ptr<ViewController> _parent;
    std::vector<std::shared_ptr<ViewController>> _children;
    std::shared_ptr<ViewController> _presented;
    std::weak_ptr<ViewController> _presenting;
    std::shared_ptr<View> _dimmingView;
    ModalPresentationStyle _presentationStyle = ModalPresentationStyle::FullScreen;
    ModalTransitionStyle _transitionStyle = ModalTransitionStyle::CoverVertical;
    Size _contentSizeForViewInPopover {320, 1100};
    Size _preferredContentSize;
    std::shared_ptr<NavigationItem> _navigationItem;
    std::vector<std::shared_ptr<BarButtonItem>> _toolbarItems;
    std::shared_ptr<TabBarItem> _tabBarItem;
    bool _hidesBottomBarWhenPushed = false;
    Appearance _appearance = Appearance::Disappeared;
    bool _appearanceAnimated = false;
    bool _hierarchyTransitionPending = false;
    int _hierarchyAppearanceSuppressed = 0;
    bool _beingPresented = false;
    bool _beingDismissed = false;
};

}  // namespace plat
