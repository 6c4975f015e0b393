#pragma once
#include <memory>

#include "painter/CPUnitSlider.h"

namespace plat {
class GradientLayer;
}

namespace zt {

// The picker's brightness slider: over a gradient from the key colour (the
// picked hue and saturation at full brightness) at the top to black at the
// bottom. Main queue.
class CPColorPickerBrightnessSlider : public CPUnitSlider {
public:
    static std::shared_ptr<CPColorPickerBrightnessSlider> initWithFrame(plat::Rect frame);
    // Use initWithFrame; public for std::make_shared.
    explicit CPColorPickerBrightnessSlider(plat::Rect frame);

    void setFrame(plat::Rect frame) override;
    void setKeyColor(const plat::Color& color);
    const std::shared_ptr<plat::GradientLayer>& gradientLayer() const { return _gradientLayer; }

protected:
    void setUp() override;

private:
    void placeGradient();

    std::shared_ptr<plat::GradientLayer> _gradientLayer;
};

}  // namespace zt
