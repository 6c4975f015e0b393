#include "painter/CanvasSurface.h"

#include <GLES/gl.h>
#include <GLES/glext.h>
#include <algorithm>
#include <cstring>

#include "platform/foundation/Log.h"
#include "platform/gl/GLContext.h"
#include "platform/gl/GLProcAddress.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/UprightPixels.h"
#include "platform/ui/EAGLLayer.h"

namespace zt::detail {

// OpenGL ES 1.1 has framebuffer objects through an extension only.
struct CanvasSurface::Functions {
    PFNGLGENFRAMEBUFFERSOESPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSOESPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFEROESPROC bindFramebuffer = nullptr;
    PFNGLGENRENDERBUFFERSOESPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSOESPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFEROESPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEOESPROC renderbufferStorage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFEROESPROC framebufferRenderbuffer = nullptr;
    PFNGLGETRENDERBUFFERPARAMETERIVOESPROC getRenderbufferParameteriv = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSOESPROC checkFramebufferStatus = nullptr;

    template <typename F> static bool load(F& function, const char* name)
    {
        function = reinterpret_cast<F>(plat::glProcAddress(name));
        return function != nullptr;
    }

    bool loadAll()
    {
        return load(genFramebuffers, "glGenFramebuffersOES") && load(deleteFramebuffers, "glDeleteFramebuffersOES")
            && load(bindFramebuffer, "glBindFramebufferOES") && load(genRenderbuffers, "glGenRenderbuffersOES")
            && load(deleteRenderbuffers, "glDeleteRenderbuffersOES") && load(bindRenderbuffer, "glBindRenderbufferOES")
            && load(renderbufferStorage, "glRenderbufferStorageOES")
            && load(framebufferRenderbuffer, "glFramebufferRenderbufferOES")
            && load(getRenderbufferParameteriv, "glGetRenderbufferParameterivOES")
            && load(checkFramebufferStatus, "glCheckFramebufferStatusOES");
    }
};

plat::Result<std::unique_ptr<CanvasSurface>> CanvasSurface::create(std::shared_ptr<plat::EAGLLayer> layer)
{
    auto context = plat::GLContext::create(plat::GLRenderingAPI::OpenGLES1);
    if (!context.ok())
        return context.error();
    std::unique_ptr<CanvasSurface> surface(new CanvasSurface(context.value(), std::move(layer)));
    if (!surface->_f->loadAll())
        return plat::Error("PaintingView", 1, "OpenGL ES 1.1 has no framebuffer objects here");
    if (!surface->makeCurrent())
        return plat::Error("PaintingView", 2, "the painting context cannot be made current");
    return surface;
}

CanvasSurface::CanvasSurface(std::shared_ptr<plat::GLContext> context, std::shared_ptr<plat::EAGLLayer> layer)
    : _context(std::move(context))
    , _layer(std::move(layer))
    , _f(std::make_unique<Functions>())
{
}

CanvasSurface::~CanvasSurface()
{
    if (makeCurrent())
        destroyFramebuffer();
    // Nothing of ours stays current once the canvas has gone.
    if (plat::GLContext::currentContext() == _context)
        plat::GLContext::setCurrentContext(nullptr);
}

bool CanvasSurface::makeCurrent()
{
    return plat::GLContext::setCurrentContext(_context);
}

bool CanvasSurface::createFramebuffer()
{
    _f->genFramebuffers(1, &_framebuffer);
    _f->genRenderbuffers(1, &_colorRenderbuffer);
    _f->bindFramebuffer(GL_FRAMEBUFFER_OES, _framebuffer);
    _f->bindRenderbuffer(GL_RENDERBUFFER_OES, _colorRenderbuffer);
    if (!_context->renderbufferStorage(GL_RENDERBUFFER_OES, _layer))
        plat::log("PaintingView: the layer gives no renderbuffer storage");
    _f->framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES, _colorRenderbuffer);
    GLint width = 0;
    GLint height = 0;
    _f->getRenderbufferParameteriv(GL_RENDERBUFFER_OES, GL_RENDERBUFFER_WIDTH_OES, &width);
    _f->getRenderbufferParameteriv(GL_RENDERBUFFER_OES, GL_RENDERBUFFER_HEIGHT_OES, &height);
    _backingWidth = width;
    _backingHeight = height;

    _f->genRenderbuffers(1, &_depthRenderbuffer);
    _f->bindRenderbuffer(GL_RENDERBUFFER_OES, _depthRenderbuffer);
    if (width > 0 && height > 0)
        _f->renderbufferStorage(GL_RENDERBUFFER_OES, GL_DEPTH_COMPONENT16_OES, width, height);
    _f->framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_DEPTH_ATTACHMENT_OES, GL_RENDERBUFFER_OES, _depthRenderbuffer);
    _f->bindRenderbuffer(GL_RENDERBUFFER_OES, _colorRenderbuffer);

    const GLenum status = _f->checkFramebufferStatus(GL_FRAMEBUFFER_OES);
    if (status != GL_FRAMEBUFFER_COMPLETE_OES) {
        plat::log("PaintingView: incomplete framebuffer of {} x {} (status {})", width, height, status);
        // Nothing draws into a framebuffer that cannot be complete.
        destroyFramebuffer();
        return false;
    }
    return true;
}

