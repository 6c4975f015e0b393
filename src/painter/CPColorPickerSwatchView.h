#pragma once
#include <memory>
#include <optional>

#include "platform/graphics/Color.h"
#include "platform/graphics/Path.h"
#include "platform/ui/Control.h"

namespace plat {
class Layer;
class ShapeLayer;
}  // namespace plat

namespace zt {

// A rounded colour swatch button: the colour over a checkerboard where it
// is see-through, a rim, a check mark while selected and a darker shade
// while touched. Main queue.
class CPColorPickerSwatchView : public plat::Control {
public:
    static constexpr double kCheckmarkSide = 22;
    // The check mark's centre from the bottom-right corner.
    static constexpr double kCheckmarkInset = 14;
    static constexpr double kTouchDownOpacity = 0.2;

    static std::shared_ptr<CPColorPickerSwatchView> initWithFrame(plat::Rect frame);
    // Use initWithFrame; public for std::make_shared.
    explicit CPColorPickerSwatchView(plat::Rect frame);

    const plat::Color& color() const { return _color; }
    void setColor(const plat::Color& color);
    double borderWidth() const { return _borderWidth; }
    void setBorderWidth(double width);
    double cornerRadius() const { return _cornerRadius; }
    void setCornerRadius(double radius);
    bool hasShadow() const { return _hasShadow; }
    void setHasShadow(bool hasShadow);
    const plat::Color& checkerboardColor();
    std::shared_ptr<plat::ShapeLayer> touchDownLayer() const { return _touchDownLayer.lock(); }
    std::shared_ptr<plat::Layer> checkmarkLayer() const { return _checkmarkLayer.lock(); }

    void setSelected(bool selected) override;
    void setSelected(bool selected, bool animated);
    void drawRect(plat::GraphicsContext& context, plat::Rect rect) override;
    void layoutSubviews() override;

    bool beginTrackingWithTouch(plat::Touch& touch, const plat::Event& event) override;
    void endTrackingWithTouch(plat::Touch& touch, const plat::Event& event) override;
    void cancelTrackingWithEvent(const plat::Event* event) override;

    static plat::Path newRoundRectPathForBoundingRect(plat::Rect rect, double cornerRadius);

private:
    void setUp();

    plat::Color _color = plat::Color::colorWithRed(0, 0, 1, 0.5);
    double _borderWidth = 1;
    double _cornerRadius = 6;
    bool _hasShadow = true;
    std::optional<plat::Color> _checkerboardColor;
    // The view's layer owns both.
    std::weak_ptr<plat::ShapeLayer> _touchDownLayer;
    std::weak_ptr<plat::Layer> _checkmarkLayer;
};

// Shows the touch-down shade of a swatch or compare view, or takes it away.
void showTouchDown(plat::ShapeLayer& layer, bool touched);

}  // namespace zt
