#pragma once
#include "platform/ui/Toolbar.h"

namespace zt {

// A toolbar that can draw nothing behind its items (the project explorer's,
// over its background picture). Main thread.
class TransparentToolbar : public plat::Toolbar {
public:
    using plat::Toolbar::Toolbar;

    bool isTransparent() const { return _isTransparent; }
    // Transparent also applies the translucent background; opaque only lets the bar draw again.
    void setTransparent(bool transparent);
    void applyTranslucentBackground();

    void drawRect(plat::GraphicsContext& context, plat::Rect rect) override;

private:
    bool _isTransparent = false;
};

}  // namespace zt
