#include "glimage/GLImageHighlightShadowFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

// Black divides 0 by 0 (luminance 0): the shader does not guard it, and
// the pixel gets whatever GL makes of it.
const char* const kHighlightShadowFragmentShaderString = R"(
uniform sampler2D inputImageTexture;
varying highp vec2 textureCoordinate;

uniform lowp float shadows;
uniform lowp float highlights;

const mediump vec3 luminanceWeighting = vec3(0.3, 0.3, 0.3);

void main()
{
    lowp vec4 source = texture2D(inputImageTexture, textureCoordinate);
    mediump float luminance = dot(source.rgb, luminanceWeighting);

    mediump float shadow = clamp((pow(luminance, 1.0 / (shadows + 1.0))
        + (-0.76) * pow(luminance, 2.0 / (shadows + 1.0))) - luminance, 0.0, 1.0);
    mediump float highlight = clamp((1.0 - (pow(1.0 - luminance, 1.0 / (2.0 - highlights))
        + (-0.8) * pow(1.0 - luminance, 2.0 / (2.0 - highlights)))) - luminance, -1.0, 0.0);
    lowp vec3 result = vec3(0.0, 0.0, 0.0) + ((luminance + shadow + highlight) - 0.0)
        * ((source.rgb - vec3(0.0, 0.0, 0.0)) / (luminance - 0.0));

    gl_FragColor = vec4(result.rgb, source.a);
}
)";

}  // namespace

GLImageHighlightShadowFilter::GLImageHighlightShadowFilter()
    : GLImageFilter(kHighlightShadowFragmentShaderString)
{
    shadowsUniform = filterProgram->uniformIndex("shadows");
    highlightsUniform = filterProgram->uniformIndex("highlights");
    setShadows(0.0);
    setHighlights(1.0);
}

void GLImageHighlightShadowFilter::setShadows(double newValue)
{
    _shadows = newValue;
    setFloat(float(newValue), shadowsUniform, filterProgram);
}

void GLImageHighlightShadowFilter::setHighlights(double newValue)
{
    _highlights = newValue;
    setFloat(float(newValue), highlightsUniform, filterProgram);
}

}  // namespace zt
