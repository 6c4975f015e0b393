#include "uikit/QVMovieView.h"

#include <cmath>
#include <cstdio>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Timer.h"
#include "platform/graphics/Image.h"
#include "platform/media/PlayerItem.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Slider.h"
#include "uikit/AVPlayerDemoPlaybackView.h"
#include "uikit/AppTint.h"
#include "uikit/MessageAlert.h"

namespace zt {

namespace {

const plat::Color kTint = plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1.0);
constexpr int32_t kTimescale = 1000000000;
constexpr double kTimeObserverSeconds = 0.1;
constexpr float kReverseRate = -2.0f;
constexpr float kFastRate = 3.0f;
constexpr double kCurtainWidth = 100;
constexpr double kFadeOutSeconds = 1.0;
// The platform's default animation length, for the fade-in.
constexpr double kFadeInSeconds = 0.2;
// Ticks of playback without a touch before the controls fade.
constexpr int32_t kTicksBeforeFade = 3;

plat::MediaTime mediaTime(double seconds)
{
    return plat::MediaTime::makeWithSeconds(seconds, kTimescale);
}

}  // namespace

QVMovieView::QVMovieView(std::string nibName, plat::URL movieURL, bool showCurtains)
    : plat::ViewController(std::move(nibName))
    , _movieURL(std::move(movieURL))
    , _showCurtains(showCurtains)
{
}

QVMovieView::~QVMovieView()
{
    if (loopTimer)
        loopTimer->invalidate();
    if (mPlayer && _timeObserver)
        mPlayer->removeTimeObserver(_timeObserver);
}

unsigned QVMovieView::supportedInterfaceOrientations() const
{
    return plat::InterfaceOrientationMaskLandscapeRight | plat::InterfaceOrientationMaskLandscapeLeft;
}

bool QVMovieView::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const
{
    return orientation == plat::InterfaceOrientation::LandscapeRight
        || orientation == plat::InterfaceOrientation::LandscapeLeft;
}

void QVMovieView::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    if (_outlets.scrubber)
        _outlets.scrubber->setMinimumTrackTintColor(kTint);
    // The times are text on the dark bar: the shade of the tint that reads there.
    if (_outlets.labelCurrent)
        _outlets.labelCurrent->setTextColor(appTintForTextOnDarkColor());
    if (_outlets.labelEnd)
        _outlets.labelEnd->setTextColor(appTintForTextOnDarkColor());
    if (!_showCurtains) {
        if (_outlets.viewLandscapeCurtainLeft)
            _outlets.viewLandscapeCurtainLeft->removeFromSuperview();
        if (_outlets.viewLandscapeCurtainRight)
            _outlets.viewLandscapeCurtainRight->removeFromSuperview();
    }
    setAVPlayerItem();
    showPlayButton(false);
    if (!loopTimer) {
        auto weakSelf = std::weak_ptr<QVMovieView>(std::static_pointer_cast<QVMovieView>(shared_from_this()));
        loopTimer = plat::Timer::scheduledTimerWithTimeInterval(
            kControlsClockSeconds,
            [weakSelf] {
                if (auto self = weakSelf.lock())
                    self->onLoopTimer();
            },
            true);
    }
}

void QVMovieView::viewDidAppear(bool animated)
{
    plat::ViewController::viewDidAppear(animated);
    if (mPlayer && mPlayer->status() == plat::MoviePlayer::Status::Failed) {
        leave(true);
        return;
    }
    if (!_showCurtains)
        return;
    if (_outlets.viewLandscapeControls)
        _outlets.viewLandscapeControls->setAlpha(0);
    openCurtain();
}

void QVMovieView::setAVPlayerItem()
{
    mPlayer = plat::MoviePlayer::playerWithURL(_movieURL);
    mPlayerItem = mPlayer->currentItem();
    mPlayer->setAllowsExternalPlayback(true);
    if (_outlets.playbackView) {
        _outlets.playbackView->setPlayer(mPlayer);
        _outlets.playbackView->setVideoFillMode(plat::ContentsGravity::ResizeAspect);
    }
    auto weakSelf = std::weak_ptr<QVMovieView>(std::static_pointer_cast<QVMovieView>(shared_from_this()));
    _endObserver = plat::NotificationCenter::defaultCenter().addObserver(
        plat::kPlayerItemDidPlayToEndTimeNotification, mPlayerItem.get(), [weakSelf](const auto&) {
            if (auto self = weakSelf.lock())
                self->playerItemDidReachEnd();
        });
    _failureObserver = plat::NotificationCenter::defaultCenter().addObserver(
        plat::kPlayerItemFailedToPlayToEndTimeNotification, mPlayerItem.get(), [weakSelf](const auto&) {
            if (auto self = weakSelf.lock())
                self->playerItemDidFail();
        });
    addTimeObserverToPlayer();
    // The stand-in's item knows its duration once made: what the duration observer would set, set now.
    plat::MediaTime duration = mPlayerItem->duration();
    if (mPlayer->status() != plat::MoviePlayer::Status::Failed && duration.isNumeric() && _outlets.scrubber) {
        _outlets.scrubber->setMaximumValue(duration.seconds());
        if (_outlets.labelEnd)
            _outlets.labelEnd->setText(stringFromTime(static_cast<float>(duration.seconds())));
    }
    syncScrubber();
}

