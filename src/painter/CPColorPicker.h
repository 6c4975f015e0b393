#pragma once
#include <memory>

#include "painter/CPColorPickerHSWheel.h"
#include "platform/graphics/Color.h"
#include "platform/ui/Control.h"

namespace zt {
class CPColorCompareView;
class CPColorPickerAlphaSlider;
class CPColorPickerBrightnessSlider;

// Hue, saturation and value of a colour. Hue runs from the red at 1.0 (not
// 0) through yellow 1/6, green 1/3 and blue 2/3; greys have hue and
// saturation 0.
HSVType rgbToHSV(float red, float green, float blue);

// The colour picker: a hue and saturation wheel beside a brightness slider,
// and, when a caller adds them, an opacity slider and a compare view of the
// old and the current colour. Every change of the selected colour, also one
// made by code, brings the parts in step from the colour's own components
// and sends value changed. Main queue.
class CPColorPicker : public plat::Control {
public:
    static constexpr plat::Point kWheelOrigin {5, 5};
    static constexpr plat::Rect kBrightnessSliderFrame {{180, 5}, {38, 180}};

    static std::shared_ptr<CPColorPicker> initWithFrame(plat::Rect frame);
    // Use initWithFrame; public for std::make_shared.
    explicit CPColorPicker(plat::Rect frame);

    const plat::Color& selectedColor() const { return _selectedColor; }
    void setSelectedColor(const plat::Color& color);
    void setSelectedColor(const plat::Color& color, bool animated);
    const plat::Color& oldColor() const { return _oldColor; }
    void setOldColor(const plat::Color& color);

    const std::shared_ptr<CPColorPickerHSWheel>& colorWheel() const { return _colorWheel; }
    const std::shared_ptr<CPColorPickerBrightnessSlider>& brightnessSlider() const { return _brightnessSlider; }
    const std::shared_ptr<CPColorPickerAlphaSlider>& alphaSlider() const { return _alphaSlider; }
    // The caller places the slider and wires its value changed to alphaChanged.
    void setAlphaSlider(std::shared_ptr<CPColorPickerAlphaSlider> slider) { _alphaSlider = std::move(slider); }
    const std::shared_ptr<CPColorCompareView>& currentColorView() const { return _currentColorView; }
    void setCurrentColorView(std::shared_ptr<CPColorCompareView> view);

    void colorWheelColorChanged(CPColorPickerHSWheel& wheel);
    void brightnessChanged();
    void alphaChanged();
    // A swatch's action: its colour becomes the selected one.
    void swatchAction(plat::Control& swatch);
    // A compare view's action: its old colour becomes the selected one again.
    void oldColor(plat::Control& compareView);

    void layoutSubviews() override;
    // The parts keep the places they were given at set-up.
    void fixLocations() { }

private:
    void setUp();

    plat::Color _selectedColor = plat::Color::whiteColor();
    plat::Color _oldColor = plat::Color::whiteColor();
    std::shared_ptr<CPColorPickerHSWheel> _colorWheel;
    std::shared_ptr<CPColorPickerBrightnessSlider> _brightnessSlider;
    std::shared_ptr<CPColorPickerAlphaSlider> _alphaSlider;
    std::shared_ptr<CPColorCompareView> _currentColorView;
};

}  // namespace zt
