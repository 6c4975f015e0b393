#include "glimage/GLImageNineSampleBlurShader.h"

namespace zt {

const char* const kGLImageNineSampleBlurVertexShaderString = R"(
attribute vec4 position;
attribute vec4 inputTextureCoordinate;

const int GAUSSIAN_SAMPLES = 9;

uniform float texelWidthOffset;
uniform float texelHeightOffset;

varying vec2 textureCoordinate;
varying vec2 blurCoordinates[GAUSSIAN_SAMPLES];

void main()
{
    gl_Position = position;
    textureCoordinate = inputTextureCoordinate.xy;

    vec2 singleStepOffset = vec2(texelWidthOffset, texelHeightOffset);
    for (int i = 0; i < GAUSSIAN_SAMPLES; i++) {
        blurCoordinates[i] = inputTextureCoordinate.xy + float(i - 4) * singleStepOffset;
    }
}
)";

}  // namespace zt
