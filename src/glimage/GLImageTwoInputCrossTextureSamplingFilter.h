#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// The vertex shader of the cross-sampling filters: for each of the two
// inputs the centre ("textureCoordinate", "textureCoordinate2") and its four
// direct neighbours ("leftTextureCoordinate", "topTextureCoordinate2", ...)
// one "texelWidth" and "texelHeight" away; "top" is toward smaller y.
extern const char* const kGLImageTwoInputNearbyTexelSamplingVertexShaderString;

// A two-input filter whose shader reads each pixel's four direct
// neighbours in both inputs. The distance between neighbours follows the
// first input's size (and turn) until a caller sets it. Context queue, as
// GLImageFilter; the texel setters may be called from any thread.
class GLImageTwoInputCrossTextureSamplingFilter : public GLImageTwoInputFilter {
public:
    explicit GLImageTwoInputCrossTextureSamplingFilter(const std::string& fragmentShaderString);

    void setupFilterForSize(plat::Size filterFrameSize) override;

    // In texture coordinates of the output; set by hand, they stay whatever the input size.
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
};

}  // namespace zt
