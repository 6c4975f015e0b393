#include "glimage/GLImageChromaKeyBlendFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

// The key colour's chroma and the soft edge's two ends are the same for every
// pixel, so the vertex shader works them out once and hands them on as a
// varying that stays constant across the quad. Read in the fragment shader,
// each of those uniforms cost llvmpipe a lane-by-lane load for every group of
// pixels, about a third of the shader's instructions.
const char* const kChromaKeyBlendVertexShaderString = R"(
attribute vec4 position;
attribute vec4 inputTextureCoordinate;
attribute vec4 inputTextureCoordinate2;

uniform float thresholdSensitivity;
uniform float smoothing;
uniform vec3 colorToReplace;

varying vec2 textureCoordinate;
varying vec2 textureCoordinate2;
varying vec4 keyChromaAndEdge;

void main()
{
    gl_Position = position;
    textureCoordinate = inputTextureCoordinate.xy;
    textureCoordinate2 = inputTextureCoordinate2.xy;

    float maskY = 0.2989 * colorToReplace.r + 0.5866 * colorToReplace.g + 0.1145 * colorToReplace.b;
    float maskCr = 0.7132 * (colorToReplace.r - maskY);
    float maskCb = 0.5647 * (colorToReplace.b - maskY);
    keyChromaAndEdge = vec4(maskCr, maskCb, thresholdSensitivity, thresholdSensitivity + smoothing);
}
)";

// Distance in the Cr-Cb plane of a Y'CbCr space, the luma left out.
const char* const kChromaKeyBlendFragmentShaderString = R"(
precision highp float;

varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;
varying highp vec4 keyChromaAndEdge;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

void main()
{
    vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    vec4 textureColor2 = texture2D(inputImageTexture2, textureCoordinate2);

    float Y = 0.2989 * textureColor.r + 0.5866 * textureColor.g + 0.1145 * textureColor.b;
    float Cr = 0.7132 * (textureColor.r - Y);
    float Cb = 0.5647 * (textureColor.b - Y);

    float blendValue = 1.0 - smoothstep(keyChromaAndEdge.z, keyChromaAndEdge.w,
        distance(vec2(Cr, Cb), keyChromaAndEdge.xy));
    gl_FragColor = mix(textureColor, textureColor2, blendValue);
}
)";

}  // namespace

GLImageChromaKeyBlendFilter::GLImageChromaKeyBlendFilter()
    : GLImageTwoInputFilter(kChromaKeyBlendVertexShaderString, kChromaKeyBlendFragmentShaderString)
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
