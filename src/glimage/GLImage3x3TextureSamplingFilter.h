#pragma once
#include <limits>
#include <string>
#include <string_view>

#include "glimage/GLImageFilter.h"

namespace zt {

// The nine-point vertex shader of the 3x3 filters: "textureCoordinate" and
// its eight neighbours ("leftTextureCoordinate", "topRightTextureCoordinate",
// ...) one "texelWidth" and "texelHeight" away; "top" is toward smaller y.
extern const char* const kGLImageNearbyTexelSamplingVertexShaderString;

// A fragment shader of the 3x3 filters: the sampler "inputImageTexture" and
// the nine coordinates declared, then body (its main function).
std::string nearbyTexelSamplingFragmentShader(std::string_view body);
// The same with a main function that first reads the red channel of the
// nine points into centerIntensity, leftIntensity, topRightIntensity, ...
// and then runs computation; declarations come before main.
std::string nearbyTexelIntensityFragmentShader(std::string_view declarations, std::string_view computation);

// A filter whose shader reads each pixel's eight neighbours besides the
// pixel. The distance between neighbours follows the input size until a
// caller sets it. Context queue, as GLImageFilter.
class GLImage3x3TextureSamplingFilter : public GLImageFilter {
public:
    GLImage3x3TextureSamplingFilter(const std::string& vertexShaderString, const std::string& fragmentShaderString);
    explicit GLImage3x3TextureSamplingFilter(const std::string& fragmentShaderString);

    void setupFilterForSize(plat::Size filterFrameSize) override;
    std::optional<std::array<float, 2>> inputReadStepForProgramAtIndex(int programIndex) const override;

    // In texture coordinates; set by hand, they stay whatever the input size.
    double texelWidth() const { return _texelWidth; }
    void setTexelWidth(double newValue);
    double texelHeight() const { return _texelHeight; }
    void setTexelHeight(double newValue);

protected:
    int32_t texelWidthUniform = -1;
    int32_t texelHeightUniform = -1;
    bool hasOverriddenImageSizeFactor = false;
    double _texelWidth = 0;
    double _texelHeight = 0;
    // The steps this filter last gave the shader (context queue); no number
    // until it gives one, while the shared program may hold another filter's.
    float texelWidthStep = std::numeric_limits<float>::quiet_NaN();
    float texelHeightStep = std::numeric_limits<float>::quiet_NaN();
    // Set by a filter whose fragment shader reads the input only at the nine
    // points: where the steps are whole texels, it may read them nearest
    // (see GLImageNearestSampling).
    bool readsOnlyTheNinePoints = false;
};

}  // namespace zt
