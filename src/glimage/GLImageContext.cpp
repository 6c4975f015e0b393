#include "glimage/GLImageContext.h"

#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <unistd.h>
#include <vector>

#include "glimage/GLProgram.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Once.h"
#include "platform/gl/GLContext.h"

namespace zt {

namespace {

constexpr const char* kContextQueueLabel = "com.lanternfield.GLImage.openGLESContextQueue";

// Set by the context's constructor to its own address.
const void* gContextKey = nullptr;

// Runs a block that entered the context queue from outside, then hands the
// thread back the context it had before.
void runAsContextQueueTurn(const std::function<void()>& block)
{
    auto previous = plat::GLContext::currentContext();
    block();
    if (plat::GLContext::currentContext() != previous)
        plat::GLContext::setCurrentContext(previous);
}

// The same for a queued block, which is also destroyed here: what it
// captured may be the last owner of a filter, whose destructor needs the
// context queue, and the queue counts as current only while the block runs.
void runQueuedContextQueueTurn(std::function<void()>& block)
{
    auto previous = plat::GLContext::currentContext();
    block();
    block = nullptr;
    if (plat::GLContext::currentContext() != previous)
        plat::GLContext::setCurrentContext(previous);
}

// Runs a query of GL once per process. The once is entered on the context
// queue only: a thread that held it while it waited for the queue would
// deadlock against a block there making the same first call.
void queryOnceOnContextQueue(plat::OnceFlag& once, std::atomic<bool>& answered, const std::function<void()>& query)
{
    if (answered.load(std::memory_order_acquire))
        return;
    runSynchronouslyOnContextQueue([&] {
        plat::dispatchOnce(once, [&] {
            GLImageContext::useImageProcessingContext();
            query();
            answered.store(true, std::memory_order_release);
        });
    });
}

int32_t queryInteger(plat::OnceFlag& once, std::atomic<bool>& answered, int32_t& value, unsigned int name)
{
    queryOnceOnContextQueue(once, answered, [&] { glGetIntegerv(name, &value); });
    return value;
}

const std::vector<std::string>& extensionNames()
{
    static plat::OnceFlag once;
    static std::atomic<bool> answered = false;
    static std::vector<std::string>* names = nullptr;
    queryOnceOnContextQueue(once, answered, [] {
        names = new std::vector<std::string>();
        const auto* text = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        std::istringstream words(text ? text : "");
        for (std::string word; words >> word;)
            names->push_back(word);
    });
    return *names;
}

// Lets the blocks queued so far finish while the process exits, and turns
// away what comes later. Registered right after the first context is made,
// so after EGL registered its own teardown: exit runs its handlers in
// reverse order, so this one runs first. A block running after EGL's
// display has gone cannot make the context current and aborts the process;
// other threads (a camera's, a movie's) may still hand over frames then.
void finishQueuedWorkBeforeEGLGoes()
{
    auto& context = GLImageContext::sharedImageProcessingContext();
    context.closeForExit();
    auto& queue = context.contextQueue();
    if (!queue.isCurrent())
        queue.sync([] {});
}

// The exit handler alone comes too late: the driver's compiler registers
// handlers of its own as it first compiles a shader, after ours, and those
// run first and tear down what a queued draw still needs. exit() destroys
// the exiting thread's thread-locals before it runs any handler, so the
// initial thread's one finishes the queued work while every library is
// still whole. The handler stays for an exit from another thread.
class FinishQueuedWorkWhenTheInitialThreadExits {
public:
    FinishQueuedWorkWhenTheInitialThreadExits()
        : _isInitialThread(::gettid() == ::getpid())
    {
    }
    ~FinishQueuedWorkWhenTheInitialThreadExits()
    {
        // Other threads end while the process goes on.
        if (_isInitialThread)
            finishQueuedWorkBeforeEGLGoes();
    }
    // Makes the calling thread's one, whose destructor runs when the thread ends.
    void arm() const { }

private:
    const bool _isInitialThread;
};
thread_local FinishQueuedWorkWhenTheInitialThreadExits finishWhenTheInitialThreadExits;

// The driver registers exit handlers of its own the first time a picture is
// uploaded (its format tables), and a handler registered later runs earlier:
// one tiny upload before ours is registered lets ours run first, while the
// tables are still there for the work it finishes.
void warmUpDriverBeforeExitHandler()
{
    const uint8_t pixel[4] = {0, 0, 0, 255};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_BGRA_EXT, GL_UNSIGNED_BYTE, pixel);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &texture);
}

}  // namespace

void runSynchronouslyOnContextQueue(const std::function<void()>& block)
{
    finishWhenTheInitialThreadExits.arm();
    auto& context = GLImageContext::sharedImageProcessingContext();
    auto& queue = context.contextQueue();
    if (queue.isCurrent()) {
        block();
        return;
    }
    if (context.isClosedForExit())
        return;
    queue.sync([&block] { runAsContextQueueTurn(block); });
}

void runAsynchronouslyOnContextQueue(std::function<void()> block)
{
    finishWhenTheInitialThreadExits.arm();
    auto& context = GLImageContext::sharedImageProcessingContext();
    auto& queue = context.contextQueue();
    if (queue.isCurrent()) {
        block();
        return;
    }
    if (context.isClosedForExit())
        return;
    queue.async([block = std::move(block)]() mutable { runQueuedContextQueueTurn(block); });
}

