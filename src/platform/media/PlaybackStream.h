#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/Result.h"
#include "platform/media/MediaTime.h"

namespace plat::detail {
class SoundSource;

// One player's sound on its way to the speaker: where it is in its media,
// how fast and how loud it plays, how often it starts again, and when it
// ends. The player steers it from the main thread; the audio output renders
// it on the thread that plays (the main thread on the silent output, the
// sound device's own thread otherwise). Both sides take its lock.
class PlaybackStream : public std::enable_shared_from_this<PlaybackStream> {
public:
    // Makes the sound of the media from a time on, at the output's format.
    using SourceFactory = std::function<Result<std::unique_ptr<SoundSource>>(const MediaTime& from)>;
    // Runs on the main queue when the stream has played to its end (no
    // error) or could not go on (the error).
    using EndHandler = std::function<void(const std::optional<Error>& failure)>;

    PlaybackStream(SourceFactory makeSource, MediaTime duration);
    ~PlaybackStream();

    void setEndHandler(EndHandler handler);

    MediaTime duration() const { return _duration; }
    // Where the listener is in the media, from 0 to the duration: what was
    // rendered less what of it the sound device has still to play.
    MediaTime currentTime() const;
    // Clamped to the media; the next sound rendered starts there.
    void seek(const MediaTime& time);
    float rate() const;
    // From 0.5 to 2.0; others are clamped.
    void setRate(float rate);
    void setVolume(float volume);
    // Times the media starts again from 0 after its end; negative for ever.
    void setNumberOfLoops(int64_t loops);

    enum class State { Playing, Ended };
    // Adds up to frames frames (the output's format) of this stream's sound,
    // at its volume, into the start of mix: the sound device's frames from
    // deviceFrame on (-1 for sound heard as it is rendered). Ended once it
    // has nothing more to add: the output then takes it off and calls postEnd.
    State renderAdding(float* mix, int64_t frames, int64_t deviceFrame);
    // Posts the end handler to the main queue.
    void postEnd();

private:
    Result<void> openSource();  // under _lock
    // Frames since _base the listener has heard, the device having played
    // its frames up to deviceFramesHeard. Under _lock.
    int64_t framesHeardSinceBase(int64_t deviceFramesHeard) const;
    void foldElapsed(int64_t deviceFramesHeard);  // under _lock

    const SourceFactory _makeSource;
    const MediaTime _duration;

    mutable std::mutex _lock;
    std::unique_ptr<SoundSource> _source;  // guarded by _lock; made when the next sound is rendered
    MediaTime _base = MediaTime::zero();  // guarded by _lock: where the current source began
    int64_t _renderedSinceBase = 0;  // guarded by _lock: output frames since then
    int64_t _deviceFrameAfter = -1;  // guarded by _lock: the device's frame after this stream's last
    float _rate = 1;  // guarded by _lock
    float _volume = 1;  // guarded by _lock
    int64_t _loopsLeft = 0;  // guarded by _lock
    bool _ended = false;  // guarded by _lock
    std::optional<Error> _failure;  // guarded by _lock
    EndHandler _endHandler;  // guarded by _lock
    std::vector<float> _scratch;  // guarded by _lock
};

}  // namespace plat::detail
