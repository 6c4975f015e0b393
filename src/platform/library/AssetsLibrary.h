#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Image.h"
#include "platform/library/PhotoLibrary.h"

namespace plat {
class Asset;
class AssetsGroup;
class Bitmap;

// The photo library as the platform's assets library offers it: groups
// enumerated by type, assets found by link, albums made by name, pictures
// written into the saved photos. The file work runs on a background queue,
// one request at a time for all libraries; result and failure blocks arrive
// later on the main queue, in the order they were asked for, as the
// platform delivers them. A library released before its answer arrives answers
// nothing: keep it until the last block has run. While access is refused
// every operation fails with the platform's access error (-3311 denied by
// the person, -3312 restricted on the device). Made with make_shared. Any thread.
class AssetsLibrary : public std::enable_shared_from_this<AssetsLibrary> {
public:
    using FailureBlock = std::function<void(const Error& error)>;
    // Once per group, then once with nullptr at the end; stop ends early.
    using GroupsEnumerationBlock = std::function<void(const std::shared_ptr<AssetsGroup>& group, bool& stop)>;
    // nullptr when nothing answers to the link.
    using AssetResultBlock = std::function<void(const std::shared_ptr<Asset>& asset)>;
    // nullptr when an album of that name exists already.
    using GroupResultBlock = std::function<void(const std::shared_ptr<AssetsGroup>& group)>;
    using WriteCompletionBlock
        = std::function<void(const std::optional<URL>& assetURL, const std::optional<Error>& error)>;

    // The library of the current sandbox.
    AssetsLibrary();
    explicit AssetsLibrary(PhotoLibrary library);

    static AuthorizationStatus authorizationStatus();
    const PhotoLibrary& photoLibrary() const { return _library; }

    // Groups whose type is among types: the saved photos first, then the
    // albums by folder.
    void enumerateGroupsWithTypes(uint32_t types, GroupsEnumerationBlock resultBlock, FailureBlock failureBlock);
    void assetForURL(const URL& assetURL, AssetResultBlock resultBlock, FailureBlock failureBlock);
    void addAssetsGroupAlbumWithName(const std::string& name, GroupResultBlock resultBlock, FailureBlock failureBlock);
    // The stored pixels with their orientation, as a JPEG in the saved photos.
    void writeImageToSavedPhotosAlbum(
        std::shared_ptr<const Bitmap> image, ImageOrientation orientation, WriteCompletionBlock completionBlock);
    // A copy of the movie file in the saved photos.
    void writeVideoAtPathToSavedPhotosAlbum(const URL& videoPathURL, WriteCompletionBlock completionBlock);

private:
    // Runs work on the background queue and hands its answer to the main
    // queue while the library lives.
    void run(std::function<std::function<void()>(const PhotoLibrary&)> work);

    PhotoLibrary _library;
};

}  // namespace plat
