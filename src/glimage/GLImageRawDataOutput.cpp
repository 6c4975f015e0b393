#include "glimage/GLImageRawDataOutput.h"

#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>
#include <algorithm>
#include <cmath>

#include "glimage/GLImageContext.h"
#include "glimage/GLImageFilter.h"
#include "glimage/GLProgram.h"
#include "platform/foundation/Fatal.h"
#include "platform/gl/GLTextureCache.h"
#include "platform/graphics/PixelBuffer.h"

namespace zt {

namespace {

// Samples the input with its red and blue swapped, so that a framebuffer
// read as RGBA yields BGRA bytes (and the other way round).
constexpr const char* kColorSwizzlingFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;

void main()
{
    gl_FragColor = texture2D(inputImageTexture, textureCoordinate).bgra;
}
)";

constexpr float kSquareVertices[8] = {-1.0f, -1.0f, 1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f};
constexpr float kTextureCoordinates[8] = {0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f};

}  // namespace

GLImageRawDataOutput::GLImageRawDataOutput(plat::Size newImageSize, ResultsInBGRAFormat resultsInBGRAFormat)
    : _imageSize(newImageSize)
    , outputBGRA(resultsInBGRAFormat == ResultsInBGRAFormat::Yes)
{
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::useImageProcessingContext();
        // The texture cache's buffer holds BGRA, a framebuffer read RGBA.
        const bool fastUpload = GLImageContext::supportsFastTextureUpload();
        const bool passThrough = outputBGRA == fastUpload;
        dataProgram = GLImageFilter::linkedProgram(kGLImageVertexShaderString,
            passThrough ? kGLImagePassthroughFragmentShaderString : kColorSwizzlingFragmentShaderString,
            kGLImageFilterAttributes);
        dataPositionAttribute = int32_t(dataProgram->attributeIndex("position"));
        dataTextureCoordinateAttribute = int32_t(dataProgram->attributeIndex("inputTextureCoordinate"));
        dataInputTextureUniform = dataProgram->uniformIndex("inputImageTexture");
    });
}

GLImageRawDataOutput::~GLImageRawDataOutput()
{
    runSynchronouslyOnContextQueue([this] { destroyDataFBO(); });
}

void GLImageRawDataOutput::createDataFBO()
{
    GLImageContext::useImageProcessingContext();
    const int width = int(_imageSize.width);
    const int height = int(_imageSize.height);
    glActiveTexture(GL_TEXTURE1);
    dataFramebuffer = GLFramebuffer::generate();
    glBindFramebuffer(GL_FRAMEBUFFER, dataFramebuffer.name());
    if (GLImageContext::supportsFastTextureUpload()) {
        auto cache = plat::GLTextureCache::create(GLImageContext::sharedImageProcessingContext().context());
        if (!cache.ok())
            plat::detail::fatal("Error at CVOpenGLESTextureCacheCreate {}", cache.error().code());
        rawDataTextureCache = cache.value();
        auto buffer = plat::PixelBuffer::create(width, height, plat::kPixelFormatType_32BGRA);
        if (!buffer.ok())
            plat::detail::fatal("Error at CVPixelBufferCreate {}", buffer.error().code());
        renderTarget = buffer.value();
        auto texture = rawDataTextureCache->createTextureFromImage(
            renderTarget, GL_TEXTURE_2D, GL_RGBA, width, height, GL_BGRA_EXT, GL_UNSIGNED_BYTE, 0);
        if (!texture.ok())
            plat::detail::fatal("Error at CVOpenGLESTextureCacheCreateTextureFromImage {}", texture.error().code());
        renderTexture = texture.value();
        glBindTexture(renderTexture->target(), renderTexture->name());
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, renderTexture->name(), 0);
        _bytesPerRow = renderTarget->bytesPerRow();
    } else {
        dataRenderbuffer = GLRenderbuffer::generate();
        glBindRenderbuffer(GL_RENDERBUFFER, dataRenderbuffer.name());
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8_OES, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, dataRenderbuffer.name());
        _bytesPerRow = size_t(width) * 4;
    }
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE)
        plat::detail::fatal("Incomplete filter FBO: {}", status);
}

void GLImageRawDataOutput::releaseLockedRenderTarget()
{
    if (renderTargetLocked) {
        renderTarget->unlockBaseAddress(plat::PixelBufferLock::ReadOnly);
        renderTargetLocked = false;
    }
}

void GLImageRawDataOutput::destroyDataFBO()
{
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::useImageProcessingContext();
        releaseLockedRenderTarget();
        renderTexture.reset();
        dataFramebuffer.reset();
        dataRenderbuffer.reset();
        if (rawDataTextureCache) {
            rawDataTextureCache->flush();
            rawDataTextureCache.reset();
        }
        renderTarget.reset();
        _rawBytesForImage = nullptr;
        hasReadFromTheCurrentFrame = false;
    });
}

void GLImageRawDataOutput::setFilterFBO()
{
    if (!dataFramebuffer)
        createDataFBO();
    glBindFramebuffer(GL_FRAMEBUFFER, dataFramebuffer.name());
    glViewport(0, 0, GLsizei(_imageSize.width), GLsizei(_imageSize.height));
}

