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

bool isShown(const Layer& layer)
{
    return !layer.isHidden() && layer.opacity() > kVisibleAlpha;
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

bool liesWithin(Rect inner, Rect outer)
{
    return inner.minX() >= outer.minX() - kEdgeTolerancePoints && inner.minY() >= outer.minY() - kEdgeTolerancePoints
        && inner.maxX() <= outer.maxX() + kEdgeTolerancePoints && inner.maxY() <= outer.maxY() + kEdgeTolerancePoints;
}

bool isLayerBoundary(const View& view, Rect screen)
{
    return isShown(view) && view.isUserInteractionEnabled() && liesWithin(screen, windowFrameOf(view));
}

namespace {

// Calls visit with each view drawn after the given one, in drawing order,
// until visit returns false.
template <typename Visit> void forEachDrawnAfter(const View& view, Visit visit)
{
    const View* child = &view;
    for (auto parent = view.superview(); parent; child = parent.get(), parent = parent->superview()) {
        const auto& siblings = parent->subviews();
        auto it = std::find_if(siblings.begin(), siblings.end(), [child](const auto& s) { return s.get() == child; });
        if (it == siblings.end())
            continue;
        for (++it; it != siblings.end(); ++it)
            if (!visit(*it))
                return;
    }
}

}  // namespace

std::vector<std::shared_ptr<View>> drawnAfterInLayer(const View& view, Rect screen)
{
    std::vector<std::shared_ptr<View>> after;
    forEachDrawnAfter(view, [&](const std::shared_ptr<View>& later) {
        if (isLayerBoundary(*later, screen))
            return false;
        after.push_back(later);
        return true;
    });
    return after;
}

bool isBehindBackdrop(const View& view, Rect screen)
{
    bool behind = false;
    forEachDrawnAfter(view, [&](const std::shared_ptr<View>& later) {
        behind = isLayerBoundary(*later, screen);
        return !behind;
    });
    return behind;
}

Rect visiblePartOf(const View& view)
{
    Rect visible = windowFrameOf(view);
    for (auto holder = view.superview(); holder && !visible.isEmpty(); holder = holder->superview())
        if (holder->clipsToBounds() || !holder->superview())
            visible = intersection(visible, windowFrameOf(*holder));
    return visible;
}

namespace {

void collectViewLayers(const std::shared_ptr<View>& view, std::map<const Layer*, std::shared_ptr<View>>& out)
{
    out[view->layer().get()] = view;
    for (const auto& subview : view->subviews())
        collectViewLayers(subview, out);
}

}  // namespace

std::map<const Layer*, std::shared_ptr<View>> viewsByLayer(Window& window)
{
    std::map<const Layer*, std::shared_ptr<View>> views;
    collectViewLayers(window.sharedAs<View>(), views);
    return views;
}

std::shared_ptr<View> viewHolding(const Layer& layer, const std::map<const Layer*, std::shared_ptr<View>>& views)
{
    for (const Layer* l = &layer; l; l = l->superlayer().get())
        if (auto found = views.find(l); found != views.end())
            return found->second;
    return nullptr;
}

std::vector<std::shared_ptr<ViewController>> controllersOnScreen(const Window& window)
{
    std::vector<std::shared_ptr<ViewController>> controllers;
    collectControllers(window.rootViewController(), controllers);
    return controllers;
}

}  // namespace plat::scripting::detail
