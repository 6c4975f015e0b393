#include "platform/ui/ViewHierarchy.h"

#include <algorithm>

#include "platform/foundation/Fatal.h"
#include "platform/ui/Layer.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

namespace plat::detail {

void ViewHierarchy::attach(View& parent, const std::shared_ptr<View>& view, size_t index)
{
    if (!view || view.get() == &parent)
        return;
    if (parent.isDescendantOfView(*view))
        detail::fatal("View::addSubview: a view cannot become a subview of its own subview");
    if (parent.weak_from_this().expired())
        detail::fatal("View::addSubview: views are shared objects; create them with std::make_shared");
    auto keepAlive = view;
    auto& subviews = parent._subviews;
    auto oldSuper = view->superview();
    if (oldSuper.get() == &parent) {
        // Already ours: only the order changes.
        auto it = std::find(subviews.begin(), subviews.end(), view);
        size_t oldIndex = static_cast<size_t>(it - subviews.begin());
        subviews.erase(it);
        if (oldIndex < index)
            --index;
        index = std::min(index, subviews.size());
        subviews.insert(subviews.begin() + static_cast<std::ptrdiff_t>(index), view);
    } else {
        auto newWindow = parent.window();
        auto oldWindow = view->window();
        bool windowChanges = newWindow != oldWindow;
        view->willMoveToSuperview(&parent);
        if (windowChanges)
            propagateWillMoveToWindow(*view, newWindow.get(), *view);
        if (oldSuper)
            detach(*view);
        if (windowChanges && oldWindow)
            removeAnimationsOfLayerTree(*view->_layer);
        index = std::min(index, subviews.size());
        subviews.insert(subviews.begin() + static_cast<std::ptrdiff_t>(index), view);
        view->_superview = parent.sharedAs<View>();
        // In place before the callbacks: a parent that reorders its
        // subviews in didAddSubview (to keep one in front) must find the
        // layers in the subviews' order.
        placeLayer(parent, *view, index);
        if (windowChanges)
            propagateDidMoveToWindow(*view);
        view->didMoveToSuperview();
        parent.didAddSubview(*view);
        if (!view->_tintColor)
            view->notifyTintColorChanged();
        return;
    }
    placeLayer(parent, *view, index);
}

void ViewHierarchy::placeLayer(View& parent, View& view, size_t index)
{
    // The layer goes just below the layer of the subview that now follows it.
    const auto& subviews = parent._subviews;
    if (index + 1 < subviews.size())
        parent._layer->insertSublayerBelow(view._layer, *subviews[index + 1]->_layer);
    else
        parent._layer->addSublayer(view._layer);
}

void ViewHierarchy::detach(View& view)
{
    auto super = view.superview();
    if (!super)
        return;
    auto self = view.sharedAs<View>();
    super->willRemoveSubview(view);
    auto& siblings = super->_subviews;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), self), siblings.end());
    view._superview.reset();
    view._layer->removeFromSuperlayer();
}

void ViewHierarchy::remove(View& view)
{
    auto super = view.superview();
    if (!super)
        return;
    auto keepAlive = view.sharedAs<View>();
    bool hadWindow = view.window() != nullptr;
    view.willMoveToSuperview(nullptr);
    if (hadWindow)
        propagateWillMoveToWindow(view, nullptr, view);
    // A first responder inside leaves with its view.
    if (auto win = view.window()) {
        if (auto responder = std::dynamic_pointer_cast<View>(win->firstResponder());
            responder && (responder.get() == &view || responder->isDescendantOfView(view)))
            responder->resignFirstResponder();
    }
    detach(view);
    if (hadWindow) {
        removeAnimationsOfLayerTree(*view._layer);
        propagateDidMoveToWindow(view);
    }
    view.didMoveToSuperview();
}

void ViewHierarchy::bringToFront(View& parent, const View& view)
{
    auto& subviews = parent._subviews;
    auto it = std::find_if(subviews.begin(), subviews.end(), [&](const auto& v) { return v.get() == &view; });
    if (it == subviews.end())
        return;
    auto moved = *it;
    subviews.erase(it);
    subviews.push_back(moved);
    parent._layer->addSublayer(moved->_layer);
}

void ViewHierarchy::sendToBack(View& parent, const View& view)
{
    auto& subviews = parent._subviews;
    auto it = std::find_if(subviews.begin(), subviews.end(), [&](const auto& v) { return v.get() == &view; });
    if (it == subviews.end())
        return;
    auto moved = *it;
    subviews.erase(it);
    subviews.insert(subviews.begin(), moved);
    parent._layer->insertSublayer(moved->_layer, 0);
}

void ViewHierarchy::removeAnimationsOfLayerTree(Layer& root)
{
    root.removeAllAnimations();
    auto sublayers = root.sublayers();
    for (const auto& sublayer : sublayers)
        removeAnimationsOfLayerTree(*sublayer);
}

void ViewHierarchy::propagateWillMoveToWindow(View& view, Window* newWindow, const View& movingRoot)
{
    view.willMoveToWindow(newWindow);
    if (auto controller = view.viewController())
        controller->viewWillMoveToWindow(newWindow, movingRoot);
    auto subviews = view._subviews;
    for (auto& subview : subviews)
        propagateWillMoveToWindow(*subview, newWindow, movingRoot);
}

void ViewHierarchy::propagateDidMoveToWindow(View& view)
{
    view.didMoveToWindow();
    if (auto controller = view.viewController())
        controller->viewDidMoveToWindow();
    auto subviews = view._subviews;
    for (auto& subview : subviews)
        propagateDidMoveToWindow(*subview);
}

}  // namespace plat::detail
