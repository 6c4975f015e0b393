#pragma once

namespace plat {
class Bitmap;

// True when both hold the same pixels: size, order and every byte of every
// row (whatever the rows' padding). Any thread.
bool haveSamePixels(const Bitmap& a, const Bitmap& b);

}  // namespace plat
