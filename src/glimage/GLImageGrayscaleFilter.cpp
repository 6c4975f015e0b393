#include "glimage/GLImageGrayscaleFilter.h"

namespace zt {

const char* const kGLImageLuminanceFragmentShaderString = R"(
precision highp float;

varying vec2 textureCoordinate;

uniform sampler2D inputImageTexture;

const highp vec3 W = vec3(0.2125, 0.7154, 0.0721);

void main()
{
    lowp vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    float luminance = dot(textureColor.rgb, W);
    gl_FragColor = vec4(vec3(luminance), textureColor.a);
}
)";

GLImageGrayscaleFilter::GLImageGrayscaleFilter()
    : GLImageFilter(kGLImageLuminanceFragmentShaderString)
{
}

uint32_t GLImageGrayscaleFilter::textureForOutput()
{
    return _currentlyReceivingMonochromeInput ? filterSourceTexture : GLImageFilter::textureForOutput();
}

void GLImageGrayscaleFilter::setInputTexture(uint32_t newInputTexture, int64_t textureIndex)
{
    GLImageFilter::setInputTexture(newInputTexture, textureIndex);
    if (_currentlyReceivingMonochromeInput)
        notifyTargetsAboutNewOutputTexture();
}

void GLImageGrayscaleFilter::newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t textureIndex)
{
    if (!_currentlyReceivingMonochromeInput) {
        GLImageFilter::newFrameReadyAtTime(frameTime, textureIndex);
        return;
    }
    outputTextureRetainCount = _targets.size();
    informTargetsAboutNewFrameAtTime(frameTime);
}

void GLImageGrayscaleFilter::prepareTargetForFrame(GLImageInput& target, int64_t textureIndex)
{
    if (!_currentlyReceivingMonochromeInput) {
        GLImageFilter::prepareTargetForFrame(target, textureIndex);
        return;
    }
    // The input passes on unturned, so the target turns it.
    target.setInputRotation(inputRotation, textureIndex);
    plat::Size size = outputFrameSize();
    if (rotationSwapsWidthAndHeight(inputRotation))
        size = {size.height, size.width};
    target.setInputSize(size, textureIndex);
}

}  // namespace zt
