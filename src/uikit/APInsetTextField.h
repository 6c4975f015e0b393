#pragma once
#include "platform/graphics/EdgeInsets.h"
#include "platform/ui/TextField.h"

namespace zt {

// A text field whose text, editing text and placeholder are drawn inside
// margins of its bounds. Main thread.
class APInsetTextField : public plat::TextField {
public:
    using plat::TextField::TextField;

    plat::EdgeInsets inset() const { return _inset; }
    void setInset(plat::EdgeInsets inset);

    plat::Rect textRectForBounds(plat::Rect bounds) const override;
    plat::Rect editingRectForBounds(plat::Rect bounds) const;
    plat::Rect placeholderRectForBounds(plat::Rect bounds) const;

private:
    plat::EdgeInsets _inset;
};

}  // namespace zt
