#pragma once
#include <memory>

namespace plat {
class Bitmap;

enum class GLDrawableColorFormat { RGBA8, RGB565 };

// How a drawable's renderbuffer behaves, as the platform's drawable
// properties: with retained backing the pixels stay in the renderbuffer
// after a present, so each drawing step adds to what is there.
struct GLDrawableProperties {
    bool retainedBacking = false;
    GLDrawableColorFormat colorFormat = GLDrawableColorFormat::RGBA8;
};

// Whatever a GL context can give renderbuffer storage from and present
// into (the view layer that shows GL content). The context asks for the
// pixel size when storage is made, on the thread where the context is
// current, and hands over each presented frame there. Implementations
// take care of their own threads.
class GLDrawable {
public:
    virtual ~GLDrawable() = default;

    struct PixelSize {
        int width = 0;
        int height = 0;
    };
    virtual PixelSize drawablePixelSize() const = 0;
    virtual GLDrawableProperties drawableProperties() const = 0;
    // A presented frame: upright rows (top row first), premultiplied RGBA.
    virtual void presentDrawableBitmap(std::shared_ptr<const Bitmap> bitmap) = 0;
};

}  // namespace plat
