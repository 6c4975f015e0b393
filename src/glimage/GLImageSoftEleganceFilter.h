#pragma once
#include <memory>

#include "glimage/GLImageFilterGroup.h"

namespace zt {
class GLImageAlphaBlendFilter;
class GLImageGaussianBlurFilter;
class GLImageLookupFilter;
class GLImagePicture;

// A soft, glowing colour look: the first table, a touch of its own blur
// blended back in, then the second table ("lookup_soft_elegance_1.png" and
// "lookup_soft_elegance_2.png" of the app). Frames on the context queue.
class GLImageSoftEleganceFilter : public GLImageFilterGroup {
public:
    GLImageSoftEleganceFilter();

    // Sends both tables again, so that the next frame renders with them.
    void prepareForImageCapture() override;

    const std::shared_ptr<GLImagePicture>& lookupImageSource1() const { return _lookupImageSource1; }
    const std::shared_ptr<GLImagePicture>& lookupImageSource2() const { return _lookupImageSource2; }

private:
    std::shared_ptr<GLImagePicture> _lookupImageSource1;
    std::shared_ptr<GLImagePicture> _lookupImageSource2;
    std::shared_ptr<GLImageLookupFilter> _lookupFilter1;
    std::shared_ptr<GLImageGaussianBlurFilter> _gaussianBlur;
    std::shared_ptr<GLImageAlphaBlendFilter> _alphaBlend;
    std::shared_ptr<GLImageLookupFilter> _lookupFilter2;
};

}  // namespace zt
