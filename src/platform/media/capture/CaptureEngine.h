#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/foundation/Result.h"
#include "platform/media/capture/CaptureDeviceFolder.h"
#include "platform/media/capture/CapturedFrame.h"

namespace plat {
class CaptureOutput;
class CaptureSession;
class CaptureVideoPreviewLayer;
class DispatchQueue;
}  // namespace plat

namespace plat::detail {

class CaptureFrameReader;
class PictureScaler;

// What one run of a session works with, fixed when it starts.
struct CaptureEngineSetup {
    CaptureDeviceDescription camera;
    int width = 0;  // the session preset's picture
    int height = 0;
    std::vector<std::shared_ptr<CaptureOutput>> outputs;
    std::vector<std::weak_ptr<CaptureVideoPreviewLayer>> previewLayers;
    uint64_t run = 0;
    std::weak_ptr<CaptureSession> session;
    std::shared_ptr<std::atomic<uint64_t>> capturedPictures;
};

// The running part of a capture session: takes the camera's pictures and
// hands them to the outputs and (through the main queue, the newest only)
// to the preview layers. A virtual camera makes picture n at
// start + (n + 1) / frame rate on plat::Clock, on a serial queue whose
// ticks are scheduled a second ahead, so that a manual clock moved by a
// second sees every picture of that second, in order; a real camera is
// read on a thread of its own at its own pace. Nothing here ever waits for the main
// thread. Start and stop on the main thread.
class CaptureEngine : public std::enable_shared_from_this<CaptureEngine> {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    // The largest picture video outputs and previews get.
    static constexpr int kMaxVideoWidth = 1920;
    static constexpr int kMaxVideoHeight = 1080;
    // A tick this late (in seconds) is skipped instead of making a picture
    // the camera could not have made in time any more.
    static constexpr double kMaxLatenessSeconds = 1.0;

    static Result<std::shared_ptr<CaptureEngine>> start(CaptureEngineSetup setup);
    CaptureEngine(Passkey, CaptureEngineSetup setup, std::unique_ptr<CaptureFrameReader> reader);
    ~CaptureEngine();
    CaptureEngine(const CaptureEngine&) = delete;
    CaptureEngine& operator=(const CaptureEngine&) = delete;

    // Returns once no more pictures will be taken.
    void stop();

private:
    struct PreviewSlot;
    void begin();
    void scheduleTicksThrough(int64_t lastTick);
    void tick(int64_t index);
    void readLive();
    void deliver(std::shared_ptr<PixelBuffer> picture, MediaTime time);
    void fail(const Error& error);

    CaptureEngineSetup _setup;
    std::unique_ptr<CaptureFrameReader> _reader;  // used on the camera's queue or thread only
    std::unique_ptr<PictureScaler> _videoScaler;  // likewise
    int _videoWidth = 0;
    int _videoHeight = 0;
    std::shared_ptr<DispatchQueue> _queue;
    std::thread _liveThread;
    std::atomic<bool> _stopped {false};
    std::mutex _wakeLock;
    std::condition_variable _wake;
    double _startUptime = 0;
    int64_t _nextTickToSchedule = 0;  // on the queue (the first second on the main thread, before any tick)
    int64_t _nextPicture = 0;  // on the queue
    std::shared_ptr<PreviewSlot> _preview;
};

}  // namespace plat::detail
