#include "platform/gl/GLProcAddress.h"

#include <EGL/egl.h>

namespace plat {

void* glProcAddress(const char* name)
{
    return reinterpret_cast<void*>(eglGetProcAddress(name));
}

}  // namespace plat
