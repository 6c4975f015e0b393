#include "glimage/GLImageHazeFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

// Divides by 1 - d unguarded: a haze distance of 1 has no meaning.
const char* const kHazeFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform highp float hazeDistance;
uniform highp float slope;

void main()
{
    highp vec4 color = vec4(1.0);
    highp float d = textureCoordinate.y * slope + hazeDistance;
    highp vec4 c = texture2D(inputImageTexture, textureCoordinate);
    c = (c - d * color) / (1.0 - d);
    gl_FragColor = c;
}
)";

}  // namespace

GLImageHazeFilter::GLImageHazeFilter()
    : GLImageFilter(kHazeFragmentShaderString)
{
    distanceUniform = filterProgram->uniformIndex("hazeDistance");
    slopeUniform = filterProgram->uniformIndex("slope");
    setDistance(0.2);
    setSlope(0.0);
}

void GLImageHazeFilter::setDistance(double newValue)
{
    _distance = newValue;
    setFloat(float(newValue), distanceUniform, filterProgram);
}

void GLImageHazeFilter::setSlope(double newValue)
{
    _slope = newValue;
    setFloat(float(newValue), slopeUniform, filterProgram);
}

}  // namespace zt
