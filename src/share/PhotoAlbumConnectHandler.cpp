#include "share/PhotoAlbumConnectHandler.h"

#include <algorithm>

#include "document/FailureReason.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UniformTypeIdentifiers.h"
#include "platform/graphics/Image.h"
#include "platform/library/AssetsLibrary.h"
#include "render/SingleImagesExportRenderer.h"
#include "share/ShareServices.h"
#include "uikit/AssetsLibraryCustomPhotoAlbum.h"

namespace zt {

namespace {

constexpr int64_t kUnreadableExportError = 1;

}  // namespace

PhotoAlbumConnectHandler::PhotoAlbumConnectHandler(ShareExporter exporter)
    : ConnectHandler(std::move(exporter))
{
}

std::string PhotoAlbumConnectHandler::albumName()
{
    const plat::Value name = plat::Bundle::mainBundle().objectForInfoDictionaryKey("CFBundleDisplayName");
    if (auto text = name.asString(); text && !text->empty())
        return *text;
    return "Zantrope";
}

std::string PhotoAlbumConnectHandler::activityType() const
{
    return UIActivityTypeShareToPhotoRoll;
}

std::string PhotoAlbumConnectHandler::activityTitle() const
{
    return plat::localized("Photo Album");
}

std::shared_ptr<const plat::Image> PhotoAlbumConnectHandler::activityImage() const
{
    return plat::Image::imageNamed("share_icon_photoroll");
}

std::vector<std::string> PhotoAlbumConnectHandler::supportedUTIs() const
{
    return {plat::kUTTypeQuickTimeMovie, SingleImagesExportRenderer::kUTI};
}

void PhotoAlbumConnectHandler::uploadDataAtURL(
    const plat::URL& url, const std::string&, const std::string&, const std::string& UTI)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    _library = std::make_shared<plat::AssetsLibrary>();
    _busy = true;
    if (UTI == plat::kUTTypeQuickTimeMovie) {
        saveMovie(url);
        return;
    }
    auto names = plat::contentsOfDirectory(url.path());
    if (!names.ok()) {
        fail(names.error());
        return;
    }
    // "frame-00000.jpg" and up: the byte order of the names is the film's.
    _pictures.clear();
    for (const auto& name : names.value())
        if (plat::pathExtension(name) == "jpg")
            _pictures.push_back(plat::appendingPathComponent(url.path(), name));
    savePicture(0);
}

void PhotoAlbumConnectHandler::saveMovie(const plat::URL& url)
{
    std::weak_ptr<PhotoAlbumConnectHandler> weakSelf = sharedAs<PhotoAlbumConnectHandler>();
    _library->writeVideoAtPathToSavedPhotosAlbum(
        url, [weakSelf](const std::optional<plat::URL>& assetURL, const std::optional<plat::Error>& error) {
            auto self = weakSelf.lock();
            if (!self || !self->_busy)
                return;
            if (error || !assetURL) {
                self->fail(error.value_or(plat::Error(kErrorDomain, kUnreadableExportError, "no asset")));
                return;
            }
            self->reportProgress(0.5f);
            addAssetURL(self->_library, *assetURL, albumName(), [weakSelf](const std::optional<plat::Error>& filed) {
                auto owner = weakSelf.lock();
                if (!owner || !owner->_busy)
                    return;
                if (filed) {
                    owner->fail(*filed);
                    return;
                }
                owner->_busy = false;
                owner->reportArrival(std::nullopt);
            });
        });
}

void PhotoAlbumConnectHandler::savePicture(size_t index)
{
    if (!_busy)
        return;
    if (index >= _pictures.size()) {
        _busy = false;
        reportArrival(std::nullopt);
        return;
    }
    auto picture = plat::Image::imageWithContentsOfFile(_pictures[index]);
    if (!picture) {
        fail(plat::Error(kErrorDomain, kUnreadableExportError,
            plat::localized("A picture of the export cannot be read:") + " "
                + plat::lastPathComponent(_pictures[index])));
        return;
    }
    std::weak_ptr<PhotoAlbumConnectHandler> weakSelf = sharedAs<PhotoAlbumConnectHandler>();
    saveImage(_library, *picture, albumName(), [weakSelf, index](const std::optional<plat::Error>& error) {
        auto self = weakSelf.lock();
        if (!self || !self->_busy)
            return;
        if (error) {
            self->fail(*error);
            return;
        }
        self->reportProgress(static_cast<float>(index + 1) / static_cast<float>(self->_pictures.size()));
        self->savePicture(index + 1);
    });
}

void PhotoAlbumConnectHandler::fail(const plat::Error& error)
{
    _busy = false;
    plat::log("photo album: {}", error.localizedDescription());
    reportFailure(plat::Error(kErrorDomain, error.code(),
        plat::localized("The export could not be saved to the photo album:") + " " + failureReason(error), {},
        std::make_shared<const plat::Error>(error)));
}

void PhotoAlbumConnectHandler::cancel()
{
    _busy = false;
}

std::string PhotoAlbumConnectHandler::completionText(const std::optional<plat::URL>&) const
{
    return plat::localized("Saved to the photo album") + " \"" + albumName() + "\".";
}

}  // namespace zt
