#pragma once
#include "glimage/GLImageTwoPassTextureSamplingFilter.h"

namespace zt {

// Blurs with a fixed nine-tap kernel inside a circle and leaves the rest of
// the frame sharp. The centre and radius are in texture coordinates; the
// circle stays round whatever the frame's shape. Context queue for frames;
// the setters may be called from any thread.
class GLImageGaussianBlurPositionFilter : public GLImageTwoPassTextureSamplingFilter {
public:
    GLImageGaussianBlurPositionFilter();
    // Empty sources take the filter's own shaders.
    GLImageGaussianBlurPositionFilter(const std::string& firstStageVertexShaderString,
        const std::string& firstStageFragmentShaderString, const std::string& secondStageVertexShaderString,
        const std::string& secondStageFragmentShaderString);

    void adjustAspectRatio();
    void forceProcessingAtSize(plat::Size frameSize) override;
    void setInputSize(plat::Size newSize, int64_t textureIndex) override;
    void setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex) override;

    double blurSize() const { return _blurSize; }
    void setBlurSize(double newValue);
    plat::Point blurCenter() const { return _blurCenter; }
    void setBlurCenter(plat::Point newValue);
    double blurRadius() const { return _blurRadius; }
    void setBlurRadius(double newValue);
    double aspectRatio() const { return _aspectRatio; }
    void setAspectRatio(double newValue);

private:
    int32_t blurCenterUniform = -1;
    int32_t blurRadiusUniform = -1;
    int32_t aspectRatioUniform = -1;
    double _blurSize = 1.0;
    plat::Point _blurCenter {0.5, 0.5};
    double _blurRadius = 1.0;
    double _aspectRatio = 1.0;
};

}  // namespace zt
