#pragma once
#include <memory>

#include "platform/ui/Control.h"

namespace plat {
class ImageView;
}

namespace zt {

// Hue, saturation and brightness (value), each 0...1.
struct HSVType {
    float h = 0;
    float s = 0;
    float v = 0;
};

// The hue and saturation wheel: a disc whose hue runs counter-clockwise
// from the right of its centre and whose saturation grows from the centre
// to the rim, with a knob at the current colour. It keeps no brightness
// (always 1). A touch must begin on the disc's picture; it may then wander
// beyond the rim, where saturation stays 1. Main queue.
class CPColorPickerHSWheel : public plat::Control {
public:
    static constexpr double kSide = 165;
    // Touches nearer the centre than this pick no saturation.
    static constexpr double kCentreDeadRadius = 10;
    // The knob's centre stays this far inside the rim.
    static constexpr double kRimInset = 3;

    // A wheel of kSide x kSide at the point, showing hue 0, saturation 0.
    static std::shared_ptr<CPColorPickerHSWheel> initAtOrigin(plat::Point origin);
    // Use initAtOrigin; public for std::make_shared.
    explicit CPColorPickerHSWheel(plat::Rect frame);

    HSVType currentHSV() const { return _currentHSV; }
    // Keeps h and s (brightness is always 1) and moves the knob.
    void setCurrentHSV(HSVType hsv);
    float hue() const { return _currentHSV.h; }
    float saturation() const { return _currentHSV.s; }
    float brightness() const { return _currentHSV.v; }
    // The colour under a point of the wheel's picture; sends value changed.
    void mapPointToColor(plat::Point point);

    const std::shared_ptr<plat::ImageView>& wheelImageView() const { return _wheelImageView; }
    const std::shared_ptr<plat::ImageView>& wheelKnobView() const { return _wheelKnobView; }

    bool beginTrackingWithTouch(plat::Touch& touch, const plat::Event& event) override;
    bool continueTrackingWithTouch(plat::Touch& touch, const plat::Event& event) override;
    void endTrackingWithTouch(plat::Touch& touch, const plat::Event& event) override;

protected:
    bool keepsDragsFromAncestors() const override { return true; }

private:
    void setUp();
    plat::Point pointInWheel(plat::Touch& touch) const;

    std::shared_ptr<plat::ImageView> _wheelImageView;
    std::shared_ptr<plat::ImageView> _wheelKnobView;
    HSVType _currentHSV;
};

}  // namespace zt
