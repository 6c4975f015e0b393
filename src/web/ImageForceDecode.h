#pragma once
#include <memory>

namespace plat {
class Image;
}

namespace zt {

// A copy of the image drawn upright into a fresh bitmap at the main screen's
// scale, opaque when the image's pixels are, so that showing it costs no
// decoding or orientation work. None when the image is absent or the
// context cannot be made (a size beyond the bitmap limits). Any thread.
std::shared_ptr<plat::Image> decodedImageWithImage(const std::shared_ptr<plat::Image>& image);

}  // namespace zt
