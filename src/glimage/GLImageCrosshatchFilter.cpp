#include "glimage/GLImageCrosshatchFilter.h"

#include "glimage/GLImageContext.h"
#include "glimage/GLImagePixellateFilter.h"
#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kCrosshatchFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;

uniform highp float crossHatchSpacing;
uniform highp float lineWidth;

const highp vec3 W = vec3(0.2125, 0.7154, 0.0721);

void main()
{
    highp float luminance = dot(texture2D(inputImageTexture, textureCoordinate).rgb, W);

    lowp vec4 colorToDisplay = vec4(1.0, 1.0, 1.0, 1.0);
    if (luminance < 1.00) {
        if (mod(textureCoordinate.x + textureCoordinate.y, crossHatchSpacing) <= lineWidth)
            colorToDisplay = vec4(0.0, 0.0, 0.0, 1.0);
    }
    if (luminance < 0.75) {
        if (mod(textureCoordinate.x - textureCoordinate.y, crossHatchSpacing) <= lineWidth)
            colorToDisplay = vec4(0.0, 0.0, 0.0, 1.0);
    }
    if (luminance < 0.50) {
        if (mod(textureCoordinate.x + textureCoordinate.y - (crossHatchSpacing / 2.0), crossHatchSpacing) <= lineWidth)
            colorToDisplay = vec4(0.0, 0.0, 0.0, 1.0);
    }
    if (luminance < 0.3) {
        if (mod(textureCoordinate.x - textureCoordinate.y - (crossHatchSpacing / 2.0), crossHatchSpacing) <= lineWidth)
            colorToDisplay = vec4(0.0, 0.0, 0.0, 1.0);
    }

    gl_FragColor = colorToDisplay;
}
)";

}  // namespace

GLImageCrosshatchFilter::GLImageCrosshatchFilter()
    : GLImageFilter(kCrosshatchFragmentShaderString)
{
    crossHatchSpacingUniform = filterProgram->uniformIndex("crossHatchSpacing");
    lineWidthUniform = filterProgram->uniformIndex("lineWidth");
    setCrossHatchSpacing(0.03);
    setLineWidth(0.003);
}

void GLImageCrosshatchFilter::setCrossHatchSpacing(double newValue)
{
    runSynchronouslyOnContextQueue([&] {
        _crossHatchSpacing = detail::atLeastOnePixel(newValue, inputTextureSize.width);
        setFloat(float(_crossHatchSpacing), crossHatchSpacingUniform, filterProgram);
    });
}

void GLImageCrosshatchFilter::setLineWidth(double newValue)
{
    _lineWidth = newValue;
    setFloat(float(newValue), lineWidthUniform, filterProgram);
}

}  // namespace zt
