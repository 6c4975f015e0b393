#pragma once
#include <cstdint>
#include <memory>

#include "glimage/GLObject.h"

namespace plat {
class PixelBuffer;
}

namespace zt {
class GLProgram;
}

namespace zt::detail {

// A 3 x 3 colour matrix, column by column as GL takes it: (Y, Cb, Cr) in,
// (R, G, B) out, with Cb and Cr centred on 0.
using GLImageColorConversionMatrix = float[9];
// For video-range pictures (Y from 16/255 to 235/255), BT.601 and BT.709.
extern const GLImageColorConversionMatrix kColorConversion601;
extern const GLImageColorConversionMatrix kColorConversion709;
// For full-range pictures (Y from 0 to 1).
extern const GLImageColorConversionMatrix kColorConversion601FullRange;
extern const GLImageColorConversionMatrix kColorConversion709FullRange;

// How the pixels of a bi-planar YCbCr buffer become RGB: the matrix its
// attachment names (BT.601 only when it says so) for its range, and the
// black level taken off the luminance first.
struct GLImageYUVConversionChoice {
    const float* matrix = kColorConversion709;
    float luminanceOffset = 0;
};
GLImageYUVConversionChoice conversionForBuffer(const plat::PixelBuffer& buffer);

// The one pass that turns a picture's luminance and chrominance planes into
// RGBA in its owner's output texture: the conversion program and the
// framebuffer at the picture's size. The camera and the movie reader each
// keep one. Context queue, with the context current.
class GLImageYUVConversion {
public:
    GLImageYUVConversion();
    ~GLImageYUVConversion();
    GLImageYUVConversion(const GLImageYUVConversion&) = delete;
    GLImageYUVConversion& operator=(const GLImageYUVConversion&) = delete;

    // Links the program (fatal when it does not link) and makes it the active one.
    void setUp();

    // Takes the size of the next picture; true when the framebuffer must be
    // made again for it (either dimension differs from the last).
    bool takeBufferSize(int width, int height);
    int imageBufferWidth() const { return _imageBufferWidth; }
    int imageBufferHeight() const { return _imageBufferHeight; }

    bool hasFramebuffer() const { return static_cast<bool>(_framebuffer); }
    // A framebuffer drawing into outputTexture, given storage at the picture's size.
    // Fatal when it is not complete.
    void createFramebuffer(uint32_t outputTexture);
    void bindFramebuffer();
    void destroyFramebuffer();

    // Draws the conversion of the two plane textures into the bound framebuffer.
    void draw(uint32_t luminanceTexture, uint32_t chrominanceTexture, const GLImageYUVConversionChoice& conversion);

private:
    std::shared_ptr<GLProgram> _program;
    int32_t _positionAttribute = -1;
    int32_t _textureCoordinateAttribute = -1;
    int32_t _luminanceTextureUniform = -1;
    int32_t _chrominanceTextureUniform = -1;
    int32_t _matrixUniform = -1;
    int32_t _luminanceOffsetUniform = -1;
    GLFramebuffer _framebuffer;
    int _imageBufferWidth = 0;
    int _imageBufferHeight = 0;
};

}  // namespace zt::detail
