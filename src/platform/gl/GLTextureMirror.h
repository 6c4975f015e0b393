#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/graphics/PixelBuffer.h"

namespace plat {
class GLContext;
}

namespace plat::detail {

// The GL side of a pixel buffer that a texture cache turned into a texture:
// copies between the texture and the buffer's memory (32-bit BGRA, rows
// bytesPerRow apart), each only where the texture's context is current on
// the calling thread. Both leave GL's bindings and pixel-store settings as
// they found them.
class GLTextureMirror : public PixelBufferMirror {
public:
    GLTextureMirror(std::weak_ptr<GLContext> context, uint32_t texture, int width, int height);

    void copyIntoMemory(uint8_t* bytes, size_t bytesPerRow) override;
    void copyFromMemory(const uint8_t* bytes, size_t bytesPerRow) override;

private:
    bool isContextCurrent() const;

    std::weak_ptr<GLContext> _context;
    uint32_t _texture;
    int _width;
    int _height;
};

// Fills the bound 2-D texture's level 0 (width x height) from pixels of
// format (4 bytes, or 1 and 2 for luminance and luminance-alpha) in rows
// bytesPerRow apart: allocated anew with internalFormat, or its
// pixels replaced. Rows with padding go up through GL_EXT_unpack_subimage
// where the context has it, else through a packed copy. Restores the unpack
// settings. Returns GL's error.
enum class TextureStorage { Allocate, Replace };
uint32_t uploadTextureRows(TextureStorage storage, int32_t internalFormat, int width, int height, uint32_t format,
    uint32_t type, const uint8_t* bytes, size_t bytesPerRow);

}  // namespace plat::detail
