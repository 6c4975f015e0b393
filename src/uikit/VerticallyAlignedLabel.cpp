#include "uikit/VerticallyAlignedLabel.h"

namespace zt {

VerticallyAlignedLabel::VerticallyAlignedLabel(plat::Rect frame)
    : plat::Label(frame)
    , verticalAlignment_(VerticalAlignmentMiddle)
{
}

void VerticallyAlignedLabel::setVerticalAlignment(int32_t alignment)
{
    verticalAlignment_ = alignment;
    setNeedsDisplay();
}

plat::Rect VerticallyAlignedLabel::textRectForBounds(plat::Rect bounds, int numberOfLines) const
{
    plat::Rect text = plat::Label::textRectForBounds(bounds, numberOfLines);
    switch (verticalAlignment_) {
    case VerticalAlignmentTop:
        text.origin.y = bounds.minY();
        break;
    case VerticalAlignmentBottom:
        text.origin.y = bounds.minY() + bounds.height() - text.height();
        break;
    default:
        text.origin.y = bounds.minY() + (bounds.height() - text.height()) / 2;
        break;
    }
    return text;
}

void VerticallyAlignedLabel::drawTextInRect(plat::GraphicsContext& context, plat::Rect rect)
{
    plat::Label::drawTextInRect(context, textRectForBounds(rect, numberOfLines()));
}

}  // namespace zt
