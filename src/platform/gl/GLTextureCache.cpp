#include "platform/gl/GLTextureCache.h"

#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/gl/GLContext.h"
#include "platform/gl/GLTextureMirror.h"

namespace plat {

namespace detail {

struct GLTextureCacheState {
    std::shared_ptr<GLContext> context;
    std::mutex lock;
    std::vector<uint32_t> releasedTextures;  // guarded by lock

    bool isContextCurrent() const
    {
        auto current = GLContext::currentContext();
        return current && current->sharesObjectsWith(*context);
    }

    void deleteReleasedTextures()
    {
        std::vector<uint32_t> names;
        {
            std::lock_guard guard(lock);
            names.swap(releasedTextures);
        }
        if (!names.empty())
            glDeleteTextures(static_cast<GLsizei>(names.size()), names.data());
    }
};

bool GLTextureMirror::isContextCurrent() const
{
    auto owner = context.lock();
    auto current = GLContext::currentContext();
    return owner && current && current->sharesObjectsWith(*owner);
}

void GLTextureMirror::copyTextureToMemory(uint8_t* bgra) const
{
    GLint previousFramebuffer = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previousFramebuffer);
    GLint previousPackAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &previousPackAlignment);
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) {
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        // BGRA where GL offers it for this texture (a BGRA texture's own
        // layout: a plain copy), else RGBA, the one read format every OpenGL
        // ES implementation has, turned into BGRA here.
        GLint readFormat = 0;
        GLint readType = 0;
        glGetIntegerv(GL_IMPLEMENTATION_COLOR_READ_FORMAT, &readFormat);
        glGetIntegerv(GL_IMPLEMENTATION_COLOR_READ_TYPE, &readType);
        if (readFormat == GL_BGRA_EXT && readType == GL_UNSIGNED_BYTE) {
            glReadPixels(0, 0, width, height, GL_BGRA_EXT, GL_UNSIGNED_BYTE, bgra);
        } else {
            glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bgra);
            const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
            for (size_t i = 0; i < count; ++i)
                std::swap(bgra[i * 4], bgra[i * 4 + 2]);
        }
        glPixelStorei(GL_PACK_ALIGNMENT, previousPackAlignment);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previousFramebuffer));
    glDeleteFramebuffers(1, &framebuffer);
}

void GLTextureMirror::copyMemoryToTexture(const uint8_t* bgra) const
{
    GLint previousTexture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousTexture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_BGRA_EXT, GL_UNSIGNED_BYTE, bgra);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previousTexture));
}

}  // namespace detail

GLCacheTexture::GLCacheTexture(uint32_t target, uint32_t name, std::shared_ptr<PixelBuffer> buffer,
    std::shared_ptr<detail::GLTextureMirror> mirror, std::shared_ptr<detail::GLTextureCacheState> cache)
    : _target(target)
    , _name(name)
    , _buffer(std::move(buffer))
    , _mirror(std::move(mirror))
    , _cache(std::move(cache))
{
}

GLCacheTexture::~GLCacheTexture()
{
    {
        std::lock_guard guard(_cache->lock);
        _cache->releasedTextures.push_back(_name);
    }
    if (_cache->isContextCurrent())
        _cache->deleteReleasedTextures();
}

GLTextureCache::GLTextureCache(std::shared_ptr<detail::GLTextureCacheState> state)
    : _state(std::move(state))
{
}

GLTextureCache::~GLTextureCache()
{
    // Textures still held by cache textures are deleted when those go.
    if (_state->isContextCurrent())
        _state->deleteReleasedTextures();
}

Result<std::shared_ptr<GLTextureCache>> GLTextureCache::create(std::shared_ptr<GLContext> context)
{
    if (!context)
        return Error(kCVReturnErrorDomain, kCVReturnInvalidArgument, "a texture cache needs a context");
    auto state = std::make_shared<detail::GLTextureCacheState>();
    state->context = std::move(context);
    return std::shared_ptr<GLTextureCache>(new GLTextureCache(std::move(state)));
}

Result<std::shared_ptr<GLCacheTexture>> GLTextureCache::createTextureFromImage(
    const std::shared_ptr<PixelBuffer>& buffer, uint32_t target, int32_t internalFormat, int width, int height,
    uint32_t format, uint32_t type, size_t planeIndex)
{
    if (!buffer || target != GL_TEXTURE_2D || planeIndex != 0)
        return Error(kCVReturnErrorDomain, kCVReturnInvalidArgument, "a cache texture is plane 0 of a buffer, 2-D");
    if (width != buffer->width() || height != buffer->height())
        return Error(kCVReturnErrorDomain, kCVReturnInvalidSize, "a cache texture has its buffer's size");
    if (!_state->isContextCurrent())
        return Error(kCVReturnErrorDomain, kCVReturnInvalidArgument, "the texture cache's context is not current");

    auto mirror = std::make_shared<detail::GLTextureMirror>();
    mirror->context = _state->context;
    mirror->width = width;
    mirror->height = height;

    GLint previousTexture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousTexture);
    while (glGetError() != GL_NO_ERROR) { }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    {
        std::lock_guard guard(buffer->_lock);
        glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, format, type, buffer->_bytes.data());
    }
    const GLenum status = glGetError();
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previousTexture));
    if (status != GL_NO_ERROR) {
        glDeleteTextures(1, &name);
        return Error(kCVReturnErrorDomain, kCVReturnError,
            "cannot make a texture of format " + std::to_string(format) + " from a pixel buffer (GL error "
                + std::to_string(status) + ")");
    }
    mirror->texture = name;
    {
        std::lock_guard guard(buffer->_lock);
        buffer->_mirror = mirror;
    }
    return std::shared_ptr<GLCacheTexture>(new GLCacheTexture(target, name, buffer, std::move(mirror), _state));
}

void GLTextureCache::flush()
{
    if (_state->isContextCurrent())
        _state->deleteReleasedTextures();
}

}  // namespace plat
