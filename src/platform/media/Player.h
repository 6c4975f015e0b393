#pragma once
#include <memory>

#include "platform/media/MediaTime.h"

namespace plat {
class PlayerItem;
namespace detail {
class PlaybackStream;
}

// Plays the sound of one player item through the speaker (the platform's
// media player): a rate (0 paused; 0.5 to 2.0 at the same pitch, others
// clamped), seeking, volume. At the item's end the player pauses and the
// item's end notification is posted. Main queue.
class Player : public std::enable_shared_from_this<Player> {
public:
    static std::shared_ptr<Player> playerWithPlayerItem(std::shared_ptr<PlayerItem> item);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    const std::shared_ptr<PlayerItem>& currentItem() const { return _item; }

    void play() { setRate(1); }
    void pause() { setRate(0); }
    float rate() const { return _rate; }
    void setRate(float rate);

    MediaTime currentTime() const;
    // Clamped to the item; at once.
    void seekToTime(const MediaTime& time);

    float volume() const { return _volume; }
    void setVolume(float volume);
    // Sending the sound to another device (a television, say); there is none
    // here, so it is only remembered.
    bool allowsExternalPlayback() const { return _allowsExternalPlayback; }
    void setAllowsExternalPlayback(bool allows) { _allowsExternalPlayback = allows; }

    struct Passkey {
        explicit Passkey() = default;
    };
    Player(Passkey, std::shared_ptr<PlayerItem> item);

private:
    void didEnd(bool failed);

    std::shared_ptr<PlayerItem> _item;
    std::shared_ptr<detail::PlaybackStream> _stream;
    float _rate = 0;
    float _volume = 1;
    bool _allowsExternalPlayback = true;
};

}  // namespace plat
