#include "painter/PaintingCanvasView.h"

#include <cmath>

#include "platform/ui/EAGLLayer.h"

namespace zt {

namespace {
std::shared_ptr<plat::EAGLLayer> makeCanvasLayer()
{
    auto layer = plat::EAGLLayer::layer();
    // Each drawing step adds to what is there; only replay and erase reset it.
    layer->setDrawableProperties({.retainedBacking = true, .colorFormat = plat::GLDrawableColorFormat::RGBA8});
    layer->setOpaque(false);
    layer->setBackgroundColor(plat::Color::colorWithRed(0, 0, 0, 0));
    return layer;
}
}  // namespace

PaintingCanvasView::PaintingCanvasView(plat::Rect frame)
    : plat::View(frame, makeCanvasLayer())
{
    _eaglLayer = std::static_pointer_cast<plat::EAGLLayer>(layer());
    setOpaque(false);
    setBackgroundColor(plat::Color::clearColor());
    // One view point is one canvas pixel.
    setContentScaleFactor(1.0);
}

PaintingCanvasView::~PaintingCanvasView() = default;

plat::Size PaintingCanvasView::pictureSize() const
{
    const plat::Size size = frame().size;
    return {std::trunc(size.width), std::trunc(size.height)};
}

}  // namespace zt
