#pragma once
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/graphics/AffineTransform.h"
#include "platform/ui/LayerProperties.h"

namespace plat {
class Layer;
class Object;
}  // namespace plat

namespace plat::detail {

// A rectangle of whole device pixels.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool isEmpty() const { return width <= 0 || height <= 0; }
    int maxX() const { return x + width; }
    int maxY() const { return y + height; }
    // The smallest rectangle holding both (an empty one adds nothing).
    PixelRect united(const PixelRect& other) const;
    PixelRect intersected(const PixelRect& other) const;
    bool intersects(const PixelRect& other) const { return !intersected(other).isEmpty(); }
    bool contains(const PixelRect& other) const;
    int64_t area() const { return isEmpty() ? 0 : int64_t(width) * height; }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The whole pixels a rectangle in device coordinates touches.
PixelRect pixelsTouching(Rect deviceRect);

// What each shown layer of a tree looked like when the tree was last looked
// at, to tell which pixels of a picture of it must be drawn again: where
// layers appeared, went, moved or changed, before and after. The look sees
// the tree as LayerRenderer draws it (the same layers, order, transforms,
// clips and presentations at one moment), with each layer's drawing bounded
// by its bounds, its contents picture, its own content and its shadow.
// Main thread.
class LayerDamage {
public:
    struct Look {
        // The pixels to draw again, as few rectangles; none when nothing changed.
        std::vector<PixelRect> areas;
        // Some shown layer has animations still running: look again soon.
        bool animating = false;
    };

    // The root drawn at scale pixels per point into pixelWidth x pixelHeight
    // pixels, as it shows at the moment of the media clock. Layers that need
    // display draw first. The first look, and the first after forget() or
    // after the size changed, covers every pixel.
    Look look(Layer& root, double scale, int pixelWidth, int pixelHeight, double moment);
    void forget();

private:
    struct Placement {
        // The layer's bounds coordinates to device pixels (a projected layer: its superlayer's).
        AffineTransform toDevice;
        // The pixels its drawing may touch.
        PixelRect clip;
        // Of its superlayers together: each group's pixels change with it.
        double groupOpacity = 1;
        const Layer* superlayer = nullptr;
        size_t order = 0;  // among the shown sublayers of its superlayer
        // Drawn flat offscreen and projected by a superlayer, whose pixels then change.
        bool inProjection = false;

        friend bool operator==(const Placement&, const Placement&) = default;
    };

    struct Drawn {
        std::weak_ptr<Object> layer;  // tells a layer from a later one at the same address
        LayerProperties shown;
        uint64_t ownContentVersion = 0;
        Placement placement;
        PixelRect box;
        PixelRect shadowUnit;
        size_t shownSublayers = 0;
        uint64_t look = 0;
    };

    struct Subtree {
        bool changed = false;
        PixelRect extent;  // every pixel the subtree's drawing may touch
    };

    Subtree visit(Layer& layer, const LayerProperties& shown, const Placement& placement);
    Subtree visitSublayers(Layer& layer, const LayerProperties& shown, const Placement& placement);
    // Records the layer's look; true when it differs from the last one.
    bool record(Layer& layer, const LayerProperties& shown, const Placement& placement, PixelRect box);
    void damage(PixelRect area);
    // Shadows are blurred from all of their layer's drawing: drawing again
    // any of their pixels needs all of that drawing in the damage.
    void spreadOverShadows();
    std::vector<PixelRect> mergedDamage() const;

    std::unordered_map<const Layer*, Drawn> _drawn;
    uint64_t _lookCount = 0;
    bool _hasLooked = false;
    double _moment = 0;
    int _pixelWidth = 0;
    int _pixelHeight = 0;
    std::vector<PixelRect> _damage;
    std::vector<PixelRect> _shadowUnits;
    bool _animating = false;
};

}  // namespace plat::detail
