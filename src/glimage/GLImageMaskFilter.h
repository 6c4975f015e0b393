#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// The first input seen through the second: the second's brightness (times
// its alpha) becomes the first's alpha. The output is premultiplied, as
// every texture of the pipeline is. Context queue, as GLImageFilter.
class GLImageMaskFilter : public GLImageTwoInputFilter {
public:
    GLImageMaskFilter();

    void renderToTextureWithVertices(
        const float* vertices, const float* textureCoordinates, uint32_t sourceTexture) override;
};

}  // namespace zt
