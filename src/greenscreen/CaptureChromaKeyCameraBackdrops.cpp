// The green-screen source's backdrops: a photo of the library, a theme
// picture or the project's last frame.
#include "capture/APAlbumPickerController.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "glimage/GLImageVideoCamera.h"
#include "greenscreen/CaptureChromaKeyCamera.h"
#include "greenscreen/ChromaKeyBackdrop.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/library/Asset.h"
#include "platform/ui/NavigationController.h"
#include "uikit/BubblePopoverController.h"
#include "uikit/TintedNavigationController.h"

namespace zt {

void CaptureChromaKeyCamera::didSelectChangeBackDrop(plat::ViewController&)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto presenter = mainViewController();
    if (!presenter || !_videoCamera) {
        plat::log("green screen: no photo can be chosen now");
        return;
    }
    closePopoverNow();
    _videoCamera->stopCameraCapture();
    auto picker = std::make_shared<APAlbumPickerController>();
    picker->setMultiSelection(false);
    picker->setDidCancelPickMedia([weakSelf = weakSelf()] {
        if (auto self = weakSelf.lock(); self && self->_videoCamera)
            self->_videoCamera->startCameraCapture();
    });
    picker->setDidFinishPickMedia([weakSelf = weakSelf()](const std::vector<std::shared_ptr<plat::Asset>>& assets) {
        auto self = weakSelf.lock();
        if (!self)
            return;
        if (assets.empty()) {
            if (self->_videoCamera)
                self->_videoCamera->startCameraCapture();
            return;
        }
        if (auto shown = self->mainViewController())
            shown->dismissViewControllerAnimated(/*animated=*/true, nullptr);
        self->importPickedPhoto(assets.front());
    });
    auto navigation = std::make_shared<TintedNavigationController>(picker);
    navigation->setModalPresentationStyle(plat::ModalPresentationStyle::FormSheet);
    navigation->setModalTransitionStyle(plat::ModalTransitionStyle::CrossDissolve);
    presenter->presentViewController(navigation, /*animated=*/true, nullptr);
}

void CaptureChromaKeyCamera::importPickedPhoto(const std::shared_ptr<plat::Asset>& asset)
{
    // The full-size photo is decoded, turned, reduced and encoded on a queue
    // of its own; the picture in the pipeline and the project's file change
    // on the main thread, which owns the graph's wiring and the project.
    auto queue = plat::DispatchQueue::create(kImportQueueLabel);
    queue->async([queue, asset, weakSelf = weakSelf()] {
        std::shared_ptr<plat::Image> prepared;
        std::optional<plat::Data> encoded;
        if (auto stored = asset->defaultRepresentation().fullResolutionImage()) {
            auto photo = plat::Image::imageWithBitmap(stored, 1, asset->orientation());
            prepared = ChromaKeyBackdrop::preparedPicture(*photo);
            if (prepared)
                encoded = ChromaKeyBackdrop::encodedPicture(*prepared);
        }
        if (!prepared || !encoded)
            plat::log("green screen: the chosen photo could not be read; the backdrop is unchanged");
        plat::DispatchQueue::mainQueue().async([weakSelf, prepared, encoded = std::move(encoded)] {
            auto self = weakSelf.lock();
            if (!self)
                return;
            if (prepared && encoded) {
                if (self->_backdrop)
                    self->_backdrop->showPicture(*prepared);
                if (auto owner = self->project())
                    (void)ChromaKeyBackdrop::storePicture(*encoded, *owner);
            }
            if (self->_videoCamera)
                self->_videoCamera->startCameraCapture();
        });
    });
}

void CaptureChromaKeyCamera::didSelectChangeBackDrop(plat::ViewController&, const std::shared_ptr<plat::Image>& image)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!image || !_backdrop) {
        plat::log("green screen: no picture to show as backdrop");
        return;
    }
    auto prepared = ChromaKeyBackdrop::preparedPicture(*image);
    if (!prepared) {
        plat::log("green screen: the picture could not be prepared as backdrop");
        return;
    }
    _backdrop->swapPicture(*prepared, project().get());
    if (_videoCamera)
        _videoCamera->startCameraCapture();
}

void CaptureChromaKeyCamera::didSelectUseFrameAsBackdrop(plat::ViewController&)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto owner = project();
    if (owner && _backdrop) {
        FrameList& list = owner->getFrameList();
        if (auto index = ChromaKeyBackdrop::lastFrameIndex(list.count(), list.getCaptureIndex())) {
            ImageProducer producer(owner);
            if (auto picture = producer.getImageForFrameAtIndex(*index)) {
                _backdrop->swapPicture(*picture, owner.get());
            } else if (auto fallback = ChromaKeyBackdrop::defaultPicture()) {
                // A card or a frame whose file is gone has no picture: the
                // default backdrop rather than none, and the project forgets
                // its own so that it shows the same next time.
                _backdrop->showPicture(*fallback);
                owner->removeRegularFileWithPreferredFilename(ChromaKeyBackdrop::kBackdropFileName);
                showNote("The last frame has no picture. The default background is shown.");
            }
        }
    }
    closePopoverNow();
}

}  // namespace zt
