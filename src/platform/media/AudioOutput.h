#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace plat {
class Clock;
class Timer;
namespace detail {
class PlaybackStream;
class SoundDevice;
}  // namespace detail

// The machine's speaker as the players see it: it pulls the sound of every
// playing stream, mixed, at 44.1 kHz in two channels. While the desktop
// window runs (SystemAudioOutputScope) the sound goes to the machine's sound
// device, which pulls it on its own thread. Otherwise the output is silent
// and consumes the sound in step with the run-loop clock: every few
// milliseconds on the main run loop, and whenever a player asks where it is,
// so a test that advances the manual clock hears time pass exactly. Streams
// are attached and detached on the main thread.
//
// A sound device takes the sound ahead, a block at a time, and plays what it
// took at the sound's own pace, so what a player has rendered runs ahead of
// what the listener hears by what the device still holds. Players report
// where the listener is (the preview's pictures follow it).
class AudioOutput {
public:
    static constexpr int kSampleRate = 44100;
    static constexpr int kChannels = 2;
    // How often the silent output consumes sound on the main run loop.
    static constexpr double kSilentStepSeconds = 0.02;

    static AudioOutput& shared();

    // Starts playing the stream (from where it stands); attaching it twice changes nothing.
    void attach(const std::shared_ptr<detail::PlaybackStream>& stream);
    // Stops playing it at once; its end is not reported.
    void detach(const detail::PlaybackStream& stream);
    bool isAttached(const detail::PlaybackStream& stream) const;

    // On the silent output, plays what is due by the clock's now (main
    // thread); the sound device paces itself, so there it does nothing.
    void catchUp();
    bool playsToSoundDevice() const;

    // Hears every block the output plays, on the thread that plays it (level
    // meters, tests). Empty removes it.
    using Monitor = std::function<void(const float* samples, int64_t frames)>;
    void setMonitor(Monitor monitor);

    // Mixes the next frames of every attached stream into destination
    // (overwritten) and takes ended streams off. The thread that plays.
    void render(float* destination, int64_t frames);
    // The same for a block the sound device takes now, to play after what
    // it holds. The device's thread.
    void renderDeviceBlock(float* destination, int64_t frames);
    // Frames of sound the listener has heard from the sound device, counted
    // from the first it took (where the device's output is now); -1 on the
    // silent output. The device plays what it holds at 44.1 kHz, and
    // nothing while it holds nothing. Any thread.
    int64_t deviceFramesHeard() const;

    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

private:
    friend class SystemAudioOutputScope;
    AudioOutput();
    ~AudioOutput();

    void startSilentPacing();  // main thread
    void stopSilentPacingIfIdle();  // main thread
    void useDevice(std::unique_ptr<detail::SoundDevice> device);
    void renderBlock(float* destination, int64_t frames, int64_t deviceFrame);

    mutable std::mutex _lock;
    std::vector<std::shared_ptr<detail::PlaybackStream>> _streams;  // guarded by _lock
    Monitor _monitor;  // guarded by _lock
    bool _hasDevice = false;  // guarded by _lock
    // What the devices took, and what of it they still held at the last
    // take (seconds on the steady clock). Guarded by _lock.
    int64_t _deviceFramesTaken = 0;
    int64_t _deviceFramesHeldAtTake = 0;
    double _deviceTakeSeconds = 0;
    std::unique_ptr<detail::SoundDevice> _device;  // main thread

    // Silent pacing, main thread only.
    std::shared_ptr<Timer> _tick;
    std::weak_ptr<Clock> _pacingClock;
    double _pacingOrigin = 0;  // uptime of frame 0
    int64_t _framesPlayed = 0;
    std::vector<float> _silentBuffer;
};

// Sends the output to the machine's sound device (SDL audio) for the
// scope's lifetime: the app opens one while its desktop window runs. Where
// no device can be opened the output stays silent (and says so in the log).
// Main thread.
class SystemAudioOutputScope {
public:
    SystemAudioOutputScope();
    ~SystemAudioOutputScope();
    SystemAudioOutputScope(const SystemAudioOutputScope&) = delete;
    SystemAudioOutputScope& operator=(const SystemAudioOutputScope&) = delete;
};

}  // namespace plat
