#include "glimage/GLObject.h"

#include <GLES2/gl2.h>

#include "glimage/GLImageContext.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Fatal.h"

namespace zt {

template <GLObjectKind Kind> GLObject<Kind> GLObject<Kind>::generate()
{
    if (!GLImageContext::sharedContextQueue().isCurrent())
        plat::detail::fatal("GLObject: GL objects are made on the context queue");
    GLImageContext::useImageProcessingContext();
    GLuint name = 0;
    if constexpr (Kind == GLObjectKind::Texture)
        glGenTextures(1, &name);
    else if constexpr (Kind == GLObjectKind::Framebuffer)
        glGenFramebuffers(1, &name);
    else
        glGenRenderbuffers(1, &name);
    return GLObject(name);
}

template <GLObjectKind Kind> void GLObject<Kind>::reset()
{
    if (!_name)
        return;
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::useImageProcessingContext();
        if constexpr (Kind == GLObjectKind::Texture)
            glDeleteTextures(1, &_name);
        else if constexpr (Kind == GLObjectKind::Framebuffer)
            glDeleteFramebuffers(1, &_name);
        else
            glDeleteRenderbuffers(1, &_name);
    });
    _name = 0;
}

template class GLObject<GLObjectKind::Texture>;
template class GLObject<GLObjectKind::Framebuffer>;
template class GLObject<GLObjectKind::Renderbuffer>;

}  // namespace zt
