#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/media/capture/CaptureOutput.h"

namespace plat {

class DispatchQueue;
class SampleBuffer;
namespace detail {
class CaptureAudioEngine;
}

// Hears of each stretch of sound of an audio data output, on the output's queue.
class CaptureAudioDataOutputSampleBufferDelegate {
public:
    virtual ~CaptureAudioDataOutputSampleBufferDelegate() = default;
    // captureOutput:didOutputSampleBuffer:fromConnection:
    virtual void captureOutput(
        CaptureOutput& output, const std::shared_ptr<const SampleBuffer>& sampleBuffer, CaptureConnection& connection);
};

// Hands the session's microphone sound, as interleaved 16-bit linear PCM
// buffers at the microphone's rate with their times (on the same time line
// as the camera's pictures), in order to its delegate on a serial queue. A
// delegate that falls more than a few seconds behind loses the oldest
// sound, with a log line. The delegate is not kept alive. Configure on the
// main thread.
class CaptureAudioDataOutput : public CaptureOutput {
public:
    // Buffers that may wait for a busy delegate.
    static constexpr int kMaxWaitingBuffers = 256;

    CaptureAudioDataOutput();
    ~CaptureAudioDataOutput() override;

    void setSampleBufferDelegate(
        std::weak_ptr<CaptureAudioDataOutputSampleBufferDelegate> delegate, std::shared_ptr<DispatchQueue> queue);
    std::shared_ptr<CaptureAudioDataOutputSampleBufferDelegate> sampleBufferDelegate() const;
    std::shared_ptr<DispatchQueue> sampleBufferCallbackQueue() const;

private:
    friend class detail::CaptureAudioEngine;
    struct Delivery;
    std::string_view connectionMediaType() const override;
    bool supportsVideoOrientation() const override { return false; }
    void sessionDidStartRunning(uint64_t run) override;
    void receiveFrame(const detail::CapturedFrame&) override { }
    void sessionDidStopRunning() override;
    // The microphone engine's thread.
    void receiveSound(const std::shared_ptr<const SampleBuffer>& sound, uint64_t run);

    mutable std::mutex _lock;
    std::weak_ptr<CaptureAudioDataOutputSampleBufferDelegate> _delegate;  // guarded by _lock
    std::shared_ptr<DispatchQueue> _queue;  // guarded by _lock
    std::shared_ptr<CaptureConnection> _runConnection;  // guarded by _lock
    std::shared_ptr<Delivery> _delivery;
};

}  // namespace plat
