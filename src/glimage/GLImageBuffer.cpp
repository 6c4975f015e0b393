#include "glimage/GLImageBuffer.h"

#include <GLES2/gl2.h>

#include "glimage/GLImageContext.h"
#include "glimage/GLProgram.h"
#include "platform/foundation/Fatal.h"

namespace zt {

namespace {

bool hasWholePixel(plat::Size size)
{
    return size.width >= 1 && size.height >= 1;
}

}  // namespace

GLImageBuffer::GLImageBuffer()
{
    runSynchronouslyOnContextQueue([this] {
        initializeOutputTextureIfNeeded();
        bufferedTextures.push_back(std::move(outputTexture));
    });
}

GLImageBuffer::~GLImageBuffer()
{
    runSynchronouslyOnContextQueue([this] {
        destroyFilterFBO();
        bufferedTextures.clear();
    });
}

uint32_t GLImageBuffer::textureForOutput()
{
    return bufferedTextures.empty() ? 0 : bufferedTextures.front().name();
}

void GLImageBuffer::newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t)
{
    if (!hasWholePixel(sizeOfFBO()))
        return;
    // The ring gets its storage before any target samples it.
    if (!filterFramebuffer) {
        createFilterFBOofSize(sizeOfFBO());
        setupFilterForSize(sizeOfFBO());
    }
    outputTextureRetainCount = _targets.size();
    notifyTargetsAboutNewOutputTexture();
    informTargetsAboutNewFrameAtTime(frameTime);
    if (bufferedTextures.size() < 2) {
        glFinish();
    } else {
        bufferedTextures.push_back(std::move(bufferedTextures.front()));
        bufferedTextures.pop_front();
    }
    renderToTextureWithVertices(fullFrameVertices(), textureCoordinatesForRotation(inputRotation), filterSourceTexture);
}

void GLImageBuffer::setInputSize(plat::Size newSize, int64_t textureIndex)
{
    GLImageFilter::setInputSize(newSize, textureIndex);
    // A source that renders from the ring before the first frame reaches us
    // (a feedback loop) finds it cleared rather than without storage.
    runSynchronouslyOnContextQueue([this] {
        if (!_preventRendering && !filterFramebuffer && hasWholePixel(sizeOfFBO())) {
            createFilterFBOofSize(sizeOfFBO());
            setupFilterForSize(sizeOfFBO());
        }
    });
}

void GLImageBuffer::renderToTextureWithVertices(
    const float* vertices, const float* textureCoordinates, uint32_t sourceTexture)
{
    if (_preventRendering)
        return;
    GLImageContext::setActiveShaderProgram(filterProgram);
    setFilterFBO();
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, bufferedTextures.back().name(), 0);
    setUniformsForProgramAtIndex(0);

    glClearColor(backgroundColorRed, backgroundColorGreen, backgroundColorBlue, backgroundColorAlpha);
    glClear(GL_COLOR_BUFFER_BIT);

    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, sourceTexture);
    glUniform1i(filterInputTextureUniform, 2);

    glVertexAttribPointer(GLuint(filterPositionAttribute), 2, GL_FLOAT, GL_FALSE, 0, vertices);
    glVertexAttribPointer(GLuint(filterTextureCoordinateAttribute), 2, GL_FLOAT, GL_FALSE, 0, textureCoordinates);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void GLImageBuffer::createFilterFBOofSize(plat::Size currentFBOSize)
{
    runSynchronouslyOnContextQueue([&] {
        GLImageContext::useImageProcessingContext();
        filterFramebuffer = GLFramebuffer::generate();
        allocateBufferedTextures(currentFBOSize);
        notifyTargetsAboutNewOutputTexture();
    });
}

void GLImageBuffer::recreateFilterFBO()
{
    cachedMaximumOutputSize = {};
    if (!filterFramebuffer)
        return;
    // The ring's frames are of the old size: it starts again, cleared.
    destroyFilterFBO();
    setFilterFBO();
}

void GLImageBuffer::setOutputFBO()
{
    setFilterFBO();
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, textureForOutput(), 0);
}

void GLImageBuffer::allocateBufferedTextures(plat::Size size)
{
    const auto& options = outputTextureOptions();
    glActiveTexture(GL_TEXTURE1);
    for (const auto& texture : bufferedTextures) {
        glBindTexture(GL_TEXTURE_2D, texture.name());
        glTexImage2D(GL_TEXTURE_2D, 0, GLint(options.internalFormat), GLsizei(size.width), GLsizei(size.height), 0,
            emptyStorageFormat(options), options.type, nullptr);
        clearTexture(texture.name());
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

void GLImageBuffer::clearTexture(uint32_t texture)
{
    glBindFramebuffer(GL_FRAMEBUFFER, filterFramebuffer.name());
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE)
        plat::detail::fatal("Incomplete filter FBO: {}", status);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

GLTexture GLImageBuffer::generateTexture()
{
    GLTexture texture;
    runSynchronouslyOnContextQueue([&] {
        GLImageContext::useImageProcessingContext();
        glActiveTexture(GL_TEXTURE0);
        texture = GLTexture::generate();
        glBindTexture(GL_TEXTURE_2D, texture.name());
        const auto& options = outputTextureOptions();
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GLint(options.minFilter));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GLint(options.magFilter));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GLint(options.wrapS));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GLint(options.wrapT));
        // Before the frame size is known the texture gets its storage with
        // the rest of the ring, at the first frame.
        const plat::Size size = sizeOfFBO();
        if (filterFramebuffer && hasWholePixel(size)) {
            glTexImage2D(GL_TEXTURE_2D, 0, GLint(options.internalFormat), GLsizei(size.width), GLsizei(size.height), 0,
                emptyStorageFormat(options), options.type, nullptr);
            clearTexture(texture.name());
        }
        glBindTexture(GL_TEXTURE_2D, 0);
    });
    return texture;
}

void GLImageBuffer::removeTexture(GLTexture texture)
{
    runSynchronouslyOnContextQueue([&] { texture.reset(); });
}

void GLImageBuffer::setBufferSize(uint64_t newValue)
{
    runSynchronouslyOnContextQueue([&] {
        const uint64_t current = bufferedTextures.size();
        if (newValue == 0 || newValue == current)
            return;
        while (bufferedTextures.size() < newValue)
            bufferedTextures.push_back(generateTexture());
        while (bufferedTextures.size() > newValue) {
            removeTexture(std::move(bufferedTextures.back()));
            bufferedTextures.pop_back();
        }
        _bufferSize = newValue;
    });
}

std::vector<uint32_t> GLImageBuffer::bufferedTexturesForTesting() const
{
    std::vector<uint32_t> names;
    runSynchronouslyOnContextQueue([&] {
        for (const auto& texture : bufferedTextures)
            names.push_back(texture.name());
    });
    return names;
}

}  // namespace zt
