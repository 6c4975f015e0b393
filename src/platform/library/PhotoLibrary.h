#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Date.h"
#include "platform/foundation/Result.h"

namespace plat {
class Image;

enum class AssetType { Photo, Video };

// One picture or movie of the photo library: a file of an album folder.
struct PhotoAsset {
    std::string path;
    std::string fileName;
    std::string albumName;
    Date creationDate;  // the file's modification time
    AssetType type = AssetType::Photo;
    friend bool operator==(const PhotoAsset&, const PhotoAsset&) = default;
};

struct PhotoAlbum {
    std::string name;
    std::string path;
    size_t numberOfPhotos = 0;
    size_t numberOfVideos = 0;
};

// The device's photo library: a folder of album folders in the sandbox
// ("PhotoLibrary/<album>/<files>"), the saved-photos album "Camera Roll"
// among them. Pictures are JPEG, PNG or GIF files, movies QuickTime or
// MPEG-4 files; other files are not part of the library. Albums list the
// saved-photos album first, then the others by name; assets are oldest
// first (by file time, then name). Any thread; files are read when asked.
class PhotoLibrary {
public:
    static constexpr const char* kSavedPhotosAlbumName = "Camera Roll";

    explicit PhotoLibrary(std::string root);
    // The library of the current sandbox.
    static PhotoLibrary forCurrentSandbox();

    const std::string& root() const { return _root; }
    // An empty list when the library folder does not exist yet.
    Result<std::vector<PhotoAlbum>> albums() const;
    Result<std::vector<PhotoAsset>> assetsInAlbum(const std::string& albumName) const;
    Result<PhotoAlbum> addAlbum(const std::string& albumName);

    // Writes the picture as a JPEG ("IMG_0001.JPG" and up) into the album,
    // made on first use, and returns the new asset.
    Result<PhotoAsset> saveImage(const Image& image, const std::string& albumName = kSavedPhotosAlbumName);

    // nullptr for a movie or a file that does not decode.
    static std::shared_ptr<Image> fullResolutionImage(const PhotoAsset& asset);
    // The picture scaled down to fit maxEdgePixels (never up), or nullptr.
    static std::shared_ptr<Image> thumbnail(const PhotoAsset& asset, int maxEdgePixels);

private:
    std::string albumPath(const std::string& albumName) const;

    std::string _root;
};

}  // namespace plat
