#include "platform/media/capture/CaptureAudioDataOutput.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/SampleBuffer.h"

namespace plat {

void CaptureAudioDataOutputSampleBufferDelegate::captureOutput(
    CaptureOutput&, const std::shared_ptr<const SampleBuffer>&, CaptureConnection&)
{
}

// What the blocks on the delegate's queue share with the output: the run
// they belong to and how many buffers are handed over and not yet done.
struct CaptureAudioDataOutput::Delivery {
    std::atomic<uint64_t> run {0};
    std::atomic<int> pending {0};
    std::atomic<int64_t> dropped {0};
};

CaptureAudioDataOutput::CaptureAudioDataOutput()
    : _delivery(std::make_shared<Delivery>())
{
}

CaptureAudioDataOutput::~CaptureAudioDataOutput() = default;

std::string_view CaptureAudioDataOutput::connectionMediaType() const
{
    return kMediaTypeAudio;
}

void CaptureAudioDataOutput::setSampleBufferDelegate(
    std::weak_ptr<CaptureAudioDataOutputSampleBufferDelegate> delegate, std::shared_ptr<DispatchQueue> queue)
{
    std::lock_guard lock(_lock);
    _delegate = std::move(delegate);
    _queue = std::move(queue);
}

std::shared_ptr<CaptureAudioDataOutputSampleBufferDelegate> CaptureAudioDataOutput::sampleBufferDelegate() const
{
    std::lock_guard lock(_lock);
    return _delegate.lock();
}

std::shared_ptr<DispatchQueue> CaptureAudioDataOutput::sampleBufferCallbackQueue() const
{
    std::lock_guard lock(_lock);
    return _queue;
}

void CaptureAudioDataOutput::sessionDidStartRunning(uint64_t run)
{
    std::lock_guard lock(_lock);
    _runConnection = connectionWithMediaType(kMediaTypeAudio);
    _delivery->run = run;
}

void CaptureAudioDataOutput::sessionDidStopRunning()
{
    _delivery->run = 0;
    if (const int64_t dropped = _delivery->dropped.exchange(0))
        log("audio data output: {} buffers of sound dropped behind a busy delegate", dropped);
}

void CaptureAudioDataOutput::receiveSound(const std::shared_ptr<const SampleBuffer>& sound, uint64_t run)
{
    std::weak_ptr<CaptureAudioDataOutputSampleBufferDelegate> weakDelegate;
    std::shared_ptr<DispatchQueue> queue;
    std::shared_ptr<CaptureConnection> connection;
    {
        std::lock_guard lock(_lock);
        weakDelegate = _delegate;
        queue = _queue;
        connection = _runConnection;
    }
    if (weakDelegate.expired() || !queue || !connection || _delivery->run != run)
        return;
    if (_delivery->pending.load() >= kMaxWaitingBuffers) {
        ++_delivery->dropped;
        return;
    }
    auto self = std::static_pointer_cast<CaptureAudioDataOutput>(shared_from_this());
    ++_delivery->pending;
    queue->async([self, weakDelegate, connection, sound, delivery = _delivery, run] {
        auto listener = weakDelegate.lock();
        if (listener && delivery->run == run)
            listener->captureOutput(*self, sound, *connection);
        --delivery->pending;
    });
}

}  // namespace plat
