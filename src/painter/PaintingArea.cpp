#include "painter/PaintingArea.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/Device.h"

namespace zt {

plat::Size PaintingArea::sizeOnScreen(plat::Size screen)
{
    // Single precision, as the layout has always placed it (319.5 high on a phone).
    const float width = static_cast<float>(std::max(screen.width, screen.height));
    return {width, width * kPictureAspect};
}

std::vector<plat::Size> PaintingArea::canvasSizesOfDevices()
{
    std::vector<plat::Size> sizes;
    for (auto idiom : {plat::UserInterfaceIdiom::Phone, plat::UserInterfaceIdiom::Pad}) {
        const plat::Size area = sizeOnScreen(plat::Device(idiom).screenSize());
        sizes.push_back({std::trunc(area.width), std::trunc(area.height)});
    }
    return sizes;
}

}  // namespace zt
