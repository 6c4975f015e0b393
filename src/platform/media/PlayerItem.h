#pragma once
#include <memory>
#include <vector>

#include "platform/media/AssetForward.h"
#include "platform/media/MediaTime.h"

namespace plat {
class AudioMix;
class Player;
class PlayerItemVideoOutput;

// Posted on the main queue, with the item as object, when its player has
// played it to its end; the other when it could not go on.
inline constexpr const char* kPlayerItemDidPlayToEndTimeNotification = "AVPlayerItemDidPlayToEndTimeNotification";
inline constexpr const char* kPlayerItemFailedToPlayToEndTimeNotification
    = "AVPlayerItemFailedToPlayToEndTimeNotification";

// What a player plays: an asset (a file or a composition) with the volumes
// of an audio mix, and outputs that pull its pictures. Main queue.
class PlayerItem : public std::enable_shared_from_this<PlayerItem> {
public:
    static std::shared_ptr<PlayerItem> playerItemWithAsset(std::shared_ptr<const Asset> asset);

    const std::shared_ptr<const Asset>& asset() const { return _asset; }
    MediaTime duration() const;
    // Taken into account from the next start or seek of the player.
    std::shared_ptr<const AudioMix> audioMix() const { return _audioMix; }
    void setAudioMix(std::shared_ptr<const AudioMix> audioMix) { _audioMix = std::move(audioMix); }

    // Where its player is in it; zero before a player has it.
    MediaTime currentTime() const;
    // The player's rate; 0 without a player.
    float playbackRate() const;

    const std::vector<std::shared_ptr<PlayerItemVideoOutput>>& outputs() const { return _outputs; }
    // An output is on one item at a time.
    void addOutput(const std::shared_ptr<PlayerItemVideoOutput>& output);
    void removeOutput(const std::shared_ptr<PlayerItemVideoOutput>& output);

    explicit PlayerItem(std::shared_ptr<const Asset> asset);
    ~PlayerItem();

private:
    friend class Player;
    std::shared_ptr<const Asset> _asset;
    std::shared_ptr<const AudioMix> _audioMix;
    std::weak_ptr<Player> _player;
    std::vector<std::shared_ptr<PlayerItemVideoOutput>> _outputs;
};

}  // namespace plat
