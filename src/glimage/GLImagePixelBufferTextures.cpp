#include "glimage/GLImagePixelBufferTextures.h"

#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>
#include <cstring>
#include <vector>

#include "glimage/GLImageContext.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/Log.h"
#include "platform/gl/GLTextureCache.h"
#include "platform/graphics/PixelBuffer.h"

namespace zt::detail {

plat::GLTextureCache& GLImagePixelBufferTextures::cache()
{
    if (!_cache) {
        auto cache = plat::GLTextureCache::create(GLImageContext::sharedImageProcessingContext().context());
        if (!cache.ok())
            plat::detail::fatal("Error at CVOpenGLESTextureCacheCreate {}", cache.error().code());
        _cache = cache.value();
    }
    return *_cache;
}

plat::Result<uint32_t> GLImagePixelBufferTextures::textureForBGRABuffer(
    const std::shared_ptr<plat::PixelBuffer>& buffer)
{
    auto texture = cache().createTextureFromImage(
        buffer, GL_TEXTURE_2D, GL_RGBA, buffer->width(), buffer->height(), GL_BGRA_EXT, GL_UNSIGNED_BYTE, 0);
    if (!texture.ok())
        return texture.error();
    _current = texture.value();
    glBindTexture(_current->target(), _current->name());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    return _current->name();
}

GLImagePixelBufferTextures::Planes GLImagePixelBufferTextures::texturesForBiPlanarBuffer(
    const std::shared_ptr<plat::PixelBuffer>& buffer)
{
    Planes planes;
    auto planeTexture = [&](GLenum unit, GLenum format, size_t planeIndex) -> std::shared_ptr<plat::GLCacheTexture> {
        glActiveTexture(unit);
        // Each plane at its own size: an odd picture's last chroma column and row are kept.
        auto texture = cache().createTextureFromImage(buffer, GL_TEXTURE_2D, GLint(format),
            buffer->widthOfPlane(planeIndex), buffer->heightOfPlane(planeIndex), format, GL_UNSIGNED_BYTE, planeIndex);
        if (!texture.ok()) {
            plat::log("Error at CVOpenGLESTextureCacheCreateTextureFromImage {}", texture.error().code());
            return nullptr;
        }
        glBindTexture(texture.value()->target(), texture.value()->name());
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        return texture.value();
    };
    _current = planeTexture(GL_TEXTURE4, GL_LUMINANCE, 0);
    _chrominance = planeTexture(GL_TEXTURE5, GL_LUMINANCE_ALPHA, 1);
    planes.luminance = _current ? _current->name() : 0;
    planes.chrominance = _chrominance ? _chrominance->name() : 0;
    return planes;
}

void GLImagePixelBufferTextures::frameDone()
{
    _current.reset();
    _chrominance.reset();
    if (_cache)
        _cache->flush();
}

void uploadPixelBuffer(plat::PixelBuffer& buffer, uint32_t texture, const GPUTextureOptions& options)
{
    if (buffer.planeCount() > 0)
        plat::detail::fatal("uploadPixelBuffer: YCbCr planes go through the texture cache, not this upload");
    const int width = buffer.width();
    const int height = buffer.height();
    const size_t packedRow = size_t(width) * 4;
    buffer.lockBaseAddress(plat::PixelBufferLock::ReadOnly);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    if (buffer.bytesPerRow() == packedRow) {
        glTexImage2D(GL_TEXTURE_2D, 0, GLint(options.internalFormat), width, height, 0, options.format, options.type,
            buffer.baseAddress());
    } else {
        // GL reads packed rows: the padding at each row's end is left out.
        std::vector<uint8_t> packed(packedRow * size_t(height));
        for (int y = 0; y < height; ++y)
            std::memcpy(packed.data() + size_t(y) * packedRow, buffer.baseAddress() + size_t(y) * buffer.bytesPerRow(),
                packedRow);
        glTexImage2D(GL_TEXTURE_2D, 0, GLint(options.internalFormat), width, height, 0, options.format, options.type,
            packed.data());
    }
    buffer.unlockBaseAddress(plat::PixelBufferLock::ReadOnly);
}

}  // namespace zt::detail