void CanvasSurface::destroyFramebuffer()
{
    if (_framebuffer)
        _f->deleteFramebuffers(1, &_framebuffer);
    if (_colorRenderbuffer)
        _f->deleteRenderbuffers(1, &_colorRenderbuffer);
    if (_depthRenderbuffer)
        _f->deleteRenderbuffers(1, &_depthRenderbuffer);
    _framebuffer = 0;
    _colorRenderbuffer = 0;
    _depthRenderbuffer = 0;
    _backingWidth = 0;
    _backingHeight = 0;
}

void CanvasSurface::setUpProjection(double width, double height)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrthof(0, static_cast<GLfloat>(width), 0, static_cast<GLfloat>(height), -1, 1);
    glViewport(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    glMatrixMode(GL_MODELVIEW);
}

void CanvasSurface::bindFramebuffer()
{
    _f->bindFramebuffer(GL_FRAMEBUFFER_OES, _framebuffer);
}

void CanvasSurface::clear()
{
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void CanvasSurface::clearAndPresent()
{
    if (!hasFramebuffer() || !makeCurrent())
        return;
    bindFramebuffer();
    clear();
    present();
}

void CanvasSurface::present()
{
    _f->bindRenderbuffer(GL_RENDERBUFFER_OES, _colorRenderbuffer);
    _context->presentRenderbuffer(GL_RENDERBUFFER_OES);
}

std::shared_ptr<plat::Image> CanvasSurface::createImage(int width, int height)
{
    auto bitmap = plat::Bitmap::allocateCleared(width, height, plat::PixelOrder::RGBA);
    if (!bitmap)
        return nullptr;
    const int readWidth = std::min(width, _backingWidth);
    const int readHeight = std::min(height, _backingHeight);
    if (readWidth > 0 && readHeight > 0) {
        bindFramebuffer();
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        // Row r of GL (from the bottom) is row height - 1 - r of the picture.
        std::vector<uint8_t> rows(static_cast<size_t>(readWidth) * 4 * static_cast<size_t>(readHeight));
        glReadPixels(0, 0, readWidth, readHeight, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
        const size_t rowBytes = static_cast<size_t>(readWidth) * 4;
        for (int r = 0; r < readHeight; ++r)
            std::memcpy(bitmap->mutableRow(height - 1 - r), rows.data() + rowBytes * static_cast<size_t>(r), rowBytes);
    }
    return plat::Image::imageWithBitmap(bitmap);
}

void CanvasSurface::drawDabs(const std::vector<Dab>& dabs)
{
    if (dabs.empty())
        return;
    _positions.resize(dabs.size() * 2);
    _sizes.resize(dabs.size());
    for (size_t i = 0; i < dabs.size(); ++i) {
        _positions[i * 2] = dabs[i].x;
        _positions[i * 2 + 1] = dabs[i].y;
        _sizes[i] = dabs[i].size;
    }
    // Points of one call are drawn and blended in order, exactly as one call
    // per dab would draw them.
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_POINT_SIZE_ARRAY_OES);
    glVertexPointer(2, GL_FLOAT, 0, _positions.data());
    glPointSizePointerOES(GL_FLOAT, 0, _sizes.data());
    glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(dabs.size()));
    glDisableClientState(GL_POINT_SIZE_ARRAY_OES);
}

uint32_t CanvasSurface::createTexture(const plat::Image& picture, Flip flip, bool clampToEdge)
{
    auto upright = plat::uprightPixels(picture);
    if (!upright)
        return 0;
    const int width = upright->width();
    const int height = upright->height();
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * 4 * static_cast<size_t>(height));
    upright->copyPixelsTo(pixels.data(), plat::PixelOrder::RGBA);
    if (flip == Flip::Yes) {
        const size_t rowBytes = static_cast<size_t>(width) * 4;
        std::vector<uint8_t> spare(rowBytes);
        for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
            uint8_t* a = pixels.data() + rowBytes * static_cast<size_t>(top);
            uint8_t* b = pixels.data() + rowBytes * static_cast<size_t>(bottom);
            std::memcpy(spare.data(), a, rowBytes);
            std::memcpy(a, b, rowBytes);
            std::memcpy(b, spare.data(), rowBytes);
        }
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    if (clampToEdge) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return texture;
}

void CanvasSurface::deleteTexture(uint32_t& texture)
{
    if (texture)
        glDeleteTextures(1, &texture);
    texture = 0;
}

}  // namespace zt::detail
