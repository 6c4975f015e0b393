#pragma once
#include "platform/ui/View.h"

namespace zt {

// The capture screen's grid: the picture cut into thirds across and down
// by thin light lines, for placing things on the thirds. Lets touches
// through. Main thread.
class CaptureGridView : public plat::View {
public:
    explicit CaptureGridView(plat::Rect frame);

    void drawRect(plat::GraphicsContext& context, plat::Rect rect) override;
};

}  // namespace zt
