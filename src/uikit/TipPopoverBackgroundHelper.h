#pragma once
#include <functional>
#include <memory>

#include "platform/graphics/EdgeInsets.h"
#include "platform/graphics/Path.h"
#include "platform/ui/ShapeLayer.h"

namespace plat {
class Image;
class View;
}  // namespace plat

namespace zt {
class TipPopoverArrow;

// Draws a help bubble (rounded body, arrow, outer shadow, outline) into a
// stretchable picture whose arrow part is never stretched. A shape layer
// whose look (fill, stroke, line width, corner radius, shadow) callers may
// change before the picture is made. Main thread.
class TipPopoverBackgroundHelper : public plat::ShapeLayer {
public:
    using DrawPathBlock = std::function<void(TipPopoverBackgroundHelper&, plat::GraphicsContext&)>;

    // initWithAnnotationView: the arrow is the bubble's, read when drawing.
    TipPopoverBackgroundHelper(std::weak_ptr<plat::View> annotationView, std::shared_ptr<TipPopoverArrow> arrow);

    std::shared_ptr<plat::View> annotationView() const { return _annotationView.lock(); }
    const DrawPathBlock& drawPathBlock() const { return _drawPathBlock; }
    // Draws over the filled body, below the outline.
    void setDrawPathBlock(DrawPathBlock block) { _drawPathBlock = std::move(block); }
    // The body's rectangle inside the last picture made.
    plat::Rect pathFrame() const { return _pathFrame; }

    // The bubble picture for a bubble of that size whose body is inset by
    // the insets, at the screen's scale; nullptr when nothing can be drawn.
    std::shared_ptr<plat::Image> resizableBackgroundImageForSize(plat::Size size, plat::EdgeInsets insets);
    // The body's outline with the arrow on its edge.
    plat::Path bezierPathForRect(plat::Rect rect) const;

private:
    std::weak_ptr<plat::View> _annotationView;
    std::shared_ptr<TipPopoverArrow> _arrow;
    DrawPathBlock _drawPathBlock;
    plat::Rect _pathFrame;
};

}  // namespace zt
