#pragma once
#include <string_view>

#include "platform/foundation/Geometry.h"

namespace plat {
class GraphicsContext;
class Layer;

// What a layer asks of the object that manages it: its drawing, its layout,
// and a word before an animatable property changes (where a view records
// the change for a running view animation). Views are the delegates of
// their layers; a standalone layer may have one too.
class LayerDelegate {
public:
    virtual ~LayerDelegate() = default;
    // Fills the layer's backing picture; the context's user space is the layer's bounds.
    virtual void drawLayer(Layer&, GraphicsContext&) { }
    // True when drawLayer draws anything, so that a backing picture is worth making.
    virtual bool drawsLayerContent(const Layer&) const { return false; }
    virtual void layoutSublayersOfLayer(Layer&) { }
    virtual void layerPropertyWillChange(Layer&, std::string_view /*keyPath*/) { }
    virtual void layerBoundsDidChange(Layer&, Rect /*oldBounds*/) { }
};

}  // namespace plat
