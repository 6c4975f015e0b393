#include "glimage/GLImagePixellateFilter.h"

#include <algorithm>

#include "glimage/GLImageContext.h"
#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kPixellationFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;

uniform highp float fractionalWidthOfPixel;
uniform highp float aspectRatio;

void main()
{
    highp vec2 sampleDivisor = vec2(fractionalWidthOfPixel, fractionalWidthOfPixel / aspectRatio);
    highp vec2 samplePos = textureCoordinate - mod(textureCoordinate, sampleDivisor) + 0.5 * sampleDivisor;
    gl_FragColor = texture2D(inputImageTexture, samplePos);
}
)";

constexpr double kSmallestFractionWithoutWidth = 1.0 / 2048.0;

}  // namespace

namespace detail {

double atLeastOnePixel(double fraction, double inputWidth)
{
    const double smallest = inputWidth > 0 ? 1.0 / inputWidth : kSmallestFractionWithoutWidth;
    return std::max(fraction, smallest);
}

}  // namespace detail

GLImagePixellateFilter::GLImagePixellateFilter()
    : GLImagePixellateFilter(kPixellationFragmentShaderString)
{
}

GLImagePixellateFilter::GLImagePixellateFilter(const std::string& fragmentShaderString)
    : GLImageCenterAndAspectFilter(fragmentShaderString, {}, "aspectRatio")
{
    fractionalWidthOfAPixelUniform = filterProgram->uniformIndex("fractionalWidthOfPixel");
    setFractionalWidthOfAPixel(0.05);
}

void GLImagePixellateFilter::setFractionalWidthOfAPixel(double newValue)
{
    runSynchronouslyOnContextQueue([&] {
        _fractionalWidthOfAPixel = detail::atLeastOnePixel(newValue, inputTextureSize.width);
        setFloat(float(_fractionalWidthOfAPixel), fractionalWidthOfAPixelUniform, filterProgram);
    });
}

}  // namespace zt
