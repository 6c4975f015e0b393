#include "web/WIImageScale.h"

#include <string>

#include "platform/foundation/Text.h"
#include "platform/graphics/Image.h"

namespace zt {

namespace {

// Characters count as the platform's strings count them (UTF-16 units).
double scaleForKey(std::string_view key)
{
    constexpr size_t kMarkerWindowStart = 8;
    constexpr size_t kMarkerWindowLength = 5;
    std::u16string text = plat::utf16FromUtf8(key);
    if (text.size() < kMarkerWindowStart)
        return 1.0;
    std::u16string_view window(text.data() + text.size() - kMarkerWindowStart, kMarkerWindowLength);
    return window.find(u"@2x.") != std::u16string_view::npos ? 2.0 : 1.0;
}

}  // namespace

std::shared_ptr<plat::Image> scaledImageForKey(std::string_view key, const plat::Data& data)
{
    return scaledImageForKey(key, plat::Image::imageWithData(data));
}

std::shared_ptr<plat::Image> scaledImageForKey(std::string_view key, const std::shared_ptr<plat::Image>& image)
{
    if (!image)
        return nullptr;
    // Our main screen always answers its scale, so the image is always rescaled.
    return std::make_shared<plat::Image>(image->bitmap(), scaleForKey(key), image->imageOrientation());
}

}  // namespace zt
