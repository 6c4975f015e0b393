#include "glimage/GLImagePixellatePositionFilter.h"

#include "glimage/GLImageContext.h"
#include "glimage/GLImagePixellateFilter.h"
#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kPixellatePositionFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;

uniform highp float fractionalWidthOfPixel;
uniform highp float aspectRatio;
uniform highp vec2 pixelateCenter;
uniform highp float pixelateRadius;

void main()
{
    highp vec2 textureCoordinateToUse = vec2(textureCoordinate.x, (textureCoordinate.y * aspectRatio + 0.5 - 0.5 * aspectRatio));
    highp float dist = distance(pixelateCenter, textureCoordinateToUse);

    if (dist < pixelateRadius) {
        highp vec2 sampleDivisor = vec2(fractionalWidthOfPixel, fractionalWidthOfPixel / aspectRatio);
        highp vec2 samplePos = textureCoordinate - mod(textureCoordinate, sampleDivisor) + 0.5 * sampleDivisor;
        gl_FragColor = texture2D(inputImageTexture, samplePos);
    } else {
        gl_FragColor = texture2D(inputImageTexture, textureCoordinate);
    }
}
)";

}  // namespace

GLImagePixellatePositionFilter::GLImagePixellatePositionFilter()
    : GLImageCenterAndAspectFilter(kPixellatePositionFragmentShaderString, "pixelateCenter", "aspectRatio")
{
    fractionalWidthOfAPixelUniform = filterProgram->uniformIndex("fractionalWidthOfPixel");
    radiusUniform = filterProgram->uniformIndex("pixelateRadius");
    setFractionalWidthOfAPixel(0.05);
    setRadius(0.25);
    setCenter({0.5, 0.5});
}

void GLImagePixellatePositionFilter::setFractionalWidthOfAPixel(double newValue)
{
    runSynchronouslyOnContextQueue([&] {
        _fractionalWidthOfAPixel = detail::atLeastOnePixel(newValue, inputTextureSize.width);
        setFloat(float(_fractionalWidthOfAPixel), fractionalWidthOfAPixelUniform, filterProgram);
    });
}

void GLImagePixellatePositionFilter::setRadius(double newValue)
{
    _radius = newValue;
    setFloat(float(newValue), radiusUniform, filterProgram);
}

}  // namespace zt
