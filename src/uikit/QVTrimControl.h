#pragma once
#include <memory>
#include <string>

#include "platform/ui/View.h"

namespace plat {
class Control;
class Image;
class ImageView;
class Label;
class PanGestureRecognizer;
}  // namespace plat

namespace zt {
class QVTrimControl;

// Optional: the default does nothing, so a delegate without it is not told.
class QVTrimControlDelegate {
public:
    virtual ~QVTrimControlDelegate() = default;
    // Start and end of the selection, in seconds.
    virtual void trimControl(QVTrimControl& trimControl, double leftValue, double rightValue)
    {
        (void)trimControl;
        (void)leftValue;
        (void)rightValue;
    }
};

// The time bubble shown above a handle while it is dragged: just its
// label, invisible (alpha 0) until shown. Made by its factories, which add
// the label once the bubble is shared. Main thread.
class QVTrimPopover : public plat::View {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    static std::shared_ptr<QVTrimPopover> initWithFrame(plat::Rect frame);
    static std::shared_ptr<QVTrimPopover> initWithFrameResourceBundle(plat::Rect frame, std::string resourceBundle);
    QVTrimPopover(Passkey, plat::Rect frame, std::string resourceBundle);

    const std::shared_ptr<plat::Label>& timeLabel() const { return _timeLabel; }

private:
    std::string _resourceBundle;
    std::shared_ptr<plat::Label> _timeLabel;
};

// A horizontal range control for trimming a clip: a track with a start and
// an end handle and a band between them, each dragged by a finger. The
// selection is kept in percent of the clip's length (0 to 100); the handles
// stay at least 9 apart, and a selection already longer than the longest
// allowed one can only narrow. While a handle is dragged its time shows in a
// bubble above it, while the band is dragged both times. Every accepted step
// reports start and end in seconds to the delegate. Pictures come from the
// app's "QVTrimControl.bundle": "Outer" and "Inner" (the track, whole and
// selected), "Slider" (the handles), "SliderMiddle" (the band's pattern).
// Made by its factories, which build the parts once the control is shared.
// Main thread.
class QVTrimControl : public plat::View {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    static constexpr const char* kResourceBundle = "QVTrimControl.bundle";
    static constexpr double kHandleWidth = 25;
    static constexpr double kHandleHeight = 75;
    static constexpr double kTrackHeight = 9;
    static constexpr double kDefaultThreshold = 22;
    // The handles stay this many percent apart.
    static constexpr double kMinimumGapPercent = 9;
    static constexpr double kHideBubbleSeconds = 0.3;

    // A length that is not above 0 says nothing about where the handles
    // stand: it is refused, the control selects everything and takes no
    // drags. Handles outside the clip are brought onto it.
    static std::shared_ptr<QVTrimControl> initWithFrame(plat::Rect frame, float lengthInSec,
        float maxAvailableLengthInSec, float leftValueInSec, float rightValueInSec);
    static std::shared_ptr<QVTrimControl> initWithFrameResourceBundle(plat::Rect frame, std::string resourceBundle,
        float lengthInSec, float maxAvailableLengthInSec, float leftValueInSec, float rightValueInSec);
    QVTrimControl(Passkey, plat::Rect frame, std::string resourceBundle);

    std::weak_ptr<QVTrimControlDelegate> delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<QVTrimControlDelegate> delegate) { _delegate = std::move(delegate); }
    double length() const { return _length; }
    // Changes the seconds reported, not the handles; a length that is not
    // above 0 is refused.
    void setLength(double length);
    double leftValue() const { return _leftValue * _length / 100; }
    double rightValue() const { return _rightValue * _length / 100; }
    double threshold() const { return _threshold; }
    void setThreshold(double threshold) { _threshold = threshold; }
    const std::string& resourceBundle() const { return _resourceBundle; }

    void layoutSubviews() override;
    void handleLeftPan(plat::PanGestureRecognizer& recognizer);
    void handleRightPan(plat::PanGestureRecognizer& recognizer);
    void handleMiddlePan(plat::PanGestureRecognizer& recognizer);
    std::shared_ptr<plat::Image> bundleImageNamed(const std::string& name) const;
    // "mm:ss" on clips longer than a minute, else "ss:hh" (seconds and hundredths).
    std::string stringFromTime(float seconds) const;
    void hidePopover(plat::View& popover);
    void notifyDelegate();

    // The parts, for the screens' tests.
    const std::shared_ptr<plat::ImageView>& leftThumb() const { return _leftThumb; }
    const std::shared_ptr<plat::ImageView>& rightThumb() const { return _rightThumb; }
    const std::shared_ptr<plat::Control>& centerView() const { return _centerView; }
    const std::shared_ptr<QVTrimPopover>& leftPopover() const { return _leftPopover; }
    const std::shared_ptr<QVTrimPopover>& rightPopover() const { return _rightPopover; }
    const std::shared_ptr<plat::View>& middlePopover() const { return _middlePopover; }
    const std::shared_ptr<plat::Label>& middleLabel() const { return _middleLabel; }

private:
    void setUp(float lengthInSec, float maxAvailableLengthInSec, float leftValueInSec, float rightValueInSec);
    // Δ of a drag step: the finger's movement as percent of the track.
    double stepPercent(plat::PanGestureRecognizer& recognizer) const;
    double trackWidth() const { return bounds().width() - kHandleWidth; }
    double seconds(double percent) const { return static_cast<float>(percent * _length / 100); }
    void showPopover(plat::View& popover, double x);

    std::weak_ptr<QVTrimControlDelegate> _delegate;
    std::string _resourceBundle;
    double _length = 0;
    double _maxAvailableLength = 0;
    double _threshold = kDefaultThreshold;
    double _leftValue = 0;  // percent
    double _rightValue = 100;
    int _minValue = 0;
    int _maxValue = 100;
    std::shared_ptr<plat::ImageView> _outerTrack;
    std::shared_ptr<plat::Control> _centerView;
    std::shared_ptr<plat::ImageView> _leftThumb;
    std::shared_ptr<plat::ImageView> _rightThumb;
    std::shared_ptr<plat::ImageView> _innerTrack;
    std::shared_ptr<QVTrimPopover> _leftPopover;
    std::shared_ptr<QVTrimPopover> _rightPopover;
    std::shared_ptr<plat::View> _middlePopover;
    std::shared_ptr<plat::Label> _middleLabel;
};

}  // namespace zt