void GLImageRawDataOutput::renderAtInternalSize()
{
    GLImageContext::setActiveShaderProgram(dataProgram);
    setFilterFBO();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glActiveTexture(GL_TEXTURE4);
    glBindTexture(GL_TEXTURE_2D, inputTextureForDisplay);
    glUniform1i(dataInputTextureUniform, 4);
    glVertexAttribPointer(GLuint(dataPositionAttribute), 2, GL_FLOAT, GL_FALSE, 0, kSquareVertices);
    glVertexAttribPointer(GLuint(dataTextureCoordinateAttribute), 2, GL_FLOAT, GL_FALSE, 0, kTextureCoordinates);
    glEnableVertexAttribArray(GLuint(dataPositionAttribute));
    glEnableVertexAttribArray(GLuint(dataTextureCoordinateAttribute));
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    ++_renderCount;
}

const uint8_t* GLImageRawDataOutput::rawBytesForImage()
{
    const uint8_t* bytes = nullptr;
    runSynchronouslyOnContextQueue([&] {
        const int width = int(_imageSize.width);
        const int height = int(_imageSize.height);
        if (width <= 0 || height <= 0)
            return;
        if (hasReadFromTheCurrentFrame && _rawBytesForImage) {
            bytes = _rawBytesForImage;
            return;
        }
        GLImageContext::useImageProcessingContext();
        const bool fastUpload = GLImageContext::supportsFastTextureUpload();
        if (fastUpload)
            releaseLockedRenderTarget();
        renderAtInternalSize();
        if (fastUpload) {
            glFinish();
            // Locking copies what GL drew into the buffer's memory.
            renderTarget->lockBaseAddress(plat::PixelBufferLock::ReadOnly);
            renderTargetLocked = true;
            _rawBytesForImage = renderTarget->baseAddress();
        } else {
            _rawBytes.resize(size_t(width) * size_t(height) * 4);
            glPixelStorei(GL_PACK_ALIGNMENT, 4);
            glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, _rawBytes.data());
            _rawBytesForImage = _rawBytes.data();
        }
        hasReadFromTheCurrentFrame = true;
        bytes = _rawBytesForImage;
    });
    return bytes;
}

GLImageByteColorVector GLImageRawDataOutput::colorAtLocation(plat::Point locationInImage)
{
    GLImageByteColorVector color;
    runSynchronouslyOnContextQueue([&] {
        const uint8_t* bytes = rawBytesForImage();
        const int width = int(_imageSize.width);
        const int height = int(_imageSize.height);
        if (!bytes || width <= 0 || height <= 0)
            return;
        // Row 0 of the bytes is the frame's top row, so y counts rows as it
        // stands; rows are as far apart as the buffer keeps them.
        const long x = std::clamp(std::lround(locationInImage.x), 0L, long(width - 1));
        const long y = std::clamp(std::lround(locationInImage.y), 0L, long(height - 1));
        const uint8_t* pixel = bytes + size_t(y) * _bytesPerRow + size_t(x) * 4;
        color.red = outputBGRA ? pixel[2] : pixel[0];
        color.green = pixel[1];
        color.blue = outputBGRA ? pixel[0] : pixel[2];
        color.alpha = pixel[3];
    });
    return color;
}

size_t GLImageRawDataOutput::bytesPerRowInOutput()
{
    size_t bytesPerRow = 0;
    runSynchronouslyOnContextQueue([&] {
        if (!dataFramebuffer && _imageSize.width >= 1 && _imageSize.height >= 1)
            createDataFBO();
        bytesPerRow = _bytesPerRow;
    });
    return bytesPerRow;
}

void GLImageRawDataOutput::setImageSize(plat::Size newImageSize)
{
    runSynchronouslyOnContextQueue([&] {
        _imageSize = newImageSize;
        destroyDataFBO();
        _rawBytes.clear();
        _rawBytes.shrink_to_fit();
    });
}

plat::Size GLImageRawDataOutput::imageSize() const
{
    plat::Size size;
    runSynchronouslyOnContextQueue([&] { size = _imageSize; });
    return size;
}

std::function<void()> GLImageRawDataOutput::newFrameAvailableBlock() const
{
    std::function<void()> block;
    runSynchronouslyOnContextQueue([&] { block = _newFrameAvailableBlock; });
    return block;
}

void GLImageRawDataOutput::setNewFrameAvailableBlock(std::function<void()> block)
{
    runSynchronouslyOnContextQueue([&] { _newFrameAvailableBlock = std::move(block); });
}

void GLImageRawDataOutput::newFrameReadyAtTime(const plat::MediaTime&, int64_t)
{
    hasReadFromTheCurrentFrame = false;
    // A copy: the block may replace itself.
    if (auto block = _newFrameAvailableBlock)
        block();
}

void GLImageRawDataOutput::setInputTexture(uint32_t newInputTexture, int64_t)
{
    runSynchronouslyOnContextQueue([&] { inputTextureForDisplay = newInputTexture; });
}

void GLImageRawDataOutput::setTextureDelegate(std::weak_ptr<GLImageTextureDelegate> newTextureDelegate, int64_t)
{
    runSynchronouslyOnContextQueue([&] { textureDelegate = std::move(newTextureDelegate); });
}

void GLImageRawDataOutput::setInputRotation(GLImageRotationMode newInputRotation, int64_t)
{
    runSynchronouslyOnContextQueue([&] { inputRotation = newInputRotation; });
}

plat::Size GLImageRawDataOutput::maximumOutputSize()
{
    return imageSize();
}

}  // namespace zt
