#include "platform/media/AudioPlayer.h"

#include <algorithm>

#include "platform/foundation/DispatchQueue.h"
#include "platform/media/Asset.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/PlaybackStream.h"
#include "platform/media/SoundSource.h"

namespace plat {

namespace {

constexpr float kSlowestRate = 0.5f;
constexpr float kFastestRate = 2.0f;

Error unplayable(const URL& url, const std::string& why)
{
    return Error(kOSStatusErrorDomain, kAudioFileUnsupportedFileTypeError,
        "cannot play " + url.absoluteString() + ": " + why, {{kFilePathErrorKey, url.path()}});
}

}  // namespace

AudioPlayer::AudioPlayer(Passkey, URL url, std::shared_ptr<detail::PlaybackStream> stream)
    : _url(std::move(url))
    , _stream(std::move(stream))
{
}

Result<std::shared_ptr<AudioPlayer>> AudioPlayer::initWithContentsOfURL(const URL& url)
{
    auto asset = URLAsset::URLAssetWithURL(url);
    if (asset->error())
        return unplayable(url, asset->error()->localizedDescription());
    auto tracks = asset->tracksWithMediaType(kMediaTypeAudio);
    if (tracks.empty() || tracks.front()->segments().empty())
        return unplayable(url, "no sound in the file");
    const TrackSegment& segment = tracks.front()->segments().front();
    std::string path = *segment.sourcePath;
    int streamIndex = segment.streamIndex;
    // A file whose sound cannot be decoded fails here, as the platform's does.
    auto probe = detail::openFileSoundSource(path, streamIndex, MediaTime::zero());
    if (!probe.ok())
        return unplayable(url, probe.error().localizedDescription());
    auto stream = std::make_shared<detail::PlaybackStream>(
        [path, streamIndex](const MediaTime& from) { return detail::openFileSoundSource(path, streamIndex, from); },
        tracks.front()->timeRange().duration);
    auto player = std::make_shared<AudioPlayer>(Passkey(), url, std::move(stream));
    std::weak_ptr<AudioPlayer> weakPlayer = player;
    player->_stream->setEndHandler([weakPlayer](const std::optional<Error>& failure) {
        if (auto self = weakPlayer.lock())
            self->didEnd(failure);
    });
    return player;
}

AudioPlayer::~AudioPlayer()
{
    if (!_playing)
        return;
    if (isMainThread()) {
        AudioOutput::shared().detach(*_stream);
    } else {
        DispatchQueue::mainQueue().async([stream = _stream] { AudioOutput::shared().detach(*stream); });
    }
}

double AudioPlayer::duration() const
{
    return _stream->duration().seconds();
}

bool AudioPlayer::prepareToPlay()
{
    return true;
}

float AudioPlayer::effectiveRate() const
{
    return _enableRate ? _rate : 1.0f;
}

bool AudioPlayer::play()
{
    assertOnQueue(DispatchQueue::mainQueue());
    if (_playing)
        return true;
    _stream->setRate(effectiveRate());
    _stream->setVolume(_volume);
    _stream->setNumberOfLoops(_numberOfLoops);
    _playing = true;
    AudioOutput::shared().attach(_stream);
    return true;
}

void AudioPlayer::pause()
{
    assertOnQueue(DispatchQueue::mainQueue());
    if (!_playing)
        return;
    _playing = false;
    AudioOutput::shared().detach(*_stream);
}

void AudioPlayer::stop()
{
    pause();
}

double AudioPlayer::currentTime() const
{
    AudioOutput::shared().catchUp();
    return _stream->currentTime().seconds();
}

void AudioPlayer::setCurrentTime(double seconds)
{
    AudioOutput::shared().catchUp();
    _stream->seek(MediaTime::makeWithSeconds(std::max(seconds, 0.0), 1000000000));
}

void AudioPlayer::setVolume(float volume)
{
    _volume = std::clamp(volume, 0.0f, 1.0f);
    AudioOutput::shared().catchUp();
    _stream->setVolume(_volume);
}

void AudioPlayer::setRate(float rate)
{
    _rate = std::clamp(rate, kSlowestRate, kFastestRate);
    if (_playing) {
        AudioOutput::shared().catchUp();
        _stream->setRate(effectiveRate());
    }
}

void AudioPlayer::setNumberOfLoops(int64_t loops)
{
    _numberOfLoops = loops;
    if (_playing) {
        AudioOutput::shared().catchUp();
        _stream->setNumberOfLoops(loops);
    }
}

void AudioPlayer::didEnd(const std::optional<Error>& failure)
{
    // Paused after the end was posted, or playing again since.
    if (!_playing || AudioOutput::shared().isAttached(*_stream))
        return;
    auto self = shared_from_this();
    _playing = false;
    // A finished player starts from the beginning next time.
    _stream->seek(MediaTime::zero());
    auto delegate = _delegate.lock();
    if (!delegate)
        return;
    if (failure)
        delegate->audioPlayerDecodeErrorDidOccur(*this, *failure);
    delegate->audioPlayerDidFinishPlaying(*this, /*successfully=*/!failure);
}

}  // namespace plat
