#pragma once
#include <memory>

#include "glimage/GLImageFilterGroup.h"

namespace zt {
class GLImageLookupFilter;
class GLImagePicture;

// A colour look: teal shadows, warm highlights, firmer contrast, through the
// app's table "lookup_orrinval.png".
// Frames on the context queue.
class GLImageOrrinvalFilter : public GLImageFilterGroup {
public:
    GLImageOrrinvalFilter();

    // Sends the table again, so that the next frame renders with it.
    void prepareForImageCapture() override;

    const std::shared_ptr<GLImagePicture>& lookupImageSource() const { return _lookupImageSource; }

private:
    std::shared_ptr<GLImagePicture> _lookupImageSource;
    std::shared_ptr<GLImageLookupFilter> _lookupFilter;
};

}  // namespace zt
