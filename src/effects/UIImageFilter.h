#pragma once
#include <memory>

namespace plat {
class Image;
}

namespace zt {
class RGBFilter;

// Runs one colour effect over a whole picture: the pixels are copied once,
// as packed red, green, blue, alpha (premultiplied) whatever layout the
// picture has, filtered in place, and made into a new picture. Any thread
// (the filter is immutable).
class UIImageFilter {
public:
    // initWithFilter:; without a filter the picture is only redrawn.
    explicit UIImageFilter(std::shared_ptr<const RGBFilter> filter);

    // A new picture of the same size, scale and orientation; nullptr for none.
    std::shared_ptr<plat::Image> processImage(const std::shared_ptr<const plat::Image>& image) const;

    // A copy, upright and at scale 1, in which every pixel whose red is 0-124,
    // green 0-68 and blue 0 (of 255, before premultiplying) is transparent.
    std::shared_ptr<plat::Image> changeWhiteColorTransparent(const std::shared_ptr<const plat::Image>& image) const;

    const std::shared_ptr<const RGBFilter>& filter() const { return _filter; }

private:
    std::shared_ptr<const RGBFilter> _filter;
};

}  // namespace zt
