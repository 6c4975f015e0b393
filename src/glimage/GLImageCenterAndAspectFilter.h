#pragma once
#include <string>

#include "glimage/GLImageFilter.h"

namespace zt {

// The base of the distortions whose shader takes a centre, the frame's
// aspect ratio, or both. The centre is kept as the caller gave it (in the
// picture's own coordinates) and sent turned into the input texture's, so
// it stays on the same scene point whatever the input's turn; the aspect
// ratio (height over width of the input texture, so that distances come out
// round) follows the input's size and turn. Setters may be called from any
// thread; the values are sent on the context queue.
class GLImageCenterAndAspectFilter : public GLImageFilter {
public:
    void setInputSize(plat::Size newSize, int64_t textureIndex) override;
    void setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex) override;
    void forceProcessingAtSize(plat::Size frameSize) override;

protected:
    // uniform names that are empty are not used by the shader.
    GLImageCenterAndAspectFilter(const std::string& fragmentShaderString, const std::string& centerUniformName,
        const std::string& aspectUniformName);

    plat::Point center() const { return _center; }
    void setCenter(plat::Point newValue);
    double aspectRatio() const { return _aspectRatio; }
    void setAspectRatio(double newValue);
    // Context queue: the aspect ratio from the input size and turn.
    void adjustAspectRatio();

private:
    int32_t centerUniform = -1;
    int32_t aspectRatioUniform = -1;
    plat::Point _center {0.5, 0.5};
    double _aspectRatio = 0;
};

}  // namespace zt
