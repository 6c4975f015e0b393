#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/media/MediaTime.h"

namespace plat {
class Image;
class Player;
class PlayerItem;
class Timer;
namespace detail {
class VideoFrameDecoder;
}

// The platform's player of a movie file, pictures and sound: the position
// moves at the rate (1 normal, 0 paused, negative backwards, above 1 fast)
// on the run-loop clock, so a test steps it with the manual clock. The
// picture of the position is decoded as it moves, for a player layer to
// show; the sound goes to the speaker through a sound player at rates from
// 0.5 to 2 and is silent at others, as the platform's is. At the end the
// player pauses and posts the item's did-play-to-end notification; going
// backwards it stops at the start. A movie whose pictures cannot be decoded
// fails: status() is Failed with the error, at once for a file that is no
// movie, or later, with the item's failed-to-play-to-end notification, for
// one that breaks off. Main thread.
class MoviePlayer : public std::enable_shared_from_this<MoviePlayer> {
public:
    enum class Status { Unknown, ReadyToPlay, Failed };
    // Tokens of observers; 0 is none.
    using ObserverToken = uint64_t;

    static std::shared_ptr<MoviePlayer> playerWithURL(const URL& url);
    ~MoviePlayer();
    MoviePlayer(const MoviePlayer&) = delete;
    MoviePlayer& operator=(const MoviePlayer&) = delete;

    const std::shared_ptr<PlayerItem>& currentItem() const { return _item; }
    Status status() const { return _status; }
    const std::optional<Error>& error() const { return _error; }

    float rate() const { return _rate; }
    void setRate(float rate);
    // While held (holds nest), the position stays where it is whatever the
    // rate, and no time passes for the observers: seeks and rate changes
    // still take and are announced, and play moves on from there once the
    // last hold ends. A check comparing pictures of the screen holds what
    // plays by itself; no platform player has this.
    void beginHold();
    void endHold();
    void play() { setRate(1); }
    void pause() { setRate(0); }

    MediaTime currentTime() const;
    // Clamped to the movie; the picture there shows at once. The stand-in
    // seeks exactly, which every tolerance allows.
    void seekToTime(const MediaTime& time);
    void seekToTime(const MediaTime& time, const MediaTime& toleranceBefore, const MediaTime& toleranceAfter);
    // Nothing is prerolled ahead of playing here.
    void cancelPendingPrerolls() { }

    // Calls block with the current time every interval while playing, and
    // whenever the time jumps or playback starts or stops (on the main queue).
    ObserverToken addPeriodicTimeObserverForInterval(
        const MediaTime& interval, std::function<void(const MediaTime& time)> block);
    void removeTimeObserver(ObserverToken token);

    bool allowsExternalPlayback() const { return _allowsExternalPlayback; }
    void setAllowsExternalPlayback(bool allows) { _allowsExternalPlayback = allows; }

    // The picture of the current position; nullptr for a movie that failed at once.
    const std::shared_ptr<const Image>& currentPicture() const { return _picture; }
    // Called when currentPicture changes (player layers).
    ObserverToken addPictureObserver(std::function<void()> observer);
    void removePictureObserver(ObserverToken token);

    struct Passkey {
        explicit Passkey() = default;
    };
    MoviePlayer(Passkey, const URL& url);

private:
    struct TimeObserver {
        ObserverToken token;
        double interval;
        std::function<void(const MediaTime&)> block;
        std::shared_ptr<Timer> timer;
    };
    struct PictureObserver {
        ObserverToken token;
        std::function<void()> observer;
    };

    double positionSeconds() const;
    bool isMoving() const { return _status == Status::ReadyToPlay && _rate != 0 && _holds == 0; }
    void moveTo(const MediaTime& time);
    void startTimers();
    void scheduleNextPicture();
    void stopTimers();
    void tick();
    void reachedBoundary();
    void showPicture();
    void fail(Error error);
    void syncSound();
    void announceJump();

    std::shared_ptr<PlayerItem> _item;
    std::unique_ptr<detail::VideoFrameDecoder> _decoder;
    std::shared_ptr<Player> _sound;  // absent for a movie without sound
    Status _status = Status::Unknown;
    std::optional<Error> _error;
    MediaTime _duration = MediaTime::zero();
    float _rate = 0;
    int _holds = 0;
    bool _allowsExternalPlayback = true;
    // The position is _anchor at _anchorUptime, moving at _rate since.
    MediaTime _anchor = MediaTime::zero();
    double _anchorUptime = 0;
    std::shared_ptr<Image const> _picture;
    std::shared_ptr<Timer> _frameTimer;
    std::shared_ptr<Timer> _boundaryTimer;
    std::vector<TimeObserver> _timeObservers;
    std::vector<PictureObserver> _pictureObservers;
    ObserverToken _lastToken = 0;
};

}  // namespace plat
