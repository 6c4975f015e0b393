#include "glimage/GLImageAverageColor.h"

#include <GLES2/gl2.h>
#include <cmath>

#include "glimage/GLImageContext.h"
#include "glimage/GLProgram.h"
#include "platform/foundation/Fatal.h"

namespace zt {

const char* const kGLImageColorAveragingVertexShaderString = R"(
attribute vec4 position;
attribute vec4 inputTextureCoordinate;

uniform float texelWidth;
uniform float texelHeight;

varying vec2 upperLeftInputTextureCoordinate;
varying vec2 upperRightInputTextureCoordinate;
varying vec2 lowerLeftInputTextureCoordinate;
varying vec2 lowerRightInputTextureCoordinate;

void main()
{
    gl_Position = position;
    upperLeftInputTextureCoordinate = inputTextureCoordinate.xy + vec2(-texelWidth, -texelHeight);
    upperRightInputTextureCoordinate = inputTextureCoordinate.xy + vec2(texelWidth, -texelHeight);
    lowerLeftInputTextureCoordinate = inputTextureCoordinate.xy + vec2(-texelWidth, texelHeight);
    lowerRightInputTextureCoordinate = inputTextureCoordinate.xy + vec2(texelWidth, texelHeight);
}
)";

namespace {

const char* const kColorAveragingFragmentShaderString = R"(
precision highp float;

uniform sampler2D inputImageTexture;

varying highp vec2 upperLeftInputTextureCoordinate;
varying highp vec2 upperRightInputTextureCoordinate;
varying highp vec2 lowerLeftInputTextureCoordinate;
varying highp vec2 lowerRightInputTextureCoordinate;

void main()
{
    highp vec4 upperLeftColor = texture2D(inputImageTexture, upperLeftInputTextureCoordinate);
    highp vec4 upperRightColor = texture2D(inputImageTexture, upperRightInputTextureCoordinate);
    highp vec4 lowerLeftColor = texture2D(inputImageTexture, lowerLeftInputTextureCoordinate);
    highp vec4 lowerRightColor = texture2D(inputImageTexture, lowerRightInputTextureCoordinate);
    gl_FragColor = 0.25 * (upperLeftColor + upperRightColor + lowerLeftColor + lowerRightColor);
}
)";

// ln 4, so that the stage count is exact for powers of four.
constexpr double kLogOfFour = 1.3862943611198906;
constexpr int kReductionFactor = 4;
constexpr double kSmallestStageSide = 2;

}  // namespace

GLImageAverageColor::GLImageAverageColor()
    : GLImageAverageColor(kColorAveragingFragmentShaderString)
{
    setFrameProcessingCompletionBlock([](GLImageOutput& output, const plat::MediaTime& frameTime) {
        static_cast<GLImageAverageColor&>(output).extractAverageColorAtFrameTime(frameTime);
    });
}

GLImageAverageColor::GLImageAverageColor(const std::string& fragmentShaderString)
    : GLImageFilter(kGLImageColorAveragingVertexShaderString, fragmentShaderString)
{
    texelWidthUniform = filterProgram->uniformIndex("texelWidth");
    texelHeightUniform = filterProgram->uniformIndex("texelHeight");
}

void GLImageAverageColor::initializeOutputTextureIfNeeded()
{
    if (inputTextureSize.width < 1)
        return;
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::useImageProcessingContext();
        const double width = inputTextureSize.width;
        const double height = inputTextureSize.height;
        const int stageCount
            = int(std::min(std::floor(std::log(width) / kLogOfFour), std::floor(std::log(height) / kLogOfFour)));
        const auto& options = outputTextureOptions();
        double divisor = 1;
        for (int stage = 0; stage < stageCount; ++stage) {
            divisor *= kReductionFactor;
            const plat::Size stageSize = {std::floor(width / divisor), std::floor(height / divisor)};
            if (stageSize.width < kSmallestStageSide || stageSize.height < kSmallestStageSide)
                break;
            stageSizes.push_back(stageSize);
            GLTexture texture = GLTexture::generate();
            glBindTexture(GL_TEXTURE_2D, texture.name());
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GLint(options.minFilter));
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GLint(options.magFilter));
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GLint(options.wrapS));
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GLint(options.wrapT));
            stageTextures.push_back(std::move(texture));
        }
    });
}

void GLImageAverageColor::deleteOutputTexture()
{
    runSynchronouslyOnContextQueue([this] {
        stageTextures.clear();
        stageSizes.clear();
    });
}

