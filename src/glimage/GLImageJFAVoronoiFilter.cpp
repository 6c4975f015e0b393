#include "glimage/GLImageJFAVoronoiFilter.h"

#include <GLES2/gl2.h>
#include <cmath>

#include "glimage/GLImageContext.h"
#include "glimage/GLImageVoronoiShaders.h"
#include "glimage/GLProgram.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/Log.h"

namespace zt {

namespace {

const char* const kJFAVoronoiVertexShaderString = R"(
attribute vec4 position;
attribute vec4 inputTextureCoordinate;

uniform float sampleStep;

varying vec2 textureCoordinate;
varying vec2 leftTextureCoordinate;
varying vec2 rightTextureCoordinate;

varying vec2 topTextureCoordinate;
varying vec2 topLeftTextureCoordinate;
varying vec2 topRightTextureCoordinate;

varying vec2 bottomTextureCoordinate;
varying vec2 bottomLeftTextureCoordinate;
varying vec2 bottomRightTextureCoordinate;

void main()
{
    gl_Position = position;

    vec2 widthStep = vec2(sampleStep, 0.0);
    vec2 heightStep = vec2(0.0, sampleStep);
    vec2 widthHeightStep = vec2(sampleStep);
    vec2 widthNegativeHeightStep = vec2(sampleStep, -sampleStep);

    textureCoordinate = inputTextureCoordinate.xy;
    leftTextureCoordinate = inputTextureCoordinate.xy - widthStep;
    rightTextureCoordinate = inputTextureCoordinate.xy + widthStep;

    topTextureCoordinate = inputTextureCoordinate.xy - heightStep;
    topLeftTextureCoordinate = inputTextureCoordinate.xy - widthHeightStep;
    topRightTextureCoordinate = inputTextureCoordinate.xy + widthNegativeHeightStep;

    bottomTextureCoordinate = inputTextureCoordinate.xy + heightStep;
    bottomLeftTextureCoordinate = inputTextureCoordinate.xy - widthNegativeHeightStep;
    bottomRightTextureCoordinate = inputTextureCoordinate.xy + widthHeightStep;
}
)";

std::string jfaFragmentShader()
{
    return std::string(R"(
precision highp float;

varying vec2 textureCoordinate;
varying vec2 leftTextureCoordinate;
varying vec2 rightTextureCoordinate;

varying vec2 topTextureCoordinate;
varying vec2 topLeftTextureCoordinate;
varying vec2 topRightTextureCoordinate;

varying vec2 bottomTextureCoordinate;
varying vec2 bottomLeftTextureCoordinate;
varying vec2 bottomRightTextureCoordinate;

uniform sampler2D inputImageTexture;
uniform vec2 size;
)") + detail::kVoronoiColorDecodingFunction
        + R"(
vec4 best;
float smallestDistance;

void consider(vec2 coordinate)
{
    vec4 candidate = texture2D(inputImageTexture, coordinate);
    if (candidate.a == 1.0) {
        vec2 difference = getCoordFromColor(candidate) - textureCoordinate;
        float squaredDistance = dot(difference, difference);
        if (squaredDistance < smallestDistance) {
            smallestDistance = squaredDistance;
            best = candidate;
        }
    }
}

void main()
{
    best = texture2D(inputImageTexture, textureCoordinate);
    if (best.a == 0.0) {
        smallestDistance = 1.0;
    } else {
        vec2 difference = getCoordFromColor(best) - textureCoordinate;
        smallestDistance = dot(difference, difference);
    }

    consider(topRightTextureCoordinate);
    consider(topTextureCoordinate);
    consider(topLeftTextureCoordinate);
    consider(bottomRightTextureCoordinate);
    consider(bottomTextureCoordinate);
    consider(bottomLeftTextureCoordinate);
    consider(leftTextureCoordinate);
    consider(rightTextureCoordinate);

    gl_FragColor = best;
}
)";
}

GPUTextureOptions nearestTextureOptions()
{
    GPUTextureOptions options = defaultTextureOptions();
    options.minFilter = GL_NEAREST;
    options.magFilter = GL_NEAREST;
    return options;
}

}  // namespace

GLImageJFAVoronoiFilter::GLImageJFAVoronoiFilter()
    : GLImageFilter(kJFAVoronoiVertexShaderString, jfaFragmentShader())
{
    setOutputTextureOptions(nearestTextureOptions());
    sampleStepUniform = filterProgram->uniformIndex("sampleStep");
    sizeUniform = filterProgram->uniformIndex("size");
}

GLImageJFAVoronoiFilter::~GLImageJFAVoronoiFilter()
{
    runSynchronouslyOnContextQueue([this] {
        secondFilterFramebuffer.reset();
        secondFilterOutputTexture.reset();
    });
}

void GLImageJFAVoronoiFilter::setSizeInPixels(plat::Size newValue)
{
    runSynchronouslyOnContextQueue([&] {
        if (!detail::isUsableVoronoiSize(newValue, detail::VoronoiSizeMessage::WithColon))
            return;
        _sizeInPixels = newValue;
        setSize(newValue, sizeUniform, filterProgram);
    });
}

uint64_t GLImageJFAVoronoiFilter::nextPowerOfTwo(plat::Size size)
{
    const double larger = std::max(size.width, size.height);
    // Nothing below one pixel, nothing a 64-bit power cannot hold.
    if (!(larger >= 1.0))
        return 1;
    if (larger > 9.2e18)
        return uint64_t(1) << 63;
    uint64_t value = uint64_t(larger) - 1;
    for (int shift = 1; shift < 64; shift *= 2)
        value |= value >> shift;
    return value + 1;
}

