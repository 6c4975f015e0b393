#pragma once
#include <cstdint>

namespace zt {

// Lets one draw read the textures that it lays pixel for pixel onto the
// viewport through nearest filtering. Every pixel centre then falls on a
// texel centre, where linear filtering gives the texel itself: nearest gives
// the same bytes from one texel read instead of four, and on llvmpipe those
// reads are most of a blend's time. Only for shaders that read each input
// at its own interpolated coordinate, never beside it. Needs OpenGL ES 3.1
// (sampler objects, texture size queries); elsewhere every texture keeps its
// own filtering. Context queue, within one render.
class GLImageNearestSampling {
public:
    GLImageNearestSampling() = default;
    // Gives the units their textures' own filtering back.
    ~GLImageNearestSampling();
    GLImageNearestSampling(const GLImageNearestSampling&) = delete;
    GLImageNearestSampling& operator=(const GLImageNearestSampling&) = delete;

    // The 2-D texture bound on texture unit `unit` (0 for GL_TEXTURE0, ...),
    // read at textureCoordinates over the quad at vertices (four vertices of
    // two floats each), goes through nearest filtering when the quad is the
    // full frame, the coordinates are one of the rotation modes' and the
    // texture filters linearly from a level 0 of the viewport's size (turned
    // as the mode turns it). Leaves the active texture unit as it was.
    void readNearestWherePixelForPixel(int unit, const float* vertices, const float* textureCoordinates);

    // Whether unit reads through nearest filtering for this draw.
    bool readsNearest(int unit) const;

private:
    uint32_t _nearestUnits = 0;  // bit n: unit n
};

}  // namespace zt
