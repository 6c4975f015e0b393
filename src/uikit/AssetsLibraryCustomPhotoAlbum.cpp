#include "uikit/AssetsLibraryCustomPhotoAlbum.h"

#include <vector>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Image.h"
#include "platform/library/Asset.h"
#include "platform/library/AssetsGroup.h"
#include "platform/library/AssetsLibrary.h"

namespace zt {

namespace {

enum class CreateAlbum { No, Yes };

// One filing of an asset in the albums of a name. It holds the library
// until it finishes and finishes once: with the first failure, or with
// nothing after the asset is in every album of the name.
class AlbumFiling : public std::enable_shared_from_this<AlbumFiling> {
public:
    AlbumFiling(std::shared_ptr<plat::AssetsLibrary> library, plat::URL assetURL, std::string albumName,
        SaveImageCompletionBlock completion)
        : _library(std::move(library))
        , _assetURL(std::move(assetURL))
        , _albumName(std::move(albumName))
        , _completion(std::move(completion))
    {
    }

    void findAlbums(CreateAlbum create)
    {
        _albums.clear();
        auto self = shared_from_this();
        _library->enumerateGroupsWithTypes(
            plat::AssetsGroupAlbum,
            [self, create](const std::shared_ptr<plat::AssetsGroup>& group, bool&) {
                if (!group) {
                    self->albumsFound(create);
                    return;
                }
                // Every album of the name gets the asset; the completion waits for the end.
                if (group->name() == self->_albumName)
                    self->_albums.push_back(group);
            },
            [self](const plat::Error& error) { self->finish(error); });
    }

private:
    void finish(std::optional<plat::Error> error)
    {
        if (_finished)
            return;
        _finished = true;
        auto completion = std::move(_completion);
        auto library = std::move(_library);  // kept alive until the completion has run
        completion(error);
    }

    void albumsFound(CreateAlbum create)
    {
        if (!_albums.empty()) {
            fileAsset();
            return;
        }
        if (create == CreateAlbum::No) {
            finish(plat::Error(plat::kAssetsLibraryErrorDomain, plat::kAssetsLibraryWriteFailedError,
                "The album \"" + _albumName + "\" could not be made."));
            return;
        }
        auto self = shared_from_this();
        _library->addAssetsGroupAlbumWithName(
            _albumName,
            [self](const std::shared_ptr<plat::AssetsGroup>& group) {
                if (!group) {
                    // An album of the name appeared meanwhile: file the asset there.
                    self->findAlbums(CreateAlbum::No);
                    return;
                }
                self->_albums = {group};
                self->fileAsset();
            },
            [self](const plat::Error& error) { self->finish(error); });
    }

    void fileAsset()
    {
        auto self = shared_from_this();
        _library->assetForURL(
            _assetURL,
            [self](const std::shared_ptr<plat::Asset>& asset) {
                if (!asset) {
                    self->finish(plat::Error(plat::kAssetsLibraryErrorDomain, plat::kAssetsLibraryDataUnavailableError,
                        "The picture is no longer in the photo library."));
                    return;
                }
                std::optional<plat::Error> failure;
                for (const auto& album : self->_albums) {
                    if (!album->addAsset(*asset) && !failure)
                        failure = plat::Error(plat::kAssetsLibraryErrorDomain, plat::kAssetsLibraryWriteFailedError,
                            "The picture could not be filed in the album \"" + self->_albumName + "\".");
                }
                self->finish(failure);
            },
            [self](const plat::Error& error) { self->finish(error); });
    }

    std::shared_ptr<plat::AssetsLibrary> _library;
    plat::URL _assetURL;
    std::string _albumName;
    SaveImageCompletionBlock _completion;
    std::vector<std::shared_ptr<plat::AssetsGroup>> _albums;
    bool _finished = false;
};

}  // namespace

void saveImage(const std::shared_ptr<plat::AssetsLibrary>& library, const plat::Image& image,
    const std::string& albumName, SaveImageCompletionBlock completion)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!completion || !library)
        plat::detail::fatal("saveImage: a library and a completion block are required");
    library->writeImageToSavedPhotosAlbum(image.bitmap(), image.imageOrientation(),
        [library, albumName, completion = std::move(completion)](
            const std::optional<plat::URL>& assetURL, const std::optional<plat::Error>& error) {
            if (error || !assetURL) {
                completion(error.value_or(plat::Error(plat::kAssetsLibraryErrorDomain,
                    plat::kAssetsLibraryWriteFailedError, "The picture could not be saved.")));
                return;
            }
            addAssetURL(library, *assetURL, albumName, completion);
        });
}

void addAssetURL(const std::shared_ptr<plat::AssetsLibrary>& library, const plat::URL& assetURL,
    const std::string& albumName, SaveImageCompletionBlock completion)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!completion || !library)
        plat::detail::fatal("addAssetURL: a library and a completion block are required");
    std::make_shared<AlbumFiling>(library, assetURL, albumName, std::move(completion))->findAlbums(CreateAlbum::Yes);
}

}  // namespace zt
