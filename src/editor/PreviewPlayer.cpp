#include "editor/PreviewPlayer.h"

#include <algorithm>
#include <cmath>

#include "audio/AudioController.h"
#include "document/FrameList.h"
#include "document/ProjectModel.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/DesktopScreen.h"

namespace zt {

namespace {

// Ticks come when the clock reaches a whole frame, so it reads whole frames
// give or take rounding; this much of a frame keeps 0.9999999 from reading as 0.
constexpr double kFrameRounding = 1e-3;
// A picture shown late (the main thread was busy) still shows; only when
// the pictures fall this far behind the clock do they skip to catch up.
constexpr double kMostLagSeconds = 0.25;

bool readFlag(const plat::Dictionary& metadata, const char* key)
{
    return metadata.getBool(key).value_or(false);
}

int64_t wholeFrames(double frames)
{
    return static_cast<int64_t>(std::floor(frames + kFrameRounding));
}

}  // namespace

PreviewPlayer::PreviewPlayer(std::shared_ptr<ProjectModel> project, std::shared_ptr<AudioController> audioController)
    : _project(std::move(project))
    , _audioController(std::move(audioController))
{
}

PreviewPlayer::~PreviewPlayer() = default;

double PreviewPlayer::now() const
{
    return plat::Clock::current().date().timeIntervalSince1970();
}

void PreviewPlayer::play()
{
    playFrom(0, _project->getFrameList().count());
}

void PreviewPlayer::playWhileRecording()
{
    _isPreview = true;
    play();
}

void PreviewPlayer::moveToIndex(int64_t index)
{
    _previewCurrentFrame = index;
}

void PreviewPlayer::playFrom(int64_t startIndex, int64_t stopIndex)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (_isPlaying)
        return;
    _startIndex = startIndex;
    _stopIndex = stopIndex;
    _isPlaying = true;
    ++_run;
    _askedIndex = -1;

    auto metadata = _project->getMetaData().value_or(plat::Dictionary {});
    _isPLayLoop = readFlag(metadata, "PlayAsLoop");
    _isAtHalfSpeed = readFlag(metadata, "PlayAtHalfSpeed");
    _isLastFramesOnly = readFlag(metadata, "PlayLastFramesOnly");
    // A damaged or zero rate counts as the default: it is divided by.
    _movieFPS = static_cast<float>(_project->recordFPS());
    _speed = _movieFPS;

    if (_isPreview) {
        _isPLayLoop = false;
        _isAtHalfSpeed = false;
        _isLastFramesOnly = false;
    } else {
        const int64_t count = _project->getFrameList().count();
        if (_previewCurrentFrame > count - kNearTheEnd)
            _previewCurrentFrame = _isLastFramesOnly ? std::max<int64_t>(count - kLastFramesCount, 0) : 0;
        if (_isAtHalfSpeed)
            _speed /= 2;
        startAudioForCurrentFrame();
    }
    _isPreview = false;
    restartClockAt(_previewCurrentFrame);
    playPreview();
}

void PreviewPlayer::stop()
{
    if (!_isPlaying)
        return;
    _isPreview = false;
    _isPlaying = false;
    ++_run;
    if (_audioController)
        _audioController->stop();
}

void PreviewPlayer::restartClockAt(int64_t index)
{
    _previewCurrentFrame = index;
    _startFrame = index;
    _startTime = now();
}

void PreviewPlayer::startAudioForCurrentFrame()
{
    if (_isPreview || !_audioController || _movieFPS <= 0)
        return;
    // The sound keeps movie time at any speed: frame i sounds at i / rate,
    // and half speed plays that time at half its rate.
    const int64_t frame = _project->getFrameList().getMovieIndexForIndex(_previewCurrentFrame);
    const float seconds = static_cast<float>(frame) / _movieFPS;
    _audioController->playAtTimeIndex(seconds, _isAtHalfSpeed ? kHalfSpeedRate : 1.0f);
}

int64_t PreviewPlayer::showableIndex(int64_t index) const
{
    const FrameList& list = _project->getFrameList();
    const int64_t count = list.count();
    if (index < 0)
        index = 0;
    while (index < count) {
        auto frame = list.getFrameAtIndex(index);
        if (!frame || frame->type() != FrameTypeCapturePlaceholder)
            return index;
        ++index;
    }
    return count;
}

int64_t PreviewPlayer::loopStartIndex() const
{
    const int64_t count = _project->getFrameList().count();
    return _isLastFramesOnly ? std::max<int64_t>(count - kLastFramesCount, 0) : 0;
}

void PreviewPlayer::endRun()
{
    _isPlaying = false;
    ++_run;
    if (_audioController)
        _audioController->stop();
    if (auto delegate = _delegate.lock())
        delegate->previewPlayerDidStopPlay(*this);
}

double PreviewPlayer::framesOnTheClock() const
{
    if (_audioController) {
        plat::MediaTime time = _audioController->getCurentTimeIndex();
        if (time.isValid() && time.isNumeric())
            return time.seconds() * _movieFPS;
    }
    return _project->getFrameList().getMovieIndexForIndex(_startFrame) + (now() - _startTime) * _speed;
}

void PreviewPlayer::playPreview()
{
    if (!_isPlaying)
        return;
    const int64_t count = _project->getFrameList().count();
    if (count == 0)
        return;

    // The clock counts the movie's frames, which leave the placeholder out
    // wherever it stands.
    const FrameList& list = _project->getFrameList();
    const double clockFrames = framesOnTheClock();
    int64_t step = wholeFrames(clockFrames);
    // The picture after the one shown comes next, however late this tick is,
    // unless the pictures have fallen too far behind.
    const int64_t next = list.getMovieIndexForIndex(_previewCurrentFrame) + 1;
    if (step > next && (clockFrames - next) / _speed <= kMostLagSeconds)
        step = next;
    int64_t index = showableIndex(list.getIndexForMovieIndex(step));
    if (index >= count) {
        if (!_isPLayLoop) {
            endRun();
            return;
        }
        restartClockAt(loopStartIndex());
        startAudioForCurrentFrame();
        step = list.getMovieIndexForIndex(_previewCurrentFrame);
        index = showableIndex(_previewCurrentFrame);
        if (index >= count) {  // nothing but the placeholder to show
            endRun();
            return;
        }
    }
    _previewCurrentFrame = index;
    if (index != _askedIndex) {
        _askedIndex = index;
        if (plat::DesktopScreen::logsPictures())
            plat::log("preview: frame {}", index);
    }
    auto self = shared_from_this();  // the delegate may let go of us
    if (auto delegate = _delegate.lock())
        delegate->previewPlayerShowFrameAtIndex(*this, index);
    if (_isPlaying)
        scheduleNextTick(step + 1);
}

void PreviewPlayer::scheduleNextTick(int64_t dueFrame)
{
    const uint64_t run = _run;
    // Due when the clock reaches the frame, whenever this tick ran: a late
    // tick does not push back every picture after it. A delayed perform
    // rather than a queued block: one due at once still waits for the next
    // turn of the run loop, so the screen is drawn between two pictures.
    const double delay = std::max(0.0, (dueFrame - framesOnTheClock()) / _speed);
    plat::RunLoop::main().performAfterDelay(this, delay, [weakSelf = weak_from_this(), run] {
        auto self = weakSelf.lock();
        if (self && self->_run == run)
            self->playPreview();
    });
}

}  // namespace zt
