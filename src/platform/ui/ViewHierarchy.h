#pragma once
#include <cstddef>
#include <memory>

namespace plat {
class Layer;
class View;
class Window;
}  // namespace plat

namespace plat::detail {

// Changes to the view tree in the platform's order: a view is told it moves
// to a superview and a window, leaves its old place, joins the new one (its
// layer taking the matching place among the sublayers), then is told it
// moved; controllers of views that enter or leave a window hear of it for
// their appearance; a first responder leaving the window resigns. A view
// that leaves its window loses the animations of its layers, as on the
// platform: their completions hear finished = false. Main thread.
class ViewHierarchy {
public:
    static void attach(View& parent, const std::shared_ptr<View>& view, size_t index);
    static void placeLayer(View& parent, View& view, size_t index);
    static void remove(View& view);
    static void bringToFront(View& parent, const View& view);
    static void sendToBack(View& parent, const View& view);
    // Removes every animation of the layer and its sublayers. A completion
    // block that holds a view is released with its animation, so a view tree
    // torn down mid-animation leaves nothing behind.
    static void removeAnimationsOfLayerTree(Layer& root);

private:
    static void detach(View& view);
    static void propagateWillMoveToWindow(View& view, Window* newWindow, const View& movingRoot);
    static void propagateDidMoveToWindow(View& view);
};

}  // namespace plat::detail
