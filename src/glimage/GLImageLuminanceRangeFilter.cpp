#include "glimage/GLImageLuminanceRangeFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kRangeReductionFactorFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform highp float rangeReduction;

void main()
{
    highp vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    const mediump vec3 luminanceWeighting = vec3(0.2125, 0.7154, 0.0721);
    mediump float luminance = dot(textureColor.rgb, luminanceWeighting);
    mediump float luminanceRatio = (0.5 - luminance) * rangeReduction;
    gl_FragColor = vec4(textureColor.rgb + luminanceRatio, textureColor.w);
}
)";

}  // namespace

GLImageLuminanceRangeFilter::GLImageLuminanceRangeFilter()
    : GLImageFilter(kRangeReductionFactorFragmentShaderString)
{
    rangeReductionFactorUniform = filterProgram->uniformIndex("rangeReduction");
    setRangeReductionFactor(0.6);
}

void GLImageLuminanceRangeFilter::setRangeReductionFactor(double newRangeReductionFactor)
{
    _rangeReductionFactor = newRangeReductionFactor;
    setFloat(float(newRangeReductionFactor), rangeReductionFactorUniform, filterProgram);
}

}  // namespace zt
