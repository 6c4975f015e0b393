#pragma once
#include <cstdint>
#include <memory>

#include "platform/foundation/Result.h"
#include "platform/graphics/PixelBuffer.h"

namespace plat {

class GLContext;

namespace detail {
struct GLTextureCacheState;
class GLTextureMirror;

// What a cache texture was allocated as: a released texture of the same
// shape takes another buffer's pixels in place.
struct TextureShape {
    int32_t internalFormat;
    int width;
    int height;
    uint32_t format;
    uint32_t type;
    friend bool operator==(const TextureShape&, const TextureShape&) = default;
};
}  // namespace detail

// A texture made from a pixel buffer by a texture cache. It keeps the buffer
// alive; its GL texture goes back to the cache when it is released, which
// keeps the last few for buffers of the same size and formats and deletes
// the others at once on a thread where the context is current, else at the
// cache's next flush. Any thread.
class GLCacheTexture {
public:
    uint32_t target() const { return _target; }
    uint32_t name() const { return _name; }

    ~GLCacheTexture();
    GLCacheTexture(const GLCacheTexture&) = delete;
    GLCacheTexture& operator=(const GLCacheTexture&) = delete;

private:
    friend class GLTextureCache;
    GLCacheTexture(uint32_t target, uint32_t name, const detail::TextureShape& shape,
        std::shared_ptr<PixelBuffer> buffer, std::shared_ptr<detail::GLTextureMirror> mirror,
        std::shared_ptr<detail::GLTextureCacheState> cache);

    uint32_t _target;
    uint32_t _name;
    detail::TextureShape _shape;
    std::shared_ptr<PixelBuffer> _buffer;
    std::shared_ptr<detail::GLTextureMirror> _mirror;
    std::shared_ptr<detail::GLTextureCacheState> _cache;
};

// Turns pixel buffers into GL textures, as the platform's OpenGL ES texture
// cache. On the platform the texture and the buffer share memory; here the
// texture is a GL texture filled from the buffer, kept in step with it when
// the buffer is locked and unlocked (the texture is the buffer's mirror, see
// PixelBuffer). Buffers of any row length are taken: padded rows go up and
// come back by their stride. Use on the thread where the cache's context is
// current.
class GLTextureCache {
public:
    static Result<std::shared_ptr<GLTextureCache>> create(std::shared_ptr<GLContext> context);

    // A 2-D texture of one plane of the buffer, filled from its memory:
    // plane 0 of a 32-bit buffer (the whole picture, at its size), or of a
    // YCbCr buffer plane 0 as GL_LUMINANCE and plane 1 as
    // GL_LUMINANCE_ALPHA (Cb, Cr), at most the plane's size. Plane textures
    // are not kept in step with the buffer: they are only read. The context
    // must be current. Errors carry kCVReturn codes.
    Result<std::shared_ptr<GLCacheTexture>> createTextureFromImage(const std::shared_ptr<PixelBuffer>& buffer,
        uint32_t target, int32_t internalFormat, int width, int height, uint32_t format, uint32_t type,
        size_t planeIndex);

    // Deletes the textures of released cache textures beyond the few kept
    // for reuse (the context must be current).
    void flush();

    ~GLTextureCache();
    GLTextureCache(const GLTextureCache&) = delete;
    GLTextureCache& operator=(const GLTextureCache&) = delete;

private:
    explicit GLTextureCache(std::shared_ptr<detail::GLTextureCacheState> state);
    std::shared_ptr<detail::GLTextureCacheState> _state;
};

}  // namespace plat
