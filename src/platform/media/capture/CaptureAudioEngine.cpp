#include "platform/media/capture/CaptureAudioEngine.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Threads.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/MicrophoneInput.h"
#include "platform/media/SampleBuffer.h"
#include "platform/media/capture/CaptureAudioDataOutput.h"
#include "platform/media/capture/CaptureSession.h"

namespace plat::detail {

namespace {

// Ticks are handed over this much early: sums of intervals on a manual
// clock land a rounding error short of the exact moment.
constexpr double kTickToleranceSeconds = 1e-6;
// A tick this late is skipped: the microphone could not have heard it in time.
constexpr double kMaxLatenessSeconds = 1.0;
constexpr auto kLivePollInterval = std::chrono::milliseconds(5);

AudioStreamBasicDescription sixteenBit()
{
    const auto channels = static_cast<uint32_t>(CaptureAudioEngine::kChannels);
    return {double(CaptureAudioEngine::kSampleRate), kAudioFormatLinearPCM,
        kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsPacked, 2 * channels, 1, 2 * channels, channels, 16};
}

}  // namespace

Result<std::shared_ptr<CaptureAudioEngine>> CaptureAudioEngine::start(CaptureAudioEngineSetup setup)
{
    auto reader = MicrophoneInput::open(setup.microphone, kSampleRate, kChannels);
    if (!reader.ok())
        return reader.error();
    auto engine = std::make_shared<CaptureAudioEngine>(Passkey(), std::move(setup), std::move(reader).value());
    engine->begin();
    return engine;
}

CaptureAudioEngine::CaptureAudioEngine(Passkey, CaptureAudioEngineSetup setup, std::unique_ptr<MicrophoneInput> reader)
    : _setup(std::move(setup))
    , _reader(std::move(reader))
    , _queue(DispatchQueue::create("plat.media.capture-microphone"))
{
}

CaptureAudioEngine::~CaptureAudioEngine()
{
    _stopped = true;
    _wake.notify_all();
    if (_liveThread.joinable())
        _liveThread.join();
}

void CaptureAudioEngine::begin()
{
    _startUptime = Clock::current().uptimeSeconds();
    if (_reader->isLive()) {
        _liveThread = startThread("plat-microphone", [this] { readLive(); });
        return;
    }
    const int64_t buffersPerSecond = kSampleRate / kFramesPerBuffer + 1;
    scheduleTicksThrough(buffersPerSecond);
}

void CaptureAudioEngine::stop()
{
    _stopped = true;
    _wake.notify_all();
    if (_liveThread.joinable())
        _liveThread.join();
    else
        _queue->sync([] {});
}

void CaptureAudioEngine::scheduleTicksThrough(int64_t lastTick)
{
    const double bufferSeconds = double(kFramesPerBuffer) / kSampleRate;
    for (; _nextTickToSchedule <= lastTick; ++_nextTickToSchedule) {
        const int64_t index = _nextTickToSchedule;
        const double due = _startUptime + double(index + 1) * bufferSeconds;
        // At its moment: the clock may move on while a tick schedules the next.
        _queue->afterUptime(due - kTickToleranceSeconds, [weakSelf = weak_from_this(), index] {
            if (auto self = weakSelf.lock())
                self->tick(index);
        });
    }
}

void CaptureAudioEngine::tick(int64_t index)
{
    if (_stopped)
        return;
    const double bufferSeconds = double(kFramesPerBuffer) / kSampleRate;
    for (; _nextBuffer <= index && !_stopped; ++_nextBuffer) {
        const double due = _startUptime + double(_nextBuffer + 1) * bufferSeconds;
        if (Clock::current().uptimeSeconds() - due > kMaxLatenessSeconds)
            continue;
        auto samples = read(kFramesPerBuffer);
        if (!samples.ok()) {
            fail(samples.error());
            return;
        }
        deliver(std::move(samples).value(), _nextBuffer * kFramesPerBuffer);
    }
    scheduleTicksThrough(index + kSampleRate / kFramesPerBuffer + 1);
}

void CaptureAudioEngine::readLive()
{
    // Times of a real input follow the samples heard since the start.
    int64_t framesHeard = 0;
    while (!_stopped) {
        auto samples = read(kFramesPerBuffer);
        if (!samples.ok()) {
            fail(samples.error());
            return;
        }
        const auto frames = static_cast<int64_t>(samples.value().size()) / kChannels;
        if (frames > 0) {
            deliver(std::move(samples).value(), framesHeard);
            framesHeard += frames;
            continue;
        }
        std::unique_lock lock(_wakeLock);
        _wake.wait_for(lock, kLivePollInterval, [&] { return _stopped.load(); });
    }
}

void CaptureAudioEngine::deliver(std::vector<int16_t> samples, int64_t firstFrame)
{
    const int64_t frames = static_cast<int64_t>(samples.size()) / kChannels;
    if (frames <= 0)
        return;
    Data bytes(samples.size() * sizeof(int16_t));
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    auto sound = SampleBuffer::createLinearPCM(
        sixteenBit(), MediaTime::make(firstFrame, kSampleRate), frames, std::move(bytes));
    if (!sound)
        return;
    for (const auto& output : _setup.outputs)
        output->receiveSound(sound, _setup.run);
}

Result<std::vector<int16_t>> CaptureAudioEngine::read(int64_t frames)
{
    _heard.resize(static_cast<size_t>(frames * kChannels));
    auto read = _reader->read(_heard.data(), frames);
    if (!read.ok())
        return read.error();
    std::vector<int16_t> samples(static_cast<size_t>(read.value() * kChannels));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(std::lrint(std::clamp(_heard[i], -1.0f, 1.0f) * 32767.0f));
    return samples;
}

void CaptureAudioEngine::fail(const Error& error)
{
    // The pictures go on: a session loses its sound, not its camera.
    log("capture session: the microphone stopped: {}", error.localizedDescription());
    _stopped = true;
}

}  // namespace plat::detail
