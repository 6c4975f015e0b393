#include "platform/media/capture/CaptureVideoDataOutput.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/PixelBufferConverter.h"
#include "platform/media/SampleBuffer.h"
#include "platform/media/capture/CapturedFrame.h"

namespace plat {

void CaptureVideoDataOutputSampleBufferDelegate::captureOutput(
    CaptureOutput&, const std::shared_ptr<const SampleBuffer>&, CaptureConnection&)
{
}

void CaptureVideoDataOutputSampleBufferDelegate::captureOutputDidDropSampleBuffer(
    CaptureOutput&, const std::shared_ptr<const SampleBuffer>&, CaptureConnection&)
{
}

namespace {

bool isOfferedFormat(int64_t format)
{
    return format == kPixelFormatType_32BGRA || format == kPixelFormatType_420YpCbCr8BiPlanarVideoRange
        || format == kPixelFormatType_420YpCbCr8BiPlanarFullRange;
}

}  // namespace

// What the blocks on the delegate's queue share with the output: the run
// they belong to, how many pictures are handed over and not yet done, and
// the conversion of the camera's BGRA pictures into the format asked for.
struct CaptureVideoDataOutput::Delivery {
    std::atomic<uint64_t> run {0};
    std::atomic<int> pending {0};
    std::atomic<uint32_t> pixelFormat {kPixelFormatType_32BGRA};

    // The picture in the format asked for; none when that cannot be made.
    // On the delegate's queue, which may be concurrent: one conversion at a time.
    std::shared_ptr<PixelBuffer> pictureInFormat(const std::shared_ptr<PixelBuffer>& picture)
    {
        const uint32_t format = pixelFormat.load();
        if (!picture || format == picture->pixelFormatType())
            return picture;
        std::lock_guard guard(conversionLock);
        if (!pool || pool->width() != picture->width() || pool->height() != picture->height()
            || pool->pixelFormatType() != format) {
            auto made = PixelBufferPool::create(picture->width(), picture->height(), format);
            if (!made.ok()) {
                log("capture: no pictures of format {}: {}", format, made.error().localizedDescription());
                return nullptr;
            }
            pool = made.value();
        }
        auto buffer = pool->createPixelBuffer();
        if (!buffer.ok()) {
            log("capture: {}", buffer.error().localizedDescription());
            return nullptr;
        }
        auto converted = converter.convert(*picture, *buffer.value());
        if (!converted.ok()) {
            log("capture: {}", converted.error().localizedDescription());
            return nullptr;
        }
        return buffer.value();
    }

    std::mutex conversionLock;
    std::shared_ptr<PixelBufferPool> pool;  // guarded by conversionLock
    detail::PixelBufferConverter converter;  // guarded by conversionLock
};

CaptureVideoDataOutput::CaptureVideoDataOutput()
    : _delivery(std::make_shared<Delivery>())
{
    _videoSettings.set(kCVPixelBufferPixelFormatTypeKey, static_cast<int64_t>(kPixelFormatType_32BGRA));
}

CaptureVideoDataOutput::~CaptureVideoDataOutput() = default;

void CaptureVideoDataOutput::setSampleBufferDelegate(
    std::weak_ptr<CaptureVideoDataOutputSampleBufferDelegate> delegate, std::shared_ptr<DispatchQueue> queue)
{
    std::lock_guard lock(_lock);
    _delegate = std::move(delegate);
    _queue = std::move(queue);
}

std::shared_ptr<CaptureVideoDataOutputSampleBufferDelegate> CaptureVideoDataOutput::sampleBufferDelegate() const
{
    std::lock_guard lock(_lock);
    return _delegate.lock();
}

std::shared_ptr<DispatchQueue> CaptureVideoDataOutput::sampleBufferCallbackQueue() const
{
    std::lock_guard lock(_lock);
    return _queue;
}

bool CaptureVideoDataOutput::setVideoSettings(const Dictionary& settings)
{
    auto format = settings.getInt64(kCVPixelBufferPixelFormatTypeKey);
    if (format && !isOfferedFormat(*format))
        return false;
    const uint32_t chosen = format ? static_cast<uint32_t>(*format) : kPixelFormatType_32BGRA;
    _videoSettings = settings.copy();
    _videoSettings.set(kCVPixelBufferPixelFormatTypeKey, static_cast<int64_t>(chosen));
    _delivery->pixelFormat = chosen;
    return true;
}

std::vector<uint32_t> CaptureVideoDataOutput::availableVideoCVPixelFormatTypes() const
{
    return {kPixelFormatType_420YpCbCr8BiPlanarVideoRange, kPixelFormatType_420YpCbCr8BiPlanarFullRange,
        kPixelFormatType_32BGRA};
}

void CaptureVideoDataOutput::sessionDidStartRunning(uint64_t run)
{
    std::lock_guard lock(_lock);
    _runConnection = connectionWithMediaType(kMediaTypeVideo);
    _delivery->run = run;
    _lastDelivered = MediaTime::invalid();
}

void CaptureVideoDataOutput::sessionDidStopRunning()
{
    // Pictures already handed to the queue find the run over and are not
    // delivered; the stop never waits for the queue, which may itself be
    // waiting for the main thread.
    _delivery->run = 0;
}

void CaptureVideoDataOutput::receiveFrame(const detail::CapturedFrame& frame)
{
    // The delegate is only looked at here: held, its last owner could let
    // go of it on the session's thread.
    std::weak_ptr<CaptureVideoDataOutputSampleBufferDelegate> weakDelegate;
    std::shared_ptr<DispatchQueue> queue;
    std::shared_ptr<CaptureConnection> connection;
    {
        std::lock_guard lock(_lock);
        weakDelegate = _delegate;
        queue = _queue;
        connection = _runConnection;
    }
    if (weakDelegate.expired() || !queue || !connection || _delivery->run != frame.run)
        return;
    // Pictures closer together than the connection's shortest duration are left out.
    const MediaTime shortest = connection->videoMinFrameDuration();
    if (shortest.isNumeric() && _lastDelivered.isNumeric() && frame.time - _lastDelivered < shortest)
        return;
    _lastDelivered = frame.time;
    auto self = std::static_pointer_cast<CaptureVideoDataOutput>(shared_from_this());
    const int limit = _discardsLate ? 1 : kMaxWaitingPictures;
    if (_delivery->pending.load() >= limit) {
        auto timing = SampleBuffer::createForImageBuffer(nullptr, frame.time);
        queue->async([self, weakDelegate, connection, timing, delivery = _delivery, run = frame.run] {
            auto listener = weakDelegate.lock();
            if (listener && delivery->run == run)
                listener->captureOutputDidDropSampleBuffer(*self, timing, *connection);
        });
        return;
    }
    ++_delivery->pending;
    // Converted on the delegate's queue, so that the session's thread keeps
    // its pace and a picture dropped above costs nothing.
    queue->async([self, weakDelegate, connection, picture = frame.videoPicture, time = frame.time, delivery = _delivery,
                     run = frame.run] {
        auto listener = weakDelegate.lock();
        if (listener && delivery->run == run) {
            if (auto converted = delivery->pictureInFormat(picture))
                listener->captureOutput(*self, SampleBuffer::createForImageBuffer(converted, time), *connection);
        }
        --delivery->pending;
    });
}

}  // namespace plat
