#include "glimage/GLImageMonochromeFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kMonochromeFragmentShaderString = R"(
precision lowp float;

varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform float intensity;
uniform vec3 filterColor;

const mediump vec3 luminanceWeighting = vec3(0.2125, 0.7154, 0.0721);

void main()
{
    lowp vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    float luminance = dot(textureColor.rgb, luminanceWeighting);
    lowp vec4 desat = vec4(vec3(luminance), 1.0);

    lowp vec4 outputColor = vec4(
        (desat.r < 0.5 ? (2.0 * desat.r * filterColor.r) : (1.0 - 2.0 * (1.0 - desat.r) * (1.0 - filterColor.r))),
        (desat.g < 0.5 ? (2.0 * desat.g * filterColor.g) : (1.0 - 2.0 * (1.0 - desat.g) * (1.0 - filterColor.g))),
        (desat.b < 0.5 ? (2.0 * desat.b * filterColor.b) : (1.0 - 2.0 * (1.0 - desat.b) * (1.0 - filterColor.b))),
        1.0);

    gl_FragColor = vec4(mix(textureColor.rgb, outputColor.rgb, intensity), textureColor.a);
}
)";

}  // namespace

GLImageMonochromeFilter::GLImageMonochromeFilter()
    : GLImageFilter(kMonochromeFragmentShaderString)
{
    intensityUniform = filterProgram->uniformIndex("intensity");
    filterColorUniform = filterProgram->uniformIndex("filterColor");
    setIntensity(1.0);
    setColor({0.6f, 0.45f, 0.3f, 1.0f});
}

void GLImageMonochromeFilter::setIntensity(double newValue)
{
    _intensity = newValue;
    setFloat(float(newValue), intensityUniform, filterProgram);
}

void GLImageMonochromeFilter::setColor(const GPUVector4& newColor)
{
    _color = newColor;
    setColorRed(newColor.one, newColor.two, newColor.three);
}

void GLImageMonochromeFilter::setColorRed(float redComponent, float greenComponent, float blueComponent)
{
    setVec3({redComponent, greenComponent, blueComponent}, filterColorUniform, filterProgram);
}

}  // namespace zt
