#include "platform/media/capture/CaptureConnection.h"

#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"

namespace plat {

ImageOrientation imageOrientationForVideo(CaptureVideoOrientation orientation, bool mirrored)
{
    // Mirroring after the turn: a turned-right picture mirrored is its
    // transpose (left mirrored), a turned-left one its transverse.
    switch (orientation) {
    case CaptureVideoOrientation::LandscapeRight:
        return mirrored ? ImageOrientation::UpMirrored : ImageOrientation::Up;
    case CaptureVideoOrientation::LandscapeLeft:
        return mirrored ? ImageOrientation::DownMirrored : ImageOrientation::Down;
    case CaptureVideoOrientation::Portrait:
        return mirrored ? ImageOrientation::LeftMirrored : ImageOrientation::Right;
    case CaptureVideoOrientation::PortraitUpsideDown:
        return mirrored ? ImageOrientation::RightMirrored : ImageOrientation::Left;
    }
    return ImageOrientation::Up;
}

CaptureConnection::CaptureConnection(bool videoOrientationSupported, CaptureVideoOrientation orientation)
    : _orientationSupported(videoOrientationSupported)
    , _orientation(orientation)
{
}

void CaptureConnection::setVideoOrientation(CaptureVideoOrientation orientation)
{
    if (!_orientationSupported)
        return;
    _orientation = orientation;
}

void CaptureConnection::setVideoMirrored(bool mirrored)
{
    if (_automaticMirroring) {
        log("capture connection: mirroring is adjusted automatically; turn that off first");
        return;
    }
    _mirrored = mirrored;
}

void CaptureConnection::setAutomaticallyAdjustsVideoMirroring(bool automatic)
{
    _automaticMirroring = automatic;
}

void CaptureConnection::adjustMirroringForFrontCamera(bool isFront)
{
    if (_automaticMirroring)
        _mirrored = isFront;
}

MediaTime CaptureConnection::videoMinFrameDuration() const
{
    std::lock_guard guard(_lock);
    return _minFrameDuration;
}

void CaptureConnection::setVideoMinFrameDuration(const MediaTime& duration)
{
    if (!_frameDurationsSupported)
        return;
    std::lock_guard guard(_lock);
    _minFrameDuration = duration.isNumeric() && duration > MediaTime::zero() ? duration : MediaTime::invalid();
}

MediaTime CaptureConnection::videoMaxFrameDuration() const
{
    std::lock_guard guard(_lock);
    return _maxFrameDuration;
}

void CaptureConnection::setVideoMaxFrameDuration(const MediaTime& duration)
{
    if (!_frameDurationsSupported)
        return;
    std::lock_guard guard(_lock);
    _maxFrameDuration = duration.isNumeric() && duration > MediaTime::zero() ? duration : MediaTime::invalid();
}

}  // namespace plat
