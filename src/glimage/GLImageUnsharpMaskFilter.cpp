#include "glimage/GLImageUnsharpMaskFilter.h"

#include "glimage/GLImageGaussianBlurFilter.h"
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

namespace {

const char* const kUnsharpMaskFragmentShaderString = R"(
varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

uniform highp float intensity;

void main()
{
    lowp vec4 sharpImageColor = texture2D(inputImageTexture, textureCoordinate);
    lowp vec3 blurredImageColor = texture2D(inputImageTexture2, textureCoordinate2).rgb;

    gl_FragColor = vec4(sharpImageColor.rgb * intensity + blurredImageColor * (1.0 - intensity), sharpImageColor.a);
}
)";

}  // namespace

GLImageUnsharpMaskFilter::GLImageUnsharpMaskFilter()
    : _blurFilter(std::make_shared<GLImageGaussianBlurFilter>())
    , _unsharpMaskFilter(std::make_shared<GLImageTwoInputFilter>(kUnsharpMaskFragmentShaderString))
{
    addFilter(_blurFilter);
    addFilter(_unsharpMaskFilter);
    _blurFilter->addTarget(_unsharpMaskFilter, 1);
    setInitialFilters({_blurFilter, _unsharpMaskFilter});
    setTerminalFilter(_unsharpMaskFilter);

    setIntensity(1.0);
    setBlurRadiusInPixels(4.0);
}

double GLImageUnsharpMaskFilter::blurRadiusInPixels() const
{
    return _blurFilter->blurRadiusInPixels();
}

void GLImageUnsharpMaskFilter::setBlurRadiusInPixels(double newValue)
{
    _blurFilter->setBlurRadiusInPixels(newValue);
}

void GLImageUnsharpMaskFilter::setIntensity(double newValue)
{
    _intensity = newValue;
    _unsharpMaskFilter->setFloat(float(newValue), "intensity");
}

}  // namespace zt
