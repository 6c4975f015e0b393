#include "glimage/GLImageParallelCoordinateLineTransformFilter.h"

#include <GLES2/gl2.h>
#include <algorithm>

#include "glimage/GLImageContext.h"
#include "glimage/GLImageLitPixels.h"
#include "glimage/GLProgram.h"
#include "platform/foundation/Log.h"

namespace zt {

namespace {

const char* const kParallelCoordinateVertexShaderString = R"(
attribute vec4 position;

void main()
{
    gl_Position = position;
}
)";

// Each segment adds about one 8-bit step to every channel.
const char* const kBlendingFragmentShaderString = R"(
precision mediump float;

const float scalingFactor = 0.004;

void main()
{
    gl_FragColor = vec4(scalingFactor, scalingFactor, scalingFactor, 1.0);
}
)";

// Each segment adds a tenth to red; a channel that passes 1 carries a tenth
// into the next, so the suppression filter reads blue * 256 + green + red / 256.
const char* const kFramebufferReadFragmentShaderString = "#extension GL_EXT_shader_framebuffer_fetch : require\n"
                                                         " "
                                                         R"(
precision mediump float;

const lowp float scalingFactor = 0.1;

void main()
{
    mediump vec4 fragmentData = gl_LastFragData[0];

    fragmentData.r = fragmentData.r + scalingFactor;
    fragmentData.g = scalingFactor * floor(fragmentData.r) + fragmentData.g;
    fragmentData.b = scalingFactor * floor(fragmentData.g) + fragmentData.b;
    fragmentData.a = scalingFactor * floor(fragmentData.b) + fragmentData.a;

    fragmentData = fract(fragmentData);

    gl_FragColor = vec4(fragmentData.rgb, 1.0);
}
)";

const char* fragmentShaderFor(GLImageLineAccumulation accumulation)
{
    return accumulation == GLImageLineAccumulation::FramebufferReads ? kFramebufferReadFragmentShaderString
                                                                     : kBlendingFragmentShaderString;
}

constexpr size_t kFloatsPerLinePair = 8;

}  // namespace

GLImageLineAccumulation GLImageParallelCoordinateLineTransformFilter::accumulationForThisDevice()
{
    return GLImageContext::deviceSupportsFramebufferReads() ? GLImageLineAccumulation::FramebufferReads
                                                            : GLImageLineAccumulation::AdditiveBlending;
}

GLImageParallelCoordinateLineTransformFilter::GLImageParallelCoordinateLineTransformFilter()
    : GLImageParallelCoordinateLineTransformFilter(accumulationForThisDevice())
{
}

GLImageParallelCoordinateLineTransformFilter::GLImageParallelCoordinateLineTransformFilter(
    GLImageLineAccumulation accumulation)
    : GLImageFilter(kParallelCoordinateVertexShaderString, fragmentShaderFor(accumulation))
    , _accumulation(accumulation)
{
}

GLImageParallelCoordinateLineTransformFilter::~GLImageParallelCoordinateLineTransformFilter()
{
    runSynchronouslyOnContextQueue([this] { inputReadFramebuffer.reset(); });
}

void GLImageParallelCoordinateLineTransformFilter::generateLineCoordinates()
{
    const plat::Size size = inputTextureSize;
    lineCoordinatesSize = size;
    const double pixels = std::max(0.0, size.width) * std::max(0.0, size.height);
    maxLinePairsToRender = uint32_t(pixels / 4.0);
    rawImagePixels.assign(size_t(pixels) * 4, 0);
    lineCoordinates.assign(size_t(maxLinePairsToRender) * kFloatsPerLinePair, 0.0f);
}

void GLImageParallelCoordinateLineTransformFilter::newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t)
{
    const plat::Size size = sizeOfFBO();
    if (size.width < 1 || size.height < 1)
        return;
    outputTextureRetainCount = _targets.size();
    // The buffers follow the input: a larger frame would overrun them.
    if (lineCoordinatesSize != inputTextureSize)
        generateLineCoordinates();
    renderToTextureWithVertices(nullptr, nullptr, filterSourceTexture);
    informTargetsAboutNewFrameAtTime(frameTime);
}

bool GLImageParallelCoordinateLineTransformFilter::readInputPixels(size_t width, size_t height)
{
    // The input texture is read through a framebuffer of our own, so that
    // it does not matter which framebuffer the source left bound.
    if (!inputReadFramebuffer)
        inputReadFramebuffer = GLFramebuffer::generate();
    glBindFramebuffer(GL_FRAMEBUFFER, inputReadFramebuffer.name());
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, filterSourceTexture, 0);
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        plat::log("GLImageParallelCoordinateLineTransformFilter: cannot read the input texture ({})", status);
        return false;
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, GLsizei(width), GLsizei(height), GL_RGBA, GL_UNSIGNED_BYTE, rawImagePixels.data());
    return true;
}

void GLImageParallelCoordinateLineTransformFilter::renderToTextureWithVertices(const float*, const float*, uint32_t)
{
    requireRGBAByteOutput(outputTextureOptions(), "The output texture format for this filter must be GL_RGBA.");
    if (_preventRendering)
        return;

    const auto width = size_t(inputTextureSize.width);
    const auto height = size_t(inputTextureSize.height);
    linePairsToRender = 0;
    if (rawImagePixels.size() >= width * height * 4 && readInputPixels(width, height)) {
        // Every second pixel in memory order, for half the segments.
        detail::forEachLitPixel(rawImagePixels, width, height, 2, [&](size_t column, size_t row) {
            // Pairs beyond the buffer are not drawn.
            if (linePairsToRender >= maxLinePairsToRender)
                return;
            const float x = 2.0f * float(column) / float(width) - 1.0f;
            const float y = 2.0f * float(row) / float(height) - 1.0f;
            float* pair = lineCoordinates.data() + size_t(linePairsToRender) * kFloatsPerLinePair;
            pair[0] = -1.0f;
            pair[1] = -y;
            pair[2] = 0.0f;
            pair[3] = x;
            pair[4] = 0.0f;
            pair[5] = x;
            pair[6] = 1.0f;
            pair[7] = y;
            ++linePairsToRender;
        });
    }

    GLImageContext::setActiveShaderProgram(filterProgram);
    setFilterFBO();
    setUniformsForProgramAtIndex(0);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    if (_accumulation == GLImageLineAccumulation::FramebufferReads) {
        glLineWidth(1.0f);
    } else {
        glBlendEquation(GL_FUNC_ADD);
        glBlendFunc(GL_ONE, GL_ONE);
        glEnable(GL_BLEND);
    }

    glDisableVertexAttribArray(GLuint(filterTextureCoordinateAttribute));
    glVertexAttribPointer(GLuint(filterPositionAttribute), 2, GL_FLOAT, GL_FALSE, 0, lineCoordinates.data());
    if (linePairsToRender > 0)
        glDrawArrays(GL_LINES, 0, GLsizei(linePairsToRender * 4));
    // The buffer moves when the input size changes: leave GL pointing at
    // memory that lives.
    glVertexAttribPointer(GLuint(filterPositionAttribute), 2, GL_FLOAT, GL_FALSE, 0, fullFrameVertices());
    glEnableVertexAttribArray(GLuint(filterTextureCoordinateAttribute));

    if (_accumulation == GLImageLineAccumulation::AdditiveBlending)
        glDisable(GL_BLEND);
}

}  // namespace zt
