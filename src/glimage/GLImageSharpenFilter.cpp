#include "glimage/GLImageSharpenFilter.h"

#include "glimage/GLImageContext.h"
#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kSharpenVertexShaderString = R"(
attribute vec4 position;
attribute vec4 inputTextureCoordinate;

uniform float imageWidthFactor;
uniform float imageHeightFactor;
uniform float sharpness;

varying vec2 textureCoordinate;
varying vec2 leftTextureCoordinate;
varying vec2 rightTextureCoordinate;
varying vec2 topTextureCoordinate;
varying vec2 bottomTextureCoordinate;

varying float centerMultiplier;
varying float edgeMultiplier;

void main()
{
    gl_Position = position;

    vec2 widthStep = vec2(imageWidthFactor, 0.0);
    vec2 heightStep = vec2(0.0, imageHeightFactor);

    textureCoordinate = inputTextureCoordinate.xy;
    leftTextureCoordinate = inputTextureCoordinate.xy - widthStep;
    rightTextureCoordinate = inputTextureCoordinate.xy + widthStep;
    topTextureCoordinate = inputTextureCoordinate.xy + heightStep;
    bottomTextureCoordinate = inputTextureCoordinate.xy - heightStep;

    centerMultiplier = 1.0 + 4.0 * sharpness;
    edgeMultiplier = sharpness;
}
)";

// The alpha is the centre's: a sharpened picture keeps its outline where it was.
const char* const kSharpenFragmentShaderString = R"(
precision highp float;

varying highp vec2 textureCoordinate;
varying highp vec2 leftTextureCoordinate;
varying highp vec2 rightTextureCoordinate;
varying highp vec2 topTextureCoordinate;
varying highp vec2 bottomTextureCoordinate;

varying highp float centerMultiplier;
varying highp float edgeMultiplier;

uniform sampler2D inputImageTexture;

void main()
{
    mediump vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    mediump vec3 leftTextureColor = texture2D(inputImageTexture, leftTextureCoordinate).rgb;
    mediump vec3 rightTextureColor = texture2D(inputImageTexture, rightTextureCoordinate).rgb;
    mediump vec3 topTextureColor = texture2D(inputImageTexture, topTextureCoordinate).rgb;
    mediump vec3 bottomTextureColor = texture2D(inputImageTexture, bottomTextureCoordinate).rgb;

    gl_FragColor = vec4((textureColor.rgb * centerMultiplier
        - (leftTextureColor * edgeMultiplier + rightTextureColor * edgeMultiplier + topTextureColor * edgeMultiplier
            + bottomTextureColor * edgeMultiplier)), textureColor.a);
}
)";

}  // namespace

GLImageSharpenFilter::GLImageSharpenFilter()
    : GLImageFilter(kSharpenVertexShaderString, kSharpenFragmentShaderString)
{
    sharpnessUniform = filterProgram->uniformIndex("sharpness");
    imageWidthFactorUniform = filterProgram->uniformIndex("imageWidthFactor");
    imageHeightFactorUniform = filterProgram->uniformIndex("imageHeightFactor");
    setSharpness(0.0);
}

void GLImageSharpenFilter::setupFilterForSize(plat::Size filterFrameSize)
{
    if (filterFrameSize.width <= 0 || filterFrameSize.height <= 0)
        return;
    runSynchronouslyOnContextQueue([&] {
        // The steps go through the input texture, whose axes a turned input swaps.
        const bool swapped = rotationSwapsWidthAndHeight(inputRotation);
        const double width = swapped ? filterFrameSize.height : filterFrameSize.width;
        const double height = swapped ? filterFrameSize.width : filterFrameSize.height;
        setFloat(float(1.0 / width), imageWidthFactorUniform, filterProgram);
        setFloat(float(1.0 / height), imageHeightFactorUniform, filterProgram);
    });
}

void GLImageSharpenFilter::setSharpness(double newValue)
{
    _sharpness = newValue;
    setFloat(float(newValue), sharpnessUniform, filterProgram);
}

}  // namespace zt
