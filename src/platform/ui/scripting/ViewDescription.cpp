#include "platform/ui/scripting/ViewDescription.h"

#include <cmath>

#include "platform/foundation/Log.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

namespace plat::scripting::detail {

namespace {

constexpr double kVisibleAlpha = 0.01;

void collectControllers(
    const std::shared_ptr<ViewController>& controller, std::vector<std::shared_ptr<ViewController>>& out)
{
    if (!controller)
        return;
    if (auto presented = controller->presentedViewController();
        presented && presented->presentingViewController() == controller)
        collectControllers(presented, out);
    const auto& children = controller->childViewControllers();
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        collectControllers(*it, out);
    out.push_back(controller);
}

}  // namespace

bool isShown(const View& view)
{
    return !view.isHidden() && view.alpha() > kVisibleAlpha;
}

std::string describe(const View& view)
{
    std::string text = view.className();
    for (const View* v = &view; v; v = v->superview().get()) {
        if (!v->accessibilityLabel().empty()) {
            text += (v == &view ? " \"" : " in \"") + v->accessibilityLabel() + "\"";
            break;
        }
    }
    for (const View* v = &view; v; v = v->superview().get()) {
        if (auto controller = v->viewController()) {
            text += " of " + controller->className();
            break;
        }
    }
    Rect frame = view.convertRect(view.bounds(), nullptr);
    return text
        + formatLine(" at ({}, {}, {}, {})", std::lround(frame.origin.x), std::lround(frame.origin.y),
            std::lround(frame.size.width), std::lround(frame.size.height));
}

std::vector<std::shared_ptr<ViewController>> controllersOnScreen(const Window& window)
{
    std::vector<std::shared_ptr<ViewController>> controllers;
    collectControllers(window.rootViewController(), controllers);
    return controllers;
}

}  // namespace plat::scripting::detail
