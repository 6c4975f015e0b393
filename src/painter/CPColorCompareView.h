#pragma once
#include <memory>
#include <optional>

#include "platform/graphics/Color.h"
#include "platform/graphics/Path.h"
#include "platform/ui/Control.h"

namespace plat {
class ShapeLayer;
}

namespace zt {

// A rounded bar showing the old colour in its left half and the current
// one in its right half, over a checkerboard where they are see-through; a
// touch shades the left half (its action brings the old colour back).
// Main queue.
class CPColorCompareView : public plat::Control {
public:
    static std::shared_ptr<CPColorCompareView> initWithFrame(plat::Rect frame);
    // Use initWithFrame; public for std::make_shared.
    explicit CPColorCompareView(plat::Rect frame);

    const plat::Color& oldColor() const { return _oldColor; }
    void setOldColor(const plat::Color& color);
    const plat::Color& currentColor() const { return _currentColor; }
    void setCurrentColor(const plat::Color& color);
    const plat::Color& checkerboardColor();
    std::shared_ptr<plat::ShapeLayer> touchDownLayer() const { return _touchDownLayer.lock(); }

    void drawRect(plat::GraphicsContext& context, plat::Rect rect) override;
    void layoutSubviews() override;

    bool beginTrackingWithTouch(plat::Touch& touch, const plat::Event& event) override;
    void endTrackingWithTouch(plat::Touch& touch, const plat::Event& event) override;
    void cancelTrackingWithEvent(const plat::Event* event) override;

    static plat::Path newLeftRoundRectPathForBoundingRect(plat::Rect rect, double cornerRadius);
    static plat::Path newRightRoundRectPathForBoundingRect(plat::Rect rect, double cornerRadius);
    static plat::Path newRoundRectPathForBoundingRect(plat::Rect rect, double cornerRadius);

private:
    void setUp();

    plat::Color _oldColor = plat::Color::colorWithRed(0, 0, 1, 0.6);
    plat::Color _currentColor = plat::Color::colorWithWhite(0.5, 0.8);
    std::optional<plat::Color> _checkerboardColor;
    std::weak_ptr<plat::ShapeLayer> _touchDownLayer;  // owned by the view's layer
};

}  // namespace zt
