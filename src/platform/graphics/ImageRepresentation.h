#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/foundation/Value.h"

namespace plat {
class Image;

// JPEG bytes of the picture, as the platform writes them: the stored pixels
// (alpha dropped, premultiplied colour kept) with an EXIF orientation tag when
// the orientation is not up. compressionQuality runs from 0.0 (smallest) to
// 1.0 (best). None when encoding fails.
std::optional<Data> JPEGRepresentation(const Image& image, double compressionQuality);

// The same bytes handed to sink in pieces as the encoder makes them, so that
// writing them out overlaps the encoding. False when encoding fails or sink
// returns false (which stops it).
bool writeJPEGRepresentation(
    const Image& image, double compressionQuality, const std::function<bool(const uint8_t*, size_t)>& sink);

// PNG bytes of the stored pixels with straight (unpremultiplied) alpha; the
// orientation is not kept, as on the platform.
std::optional<Data> PNGRepresentation(const Image& image);

}  // namespace plat
