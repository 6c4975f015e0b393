// Feed and entry parsing of reply bytes, then every operation that walks the
// parsed tree: writing, copying, comparing and describing.
#include <cstddef>
#include <cstdint>

#include "videoservice/VSServerError.h"
#include "videoservice/VSXMLDocument.h"
#include "videoservice/YouTubeEntries.h"
#include "videoservice/YouTubeFeeds.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    plat::Data data(bytes, bytes + size);
    (void)zt::VSServerErrorGroup::initWithData(data);
    auto document = zt::VSXMLDocument::initWithData(data);
    if (!document.ok())
        return 0;
    auto root = document.value()->rootElement();
    if (root == nullptr)
        return 0;
    const zt::VSClass* cls = zt::VSObject::objectClassForXMLElement(*root, nullptr);
    if (cls == nullptr)
        cls = &zt::VSEntryYouTubeVideo::staticClass();
    auto object = zt::VSObject::objectWithXMLElement(*cls, root, nullptr);
    if (object == nullptr)
        return 0;
    object->clearExtensionDeclarationsCache();
    auto written = object->XMLDocument();
    if (written)
        (void)written->XMLData();
    auto copy = object->copy();
    (void)copy->isEqual(*object);
    (void)object->description();
    if (auto feed = std::dynamic_pointer_cast<zt::VSFeedBase>(object)) {
        for (const auto& entry : *feed) {
            (void)entry->description();
            (void)entry->alternateLink();
            if (auto video = std::dynamic_pointer_cast<zt::VSEntryYouTubeVideo>(entry)) {
                if (auto group = video->mediaGroup()) {
                    (void)group->highQualityThumbnail();
                    (void)group->duration();
                }
                (void)video->geoLocation();
            }
        }
    }
    return 0;
}
