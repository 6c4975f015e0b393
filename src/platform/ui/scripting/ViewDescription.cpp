#include "platform/ui/scripting/ViewDescription.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/foundation/Log.h"
#include "platform/graphics/Color.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

namespace plat::scripting::detail {

namespace {

constexpr double kVisibleAlpha = 0.01;
// A colour this faint draws nothing a person sees.
constexpr double kDrawnAlpha = 0.01;

bool hasColour(const std::optional<Color>& colour)
{
    return colour && colour->alpha() > kDrawnAlpha;
}

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

Rect windowFrameOf(const View& view)
{
    return view.convertRect(view.bounds(), nullptr);
}

Rect intersection(Rect a, Rect b)
{
    const double left = std::max(a.minX(), b.minX());
    const double top = std::max(a.minY(), b.minY());
    const double right = std::min(a.maxX(), b.maxX());
    const double bottom = std::min(a.maxY(), b.maxY());
    if (right <= left || bottom <= top)
        return {};
    return makeRect(left, top, right - left, bottom - top);
}

bool drawsItself(const View& view)
{
    const Layer& layer = *view.layer();
    if (hasColour(view.backgroundColor()) || hasColour(layer.backgroundColor()) || layer.borderWidth() > 0
        || layer.contents())
        return true;
    if (auto* label = dynamic_cast<const Label*>(&view))
        return !label->text().empty();
    if (auto* picture = dynamic_cast<const ImageView*>(&view))
        return picture->image() != nullptr;
    // Layers of its own (gauges, shapes) draw too.
    return view.drawsLayerContent(layer) || layer.sublayers().size() > view.subviews().size();
}

bool drawsWithin(const View& view, Rect area)
{
    if (!isShown(view))
        return false;
    const Rect frame = windowFrameOf(view);
    if (drawsItself(view) && !intersection(frame, area).isEmpty())
        return true;
    if (view.clipsToBounds())
        area = intersection(area, frame);
    if (area.isEmpty())
        return false;
    for (const auto& subview : view.subviews())
        if (drawsWithin(*subview, area))
            return true;
    return false;
}

std::vector<std::shared_ptr<ViewController>> controllersOnScreen(const Window& window)
{
    std::vector<std::shared_ptr<ViewController>> controllers;
    collectControllers(window.rootViewController(), controllers);
    return controllers;
}

}  // namespace plat::scripting::detail
