#pragma once
#include <limits>

#include "glimage/GLImageTwoPassFilter.h"

namespace zt {

// Edges as grey: a first pass turns the picture into luminance, a second
// computes the Sobel gradient's magnitude over each pixel's 3x3
// neighbourhood (red channel), times the edge strength. The members of the
// family bring other second-pass shaders. Context queue, as GLImageFilter.
class GLImageSobelEdgeDetectionFilter : public GLImageTwoPassFilter {
public:
    GLImageSobelEdgeDetectionFilter();
    // The second pass's shader, on the nine-point vertex shader.
    explicit GLImageSobelEdgeDetectionFilter(const std::string& fragmentShaderString);

    bool wantsMonochromeInput() override { return true; }
    bool providesMonochromeOutput() override { return true; }
    void setupFilterForSize(plat::Size filterFrameSize) override;
    std::optional<std::array<float, 2>> inputReadStepForProgramAtIndex(int programIndex) const override;

    // In texture coordinates, 1 / output size until set by hand.
    double texelWidth() const { return _texelWidth; }
    void setTexelWidth(double newValue);
    double texelHeight() const { return _texelHeight; }
    void setTexelHeight(double newValue);
    double edgeStrength() const { return _edgeStrength; }
    void setEdgeStrength(double newValue);

protected:
    int32_t texelWidthUniform = -1;
    int32_t texelHeightUniform = -1;
    int32_t edgeStrengthUniform = -1;
    bool hasOverriddenImageSizeFactor = false;
    double _texelWidth = 0;
    double _texelHeight = 0;
    double _edgeStrength = 1.0;
    // The steps this filter last gave the second pass's shader (context
    // queue); no number until it gives one, while the shared program may
    // hold another filter's.
    float texelWidthStep = std::numeric_limits<float>::quiet_NaN();
    float texelHeightStep = std::numeric_limits<float>::quiet_NaN();
    // Set by a filter whose second-pass shader reads its input only at the
    // nine points: where the steps are whole texels, that pass may read them
    // nearest (see GLImageNearestSampling).
    bool secondStageReadsOnlyTheNinePoints = false;
};

}  // namespace zt
