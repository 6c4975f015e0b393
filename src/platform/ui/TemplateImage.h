#pragma once
#include <memory>

#include "platform/graphics/Color.h"

namespace plat {
class Image;
}

namespace plat::detail {

// The picture's shape filled with the colour: how the platform draws a
// template picture in a view's tint. Same size and scale.
std::shared_ptr<Image> tintedImage(const Image& image, const Color& color);

}  // namespace plat::detail
