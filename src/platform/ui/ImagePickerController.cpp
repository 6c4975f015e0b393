#include "platform/ui/ImagePickerController.h"

#include "platform/foundation/Fatal.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImagePickerScreens.h"
#include "platform/ui/TypeIdentifiers.h"

namespace plat {

ImagePickerController::ImagePickerController()
    : _mediaTypes {kUTTypeImage}
{
}

ImagePickerController::~ImagePickerController() = default;

bool ImagePickerController::isSourceTypeAvailable(ImagePickerControllerSourceType sourceType)
{
    switch (sourceType) {
    case ImagePickerControllerSourceType::Camera:
        return Device::currentDevice().hasCamera();
    case ImagePickerControllerSourceType::PhotoLibrary:
    case ImagePickerControllerSourceType::SavedPhotosAlbum:
        return true;
    }
    return false;
}

std::vector<std::string> ImagePickerController::availableMediaTypesForSourceType(
    ImagePickerControllerSourceType sourceType)
{
    if (!isSourceTypeAvailable(sourceType))
        return {};
    return {kUTTypeImage};
}

void ImagePickerController::setSourceType(ImagePickerControllerSourceType sourceType)
{
    if (!isSourceTypeAvailable(sourceType))
        detail::fatal("ImagePickerController: source type {} is not available", static_cast<int>(sourceType));
    _sourceType = sourceType;
    if (isViewLoaded())
        showSource();
}

void ImagePickerController::loadView()
{
    NavigationController::loadView();
    showSource();
}

void ImagePickerController::showSource()
{
    std::shared_ptr<ViewController> first;
    switch (_sourceType) {
    case ImagePickerControllerSourceType::PhotoLibrary:
        first = std::make_shared<detail::PickerAlbumList>();
        break;
    case ImagePickerControllerSourceType::SavedPhotosAlbum:
        first = std::make_shared<detail::PickerAssetGrid>(
            PhotoLibrary::kSavedPhotosAlbumName, PhotoLibrary::kSavedPhotosAlbumName);
        break;
    case ImagePickerControllerSourceType::Camera:
        first = std::make_shared<detail::PickerCameraScreen>();
        break;
    }
    setNavigationBarHidden(_sourceType == ImagePickerControllerSourceType::Camera);
    setViewControllers({first}, false);
}

void ImagePickerController::pictureChosen(std::shared_ptr<Image> original, std::optional<URL> referenceURL)
{
    if (!_allowsEditing) {
        finishPicking(std::move(original), nullptr, std::nullopt, std::move(referenceURL));
        return;
    }
    setNavigationBarHidden(true);
    pushViewController(std::make_shared<detail::PickerEditScreen>(std::move(original), std::move(referenceURL)), true);
}

void ImagePickerController::finishPicking(std::shared_ptr<Image> original, std::shared_ptr<Image> edited,
    std::optional<Rect> cropRect, std::optional<URL> referenceURL)
{
    auto keepAlive = weak_from_this().lock();
    ImagePickerMediaInfo info;
    info.mediaType = kUTTypeImage;
    info.originalImage = std::move(original);
    info.editedImage = std::move(edited);
    info.cropRect = cropRect;
    info.referenceURL = std::move(referenceURL);
    if (auto delegate = _delegate.lock())
        delegate->imagePickerControllerDidFinishPickingMediaWithInfo(*this, info);
}

void ImagePickerController::cancelPicking()
{
    auto keepAlive = weak_from_this().lock();
    auto delegate = _delegate.lock();
    if (delegate && delegate->imagePickerControllerDidCancel(*this))
        return;
    dismissViewControllerAnimated(true, nullptr);
}

}  // namespace plat
