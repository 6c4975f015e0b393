#include "platform/ui/EAGLLayer.h"

#include <cmath>

#include "platform/foundation/DispatchQueue.h"
#include "platform/graphics/Image.h"

namespace plat {

EAGLLayer::EAGLLayer()
{
    // The contents are the presented pixels, never drawn by a delegate.
    setNeedsDisplayOnBoundsChange(false);
}

GLDrawableProperties EAGLLayer::drawableProperties() const
{
    std::lock_guard guard(_lock);
    return _properties;
}

void EAGLLayer::setDrawableProperties(GLDrawableProperties properties)
{
    std::lock_guard guard(_lock);
    _properties = properties;
}

GLDrawable::PixelSize EAGLLayer::currentPixelSize() const
{
    const Rect b = bounds();
    const double scale = contentsScale() > 0 ? contentsScale() : 1;
    auto pixels = [scale](double points) {
        const double value = std::floor(points * scale + 0.5);
        return std::isfinite(value) && value > 0 && value < kMaxBitmapEdge ? static_cast<int>(value) : 0;
    };
    return {pixels(b.size.width), pixels(b.size.height)};
}

GLDrawable::PixelSize EAGLLayer::drawablePixelSize() const
{
    std::lock_guard guard(_lock);
    if (isMainThread())
        _pixelSize = currentPixelSize();
    return _pixelSize;
}

void EAGLLayer::layoutSublayers()
{
    {
        std::lock_guard guard(_lock);
        _pixelSize = currentPixelSize();
    }
    Layer::layoutSublayers();
}

void EAGLLayer::presentDrawableBitmap(std::shared_ptr<const Bitmap> bitmap)
{
    if (!bitmap)
        return;
    if (isMainThread()) {
        showPresentedBitmap(bitmap);
        return;
    }
    DispatchQueue::mainQueue().async(
        [weakSelf = std::weak_ptr<EAGLLayer>(sharedAs<EAGLLayer>()), bitmap = std::move(bitmap)] {
            if (auto self = weakSelf.lock())
                self->showPresentedBitmap(bitmap);
        });
}

void EAGLLayer::showPresentedBitmap(const std::shared_ptr<const Bitmap>& bitmap)
{
    const double scale = contentsScale() > 0 ? contentsScale() : 1;
    setContents(Image::imageWithBitmap(bitmap, scale));
}

}  // namespace plat
