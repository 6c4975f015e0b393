#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/foundation/Value.h"
#include "platform/media/MediaTime.h"
#include "platform/media/capture/CaptureOutput.h"

namespace plat {

class DispatchQueue;
class SampleBuffer;

// The pixel format key of video settings, as the platform names it.
inline constexpr const char* kCVPixelBufferPixelFormatTypeKey = "PixelFormatType";

// Hears of each picture of a video data output, on the output's queue.
class CaptureVideoDataOutputSampleBufferDelegate {
public:
    virtual ~CaptureVideoDataOutputSampleBufferDelegate() = default;
    // captureOutput:didOutputSampleBuffer:fromConnection:
    virtual void captureOutput(
        CaptureOutput& output, const std::shared_ptr<const SampleBuffer>& sampleBuffer, CaptureConnection& connection);
    // captureOutput:didDropSampleBuffer:fromConnection: a picture that came
    // while the delegate was still busy; its buffer carries only the time.
    virtual void captureOutputDidDropSampleBuffer(
        CaptureOutput& output, const std::shared_ptr<const SampleBuffer>& sampleBuffer, CaptureConnection& connection);
};

// Hands the session's pictures, as pixel buffers at most 1920 x 1080 of the
// format the video settings ask for (32BGRA by default; 420v or 420f, made
// from the camera's BGRA with the BT.601 matrix), one at a time and in order to its delegate on a serial queue. With
// alwaysDiscardsLateVideoFrames (the default) a picture that comes while the
// delegate is still busy with the previous one is dropped and reported as
// dropped; otherwise a few wait. The delegate is not kept alive. Configure
// on the main thread.
class CaptureVideoDataOutput : public CaptureOutput {
public:
    // Pictures that wait for a busy delegate when late ones are kept.
    static constexpr int kMaxWaitingPictures = 4;

    CaptureVideoDataOutput();
    ~CaptureVideoDataOutput() override;

    void setSampleBufferDelegate(
        std::weak_ptr<CaptureVideoDataOutputSampleBufferDelegate> delegate, std::shared_ptr<DispatchQueue> queue);
    std::shared_ptr<CaptureVideoDataOutputSampleBufferDelegate> sampleBufferDelegate() const;
    std::shared_ptr<DispatchQueue> sampleBufferCallbackQueue() const;

    bool alwaysDiscardsLateVideoFrames() const { return _discardsLate.load(); }
    void setAlwaysDiscardsLateVideoFrames(bool discards) { _discardsLate = discards; }

    // {kCVPixelBufferPixelFormatTypeKey: the format}, 32BGRA unless set.
    const Dictionary& videoSettings() const { return _videoSettings; }
    // False (and unchanged) for settings asking for a format not offered.
    bool setVideoSettings(const Dictionary& settings);
    std::vector<uint32_t> availableVideoCVPixelFormatTypes() const;

private:
    struct Delivery;
    bool supportsVideoOrientation() const override { return false; }
    bool supportsFrameDurations() const override { return true; }
    void sessionDidStartRunning(uint64_t run) override;
    void receiveFrame(const detail::CapturedFrame& frame) override;
    void sessionDidStopRunning() override;

    mutable std::mutex _lock;
    std::weak_ptr<CaptureVideoDataOutputSampleBufferDelegate> _delegate;  // guarded by _lock
    std::shared_ptr<DispatchQueue> _queue;  // guarded by _lock
    std::shared_ptr<CaptureConnection> _runConnection;  // guarded by _lock
    std::atomic<bool> _discardsLate {true};
    Dictionary _videoSettings;
    // Shared with the blocks on the delegate's queue, which may outlive us.
    std::shared_ptr<Delivery> _delivery;
    MediaTime _lastDelivered = MediaTime::invalid();  // the session's thread
};

}  // namespace plat
