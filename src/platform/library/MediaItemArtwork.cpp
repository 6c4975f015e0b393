#include "platform/library/MediaItemArtwork.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/library/MediaFileTags.h"

namespace plat {

MediaItemArtwork::MediaItemArtwork(std::string path, int streamIndex)
    : _path(std::move(path))
    , _streamIndex(streamIndex)
{
}

std::shared_ptr<Image> MediaItemArtwork::picture() const
{
    std::call_once(_decoded, [this] {
        auto bytes = detail::readAttachedPicture(_path, _streamIndex);
        if (!bytes)
            return;
        _picture = Image::imageWithData(*bytes);
        if (!_picture)
            log("music library: the cover picture of {} cannot be decoded", _path);
    });
    return _picture;
}

Rect MediaItemArtwork::bounds() const
{
    auto image = picture();
    if (!image)
        return Rect();
    return makeRect(0, 0, image->size().width, image->size().height);
}

std::shared_ptr<Image> MediaItemArtwork::imageWithSize(Size size) const
{
    auto image = picture();
    if (!image || size.width <= 0 || size.height <= 0)
        return nullptr;
    Size own = image->size();
    if (own.width <= 0 || own.height <= 0)
        return nullptr;
    int width = std::max(1, static_cast<int>(std::lround(size.width)));
    int height = std::max(1, static_cast<int>(std::lround(size.height)));
    double factor = std::max(width / own.width, height / own.height);
    double drawnWidth = own.width * factor, drawnHeight = own.height * factor;
    auto context = GraphicsContext::bitmapContext(width, height, 1, ContextOpacity::Transparent);
    context->drawImage(*image, makeRect((width - drawnWidth) / 2, (height - drawnHeight) / 2, drawnWidth, drawnHeight));
    return context->takeImage();
}

}  // namespace plat
