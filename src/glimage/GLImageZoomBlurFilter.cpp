#include "glimage/GLImageZoomBlurFilter.h"

#include "glimage/GLImageContext.h"
#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kZoomBlurFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;

uniform highp vec2 blurCenter;
uniform highp float blurSize;

void main()
{
    highp vec2 samplingOffset = 1.0 / 100.0 * (blurCenter - textureCoordinate) * blurSize;

    lowp vec4 fragmentColor = texture2D(inputImageTexture, textureCoordinate) * 0.18;
    fragmentColor += texture2D(inputImageTexture, textureCoordinate + samplingOffset) * 0.15;
    fragmentColor += texture2D(inputImageTexture, textureCoordinate + (2.0 * samplingOffset)) * 0.12;
    fragmentColor += texture2D(inputImageTexture, textureCoordinate + (3.0 * samplingOffset)) * 0.09;
    fragmentColor += texture2D(inputImageTexture, textureCoordinate + (4.0 * samplingOffset)) * 0.05;
    fragmentColor += texture2D(inputImageTexture, textureCoordinate - samplingOffset) * 0.15;
    fragmentColor += texture2D(inputImageTexture, textureCoordinate - (2.0 * samplingOffset)) * 0.12;
    fragmentColor += texture2D(inputImageTexture, textureCoordinate - (3.0 * samplingOffset)) * 0.09;
    fragmentColor += texture2D(inputImageTexture, textureCoordinate - (4.0 * samplingOffset)) * 0.05;

    gl_FragColor = fragmentColor;
}
)";

}  // namespace

GLImageZoomBlurFilter::GLImageZoomBlurFilter()
    : GLImageFilter(kZoomBlurFragmentShaderString)
{
    blurSizeUniform = filterProgram->uniformIndex("blurSize");
    blurCenterUniform = filterProgram->uniformIndex("blurCenter");
    setBlurSize(1.0);
    setBlurCenter({0.5, 0.5});
}

void GLImageZoomBlurFilter::setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex)
{
    GLImageFilter::setInputRotation(newInputRotation, textureIndex);
    setBlurCenter(_blurCenter);
}

void GLImageZoomBlurFilter::setBlurSize(double newValue)
{
    _blurSize = newValue;
    setFloat(float(newValue), blurSizeUniform, filterProgram);
}

void GLImageZoomBlurFilter::setBlurCenter(plat::Point newValue)
{
    runSynchronouslyOnContextQueue([&] {
        _blurCenter = newValue;
        setPoint(rotatedPoint(newValue, inputRotation), blurCenterUniform, filterProgram);
    });
}

}  // namespace zt