GLImageContext::GLImageContext()
    : _contextQueue(plat::DispatchQueue::create(kContextQueueLabel))
{
    gContextKey = &gContextKey;
}

GLImageContext& GLImageContext::sharedImageProcessingContext()
{
    // Never destroyed: filters held in statics may still use it at exit.
    static plat::OnceFlag once;
    static GLImageContext* shared = nullptr;
    plat::dispatchOnce(once, [] { shared = new GLImageContext(); });
    return *shared;
}

plat::DispatchQueue& GLImageContext::sharedContextQueue()
{
    return sharedImageProcessingContext().contextQueue();
}

const void* GLImageContext::contextKey()
{
    sharedImageProcessingContext();
    return gContextKey;
}

void GLImageContext::useImageProcessingContext()
{
    const auto& context = sharedImageProcessingContext().context();
    if (plat::GLContext::currentContext() == context)
        return;
    if (!plat::GLContext::setCurrentContext(context))
        plat::detail::fatal(
            "GLImageContext: the context is current on another thread; GL work belongs on '{}'", kContextQueueLabel);
}

void GLImageContext::setActiveShaderProgram(const std::shared_ptr<GLProgram>& program)
{
    useImageProcessingContext();
    auto& shared = sharedImageProcessingContext();
    if (shared._currentShaderProgram != program) {
        shared._currentShaderProgram = program;
        program->use();
    }
}

int32_t GLImageContext::maximumTextureSizeForThisDevice()
{
    static plat::OnceFlag once;
    static std::atomic<bool> answered = false;
    static int32_t value = 0;
    return queryInteger(once, answered, value, GL_MAX_TEXTURE_SIZE);
}

int32_t GLImageContext::maximumTextureUnitsForThisDevice()
{
    static plat::OnceFlag once;
    static std::atomic<bool> answered = false;
    static int32_t value = 0;
    return queryInteger(once, answered, value, GL_MAX_TEXTURE_IMAGE_UNITS);
}

int32_t GLImageContext::maximumVaryingVectorsForThisDevice()
{
    static plat::OnceFlag once;
    static std::atomic<bool> answered = false;
    static int32_t value = 0;
    return queryInteger(once, answered, value, GL_MAX_VARYING_VECTORS);
}

bool GLImageContext::deviceSupportsOpenGLESExtension(const std::string& extension)
{
    const auto& names = extensionNames();
    return std::find(names.begin(), names.end(), extension) != names.end();
}

// No static of their own: its initialisation would be a second once held
// while the list of names waits for the context queue.
bool GLImageContext::deviceSupportsRedTextures()
{
    return deviceSupportsOpenGLESExtension("GL_EXT_texture_rg");
}

bool GLImageContext::deviceSupportsFramebufferReads()
{
    return deviceSupportsOpenGLESExtension("GL_EXT_shader_framebuffer_fetch");
}

bool GLImageContext::supportsFastTextureUpload()
{
    return true;
}

plat::Size GLImageContext::sizeThatFitsWithinATextureForSize(plat::Size inputSize)
{
    return detail::sizeThatFitsWithinTexture(inputSize, maximumTextureSizeForThisDevice());
}

plat::Size detail::sizeThatFitsWithinTexture(plat::Size inputSize, double maximumTextureSize)
{
    if (maximumTextureSize > inputSize.width && maximumTextureSize > inputSize.height)
        return inputSize;
    if (inputSize.width > inputSize.height)
        return {maximumTextureSize, maximumTextureSize / inputSize.width * inputSize.height};
    return {maximumTextureSize / inputSize.height * inputSize.width, maximumTextureSize};
}

const std::shared_ptr<plat::GLContext>& GLImageContext::context()
{
    if (!_context) {
        createContext();
        if (!plat::GLContext::setCurrentContext(_context))
            plat::detail::fatal("GLImageContext: cannot make the new context current");
        glDisable(GL_DEPTH_TEST);
        warmUpDriverBeforeExitHandler();
        if (std::atexit(finishQueuedWorkBeforeEGLGoes) != 0)
            plat::log("GLImageContext: cannot finish queued GL work at exit");
    }
    return _context;
}

void GLImageContext::createContext()
{
    auto created = plat::GLContext::create(plat::GLRenderingAPI::OpenGLES2, _sharegroup);
    if (!created.ok())
        plat::detail::fatal("Unable to create an OpenGL ES 2.0 context. The GLImage framework requires OpenGL ES 2.0 "
                            "support to work. ({})",
            created.error().localizedDescription());
    _context = created.value();
}

void GLImageContext::useSharegroup(std::shared_ptr<plat::GLSharegroup> sharegroup)
{
    _sharegroup = std::move(sharegroup);
    if (_context)
        plat::detail::fatal("Unable to use a share group when the context has already been created. Call this method "
                            "before you use the context for the first time.");
}

void GLImageContext::presentBufferForDisplay()
{
    context()->presentRenderbuffer(GL_RENDERBUFFER);
}

std::shared_ptr<GLProgram> GLImageContext::programForVertexShaderString(
    const std::string& vertexShaderString, const std::string& fragmentShaderString)
{
    const std::string key = "V: " + vertexShaderString + " - F: " + fragmentShaderString;
    auto found = shaderProgramCache.find(key);
    if (found != shaderProgramCache.end())
        return found->second;
    auto program = std::make_shared<GLProgram>(vertexShaderString, fragmentShaderString);
    shaderProgramCache.emplace(key, program);
    return program;
}

}  // namespace zt
