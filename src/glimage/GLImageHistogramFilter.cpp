#include "glimage/GLImageHistogramFilter.h"

#include <GLES2/gl2.h>
#include <limits>

#include "glimage/GLImageContext.h"
#include "glimage/GLProgram.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/Log.h"

namespace zt {

namespace {

// Each point lands in the middle of its bin, not on the edge between two
// columns: value v at pixel column floor(v) of the 256-wide target, so a
// fractional luminance counts in the bin of its whole part.
std::string histogramVertexShader(const char* value, const char* colorFactor)
{
    return std::string(R"(
attribute vec4 position;

varying vec3 colorFactor;

void main()
{
    float value = )")
        + value + R"(;
    colorFactor = )"
        + colorFactor + R"(;
    gl_Position = vec4(-1.0 + (floor(value) + 0.5) * 0.0078125, 0.0, 0.0, 1.0);
    gl_PointSize = 1.0;
}
)";
}

const char* const kRedValue = "position.x";
const char* const kGreenValue = "position.y";
const char* const kBlueValue = "position.z";
const char* const kLuminanceValue = "dot(position.xyz, vec3(0.2125, 0.7154, 0.0721))";
const char* const kRedFactor = "vec3(1.0, 0.0, 0.0)";
const char* const kGreenFactor = "vec3(0.0, 1.0, 0.0)";
const char* const kBlueFactor = "vec3(0.0, 0.0, 1.0)";
const char* const kLuminanceFactor = "vec3(1.0, 1.0, 1.0)";

const char* const kHistogramAccumulationFragmentShaderString = R"(
const lowp float scalingFactor = 1.0 / 256.0;

varying lowp vec3 colorFactor;

void main()
{
    gl_FragColor = vec4(colorFactor * scalingFactor, 1.0);
}
)";

constexpr plat::Size kHistogramTargetSize = {256, 3};

std::string vertexShaderForType(GLImageHistogramType type)
{
    switch (type) {
    case GLImageHistogramType::Red:
    case GLImageHistogramType::RGB:
        return histogramVertexShader(kRedValue, kRedFactor);
    case GLImageHistogramType::Green:
        return histogramVertexShader(kGreenValue, kGreenFactor);
    case GLImageHistogramType::Blue:
        return histogramVertexShader(kBlueValue, kBlueFactor);
    case GLImageHistogramType::Luminance:
        return histogramVertexShader(kLuminanceValue, kLuminanceFactor);
    }
    plat::detail::fatal("GLImageHistogramFilter: histogram type {} is not 0..4", int(type));
}

}  // namespace

GLImageHistogramFilter::GLImageHistogramFilter(GLImageHistogramType newHistogramType)
    : GLImageFilter(vertexShaderForType(newHistogramType), kHistogramAccumulationFragmentShaderString)
    , _histogramType(newHistogramType)
{
    if (newHistogramType != GLImageHistogramType::RGB)
        return;
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::useImageProcessingContext();
        auto& context = GLImageContext::sharedImageProcessingContext();
        secondFilterProgram = context.programForVertexShaderString(
            histogramVertexShader(kGreenValue, kGreenFactor), kHistogramAccumulationFragmentShaderString);
        thirdFilterProgram = context.programForVertexShaderString(
            histogramVertexShader(kBlueValue, kBlueFactor), kHistogramAccumulationFragmentShaderString);
        if (!secondFilterProgram->initialized()) {
            initializeSecondaryAttributes();
            for (const auto& program : {secondFilterProgram, thirdFilterProgram}) {
                if (program->initialized() || program->link())
                    continue;
                plat::log("Program link log: {}", program->programLog().value_or("(null)"));
                plat::log("Fragment shader compile log: {}", program->fragmentShaderLog().value_or("(null)"));
                plat::log("Vertex shader compile log: {}", program->vertexShaderLog().value_or("(null)"));
                plat::detail::fatal("Filter shader link failed");
            }
        }
        secondFilterPositionAttribute = int32_t(secondFilterProgram->attributeIndex("position"));
        thirdFilterPositionAttribute = int32_t(thirdFilterProgram->attributeIndex("position"));
        GLImageContext::setActiveShaderProgram(secondFilterProgram);
        glEnableVertexAttribArray(GLuint(secondFilterPositionAttribute));
        GLImageContext::setActiveShaderProgram(thirdFilterProgram);
        glEnableVertexAttribArray(GLuint(thirdFilterPositionAttribute));
    });
}

