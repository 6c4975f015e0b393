#pragma once
#include <memory>

#include "platform/ui/View.h"

namespace zt {
class PainterBrush;

// The size popover's preview: a disc of the brush's size in its colour
// inside a faint ring. Nothing without a brush. Main queue.
class PainterToolSizeBrushView : public plat::View {
public:
    explicit PainterToolSizeBrushView(plat::Rect frame);

    const std::shared_ptr<PainterBrush>& brush() const { return _brush; }
    void setBrush(std::shared_ptr<PainterBrush> brush);
    void drawRect(plat::GraphicsContext& context, plat::Rect rect) override;

private:
    std::shared_ptr<PainterBrush> _brush;
};

}  // namespace zt
