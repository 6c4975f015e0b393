#include "glimage/GLImageLuminosity.h"

#include <GLES2/gl2.h>

#include "glimage/GLImageContext.h"
#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kInitialLuminosityFragmentShaderString = R"(
precision highp float;

uniform sampler2D inputImageTexture;

varying highp vec2 upperLeftInputTextureCoordinate;
varying highp vec2 upperRightInputTextureCoordinate;
varying highp vec2 lowerLeftInputTextureCoordinate;
varying highp vec2 lowerRightInputTextureCoordinate;

const highp vec3 W = vec3(0.2125, 0.7154, 0.0721);

void main()
{
    highp float upperLeftLuminance = dot(texture2D(inputImageTexture, upperLeftInputTextureCoordinate).rgb, W);
    highp float upperRightLuminance = dot(texture2D(inputImageTexture, upperRightInputTextureCoordinate).rgb, W);
    highp float lowerLeftLuminance = dot(texture2D(inputImageTexture, lowerLeftInputTextureCoordinate).rgb, W);
    highp float lowerRightLuminance = dot(texture2D(inputImageTexture, lowerRightInputTextureCoordinate).rgb, W);
    highp float luminosity = 0.25 * (upperLeftLuminance + upperRightLuminance + lowerLeftLuminance + lowerRightLuminance);
    gl_FragColor = vec4(luminosity, luminosity, luminosity, 1.0);
}
)";

const char* const kLuminosityFragmentShaderString = R"(
precision highp float;

uniform sampler2D inputImageTexture;

varying highp vec2 upperLeftInputTextureCoordinate;
varying highp vec2 upperRightInputTextureCoordinate;
varying highp vec2 lowerLeftInputTextureCoordinate;
varying highp vec2 lowerRightInputTextureCoordinate;

void main()
{
    highp float upperLeftLuminance = texture2D(inputImageTexture, upperLeftInputTextureCoordinate).r;
    highp float upperRightLuminance = texture2D(inputImageTexture, upperRightInputTextureCoordinate).r;
    highp float lowerLeftLuminance = texture2D(inputImageTexture, lowerLeftInputTextureCoordinate).r;
    highp float lowerRightLuminance = texture2D(inputImageTexture, lowerRightInputTextureCoordinate).r;
    highp float luminosity = 0.25 * (upperLeftLuminance + upperRightLuminance + lowerLeftLuminance + lowerRightLuminance);
    gl_FragColor = vec4(luminosity, luminosity, luminosity, 1.0);
}
)";

}  // namespace

GLImageLuminosity::GLImageLuminosity()
    : GLImageAverageColor(kInitialLuminosityFragmentShaderString)
{
    setFrameProcessingCompletionBlock([](GLImageOutput& output, const plat::MediaTime& frameTime) {
        static_cast<GLImageLuminosity&>(output).extractLuminosityAtFrameTime(frameTime);
    });
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::useImageProcessingContext();
        // initializeSecondaryAttributes: the base's two attributes, bound before linking.
        secondFilterProgram = linkedProgram(
            kGLImageColorAveragingVertexShaderString, kLuminosityFragmentShaderString, kGLImageFilterAttributes);
        secondFilterPositionAttribute = int32_t(secondFilterProgram->attributeIndex("position"));
        secondFilterTextureCoordinateAttribute = int32_t(secondFilterProgram->attributeIndex("inputTextureCoordinate"));
        secondFilterInputTextureUniform = secondFilterProgram->uniformIndex("inputImageTexture");
        secondFilterInputTextureUniform2 = secondFilterProgram->uniformIndex("inputImageTexture2");
        secondFilterTexelWidthUniform = secondFilterProgram->uniformIndex("texelWidth");
        secondFilterTexelHeightUniform = secondFilterProgram->uniformIndex("texelHeight");
        GLImageContext::setActiveShaderProgram(secondFilterProgram);
        glEnableVertexAttribArray(GLuint(secondFilterPositionAttribute));
        glEnableVertexAttribArray(GLuint(secondFilterTextureCoordinateAttribute));
    });
}

void GLImageLuminosity::renderToTextureWithVertices(
    const float* vertices, const float* textureCoordinates, uint32_t sourceTexture)
{
    if (_preventRendering || stageFramebuffers.empty())
        return;
    GLImageContext::setActiveShaderProgram(filterProgram);
    glVertexAttribPointer(GLuint(filterPositionAttribute), 2, GL_FLOAT, GL_FALSE, 0, vertices);
    glVertexAttribPointer(GLuint(filterTextureCoordinateAttribute), 2, GL_FLOAT, GL_FALSE, 0, textureCoordinates);
    drawStage(0, sourceTexture, texelWidthUniform, texelHeightUniform, filterInputTextureUniform);

    GLImageContext::setActiveShaderProgram(secondFilterProgram);
    glVertexAttribPointer(GLuint(secondFilterPositionAttribute), 2, GL_FLOAT, GL_FALSE, 0, vertices);
    glVertexAttribPointer(GLuint(secondFilterTextureCoordinateAttribute), 2, GL_FLOAT, GL_FALSE, 0, textureCoordinates);
    for (size_t stage = 1; stage < stageFramebuffers.size(); ++stage) {
        drawStage(stage, stageTextures[stage - 1].name(), secondFilterTexelWidthUniform, secondFilterTexelHeightUniform,
            secondFilterInputTextureUniform);
    }
}

void GLImageLuminosity::extractLuminosityAtFrameTime(const plat::MediaTime& frameTime)
{
    requireRGBAByteOutput("The output texture format for this filter must be GL_RGBA.");

    const size_t pixelCount = readLastStage();
    if (pixelCount == 0)
        return;
    uint64_t sum = 0;
    for (size_t i = 0; i < pixelCount; ++i)
        sum += rawImagePixels[i * 4];
    if (_luminosityProcessingFinishedBlock)
        _luminosityProcessingFinishedBlock(double(sum) / double(pixelCount) / 255.0, frameTime);
}

}  // namespace zt
