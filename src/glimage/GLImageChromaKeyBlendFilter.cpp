#include "glimage/GLImageChromaKeyBlendFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

// Distance in the Cr-Cb plane of a Y'CbCr space, the luma left out.
const char* const kChromaKeyBlendFragmentShaderString = R"(
precision highp float;

varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;

uniform float thresholdSensitivity;
uniform float smoothing;
uniform vec3 colorToReplace;
uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

void main()
{
    vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    vec4 textureColor2 = texture2D(inputImageTexture2, textureCoordinate2);

    float maskY = 0.2989 * colorToReplace.r + 0.5866 * colorToReplace.g + 0.1145 * colorToReplace.b;
    float maskCr = 0.7132 * (colorToReplace.r - maskY);
    float maskCb = 0.5647 * (colorToReplace.b - maskY);

    float Y = 0.2989 * textureColor.r + 0.5866 * textureColor.g + 0.1145 * textureColor.b;
    float Cr = 0.7132 * (textureColor.r - Y);
    float Cb = 0.5647 * (textureColor.b - Y);

    float blendValue = 1.0 - smoothstep(thresholdSensitivity, thresholdSensitivity + smoothing,
        distance(vec2(Cr, Cb), vec2(maskCr, maskCb)));
    gl_FragColor = mix(textureColor, textureColor2, blendValue);
}
)";

}  // namespace

GLImageChromaKeyBlendFilter::GLImageChromaKeyBlendFilter()
    : GLImageTwoInputFilter(kChromaKeyBlendFragmentShaderString)
{
    thresholdSensitivityUniform = filterProgram->uniformIndex("thresholdSensitivity");
    smoothingUniform = filterProgram->uniformIndex("smoothing");
    colorToReplaceUniform = filterProgram->uniformIndex("colorToReplace");
    readsInputsOnlyAtTheirCoordinates = true;
    setThresholdSensitivity(0.4f);
    setSmoothing(0.1f);
    setColorToReplaceRed(0.0f, 1.0f, 0.0f);
}

void GLImageChromaKeyBlendFilter::setColorToReplaceRed(float redComponent, float greenComponent, float blueComponent)
{
    setVec3({redComponent, greenComponent, blueComponent}, colorToReplaceUniform, filterProgram);
}

void GLImageChromaKeyBlendFilter::setThresholdSensitivity(float newValue)
{
    _thresholdSensitivity = newValue;
    setFloat(newValue, thresholdSensitivityUniform, filterProgram);
}

void GLImageChromaKeyBlendFilter::setSmoothing(float newValue)
{
    _smoothing = newValue;
    setFloat(newValue, smoothingUniform, filterProgram);
}

}  // namespace zt
