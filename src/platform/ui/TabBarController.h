#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ui/TabBar.h"
#include "platform/ui/ViewController.h"

namespace plat {
class TabBarController;

class TabBarControllerDelegate {
public:
    virtual ~TabBarControllerDelegate() = default;
    virtual bool tabBarControllerShouldSelectViewController(TabBarController&, ViewController&) { return true; }
    virtual void tabBarControllerDidSelectViewController(TabBarController&, ViewController&) { }
};

// The platform's tab bar controller: child controllers of which the
// selected one's view shows above the tab bar, which shows each child's
// tab bar item (and follows a child that replaces its item). A tap on a
// tab asks the delegate, switches the children with their appearance
// callbacks and tells the delegate; selecting by code tells no delegate.
// The bar hides while the selected child (or the top of a selected
// navigation controller) hides bottom bars. Main thread.
class TabBarController : public ViewController, public TabBarDelegate {
public:
    TabBarController();
    ~TabBarController() override;

    const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return _children; }
    void setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers, bool animated = false);
    // kNotFound when there are no children.
    int64_t selectedIndex() const { return _selectedIndex; }
    void setSelectedIndex(int64_t index);
    std::shared_ptr<ViewController> selectedViewController() const;
    void setSelectedViewController(const std::shared_ptr<ViewController>& controller);
    // Loads the view.
    std::shared_ptr<TabBar> tabBar();
    std::weak_ptr<TabBarControllerDelegate> delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<TabBarControllerDelegate> delegate) { _delegate = std::move(delegate); }

    std::shared_ptr<TabBarController> asTabBarController() override;
    void loadView() override;
    void tabBarDidSelectItem(TabBar& bar, TabBarItem& item) override;

    // Places the bar and the selected child's view (the container view calls it).
    void layoutContainer();

private:
    void showSelected(const std::shared_ptr<ViewController>& previous);
    void updateItems();
    bool hidesBar() const;

    std::vector<std::shared_ptr<ViewController>> _children;
    int64_t _selectedIndex = kNotFound;
    std::shared_ptr<TabBar> _tabBar;
    std::weak_ptr<TabBarControllerDelegate> _delegate;
    std::vector<ObservationToken> _observations;
};

}  // namespace plat
