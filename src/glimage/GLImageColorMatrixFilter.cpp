#include "glimage/GLImageColorMatrixFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

// The matrix arrives untransposed, its rows as GLSL columns, so the colour
// as a row vector times it dots the colour with each stored row.
const char* const kColorMatrixFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform mediump mat4 colorMatrix;
uniform mediump float intensity;

void main()
{
    mediump vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    mediump vec4 outputColor = textureColor * colorMatrix;
    gl_FragColor = (intensity * outputColor) + ((1.0 - intensity) * textureColor);
}
)";

}  // namespace

GLImageColorMatrixFilter::GLImageColorMatrixFilter()
    : GLImageFilter(kColorMatrixFragmentShaderString)
{
    colorMatrixUniform = filterProgram->uniformIndex("colorMatrix");
    intensityUniform = filterProgram->uniformIndex("intensity");
    setIntensity(1.0);
    setColorMatrix(kGPUMatrix4x4Identity);
}

void GLImageColorMatrixFilter::setColorMatrix(const GPUMatrix4x4& newColorMatrix)
{
    _colorMatrix = newColorMatrix;
    const auto& m = newColorMatrix;
    setMatrix4f(
        {m.one.one, m.one.two, m.one.three, m.one.four, m.two.one, m.two.two, m.two.three, m.two.four, m.three.one,
            m.three.two, m.three.three, m.three.four, m.four.one, m.four.two, m.four.three, m.four.four},
        colorMatrixUniform, filterProgram);
}

void GLImageColorMatrixFilter::setIntensity(double newIntensity)
{
    _intensity = newIntensity;
    setFloat(float(newIntensity), intensityUniform, filterProgram);
}

}  // namespace zt
