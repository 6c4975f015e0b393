#include "glimage/GLImageTiltShiftFilter.h"

#include "glimage/GLImageGaussianBlurFilter.h"
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

namespace {

const char* const kTiltShiftFragmentShaderString = R"(
varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

uniform highp float topFocusLevel;
uniform highp float bottomFocusLevel;
uniform highp float focusFallOffRate;

void main()
{
    lowp vec4 sharpImageColor = texture2D(inputImageTexture, textureCoordinate);
    lowp vec4 blurredImageColor = texture2D(inputImageTexture2, textureCoordinate2);

    highp float blurIntensity = 1.0 - smoothstep(topFocusLevel - focusFallOffRate, topFocusLevel, textureCoordinate2.y);
    blurIntensity += smoothstep(bottomFocusLevel, bottomFocusLevel + focusFallOffRate, textureCoordinate2.y);

    gl_FragColor = mix(sharpImageColor, blurredImageColor, blurIntensity);
}
)";

}  // namespace

GLImageTiltShiftFilter::GLImageTiltShiftFilter()
    : _blurFilter(std::make_shared<GLImageGaussianBlurFilter>())
    , _tiltShiftFilter(std::make_shared<GLImageTwoInputFilter>(kTiltShiftFragmentShaderString))
{
    addFilter(_blurFilter);
    addFilter(_tiltShiftFilter);
    _blurFilter->addTarget(_tiltShiftFilter, 1);
    setInitialFilters({_blurFilter, _tiltShiftFilter});
    setTerminalFilter(_tiltShiftFilter);

    setTopFocusLevel(0.4);
    setBottomFocusLevel(0.6);
    setFocusFallOffRate(0.2);
    setBlurRadiusInPixels(7.0);
}

double GLImageTiltShiftFilter::blurRadiusInPixels() const
{
    return _blurFilter->blurRadiusInPixels();
}

void GLImageTiltShiftFilter::setBlurRadiusInPixels(double newValue)
{
    _blurFilter->setBlurRadiusInPixels(newValue);
}

void GLImageTiltShiftFilter::setTopFocusLevel(double newValue)
{
    _topFocusLevel = newValue;
    _tiltShiftFilter->setFloat(float(newValue), "topFocusLevel");
}

void GLImageTiltShiftFilter::setBottomFocusLevel(double newValue)
{
    _bottomFocusLevel = newValue;
    _tiltShiftFilter->setFloat(float(newValue), "bottomFocusLevel");
}

void GLImageTiltShiftFilter::setFocusFallOffRate(double newValue)
{
    _focusFallOffRate = newValue;
    _tiltShiftFilter->setFloat(float(newValue), "focusFallOffRate");
}

}  // namespace zt
