#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/foundation/URL.h"
#include "platform/library/PhotoLibrary.h"

namespace plat {
class Asset;
class Image;

// Which assets a group shows, as the platform's assets filters.
enum class AssetsFilter { AllAssets, AllPhotos, AllVideos };

// One album of the photo library, as the platform's assets group: its
// properties, poster, count and assets, and filing more assets in it. The
// name, type and count are those the album had when the group was made
// (groups come fresh from each enumeration); enumerating reads the album as
// it is then. Any thread; the filter is set before the group is shared.
class AssetsGroup {
public:
    static constexpr int kPosterPixels = 150;

    AssetsGroup(PhotoLibrary library, PhotoAlbum album);

    // The platform's group properties.
    const std::string& name() const { return _album.name; }
    AssetsGroupType type() const { return _album.type; }
    const std::string& persistentID() const { return _album.folder; }
    URL url() const;
    // Albums this app may change: every album but the saved photos.
    bool isEditable() const { return _album.type != AssetsGroupSavedPhotos; }

    void setAssetsFilter(AssetsFilter filter) { _filter = filter; }
    AssetsFilter assetsFilter() const { return _filter; }
    // Under the filter, as the album was when the group was made.
    int64_t numberOfAssets() const;
    // The newest picture that decodes; nullptr when none does. Read once.
    std::shared_ptr<Image> posterImage() const;

    // Calls block for each asset under the filter, oldest first, with its
    // index, on the calling thread; then once with nullptr and kNotFound, as
    // the platform ends an enumeration. Setting stop ends it early (the
    // final call still comes). An album that cannot be read ends at once.
    using EnumerationBlock = std::function<void(const std::shared_ptr<Asset>& asset, int64_t index, bool& stop)>;
    void enumerateAssetsUsingBlock(const EnumerationBlock& block) const;

    // Files the asset in this album too; false when the group is not
    // editable or the filing fails (the reason goes to the log).
    bool addAsset(const Asset& asset);

private:
    bool passesFilter(AssetType type) const;

    PhotoLibrary _library;
    PhotoAlbum _album;
    AssetsFilter _filter = AssetsFilter::AllAssets;
    mutable std::once_flag _posterRead;
    mutable std::shared_ptr<Image> _poster;  // written once, under _posterRead
};

}  // namespace plat
