#include "platform/media/capture/CaptureVideoDataOutput.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/media/MediaConstants.h"
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

// What the blocks on the delegate's queue share with the output: the run
// they belong to and how many pictures are handed over and not yet done.
struct CaptureVideoDataOutput::Delivery {
    std::atomic<uint64_t> run {0};
    std::atomic<int> pending {0};
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
    if (format && *format != static_cast<int64_t>(kPixelFormatType_32BGRA))
        return false;
    _videoSettings = settings.copy();
    _videoSettings.set(kCVPixelBufferPixelFormatTypeKey, static_cast<int64_t>(kPixelFormatType_32BGRA));
    return true;
}

std::vector<uint32_t> CaptureVideoDataOutput::availableVideoCVPixelFormatTypes() const
{
    return {kPixelFormatType_32BGRA};
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
    auto sampleBuffer = SampleBuffer::createForImageBuffer(frame.videoPicture, frame.time);
    ++_delivery->pending;
    queue->async([self, weakDelegate, connection, sampleBuffer, delivery = _delivery, run = frame.run] {
        auto listener = weakDelegate.lock();
        if (listener && delivery->run == run)
            listener->captureOutput(*self, sampleBuffer, *connection);
        --delivery->pending;
    });
}

}  // namespace plat
