#include "glimage/GLImageColorPackingFilter.h"

#include <GLES2/gl2.h>

#include "glimage/GLImageAverageColor.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kColorPackingFragmentShaderString = R"(
precision lowp float;

uniform sampler2D inputImageTexture;

varying highp vec2 upperLeftInputTextureCoordinate;
varying highp vec2 upperRightInputTextureCoordinate;
varying highp vec2 lowerLeftInputTextureCoordinate;
varying highp vec2 lowerRightInputTextureCoordinate;

void main()
{
    float upperLeftIntensity = texture2D(inputImageTexture, upperLeftInputTextureCoordinate).r;
    float upperRightIntensity = texture2D(inputImageTexture, upperRightInputTextureCoordinate).r;
    float lowerLeftIntensity = texture2D(inputImageTexture, lowerLeftInputTextureCoordinate).r;
    float lowerRightIntensity = texture2D(inputImageTexture, lowerRightInputTextureCoordinate).r;
    gl_FragColor = vec4(upperLeftIntensity, upperRightIntensity, lowerLeftIntensity, lowerRightIntensity);
}
)";

}  // namespace

GLImageColorPackingFilter::GLImageColorPackingFilter()
    : GLImageFilter(kGLImageColorAveragingVertexShaderString, kColorPackingFragmentShaderString)
{
    texelWidthUniform = filterProgram->uniformIndex("texelWidth");
    texelHeightUniform = filterProgram->uniformIndex("texelHeight");
}

void GLImageColorPackingFilter::setupFilterForSize(plat::Size)
{
    texelWidth = float(0.5 / inputTextureSize.width);
    texelHeight = float(0.5 / inputTextureSize.height);
    // Kept with this filter's uniforms: every packing filter shares the program.
    setFloat(texelWidth, texelWidthUniform, filterProgram);
    setFloat(texelHeight, texelHeightUniform, filterProgram);
}

plat::Size GLImageColorPackingFilter::outputFrameSize()
{
    return {inputTextureSize.width / 2.0, inputTextureSize.height / 2.0};
}

plat::Size GLImageColorPackingFilter::sizeOfFBO()
{
    const plat::Size outputSize = maximumOutputSize();
    if ((outputSize.width != 0 || outputSize.height != 0) && inputTextureSize.width >= outputSize.width)
        return outputSize;
    return outputFrameSize();
}

}  // namespace zt
