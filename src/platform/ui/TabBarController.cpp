#include "platform/ui/TabBarController.h"

#include <algorithm>

#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TabBarItem.h"

namespace plat {

namespace {

// The tab bar controller's view: it has its controller place the bar and the selected view.
class TabContainerView : public View {
public:
    TabContainerView(Rect frame, std::weak_ptr<TabBarController> controller)
        : View(frame)
        , _controller(std::move(controller))
    {
    }
    void layoutSubviews() override
    {
        if (auto controller = _controller.lock())
            controller->layoutContainer();
    }

private:
    std::weak_ptr<TabBarController> _controller;
};

}  // namespace

TabBarController::TabBarController() = default;

TabBarController::~TabBarController() = default;

std::shared_ptr<TabBarController> TabBarController::asTabBarController()
{
    return std::static_pointer_cast<TabBarController>(shared_from_this());
}

void TabBarController::loadView()
{
    auto self = std::static_pointer_cast<TabBarController>(shared_from_this());
    auto container = std::make_shared<TabContainerView>(Screen::mainScreen().applicationFrame(), self);
    container->setBackgroundColor(Color::whiteColor());
    setView(container);
    _tabBar = std::make_shared<TabBar>();
    _tabBar->setDelegate(std::static_pointer_cast<TabBarDelegate>(self));
    container->addSubview(_tabBar);
    updateItems();
    if (auto selected = selectedViewController())
        container->insertSubview(selected->view(), 0);
}

std::shared_ptr<TabBar> TabBarController::tabBar()
{
    view();
    return _tabBar;
}

std::shared_ptr<ViewController> TabBarController::selectedViewController() const
{
    if (_selectedIndex == kNotFound || _selectedIndex >= static_cast<int64_t>(_children.size()))
        return nullptr;
    return _children[static_cast<size_t>(_selectedIndex)];
}

void TabBarController::setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers, bool)
{
    auto previous = selectedViewController();
    for (const auto& old : _children) {
        if (std::find(controllers.begin(), controllers.end(), old) != controllers.end())
            continue;
        old->willMoveToParentViewController(nullptr);
        if (old == previous && old->isViewLoaded())
            continue;  // leaves with the switch below
        old->removeFromParentViewController();
    }
    for (const auto& controller : controllers)
        if (controller->parentViewController().get() != this) {
            addChildViewController(controller);
            controller->didMoveToParentViewController(this);
        }
    _children = std::move(controllers);
    // The selection stays with its controller when it remains, else the first tab.
    auto kept = std::find(_children.begin(), _children.end(), previous);
    _selectedIndex = _children.empty() ? kNotFound
        : kept != _children.end()      ? static_cast<int64_t>(kept - _children.begin())
                                       : 0;
    // A child that gives itself a new tab bar item is shown with it.
    _observations.clear();
    std::weak_ptr<Object> weakSelf = weak_from_this();
    for (const auto& child : _children)
        for (const char* key : {"tabBarItem", "hidesBottomBarWhenPushed"})
            _observations.push_back(child->addObserverForKey(key, [weakSelf](const PropertyChange&) {
                if (auto self = std::static_pointer_cast<TabBarController>(weakSelf.lock()))
                    self->updateItems();
            }));
    if (!isViewLoaded())
        return;
    updateItems();
    showSelected(previous);
    if (previous && std::find(_children.begin(), _children.end(), previous) == _children.end())
        previous->removeFromParentViewController();
}

void TabBarController::setSelectedIndex(int64_t index)
{
    if (index < 0 || index >= static_cast<int64_t>(_children.size()) || index == _selectedIndex)
        return;
    auto previous = selectedViewController();
    _selectedIndex = index;
    if (!isViewLoaded())
        return;
    if (auto item = _children[static_cast<size_t>(index)]->tabBarItem())
        _tabBar->setSelectedItem(item);
    showSelected(previous);
}

void TabBarController::setSelectedViewController(const std::shared_ptr<ViewController>& controller)
{
    auto it = std::find(_children.begin(), _children.end(), controller);
    if (it != _children.end())
        setSelectedIndex(static_cast<int64_t>(it - _children.begin()));
}

void TabBarController::tabBarDidSelectItem(TabBar&, TabBarItem& item)
{
    auto keepAlive = weak_from_this().lock();
    auto it = std::find_if(
        _children.begin(), _children.end(), [&](const auto& child) { return child->tabBarItem().get() == &item; });
    if (it == _children.end())
        return;
    auto chosen = *it;
    auto delegate = _delegate.lock();
    if (delegate && !delegate->tabBarControllerShouldSelectViewController(*this, *chosen)) {
        // Refused: the bar shows the tab that stays.
        if (auto selected = selectedViewController())
            _tabBar->setSelectedItem(selected->tabBarItem());
        return;
    }
    setSelectedIndex(static_cast<int64_t>(it - _children.begin()));
    if (delegate)
        delegate->tabBarControllerDidSelectViewController(*this, *chosen);
}

void TabBarController::showSelected(const std::shared_ptr<ViewController>& previous)
{
    auto keepAlive = weak_from_this().lock();
    auto next = selectedViewController();
    if (next == previous)
        return;
    bool shown = isVisible();
    if (shown && previous)
        previous->beginAppearanceTransition(false, false);
    if (shown && next)
        next->beginAppearanceTransition(true, false);
    auto container = view();
    if (previous && previous->isViewLoaded())
        moveViewsWithoutAppearance(*previous, [&] { previous->view()->removeFromSuperview(); });
    if (next)
        moveViewsWithoutAppearance(*next, [&] { container->insertSubview(next->view(), 0); });
    layoutContainer();
    if (shown && next)
        next->endAppearanceTransition();
    if (shown && previous)
        previous->endAppearanceTransition();
}

void TabBarController::updateItems()
{
    if (!isViewLoaded())
        return;
    std::vector<std::shared_ptr<TabBarItem>> items;
    for (const auto& child : _children)
        items.push_back(child->tabBarItem());
    _tabBar->setItems(items);
    if (auto selected = selectedViewController())
        _tabBar->setSelectedItem(selected->tabBarItem());
    view()->setNeedsLayout();
}

bool TabBarController::hidesBar() const
{
    auto selected = selectedViewController();
    if (!selected)
        return false;
    if (auto navigation = selected->asNavigationController())
        if (auto top = navigation->topViewController(); top && navigation->viewControllers().size() > 1)
            return top->hidesBottomBarWhenPushed();
    return selected->hidesBottomBarWhenPushed();
}

void TabBarController::layoutContainer()
{
    if (!isViewLoaded())
        return;
    auto container = view();
    Rect b = container->bounds();
    bool hidden = hidesBar();
    _tabBar->setHidden(hidden);
    _tabBar->setFrame(makeRect(b.minX(), b.maxY() - TabBar::kHeight, b.width(), TabBar::kHeight));
    container->bringSubviewToFront(*_tabBar);
    if (auto selected = selectedViewController();
        selected && selected->isViewLoaded() && selected->view()->superview() == container)
        selected->view()->setFrame(
            makeRect(b.minX(), b.minY(), b.width(), hidden ? b.height() : b.height() - TabBar::kHeight));
}

}  // namespace plat
