#include "platform/ui/scripting/ViewDescription.h"

#include <cmath>

#include "platform/foundation/Log.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"

namespace plat::scripting::detail {

namespace {

constexpr double kVisibleAlpha = 0.01;

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

}  // namespace plat::scripting::detail