void GLImageHistogramFilter::initializeSecondaryAttributes()
{
    // Each program of the cache is linked once: the blue one may be as well.
    if (!secondFilterProgram->initialized())
        secondFilterProgram->addAttribute("position");
    if (!thirdFilterProgram->initialized())
        thirdFilterProgram->addAttribute("position");
}

void GLImageHistogramFilter::setDownsamplingFactor(uint64_t newValue)
{
    // Every pixel at most: a factor of 0 would step nowhere and divide by zero.
    _downsamplingFactor = newValue == 0 ? 1 : newValue;
}

plat::Size GLImageHistogramFilter::sizeOfFBO()
{
    return kHistogramTargetSize;
}

plat::Size GLImageHistogramFilter::outputFrameSize()
{
    return kHistogramTargetSize;
}

void GLImageHistogramFilter::setInputSize(plat::Size newSize, int64_t)
{
    // The target's size is fixed: a new input size only changes what is read.
    if (_preventRendering)
        return;
    inputTextureSize = newSize;
}

void GLImageHistogramFilter::setInputRotation(GLImageRotationMode, int64_t)
{
    inputRotation = GLImageRotationMode::NoRotation;
}

void GLImageHistogramFilter::generatePointCoordinates()
{
    sampledSize = inputTextureSize;
    vertexSamplingCoordinates.assign(size_t(sampledSize.width) * size_t(sampledSize.height) * 4, 0);
}

void GLImageHistogramFilter::newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t)
{
    outputTextureRetainCount = _targets.size();
    if (inputTextureSize.width >= 1 && inputTextureSize.height >= 1) {
        if (vertexSamplingCoordinates.empty() || sampledSize != inputTextureSize)
            generatePointCoordinates();
        renderToTextureWithVertices(nullptr, nullptr, filterSourceTexture);
    }
    informTargetsAboutNewFrameAtTime(frameTime);
}

void GLImageHistogramFilter::readInputPixels(uint32_t sourceTexture)
{
    if (!inputReadFramebuffer)
        inputReadFramebuffer = GLFramebuffer::generate();
    glBindFramebuffer(GL_FRAMEBUFFER, inputReadFramebuffer.name());
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, sourceTexture, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, GLsizei(sampledSize.width), GLsizei(sampledSize.height), GL_RGBA, GL_UNSIGNED_BYTE,
        vertexSamplingCoordinates.data());
    // Let go of the source's texture: it may be deleted before our next frame.
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
}

void GLImageHistogramFilter::drawPoints(const std::shared_ptr<GLProgram>& program, int32_t positionAttribute)
{
    const uint64_t factor = _downsamplingFactor;
    const uint64_t pixels = uint64_t(sampledSize.width) * uint64_t(sampledSize.height);
    const uint64_t points = pixels / factor;
    if (points == 0)
        return;
    // With one point the stride is never used; it must still fit GL's int.
    const uint64_t stride = points > 1 ? factor * 4 : 0;
    if (stride > uint64_t(std::numeric_limits<GLsizei>::max()))
        return;
    GLImageContext::setActiveShaderProgram(program);
    glVertexAttribPointer(
        GLuint(positionAttribute), 4, GL_UNSIGNED_BYTE, GL_FALSE, GLsizei(stride), vertexSamplingCoordinates.data());
    glDrawArrays(GL_POINTS, 0, GLsizei(points));
}

void GLImageHistogramFilter::renderToTextureWithVertices(const float*, const float*, uint32_t sourceTexture)
{
    requireRGBAByteOutput(outputTextureOptions(), "The output texture format for this filter must be GL_RGBA.");
    if (_preventRendering)
        return;
    GLImageContext::useImageProcessingContext();
    // Read from the input texture itself: a source need not leave its own
    // framebuffer bound (a still picture has none).
    readInputPixels(sourceTexture);

    setFilterFBO();
    GLImageContext::setActiveShaderProgram(filterProgram);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glBlendEquation(GL_FUNC_ADD);
    glBlendFunc(GL_ONE, GL_ONE);
    glEnable(GL_BLEND);

    drawPoints(filterProgram, filterPositionAttribute);
    if (_histogramType == GLImageHistogramType::RGB) {
        drawPoints(secondFilterProgram, secondFilterPositionAttribute);
        drawPoints(thirdFilterProgram, thirdFilterPositionAttribute);
    }
    glDisable(GL_BLEND);
}

}  // namespace zt
