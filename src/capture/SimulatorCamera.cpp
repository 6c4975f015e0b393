#include "capture/SimulatorCamera.h"

#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"

namespace zt {

void SimulatorCamera::initCaptureDevice()
{
    CaptureController::initCaptureDevice();
    if (_imageView)
        _imageView->removeFromSuperview();
    _imageView = std::make_shared<plat::ImageView>(view()->bounds());
    _imageView->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
    _imageView->setContentMode(plat::ContentMode::ScaleAspectFill);
    _imageView->setClipsToBounds(true);
    _imageView->setUserInteractionEnabled(true);
    _imageView->setImage(plat::Image::imageNamed("DEBUG_1080p.jpg"));
    view()->addSubview(_imageView);
}

void SimulatorCamera::captureImage()
{
    deliverImage(_imageView ? _imageView->image() : nullptr);
}

}  // namespace zt
