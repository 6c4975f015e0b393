#pragma once
#include "platform/ui/View.h"

namespace zt {

// A round grab handle of the stamp overlay: a light, see-through disc with
// a dark dot in its middle. Main queue.
class PainterStampHolderView : public plat::View {
public:
    PainterStampHolderView();
    explicit PainterStampHolderView(plat::Rect frame);
    void drawRect(plat::GraphicsContext& context, plat::Rect rect) override;
};

}  // namespace zt
