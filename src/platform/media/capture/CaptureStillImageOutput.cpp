#include "platform/media/capture/CaptureStillImageOutput.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/SampleBuffer.h"
#include "platform/media/capture/CaptureVideoDataOutput.h"
#include "platform/media/capture/CapturedFrame.h"

namespace plat {

namespace {

// The platform's stills are high-quality JPEG.
constexpr double kStillQuality = 0.9;

Error notRunningError()
{
    return Error(kMediaErrorDomain, kMediaErrorSessionNotRunning, "The capture session is not running.");
}

// The camera's picture without a copy: its memory stays with the still
// until the still is encoded.
std::shared_ptr<Bitmap> pictureOf(PixelBuffer& pixels)
{
    auto bitmap = bitmapSharingPixels(pixels);
    if (bitmap)
        bitmap->setOpaque(true);
    return bitmap;
}

}  // namespace

CaptureStillImageOutput::CaptureStillImageOutput()
    : _completionQueue(DispatchQueue::create("plat.media.still-image-output"))
{
    _outputSettings.set(kVideoCodecKey, kVideoCodecJPEG);
}

CaptureStillImageOutput::~CaptureStillImageOutput() = default;

bool CaptureStillImageOutput::setOutputSettings(const Dictionary& settings)
{
    auto codec = settings.getString(kVideoCodecKey);
    auto format = settings.getInt64(kCVPixelBufferPixelFormatTypeKey);
    if (format) {
        // Uncompressed stills: the camera's own BGRA picture.
        if (codec || *format != static_cast<int64_t>(kPixelFormatType_32BGRA))
            return false;
        std::lock_guard lock(_lock);
        _outputSettings = settings.copy();
        _uncompressed = true;
        return true;
    }
    if (codec && *codec != kVideoCodecJPEG)
        return false;
    std::lock_guard lock(_lock);
    _outputSettings = settings.copy();
    _outputSettings.set(kVideoCodecKey, kVideoCodecJPEG);
    _uncompressed = false;
    return true;
}

std::vector<uint32_t> CaptureStillImageOutput::availableImageDataCVPixelFormatTypes() const
{
    return {kPixelFormatType_32BGRA};
}

bool CaptureStillImageOutput::isCapturingStillImage() const
{
    std::lock_guard lock(_lock);
    return !_pending.empty() || _encoding > 0;
}

void CaptureStillImageOutput::captureStillImageAsynchronouslyFromConnection(
    const std::shared_ptr<CaptureConnection>& connection, CompletionHandler handler)
{
    std::unique_lock lock(_lock);
    if (_run == 0 || !connection) {
        lock.unlock();
        fail({Request {connection, std::move(handler)}}, notRunningError());
        return;
    }
    _pending.push_back({connection, std::move(handler)});
}

void CaptureStillImageOutput::sessionDidStartRunning(uint64_t run)
{
    std::lock_guard lock(_lock);
    _run = run;
}

void CaptureStillImageOutput::sessionDidStopRunning()
{
    std::vector<Request> abandoned;
    {
        std::lock_guard lock(_lock);
        _run = 0;
        abandoned.swap(_pending);
    }
    fail(std::move(abandoned), notRunningError());
}

void CaptureStillImageOutput::fail(std::vector<Request> requests, const Error& error)
{
    for (Request& request : requests) {
        _completionQueue->async([handler = std::move(request.handler), error] {
            if (handler)
                handler(nullptr, error);
        });
    }
}

void CaptureStillImageOutput::receiveFrame(const detail::CapturedFrame& frame)
{
    std::vector<Request> requests;
    bool uncompressed = false;
    {
        std::lock_guard lock(_lock);
        if (_pending.empty() || frame.run != _run)
            return;
        requests.swap(_pending);
        ++_encoding;
        uncompressed = _uncompressed;
    }
    if (uncompressed) {
        // The camera's own picture, handed over as it is (it is never written again).
        auto sampleBuffer = SampleBuffer::createForImageBuffer(frame.picture, frame.time);
        auto self = std::static_pointer_cast<CaptureStillImageOutput>(shared_from_this());
        _completionQueue->async([self, sampleBuffer, requests = std::move(requests)]() mutable {
            for (Request& request : requests) {
                if (request.handler)
                    request.handler(sampleBuffer, std::nullopt);
            }
            std::lock_guard lock(self->_lock);
            --self->_encoding;
        });
        return;
    }
    auto bitmap = pictureOf(*frame.picture);
    auto self = std::static_pointer_cast<CaptureStillImageOutput>(shared_from_this());
    // Encoding runs on the completion queue, so the camera goes on meanwhile.
    _completionQueue->async([self, bitmap, requests = std::move(requests), time = frame.time]() mutable {
        for (Request& request : requests) {
            std::optional<Data> jpeg;
            if (bitmap) {
                auto orientation = imageOrientationForVideo(
                    request.connection->videoOrientation(), request.connection->isVideoMirrored());
                jpeg = JPEGRepresentation(Image(bitmap, 1, orientation), kStillQuality);
            }
            auto sampleBuffer = jpeg ? SampleBuffer::createWithJPEGData(std::move(*jpeg), time) : nullptr;
            if (request.handler) {
                if (sampleBuffer)
                    request.handler(sampleBuffer, std::nullopt);
                else
                    request.handler(nullptr,
                        Error(kMediaErrorDomain, kMediaErrorOutOfMemory, "The still picture could not be made."));
            }
        }
        std::lock_guard lock(self->_lock);
        --self->_encoding;
    });
}

std::optional<Data> CaptureStillImageOutput::jpegStillImageNSDataRepresentation(const SampleBuffer& sampleBuffer)
{
    if (!sampleBuffer.isJPEG())
        return std::nullopt;
    return sampleBuffer.dataBuffer();
}

}  // namespace plat