void QVMovieView::addTimeObserverToPlayer()
{
    if (_timeObserver || !mPlayer)
        return;
    auto weakSelf = std::weak_ptr<QVMovieView>(std::static_pointer_cast<QVMovieView>(shared_from_this()));
    _timeObserver
        = mPlayer->addPeriodicTimeObserverForInterval(mediaTime(kTimeObserverSeconds), [weakSelf](const auto&) {
              if (auto self = weakSelf.lock())
                  self->syncScrubber();
          });
}

void QVMovieView::removeTimeObserverFromPlayer()
{
    if (_timeObserver && mPlayer)
        mPlayer->removeTimeObserver(_timeObserver);
    _timeObserver = 0;
}

void QVMovieView::syncScrubber()
{
    if (!mPlayer || mPlayer->status() == plat::MoviePlayer::Status::Failed)
        return;
    plat::MediaTime duration = mPlayerItem->duration();
    if (!duration.isNumeric())
        return;
    double current = mPlayer->currentTime().seconds();
    if (_outlets.scrubber)
        _outlets.scrubber->setValue(current);
    if (_outlets.labelCurrent)
        _outlets.labelCurrent->setText(stringFromTime(static_cast<float>(current)));
    if (_outlets.labelEnd)
        _outlets.labelEnd->setText(stringFromTime(static_cast<float>(duration.seconds() - current)));
}

std::string QVMovieView::stringFromTime(float seconds)
{
    int minutes = static_cast<int>(std::floor(seconds / 60));
    int rest = static_cast<int>(seconds - 60.0f * static_cast<float>(minutes));
    char text[32];
    std::snprintf(text, sizeof text, "%.2d:%.2d", minutes, rest);
    return text;
}

void QVMovieView::showPlayButton(bool playing)
{
    if (_outlets.btnPlayPause)
        _outlets.btnPlayPause->setImage(
            plat::Image::imageNamed(playing ? "movieplayer_btn_play_selected" : "movieplayer_btn_play"));
}

void QVMovieView::actionPlay()
{
    noInteractionSinceSeconds_ = 0;
    if (!mPlayer)
        return;
    if (mPlayer->rate() == 1.0f) {
        showPlayButton(false);
        mPlayer->setRate(0);
        return;
    }
    if (mPlayer->currentTime() == mPlayerItem->duration())
        mPlayer->seekToTime(plat::MediaTime::zero());
    mPlayer->setRate(1.0f);
    showPlayButton(true);
}

void QVMovieView::actionReverse()
{
    noInteractionSinceSeconds_ = 0;
    if (!mPlayer)
        return;
    if (mPlayer->rate() < 0) {
        mPlayer->seekToTime(plat::MediaTime::zero());
        mPlayer->setRate(1.0f);
    } else {
        mPlayer->setRate(kReverseRate);
    }
}

void QVMovieView::actionForward()
{
    noInteractionSinceSeconds_ = 0;
    if (mPlayer)
        mPlayer->setRate(kFastRate);
}

void QVMovieView::actionRewind()
{
    noInteractionSinceSeconds_ = 0;
    if (!mPlayer)
        return;
    mPlayer->seekToTime(plat::MediaTime::zero());
    if (mPlayer->rate() != 0)
        mPlayer->setRate(1.0f);
}

void QVMovieView::actionLoop()
{
    noInteractionSinceSeconds_ = 0;
    isLoop_ = !isLoop_;
    if (_outlets.btnLoop)
        _outlets.btnLoop->setImage(
            plat::Image::imageNamed(isLoop_ ? "movieplayer_btn_loop" : "movieplayer_btn_loop_selected"));
}

void QVMovieView::playerItemDidReachEnd()
{
    if (isLoop_) {
        mPlayer->seekToTime(plat::MediaTime::zero());
        mPlayer->play();
    } else {
        showPlayButton(false);
    }
}

void QVMovieView::playerItemDidFail()
{
    leave(true);
}

void QVMovieView::beginScrubbing()
{
    if (!mPlayer)
        return;
    _playRateToRestore = mPlayer->rate();
    mPlayer->setRate(0);
    removeTimeObserverFromPlayer();
}

void QVMovieView::scrub()
{
    if (!mPlayer)
        return;
    if (mPlayer->rate() == 1.0f) {
        mPlayer->setRate(0);
        showPlayButton(false);
    }
    noInteractionSinceSeconds_ = 0;
    plat::MediaTime duration = mPlayerItem->duration();
    if (mPlayer->status() == plat::MoviePlayer::Status::Failed || !duration.isNumeric() || !_outlets.scrubber)
        return;
    double width = _outlets.scrubber->bounds().width();
    plat::MediaTime tolerance = mediaTime(width > 0 ? duration.seconds() / width : 0);
    mPlayer->seekToTime(mediaTime(_outlets.scrubber->value()), tolerance, tolerance);
}

