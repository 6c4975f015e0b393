#include "editor/QVImageEditorFrameView.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/ImageContext.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Screen.h"

namespace zt {

QVImageEditorFrameView::QVImageEditorFrameView()
    : QVImageEditorFrameView(plat::Rect {})
{
}

QVImageEditorFrameView::QVImageEditorFrameView(plat::Rect frame)
    : View(frame)
{
    initialize();
}

void QVImageEditorFrameView::initialize()
{
    setOpaque(false);
    layer()->setOpacity(kOverlayOpacity);
    setBackgroundColor(plat::Color::clearColor());
    _imageView = std::make_shared<plat::ImageView>(bounds());
    _imageView->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
    // Views join a tree once shared; the overlay's picture view is added at
    // the first change of the rectangle, when this view is.
}

void QVImageEditorFrameView::setCropRect(plat::Rect cropRect)
{
    if (cropRect == _cropRect)
        return;
    plat::Point origin = frame().origin;
    _cropRect
        = plat::makeRect(cropRect.minX() + origin.x, cropRect.minY() + origin.y, cropRect.width(), cropRect.height());
    drawOverlay();
}

void QVImageEditorFrameView::drawOverlay()
{
    if (!_imageView->superview()) {
        _imageView->setFrame(bounds());
        addSubview(_imageView);
    }
    plat::Rect area = bounds();
    plat::ImageContext canvas(area.size, /*opaque=*/false, plat::Screen::mainScreen().scale());
    plat::GraphicsContext* context = canvas.context();
    if (!context) {
        _imageView->setImage(nullptr);
        return;
    }
    context->setFillColor(plat::Color::blackColor());
    context->fillRect(area);
    context->setStrokeColor(plat::Color::colorWithWhite(1, kBorderAlpha));
    context->setLineWidth(kBorderWidth);
    context->strokeRect(_cropRect);
    // Cleared, not filled with a clear colour, which would leave the black.
    context->clearRect(plat::makeRect(_cropRect.minX() + kBorderWidth, _cropRect.minY() + kBorderWidth,
        _cropRect.width() - 2 * kBorderWidth, _cropRect.height() - 2 * kBorderWidth));
    _imageView->setImage(canvas.finish());
}

}  // namespace zt
