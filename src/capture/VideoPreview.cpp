#include "capture/VideoPreview.h"

#include "platform/foundation/Log.h"
#include "platform/media/capture/CaptureConnection.h"
#include "platform/media/capture/CaptureVideoPreviewLayer.h"
#include "platform/ui/Application.h"
#include "platform/ui/Device.h"

namespace zt {

VideoPreview::VideoPreview()
{
    observeDeviceOrientation();
}

VideoPreview::VideoPreview(plat::Rect frame)
    : plat::View(frame)
{
    observeDeviceOrientation();
}

VideoPreview::~VideoPreview()
{
    plat::Device::endGeneratingDeviceOrientationNotifications();
}

void VideoPreview::observeDeviceOrientation()
{
    plat::Device::beginGeneratingDeviceOrientationNotifications();
    // The token ends the observation with the view; the view outlives it.
    _orientationObserver
        = plat::NotificationCenter::defaultCenter().addObserver(plat::DeviceOrientationDidChangeNotification, nullptr,
            [this](const plat::Notification&) { deviceOrientationDidChange(); });
}

void VideoPreview::addPreviewLayer(std::shared_ptr<plat::CaptureVideoPreviewLayer> layer)
{
    if (_previewLayer)
        _previewLayer->removeFromSuperlayer();
    _previewLayer = std::move(layer);
    if (_previewLayer)
        this->layer()->addSublayer(_previewLayer);
}

void VideoPreview::setOrientation(plat::CaptureVideoOrientation orientation)
{
    if (_previewLayer)
        _previewLayer->connection()->setVideoOrientation(orientation);
}

void VideoPreview::deviceOrientationDidChange()
{
    switch (plat::Application::sharedApplication().statusBarOrientation()) {
    case plat::InterfaceOrientation::LandscapeRight:
        setOrientation(plat::CaptureVideoOrientation::LandscapeRight);
        plat::log("deviceOrientationDidChange - LandscapeRight");
        break;
    case plat::InterfaceOrientation::LandscapeLeft:
        setOrientation(plat::CaptureVideoOrientation::LandscapeLeft);
        break;
    default:
        return;  // portrait changes nothing
    }
    if (_previewLayer)
        _previewLayer->setFrame(bounds());
}

void VideoPreview::layoutSubviews()
{
    plat::View::layoutSubviews();
    deviceOrientationDidChange();
}

}  // namespace zt