void GLImageAverageColor::createFilterFBOofSize(plat::Size)
{
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::useImageProcessingContext();
        glActiveTexture(GL_TEXTURE1);
        const auto& options = outputTextureOptions();
        for (size_t stage = 0; stage < stageTextures.size(); ++stage) {
            stageFramebuffers.push_back(GLFramebuffer::generate());
            glBindFramebuffer(GL_FRAMEBUFFER, stageFramebuffers.back().name());
            glBindTexture(GL_TEXTURE_2D, stageTextures[stage].name());
            glTexImage2D(GL_TEXTURE_2D, 0, GLint(options.internalFormat), GLsizei(stageSizes[stage].width),
                GLsizei(stageSizes[stage].height), 0, emptyStorageFormat(options), options.type, nullptr);
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, stageTextures[stage].name(), 0);
            const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
            if (status != GL_FRAMEBUFFER_COMPLETE)
                plat::detail::fatal("Incomplete filter FBO: {}", status);
        }
    });
}

void GLImageAverageColor::destroyFilterFBO()
{
    runSynchronouslyOnContextQueue([this] { stageFramebuffers.clear(); });
}

void GLImageAverageColor::recreateFilterFBO()
{
    cachedMaximumOutputSize = {};
    destroyFilterFBO();
    deleteOutputTexture();
    initializeOutputTextureIfNeeded();
    // Finds no framebuffer of the filter's own, so it builds the stages'.
    setFilterFBO();
}

void GLImageAverageColor::drawStage(
    size_t stage, uint32_t texture, int32_t texelWidthLocation, int32_t texelHeightLocation, int32_t samplerLocation)
{
    const plat::Size size = stageSizes[stage];
    glBindFramebuffer(GL_FRAMEBUFFER, stageFramebuffers[stage].name());
    glViewport(0, 0, GLsizei(size.width), GLsizei(size.height));
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, texture);
    glUniform1i(samplerLocation, 2);
    // A stage pixel stands for four by four pixels of the stage before. The
    // four samples sit a quarter of a stage pixel from its centre, each on
    // the corner shared by a two by two block, so linear filtering averages
    // all sixteen.
    glUniform1f(texelWidthLocation, float(0.25 / size.width));
    glUniform1f(texelHeightLocation, float(0.25 / size.height));
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void GLImageAverageColor::renderToTextureWithVertices(
    const float* vertices, const float* textureCoordinates, uint32_t sourceTexture)
{
    if (_preventRendering)
        return;
    GLImageContext::setActiveShaderProgram(filterProgram);
    glVertexAttribPointer(GLuint(filterPositionAttribute), 2, GL_FLOAT, GL_FALSE, 0, vertices);
    glVertexAttribPointer(GLuint(filterTextureCoordinateAttribute), 2, GL_FLOAT, GL_FALSE, 0, textureCoordinates);
    uint32_t currentTexture = sourceTexture;
    for (size_t stage = 0; stage < stageFramebuffers.size(); ++stage) {
        drawStage(stage, currentTexture, texelWidthUniform, texelHeightUniform, filterInputTextureUniform);
        currentTexture = stageTextures[stage].name();
    }
}

void GLImageAverageColor::setInputRotation(GLImageRotationMode, int64_t)
{
    // An average does not depend on the turn of the frame.
    inputRotation = GLImageRotationMode::NoRotation;
}

void GLImageAverageColor::prepareForImageCapture()
{
    preparedToCaptureImage = true;
}

size_t GLImageAverageColor::readLastStage()
{
    if (stageSizes.empty() || stageFramebuffers.empty())
        return 0;
    const plat::Size last = stageSizes.back();
    const size_t pixelCount = size_t(std::lround(last.width * last.height));
    if (rawImagePixels.size() < pixelCount * 4)
        rawImagePixels.resize(pixelCount * 4);
    glBindFramebuffer(GL_FRAMEBUFFER, stageFramebuffers.back().name());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, GLsizei(last.width), GLsizei(last.height), GL_RGBA, GL_UNSIGNED_BYTE, rawImagePixels.data());
    return pixelCount;
}

void GLImageAverageColor::requireRGBAByteOutput(const char* wrongFormatMessage) const
{
    zt::requireRGBAByteOutput(outputTextureOptions(), wrongFormatMessage);
}

void GLImageAverageColor::extractAverageColorAtFrameTime(const plat::MediaTime& frameTime)
{
    requireRGBAByteOutput("The output texture internal format for this filter must be GL_RGBA.");

    // No stage, nothing to average: the frame gives no result.
    const size_t pixelCount = readLastStage();
    if (pixelCount == 0)
        return;
    uint64_t sums[4] = {};
    for (size_t i = 0; i < pixelCount; ++i)
        for (size_t c = 0; c < 4; ++c)
            sums[c] += rawImagePixels[i * 4 + c];
    if (!_colorAverageProcessingFinishedBlock)
        return;
    const double count = double(pixelCount);
    _colorAverageProcessingFinishedBlock(double(sums[0]) / count / 255.0, double(sums[1]) / count / 255.0,
        double(sums[2]) / count / 255.0, double(sums[3]) / count / 255.0, frameTime);
}

std::vector<plat::Size> GLImageAverageColor::stageSizesForTesting() const
{
    std::vector<plat::Size> sizes;
    runSynchronouslyOnContextQueue([&] { sizes = stageSizes; });
    return sizes;
}

}  // namespace zt
