#pragma once
#include <memory>

#include "painter/CPUnitSlider.h"

namespace plat {
class GradientLayer;
}

namespace zt {

// The picker's opacity slider: a gradient from the key colour (opaque, at
// the top) to the same colour fully transparent, over a checkerboard that
// shows through where the colour is see-through. Main queue.
class CPColorPickerAlphaSlider : public CPUnitSlider {
public:
    static std::shared_ptr<CPColorPickerAlphaSlider> initWithFrame(plat::Rect frame);
    // Use initWithFrame; public for std::make_shared.
    explicit CPColorPickerAlphaSlider(plat::Rect frame);

    void setFrame(plat::Rect frame) override;
    void setKeyColor(const plat::Color& color);
    const std::shared_ptr<plat::GradientLayer>& gradientLayer() const { return _gradientLayer; }
    const std::shared_ptr<plat::View>& checkerboardView() const { return _checkerboardView; }

protected:
    void setUp() override;

private:
    void placeGradient();

    std::shared_ptr<plat::GradientLayer> _gradientLayer;
    std::shared_ptr<plat::View> _checkerboardView;
};

}  // namespace zt
