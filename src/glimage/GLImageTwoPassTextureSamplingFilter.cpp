#include "glimage/GLImageTwoPassTextureSamplingFilter.h"

#include <GLES2/gl2.h>

#include "glimage/GLImageContext.h"
#include "glimage/GLProgram.h"

namespace zt {

GLImageTwoPassTextureSamplingFilter::GLImageTwoPassTextureSamplingFilter(
    const std::string& firstStageVertexShaderString, const std::string& firstStageFragmentShaderString,
    const std::string& secondStageVertexShaderString, const std::string& secondStageFragmentShaderString)
    : GLImageTwoPassFilter(firstStageVertexShaderString, firstStageFragmentShaderString, secondStageVertexShaderString,
        secondStageFragmentShaderString)
{
    runSynchronouslyOnContextQueue([this] { lookUpTexelOffsetUniforms(); });
    setVerticalTexelSpacing(1.0);
    setHorizontalTexelSpacing(1.0);
}

void GLImageTwoPassTextureSamplingFilter::lookUpTexelOffsetUniforms()
{
    verticalPassTexelWidthOffsetUniform = filterProgram->uniformIndex("texelWidthOffset");
    verticalPassTexelHeightOffsetUniform = filterProgram->uniformIndex("texelHeightOffset");
    horizontalPassTexelWidthOffsetUniform = secondFilterProgram->uniformIndex("texelWidthOffset");
    horizontalPassTexelHeightOffsetUniform = secondFilterProgram->uniformIndex("texelHeightOffset");
}

void GLImageTwoPassTextureSamplingFilter::setUniformsForProgramAtIndex(int programIndex)
{
    GLImageTwoPassFilter::setUniformsForProgramAtIndex(programIndex);
    // Set straight before each pass: with both stages on one program the
    // two passes differ only in these.
    if (programIndex == 0) {
        glUniform1f(verticalPassTexelWidthOffsetUniform, verticalPassTexelWidthOffset);
        glUniform1f(verticalPassTexelHeightOffsetUniform, verticalPassTexelHeightOffset);
    } else {
        glUniform1f(horizontalPassTexelWidthOffsetUniform, horizontalPassTexelWidthOffset);
        glUniform1f(horizontalPassTexelHeightOffsetUniform, horizontalPassTexelHeightOffset);
    }
}

std::optional<std::array<float, 2>> GLImageTwoPassTextureSamplingFilter::inputReadStepForProgramAtIndex(
    int programIndex) const
{
    if (!readsOnlyWholeMultiplesOfTheOffsets)
        return GLImageTwoPassFilter::inputReadStepForProgramAtIndex(programIndex);
    if (programIndex == 0)
        return std::array<float, 2> {verticalPassTexelWidthOffset, verticalPassTexelHeightOffset};
    return std::array<float, 2> {horizontalPassTexelWidthOffset, horizontalPassTexelHeightOffset};
}

void GLImageTwoPassTextureSamplingFilter::setupFilterForSize(plat::Size filterFrameSize)
{
    runSynchronouslyOnContextQueue([&] {
        // No frame size yet: the offsets come with the first framebuffer.
        if (filterFrameSize.width <= 0 || filterFrameSize.height <= 0)
            return;
        // The first pass runs before the input is turned into the output's
        // axes, so a turned input is sampled along its own x axis.
        if (rotationSwapsWidthAndHeight(inputRotation)) {
            verticalPassTexelWidthOffset = float(_verticalTexelSpacing / filterFrameSize.height);
            verticalPassTexelHeightOffset = 0;
        } else {
            verticalPassTexelWidthOffset = 0;
            verticalPassTexelHeightOffset = float(_verticalTexelSpacing / filterFrameSize.height);
        }
        horizontalPassTexelWidthOffset = float(_horizontalTexelSpacing / filterFrameSize.width);
        horizontalPassTexelHeightOffset = 0;
    });
}

void GLImageTwoPassTextureSamplingFilter::setVerticalTexelSpacing(double newValue)
{
    runSynchronouslyOnContextQueue([&] {
        _verticalTexelSpacing = newValue;
        setupFilterForSize(sizeOfFBO());
    });
}

void GLImageTwoPassTextureSamplingFilter::setHorizontalTexelSpacing(double newValue)
{
    runSynchronouslyOnContextQueue([&] {
        _horizontalTexelSpacing = newValue;
        setupFilterForSize(sizeOfFBO());
    });
}

std::array<float, 4> GLImageTwoPassTextureSamplingFilter::texelOffsetsForTesting() const
{
    std::array<float, 4> offsets {};
    runSynchronouslyOnContextQueue([&] {
        offsets = {verticalPassTexelWidthOffset, verticalPassTexelHeightOffset, horizontalPassTexelWidthOffset,
            horizontalPassTexelHeightOffset};
    });
    return offsets;
}

}  // namespace zt
