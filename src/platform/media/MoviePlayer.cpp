#include "platform/media/MoviePlayer.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Timer.h"
#include "platform/graphics/Image.h"
#include "platform/media/Asset.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/Player.h"
#include "platform/media/PlayerItem.h"
#include "platform/media/VideoFrameDecoder.h"

namespace plat {

namespace {

constexpr int32_t kPositionTimescale = 1000000000;
// The sound player plays at these rates; at others the sound is silent.
constexpr float kSlowestSoundRate = 0.5f;
constexpr float kFastestSoundRate = 2.0f;
constexpr double kBackwardsNudgeSeconds = 2e-9;

double uptime()
{
    return Clock::current().uptimeSeconds();
}

}  // namespace

MoviePlayer::MoviePlayer(Passkey, const URL& url)
{
    auto asset = URLAsset::URLAssetWithURL(url);
    _item = PlayerItem::playerItemWithAsset(asset);
    if (asset->error()) {
        _status = Status::Failed;
        _error = asset->error();
        return;
    }
    auto decoder = detail::VideoFrameDecoder::open(url.path());
    if (!decoder.ok()) {
        _status = Status::Failed;
        _error = decoder.error();
        return;
    }
    _decoder = std::move(decoder.value());
    _duration = asset->duration().isNumeric() ? asset->duration() : MediaTime::zero();
    if (!asset->tracksWithMediaType(kMediaTypeAudio).empty())
        _sound = Player::playerWithPlayerItem(PlayerItem::playerItemWithAsset(asset));
    _status = Status::ReadyToPlay;
}

std::shared_ptr<MoviePlayer> MoviePlayer::playerWithURL(const URL& url)
{
    auto player = std::make_shared<MoviePlayer>(Passkey(), url);
    if (player->_status == Status::ReadyToPlay)
        player->showPicture();
    return player;
}

MoviePlayer::~MoviePlayer()
{
    stopTimers();
    for (auto& observer : _timeObservers) {
        if (observer.timer)
            observer.timer->invalidate();
    }
}

double MoviePlayer::positionSeconds() const
{
    return currentTime().seconds();
}

MediaTime MoviePlayer::currentTime() const
{
    if (_rate == 0 || _holds > 0)
        return _anchor;
    double moved = (uptime() - _anchorUptime) * _rate;
    MediaTime time = _anchor + MediaTime::makeWithSeconds(moved, kPositionTimescale);
    return std::clamp(time, MediaTime::zero(), _duration);
}

void MoviePlayer::moveTo(const MediaTime& time)
{
    _anchor = time.isNumeric() ? std::clamp(time, MediaTime::zero(), _duration) : MediaTime::zero();
    _anchorUptime = uptime();
}

void MoviePlayer::setRate(float rate)
{
    assertOnQueue(DispatchQueue::mainQueue());
    if (rate == _rate)
        return;
    moveTo(currentTime());
    // A failed movie keeps its rate, as the platform's player does, but nothing moves.
    _rate = rate;
    stopTimers();
    if (isMoving())
        startTimers();
    syncSound();
    announceJump();
}

void MoviePlayer::beginHold()
{
    assertOnQueue(DispatchQueue::mainQueue());
    if (_holds == 0) {
        moveTo(currentTime());
        stopTimers();
    }
    ++_holds;
    syncSound();
}

void MoviePlayer::endHold()
{
    assertOnQueue(DispatchQueue::mainQueue());
    if (_holds == 0 || --_holds > 0)
        return;
    // Play goes on from where it was held, from now.
    moveTo(_anchor);
    if (isMoving())
        startTimers();
    syncSound();
}

void MoviePlayer::seekToTime(const MediaTime& time)
{
    assertOnQueue(DispatchQueue::mainQueue());
    moveTo(time);
    if (_status != Status::ReadyToPlay)
        return;
    stopTimers();
    if (isMoving())
        startTimers();
    showPicture();
    syncSound();
    announceJump();
}

void MoviePlayer::seekToTime(const MediaTime& time, const MediaTime&, const MediaTime&)
{
    seekToTime(time);
}

void MoviePlayer::scheduleNextPicture()
{
    // The next moment a picture of the movie's rate is due, in the direction of play.
    const double frame = 1.0 / _decoder->frameRate();
    const double position = positionSeconds() / frame;
    constexpr double kOnABoundary = 1e-6;
    const double next = _rate > 0 ? std::floor(position + kOnABoundary) + 1 : std::ceil(position - kOnABoundary) - 1;
    const double wait = std::max(std::abs(next - position) * frame / std::abs(_rate), Timer::kMinimumIntervalSeconds);
    std::weak_ptr<MoviePlayer> weakSelf = weak_from_this();
    _frameTimer = Timer::scheduledTimerWithTimeInterval(
        wait,
        [weakSelf] {
            if (auto self = weakSelf.lock())
                self->tick();
        },
        false);
}

void MoviePlayer::startTimers()
{
    std::weak_ptr<MoviePlayer> weakSelf = weak_from_this();
    scheduleNextPicture();
    // Where playing meets the end (or, backwards, the start), to the moment.
    double boundary = _rate > 0 ? _duration.seconds() : 0.0;
    double wait = std::max(0.0, (boundary - _anchor.seconds()) / _rate);
    _boundaryTimer = Timer::scheduledTimerWithTimeInterval(
        wait,
        [weakSelf] {
            if (auto self = weakSelf.lock())
                self->reachedBoundary();
        },
        false);
    for (auto& observer : _timeObservers) {
        ObserverToken token = observer.token;
        observer.timer = Timer::scheduledTimerWithTimeInterval(
            observer.interval,
            [weakSelf, token] {
                auto self = weakSelf.lock();
                if (!self)
                    return;
                for (auto& each : self->_timeObservers) {
                    if (each.token == token) {
                        auto block = each.block;
                        block(self->currentTime());
                        return;
                    }
                }
            },
            true);
    }
}

void MoviePlayer::stopTimers()
{
    if (_frameTimer)
        _frameTimer->invalidate();
    if (_boundaryTimer)
        _boundaryTimer->invalidate();
    _frameTimer.reset();
    _boundaryTimer.reset();
    for (auto& observer : _timeObservers) {
        if (observer.timer)
            observer.timer->invalidate();
        observer.timer.reset();
    }
}

void MoviePlayer::tick()
{
    showPicture();
    if (isMoving())
        scheduleNextPicture();
}

void MoviePlayer::reachedBoundary()
{
    auto self = shared_from_this();
    const bool forwards = _rate > 0;
    moveTo(forwards ? _duration : MediaTime::zero());
    _rate = 0;
    stopTimers();
    showPicture();
    syncSound();
    announceJump();
    if (forwards && _status == Status::ReadyToPlay)
        NotificationCenter::defaultCenter().post(kPlayerItemDidPlayToEndTimeNotification, _item.get());
}

void MoviePlayer::showPicture()
{
    if (_status != Status::ReadyToPlay)
        return;
    // Backwards, a picture shows from its end on: at its start the one before is entered.
    double seconds = positionSeconds() - (_rate < 0 ? kBackwardsNudgeSeconds : 0.0);
    auto picture = _decoder->pictureAt(seconds);
    if (!picture.ok()) {
        fail(picture.error());
        return;
    }
    if (_picture && _picture->bitmap() == picture.value())
        return;
    _picture = Image::imageWithBitmap(picture.value());
    auto observers = _pictureObservers;
    for (const auto& each : observers)
        each.observer();
}

void MoviePlayer::fail(Error error)
{
    auto self = shared_from_this();
    moveTo(currentTime());
    _rate = 0;
    _status = Status::Failed;
    _error = std::move(error);
    stopTimers();
    if (_sound)
        _sound->pause();
    NotificationCenter::defaultCenter().post(kPlayerItemFailedToPlayToEndTimeNotification, _item.get());
}

void MoviePlayer::syncSound()
{
    if (!_sound)
        return;
    if (!isMoving() || _rate < kSlowestSoundRate || _rate > kFastestSoundRate) {
        _sound->pause();
        return;
    }
    _sound->seekToTime(currentTime());
    _sound->setRate(_rate);
}

void MoviePlayer::announceJump()
{
    std::weak_ptr<MoviePlayer> weakSelf = weak_from_this();
    DispatchQueue::mainQueue().async([weakSelf] {
        auto self = weakSelf.lock();
        if (!self)
            return;
        auto observers = self->_timeObservers;
        for (const auto& each : observers)
            each.block(self->currentTime());
    });
}

MoviePlayer::ObserverToken MoviePlayer::addPeriodicTimeObserverForInterval(
    const MediaTime& interval, std::function<void(const MediaTime& time)> block)
{
    double seconds = interval.isNumeric() ? interval.seconds() : 0;
    _timeObservers.push_back({++_lastToken, std::max(seconds, Timer::kMinimumIntervalSeconds), std::move(block), {}});
    if (isMoving()) {
        stopTimers();
        moveTo(currentTime());
        startTimers();
    }
    return _lastToken;
}

void MoviePlayer::removeTimeObserver(ObserverToken token)
{
    auto found = std::find_if(
        _timeObservers.begin(), _timeObservers.end(), [token](const auto& each) { return each.token == token; });
    if (found == _timeObservers.end())
        return;
    if (found->timer)
        found->timer->invalidate();
    _timeObservers.erase(found);
}

MoviePlayer::ObserverToken MoviePlayer::addPictureObserver(std::function<void()> observer)
{
    _pictureObservers.push_back({++_lastToken, std::move(observer)});
    return _lastToken;
}

void MoviePlayer::removePictureObserver(ObserverToken token)
{
    std::erase_if(_pictureObservers, [token](const auto& each) { return each.token == token; });
}

}  // namespace plat
