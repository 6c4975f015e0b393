#pragma once
#include <cstdint>
#include <memory>

namespace zt {
class AudioController;
class PreviewPlayer;
class ProjectModel;

// Hears what the preview player shows. Main thread.
class PreviewPlayerDelegate {
public:
    virtual ~PreviewPlayerDelegate() = default;
    virtual void previewPlayerShowFrameAtIndex(PreviewPlayer& /*player*/, int64_t /*index*/) { }
    // A run that reached the end without looping (never after stop()).
    virtual void previewPlayerDidStopPlay(PreviewPlayer& /*player*/) { }
    // Never sent; kept for editors that implement it.
    virtual void previewPlayerDidStartPlay(PreviewPlayer& /*player*/) { }
};

// Plays the open project: steps a frame index at the project's frame rate
// and tells its delegate which frame to show, while the project's sound
// plays along and, whenever it is playing, serves as the clock. Frames are
// counted as the movie shows them: the nth picture after the start is due n
// / speed seconds after it, and the capture placeholder is never shown nor
// takes time, wherever it stands (standing last, it ends the run). The
// options ("PlayAsLoop", "PlayAtHalfSpeed", "PlayLastFramesOnly") and the
// frame rate are read at each start. Ticks are delayed blocks on the main
// run loop. Main thread.
class PreviewPlayer : public std::enable_shared_from_this<PreviewPlayer> {
public:
    // Frames from the end where a start near the end, and a loop, begin with the last-frames option.
    static constexpr int64_t kLastFramesCount = 12;
    // A start at or past this many entries before the end begins again at the start.
    static constexpr int64_t kNearTheEnd = 3;
    static constexpr float kHalfSpeedRate = 0.5f;

    PreviewPlayer(std::shared_ptr<ProjectModel> project, std::shared_ptr<AudioController> audioController);
    ~PreviewPlayer();
    PreviewPlayer(const PreviewPlayer&) = delete;
    PreviewPlayer& operator=(const PreviewPlayer&) = delete;

    std::shared_ptr<PreviewPlayerDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<PreviewPlayerDelegate> delegate) { _delegate = std::move(delegate); }

    void play();
    // Ignored while playing; the run itself always goes from the current index to the end.
    void playFrom(int64_t startIndex, int64_t stopIndex);
    // The next start is a voice-over start: once through at full speed from
    // the current index, without the options and without sound.
    void playWhileRecording();
    // Ends a run without telling the delegate; its pending tick does nothing.
    void stop();
    void moveToIndex(int64_t index);
    bool isPlaying() const { return _isPlaying; }
    int64_t currentIndex() const { return _previewCurrentFrame; }
    // Effective frames per second of the run: the frame rate, halved at half speed.
    float speed() const { return _speed; }

    // One tick; the player schedules them itself.
    void playPreview();
    void startAudioForCurrentFrame();

private:
    // The entry to show for a clock index: the placeholder gives way to the
    // entry after it; the end of the list when there is nothing to show.
    int64_t showableIndex(int64_t index) const;
    int64_t loopStartIndex() const;
    void restartClockAt(int64_t index);
    // Where the run's clock (the sound when it plays) is, in the movie's
    // frames; a tick is due when it reaches dueFrame, one of them.
    double framesOnTheClock() const;
    void scheduleNextTick(int64_t dueFrame);
    void endRun();
    double now() const;

    std::shared_ptr<ProjectModel> _project;
    std::shared_ptr<AudioController> _audioController;
    std::weak_ptr<PreviewPlayerDelegate> _delegate;
    bool _isPlaying = false;
    bool _isPreview = false;
    bool _isPLayLoop = false;
    bool _isAtHalfSpeed = false;
    bool _isLastFramesOnly = false;
    float _movieFPS = 0;  // the project's frame rate, which maps sound time to frames
    float _speed = 0;
    int64_t _previewCurrentFrame = 0;
    int64_t _startFrame = 0;
    double _startTime = 0;  // seconds since 1970
    int64_t _startIndex = 0;
    int64_t _stopIndex = 0;
    int64_t _askedIndex = -1;  // the picture the delegate was last asked to show in this run
    // Each run counts up; a tick of an earlier run finds it changed and does nothing.
    uint64_t _run = 0;
};

}  // namespace zt
