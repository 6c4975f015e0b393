#include "platform/ui/Autoresizing.h"

#include "platform/ui/ViewTypes.h"

namespace plat::detail {

namespace {

// One axis: returns the new start and length.
std::pair<double, double> resizeAxis(double start, double length, double oldExtent, double newExtent,
    bool flexibleBefore, bool flexibleSize, bool flexibleAfter)
{
    double delta = newExtent - oldExtent;
    double before = start;
    double after = oldExtent - start - length;
    int flexibleCount = (flexibleBefore ? 1 : 0) + (flexibleSize ? 1 : 0) + (flexibleAfter ? 1 : 0);
    if (flexibleCount == 0 || delta == 0)
        return {start, length};
    double total = (flexibleBefore ? before : 0) + (flexibleSize ? length : 0) + (flexibleAfter ? after : 0);
    auto share = [&](bool flexible, double part) {
        if (!flexible)
            return 0.0;
        return total != 0 ? delta * part / total : delta / flexibleCount;
    };
    double newBefore = before + share(flexibleBefore, before);
    double newLength = length + share(flexibleSize, length);
    return {newBefore, newLength};
}

}  // namespace

Rect autoresizedFrame(Rect frame, unsigned mask, Size oldSize, Size newSize)
{
    auto [x, width] = resizeAxis(frame.minX(), frame.width(), oldSize.width, newSize.width,
        mask & ViewAutoresizingFlexibleLeftMargin, mask & ViewAutoresizingFlexibleWidth,
        mask & ViewAutoresizingFlexibleRightMargin);
    auto [y, height] = resizeAxis(frame.minY(), frame.height(), oldSize.height, newSize.height,
        mask & ViewAutoresizingFlexibleTopMargin, mask & ViewAutoresizingFlexibleHeight,
        mask & ViewAutoresizingFlexibleBottomMargin);
    return {{x, y}, {width, height}};
}

}  // namespace plat::detail
