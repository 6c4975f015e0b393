#pragma once
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/foundation/Error.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/URL.h"

namespace plat {
class AudioPlayer;
namespace detail {
class PlaybackStream;
}

// Optional operations; the defaults do nothing.
class AudioPlayerDelegate {
public:
    virtual ~AudioPlayerDelegate() = default;
    // The sound played to its end (after its loops); successfully is false
    // when it stopped because the file could not be decoded on.
    virtual void audioPlayerDidFinishPlaying(AudioPlayer& player, bool successfully)
    {
        (void)player;
        (void)successfully;
    }
    // The file could not be decoded on; the finish follows.
    virtual void audioPlayerDecodeErrorDidOccur(AudioPlayer& player, const Error& error)
    {
        (void)player;
        (void)error;
    }
};

// Plays one sound file through the speaker (the platform's audio player):
// play, pause and stop, a position in seconds, volume, a rate from 0.5 to
// 2.0 at the same pitch when rate changes are enabled, loops, and a
// delegate told of the end on the main queue. Main queue.
class AudioPlayer : public std::enable_shared_from_this<AudioPlayer> {
public:
    // Fails, with an error of the platform's status domain, for a file
    // without sound that can be decoded.
    static Result<std::shared_ptr<AudioPlayer>> initWithContentsOfURL(const URL& url);
    ~AudioPlayer();
    AudioPlayer(const AudioPlayer&) = delete;
    AudioPlayer& operator=(const AudioPlayer&) = delete;

    const URL& url() const { return _url; }
    double duration() const;

    bool prepareToPlay();
    bool play();
    // Keeps the position; play goes on from there.
    void pause();
    // As pause: the position stays where it is (the platform does not rewind).
    void stop();
    bool isPlaying() const { return _playing; }

    double currentTime() const;
    void setCurrentTime(double seconds);

    float volume() const { return _volume; }
    void setVolume(float volume);
    bool enableRate() const { return _enableRate; }
    // Before play, as on the platform.
    void setEnableRate(bool enableRate) { _enableRate = enableRate; }
    float rate() const { return _rate; }
    void setRate(float rate);
    // Times the sound starts again after its end; -1 for ever.
    int64_t numberOfLoops() const { return _numberOfLoops; }
    void setNumberOfLoops(int64_t loops);

    std::weak_ptr<AudioPlayerDelegate> delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<AudioPlayerDelegate> delegate) { _delegate = std::move(delegate); }

    struct Passkey {
        explicit Passkey() = default;
    };
    AudioPlayer(Passkey, URL url, std::shared_ptr<detail::PlaybackStream> stream);

private:
    void didEnd(const std::optional<Error>& failure);
    float effectiveRate() const;

    URL _url;
    std::shared_ptr<detail::PlaybackStream> _stream;
    std::weak_ptr<AudioPlayerDelegate> _delegate;
    bool _playing = false;
    float _volume = 1;
    bool _enableRate = false;
    float _rate = 1;
    int64_t _numberOfLoops = 0;
};

// The platform's status domain and its "not a file type it can play" code.
inline constexpr const char* kOSStatusErrorDomain = "NSOSStatusErrorDomain";
inline constexpr int64_t kAudioFileUnsupportedFileTypeError = 0x7479703F;  // 'typ?'

}  // namespace plat
