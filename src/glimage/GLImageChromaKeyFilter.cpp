#include "glimage/GLImageChromaKeyFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

// The whole colour is scaled with the alpha: textures hold premultiplied
// colour, and a keyed-out pixel must add nothing where it is drawn.
const char* const kChromaKeyFragmentShaderString = R"(
precision highp float;

varying highp vec2 textureCoordinate;

uniform float thresholdSensitivity;
uniform float smoothing;
uniform vec3 colorToReplace;
uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

void main()
{
    vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);

    float maskY = 0.2989 * colorToReplace.r + 0.5866 * colorToReplace.g + 0.1145 * colorToReplace.b;
    float maskCr = 0.7132 * (colorToReplace.r - maskY);
    float maskCb = 0.5647 * (colorToReplace.b - maskY);

    float Y = 0.2989 * textureColor.r + 0.5866 * textureColor.g + 0.1145 * textureColor.b;
    float Cr = 0.7132 * (textureColor.r - Y);
    float Cb = 0.5647 * (textureColor.b - Y);

    float blendValue = smoothstep(thresholdSensitivity, thresholdSensitivity + smoothing, distance(vec2(Cr, Cb), vec2(maskCr, maskCb)));
    gl_FragColor = textureColor * blendValue;
}
)";

}  // namespace

GLImageChromaKeyFilter::GLImageChromaKeyFilter()
    : GLImageFilter(kChromaKeyFragmentShaderString)
{
    colorToReplaceUniform = filterProgram->uniformIndex("colorToReplace");
    thresholdSensitivityUniform = filterProgram->uniformIndex("thresholdSensitivity");
    smoothingUniform = filterProgram->uniformIndex("smoothing");
    setThresholdSensitivity(0.4f);
    setSmoothing(0.1f);
    setColorToReplaceRed(0.0f, 1.0f, 0.0f);
}

void GLImageChromaKeyFilter::setColorToReplaceRed(float redComponent, float greenComponent, float blueComponent)
{
    setVec3({redComponent, greenComponent, blueComponent}, colorToReplaceUniform, filterProgram);
}

void GLImageChromaKeyFilter::setThresholdSensitivity(float newValue)
{
    _thresholdSensitivity = newValue;
    setFloat(newValue, thresholdSensitivityUniform, filterProgram);
}

void GLImageChromaKeyFilter::setSmoothing(float newValue)
{
    _smoothing = newValue;
    setFloat(newValue, smoothingUniform, filterProgram);
}

}  // namespace zt