void QVMovieView::endScrubbing()
{
    noInteractionSinceSeconds_ = 0;
    if (!mPlayer)
        return;
    addTimeObserverToPlayer();
    mPlayer->setRate(_playRateToRestore);
}

void QVMovieView::fadeControls(double alpha, double duration)
{
    auto controls = _outlets.viewLandscapeControls;
    if (!controls)
        return;
    plat::View::animateWithDuration(duration, [&] { controls->setAlpha(alpha); });
}

void QVMovieView::onLoopTimer()
{
    if (!mPlayer || mPlayer->rate() == 0) {
        noInteractionSinceSeconds_ = 0;
        return;
    }
    int32_t before = noInteractionSinceSeconds_++;
    if (before >= kTicksBeforeFade && _outlets.viewLandscapeControls && _outlets.viewLandscapeControls->alpha() > 0) {
        noInteractionSinceSeconds_ = 0;
        fadeControls(0, kFadeOutSeconds);
    }
}

void QVMovieView::actionTouchOnScreen()
{
    noInteractionSinceSeconds_ = 0;
    if (!_outlets.viewLandscapeControls)
        return;
    if (_outlets.viewLandscapeControls->alpha() == 0)
        fadeControls(1.0, kFadeInSeconds);
    else
        fadeControls(0, kFadeOutSeconds);
}

void QVMovieView::openCurtain()
{
    auto left = _outlets.viewLandscapeCurtainLeft;
    auto right = _outlets.viewLandscapeCurtainRight;
    if (!left || !right)
        return;
    const plat::Rect bounds = view()->bounds();
    auto weakSelf = std::weak_ptr<QVMovieView>(std::static_pointer_cast<QVMovieView>(shared_from_this()));
    plat::View::animateWithDuration(
        kOpenCurtainSeconds,
        [&] {
            left->setFrame(plat::makeRect(-kCurtainWidth, 0, kCurtainWidth, bounds.height()));
            right->setFrame(plat::makeRect(bounds.width(), 0, kCurtainWidth, bounds.height()));
        },
        [weakSelf](bool) {
            auto self = weakSelf.lock();
            if (!self || self->_leaving)
                return;
            self->isCurtainOpen_ = true;
            self->actionPlay();
        });
}

void QVMovieView::closeCurtain()
{
    auto left = _outlets.viewLandscapeCurtainLeft;
    auto right = _outlets.viewLandscapeCurtainRight;
    isCurtainOpen_ = false;
    if (!left || !right)
        return;
    const plat::Rect bounds = view()->bounds();
    const double half = std::trunc(bounds.width() / 2);
    plat::View::animateWithDuration(kCloseCurtainSeconds, [&] {
        left->setFrame(plat::makeRect(0, 0, half + 2, bounds.height()));
        right->setFrame(plat::makeRect(half, 0, half + 2, bounds.height()));
    });
}

void QVMovieView::actionCurtain()
{
    if (isCurtainOpen_)
        closeCurtain();
    else
        openCurtain();
}

void QVMovieView::actionHome()
{
    leave(false);
}

void QVMovieView::leave(bool reportFailure)
{
    // The Home button is disabled by its first tap; a failure after it changes nothing.
    if (_leaving)
        return;
    _leaving = true;
    if (_outlets.btnDone)
        _outlets.btnDone->setEnabled(false);
    std::optional<plat::Error> failure = mPlayer ? mPlayer->error() : std::nullopt;
    removeTimeObserverFromPlayer();
    if (mPlayer) {
        mPlayer->pause();
        mPlayer->cancelPendingPrerolls();
    }
    _endObserver = {};
    _failureObserver = {};
    if (_outlets.playbackView)
        _outlets.playbackView->setPlayer(nullptr);
    mPlayer.reset();
    mPlayerItem.reset();
    if (loopTimer)
        loopTimer->invalidate();
    loopTimer.reset();
    if (reportFailure) {
        std::string message = failure ? failure->localizedDescription() : std::string();
        makeMessageAlert(plat::localized("The movie cannot be played."), message, plat::localized("OK"))->show();
    }
    auto weakSelf = std::weak_ptr<QVMovieView>(std::static_pointer_cast<QVMovieView>(shared_from_this()));
    if (_showCurtains && !reportFailure) {
        closeCurtain();
        plat::DispatchQueue::mainQueue().after(kCloseCurtainSeconds, [weakSelf] {
            if (auto self = weakSelf.lock())
                self->done();
        });
    } else {
        done();
    }
}

void QVMovieView::done()
{
    dismissViewControllerAnimated(true, nullptr);
}

}  // namespace zt
