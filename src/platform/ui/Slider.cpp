#include "platform/ui/Slider.h"

#include <algorithm>

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

namespace plat {

namespace {

// Room between an end image and the track.
constexpr double kImageGap = 8;
// A touch this close to the thumb's edge still grabs it.
constexpr double kThumbGrabSlop = 10;
const Color kMaximumTrackDefault = Color::colorWithWhite(0.72, 1);

}  // namespace

Slider::Slider()
    : Slider(Rect {})
{
}

Slider::Slider(Rect frame)
    : Control(frame)
{
    setBackgroundColor(std::nullopt);
}

void Slider::setValue(double value)
{
    double clamped = std::clamp(value, _minimumValue, std::max(_minimumValue, _maximumValue));
    if (clamped == _value)
        return;
    _value = clamped;
    setNeedsDisplay();
}

void Slider::setValue(double value, bool)
{
    setValue(value);
}

void Slider::setMinimumValue(double value)
{
    _minimumValue = value;
    if (_maximumValue < value)
        _maximumValue = value;
    setValue(_value);
    setNeedsDisplay();
}

void Slider::setMaximumValue(double value)
{
    _maximumValue = value;
    if (_minimumValue > value)
        _minimumValue = value;
    setValue(_value);
    setNeedsDisplay();
}

void Slider::setThumbImage(std::shared_ptr<const Image> image, unsigned state)
{
    if (image)
        _thumbImages[state] = std::move(image);
    else
        _thumbImages.erase(state);
    setNeedsDisplay();
}

std::shared_ptr<const Image> Slider::thumbImageForState(unsigned state) const
{
    if (auto it = _thumbImages.find(state); it != _thumbImages.end())
        return it->second;
    if (auto it = _thumbImages.find(ControlStateNormal); it != _thumbImages.end())
        return it->second;
    return nullptr;
}

std::shared_ptr<const Image> Slider::currentThumbImage() const
{
    return thumbImageForState(state());
}

void Slider::setMinimumValueImage(std::shared_ptr<const Image> image)
{
    _minimumValueImage = std::move(image);
    setNeedsDisplay();
}

void Slider::setMaximumValueImage(std::shared_ptr<const Image> image)
{
    _maximumValueImage = std::move(image);
    setNeedsDisplay();
}

void Slider::setMinimumTrackTintColor(std::optional<Color> color)
{
    _minimumTrackTint = std::move(color);
    setNeedsDisplay();
}

void Slider::setMaximumTrackTintColor(std::optional<Color> color)
{
    _maximumTrackTint = std::move(color);
    setNeedsDisplay();
}

void Slider::setThumbTintColor(std::optional<Color> color)
{
    _thumbTint = std::move(color);
    setNeedsDisplay();
}

Size Slider::thumbSize() const
{
    if (auto image = currentThumbImage())
        return image->size();
    return {kThumbDiameter, kThumbDiameter};
}

Rect Slider::minimumValueImageRectForBounds(Rect bounds) const
{
    if (!_minimumValueImage)
        return {{bounds.minX(), bounds.midY()}, {0, 0}};
    Size size = _minimumValueImage->size();
    return {{bounds.minX(), bounds.midY() - size.height / 2}, size};
}

Rect Slider::maximumValueImageRectForBounds(Rect bounds) const
{
    if (!_maximumValueImage)
        return {{bounds.maxX(), bounds.midY()}, {0, 0}};
    Size size = _maximumValueImage->size();
    return {{bounds.maxX() - size.width, bounds.midY() - size.height / 2}, size};
}

Rect Slider::trackRectForBounds(Rect bounds) const
{
    double left = bounds.minX();
    double right = bounds.maxX();
    if (_minimumValueImage)
        left = minimumValueImageRectForBounds(bounds).maxX() + kImageGap;
    if (_maximumValueImage)
        right = maximumValueImageRectForBounds(bounds).minX() - kImageGap;
    return {{left, bounds.midY() - kTrackHeight / 2}, {std::max(0.0, right - left), kTrackHeight}};
}

Rect Slider::thumbRectForBounds(Rect bounds, Rect trackRect, double value) const
{
    Size size = thumbSize();
    double span = _maximumValue - _minimumValue;
    double fraction = span > 0 ? (value - _minimumValue) / span : 0;
    double travel = std::max(0.0, trackRect.width() - size.width);
    double x = trackRect.minX() + fraction * travel;
    return {{x, bounds.midY() - size.height / 2}, size};
}

double Slider::valueForLocation(double x) const
{
    Rect track = trackRectForBounds(bounds());
    double travel = std::max(1e-9, track.width() - thumbSize().width);
    double fraction = std::clamp((x - track.minX() - thumbSize().width / 2) / travel, 0.0, 1.0);
    return _minimumValue + fraction * (_maximumValue - _minimumValue);
}

bool Slider::beginTrackingWithTouch(Touch& touch, const Event&)
{
    Point p = touch.locationInView(this);
    Rect thumb = thumbRectForBounds(bounds(), trackRectForBounds(bounds()), _value);
    Rect grab {{thumb.minX() - kThumbGrabSlop, thumb.minY() - kThumbGrabSlop},
        {thumb.width() + 2 * kThumbGrabSlop, thumb.height() + 2 * kThumbGrabSlop}};
    _valueChangedWhileTracking = false;
    if (!grab.contains(p))
        return false;
    _grabOffset = p.x - thumb.midX();
    return true;
}

bool Slider::continueTrackingWithTouch(Touch& touch, const Event&)
{
    double before = _value;
    setValue(valueForLocation(touch.locationInView(this).x - _grabOffset));
    if (_value != before) {
        _valueChangedWhileTracking = true;
        if (_continuous)
            sendActionsForControlEvents(ControlEventValueChanged);
    }
    return true;
}

void Slider::endTrackingWithTouch(Touch& touch, const Event& event)
{
    continueTrackingWithTouch(touch, event);
    if (!_continuous && _valueChangedWhileTracking)
        sendActionsForControlEvents(ControlEventValueChanged);
}

Size Slider::sizeThatFits(Size size) const
{
    return {size.width, std::max(thumbSize().height, 31.0)};
}

void Slider::drawRect(GraphicsContext& context, Rect)
{
    if (!isEnabled())
        context.setAlpha(kDisabledContentAlpha);
    Rect b = bounds();
    if (_minimumValueImage)
        context.drawImage(*_minimumValueImage, minimumValueImageRectForBounds(b));
    if (_maximumValueImage)
        context.drawImage(*_maximumValueImage, maximumValueImageRectForBounds(b));
    Rect track = trackRectForBounds(b);
    Rect thumb = thumbRectForBounds(b, track, _value);
    context.setFillColor(_maximumTrackTint.value_or(kMaximumTrackDefault));
    context.fillRect(track);
    context.setFillColor(_minimumTrackTint.value_or(tintColor()));
    context.fillRect({track.origin, {std::max(0.0, thumb.midX() - track.minX()), track.height()}});
    if (auto image = currentThumbImage()) {
        context.drawImage(*image, thumb);
        return;
    }
    context.setFillColor(_thumbTint.value_or(Color::whiteColor()));
    context.fillEllipseInRect(thumb);
    context.setStrokeColor(Color::colorWithWhite(0, 0.2));
    context.setLineWidth(0.5);
    context.strokeEllipseInRect(thumb);
}

}  // namespace plat
