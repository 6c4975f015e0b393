#include "platform/library/Asset.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Files.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/ImageSource.h"

namespace plat {

namespace {

constexpr const char* kAssetScheme = "assets-library";
constexpr const char* kAssetHost = "asset";
// Picture files are outside input: nothing larger is read into memory.
constexpr int64_t kMaxPictureFileBytes = int64_t(256) << 20;

std::optional<Data> readPicture(const PhotoAsset& asset)
{
    if (asset.type != AssetType::Photo)
        return std::nullopt;
    auto bytes = readFile(asset.path, kMaxPictureFileBytes);
    if (!bytes.ok())
        return std::nullopt;
    return std::move(bytes).value();
}

}  // namespace

URL assetURLFor(const PhotoAsset& asset)
{
    // Appended one part at a time: gcc 12 takes the chain of temporaries
    // that "+" builds for an overflow of the first one (-Warray-bounds).
    std::string text(kAssetScheme);
    text.append("://").append(kAssetHost).append("/");
    text.append(percentEncode(asset.albumFolder)).append("/").append(percentEncode(asset.fileName));
    // Every part is percent-encoded, so the text always parses.
    return *URL::URLWithString(text);
}

std::optional<AssetLocation> assetLocationOfURL(const URL& url)
{
    if (url.scheme() != kAssetScheme || url.host() != kAssetHost || url.query() || url.fragment())
        return std::nullopt;
    auto parts = componentsSeparatedByString(url.encodedPath(), "/");
    // "", album, file
    if (parts.size() != 3 || !parts[0].empty())
        return std::nullopt;
    auto album = percentDecode(parts[1]);
    auto file = percentDecode(parts[2]);
    if (!album || !file || album->empty() || file->empty())
        return std::nullopt;
    return AssetLocation {*album, *file};
}

// Representation

AssetRepresentation::AssetRepresentation(PhotoAsset asset)
    : _asset(std::move(asset))
{
}

int64_t AssetRepresentation::size() const
{
    auto attributes = attributesOfItem(_asset.path);
    return attributes.ok() ? attributes.value().size : 0;
}

Size AssetRepresentation::dimensions() const
{
    if (_asset.type != AssetType::Photo)
        return {};
    auto properties = imagePropertiesOfFile(_asset.path);
    if (!properties)
        return {};
    return {static_cast<double>(properties->pixelWidth), static_cast<double>(properties->pixelHeight)};
}

ImageOrientation AssetRepresentation::orientation() const
{
    if (_asset.type != AssetType::Photo)
        return ImageOrientation::Up;
    auto properties = imagePropertiesOfFile(_asset.path);
    return properties ? properties->orientation : ImageOrientation::Up;
}

std::shared_ptr<const Bitmap> AssetRepresentation::fullResolutionImage() const
{
    auto bytes = readPicture(_asset);
    if (!bytes)
        return nullptr;
    auto image = Image::imageWithData(*bytes);
    return image ? image->bitmap() : nullptr;
}

std::shared_ptr<const Bitmap> AssetRepresentation::reducedImage(int minimumLongerSide) const
{
    auto bytes = readPicture(_asset);
    if (!bytes)
        return nullptr;
    auto image = imageWithDataReducedTo(*bytes, minimumLongerSide);
    return image ? image->bitmap() : nullptr;
}

// Asset

Asset::Asset(PhotoAsset asset)
    : _asset(std::move(asset))
{
}

ImageOrientation Asset::orientation() const
{
    return defaultRepresentation().orientation();
}

std::shared_ptr<Image> Asset::thumbnail() const
{
    auto bytes = readPicture(_asset);
    if (!bytes)
        return nullptr;
    auto properties = imagePropertiesOfData(*bytes);
    if (!properties || properties->pixelWidth < 1 || properties->pixelHeight < 1)
        return nullptr;
    // Decoded just large enough that its shorter side still fills the square.
    double shorter = static_cast<double>(std::min(properties->pixelWidth, properties->pixelHeight));
    double longer = static_cast<double>(std::max(properties->pixelWidth, properties->pixelHeight));
    int decodeLonger = static_cast<int>(std::min(longer, std::ceil(longer * kThumbnailPixels / shorter)));
    auto reduced = thumbnailImageWithData(*bytes, std::max(1, decodeLonger));
    if (!reduced)
        return nullptr;
    auto context = GraphicsContext::bitmapContext(kThumbnailPixels, kThumbnailPixels, 1, ContextOpacity::Opaque);
    if (!context)
        return nullptr;
    Size upright = reduced->size();
    double factor = std::max(kThumbnailPixels / upright.width, kThumbnailPixels / upright.height);
    Size drawn {upright.width * factor, upright.height * factor};
    context->drawImage(*reduced,
        makeRect(
            (kThumbnailPixels - drawn.width) / 2, (kThumbnailPixels - drawn.height) / 2, drawn.width, drawn.height));
    return context->takeImage();
}

}  // namespace plat
