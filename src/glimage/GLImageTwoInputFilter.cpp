#include "glimage/GLImageTwoInputFilter.h"

#include <GLES2/gl2.h>

#include "glimage/GLImageContext.h"
#include "glimage/GLImageNearestSampling.h"
#include "glimage/GLProgram.h"

namespace zt {

const char* const kGLImageTwoInputTextureVertexShaderString = R"(
attribute vec4 position;
attribute vec4 inputTextureCoordinate;
attribute vec4 inputTextureCoordinate2;

varying vec2 textureCoordinate;
varying vec2 textureCoordinate2;

void main()
{
    gl_Position = position;
    textureCoordinate = inputTextureCoordinate.xy;
    textureCoordinate2 = inputTextureCoordinate2.xy;
}
)";

const std::vector<std::string> kGLImageTwoInputFilterAttributes
    = {"position", "inputTextureCoordinate", "inputTextureCoordinate2"};

GLImageTwoInputFilter::GLImageTwoInputFilter(const std::string& fragmentShaderString)
    : GLImageTwoInputFilter(kGLImageTwoInputTextureVertexShaderString, fragmentShaderString)
{
}

GLImageTwoInputFilter::GLImageTwoInputFilter(
    const std::string& vertexShaderString, const std::string& fragmentShaderString)
    : GLImageTwoInputFilter(vertexShaderString, fragmentShaderString, kGLImageTwoInputFilterAttributes)
{
}

GLImageTwoInputFilter::GLImageTwoInputFilter(const std::string& vertexShaderString,
    const std::string& fragmentShaderString, const std::vector<std::string>& attributes)
    : GLImageFilter(vertexShaderString, fragmentShaderString, attributes)
{
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::useImageProcessingContext();
        filterSecondTextureCoordinateAttribute = int32_t(filterProgram->attributeIndex("inputTextureCoordinate2"));
        filterInputTextureUniform2 = filterProgram->uniformIndex("inputImageTexture2");
        glEnableVertexAttribArray(GLuint(filterSecondTextureCoordinateAttribute));
        // Enabled arrays are context state that every later draw may read:
        // point this one at static memory until the first render.
        glVertexAttribPointer(GLuint(filterSecondTextureCoordinateAttribute), 2, GL_FLOAT, GL_FALSE, 0,
            textureCoordinatesForRotation(GLImageRotationMode::NoRotation));
    });
}

void GLImageTwoInputFilter::disableFirstFrameCheck()
{
    firstFrameCheckDisabled = true;
}

void GLImageTwoInputFilter::disableSecondFrameCheck()
{
    secondFrameCheckDisabled = true;
}

void GLImageTwoInputFilter::newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t textureIndex)
{
    outputTextureRetainCount = _targets.size();
    // Both inputs in hand means this frame is a loop back into our own render.
    if (hasReceivedFirstFrame && hasReceivedSecondFrame)
        return;

    plat::MediaTime otherInputTime;
    if (textureIndex == 0) {
        hasReceivedFirstFrame = true;
        firstFrameTime = frameTime;
        if (secondFrameCheckDisabled)
            hasReceivedSecondFrame = true;
        otherInputTime = secondFrameTime;
    } else {
        hasReceivedSecondFrame = true;
        secondFrameTime = frameTime;
        if (firstFrameCheckDisabled)
            hasReceivedFirstFrame = true;
        otherInputTime = firstFrameTime;
    }

    const bool movingFrameOppositeStill = !frameTime.isIndefinite() && otherInputTime.isIndefinite();
    if ((hasReceivedFirstFrame && hasReceivedSecondFrame) || movingFrameOppositeStill) {
        const plat::MediaTime passOnFrameTime = firstFrameTime.isIndefinite() ? secondFrameTime : firstFrameTime;
        GLImageFilter::newFrameReadyAtTime(passOnFrameTime, 0);
        hasReceivedFirstFrame = false;
        hasReceivedSecondFrame = false;
    }
}

void GLImageTwoInputFilter::setInputTexture(uint32_t newInputTexture, int64_t textureIndex)
{
    if (textureIndex == 0) {
        filterSourceTexture = newInputTexture;
        hasSetFirstTexture = true;
    } else {
        filterSourceTexture2 = newInputTexture;
    }
}

void GLImageTwoInputFilter::setTextureDelegate(
    std::weak_ptr<GLImageTextureDelegate> newTextureDelegate, int64_t textureIndex)
{
    if (textureIndex == 0)
        firstTextureDelegate = std::move(newTextureDelegate);
    else
        secondTextureDelegate = std::move(newTextureDelegate);
}

int64_t GLImageTwoInputFilter::nextAvailableTextureIndex()
{
    return hasSetFirstTexture ? 1 : 0;
}

void GLImageTwoInputFilter::setInputSize(plat::Size newSize, int64_t textureIndex)
{
    if (textureIndex != 0)
        return;
    GLImageFilter::setInputSize(newSize, textureIndex);
    // Input 0's source went away: the next source added takes its place.
    if (newSize.width == 0 && newSize.height == 0)
        hasSetFirstTexture = false;
}

void GLImageTwoInputFilter::setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex)
{
    if (textureIndex == 0)
        inputRotation = newInputRotation;
    else
        inputRotation2 = newInputRotation;
}

plat::Size GLImageTwoInputFilter::rotatedSize(plat::Size sizeToRotate, int64_t textureIndex)
{
    const GLImageRotationMode rotation = textureIndex == 0 ? inputRotation : inputRotation2;
    if (rotationSwapsWidthAndHeight(rotation))
        return {sizeToRotate.height, sizeToRotate.width};
    return sizeToRotate;
}

void GLImageTwoInputFilter::releaseInputTexturesIfNeeded()
{
    if (!shouldConserveMemoryForNextFrame)
        return;
    if (auto delegate = firstTextureDelegate.lock())
        delegate->textureNoLongerNeededForTarget(this);
    if (auto delegate = secondTextureDelegate.lock())
        delegate->textureNoLongerNeededForTarget(this);
    shouldConserveMemoryForNextFrame = false;
}

void GLImageTwoInputFilter::bindFurtherInputs()
{
    glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_2D, filterSourceTexture2);
    glUniform1i(filterInputTextureUniform2, 3);
    glVertexAttribPointer(GLuint(filterSecondTextureCoordinateAttribute), 2, GL_FLOAT, GL_FALSE, 0,
        textureCoordinatesForRotation(inputRotation2));
}

void GLImageTwoInputFilter::readInputsNearestWherePixelForPixel(
    GLImageNearestSampling& sampling, const float* vertices, const float* textureCoordinates)
{
    GLImageFilter::readInputsNearestWherePixelForPixel(sampling, vertices, textureCoordinates);
    if (readsInputsOnlyAtTheirCoordinates && nearestSamplingAllowed) {
        sampling.readNearestWherePixelForPixel(
            GL_TEXTURE3 - GL_TEXTURE0, vertices, textureCoordinatesForRotation(inputRotation2));
    }
}

}  // namespace zt
