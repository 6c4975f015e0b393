#include "platform/media/AudioOutput.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Timer.h"
#include "platform/media/AudioSession.h"
#include "platform/media/PlaybackStream.h"
#include "platform/media/SoundDevice.h"

namespace plat {

namespace {

constexpr int64_t kFramesPerStep = 4096;

// The sound device keeps its own time: the real one, whatever clock the app runs on.
double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

AudioOutput::AudioOutput() = default;
AudioOutput::~AudioOutput() = default;

AudioOutput& AudioOutput::shared()
{
    // Never destroyed, like the run loop: players that end while the process
    // exits (a movie still playing when the app quits) detach from it after
    // the statics have gone. The sound device is closed by its scope before.
    static AudioOutput* output = new AudioOutput();
    return *output;
}

void AudioOutput::attach(const std::shared_ptr<detail::PlaybackStream>& stream)
{
    assertOnQueue(DispatchQueue::mainQueue());
    // Sound due before this moment belongs to the streams already playing.
    catchUp();
    bool hasDevice;
    {
        std::lock_guard lock(_lock);
        if (std::find(_streams.begin(), _streams.end(), stream) == _streams.end())
            _streams.push_back(stream);
        hasDevice = _hasDevice;
    }
    if (!hasDevice)
        startSilentPacing();
}

void AudioOutput::detach(const detail::PlaybackStream& stream)
{
    assertOnQueue(DispatchQueue::mainQueue());
    catchUp();
    std::shared_ptr<detail::PlaybackStream> removed;  // released outside the lock
    {
        std::lock_guard lock(_lock);
        auto found = std::find_if(
            _streams.begin(), _streams.end(), [&](const auto& attached) { return attached.get() == &stream; });
        if (found != _streams.end()) {
            removed = std::move(*found);
            _streams.erase(found);
        }
    }
    stopSilentPacingIfIdle();
}

bool AudioOutput::isAttached(const detail::PlaybackStream& stream) const
{
    std::lock_guard lock(_lock);
    return std::any_of(
        _streams.begin(), _streams.end(), [&](const auto& attached) { return attached.get() == &stream; });
}

bool AudioOutput::playsToSoundDevice() const
{
    std::lock_guard lock(_lock);
    return _hasDevice;
}

void AudioOutput::setMonitor(Monitor monitor)
{
    std::lock_guard lock(_lock);
    _monitor = std::move(monitor);
}

void AudioOutput::render(float* destination, int64_t frames)
{
    renderBlock(destination, frames, -1);
}

void AudioOutput::renderDeviceBlock(float* destination, int64_t frames)
{
    int64_t firstFrame;
    {
        std::lock_guard lock(_lock);
        const double now = steadySeconds();
        const auto played = static_cast<int64_t>(std::llround((now - _deviceTakeSeconds) * kSampleRate));
        _deviceFramesHeldAtTake = std::max<int64_t>(_deviceFramesHeldAtTake - played, 0) + frames;
        _deviceTakeSeconds = now;
        firstFrame = _deviceFramesTaken;
        _deviceFramesTaken += frames;
    }
    renderBlock(destination, frames, firstFrame);
}

int64_t AudioOutput::deviceFramesHeard() const
{
    std::lock_guard lock(_lock);
    if (!_hasDevice)
        return -1;
    const auto played = static_cast<int64_t>(std::llround((steadySeconds() - _deviceTakeSeconds) * kSampleRate));
    return _deviceFramesTaken - std::max<int64_t>(_deviceFramesHeldAtTake - played, 0);
}

void AudioOutput::renderBlock(float* destination, int64_t frames, int64_t deviceFrame)
{
    std::vector<std::shared_ptr<detail::PlaybackStream>> streams;
    {
        std::lock_guard lock(_lock);
        streams = _streams;
    }
    std::fill(destination, destination + frames * kChannels, 0.0f);
    std::vector<std::shared_ptr<detail::PlaybackStream>> ended;
    for (const auto& stream : streams) {
        if (stream->renderAdding(destination, frames, deviceFrame) == detail::PlaybackStream::State::Ended)
            ended.push_back(stream);
    }
    if (AudioSession::sharedInstance().silencesPlayback())
        std::fill(destination, destination + frames * kChannels, 0.0f);
    Monitor monitor;
    {
        std::lock_guard lock(_lock);
        for (const auto& stream : ended)
            std::erase(_streams, stream);
        monitor = _monitor;
    }
    if (monitor)
        monitor(destination, frames);
    for (const auto& stream : ended)
        stream->postEnd();
}

void AudioOutput::catchUp()
{
    if (!isMainThread())
        return;
    {
        std::lock_guard lock(_lock);
        if (_hasDevice || _streams.empty())
            return;
    }
    auto clock = Clock::currentShared();
    double now = clock->uptimeSeconds();
    if (_pacingClock.lock() != clock || now < _pacingOrigin) {
        // A new clock (another test) or none yet: count from here.
        _pacingClock = clock;
        _pacingOrigin = now;
        _framesPlayed = 0;
        return;
    }
    auto due = static_cast<int64_t>(std::llround((now - _pacingOrigin) * kSampleRate));
    while (_framesPlayed < due) {
        int64_t frames = std::min(due - _framesPlayed, kFramesPerStep);
        _silentBuffer.resize(static_cast<size_t>(frames) * kChannels);
        render(_silentBuffer.data(), frames);
        _framesPlayed += frames;
    }
    stopSilentPacingIfIdle();
}

void AudioOutput::startSilentPacing()
{
    if (_tick && _tick->isValid())
        return;
    auto clock = Clock::currentShared();
    _pacingClock = clock;
    _pacingOrigin = clock->uptimeSeconds();
    _framesPlayed = 0;
    // The output lives as long as the process, so the timer may hold it plainly.
    _tick = Timer::scheduledTimerWithTimeInterval(
        kSilentStepSeconds, [this] { catchUp(); }, /*repeats=*/true);
}

void AudioOutput::stopSilentPacingIfIdle()
{
    {
        std::lock_guard lock(_lock);
        if (!_streams.empty() && !_hasDevice)
            return;
    }
    if (_tick) {
        _tick->invalidate();
        _tick.reset();
    }
}

void AudioOutput::useDevice(std::unique_ptr<detail::SoundDevice> device)
{
    assertOnQueue(DispatchQueue::mainQueue());
    catchUp();
    // The old device stops pulling before the new one starts.
    std::unique_ptr<detail::SoundDevice> old = std::move(_device);
    {
        std::lock_guard lock(_lock);
        _hasDevice = false;
    }
    old.reset();
    _device = std::move(device);
    if (_device) {
        std::lock_guard lock(_lock);
        _hasDevice = true;
        // The count goes on from the last device's, so no stream's frames seem to lie ahead in this one.
        _deviceFramesHeldAtTake = 0;
    }
    stopSilentPacingIfIdle();
    if (!_device) {
        bool idle;
        {
            std::lock_guard lock(_lock);
            idle = _streams.empty();
        }
        if (!idle)
            startSilentPacing();
    } else {
        _device->start();
    }
}

SystemAudioOutputScope::SystemAudioOutputScope()
{
    auto device = detail::SoundDevice::open(AudioOutput::shared());
    if (!device.ok()) {
        plat::log("media: sound stays silent: {}", device.error().localizedDescription());
        return;
    }
    AudioOutput::shared().useDevice(std::move(device).value());
}

SystemAudioOutputScope::~SystemAudioOutputScope()
{
    AudioOutput::shared().useDevice(nullptr);
}

}  // namespace plat
