#include "glimage/GLImage3x3ConvolutionFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

constexpr GPUMatrix3x3 kIdentityKernel = {{0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 0.0f}};

}  // namespace

std::string GLImage3x3ConvolutionFilter::convolutionFragmentShader(const char* afterSum)
{
    return nearbyTexelSamplingFragmentShader(R"(
uniform mediump mat3 convolutionMatrix;

void main()
{
    mediump vec3 bottomColor = texture2D(inputImageTexture, bottomTextureCoordinate).rgb;
    mediump vec3 bottomLeftColor = texture2D(inputImageTexture, bottomLeftTextureCoordinate).rgb;
    mediump vec3 bottomRightColor = texture2D(inputImageTexture, bottomRightTextureCoordinate).rgb;
    mediump vec4 centerColor = texture2D(inputImageTexture, textureCoordinate);
    mediump vec3 leftColor = texture2D(inputImageTexture, leftTextureCoordinate).rgb;
    mediump vec3 rightColor = texture2D(inputImageTexture, rightTextureCoordinate).rgb;
    mediump vec3 topColor = texture2D(inputImageTexture, topTextureCoordinate).rgb;
    mediump vec3 topRightColor = texture2D(inputImageTexture, topRightTextureCoordinate).rgb;
    mediump vec3 topLeftColor = texture2D(inputImageTexture, topLeftTextureCoordinate).rgb;

    mediump vec3 resultColor = topLeftColor * convolutionMatrix[0][0] + topColor * convolutionMatrix[0][1]
        + topRightColor * convolutionMatrix[0][2];
    resultColor += leftColor * convolutionMatrix[1][0] + centerColor.rgb * convolutionMatrix[1][1]
        + rightColor * convolutionMatrix[1][2];
    resultColor += bottomLeftColor * convolutionMatrix[2][0] + bottomColor * convolutionMatrix[2][1]
        + bottomRightColor * convolutionMatrix[2][2];
)" + std::string(afterSum)
        + R"(
    gl_FragColor = vec4(resultColor, centerColor.a);
}
)");
}

GLImage3x3ConvolutionFilter::GLImage3x3ConvolutionFilter()
    : GLImage3x3ConvolutionFilter(convolutionFragmentShader(""))
{
    readsOnlyTheNinePoints = true;
    setConvolutionKernel(kIdentityKernel);
}

GLImage3x3ConvolutionFilter::GLImage3x3ConvolutionFilter(const std::string& fragmentShaderString)
    : GLImage3x3TextureSamplingFilter(fragmentShaderString)
{
    convolutionMatrixUniform = filterProgram->uniformIndex("convolutionMatrix");
}

void GLImage3x3ConvolutionFilter::setConvolutionKernel(const GPUMatrix3x3& newValue)
{
    _convolutionKernel = newValue;
    // Sent as stored, row one first: the shader's convolutionMatrix[0] is the top row.
    const auto& k = newValue;
    setMatrix3f(
        {k.one.one, k.one.two, k.one.three, k.two.one, k.two.two, k.two.three, k.three.one, k.three.two, k.three.three},
        convolutionMatrixUniform, filterProgram);
}

}  // namespace zt
