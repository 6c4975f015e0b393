#pragma once
#include <memory>

#include "platform/ui/Control.h"

namespace plat {
class ImageView;
}

namespace zt {

// A vertical slider for a value from 0 (bottom) to 1 (top): the knob's
// centre runs from 20 points above the bottom edge to 20 points below the
// top. Touches anywhere move the knob and send value changed; setValue
// from code sends nothing. Main queue.
class CPUnitSlider : public plat::Control {
public:
    // The band at each end that the knob's centre never enters.
    static constexpr double kEndMargin = 20;

    static std::shared_ptr<CPUnitSlider> initWithFrame(plat::Rect frame);
    // Use initWithFrame; public for std::make_shared.
    explicit CPUnitSlider(plat::Rect frame);

    double value() const { return _value; }
    // Clamps to 0...1 and moves the knob.
    void setValue(double value);
    void mapPointToValue(plat::Point point);
    const std::shared_ptr<plat::ImageView>& sliderKnobView() const { return _sliderKnobView; }

    bool beginTrackingWithTouch(plat::Touch& touch, const plat::Event& event) override;
    bool continueTrackingWithTouch(plat::Touch& touch, const plat::Event& event) override;
    void endTrackingWithTouch(plat::Touch& touch, const plat::Event& event) override;
    // The knob stays in front of anything added later.
    void didAddSubview(plat::View& subview) override;

protected:
    // Adds the knob; a subclass adds its parts after it.
    virtual void setUp();
    bool keepsDragsFromAncestors() const override { return true; }

private:
    std::shared_ptr<plat::ImageView> _sliderKnobView;
    double _value = 0;
};

}  // namespace zt
