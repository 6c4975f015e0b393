#include "platform/graphics/Image.h"

#include <map>
#include <mutex>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/ImageDecoding.h"

namespace plat {

namespace {

// Picture files are outside input: nothing larger is read into memory.
constexpr int64_t kMaxImageFileBytes = int64_t(256) << 20;

}  // namespace

bool isTransposed(ImageOrientation orientation)
{
    switch (orientation) {
    case ImageOrientation::Left:
    case ImageOrientation::Right:
    case ImageOrientation::LeftMirrored:
    case ImageOrientation::RightMirrored:
        return true;
    default:
        return false;
    }
}

AffineTransform uprightTransform(ImageOrientation orientation, Size storedSize)
{
    double w = storedSize.width;
    double h = storedSize.height;
    // Each row says where the stored point (x, y) lands: x' = a·x + c·y + tx, y' = b·x + d·y + ty.
    switch (orientation) {
    case ImageOrientation::Up:
        return {1, 0, 0, 1, 0, 0};
    case ImageOrientation::Down:  // (w - x, h - y)
        return {-1, 0, 0, -1, w, h};
    case ImageOrientation::Left:  // (y, w - x): the stored right edge becomes the top
        return {0, -1, 1, 0, 0, w};
    case ImageOrientation::Right:  // (h - y, x): the stored top edge becomes the right
        return {0, 1, -1, 0, h, 0};
    case ImageOrientation::UpMirrored:  // (w - x, y)
        return {-1, 0, 0, 1, w, 0};
    case ImageOrientation::DownMirrored:  // (x, h - y)
        return {1, 0, 0, -1, 0, h};
    case ImageOrientation::LeftMirrored:  // (y, x): a transpose
        return {0, 1, 1, 0, 0, 0};
    case ImageOrientation::RightMirrored:  // (h - y, w - x): the other diagonal
        return {0, -1, -1, 0, h, w};
    }
    return {};
}

Image::Image(
    std::shared_ptr<const Bitmap> bitmap, double scale, ImageOrientation orientation, ImageRenderingMode renderingMode)
    : _bitmap(std::move(bitmap))
    , _scale(scale > 0 ? scale : 1)
    , _orientation(orientation)
    , _renderingMode(renderingMode)
{
}

std::shared_ptr<Image> Image::imageWithBitmap(
    std::shared_ptr<const Bitmap> bitmap, double scale, ImageOrientation orientation)
{
    if (!bitmap)
        return nullptr;
    return std::make_shared<Image>(std::move(bitmap), scale, orientation);
}

Size Image::size() const
{
    double width = _bitmap->width() / _scale;
    double height = _bitmap->height() / _scale;
    return isTransposed(_orientation) ? Size {height, width} : Size {width, height};
}

std::shared_ptr<Image> Image::imageWithRenderingMode(ImageRenderingMode mode) const
{
    auto copy = std::make_shared<Image>(*this);
    copy->_renderingMode = mode;
    return copy;
}

std::shared_ptr<Image> Image::resizableImageWithCapInsets(EdgeInsets capInsets) const
{
    auto copy = std::make_shared<Image>(*this);
    copy->_capInsets = capInsets;
    return copy;
}

std::shared_ptr<Image> Image::imageWithData(const Data& data, double scale)
{
    if (detail::looksLikeJPEG(data.data(), data.size()))
        return detail::decodeJPEG(data.data(), data.size(), scale);
    if (detail::looksLikePNG(data.data(), data.size()))
        return detail::decodePNG(data.data(), data.size(), scale);
    return nullptr;
}

std::shared_ptr<Image> Image::imageWithContentsOfFile(const std::string& path)
{
    auto bytes = readFile(path, kMaxImageFileBytes);
    if (!bytes.ok())
        return nullptr;
    return imageWithData(bytes.value());
}

std::shared_ptr<Image> Image::imageNamed(const std::string& name)
{
    static std::mutex lock;
    static std::map<std::string, std::shared_ptr<Image>> loaded;  // guarded by lock
    std::lock_guard guard(lock);
    if (auto found = loaded.find(name); found != loaded.end())
        return found->second;
    std::string type = pathExtension(name).empty() ? "png" : "";
    auto path = Bundle::mainBundle().pathForResource(name, type);
    if (!path)
        return nullptr;
    auto image = imageWithContentsOfFile(*path);
    if (!image) {
        log("image: the resource {} cannot be decoded", name);
        return nullptr;
    }
    image->_resourceName = name;
    loaded.emplace(name, image);
    return image;
}

}  // namespace plat
