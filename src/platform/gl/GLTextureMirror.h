#pragma once
#include <cstdint>
#include <memory>

namespace plat {
class GLContext;
}

namespace plat::detail {

// The GL side of a pixel buffer that a texture cache turned into a texture:
// copies between the texture and the buffer's memory (32-bit BGRA, packed
// rows). Both copies need the context current on the calling thread and
// leave GL's bindings as they found them.
struct GLTextureMirror {
    std::weak_ptr<GLContext> context;
    uint32_t texture = 0;
    int width = 0;
    int height = 0;

    bool isContextCurrent() const;
    void copyTextureToMemory(uint8_t* bgra) const;
    void copyMemoryToTexture(const uint8_t* bgra) const;
};

}  // namespace plat::detail
