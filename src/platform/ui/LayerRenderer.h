#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "platform/foundation/Geometry.h"

namespace plat {
struct DrawnText;
enum class TextInk;
enum class ContentsGravity;
class GraphicsContext;
class Image;
class Layer;
}  // namespace plat

namespace plat::detail {

// Where a contents picture of the given size goes in the bounds, by gravity.
Rect contentsRect(Rect bounds, Size picture, ContentsGravity gravity);

// Draws layer trees the way the platform composites them: the presentation
// of each layer (running animations applied) with its transform (affine ones
// through cairo's matrix, perspective ones warped pixel by pixel), opacity
// as a group, rounded backgrounds and borders, clipping to bounds, blurred
// shadows, contents pictures by gravity and stretchable centre, and the
// backing pictures that layers draw on demand. Main thread.
class LayerRenderer {
public:
    // The layer and its sublayers in the layer's own coordinates (its own
    // position and transform are not applied, as on the platform).
    static void renderInContext(Layer& layer, GraphicsContext& context);
    // The same with every animation as it shows at that moment of the media clock.
    static void renderInContext(Layer& layer, GraphicsContext& context, double moment);
    // A picture of the layer's bounds at scale pixels per point, on black
    // when opaque, else on transparent pixels. nullptr for empty bounds.
    static std::shared_ptr<Image> renderToImage(Layer& layer, double scale, bool opaque);
    // The same, drawn only within the areas (the layer's coordinates);
    // elsewhere it stays black or transparent.
    static std::shared_ptr<Image> renderToImageWithin(
        Layer& layer, double scale, bool opaque, const std::vector<Rect>& areas);
    // Redraws a layer's backing picture through its drawInContext into its contents.
    static void drawBackingPicture(Layer& layer);
    // Redraws the backing pictures of the shown layers of the tree that draw
    // one, with their texts in the ink given (see GraphicsContext::setTextInk);
    // each text not drawn as asked goes to the listener, with its area in
    // the drawing layer's bounds coordinates.
    using TextListener = std::function<void(Layer& layer, const DrawnText& text, Rect area)>;
    static void redrawBackingPictures(Layer& root, TextInk ink, const TextListener& listener);

private:
    static void drawBackingPicture(Layer& layer, TextInk ink, const TextListener& listener);
};

}  // namespace plat::detail
