#pragma once
#include <cstdint>
#include <memory>

#include "glimage/GLImageOutput.h"
#include "platform/foundation/Result.h"

namespace plat {
class GLCacheTexture;
class GLTextureCache;
class PixelBuffer;
}  // namespace plat

namespace zt::detail {

// Camera and movie pictures as textures, one frame at a time: a pixel
// buffer's own textures through the texture cache, kept until the frame is
// done. Context queue.
class GLImagePixelBufferTextures {
public:
    // The texture of a BGRA picture (RGBA from BGRA, linear, clamped), or the
    // cache's error.
    plat::Result<uint32_t> textureForBGRABuffer(const std::shared_ptr<plat::PixelBuffer>& buffer);
    // The luminance (on texture unit 4) and chrominance (unit 5) textures of
    // a bi-planar YCbCr picture, each at its plane's size, clamped. A plane
    // that cannot be made is logged and left at 0: the frame goes on.
    struct Planes {
        uint32_t luminance = 0;
        uint32_t chrominance = 0;
    };
    Planes texturesForBiPlanarBuffer(const std::shared_ptr<plat::PixelBuffer>& buffer);
    // Lets the frame's textures go back to the cache.
    void frameDone();

private:
    plat::GLTextureCache& cache();

    std::shared_ptr<plat::GLTextureCache> _cache;
    std::shared_ptr<plat::GLCacheTexture> _current;
    std::shared_ptr<plat::GLCacheTexture> _chrominance;
};

// Fills texture with a 32-bit picture of any row length (the rows are
// repacked by their stride), as internalFormat from format and type.
// Context queue, the picture locked or not.
void uploadPixelBuffer(plat::PixelBuffer& buffer, uint32_t texture, const GPUTextureOptions& options);

}  // namespace zt::detail
