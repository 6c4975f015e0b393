#include "glimage/GLImageGaussianSelectiveBlurFilter.h"

#include "glimage/GLImageContext.h"
#include "glimage/GLImageGaussianBlurFilter.h"
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

namespace {

const char* const kGaussianSelectiveBlurFragmentShaderString = R"(
varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

uniform highp float excludeCircleRadius;
uniform highp vec2 excludeCirclePoint;
uniform highp float excludeBlurSize;
uniform highp float aspectRatio;

void main()
{
    lowp vec4 sharpImageColor = texture2D(inputImageTexture, textureCoordinate);
    lowp vec4 blurredImageColor = texture2D(inputImageTexture2, textureCoordinate2);

    highp vec2 textureCoordinateToUse = vec2(textureCoordinate2.x, (textureCoordinate2.y * aspectRatio + 0.5 - 0.5 * aspectRatio));
    highp float distanceFromCenter = distance(excludeCirclePoint, textureCoordinateToUse);

    gl_FragColor = mix(sharpImageColor, blurredImageColor, smoothstep(excludeCircleRadius - excludeBlurSize, excludeCircleRadius, distanceFromCenter));
}
)";

}  // namespace

GLImageGaussianSelectiveBlurFilter::GLImageGaussianSelectiveBlurFilter()
    : _blurFilter(std::make_shared<GLImageGaussianBlurFilter>())
    , _selectiveFocusFilter(std::make_shared<GLImageTwoInputFilter>(kGaussianSelectiveBlurFragmentShaderString))
{
    addFilter(_blurFilter);
    addFilter(_selectiveFocusFilter);
    _blurFilter->addTarget(_selectiveFocusFilter, 1);
    setInitialFilters({_blurFilter, _selectiveFocusFilter});
    setTerminalFilter(_selectiveFocusFilter);

    setBlurRadiusInPixels(5.0);
    setExcludeCircleRadius(60.0 / 320.0);
    setExcludeCirclePoint({0.5, 0.5});
    setExcludeBlurSize(30.0 / 320.0);
}

void GLImageGaussianSelectiveBlurFilter::setInputSize(plat::Size newSize, int64_t textureIndex)
{
    runSynchronouslyOnContextQueue([&] {
        const plat::Size oldInputSize = inputSize;
        GLImageFilterGroup::setInputSize(newSize, textureIndex);
        inputSize = newSize;
        if (oldInputSize != inputSize && !hasOverriddenAspectRatio && newSize.width > 0 && newSize.height > 0) {
            _aspectRatio = newSize.width / newSize.height;
            _selectiveFocusFilter->setFloat(float(_aspectRatio), "aspectRatio");
        }
    });
}

double GLImageGaussianSelectiveBlurFilter::blurRadiusInPixels() const
{
    return _blurFilter->blurRadiusInPixels();
}

void GLImageGaussianSelectiveBlurFilter::setBlurRadiusInPixels(double newValue)
{
    _blurFilter->setBlurRadiusInPixels(newValue);
}

void GLImageGaussianSelectiveBlurFilter::setExcludeCirclePoint(plat::Point newValue)
{
    _excludeCirclePoint = newValue;
    _selectiveFocusFilter->setPoint(newValue, "excludeCirclePoint");
}

void GLImageGaussianSelectiveBlurFilter::setExcludeCircleRadius(double newValue)
{
    _excludeCircleRadius = newValue;
    _selectiveFocusFilter->setFloat(float(newValue), "excludeCircleRadius");
}

void GLImageGaussianSelectiveBlurFilter::setExcludeBlurSize(double newValue)
{
    _excludeBlurSize = newValue;
    _selectiveFocusFilter->setFloat(float(newValue), "excludeBlurSize");
}

void GLImageGaussianSelectiveBlurFilter::setAspectRatio(double newValue)
{
    runSynchronouslyOnContextQueue([&] {
        hasOverriddenAspectRatio = true;
        _aspectRatio = newValue;
        _selectiveFocusFilter->setFloat(float(newValue), "aspectRatio");
    });
}

}  // namespace zt
