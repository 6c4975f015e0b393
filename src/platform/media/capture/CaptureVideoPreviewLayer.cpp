#include "platform/media/capture/CaptureVideoPreviewLayer.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/graphics/SamePixels.h"
#include "platform/media/capture/CaptureConnection.h"
#include "platform/media/capture/CaptureSession.h"
#include "platform/media/capture/CapturedFrame.h"

namespace plat {

namespace {

std::optional<ContentsGravity> contentsGravityFor(const std::string& gravity)
{
    if (gravity == kLayerVideoGravityResizeAspect)
        return ContentsGravity::ResizeAspect;
    if (gravity == kLayerVideoGravityResizeAspectFill)
        return ContentsGravity::ResizeAspectFill;
    if (gravity == kLayerVideoGravityResize)
        return ContentsGravity::Resize;
    return std::nullopt;
}

}  // namespace

std::shared_ptr<CaptureVideoPreviewLayer> CaptureVideoPreviewLayer::layerWithSession(
    const std::shared_ptr<CaptureSession>& session)
{
    auto layer = std::make_shared<CaptureVideoPreviewLayer>();
    layer->setSession(session);
    return layer;
}

CaptureVideoPreviewLayer::CaptureVideoPreviewLayer()
    : _connection(std::make_shared<CaptureConnection>(true, CaptureVideoOrientation::Portrait))
{
    _connection->setAutomaticallyAdjustsVideoMirroring(true);
    setContentsGravity(ContentsGravity::ResizeAspect);
    setMasksToBounds(true);
    setBackgroundColor(Color::blackColor());
}

// The session forgets a layer that has gone by itself (it holds layers
// weakly), so a layer let go on any thread leaves the session alone.
CaptureVideoPreviewLayer::~CaptureVideoPreviewLayer() = default;

void CaptureVideoPreviewLayer::setSession(const std::shared_ptr<CaptureSession>& session)
{
    if (session == _session)
        return;
    if (_session)
        _session->removePreviewLayer(this);
    _session = session;
    setContents(nullptr);
    if (_session)
        _session->addPreviewLayer(std::static_pointer_cast<CaptureVideoPreviewLayer>(shared_from_this()));
}

void CaptureVideoPreviewLayer::setVideoGravity(const std::string& gravity)
{
    auto contentsGravity = contentsGravityFor(gravity);
    if (!contentsGravity)
        return;
    _videoGravity = gravity;
    setContentsGravity(*contentsGravity);
}

void CaptureVideoPreviewLayer::showPicture(const detail::CapturedFrame& frame)
{
    if (!frame.videoPicture)
        return;
    // Shown from the camera's own memory, which no one writes once it is shared.
    auto bitmap = bitmapSharingPixels(*frame.videoPicture);
    if (!bitmap)
        return;
    bitmap->setOpaque(true);
    _connection->adjustMirroringForFrontCamera(frame.position == CaptureDevicePosition::Front);
    const ImageOrientation orientation
        = imageOrientationForVideo(_connection->videoOrientation(), _connection->isVideoMirrored());
    // A camera that sends the same picture again (a still one) changes nothing on screen.
    const auto& shown = contents();
    if (shown && shown->imageOrientation() == orientation && haveSamePixels(*shown->bitmap(), *bitmap))
        return;
    setContents(std::make_shared<Image>(bitmap, 1, orientation));
}

}  // namespace plat
