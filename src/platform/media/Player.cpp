#include "platform/media/Player.h"

#include <algorithm>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/media/Asset.h"
#include "platform/media/AudioMix.h"
#include "platform/media/AudioMixRenderer.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/PlaybackStream.h"
#include "platform/media/PlayerItem.h"
#include "platform/media/SoundSource.h"

namespace plat {

namespace {

// The item's audio tracks mixed with its volumes, from a time to the item's end.
class MixSoundSource final : public detail::SoundSource {
public:
    MixSoundSource(const PlayerItem& item, const MediaTime& from)
    {
        std::vector<detail::AudioMixRenderer::Track> tracks;
        auto mix = item.audioMix();
        auto audioTracks = item.asset() ? item.asset()->tracksWithMediaType(kMediaTypeAudio)
                                        : std::vector<std::shared_ptr<AssetTrack>>();
        for (const auto& track : audioTracks) {
            detail::AudioMixRenderer::Track mixed;
            mixed.segments = track->segments();
            if (mix)
                mixed.volumes = mix->volumePointsForTrackID(track->trackID());
            tracks.push_back(std::move(mixed));
        }
        _renderer = std::make_unique<detail::AudioMixRenderer>(
            std::move(tracks), AudioOutput::kSampleRate, AudioOutput::kChannels, from, item.duration());
    }

    Result<int64_t> read(float* destination, int64_t frames) override
    {
        return _renderer->renderNext(destination, frames);
    }

private:
    std::unique_ptr<detail::AudioMixRenderer> _renderer;
};

}  // namespace

Player::Player(Passkey, std::shared_ptr<PlayerItem> item)
    : _item(std::move(item))
{
    std::shared_ptr<const PlayerItem> played = _item;
    _stream = std::make_shared<detail::PlaybackStream>(
        [played](const MediaTime& from) -> Result<std::unique_ptr<detail::SoundSource>> {
            return std::unique_ptr<detail::SoundSource>(std::make_unique<MixSoundSource>(*played, from));
        },
        _item->duration());
}

std::shared_ptr<Player> Player::playerWithPlayerItem(std::shared_ptr<PlayerItem> item)
{
    if (!item)
        item = PlayerItem::playerItemWithAsset(nullptr);
    auto player = std::make_shared<Player>(Passkey(), std::move(item));
    player->_item->_player = player;
    std::weak_ptr<Player> weakPlayer = player;
    player->_stream->setEndHandler([weakPlayer](const std::optional<Error>& failure) {
        if (auto self = weakPlayer.lock())
            self->didEnd(failure.has_value());
    });
    return player;
}

Player::~Player()
{
    if (_rate == 0)
        return;
    if (isMainThread()) {
        AudioOutput::shared().detach(*_stream);
    } else {
        DispatchQueue::mainQueue().async([stream = _stream] { AudioOutput::shared().detach(*stream); });
    }
}

void Player::setRate(float rate)
{
    assertOnQueue(DispatchQueue::mainQueue());
    if (!(rate > 0)) {
        // Negative rates would play backwards, which a sound-only player does not do: they pause too.
        if (_rate != 0)
            AudioOutput::shared().detach(*_stream);
        _rate = 0;
        return;
    }
    AudioOutput::shared().catchUp();
    _stream->setRate(rate);
    _stream->setVolume(_volume);
    _rate = _stream->rate();
    AudioOutput::shared().attach(_stream);
}

MediaTime Player::currentTime() const
{
    AudioOutput::shared().catchUp();
    return _stream->currentTime();
}

void Player::seekToTime(const MediaTime& time)
{
    AudioOutput::shared().catchUp();
    _stream->seek(time);
}

void Player::setVolume(float volume)
{
    _volume = std::clamp(volume, 0.0f, 1.0f);
    AudioOutput::shared().catchUp();
    _stream->setVolume(_volume);
}

void Player::didEnd(bool failed)
{
    // Paused after the end was posted, or playing again since.
    if (_rate == 0 || AudioOutput::shared().isAttached(*_stream))
        return;
    auto self = shared_from_this();
    _rate = 0;
    NotificationCenter::defaultCenter().post(
        failed ? kPlayerItemFailedToPlayToEndTimeNotification : kPlayerItemDidPlayToEndTimeNotification, _item.get());
}

}  // namespace plat
