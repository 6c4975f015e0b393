#include "platform/gl/GLContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GLES2/gl2.h>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/foundation/Log.h"
#include "platform/foundation/Once.h"

namespace plat {

namespace {

constexpr const char* kErrorDomain = "plat.GLContext";

enum ErrorCode : int64_t {
    kNoDisplay = 1,
    kNoOpenGLES = 2,
    kContextCreationFailed = 3,
};

std::string eglErrorText(EGLint code)
{
    switch (code) {
    case EGL_SUCCESS:
        return "EGL_SUCCESS";
    case EGL_NOT_INITIALIZED:
        return "EGL_NOT_INITIALIZED";
    case EGL_BAD_ACCESS:
        return "EGL_BAD_ACCESS";
    case EGL_BAD_ALLOC:
        return "EGL_BAD_ALLOC";
    case EGL_BAD_ATTRIBUTE:
        return "EGL_BAD_ATTRIBUTE";
    case EGL_BAD_CONFIG:
        return "EGL_BAD_CONFIG";
    case EGL_BAD_CONTEXT:
        return "EGL_BAD_CONTEXT";
    case EGL_BAD_DISPLAY:
        return "EGL_BAD_DISPLAY";
    case EGL_BAD_MATCH:
        return "EGL_BAD_MATCH";
    case EGL_BAD_PARAMETER:
        return "EGL_BAD_PARAMETER";
    default:
        return "EGL error " + std::to_string(code);
    }
}

bool hasExtension(const char* list, const char* name)
{
    if (!list)
        return false;
    const size_t length = std::strlen(name);
    for (const char* p = std::strstr(list, name); p; p = std::strstr(p + 1, name)) {
        const bool startsWord = p == list || p[-1] == ' ';
        const bool endsWord = p[length] == ' ' || p[length] == '\0';
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

// The one EGL display of the process, opened on first use and kept until
// exit: contexts may live in statics that outlast main().
struct DisplayState {
    EGLDisplay display = EGL_NO_DISPLAY;
    std::string failure;  // why there is no display
};

EGLDisplay initializeDisplay(EGLDisplay display)
{
    if (display == EGL_NO_DISPLAY)
        return EGL_NO_DISPLAY;
    EGLint major = 0;
    EGLint minor = 0;
    if (eglInitialize(display, &major, &minor) != EGL_TRUE)
        return EGL_NO_DISPLAY;
    return display;
}

// Mesa's surfaceless platform needs neither a window system nor a GPU; when
// it cannot start (no render node it may use), the software device of the
// device platform is tried.
DisplayState openDisplay()
{
    DisplayState state;
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!clientExtensions) {
        state.failure = "EGL has no client extensions (" + eglErrorText(eglGetError()) + ")";
        return state;
    }
    auto getPlatformDisplay
        = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) {
        state.failure = "EGL lacks eglGetPlatformDisplayEXT";
        return state;
    }
    if (hasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        state.display
            = initializeDisplay(getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr));
        if (state.display != EGL_NO_DISPLAY)
            return state;
        state.failure = "the surfaceless platform did not start (" + eglErrorText(eglGetError()) + ")";
    } else {
        state.failure = "EGL lacks EGL_MESA_platform_surfaceless";
    }

    auto queryDevices = reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
    auto queryDeviceString
        = reinterpret_cast<PFNEGLQUERYDEVICESTRINGEXTPROC>(eglGetProcAddress("eglQueryDeviceStringEXT"));
    if (!hasExtension(clientExtensions, "EGL_EXT_platform_device") || !queryDevices || !queryDeviceString)
        return state;
    EGLint count = 0;
    if (queryDevices(0, nullptr, &count) != EGL_TRUE || count <= 0)
        return state;
    std::vector<EGLDeviceEXT> devices(static_cast<size_t>(count));
    if (queryDevices(count, devices.data(), &count) != EGL_TRUE)
        return state;
    for (EGLint i = 0; i < count; ++i) {
        if (!hasExtension(queryDeviceString(devices[size_t(i)], EGL_EXTENSIONS), "EGL_MESA_device_software"))
            continue;
        state.display = initializeDisplay(getPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[size_t(i)], nullptr));
        if (state.display != EGL_NO_DISPLAY) {
            state.failure.clear();
            return state;
        }
    }
    state.failure += "; no software EGL device either";
    return state;
}

const DisplayState& sharedDisplay()
{
    static OnceFlag once;
    static DisplayState* state = nullptr;
    dispatchOnce(once, [] { state = new DisplayState(openDisplay()); });
    return *state;
}

EGLint clientVersion(GLRenderingAPI api)
{
    return api == GLRenderingAPI::OpenGLES1 ? 1 : 2;
}

