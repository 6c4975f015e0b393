#pragma once
#include <memory>
#include <mutex>

#include "platform/gl/GLDrawable.h"
#include "platform/ui/Layer.h"

namespace plat {

// The layer of a view that shows OpenGL ES content, as the platform's GL
// drawable layer: a context gives a renderbuffer storage of the layer's
// pixel size (bounds times contents scale) from it, and each present of
// that renderbuffer becomes the layer's contents picture. One piece for
// both API versions: the painter's canvas draws with ES 1.1 on the main
// thread, the GPU pipeline's display view with ES 2.0 on its context
// queue. Geometry and look are set on the main thread; storage and
// presents may come from any thread (a present from another thread
// reaches the contents through the main queue, in order).
class EAGLLayer : public Layer, public GLDrawable {
public:
    EAGLLayer();
    static std::shared_ptr<EAGLLayer> layer() { return std::make_shared<EAGLLayer>(); }

    GLDrawableProperties drawableProperties() const override;
    void setDrawableProperties(GLDrawableProperties properties);

    // On the main thread the size of now; elsewhere the size at the last
    // layout or main-thread query (the main thread waits for the context
    // queue while it sets up storage, so that is the size of now too).
    PixelSize drawablePixelSize() const override;
    void presentDrawableBitmap(std::shared_ptr<const Bitmap> bitmap) override;

    void layoutSublayers() override;

private:
    PixelSize currentPixelSize() const;
    void showPresentedBitmap(const std::shared_ptr<const Bitmap>& bitmap);

    mutable std::mutex _lock;
    GLDrawableProperties _properties;  // guarded by _lock
    mutable PixelSize _pixelSize;  // guarded by _lock
};

}  // namespace plat
