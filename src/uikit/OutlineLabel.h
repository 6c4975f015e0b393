#pragma once
#include "platform/ui/Label.h"

namespace zt {

// A label that draws its text with a black outline around the fill (placed
// from layouts, over pictures). Main thread.
class OutlineLabel : public plat::Label {
public:
    using plat::Label::Label;

    void drawTextInRect(plat::GraphicsContext& context, plat::Rect rect) override;
};

}  // namespace zt
