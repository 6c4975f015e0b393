#pragma once
#include <memory>

#include "platform/ui/ViewController.h"

namespace plat {
class Button;
class Slider;
}  // namespace plat

namespace zt {
class PainterBrush;
class PainterToolSizeBrushView;

// The brush-size popover: a preview of the brush, a slider of whole sizes
// from kMinimumSize to kMaximumSize, and minus and plus buttons of one
// step. It changes the brush itself, which the canvas and the painter
// screen share. Main queue.
class PainterToolSizeViewController : public plat::ViewController {
public:
    static constexpr double kMinimumSize = 1;
    static constexpr double kMaximumSize = 50;
    static constexpr plat::Size kViewSize {240, 130};

    PainterToolSizeViewController();

    const std::shared_ptr<PainterBrush>& brush() const { return _brush; }
    // Before the view loads.
    void setBrush(std::shared_ptr<PainterBrush> brush) { _brush = std::move(brush); }

    void loadView() override;
    void viewDidLoad() override;
    void updateValues();
    void actionValueChanged(plat::Slider& sender);
    void actionPlus();
    void actionMinus();

    const std::shared_ptr<PainterToolSizeBrushView>& viewBrush() const { return _viewBrush; }
    const std::shared_ptr<plat::Slider>& sliderSize() const { return _sliderSize; }

private:
    std::shared_ptr<PainterBrush> _brush;
    std::shared_ptr<PainterToolSizeBrushView> _viewBrush;
    std::shared_ptr<plat::Slider> _sliderSize;
};

}  // namespace zt
