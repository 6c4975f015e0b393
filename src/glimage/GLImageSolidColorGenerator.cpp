#include "glimage/GLImageSolidColorGenerator.h"

#include "glimage/GLImageContext.h"
#include "glimage/GLProgram.h"

namespace zt {

namespace {

// Premultiplied, as all colour in the pipeline: where the input's alpha is
// kept, the colour is scaled by it.
const char* const kSolidColorFragmentShaderString = R"(
precision lowp float;

varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform vec4 color;
uniform float useExistingAlpha;

void main()
{
    lowp vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    lowp float alpha = max(textureColor.a, 1.0 - useExistingAlpha);
    gl_FragColor = vec4(color.rgb * alpha, alpha);
}
)";

bool isZero(plat::Size size)
{
    return size.width == 0 && size.height == 0;
}

}  // namespace

GLImageSolidColorGenerator::GLImageSolidColorGenerator()
    : GLImageFilter(kSolidColorFragmentShaderString)
{
    colorUniform = filterProgram->uniformIndex("color");
    useExistingAlphaUniform = filterProgram->uniformIndex("useExistingAlpha");
    setColorRed(0.0f, 0.0f, 0.5f, 1.0f);
    setUseExistingAlpha(false);
}

void GLImageSolidColorGenerator::setColor(const GPUVector4& newValue)
{
    setColorRed(newValue.one, newValue.two, newValue.three, newValue.four);
}

void GLImageSolidColorGenerator::setColorRed(
    float redComponent, float greenComponent, float blueComponent, float alphaComponent)
{
    _color = {redComponent, greenComponent, blueComponent, alphaComponent};
    setVec4({redComponent, greenComponent, blueComponent, alphaComponent}, colorUniform, filterProgram);
}

void GLImageSolidColorGenerator::setUseExistingAlpha(bool useExistingAlpha)
{
    _useExistingAlpha = useExistingAlpha;
    setFloat(useExistingAlpha ? 1.0f : 0.0f, useExistingAlphaUniform, filterProgram);
}

void GLImageSolidColorGenerator::forceProcessingAtSize(plat::Size frameSize)
{
    GLImageFilter::forceProcessingAtSize(frameSize);
    runSynchronouslyOnContextQueue([this] {
        if (!isZero(inputTextureSize))
            newFrameReadyAtTime(plat::MediaTime::indefinite(), 0);
    });
}

void GLImageSolidColorGenerator::addTarget(const std::shared_ptr<GLImageInput>& newTarget, int64_t textureLocation)
{
    GLImageFilter::addTarget(newTarget, textureLocation);
    runSynchronouslyOnContextQueue([&] {
        if (isZero(inputTextureSize))
            return;
        newTarget->setInputSize(inputTextureSize, textureLocation);
        newTarget->newFrameReadyAtTime(plat::MediaTime::indefinite(), textureLocation);
    });
}

}  // namespace zt
