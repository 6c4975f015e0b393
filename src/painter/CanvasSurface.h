#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/foundation/Result.h"

namespace plat {
class EAGLLayer;
class GLContext;
class Image;
}  // namespace plat

namespace zt::detail {

// One dab as GL draws it: a point at a canvas position with a point size.
struct Dab {
    float x = 0;
    float y = 0;
    float size = 0;
};

// The GL side of a painting canvas: an OpenGL ES 1.1 context, the
// framebuffer with its colour renderbuffer (storage from the view's layer)
// and depth renderbuffer, presenting, clearing, reading the pixels back,
// textures, and drawing dabs. Main queue; every call leaves this context
// current.
class CanvasSurface {
public:
    static plat::Result<std::unique_ptr<CanvasSurface>> create(std::shared_ptr<plat::EAGLLayer> layer);
    ~CanvasSurface();
    CanvasSurface(const CanvasSurface&) = delete;
    CanvasSurface& operator=(const CanvasSurface&) = delete;

    bool makeCurrent();
    // Framebuffer, colour storage from the layer, depth buffer; false (and
    // no framebuffer) when it is incomplete, as for an empty view.
    bool createFramebuffer();
    void destroyFramebuffer();
    bool hasFramebuffer() const { return _framebuffer != 0; }
    int backingWidth() const { return _backingWidth; }
    int backingHeight() const { return _backingHeight; }

    // Orthographic projection over width x height pixels, viewport the same.
    void setUpProjection(double width, double height);
    void bindFramebuffer();
    void clear();
    // Clears the surface to transparent and shows it (with a framebuffer only).
    void clearAndPresent();
    // Binds the colour renderbuffer and shows it in the layer.
    void present();
    // The surface's pixels, w x h from the bottom left, upright, premultiplied.
    std::shared_ptr<plat::Image> createImage(int width, int height);

    // Draws the dabs in order, each a point of its own size, in one call.
    void drawDabs(const std::vector<Dab>& dabs);

    // A 2-D RGBA texture of the picture (premultiplied; flipped upright for GL
    // when asked); 0 when it has no pixels. The caller deletes it.
    enum class Flip { No, Yes };
    uint32_t createTexture(const plat::Image& picture, Flip flip, bool clampToEdge);
    void deleteTexture(uint32_t& texture);

private:
    CanvasSurface(std::shared_ptr<plat::GLContext> context, std::shared_ptr<plat::EAGLLayer> layer);
    struct Functions;

    std::shared_ptr<plat::GLContext> _context;
    std::shared_ptr<plat::EAGLLayer> _layer;
    std::unique_ptr<Functions> _f;
    uint32_t _framebuffer = 0;
    uint32_t _colorRenderbuffer = 0;
    uint32_t _depthRenderbuffer = 0;
    int _backingWidth = 0;
    int _backingHeight = 0;
    std::vector<float> _positions;  // reused for every batch of dabs
    std::vector<float> _sizes;
};

}  // namespace zt::detail
