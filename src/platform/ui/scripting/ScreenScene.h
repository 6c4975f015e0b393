#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Geometry.h"

namespace plat {
class NavigationController;
class Responder;
class View;
class ViewController;
class Window;
}  // namespace plat

namespace plat::scripting::detail {

// What a person could tell apart on the screen besides its picture: which
// screens are up, how deep their navigations are, what catches touches
// beside a popover or sheet, which alerts show, whether text is typed.
struct Scene {
    std::vector<std::weak_ptr<ViewController>> controllers;
    std::map<const NavigationController*, size_t> stackSizes;
    std::vector<std::weak_ptr<View>> catchers;
    std::vector<std::weak_ptr<View>> alerts;
    std::weak_ptr<Responder> firstResponder;
    // What kind of screen the app shows: controllers of which classes, how
    // deep in their navigation, how many views over the whole screen, alerts
    // in front, text being typed. Kinds, not the very objects: the way back
    // may make the screen afresh.
    std::string kind;
};

// The scene now. Main thread.
Scene sceneOf(Window& window);
bool isSameScreen(const Scene& a, const Scene& b);

// The controllers on screen, and navigations whose views were placed on it
// without containment (a sheet's navigation over its screen).
std::vector<std::shared_ptr<ViewController>> controllersShown(const Window& window);
// Views over the whole screen that take touches and belong to no screen of
// their own: what catches touches beside a popover, a sheet or an alert.
void collectCatchers(const std::shared_ptr<View>& view, Rect screen, std::vector<std::shared_ptr<View>>& out);
// Alerts and action sheets showing.
void collectAlerts(const std::shared_ptr<View>& view, std::vector<std::shared_ptr<View>>& out);

template <typename T> bool holds(const std::vector<std::weak_ptr<T>>& list, const T* item)
{
    for (const auto& weak : list)
        if (weak.lock().get() == item)
            return true;
    return false;
}

}  // namespace plat::scripting::detail
