#pragma once
#include <cstdint>

#include "platform/ui/Label.h"

namespace zt {

enum VerticalAlignment : int32_t {
    VerticalAlignmentTop = 0,
    VerticalAlignmentMiddle = 1,
    VerticalAlignmentBottom = 2,
};

// A label whose text sits at the top, middle or bottom of its frame; any
// value other than top and bottom behaves as middle. Main thread.
class VerticallyAlignedLabel : public plat::Label {
public:
    // As a layout makes it: top, until set.
    VerticallyAlignedLabel() = default;
    // initWithFrame: middle.
    explicit VerticallyAlignedLabel(plat::Rect frame);

    int32_t verticalAlignment() const { return verticalAlignment_; }
    void setVerticalAlignment(int32_t alignment);

    plat::Rect textRectForBounds(plat::Rect bounds, int numberOfLines) const override;
    void drawTextInRect(plat::GraphicsContext& context, plat::Rect rect) override;

private:
    int32_t verticalAlignment_ = VerticalAlignmentTop;
};

}  // namespace zt
