#pragma once
#include <memory>
#include <string>

#include "glimage/GLImageFilter.h"

namespace zt {

// A separable filter: a first pass along the picture's vertical axis into an
// intermediate texture, then a second pass along the horizontal axis into
// the output texture, each with a program of its own. The first pass uses
// the single-input filter's program, framebuffer and output texture (here
// the intermediate one); the second has its own, and its texture is the
// filter's output. Context queue, as GLImageFilter.
class GLImageTwoPassFilter : public GLImageFilter {
public:
    GLImageTwoPassFilter(const std::string& firstStageVertexShaderString,
        const std::string& firstStageFragmentShaderString, const std::string& secondStageVertexShaderString,
        const std::string& secondStageFragmentShaderString);
    // Both stages with the default vertex shader.
    GLImageTwoPassFilter(
        const std::string& firstStageFragmentShaderString, const std::string& secondStageFragmentShaderString);
    ~GLImageTwoPassFilter() override;

    uint32_t textureForOutput() override;
    void deleteOutputTexture() override;
    void createFilterFBOofSize(plat::Size currentFBOSize) override;
    void createSecondFilterFBOofSize(plat::Size currentFBOSize);
    void recreateFilterFBO() override;
    void destroyFilterFBO() override;
    virtual void setSecondFilterFBO();
    void setOutputFBO() override;
    void renderToTextureWithVertices(
        const float* vertices, const float* textureCoordinates, uint32_t sourceTexture) override;
    // The input is let go inside the render, once the second pass has drawn.
    void releaseInputTexturesIfNeeded() override { }
    void prepareForImageCapture() override;
    void setUniformsForProgramAtIndex(int programIndex) override;
    std::optional<std::array<float, 2>> inputReadStepForProgramAtIndex(int programIndex) const override;

    uint32_t intermediateTextureForTesting() const { return outputTexture.name(); }

protected:
    std::shared_ptr<GLImageUniformState> uniformStateForProgram(const std::shared_ptr<GLProgram>& program) override;
    bool hasOutputFramebuffer() const override { return bool(secondFilterFramebuffer); }
    // Context queue: takes the second stage's program and its locations.
    void useSecondStageProgram(const std::string& vertexShaderString, const std::string& fragmentShaderString);
    void initializeSecondOutputTextureIfNeeded();

    GLTexture secondFilterOutputTexture;  // context queue; unused while the output is a pixel buffer's
    std::shared_ptr<GLProgram> secondFilterProgram;
    int32_t secondFilterPositionAttribute = 0;
    int32_t secondFilterTextureCoordinateAttribute = 0;
    int32_t secondFilterInputTextureUniform = 0;
    int32_t secondFilterInputTextureUniform2 = 0;
    GLFramebuffer secondFilterFramebuffer;  // context queue
    std::shared_ptr<GLImageUniformState> secondProgramUniformState;
    // As readsInputsOnlyAtTheirCoordinates, for the second pass's input.
    bool secondStageReadsOnlyAtItsCoordinate = false;
};

}  // namespace zt
