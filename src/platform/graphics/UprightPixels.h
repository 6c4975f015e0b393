#pragma once
#include <memory>

namespace plat {
class Bitmap;
class Image;
enum class ImageOrientation : int;

// The pixels of the picture as it is shown: its stored bitmap when that is
// upright at scale 1 (no copy), else the picture drawn upright into a new
// bitmap of its pixel size. nullptr when it cannot be drawn. Any thread.
std::shared_ptr<const Bitmap> uprightPixels(const Image& image);

// The stored pixels moved to where the orientation shows them: turned and
// mirrored by whole pixels, nothing resampled, into a new bitmap of the
// upright size in the same byte order. nullptr when it cannot be allocated.
// Any thread.
std::shared_ptr<Bitmap> turnedUpright(const Bitmap& stored, ImageOrientation orientation);

}  // namespace plat
