#include "platform/ui/scripting/ScreenScene.h"

#include <algorithm>

#include "platform/foundation/Log.h"
#include "platform/ui/ActionSheet.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TabBarController.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/scripting/ViewDescription.h"

namespace plat::scripting::detail {

namespace {

template <typename T> std::vector<std::weak_ptr<T>> weakened(const std::vector<std::shared_ptr<T>>& list)
{
    return {list.begin(), list.end()};
}

// Navigations whose views are on screen: how deep they are tells a push.
// (Other controllers come and go as rows scroll into view.)
void collectOwners(const View& view, std::vector<std::shared_ptr<ViewController>>& out)
{
    if (!isShown(view))
        return;
    if (auto owner = std::dynamic_pointer_cast<NavigationController>(view.viewController());
        owner && std::find(out.begin(), out.end(), owner) == out.end())
        out.push_back(owner);
    for (const auto& subview : view.subviews())
        collectOwners(*subview, out);
}

}  // namespace

std::vector<std::shared_ptr<ViewController>> controllersShown(const Window& window)
{
    auto controllers = controllersOnScreen(window);
    collectOwners(window, controllers);
    return controllers;
}

void collectCatchers(const std::shared_ptr<View>& view, Rect screen, std::vector<std::shared_ptr<View>>& out)
{
    if (!isShown(*view) || !view->isUserInteractionEnabled())
        return;
    const Rect frame = windowFrameOf(*view);
    if (frame.minX() <= screen.minX() && frame.minY() <= screen.minY() && frame.maxX() >= screen.maxX()
        && frame.maxY() >= screen.maxY() && !view->viewController() && !dynamic_cast<const Window*>(view.get()))
        out.push_back(view);
    for (const auto& subview : view->subviews())
        collectCatchers(subview, screen, out);
}

void collectAlerts(const std::shared_ptr<View>& view, std::vector<std::shared_ptr<View>>& out)
{
    auto* alert = dynamic_cast<const AlertView*>(view.get());
    auto* sheet = dynamic_cast<const ActionSheet*>(view.get());
    if ((alert && alert->isVisible()) || (sheet && sheet->isVisible()))
        out.push_back(view);
    for (const auto& subview : view->subviews())
        collectAlerts(subview, out);
}

Scene sceneOf(Window& window)
{
    Scene scene;
    const auto controllers = controllersShown(window);
    scene.controllers = weakened(controllers);
    for (const auto& controller : controllers) {
        // A tab's screen is part of its tab bar's: switching tabs stays on the screen.
        bool inTab = false;
        for (auto parent = controller->parentViewController(); parent && !inTab;
             parent = parent->parentViewController())
            inTab = dynamic_cast<const TabBarController*>(parent.get()) != nullptr;
        if (inTab)
            continue;
        scene.kind += (scene.kind.empty() ? "" : ", ") + controller->className();
        if (auto* navigation = dynamic_cast<const NavigationController*>(controller.get())) {
            scene.stackSizes[navigation] = navigation->viewControllers().size();
            scene.kind += formatLine(" {} deep", navigation->viewControllers().size());
        }
    }
    std::vector<std::shared_ptr<View>> views;
    collectCatchers(window.sharedAs<View>(), window.bounds(), views);
    scene.catchers = weakened(views);
    // Counted, not named: a picture's view may change its kind (a camera's
    // preview for a keyed one) on the same screen.
    scene.kind += formatLine("; {} views across the screen", views.size());
    views.clear();
    collectAlerts(window.sharedAs<View>(), views);
    scene.alerts = weakened(views);
    scene.kind += formatLine("; {} alerts", views.size());
    scene.firstResponder = window.firstResponder();
    if (window.firstResponder())
        scene.kind += "; typing";
    return scene;
}

bool isSameScreen(const Scene& a, const Scene& b)
{
    return a.kind == b.kind;
}

}  // namespace plat::scripting::detail