void GLImageJFAVoronoiFilter::initializeOutputTextureIfNeeded()
{
    runSynchronouslyOnContextQueue([this] {
        GLImageOutput::initializeOutputTextureIfNeeded();
        if (secondFilterOutputTexture)
            return;
        GLImageContext::useImageProcessingContext();
        glActiveTexture(GL_TEXTURE2);
        secondFilterOutputTexture = GLTexture::generate();
        glBindTexture(GL_TEXTURE_2D, secondFilterOutputTexture.name());
        const auto& options = outputTextureOptions();
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GLint(options.minFilter));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GLint(options.magFilter));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GLint(options.wrapS));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GLint(options.wrapT));
        glBindTexture(GL_TEXTURE_2D, 0);
    });
}

void GLImageJFAVoronoiFilter::createFilterFBOofSize(plat::Size currentFBOSize)
{
    runSynchronouslyOnContextQueue([&] {
        numPasses = uint64_t(std::log2(double(nextPowerOfTwo(currentFBOSize))));
        // The filter's own framebuffer holds the result and is the one read
        // back; the second only feeds the next pass.
        GLImageFilter::createFilterFBOofSize(currentFBOSize);
        initializeOutputTextureIfNeeded();
        GLImageContext::useImageProcessingContext();
        glActiveTexture(GL_TEXTURE1);
        secondFilterFramebuffer = GLFramebuffer::generate();
        glBindFramebuffer(GL_FRAMEBUFFER, secondFilterFramebuffer.name());
        const auto& options = outputTextureOptions();
        glBindTexture(GL_TEXTURE_2D, secondFilterOutputTexture.name());
        glTexImage2D(GL_TEXTURE_2D, 0, GLint(options.internalFormat), GLsizei(currentFBOSize.width),
            GLsizei(currentFBOSize.height), 0, emptyStorageFormat(options), options.type, nullptr);
        glFramebufferTexture2D(
            GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, secondFilterOutputTexture.name(), 0);
        const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
        if (status != GL_FRAMEBUFFER_COMPLETE)
            plat::detail::fatal("Incomplete filter FBO: {}", status);
        glBindTexture(GL_TEXTURE_2D, 0);
    });
}

void GLImageJFAVoronoiFilter::destroyFilterFBO()
{
    GLImageFilter::destroyFilterFBO();
    runSynchronouslyOnContextQueue([this] { secondFilterFramebuffer.reset(); });
}

void GLImageJFAVoronoiFilter::deleteOutputTexture()
{
    GLImageFilter::deleteOutputTexture();
    runSynchronouslyOnContextQueue([this] { secondFilterOutputTexture.reset(); });
}

void GLImageJFAVoronoiFilter::setSecondFilterFBO()
{
    if (!secondFilterFramebuffer)
        setFilterFBO();
    const plat::Size size = sizeOfFBO();
    glBindFramebuffer(GL_FRAMEBUFFER, secondFilterFramebuffer.name());
    glViewport(0, 0, GLsizei(size.width), GLsizei(size.height));
}

void GLImageJFAVoronoiFilter::setOutputFBO()
{
    setFilterFBO();
}

void GLImageJFAVoronoiFilter::drawPass(
    uint32_t sourceTexture, float sampleStep, const float* vertices, const float* textureCoordinates)
{
    // Pass p goes to our own framebuffer when an even number of passes
    // follow it, so that the last pass always does.
    const bool intoOwnFramebuffer = (numPasses + 1 - uint64_t(currentPass)) % 2 == 0;
    if (intoOwnFramebuffer)
        setFilterFBO();
    else
        setSecondFilterFBO();
    GLImageContext::setActiveShaderProgram(filterProgram);
    setUniformsForProgramAtIndex(0);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, sourceTexture);
    glUniform1i(filterInputTextureUniform, 2);
    glUniform1f(sampleStepUniform, sampleStep);
    // Until a seed size is set, the seeds are taken to span the frame.
    const plat::Size size = _sizeInPixels.width > 0 ? _sizeInPixels : sizeOfFBO();
    glUniform2f(sizeUniform, float(size.width), float(size.height));
    glVertexAttribPointer(GLuint(filterPositionAttribute), 2, GL_FLOAT, GL_FALSE, 0, vertices);
    glVertexAttribPointer(GLuint(filterTextureCoordinateAttribute), 2, GL_FLOAT, GL_FALSE, 0, textureCoordinates);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void GLImageJFAVoronoiFilter::renderToTextureWithVertices(
    const float* vertices, const float* textureCoordinates, uint32_t sourceTexture)
{
    if (_preventRendering)
        return;
    GLImageContext::setActiveShaderProgram(filterProgram);
    setFilterFBO();  // makes both framebuffers and counts the passes
    currentPass = 0;
    drawPass(sourceTexture, 0.0f, vertices, textureCoordinates);

    const float* unrotated = filterTextureCoordinatesForRotation(GLImageRotationMode::NoRotation);
    const float whole = std::ldexp(1.0f, int(numPasses));
    for (uint64_t pass = 1; pass <= numPasses + 1; ++pass) {
        const bool previousIntoOwn = (numPasses + 1 - uint64_t(currentPass)) % 2 == 0;
        const uint32_t previous
            = previousIntoOwn ? GLImageFilter::textureForOutput() : secondFilterOutputTexture.name();
        currentPass = int(pass);
        // 1/2, 1/4, ... of the texture, and half a texel at the last.
        const float sampleStep = std::ldexp(1.0f, int(numPasses) - int(pass)) / whole;
        drawPass(previous, sampleStep, vertices, unrotated);
    }
}

uint64_t GLImageJFAVoronoiFilter::numPassesForTesting() const
{
    uint64_t passes = 0;
    runSynchronouslyOnContextQueue([&] { passes = numPasses; });
    return passes;
}

}  // namespace zt
