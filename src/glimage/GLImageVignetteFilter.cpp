#include "glimage/GLImageVignetteFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kVignetteFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;

uniform highp vec2 vignetteCenter;
uniform lowp vec3 vignetteColor;
uniform highp float vignetteStart;
uniform highp float vignetteEnd;

void main()
{
    lowp vec4 sourceImageColor = texture2D(inputImageTexture, textureCoordinate);
    highp float d = distance(textureCoordinate, vignetteCenter);
    highp float percent = smoothstep(vignetteStart, vignetteEnd, d);
    gl_FragColor = vec4(mix(sourceImageColor.rgb, vignetteColor, percent), sourceImageColor.a);
}
)";

}  // namespace

GLImageVignetteFilter::GLImageVignetteFilter()
    : GLImageFilter(kVignetteFragmentShaderString)
{
    vignetteCenterUniform = filterProgram->uniformIndex("vignetteCenter");
    vignetteColorUniform = filterProgram->uniformIndex("vignetteColor");
    vignetteStartUniform = filterProgram->uniformIndex("vignetteStart");
    vignetteEndUniform = filterProgram->uniformIndex("vignetteEnd");
    setVignetteCenter({0.5, 0.5});
    setVignetteColor({0.0f, 0.0f, 0.0f});
    setVignetteStart(0.3);
    setVignetteEnd(0.75);
}

void GLImageVignetteFilter::setVignetteCenter(plat::Point newValue)
{
    // Sent as given: the vignette is measured in the input texture's own axes.
    _vignetteCenter = newValue;
    setPoint(newValue, vignetteCenterUniform, filterProgram);
}

void GLImageVignetteFilter::setVignetteColor(GPUVector3 newValue)
{
    _vignetteColor = newValue;
    setVec3({newValue.one, newValue.two, newValue.three}, vignetteColorUniform, filterProgram);
}

void GLImageVignetteFilter::setVignetteStart(double newValue)
{
    _vignetteStart = newValue;
    setFloat(float(newValue), vignetteStartUniform, filterProgram);
}

void GLImageVignetteFilter::setVignetteEnd(double newValue)
{
    _vignetteEnd = newValue;
    setFloat(float(newValue), vignetteEndUniform, filterProgram);
}

}  // namespace zt
