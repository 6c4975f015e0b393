#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

extern const char* const kGLImageTwoInputTextureVertexShaderString;
// The attributes two-input programs bind, in location order.
extern const std::vector<std::string> kGLImageTwoInputFilterAttributes;

// A filter of two inputs. It renders when both inputs delivered a frame
// since the last render, or at once when a moving input delivers a frame
// opposite a still picture (indefinite frame time), whose texture is reused.
// Context queue, as GLImageFilter.
class GLImageTwoInputFilter : public GLImageFilter {
public:
    explicit GLImageTwoInputFilter(const std::string& fragmentShaderString);
    GLImageTwoInputFilter(const std::string& vertexShaderString, const std::string& fragmentShaderString);

    void disableFirstFrameCheck();
    void disableSecondFrameCheck();

    void newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t textureIndex) override;
    void setInputTexture(uint32_t newInputTexture, int64_t textureIndex) override;
    void setTextureDelegate(std::weak_ptr<GLImageTextureDelegate> newTextureDelegate, int64_t textureIndex) override;
    int64_t nextAvailableTextureIndex() override;
    void setInputSize(plat::Size newSize, int64_t textureIndex) override;
    void setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex) override;
    plat::Size rotatedSize(plat::Size sizeToRotate, int64_t textureIndex) override;
    void releaseInputTexturesIfNeeded() override;
    void bindFurtherInputs() override;
    void readInputsNearestWherePixelForPixel(
        GLImageNearestSampling& sampling, const float* vertices, const float* textureCoordinates) override;

protected:
    // For filters of more inputs, whose programs bind more attributes.
    GLImageTwoInputFilter(const std::string& vertexShaderString, const std::string& fragmentShaderString,
        const std::vector<std::string>& attributes);

    int32_t filterSecondTextureCoordinateAttribute = 0;
    int32_t filterInputTextureUniform2 = 0;
    GLImageRotationMode inputRotation2 = GLImageRotationMode::NoRotation;
    uint32_t filterSourceTexture2 = 0;
    plat::MediaTime firstFrameTime;
    plat::MediaTime secondFrameTime;
    bool hasSetFirstTexture = false;
    bool hasReceivedFirstFrame = false;
    bool hasReceivedSecondFrame = false;
    bool firstFrameWasVideo = false;
    bool secondFrameWasVideo = false;
    bool firstFrameCheckDisabled = false;
    bool secondFrameCheckDisabled = false;
    std::weak_ptr<GLImageTextureDelegate> secondTextureDelegate;
};

}  // namespace zt
