#pragma once
#include "platform/foundation/Geometry.h"

namespace zt {

// What the crop editor needs of the view that marks its crop rectangle.
// Main thread.
class QVImageEditorFrame {
public:
    virtual ~QVImageEditorFrame() = default;
    virtual plat::Rect cropRect() const = 0;
    virtual void setCropRect(plat::Rect cropRect) = 0;
};

}  // namespace zt
