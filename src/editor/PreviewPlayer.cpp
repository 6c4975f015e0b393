#include "editor/PreviewPlayer.h"

#include <algorithm>
#include <cmath>

#include "audio/AudioController.h"
#include "document/FrameList.h"
#include "document/ProjectModel.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/ui/DesktopScreen.h"

namespace zt {

namespace {

// Ticks come when the clock reaches a whole frame, so it reads whole frames
// give or take rounding; this much of a frame keeps 0.9999999 from reading as 0.
constexpr double kFrameRounding = 1e-3;
// A tick that finds the clock a hair short of its frame looks again this
// soon: far less than half a picture at the fastest rate.
constexpr double kShortestTickSeconds = 0.002;

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
    const float seconds = static_cast<float>(_previewCurrentFrame) / _movieFPS;
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

void PreviewPlayer::playPreview()
{
    if (!_isPlaying)
        return;
    const int64_t count = _project->getFrameList().count();
    if (count == 0)
        return;

    // Where the clock is, in frames: the sound while it plays, else the run's own time.
    double position = static_cast<double>(_startFrame) + (now() - _startTime) * _speed;
    if (_audioController) {
        plat::MediaTime time = _audioController->getCurentTimeIndex();
        if (time.isValid() && time.isNumeric())
            position = time.seconds() * _movieFPS;
    }
    int64_t index = showableIndex(wholeFrames(position));
    if (index >= count) {
        if (!_isPLayLoop) {
            endRun();
            return;
        }
        restartClockAt(loopStartIndex());
        startAudioForCurrentFrame();
        position = static_cast<double>(_previewCurrentFrame);
        index = showableIndex(_previewCurrentFrame);
        if (index >= count) {  // nothing but the placeholder to show
            endRun();
            return;
        }
    }
    _previewCurrentFrame = index;
    if (plat::DesktopScreen::logsPictures())
        plat::log("preview: frame {}", index);
    auto self = shared_from_this();  // the delegate may let go of us
    if (auto delegate = _delegate.lock())
        delegate->previewPlayerShowFrameAtIndex(*this, index);
    if (_isPlaying)
        scheduleNextTick(position);
}

void PreviewPlayer::scheduleNextTick(double position)
{
    const uint64_t run = _run;
    // The tick after this one is due when the clock reaches the next frame:
    // timed from the clock, not from this tick, a late tick or a sound that
    // starts a moment after the pictures does not put them behind it.
    const double framesToGo = static_cast<double>(wholeFrames(position) + 1) - position;
    const double delay = std::max(framesToGo / _speed, kShortestTickSeconds);
    plat::DispatchQueue::mainQueue().after(delay, [weakSelf = weak_from_this(), run] {
        auto self = weakSelf.lock();
        if (self && self->_run == run)
            self->playPreview();
    });
}

}  // namespace zt
