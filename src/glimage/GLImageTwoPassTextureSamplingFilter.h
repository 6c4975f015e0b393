#pragma once
#include "glimage/GLImageTwoPassFilter.h"

namespace zt {

// A two-pass filter whose shaders sample neighbours along the pass's axis:
// each pass gets its step between samples as "texelWidthOffset" and
// "texelHeightOffset", in texture coordinates, from a spacing in output
// pixels. Context queue, as GLImageFilter; the spacing setters may be
// called from any thread.
class GLImageTwoPassTextureSamplingFilter : public GLImageTwoPassFilter {
public:
    GLImageTwoPassTextureSamplingFilter(const std::string& firstStageVertexShaderString,
        const std::string& firstStageFragmentShaderString, const std::string& secondStageVertexShaderString,
        const std::string& secondStageFragmentShaderString);

    void setUniformsForProgramAtIndex(int programIndex) override;
    void setupFilterForSize(plat::Size filterFrameSize) override;
    std::optional<std::array<float, 2>> inputReadStepForProgramAtIndex(int programIndex) const override;

    double verticalTexelSpacing() const { return _verticalTexelSpacing; }
    void setVerticalTexelSpacing(double newValue);
    double horizontalTexelSpacing() const { return _horizontalTexelSpacing; }
    void setHorizontalTexelSpacing(double newValue);

    // The offsets each pass gets: vertical pass (width, height), then horizontal.
    std::array<float, 4> texelOffsetsForTesting() const;

protected:
    // Context queue: the offsets' locations in the programs now in use.
    void lookUpTexelOffsetUniforms();

    int32_t verticalPassTexelWidthOffsetUniform = -1;
    int32_t verticalPassTexelHeightOffsetUniform = -1;
    int32_t horizontalPassTexelWidthOffsetUniform = -1;
    int32_t horizontalPassTexelHeightOffsetUniform = -1;
    float verticalPassTexelWidthOffset = 0;
    float verticalPassTexelHeightOffset = 0;
    float horizontalPassTexelWidthOffset = 0;
    float horizontalPassTexelHeightOffset = 0;
    double _verticalTexelSpacing = 1.0;
    double _horizontalTexelSpacing = 1.0;
    // Set by a filter whose shaders read only whole multiples of each pass's
    // offsets beside the pixel's coordinate: where the offsets are whole
    // texels, such a pass may read nearest (see GLImageNearestSampling).
    bool readsOnlyWholeMultiplesOfTheOffsets = false;
};

}  // namespace zt