Result<EGLContext> createEGLContext(EGLDisplay display, GLRenderingAPI api, EGLContext shareWith)
{
    if (eglBindAPI(EGL_OPENGL_ES_API) != EGL_TRUE)
        return Error(kErrorDomain, kNoOpenGLES, "EGL has no OpenGL ES API (" + eglErrorText(eglGetError()) + ")");
    const EGLint attributes[] = {EGL_CONTEXT_CLIENT_VERSION, clientVersion(api), EGL_NONE};
    // No config: the surfaceless context never draws into a window surface.
    EGLContext context = eglCreateContext(display, EGL_NO_CONFIG_KHR, shareWith, attributes);
    if (context == EGL_NO_CONTEXT)
        return Error(kErrorDomain, kContextCreationFailed,
            "cannot create an OpenGL ES " + std::to_string(clientVersion(api)) + " context ("
                + eglErrorText(eglGetError()) + ")");
    return context;
}

// The calling thread's current context. Releasing it when the thread ends
// lets other threads make the context current afterwards.
struct CurrentContextSlot {
    std::shared_ptr<GLContext> context;
    ~CurrentContextSlot()
    {
        if (context)
            eglMakeCurrent(sharedDisplay().display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
};
thread_local CurrentContextSlot currentSlot;

}  // namespace

struct GLSharegroup::Impl {
    std::mutex lock;
    EGLContext anchor = EGL_NO_CONTEXT;  // guarded by lock
    GLRenderingAPI anchorAPI = GLRenderingAPI::OpenGLES2;  // guarded by lock
};

struct GLContext::Impl {
    EGLContext context = EGL_NO_CONTEXT;
};

GLSharegroup::GLSharegroup()
    : _impl(std::make_unique<Impl>())
{
}

GLSharegroup::~GLSharegroup()
{
    if (_impl->anchor != EGL_NO_CONTEXT)
        eglDestroyContext(sharedDisplay().display, _impl->anchor);
}

GLContext::GLContext(GLRenderingAPI api, std::shared_ptr<GLSharegroup> sharegroup, std::unique_ptr<Impl> impl)
    : _api(api)
    , _sharegroup(std::move(sharegroup))
    , _impl(std::move(impl))
{
}

GLContext::~GLContext()
{
    eglDestroyContext(sharedDisplay().display, _impl->context);
}

Result<std::shared_ptr<GLContext>> GLContext::create(GLRenderingAPI api, std::shared_ptr<GLSharegroup> sharegroup)
{
    const DisplayState& display = sharedDisplay();
    if (display.display == EGL_NO_DISPLAY)
        return Error(kErrorDomain, kNoDisplay, "OpenGL ES is not available: " + display.failure);

    EGLContext shareWith = EGL_NO_CONTEXT;
    if (sharegroup) {
        std::lock_guard guard(sharegroup->_impl->lock);
        auto& group = *sharegroup->_impl;
        if (group.anchor == EGL_NO_CONTEXT) {
            auto anchor = createEGLContext(display.display, api, EGL_NO_CONTEXT);
            if (!anchor.ok())
                return anchor.error();
            group.anchor = anchor.value();
            group.anchorAPI = api;
        } else if (group.anchorAPI != api) {
            return Error(
                kErrorDomain, kContextCreationFailed, "a share group holds contexts of one OpenGL ES version only");
        }
        shareWith = group.anchor;
    }
    auto context = createEGLContext(display.display, api, shareWith);
    if (!context.ok())
        return context.error();
    auto impl = std::make_unique<Impl>();
    impl->context = context.value();
    return std::shared_ptr<GLContext>(new GLContext(api, std::move(sharegroup), std::move(impl)));
}

bool GLContext::setCurrentContext(const std::shared_ptr<GLContext>& context)
{
    if (currentSlot.context == context)
        return true;
    const DisplayState& display = sharedDisplay();
    if (display.display == EGL_NO_DISPLAY)
        return context == nullptr;
    EGLContext native = context ? context->_impl->context : EGL_NO_CONTEXT;
    if (eglMakeCurrent(display.display, EGL_NO_SURFACE, EGL_NO_SURFACE, native) != EGL_TRUE) {
        log("GLContext: cannot make a context current: {}", eglErrorText(eglGetError()));
        return false;
    }
    currentSlot.context = context;
    return true;
}

std::shared_ptr<GLContext> GLContext::currentContext()
{
    return currentSlot.context;
}

bool GLContext::sharesObjectsWith(const GLContext& other) const
{
    return this == &other || (_sharegroup && _sharegroup == other._sharegroup);
}

}  // namespace plat
