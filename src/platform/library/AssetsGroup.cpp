#include "platform/library/AssetsGroup.h"

#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/library/Asset.h"

namespace plat {

AssetsGroup::AssetsGroup(PhotoLibrary library, PhotoAlbum album)
    : _library(std::move(library))
    , _album(std::move(album))
{
}

URL AssetsGroup::url() const
{
    // The folder is percent-encoded, so the text always parses.
    return *URL::URLWithString("assets-library://group/?id=" + percentEncode(_album.folder));
}

bool AssetsGroup::passesFilter(AssetType type) const
{
    switch (_filter) {
    case AssetsFilter::AllPhotos:
        return type == AssetType::Photo;
    case AssetsFilter::AllVideos:
        return type == AssetType::Video;
    case AssetsFilter::AllAssets:
        break;
    }
    return true;
}

int64_t AssetsGroup::numberOfAssets() const
{
    size_t count = 0;
    if (passesFilter(AssetType::Photo))
        count += _album.numberOfPhotos;
    if (passesFilter(AssetType::Video))
        count += _album.numberOfVideos;
    return static_cast<int64_t>(count);
}

std::shared_ptr<Image> AssetsGroup::posterImage() const
{
    std::call_once(_posterRead, [this] { _poster = _library.posterImage(_album, kPosterPixels); });
    return _poster;
}

void AssetsGroup::enumerateAssetsUsingBlock(const EnumerationBlock& block) const
{
    bool stop = false;
    auto assets = _library.assetsInAlbum(_album.folder);
    if (!assets.ok()) {
        log("photo library: cannot enumerate {}: {}", _album.folder, assets.error().localizedDescription());
    } else {
        int64_t index = 0;
        for (const auto& asset : assets.value()) {
            if (!passesFilter(asset.type))
                continue;
            block(std::make_shared<Asset>(asset), index++, stop);
            if (stop)
                break;
        }
    }
    block(nullptr, kNotFound, stop);
}

bool AssetsGroup::addAsset(const Asset& asset)
{
    if (!isEditable())
        return false;
    auto filed = _library.addAssetToAlbum(asset.photoAsset(), _album.folder);
    if (!filed.ok()) {
        log("photo library: {}", filed.error().localizedDescription());
        return false;
    }
    return true;
}

}  // namespace plat
