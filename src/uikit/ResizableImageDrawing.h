#pragma once
#include <memory>

#include "platform/foundation/Geometry.h"
#include "platform/graphics/GraphicsContext.h"

namespace plat {
class Image;
}

namespace zt::detail {

// The platform's stretchable picture: the left and top caps keep their size,
// the single column and row after them stretch, the rest keeps its size.
std::shared_ptr<plat::Image> stretchableImage(const plat::Image& image, int64_t leftCapWidth, int64_t topCapHeight);

// Draws a picture into rect as a drawing call of the platform does: a
// picture with cap insets keeps its edges and stretches its middle (caps
// larger than the rectangle shrink in proportion), any other is stretched
// whole. Main thread (the context's thread).
void drawResizableImage(
    plat::GraphicsContext& context, const plat::Image& image, plat::Rect rect, plat::BlendMode mode, double alpha);

}  // namespace zt::detail
