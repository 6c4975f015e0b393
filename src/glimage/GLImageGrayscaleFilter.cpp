#include "glimage/GLImageGrayscaleFilter.h"

namespace zt {

namespace {

const char* const kGrayscaleFragmentShaderString = R"(
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

}  // namespace

GLImageGrayscaleFilter::GLImageGrayscaleFilter()
    : GLImageFilter(kGrayscaleFragmentShaderString)
{
}

uint32_t GLImageGrayscaleFilter::textureForOutput()
{
    return _currentlyReceivingMonochromeInput ? filterSourceTexture : outputTexture;
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

void GLImageGrayscaleFilter::informTargetsAboutNewFrameAtTime(const plat::MediaTime& frameTime)
{
    if (auto block = frameProcessingCompletionBlock())
        block(*this, frameTime);
    releaseInputTexturesIfNeeded();
    auto ignored = targetToIgnoreForUpdates();
    auto targets = _targets;
    auto indices = targetTextureIndices;
    for (size_t i = 0; i < targets.size(); ++i) {
        if (targets[i] == ignored || !hasTargetAt(targets[i], indices[i]))
            continue;
        if (usesPixelBufferOutput())
            setInputTextureForTarget(targets[i], indices[i]);
        if (_currentlyReceivingMonochromeInput) {
            // The input passes on unturned, so the target turns it.
            targets[i]->setInputRotation(inputRotation, indices[i]);
            plat::Size size = outputFrameSize();
            if (rotationSwapsWidthAndHeight(inputRotation))
                size = {size.height, size.width};
            targets[i]->setInputSize(size, indices[i]);
        } else {
            targets[i]->setInputSize(outputFrameSize(), indices[i]);
        }
        targets[i]->newFrameReadyAtTime(frameTime, indices[i]);
    }
}

}  // namespace zt
