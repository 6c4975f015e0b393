#include "platform/graphics/SamePixels.h"

#include <cstring>

#include "platform/graphics/Bitmap.h"

namespace plat {

bool haveSamePixels(const Bitmap& a, const Bitmap& b)
{
    if (&a == &b)
        return true;
    if (a.width() != b.width() || a.height() != b.height() || a.order() != b.order())
        return false;
    const size_t rowBytes = static_cast<size_t>(a.width()) * 4;
    for (int row = 0; row < a.height(); ++row)
        if (std::memcmp(a.row(row), b.row(row), rowBytes) != 0)
            return false;
    return true;
}

}  // namespace plat
