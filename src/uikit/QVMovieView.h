#pragma once
#include <memory>
#include <string>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/URL.h"
#include "platform/media/MoviePlayer.h"
#include "platform/ui/ViewController.h"

namespace plat {
class BarButtonItem;
class ImageView;
class Label;
class PlayerItem;
class Slider;
class Timer;
class Toolbar;
class View;
}  // namespace plat

namespace zt {
class AVPlayerDemoPlaybackView;

// The views of the movie player's layout.
struct QVMovieViewOutlets {
    std::shared_ptr<AVPlayerDemoPlaybackView> playbackView;
    std::shared_ptr<plat::View> viewLandscapeControls;
    std::shared_ptr<plat::Toolbar> toolBar;
    std::shared_ptr<plat::Toolbar> toolBarLower;
    std::shared_ptr<plat::BarButtonItem> btnPlayPause;
    std::shared_ptr<plat::BarButtonItem> btnLoop;
    std::shared_ptr<plat::BarButtonItem> btnRewind;
    std::shared_ptr<plat::BarButtonItem> btnDone;
    std::shared_ptr<plat::ImageView> viewLandscapeCurtainLeft;
    std::shared_ptr<plat::ImageView> viewLandscapeCurtainRight;
    std::shared_ptr<plat::Slider> scrubber;
    std::shared_ptr<plat::Label> labelCurrent;
    std::shared_ptr<plat::Label> labelEnd;
};

// The full-screen movie player of a rendered movie, behind two theatre
// curtains that open before it plays and close before it leaves: play and
// pause, reverse, fast forward, rewind, loop and a scrubber with the
// elapsed and remaining time; the controls fade after a few seconds of
// playback. A movie that cannot be played shows the player's error and
// closes the screen. Landscape only. Main thread.
class QVMovieView : public plat::ViewController {
public:
    static constexpr double kControlsClockSeconds = 1.0;
    static constexpr double kOpenCurtainSeconds = 2.0;
    static constexpr double kCloseCurtainSeconds = 1.0;

    QVMovieView(std::string nibName, plat::URL movieURL, bool showCurtains = true);
    ~QVMovieView() override;

    void setOutlets(QVMovieViewOutlets outlets) { _outlets = std::move(outlets); }
    const QVMovieViewOutlets& outlets() const { return _outlets; }

    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    unsigned supportedInterfaceOrientations() const override;
    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const override;

    void actionPlay();
    void actionReverse();
    void actionForward();
    void actionRewind();
    void actionCurtain();
    void actionHome();
    void actionTouchOnScreen();
    void actionLoop();
    void beginScrubbing();
    void scrub();
    void endScrubbing();

    const std::shared_ptr<plat::MoviePlayer>& player() const { return mPlayer; }
    bool isLoop() const { return isLoop_; }
    bool isCurtainOpen() const { return isCurtainOpen_; }
    int32_t noInteractionSinceSeconds() const { return noInteractionSinceSeconds_; }

    // "%.2d:%.2d" of whole minutes and the seconds left over: 75.9 is 01:15.
    static std::string stringFromTime(float seconds);

private:
    void setAVPlayerItem();
    void syncScrubber();
    void addTimeObserverToPlayer();
    void removeTimeObserverFromPlayer();
    void playerItemDidReachEnd();
    void playerItemDidFail();
    void openCurtain();
    void closeCurtain();
    void done();
    void onLoopTimer();
    void showPlayButton(bool playing);
    void fadeControls(double alpha, double duration);
    void leave(bool reportFailure);

    QVMovieViewOutlets _outlets;
    plat::URL _movieURL;
    const bool _showCurtains;
    std::shared_ptr<plat::MoviePlayer> mPlayer;
    std::shared_ptr<plat::PlayerItem> mPlayerItem;
    std::shared_ptr<plat::Timer> loopTimer;
    int32_t noInteractionSinceSeconds_ = 0;
    bool isLoop_ = true;
    bool isCurtainOpen_ = false;
    bool _leaving = false;
    float _playRateToRestore = 0;
    plat::MoviePlayer::ObserverToken _timeObserver = 0;
    plat::ObserverToken _endObserver {};
    plat::ObserverToken _failureObserver {};
};

}  // namespace zt
