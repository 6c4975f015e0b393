#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/foundation/Result.h"
#include "platform/media/MicrophoneFolder.h"

namespace plat {
class CaptureAudioDataOutput;
class CaptureSession;
class DispatchQueue;
}  // namespace plat

namespace plat::detail {

class MicrophoneInput;

// What one run of a session's microphone works with, fixed when it starts.
struct CaptureAudioEngineSetup {
    MicrophoneDescription microphone;
    std::vector<std::shared_ptr<CaptureAudioDataOutput>> outputs;
    uint64_t run = 0;
    std::weak_ptr<CaptureSession> session;
};

// The running part of a session's microphone: takes its sound in buffers of
// kFramesPerBuffer frames and hands them to the audio outputs, times counted
// from the run's start as the camera's are. A virtual microphone makes
// buffer n at start + (n + 1) buffer lengths on plat::Clock, on a serial
// queue whose ticks are scheduled a second ahead; a real one is read on a
// thread of its own. Nothing here waits for the main thread. Start and stop
// on the main thread.
class CaptureAudioEngine : public std::enable_shared_from_this<CaptureAudioEngine> {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    static constexpr int64_t kFramesPerBuffer = 1024;
    // The device's microphone hears one channel at 44.1 kHz, as the phone's does.
    static constexpr int kSampleRate = 44100;
    static constexpr int kChannels = 1;

    static Result<std::shared_ptr<CaptureAudioEngine>> start(CaptureAudioEngineSetup setup);
    CaptureAudioEngine(Passkey, CaptureAudioEngineSetup setup, std::unique_ptr<MicrophoneInput> reader);
    ~CaptureAudioEngine();
    CaptureAudioEngine(const CaptureAudioEngine&) = delete;
    CaptureAudioEngine& operator=(const CaptureAudioEngine&) = delete;

    // Returns once no more sound will be taken.
    void stop();

private:
    void begin();
    void scheduleTicksThrough(int64_t lastTick);
    void tick(int64_t index);
    void readLive();
    void deliver(std::vector<int16_t> samples, int64_t firstFrame);
    void fail(const Error& error);

    CaptureAudioEngineSetup _setup;
    // Up to frames frames of 16-bit sound (exactly that many from a virtual microphone).
    Result<std::vector<int16_t>> read(int64_t frames);

    std::unique_ptr<MicrophoneInput> _reader;  // on the queue or thread only
    std::vector<float> _heard;  // on the queue or thread only
    std::shared_ptr<DispatchQueue> _queue;
    std::thread _liveThread;
    std::atomic<bool> _stopped {false};
    std::mutex _wakeLock;
    std::condition_variable _wake;
    double _startUptime = 0;
    int64_t _nextTickToSchedule = 0;
    int64_t _nextBuffer = 0;
};

}  // namespace plat::detail
