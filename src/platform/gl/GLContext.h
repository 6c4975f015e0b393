#pragma once
#include <memory>

#include "platform/foundation/Result.h"

namespace plat {
class GLDrawable;
namespace detail {
struct GLDrawableAttachments;
}

enum class GLRenderingAPI { OpenGLES1 = 1, OpenGLES2 = 2 };

// A group of contexts that see each other's textures, buffers and programs,
// as the platform's share group. Its first context anchors the group: EGL
// shares objects between a new context and one that already exists. Any
// thread (immutable once made).
class GLSharegroup {
public:
    GLSharegroup();
    ~GLSharegroup();
    GLSharegroup(const GLSharegroup&) = delete;
    GLSharegroup& operator=(const GLSharegroup&) = delete;

private:
    friend class GLContext;
    struct Impl;
    std::unique_ptr<Impl> _impl;
};

// An OpenGL ES rendering context, as the platform's context object. Backed by
// Mesa's EGL on the surfaceless platform: there is no window surface, and
// everything is drawn into framebuffer objects (llvmpipe renders on the CPU
// where there is no GPU). A context is current on at most one thread at a
// time; making it current on another thread while it is current elsewhere
// fails. Any thread.
class GLContext : public std::enable_shared_from_this<GLContext> {
public:
    // Fails with a clear error when EGL, the surfaceless platform or the API
    // is not available. A context made in a share group shares its objects
    // with every other context of that group.
    static Result<std::shared_ptr<GLContext>> create(
        GLRenderingAPI api, std::shared_ptr<GLSharegroup> sharegroup = nullptr);

    // Makes context the calling thread's current context (nullptr: none).
    // Returns false when EGL refuses, as when the context is current on
    // another thread.
    static bool setCurrentContext(const std::shared_ptr<GLContext>& context);
    static std::shared_ptr<GLContext> currentContext();

    GLRenderingAPI api() const { return _api; }
    const std::shared_ptr<GLSharegroup>& sharegroup() const { return _sharegroup; }
    // True when both are the same context or share objects.
    bool sharesObjectsWith(const GLContext& other) const;

    // Gives the bound renderbuffer (target GL_RENDERBUFFER) storage of the
    // drawable's pixel size and colour format, and ties it to the drawable
    // for presenting. False when the drawable has no pixels or GL refuses
    // the storage. Call with this context current.
    bool renderbufferStorage(uint32_t target, const std::shared_ptr<GLDrawable>& drawable);
    // There is no screen: presenting completes the drawing of the bound
    // renderbuffer and, when it has its storage from a drawable, hands the
    // drawable a copy of its pixels to show. False when the target is not
    // GL_RENDERBUFFER or this context is not current. Call with this
    // context current.
    bool presentRenderbuffer(uint32_t target);

    ~GLContext();
    GLContext(const GLContext&) = delete;
    GLContext& operator=(const GLContext&) = delete;

    struct Impl;

private:
    GLContext(GLRenderingAPI api, std::shared_ptr<GLSharegroup> sharegroup, std::unique_ptr<Impl> impl);

    GLRenderingAPI _api;
    std::shared_ptr<GLSharegroup> _sharegroup;
    std::unique_ptr<Impl> _impl;
    // Renderbuffers that have their storage from drawables; made on first use.
    std::shared_ptr<detail::GLDrawableAttachments> _drawables;
};

}  // namespace plat
