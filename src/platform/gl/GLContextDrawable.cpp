// Renderbuffer storage from drawables and presenting into them, for both
// OpenGL ES versions: ES 1.1 reaches framebuffer objects through the OES
// extension's entry points, ES 2.0 through the core ones (same enums).
#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/foundation/Log.h"
#include "platform/gl/GLContext.h"
#include "platform/gl/GLDrawable.h"
#include "platform/gl/GLProcAddress.h"
#include "platform/graphics/Bitmap.h"

namespace plat {
namespace detail {

// The framebuffer-object functions of one API version.
struct FramebufferFunctions {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLGETRENDERBUFFERPARAMETERIVPROC getRenderbufferParameteriv = nullptr;

    bool isComplete() const
    {
        return genFramebuffers && deleteFramebuffers && bindFramebuffer && framebufferRenderbuffer
            && checkFramebufferStatus && renderbufferStorage && getRenderbufferParameteriv;
    }
};

template <typename Function> void load(Function& function, const std::string& name, const char* suffix)
{
    function = reinterpret_cast<Function>(glProcAddress((name + suffix).c_str()));
}

FramebufferFunctions loadFramebufferFunctions(GLRenderingAPI api)
{
    const char* suffix = api == GLRenderingAPI::OpenGLES1 ? "OES" : "";
    FramebufferFunctions f;
    load(f.genFramebuffers, "glGenFramebuffers", suffix);
    load(f.deleteFramebuffers, "glDeleteFramebuffers", suffix);
    load(f.bindFramebuffer, "glBindFramebuffer", suffix);
    load(f.framebufferRenderbuffer, "glFramebufferRenderbuffer", suffix);
    load(f.checkFramebufferStatus, "glCheckFramebufferStatus", suffix);
    load(f.renderbufferStorage, "glRenderbufferStorage", suffix);
    load(f.getRenderbufferParameteriv, "glGetRenderbufferParameteriv", suffix);
    return f;
}

// Which drawable each renderbuffer of one context shows in. Used where the
// context is current, so on one thread at a time; the lock orders the
// hand-over between threads.
struct GLDrawableAttachments {
    std::mutex lock;
    FramebufferFunctions functions;  // guarded by lock
    std::map<GLuint, std::weak_ptr<GLDrawable>> drawables;  // guarded by lock
    // The framebuffer a renderbuffer is read back through, made on first
    // present; framebuffers are never shared, so it goes with the context.
    GLuint readFramebuffer = 0;  // guarded by lock
};

}  // namespace detail

namespace {

GLint integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

GLenum storageFormat(GLDrawableColorFormat format)
{
    return format == GLDrawableColorFormat::RGB565 ? GL_RGB565 : GL_RGBA8_OES;
}

// Reads the renderbuffer's pixels through the context's reading
// framebuffer and leaves the framebuffer binding as it found it.
std::shared_ptr<Bitmap> readRenderbuffer(detail::GLDrawableAttachments& attachments, GLuint renderbuffer)
{
    auto& f = attachments.functions;
    GLint width = 0;
    GLint height = 0;
    f.getRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &width);
    f.getRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_HEIGHT, &height);
    auto bitmap = Bitmap::allocate(width, height, PixelOrder::RGBA);
    if (!bitmap)
        return nullptr;
    const auto previousFramebuffer = static_cast<GLuint>(integer(GL_FRAMEBUFFER_BINDING));
    if (attachments.readFramebuffer == 0)
        f.genFramebuffers(1, &attachments.readFramebuffer);
    f.bindFramebuffer(GL_FRAMEBUFFER, attachments.readFramebuffer);
    f.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffer);
    bool complete = f.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (complete) {
        const GLint packAlignment = integer(GL_PACK_ALIGNMENT);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bitmap->mutableBytes());
        glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    }
    f.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, 0);
    f.bindFramebuffer(GL_FRAMEBUFFER, previousFramebuffer);
    if (!complete)
        return nullptr;
    // GL's first row is the bottom one.
    const size_t rowBytes = bitmap->bytesPerRow();
    auto spare = std::make_unique<uint8_t[]>(rowBytes);
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        std::memcpy(spare.get(), bitmap->mutableRow(top), rowBytes);
        std::memcpy(bitmap->mutableRow(top), bitmap->row(bottom), rowBytes);
        std::memcpy(bitmap->mutableRow(bottom), spare.get(), rowBytes);
    }
    return bitmap;
}

}  // namespace

bool GLContext::renderbufferStorage(uint32_t target, const std::shared_ptr<GLDrawable>& drawable)
{
    if (target != GL_RENDERBUFFER || !drawable || currentContext().get() != this)
        return false;
    if (!_drawables) {
        _drawables = std::make_shared<detail::GLDrawableAttachments>();
        _drawables->functions = detail::loadFramebufferFunctions(_api);
    }
    std::lock_guard guard(_drawables->lock);
    auto& f = _drawables->functions;
    if (!f.isComplete()) {
        log("GLContext: this OpenGL ES has no framebuffer objects");
        return false;
    }
    const auto size = drawable->drawablePixelSize();
    if (size.width <= 0 || size.height <= 0)
        return false;
    const auto renderbuffer = static_cast<GLuint>(integer(GL_RENDERBUFFER_BINDING));
    if (renderbuffer == 0)
        return false;
    while (glGetError() != GL_NO_ERROR) { }
    f.renderbufferStorage(
        GL_RENDERBUFFER, storageFormat(drawable->drawableProperties().colorFormat), size.width, size.height);
    if (const GLenum error = glGetError(); error != GL_NO_ERROR) {
        log("GLContext: no renderbuffer storage of {} x {} (GL error {})", size.width, size.height, error);
        _drawables->drawables.erase(renderbuffer);
        return false;
    }
    _drawables->drawables[renderbuffer] = drawable;
    return true;
}

bool GLContext::presentRenderbuffer(uint32_t target)
{
    if (target != GL_RENDERBUFFER || currentContext().get() != this)
        return false;
    std::shared_ptr<GLDrawable> drawable;
    std::shared_ptr<Bitmap> pixels;
    if (_drawables) {
        std::lock_guard guard(_drawables->lock);
        const auto renderbuffer = static_cast<GLuint>(integer(GL_RENDERBUFFER_BINDING));
        auto found = _drawables->drawables.find(renderbuffer);
        if (found != _drawables->drawables.end()) {
            drawable = found->second.lock();
            if (!drawable)
                _drawables->drawables.erase(found);
            else
                pixels = readRenderbuffer(*_drawables, renderbuffer);
        }
    }
    if (!drawable) {
        glFinish();
        return true;
    }
    if (!pixels)
        return false;
    drawable->presentDrawableBitmap(std::move(pixels));
    return true;
}

}  // namespace plat
