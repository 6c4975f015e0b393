#include "capture/APImagePickerBundle.h"

#include <algorithm>
#include <optional>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/EdgeInsets.h"
#include "platform/graphics/Image.h"

namespace zt {

namespace {

constexpr const char* kTableName = "APImagePicker";

// The bundle's folder, looked up once; the main bundle's when it is missing,
// so that texts still fall back to their keys.
const plat::Bundle& pickerBundle()
{
    static const plat::Bundle bundle([] {
        auto path = plat::Bundle::mainBundle().pathForResource("APImagePicker", "bundle");
        if (!path) {
            plat::log("photo picker: the resource bundle APImagePicker.bundle is missing");
            return plat::Bundle::mainBundle().resourcePath();
        }
        return *path;
    }());
    return bundle;
}

}  // namespace

std::string APImagePickerBundle::localizedString(const std::string& key)
{
    return pickerBundle().localizedStringForKey(key, {}, kTableName);
}

std::string APImagePickerBundle::localizedCount(const std::string& key, int64_t count)
{
    std::string format = localizedString(key);
    auto at = format.find("%d");
    if (at == std::string::npos)
        return format;
    return format.substr(0, at) + std::to_string(count) + format.substr(at + 2);
}

std::shared_ptr<plat::Image> APImagePickerBundle::overlayImage()
{
    static const std::shared_ptr<plat::Image> overlay = []() -> std::shared_ptr<plat::Image> {
        auto path = pickerBundle().pathForResource("Overlay", "png");
        auto image = path ? plat::Image::imageWithContentsOfFile(*path) : nullptr;
        if (!image) {
            plat::log("photo picker: the selection mark Overlay.png is missing");
            return nullptr;
        }
        // Left and top caps of 1: the column and row after them stretch, the rest keeps its size.
        plat::Size size = image->size();
        return image->resizableImageWithCapInsets(
            {1, 1, std::max(0.0, size.height - 2), std::max(0.0, size.width - 2)});
    }();
    return overlay;
}

}  // namespace zt
