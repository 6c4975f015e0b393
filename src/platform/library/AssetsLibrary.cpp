#include "platform/library/AssetsLibrary.h"

#include <vector>

#include "platform/foundation/DispatchQueue.h"
#include "platform/graphics/Bitmap.h"
#include "platform/library/Asset.h"
#include "platform/library/AssetsGroup.h"

namespace plat {

namespace {

// Failures of the folders beneath reach callers in the platform's domain.
Error platformError(const Error& error)
{
    if (error.domain() == kAssetsLibraryErrorDomain)
        return error;
    return Error(kAssetsLibraryErrorDomain, kAssetsLibraryWriteFailedError, error.localizedDescription(), {},
        std::make_shared<const Error>(error));
}

// Where every library's file work runs, one request after another, as the
// platform's one photo library service answers its apps: answers come in
// the order they were asked for.
DispatchQueue& libraryWorkQueue()
{
    static const std::shared_ptr<DispatchQueue> queue = DispatchQueue::create("plat.photo-library");
    return *queue;
}

}  // namespace

AssetsLibrary::AssetsLibrary()
    : _library(PhotoLibrary::forCurrentSandbox())
{
}

AssetsLibrary::AssetsLibrary(PhotoLibrary library)
    : _library(std::move(library))
{
}

AuthorizationStatus AssetsLibrary::authorizationStatus()
{
    return PhotoLibrary::forCurrentSandbox().authorizationStatus();
}

void AssetsLibrary::run(std::function<std::function<void()>(const PhotoLibrary&)> work)
{
    libraryWorkQueue().async([weakSelf = weak_from_this(), library = _library, work = std::move(work)] {
        auto answer = work(library);
        DispatchQueue::mainQueue().async([weakSelf, answer = std::move(answer)] {
            // A library that went away takes its answers with it, as on the platform.
            if (weakSelf.lock())
                answer();
        });
    });
}

void AssetsLibrary::enumerateGroupsWithTypes(
    uint32_t types, GroupsEnumerationBlock resultBlock, FailureBlock failureBlock)
{
    run([types, resultBlock = std::move(resultBlock), failureBlock = std::move(failureBlock)](
            const PhotoLibrary& library) -> std::function<void()> {
        auto albums = library.albums();
        if (!albums.ok())
            return [failureBlock, error = platformError(albums.error())] {
                if (failureBlock)
                    failureBlock(error);
            };
        std::vector<std::shared_ptr<AssetsGroup>> groups;
        for (auto& album : albums.value()) {
            if (!(album.type & types))
                continue;
            auto group = std::make_shared<AssetsGroup>(library, std::move(album));
            // The poster is decoded here, off the main thread, as the platform keeps it ready.
            (void)group->posterImage();
            groups.push_back(std::move(group));
        }
        return [resultBlock, groups = std::move(groups)] {
            if (!resultBlock)
                return;
            bool stop = false;
            for (const auto& group : groups) {
                resultBlock(group, stop);
                if (stop)
                    break;
            }
            resultBlock(nullptr, stop);
        };
    });
}

void AssetsLibrary::assetForURL(const URL& assetURL, AssetResultBlock resultBlock, FailureBlock failureBlock)
{
    run([assetURL, resultBlock = std::move(resultBlock), failureBlock = std::move(failureBlock)](
            const PhotoLibrary& library) -> std::function<void()> {
        if (auto refused = library.accessError())
            return [failureBlock, error = *refused] {
                if (failureBlock)
                    failureBlock(error);
            };
        std::shared_ptr<Asset> asset;
        if (auto location = assetLocationOfURL(assetURL)) {
            if (auto found = library.assetInAlbum(location->albumFolder, location->fileName); found.ok())
                asset = std::make_shared<Asset>(std::move(found).value());
        }
        return [resultBlock, asset] {
            if (resultBlock)
                resultBlock(asset);
        };
    });
}

void AssetsLibrary::addAssetsGroupAlbumWithName(
    const std::string& name, GroupResultBlock resultBlock, FailureBlock failureBlock)
{
    run([name, resultBlock = std::move(resultBlock), failureBlock = std::move(failureBlock)](
            const PhotoLibrary& library) -> std::function<void()> {
        PhotoLibrary writable = library;
        auto made = writable.createAlbumNamed(name);
        if (!made.ok())
            return [failureBlock, error = platformError(made.error())] {
                if (failureBlock)
                    failureBlock(error);
            };
        std::shared_ptr<AssetsGroup> group;
        if (made.value())
            group = std::make_shared<AssetsGroup>(library, std::move(*made.value()));
        return [resultBlock, group] {
            if (resultBlock)
                resultBlock(group);
        };
    });
}

void AssetsLibrary::writeImageToSavedPhotosAlbum(
    std::shared_ptr<const Bitmap> image, ImageOrientation orientation, WriteCompletionBlock completionBlock)
{
    run([image = std::move(image), orientation, completionBlock = std::move(completionBlock)](
            const PhotoLibrary& library) -> std::function<void()> {
        std::optional<URL> url;
        std::optional<Error> error;
        if (!image) {
            error = Error(kAssetsLibraryErrorDomain, kAssetsLibraryWriteFailedError, "there is no picture to write");
        } else {
            PhotoLibrary writable = library;
            auto saved = writable.saveImage(Image(image, 1, orientation));
            if (saved.ok())
                url = assetURLFor(saved.value());
            else
                error = platformError(saved.error());
        }
        return [completionBlock, url, error] {
            if (completionBlock)
                completionBlock(url, error);
        };
    });
}

void AssetsLibrary::writeVideoAtPathToSavedPhotosAlbum(const URL& videoPathURL, WriteCompletionBlock completionBlock)
{
    run([path = videoPathURL.path(), completionBlock = std::move(completionBlock)](
            const PhotoLibrary& library) -> std::function<void()> {
        std::optional<URL> url;
        std::optional<Error> error;
        if (auto refused = library.accessError()) {
            error = *refused;
        } else {
            PhotoLibrary writable = library;
            auto saved = writable.saveVideo(path);
            if (saved.ok())
                url = assetURLFor(saved.value());
            else
                error = platformError(saved.error());
        }
        return [completionBlock, url, error] {
            if (completionBlock)
                completionBlock(url, error);
        };
    });
}

}  // namespace plat
