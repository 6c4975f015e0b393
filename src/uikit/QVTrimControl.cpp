#include "uikit/QVTrimControl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/EdgeInsets.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Control.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/PanGestureRecognizer.h"

namespace zt {

namespace {

constexpr double kPopoverX = -9;
constexpr double kPopoverY = -28;
constexpr double kPopoverWidth = 40;
constexpr double kPopoverHeight = 28;
constexpr double kMiddlePopoverWidth = 90;
// Centred where a 10-point-high label at y 6 centres its text, and high
// enough that the 12-point digits are not cut.
constexpr double kLabelY = 3;
constexpr double kLabelHeight = 16;
constexpr double kLabelFontSize = 12;
constexpr double kHandleCentreY = 37;
constexpr double kHandleCentreOffset = 12;
constexpr double kBandHeight = 50;
constexpr double kTrackCapWidth = 5;
constexpr double kInnerTrackX = 10;
// The band's bubble sits this far left of the middle between the handles.
constexpr double kMiddlePopoverOffset = 34;
constexpr double kSecondsPerMinute = 60;

std::shared_ptr<plat::Label> makeTimeLabel(double width)
{
    auto label = std::make_shared<plat::Label>(plat::makeRect(0, kLabelY, width, kLabelHeight));
    label->setFont(plat::Font::boldSystemFontOfSize(kLabelFontSize));
    label->setTextColor(plat::Color::whiteColor());
    label->setBackgroundColor(plat::Color::clearColor());
    label->setTextAlignment(plat::TextAlignment::Center);
    return label;
}

// A track picture stretched between its rounded ends.
std::shared_ptr<const plat::Image> stretchable(const std::shared_ptr<plat::Image>& image)
{
    if (!image)
        return nullptr;
    const double right = std::max(0.0, image->size().width - kTrackCapWidth - 1);
    return image->resizableImageWithCapInsets(plat::EdgeInsets {0, kTrackCapWidth, 0, right});
}

bool isActiveStep(const plat::PanGestureRecognizer& recognizer)
{
    auto state = recognizer.state();
    return state == plat::GestureRecognizerState::Began || state == plat::GestureRecognizerState::Changed;
}

}  // namespace

QVTrimPopover::QVTrimPopover(Passkey, plat::Rect frame, std::string resourceBundle)
    : plat::View(frame)
    , _resourceBundle(std::move(resourceBundle))
    , _timeLabel(makeTimeLabel(kPopoverWidth))
{
    setAlpha(0);
}

std::shared_ptr<QVTrimPopover> QVTrimPopover::initWithFrame(plat::Rect frame)
{
    return initWithFrameResourceBundle(frame, QVTrimControl::kResourceBundle);
}

std::shared_ptr<QVTrimPopover> QVTrimPopover::initWithFrameResourceBundle(plat::Rect frame, std::string resourceBundle)
{
    auto popover = std::make_shared<QVTrimPopover>(Passkey(), frame, std::move(resourceBundle));
    popover->addSubview(popover->_timeLabel);
    return popover;
}

QVTrimControl::QVTrimControl(Passkey, plat::Rect frame, std::string resourceBundle)
    : plat::View(frame)
    , _resourceBundle(std::move(resourceBundle))
{
}

std::shared_ptr<QVTrimControl> QVTrimControl::initWithFrame(
    plat::Rect frame, float lengthInSec, float maxAvailableLengthInSec, float leftValueInSec, float rightValueInSec)
{
    return initWithFrameResourceBundle(
        frame, kResourceBundle, lengthInSec, maxAvailableLengthInSec, leftValueInSec, rightValueInSec);
}

std::shared_ptr<QVTrimControl> QVTrimControl::initWithFrameResourceBundle(plat::Rect frame, std::string resourceBundle,
    float lengthInSec, float maxAvailableLengthInSec, float leftValueInSec, float rightValueInSec)
{
    auto control = std::make_shared<QVTrimControl>(Passkey(), frame, std::move(resourceBundle));
    control->setUp(lengthInSec, maxAvailableLengthInSec, leftValueInSec, rightValueInSec);
    return control;
}

void QVTrimControl::setUp(float lengthInSec, float maxAvailableLengthInSec, float leftValueInSec, float rightValueInSec)
{
    _maxAvailableLength = maxAvailableLengthInSec;
    if (std::isfinite(lengthInSec) && lengthInSec > 0) {
        _length = lengthInSec;
        // In single precision, as the handles have always been placed.
        float left = leftValueInSec / lengthInSec * 100.0f;
        float right = rightValueInSec / lengthInSec * 100.0f;
        _leftValue = std::isfinite(left) ? std::clamp<double>(left, _minValue, _maxValue) : _minValue;
        _rightValue = std::isfinite(right) ? std::clamp<double>(right, _leftValue, _maxValue) : _maxValue;
    } else {
        // Positions from a clip without length would be no numbers at all.
        plat::log("QVTrimControl: a clip length of {} s is refused; the control takes no drags", lengthInSec);
        setUserInteractionEnabled(false);
    }

    const double w = bounds().width();
    const double h = bounds().height();
    _outerTrack = std::make_shared<plat::ImageView>(
        plat::makeRect(_threshold, h / 2 - 4, w - 1 - 2 * _threshold, kTrackHeight));
    _outerTrack->setImage(stretchable(bundleImageNamed("Outer")));
    addSubview(_outerTrack);

    _centerView = std::make_shared<plat::Control>(plat::makeRect(0, 0, w, h));
    if (auto pattern = bundleImageNamed("SliderMiddle"))
        _centerView->setBackgroundColor(plat::Color::colorWithPatternImage(pattern));
    _centerView->addGestureRecognizer(
        std::make_shared<plat::PanGestureRecognizer>(this, &QVTrimControl::handleMiddlePan));
    addSubview(_centerView);

    auto makeThumb = [&](double x, plat::ContentMode mode, void (QVTrimControl::*action)(plat::PanGestureRecognizer&)) {
        auto thumb = std::make_shared<plat::ImageView>(plat::makeRect(x, 0, kHandleWidth, kHandleHeight));
        thumb->setImage(bundleImageNamed("Slider"));
        thumb->setContentMode(mode);
        thumb->setUserInteractionEnabled(true);
        thumb->setClipsToBounds(true);
        thumb->addGestureRecognizer(std::make_shared<plat::PanGestureRecognizer>(this, action));
        addSubview(thumb);
        return thumb;
    };
    _leftThumb = makeThumb(0, plat::ContentMode::Left, &QVTrimControl::handleLeftPan);
    _rightThumb = makeThumb(w - kHandleWidth, plat::ContentMode::Right, &QVTrimControl::handleRightPan);

    _innerTrack = std::make_shared<plat::ImageView>(plat::makeRect(kInnerTrackX, h / 2 - 4, w - 21, kTrackHeight));
    _innerTrack->setImage(stretchable(bundleImageNamed("Inner")));
    addSubview(_innerTrack);

    const plat::Rect popoverFrame = plat::makeRect(kPopoverX, kPopoverY, kPopoverWidth, kPopoverHeight);
    _leftPopover = QVTrimPopover::initWithFrameResourceBundle(popoverFrame, _resourceBundle);
    addSubview(_leftPopover);
    _rightPopover = QVTrimPopover::initWithFrameResourceBundle(popoverFrame, _resourceBundle);
    addSubview(_rightPopover);
    _middlePopover
        = std::make_shared<plat::View>(plat::makeRect(kPopoverX, kPopoverY, kMiddlePopoverWidth, kPopoverHeight));
    _middleLabel = makeTimeLabel(kMiddlePopoverWidth);
    _middlePopover->addSubview(_middleLabel);
    _middlePopover->setAlpha(0);
    addSubview(_middlePopover);
}

void QVTrimControl::setLength(double length)
{
    if (!std::isfinite(length) || length <= 0) {
        plat::log("QVTrimControl: a clip length of {} s is refused; it stays {} s", length, _length);
        return;
    }
    _length = length;
}

std::shared_ptr<plat::Image> QVTrimControl::bundleImageNamed(const std::string& name) const
{
    return plat::Image::imageNamed(plat::formatLine("{}/{}", _resourceBundle, name));
}

void QVTrimControl::layoutSubviews()
{
    const float track = static_cast<float>(trackWidth());
    const float range = static_cast<float>(_maxValue - _minValue);
    const float startX = std::floor(track * static_cast<float>(_leftValue - _minValue) / range);
    const float endX = std::floor(track * static_cast<float>(_rightValue - _minValue) / range);
    _leftThumb->setCenter({std::isnan(startX) ? kHandleCentreOffset : startX + kHandleCentreOffset, kHandleCentreY});
    _rightThumb->setCenter({std::isnan(endX) ? kHandleCentreOffset : endX + kHandleCentreOffset, kHandleCentreY});

    const plat::Rect left = _leftThumb->frame();
    const plat::Rect right = _rightThumb->frame();
    _centerView->setFrame(plat::makeRect(
        left.minX() + kHandleWidth, 0, std::max(0.0, right.minX() - left.minX() - kHandleWidth), kBandHeight));
    const plat::Rect inner = _innerTrack->frame();
    const double innerX = left.minX() + _threshold;
    _innerTrack->setFrame(
        plat::makeRect(innerX, inner.minY(), std::max(0.0, right.maxX() - _threshold - innerX), inner.height()));
    const double outerHeight = _outerTrack->image() ? _outerTrack->image()->size().height : kTrackHeight;
    _outerTrack->setFrame(
        plat::makeRect(_threshold, bounds().height() / 2 - 4, bounds().width() - 1 - 2 * _threshold, outerHeight));
}

double QVTrimControl::stepPercent(plat::PanGestureRecognizer& recognizer) const
{
    return (_maxValue - _minValue) * (recognizer.translationInView(this).x / trackWidth());
}

void QVTrimControl::showPopover(plat::View& popover, double x)
{
    popover.setAlpha(1.0);
    plat::Rect frame = popover.frame();
    frame.origin.x = x;
    popover.setFrame(frame);
}

void QVTrimControl::handleLeftPan(plat::PanGestureRecognizer& recognizer)
{
    if (isActiveStep(recognizer)) {
        const double delta = stepPercent(recognizer);
        const double newStart = _leftValue + delta;
        const bool grows = seconds(newStart) < seconds(_leftValue);
        if (grows && seconds((_rightValue + delta) - newStart) > _maxAvailableLength)
            return;  // already longer than allowed: only narrowing is taken
        _leftValue = std::max<double>(newStart, _minValue);
        // Stopped short of the end; never below the start of the clip.
        if (_rightValue - _leftValue < kMinimumGapPercent + 1)
            _leftValue = std::max<double>(_rightValue - kMinimumGapPercent, _minValue);
        recognizer.setTranslation({0, 0}, this);
        setNeedsLayout();
        showPopover(*_leftPopover, _leftThumb->frame().minX() + kPopoverX);
        _leftPopover->timeLabel()->setText(stringFromTime(static_cast<float>(seconds(_leftValue))));
        notifyDelegate();
    } else if (recognizer.state() == plat::GestureRecognizerState::Ended) {
        hidePopover(*_leftPopover);
    }
}

void QVTrimControl::handleRightPan(plat::PanGestureRecognizer& recognizer)
{
    if (isActiveStep(recognizer)) {
        const double delta = stepPercent(recognizer);
        const double newEnd = _rightValue + delta;
        const bool grows = seconds(newEnd) > seconds(_rightValue);
        if (grows && seconds(newEnd - (_leftValue + delta)) > _maxAvailableLength)
            return;
        _rightValue = std::min<double>(newEnd, _maxValue);
        if (_rightValue - _leftValue < kMinimumGapPercent + 1)
            _rightValue = std::min<double>(_leftValue + kMinimumGapPercent, _maxValue);
        recognizer.setTranslation({0, 0}, this);
        setNeedsLayout();
        showPopover(*_rightPopover, _rightThumb->frame().minX() + kPopoverX);
        _rightPopover->timeLabel()->setText(stringFromTime(static_cast<float>(seconds(_rightValue))));
        notifyDelegate();
    } else if (recognizer.state() == plat::GestureRecognizerState::Ended) {
        hidePopover(*_rightPopover);
    }
}

void QVTrimControl::handleMiddlePan(plat::PanGestureRecognizer& recognizer)
{
    if (isActiveStep(recognizer)) {
        const double delta = stepPercent(recognizer);
        // Into either end the band rests there with its span.
        if (_leftValue + delta < _minValue) {
            _rightValue = _rightValue - _leftValue;
            _leftValue = _minValue;
            setNeedsLayout();
            notifyDelegate();
            return;
        }
        if (_rightValue + delta > _maxValue) {
            _leftValue = _maxValue - (_rightValue - _leftValue);
            _rightValue = _maxValue;
            setNeedsLayout();
            notifyDelegate();
            return;
        }
        _leftValue += delta;
        _rightValue += delta;
        recognizer.setTranslation({0, 0}, this);
        setNeedsLayout();
        const double startX = _leftThumb->frame().minX();
        const double endX = _rightThumb->frame().minX();
        showPopover(*_middlePopover, startX - kMiddlePopoverOffset + std::floor((endX - startX) / 2));
        _middleLabel->setText(
            plat::formatLine("{}  \u2014  {}", stringFromTime(static_cast<float>(seconds(_leftValue))),
                stringFromTime(static_cast<float>(seconds(_rightValue)))));
        notifyDelegate();
    } else if (recognizer.state() == plat::GestureRecognizerState::Ended) {
        hidePopover(*_middlePopover);
    }
}

std::string QVTrimControl::stringFromTime(float seconds) const
{
    const float t = std::isfinite(seconds) && seconds > 0 ? seconds : 0.0f;
    const auto minutes = static_cast<long>(std::floor(t / static_cast<float>(kSecondsPerMinute)));
    const auto wholeSeconds
        = static_cast<long>(t - static_cast<float>(kSecondsPerMinute) * static_cast<float>(minutes));
    // Hundredths of what is left after the minutes and seconds.
    const auto hundredths = static_cast<long>(
        (t - static_cast<float>(kSecondsPerMinute) * static_cast<float>(minutes) - static_cast<float>(wholeSeconds))
        * 100.0f);
    char text[48];
    if (_length > kSecondsPerMinute) {
        std::snprintf(text, sizeof text, "%.2ld:%.2ld", minutes, wholeSeconds);
    } else {
        // A clip of a minute or less counts in seconds: its full minute reads 60:00.
        std::snprintf(text, sizeof text, "%.2ld:%.2ld", minutes * static_cast<long>(kSecondsPerMinute) + wholeSeconds,
            hundredths);
    }
    return text;
}

void QVTrimControl::hidePopover(plat::View& popover)
{
    // The changes are made at once; the screen shows the fade.
    plat::View::animateWithDuration(
        kHideBubbleSeconds, 0, plat::ViewAnimationOptionLayoutSubviews | plat::ViewAnimationOptionAllowUserInteraction,
        [&popover] { popover.setAlpha(0); }, nullptr);
}

void QVTrimControl::notifyDelegate()
{
    if (auto delegate = _delegate.lock())
        delegate->trimControl(*this, leftValue(), rightValue());
}

}  // namespace zt
