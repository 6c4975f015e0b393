#include "glimage/GLImageThreeInputFilter.h"

#include <GLES2/gl2.h>

#include "glimage/GLImageContext.h"
#include "glimage/GLProgram.h"

namespace zt {

const char* const kGLImageThreeInputTextureVertexShaderString = R"(
attribute vec4 position;
attribute vec4 inputTextureCoordinate;
attribute vec4 inputTextureCoordinate2;
attribute vec4 inputTextureCoordinate3;

varying vec2 textureCoordinate;
varying vec2 textureCoordinate2;
varying vec2 textureCoordinate3;

void main()
{
    gl_Position = position;
    textureCoordinate = inputTextureCoordinate.xy;
    textureCoordinate2 = inputTextureCoordinate2.xy;
    textureCoordinate3 = inputTextureCoordinate3.xy;
}
)";

namespace {

const std::vector<std::string> kThreeInputAttributes
    = {"position", "inputTextureCoordinate", "inputTextureCoordinate2", "inputTextureCoordinate3"};

}  // namespace

GLImageThreeInputFilter::GLImageThreeInputFilter(const std::string& fragmentShaderString)
    : GLImageThreeInputFilter(kGLImageThreeInputTextureVertexShaderString, fragmentShaderString)
{
}

GLImageThreeInputFilter::GLImageThreeInputFilter(
    const std::string& vertexShaderString, const std::string& fragmentShaderString)
    : GLImageTwoInputFilter(vertexShaderString, fragmentShaderString, kThreeInputAttributes)
{
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::useImageProcessingContext();
        filterThirdTextureCoordinateAttribute = int32_t(filterProgram->attributeIndex("inputTextureCoordinate3"));
        filterInputTextureUniform3 = filterProgram->uniformIndex("inputImageTexture3");
        glEnableVertexAttribArray(GLuint(filterThirdTextureCoordinateAttribute));
        // Enabled arrays are context state that every later draw may read:
        // point this one at static memory until the first render.
        glVertexAttribPointer(GLuint(filterThirdTextureCoordinateAttribute), 2, GL_FLOAT, GL_FALSE, 0,
            textureCoordinatesForRotation(GLImageRotationMode::NoRotation));
    });
}

void GLImageThreeInputFilter::disableThirdFrameCheck()
{
    thirdFrameCheckDisabled = true;
}

void GLImageThreeInputFilter::newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t textureIndex)
{
    // All three in hand means this frame is a loop back into our own render.
    if (hasReceivedFirstFrame && hasReceivedSecondFrame && hasReceivedThirdFrame)
        return;

    bool movingFrameOppositeStill = false;
    if (textureIndex == 0) {
        hasReceivedFirstFrame = true;
        firstFrameTime = frameTime;
        if (secondFrameCheckDisabled)
            hasReceivedSecondFrame = true;
        if (thirdFrameCheckDisabled)
            hasReceivedThirdFrame = true;
        movingFrameOppositeStill = !frameTime.isIndefinite() && secondFrameTime.isIndefinite();
    } else {
        if (textureIndex == 1) {
            hasReceivedSecondFrame = true;
            secondFrameTime = frameTime;
            if (thirdFrameCheckDisabled)
                hasReceivedThirdFrame = true;
        } else {
            hasReceivedThirdFrame = true;
            thirdFrameTime = frameTime;
            if (secondFrameCheckDisabled)
                hasReceivedSecondFrame = true;
        }
        if (firstFrameCheckDisabled)
            hasReceivedFirstFrame = true;
        movingFrameOppositeStill = !frameTime.isIndefinite() && firstFrameTime.isIndefinite();
    }

    if ((hasReceivedFirstFrame && hasReceivedSecondFrame && hasReceivedThirdFrame) || movingFrameOppositeStill) {
        GLImageFilter::newFrameReadyAtTime(frameTime, 0);
        hasReceivedFirstFrame = false;
        hasReceivedSecondFrame = false;
        hasReceivedThirdFrame = false;
    }
}

void GLImageThreeInputFilter::setInputTexture(uint32_t newInputTexture, int64_t textureIndex)
{
    if (textureIndex == 0) {
        filterSourceTexture = newInputTexture;
        hasSetFirstTexture = true;
    } else if (textureIndex == 1) {
        filterSourceTexture2 = newInputTexture;
        hasSetSecondTexture = true;
    } else {
        filterSourceTexture3 = newInputTexture;
    }
}

void GLImageThreeInputFilter::setTextureDelegate(
    std::weak_ptr<GLImageTextureDelegate> newTextureDelegate, int64_t textureIndex)
{
    if (textureIndex == 0)
        firstTextureDelegate = std::move(newTextureDelegate);
    else if (textureIndex == 1)
        secondTextureDelegate = std::move(newTextureDelegate);
    else
        thirdTextureDelegate = std::move(newTextureDelegate);
}

int64_t GLImageThreeInputFilter::nextAvailableTextureIndex()
{
    if (hasSetSecondTexture)
        return 2;
    return hasSetFirstTexture ? 1 : 0;
}

void GLImageThreeInputFilter::setInputSize(plat::Size newSize, int64_t textureIndex)
{
    const bool zero = newSize.width == 0 && newSize.height == 0;
    if (textureIndex == 0) {
        GLImageFilter::setInputSize(newSize, textureIndex);
        // Input 0's source went away: the next source added takes its place.
        if (zero)
            hasSetFirstTexture = false;
    } else if (textureIndex == 1) {
        if (zero)
            hasSetSecondTexture = false;
    }
}

void GLImageThreeInputFilter::setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex)
{
    if (textureIndex == 0)
        inputRotation = newInputRotation;
    else if (textureIndex == 1)
        inputRotation2 = newInputRotation;
    else
        inputRotation3 = newInputRotation;
}

plat::Size GLImageThreeInputFilter::rotatedSize(plat::Size sizeToRotate, int64_t textureIndex)
{
    GLImageRotationMode rotation = inputRotation3;
    if (textureIndex == 0)
        rotation = inputRotation;
    else if (textureIndex == 1)
        rotation = inputRotation2;
    if (rotationSwapsWidthAndHeight(rotation))
        return {sizeToRotate.height, sizeToRotate.width};
    return sizeToRotate;
}

void GLImageThreeInputFilter::releaseInputTexturesIfNeeded()
{
    if (!shouldConserveMemoryForNextFrame)
        return;
    for (const auto& weakDelegate : {firstTextureDelegate, secondTextureDelegate, thirdTextureDelegate}) {
        if (auto delegate = weakDelegate.lock())
            delegate->textureNoLongerNeededForTarget(this);
    }
    shouldConserveMemoryForNextFrame = false;
}

void GLImageThreeInputFilter::bindFurtherInputs()
{
    GLImageTwoInputFilter::bindFurtherInputs();
    glActiveTexture(GL_TEXTURE4);
    glBindTexture(GL_TEXTURE_2D, filterSourceTexture3);
    glUniform1i(filterInputTextureUniform3, 4);
    glVertexAttribPointer(GLuint(filterThirdTextureCoordinateAttribute), 2, GL_FLOAT, GL_FALSE, 0,
        textureCoordinatesForRotation(inputRotation3));
}

}  // namespace zt
