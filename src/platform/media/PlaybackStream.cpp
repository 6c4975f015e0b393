#include "platform/media/PlaybackStream.h"

#include <algorithm>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/SoundSource.h"

namespace plat::detail {

namespace {

constexpr float kSlowestRate = 0.5f;
constexpr float kFastestRate = 2.0f;
// Positions are kept at the resolution of a seek.
constexpr int32_t kPositionTimescale = 1000000000;

}  // namespace

PlaybackStream::PlaybackStream(SourceFactory makeSource, MediaTime duration)
    : _makeSource(std::move(makeSource))
    , _duration(duration.isNumeric() && duration > MediaTime::zero() ? duration : MediaTime::zero())
{
}

PlaybackStream::~PlaybackStream() = default;

void PlaybackStream::setEndHandler(EndHandler handler)
{
    std::lock_guard lock(_lock);
    _endHandler = std::move(handler);
}

MediaTime PlaybackStream::currentTime() const
{
    // Asked before the stream's lock is taken: the output renders under its own.
    const int64_t heard = AudioOutput::shared().deviceFramesHeard();
    std::lock_guard lock(_lock);
    double seconds = static_cast<double>(framesHeardSinceBase(heard)) * _rate / AudioOutput::kSampleRate;
    MediaTime time = _base + MediaTime::makeWithSeconds(seconds, kPositionTimescale);
    return std::clamp(time, MediaTime::zero(), _duration);
}

void PlaybackStream::seek(const MediaTime& time)
{
    std::lock_guard lock(_lock);
    _base = time.isNumeric() ? std::clamp(time, MediaTime::zero(), _duration) : MediaTime::zero();
    _renderedSinceBase = 0;
    _source.reset();
    _ended = false;
    _failure.reset();
}

float PlaybackStream::rate() const
{
    std::lock_guard lock(_lock);
    return _rate;
}

void PlaybackStream::setRate(float rate)
{
    rate = std::clamp(rate, kSlowestRate, kFastestRate);
    const int64_t heard = AudioOutput::shared().deviceFramesHeard();
    std::lock_guard lock(_lock);
    if (rate == _rate)
        return;
    // The sound already made at the old rate is dropped: the new source starts where the listener is.
    foldElapsed(heard);
    _rate = rate;
    _source.reset();
}

void PlaybackStream::setVolume(float volume)
{
    std::lock_guard lock(_lock);
    _volume = std::max(volume, 0.0f);
}

void PlaybackStream::setNumberOfLoops(int64_t loops)
{
    std::lock_guard lock(_lock);
    _loopsLeft = loops;
}

int64_t PlaybackStream::framesHeardSinceBase(int64_t deviceFramesHeard) const
{
    // The stream's frames since its base lie just before _deviceFrameAfter
    // (since a seek or a loop only the new ones count).
    const int64_t ahead = deviceFramesHeard < 0 ? 0 : std::max<int64_t>(_deviceFrameAfter - deviceFramesHeard, 0);
    return _renderedSinceBase - std::min(ahead, _renderedSinceBase);
}

void PlaybackStream::foldElapsed(int64_t deviceFramesHeard)
{
    double seconds = static_cast<double>(framesHeardSinceBase(deviceFramesHeard)) * _rate / AudioOutput::kSampleRate;
    _base = std::min(_base + MediaTime::makeWithSeconds(seconds, kPositionTimescale), _duration);
    _renderedSinceBase = 0;
}

Result<void> PlaybackStream::openSource()
{
    auto made = _makeSource(_base);
    if (!made.ok())
        return made.error();
    std::unique_ptr<SoundSource> source = std::move(made).value();
    if (_rate != 1.0f) {
        auto tempo = TempoSource::make(std::move(source), _rate, AudioOutput::kSampleRate, AudioOutput::kChannels);
        if (!tempo.ok())
            return tempo.error();
        source = std::move(tempo).value();
    }
    _source = std::move(source);
    return {};
}

PlaybackStream::State PlaybackStream::renderAdding(float* mix, int64_t frames, int64_t deviceFrame)
{
    std::lock_guard lock(_lock);
    int64_t done = 0;
    while (done < frames && !_ended) {
        bool fresh = !_source;
        if (fresh) {
            auto opened = openSource();
            if (!opened.ok()) {
                _failure = opened.error();
                _ended = true;
                break;
            }
        }
        int64_t want = frames - done;
        _scratch.resize(static_cast<size_t>(want) * AudioOutput::kChannels);
        auto read = _source->read(_scratch.data(), want);
        if (!read.ok()) {
            _failure = read.error();
            _ended = true;
            break;
        }
        int64_t got = read.value();
        float* out = mix + done * AudioOutput::kChannels;
        size_t values = static_cast<size_t>(got) * AudioOutput::kChannels;
        for (size_t i = 0; i < values; ++i)
            out[i] += _scratch[i] * _volume;
        done += got;
        _renderedSinceBase += got;
        if (got < want) {
            // The media has ended: start again, or stay at the end.
            _source.reset();
            // A source with nothing at all to give is not looped: it would give nothing again.
            if (_loopsLeft != 0 && _duration > MediaTime::zero() && !(fresh && got == 0)) {
                if (_loopsLeft > 0)
                    --_loopsLeft;
                _base = MediaTime::zero();
                _renderedSinceBase = 0;
            } else {
                _base = _duration;
                _renderedSinceBase = 0;
                _ended = true;
            }
        }
    }
    _deviceFrameAfter = deviceFrame < 0 ? -1 : deviceFrame + done;
    return _ended ? State::Ended : State::Playing;
}

void PlaybackStream::postEnd()
{
    EndHandler handler;
    std::optional<Error> failure;
    {
        std::lock_guard lock(_lock);
        handler = _endHandler;
        failure = _failure;
    }
    if (failure)
        plat::log("media: playback stopped: {}", failure->localizedDescription());
    if (!handler)
        return;
    DispatchQueue::mainQueue().async(
        [handler = std::move(handler), failure = std::move(failure)] { handler(failure); });
}

}  // namespace plat::detail
