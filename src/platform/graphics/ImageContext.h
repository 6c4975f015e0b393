#pragma once
#include <memory>

#include "platform/foundation/Geometry.h"

namespace plat {
class GraphicsContext;
class Image;

// The screen's scale (pixels per point) of the devices we stand in for; an
// image context asked for scale 0 takes it.
inline constexpr double kMainScreenScale = 2.0;

// The platform's stack of current graphics contexts, one per thread: image
// contexts are begun and ended on it, views push the context they draw into.
// Begin an image context of size points at scale pixels per point; the
// pixel size is rounded up. A size that cannot be drawn into (empty, beyond
// the bitmap limits) still takes a place on the stack, without a context.
void graphicsBeginImageContext(Size size);  // opaque NO, scale 1.0, as the platform
void graphicsBeginImageContextWithOptions(Size size, bool opaque, double scale);
// The top of this thread's stack, or nullptr.
GraphicsContext* graphicsGetCurrentContext();
// A copy of the current image context's pixels, or nullptr when the top of
// the stack is not an image context.
std::shared_ptr<Image> graphicsGetImageFromCurrentImageContext();
// Removes the top image context.
void graphicsEndImageContext();
// Makes a context current for drawing code that asks for the current one;
// the caller keeps it alive until the matching pop.
void graphicsPushContext(GraphicsContext& context);
void graphicsPopContext();

// An image context for one block of code: begun on construction, current
// while it lives, ended on destruction. finish() ends it early and hands
// its pixels out without copying them. Same thread only.
class ImageContext {
public:
    ImageContext(Size size, bool opaque, double scale);
    ~ImageContext();
    ImageContext(const ImageContext&) = delete;
    ImageContext& operator=(const ImageContext&) = delete;

    // nullptr when the size could not be drawn into.
    GraphicsContext* context() const;
    std::shared_ptr<Image> finish();

private:
    bool _ended = false;
};

}  // namespace plat
