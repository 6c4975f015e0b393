#pragma once
#include <memory>
#include <string_view>

#include "platform/foundation/Value.h"

namespace plat {
class Image;
}

namespace zt {

// An image made from downloaded or cached bytes (or an image as it is), at
// the display scale its key or URL names: 2.0 when "@2x." stands within
// the five characters that begin eight characters before the end
// ("photo@2x.png", "photo@2x.jpeg"), else 1.0. Bytes that are not a picture
// give none. Decoding runs on the calling thread. Any thread.
std::shared_ptr<plat::Image> scaledImageForKey(std::string_view key, const plat::Data& data);
std::shared_ptr<plat::Image> scaledImageForKey(std::string_view key, const std::shared_ptr<plat::Image>& image);

}  // namespace zt
