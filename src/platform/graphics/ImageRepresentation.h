#pragma once
#include <optional>

#include "platform/foundation/Value.h"

namespace plat {
class Image;

// JPEG bytes of the picture, as the platform writes them: the stored pixels
// (alpha dropped, premultiplied colour kept) with an EXIF orientation tag when
// the orientation is not up. compressionQuality runs from 0.0 (smallest) to
// 1.0 (best). None when encoding fails.
std::optional<Data> JPEGRepresentation(const Image& image, double compressionQuality);

// PNG bytes of the stored pixels with straight (unpremultiplied) alpha; the
// orientation is not kept, as on the platform.
std::optional<Data> PNGRepresentation(const Image& image);

}  // namespace plat
