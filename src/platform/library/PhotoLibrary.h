#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Date.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Result.h"

namespace plat {
class Image;

enum class AssetType { Photo, Video };

// Kinds of album, as the platform numbers them (a bit set to ask for several).
enum AssetsGroupType : uint32_t {
    AssetsGroupLibrary = 1u << 0,
    AssetsGroupAlbum = 1u << 1,
    AssetsGroupEvent = 1u << 2,
    AssetsGroupFaces = 1u << 3,
    AssetsGroupSavedPhotos = 1u << 4,
    AssetsGroupPhotoStream = 1u << 5,
    AssetsGroupAll = 0xFFFFFFFFu,
};

// What the person allowed the app in the privacy settings, with the
// platform's numbers. Nobody is asked here: not determined counts as allowed.
enum class AuthorizationStatus : int { NotDetermined = 0, Restricted = 1, Denied = 2, Authorized = 3 };

// The photo library's errors, with the platform's domain and codes.
inline constexpr const char* kAssetsLibraryErrorDomain = "ALAssetsLibraryErrorDomain";
inline constexpr int64_t kAssetsLibraryWriteFailedError = -3300;
inline constexpr int64_t kAssetsLibraryWriteDiskSpaceError = -3305;
inline constexpr int64_t kAssetsLibraryDataUnavailableError = -3310;
inline constexpr int64_t kAssetsLibraryAccessUserDeniedError = -3311;
inline constexpr int64_t kAssetsLibraryAccessGloballyDeniedError = -3312;

// One picture or movie of the photo library: a file of an album folder.
struct PhotoAsset {
    std::string path;
    std::string fileName;
    std::string albumFolder;
    Date creationDate;  // the file's modification time
    AssetType type = AssetType::Photo;
    friend bool operator==(const PhotoAsset&, const PhotoAsset&) = default;
};

struct PhotoAlbum {
    // What the album is called: its folder's name, unless a ".name" file in
    // the folder says otherwise (so that two albums can share a name, as
    // they can on the platform).
    std::string name;
    std::string folder;
    std::string path;
    AssetsGroupType type = AssetsGroupAlbum;  // saved photos for "Camera Roll"
    size_t numberOfPhotos = 0;
    size_t numberOfVideos = 0;
};

// The device's photo library: a folder of album folders in the sandbox
// ("PhotoLibrary/<album>/<files>"), the saved-photos album "Camera Roll"
// among them. Pictures are JPEG, PNG or GIF files (a JPEG's EXIF tag gives
// its orientation), movies QuickTime or MPEG-4 files; other files are not
// part of the library. Albums list the saved-photos album first, then the
// others by folder name; assets are oldest first (by file time, then name).
// Adding an asset to another album links the same file there. The
// person's privacy choice lives in the library folder (".authorization"),
// where tests and device scripts set it; while access is refused every
// operation fails with the platform's access error. Any thread; files are
// read when asked.
class PhotoLibrary {
public:
    static constexpr const char* kSavedPhotosAlbumName = "Camera Roll";

    explicit PhotoLibrary(std::string root);
    // The library of the current sandbox.
    static PhotoLibrary forCurrentSandbox();

    const std::string& root() const { return _root; }

    AuthorizationStatus authorizationStatus() const;
    Result<void> setAuthorizationStatus(AuthorizationStatus status);
    // The error every operation gives while access is refused: code -3311
    // when the person denied it, -3312 when the device restricts it.
    std::optional<Error> accessError() const;

    // An empty list when the library folder does not exist yet.
    Result<std::vector<PhotoAlbum>> albums() const;
    Result<std::vector<PhotoAsset>> assetsInAlbum(const std::string& albumFolder) const;
    // The album in that folder, made on first use (its name is the folder's).
    Result<PhotoAlbum> addAlbum(const std::string& albumFolder);
    // A new album called name, in a folder of its own (the name made safe
    // for a folder, numbered when taken); none when an album of that name
    // exists already, as the platform refuses it.
    Result<std::optional<PhotoAlbum>> createAlbumNamed(const std::string& name);
    // The asset of that file in that album; fails for names that would leave
    // the library, files that are not assets, and missing files.
    Result<PhotoAsset> assetInAlbum(const std::string& albumFolder, const std::string& fileName) const;
    // Files the asset in the album as well (a link to the same file, or a
    // copy across file systems) and returns it there; an asset the album
    // holds already is left as it is.
    Result<PhotoAsset> addAssetToAlbum(const PhotoAsset& asset, const std::string& albumFolder);

    // Writes the picture as a JPEG ("IMG_0001.JPG" and up, numbered on from
    // the album's highest picture or movie) into the album, made on first
    // use, and returns the new asset. The picture's orientation goes into the
    // file's EXIF tag.
    Result<PhotoAsset> saveImage(const Image& image, const std::string& albumFolder = kSavedPhotosAlbumName);
    // Copies the movie (QuickTime or MPEG-4) into the album, made on first
    // use, as "IMG_0001.MOV" and up (one counter with the pictures); the
    // file appears whole or not at all.
    Result<PhotoAsset> saveVideo(const std::string& moviePath, const std::string& albumFolder = kSavedPhotosAlbumName);

    // nullptr for a movie or a file that does not decode.
    static std::shared_ptr<Image> fullResolutionImage(const PhotoAsset& asset);
    // The picture scaled down to fit maxEdgePixels (never up), upright, or nullptr.
    static std::shared_ptr<Image> thumbnail(const PhotoAsset& asset, int maxEdgePixels);
    // The album's newest picture that decodes, as a thumbnail; nullptr when none does.
    std::shared_ptr<Image> posterImage(const PhotoAlbum& album, int maxEdgePixels) const;

private:
    std::string albumPath(const std::string& albumFolder) const;
    Result<std::vector<PhotoAsset>> listAssets(const std::string& albumFolder) const;
    std::optional<PhotoAlbum> describeAlbum(const std::string& folder) const;

    std::string _root;
};

}  // namespace plat
