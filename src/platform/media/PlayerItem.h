#pragma once
#include <memory>

#include "platform/media/AssetForward.h"
#include "platform/media/MediaTime.h"

namespace plat {
class AudioMix;
class Player;

// Posted on the main queue, with the item as object, when its player has
// played it to its end; the other when it could not go on.
inline constexpr const char* kPlayerItemDidPlayToEndTimeNotification = "AVPlayerItemDidPlayToEndTimeNotification";
inline constexpr const char* kPlayerItemFailedToPlayToEndTimeNotification
    = "AVPlayerItemFailedToPlayToEndTimeNotification";

// What a player plays: an asset (a file or a composition) with the volumes
// of an audio mix. Main queue.
class PlayerItem {
public:
    static std::shared_ptr<PlayerItem> playerItemWithAsset(std::shared_ptr<const Asset> asset);

    const std::shared_ptr<const Asset>& asset() const { return _asset; }
    MediaTime duration() const;
    // Taken into account from the next start or seek of the player.
    std::shared_ptr<const AudioMix> audioMix() const { return _audioMix; }
    void setAudioMix(std::shared_ptr<const AudioMix> audioMix) { _audioMix = std::move(audioMix); }

    explicit PlayerItem(std::shared_ptr<const Asset> asset);

private:
    std::shared_ptr<const Asset> _asset;
    std::shared_ptr<const AudioMix> _audioMix;
};

}  // namespace plat
