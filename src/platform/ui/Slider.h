#pragma once
#include <map>
#include <memory>
#include <optional>

#include "platform/ui/Control.h"

namespace plat {
class Image;

// The platform's slider: a value between a minimum and a maximum, set by
// dragging the thumb (a touch must start on it) and reported with
// value-changed events while dragging (continuous) or at the end; images at
// the two ends, a thumb picture per state, track tints. Keeps drags and
// swipes of ancestors' recognisers away from its touches.
class Slider : public Control {
public:
    // The platform's thumb and track measures.
    static constexpr double kThumbDiameter = 28;
    static constexpr double kTrackHeight = 2;

    Slider();
    explicit Slider(Rect frame);

    double value() const { return _value; }
    void setValue(double value);
    void setValue(double value, bool animated);
    double minimumValue() const { return _minimumValue; }
    void setMinimumValue(double value);
    double maximumValue() const { return _maximumValue; }
    void setMaximumValue(double value);
    bool isContinuous() const { return _continuous; }
    void setContinuous(bool continuous) { _continuous = continuous; }

    void setThumbImage(std::shared_ptr<const Image> image, unsigned state);
    std::shared_ptr<const Image> thumbImageForState(unsigned state) const;
    std::shared_ptr<const Image> currentThumbImage() const;
    const std::shared_ptr<const Image>& minimumValueImage() const { return _minimumValueImage; }
    void setMinimumValueImage(std::shared_ptr<const Image> image);
    const std::shared_ptr<const Image>& maximumValueImage() const { return _maximumValueImage; }
    void setMaximumValueImage(std::shared_ptr<const Image> image);
    std::optional<Color> minimumTrackTintColor() const { return _minimumTrackTint; }
    void setMinimumTrackTintColor(std::optional<Color> color);
    std::optional<Color> maximumTrackTintColor() const { return _maximumTrackTint; }
    void setMaximumTrackTintColor(std::optional<Color> color);
    std::optional<Color> thumbTintColor() const { return _thumbTint; }
    void setThumbTintColor(std::optional<Color> color);

    Rect minimumValueImageRectForBounds(Rect bounds) const;
    Rect maximumValueImageRectForBounds(Rect bounds) const;
    Rect trackRectForBounds(Rect bounds) const;
    Rect thumbRectForBounds(Rect bounds, Rect trackRect, double value) const;

    bool beginTrackingWithTouch(Touch& touch, const Event& event) override;
    bool continueTrackingWithTouch(Touch& touch, const Event& event) override;
    void endTrackingWithTouch(Touch& touch, const Event& event) override;
    void drawRect(GraphicsContext& context, Rect rect) override;
    Size sizeThatFits(Size size) const override;
    void tintColorDidChange() override { setNeedsDisplay(); }

protected:
    bool keepsDragsFromAncestors() const override { return true; }

private:
    Size thumbSize() const;
    double valueForLocation(double x) const;

    double _value = 0;
    double _minimumValue = 0;
    double _maximumValue = 1;
    bool _continuous = true;
    bool _valueChangedWhileTracking = false;
    double _grabOffset = 0;
    std::map<unsigned, std::shared_ptr<const Image>> _thumbImages;
    std::shared_ptr<const Image> _minimumValueImage;
    std::shared_ptr<const Image> _maximumValueImage;
    std::optional<Color> _minimumTrackTint;
    std::optional<Color> _maximumTrackTint;
    std::optional<Color> _thumbTint;
};

}  // namespace plat
