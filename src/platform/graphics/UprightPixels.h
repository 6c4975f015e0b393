#pragma once
#include <memory>

namespace plat {
class Bitmap;
class Image;

// The pixels of the picture as it is shown: its stored bitmap when that is
// upright at scale 1 (no copy), else the picture drawn upright into a new
// bitmap of its pixel size. nullptr when it cannot be drawn. Any thread.
std::shared_ptr<const Bitmap> uprightPixels(const Image& image);

}  // namespace plat
