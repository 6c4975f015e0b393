#include "glimage/GLImageAdaptiveThresholdFilter.h"

#include "glimage/GLImageBoxBlurFilter.h"
#include "glimage/GLImageGrayscaleFilter.h"
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

namespace {

// Input 0 is the blurred grey, input 1 the grey frame.
const char* const kAdaptiveThresholdFragmentShaderString = R"(
varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

void main()
{
    highp float blurredInput = texture2D(inputImageTexture, textureCoordinate).r;
    highp float localLuminance = texture2D(inputImageTexture2, textureCoordinate2).r;
    highp float thresholdResult = step(blurredInput - 0.05, localLuminance);

    gl_FragColor = vec4(vec3(thresholdResult), 1.0);
}
)";

}  // namespace

GLImageAdaptiveThresholdFilter::GLImageAdaptiveThresholdFilter()
    : _luminanceFilter(std::make_shared<GLImageGrayscaleFilter>())
    , _boxBlurFilter(std::make_shared<GLImageBoxBlurFilter>())
    , _adaptiveThresholdFilter(std::make_shared<GLImageTwoInputFilter>(kAdaptiveThresholdFragmentShaderString))
{
    addFilter(_luminanceFilter);
    addFilter(_boxBlurFilter);
    addFilter(_adaptiveThresholdFilter);
    _luminanceFilter->addTarget(_boxBlurFilter);
    _boxBlurFilter->addTarget(_adaptiveThresholdFilter);
    _luminanceFilter->addTarget(_adaptiveThresholdFilter);
    setInitialFilters({_luminanceFilter});
    setTerminalFilter(_adaptiveThresholdFilter);
}

double GLImageAdaptiveThresholdFilter::blurRadiusInPixels() const
{
    return _boxBlurFilter->blurRadiusInPixels();
}

void GLImageAdaptiveThresholdFilter::setBlurRadiusInPixels(double newValue)
{
    _boxBlurFilter->setBlurRadiusInPixels(newValue);
}

}  // namespace zt
