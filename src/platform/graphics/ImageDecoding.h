#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"

// The codecs behind Image and the representations. Not for use outside the
// graphics stand-in.
namespace plat::detail {

bool looksLikeJPEG(const uint8_t* bytes, size_t length);
bool looksLikePNG(const uint8_t* bytes, size_t length);

// Both give nullptr for anything that is not a whole picture within the limits.
std::shared_ptr<Image> decodeJPEG(const uint8_t* bytes, size_t length, double scale);
std::shared_ptr<Image> decodePNG(const uint8_t* bytes, size_t length, double scale);

// The orientation tag of an APP1 segment's payload ("Exif\0\0" and a TIFF
// block); none when absent, out of range or malformed.
std::optional<ImageOrientation> exifOrientation(const uint8_t* payload, size_t length);
// The payload of an APP1 segment that holds only the orientation tag.
Data exifOrientationPayload(ImageOrientation orientation);

}  // namespace plat::detail
