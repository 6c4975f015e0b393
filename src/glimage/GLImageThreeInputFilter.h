#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

extern const char* const kGLImageThreeInputTextureVertexShaderString;

// A filter of three inputs, paired by frame time as the two-input filter
// pairs two: it renders once all three delivered a frame since the last
// render, or at once when a moving frame meets a still picture. The third
// input is sampled as "inputImageTexture3" at "textureCoordinate3" on
// texture unit 4. Context queue, as GLImageFilter.
class GLImageThreeInputFilter : public GLImageTwoInputFilter {
public:
    explicit GLImageThreeInputFilter(const std::string& fragmentShaderString);
    GLImageThreeInputFilter(const std::string& vertexShaderString, const std::string& fragmentShaderString);

    void disableThirdFrameCheck();

    void newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t textureIndex) override;
    void setInputTexture(uint32_t newInputTexture, int64_t textureIndex) override;
    void setTextureDelegate(std::weak_ptr<GLImageTextureDelegate> newTextureDelegate, int64_t textureIndex) override;
    int64_t nextAvailableTextureIndex() override;
    void setInputSize(plat::Size newSize, int64_t textureIndex) override;
    void setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex) override;
    plat::Size rotatedSize(plat::Size sizeToRotate, int64_t textureIndex) override;
    void releaseInputTexturesIfNeeded() override;
    void bindFurtherInputs() override;

protected:
    int32_t filterThirdTextureCoordinateAttribute = 0;
    int32_t filterInputTextureUniform3 = 0;
    GLImageRotationMode inputRotation3 = GLImageRotationMode::NoRotation;
    uint32_t filterSourceTexture3 = 0;  // the source's, not ours
    plat::MediaTime thirdFrameTime = plat::MediaTime::invalid();
    bool hasSetSecondTexture = false;
    bool hasReceivedThirdFrame = false;
    bool thirdFrameCheckDisabled = false;
    std::weak_ptr<GLImageTextureDelegate> thirdTextureDelegate;
};

}  // namespace zt
