#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/foundation/Geometry.h"

namespace plat {
class DispatchQueue;
class GLContext;
class GLSharegroup;
}  // namespace plat

namespace zt {
class GLProgram;

// Runs block on the context queue and returns after it ran; inline when the
// caller already runs there, so nested calls never deadlock. Once the
// process has begun to exit, blocks from outside the queue are dropped. Every GL call of
// the pipeline goes through these two functions: a block that leaves the
// queue gives the context back to whatever was current on its thread, since
// the queue's blocks run on different threads and a context is current on
// one thread at a time.
void runSynchronouslyOnContextQueue(const std::function<void()>& block);
// The same without waiting: inline on the context queue, else queued.
void runAsynchronouslyOnContextQueue(std::function<void()> block);

// The one OpenGL ES 2.0 context of the pipeline, its serial queue and its
// cache of shader programs. Created once per process and never destroyed.
// The context, the cache and the current program belong to the context
// queue; the queue and the class operations may be used from any thread.
class GLImageContext {
public:
    static GLImageContext& sharedImageProcessingContext();
    static plat::DispatchQueue& sharedContextQueue();
    static const void* contextKey();

    // Context queue: make the context current on the running thread.
    static void useImageProcessingContext();
    // Context queue: switches GL's program only when it changes.
    static void setActiveShaderProgram(const std::shared_ptr<GLProgram>& program);

    // Asked of GL once per process.
    static int32_t maximumTextureSizeForThisDevice();
    static int32_t maximumTextureUnitsForThisDevice();
    static int32_t maximumVaryingVectorsForThisDevice();
    static bool deviceSupportsOpenGLESExtension(const std::string& extension);
    static bool deviceSupportsRedTextures();
    static bool deviceSupportsFramebufferReads();
    // The texture cache of pixel buffers (plat::GLTextureCache) is always there.
    static bool supportsFastTextureUpload();
    static plat::Size sizeThatFitsWithinATextureForSize(plat::Size inputSize);

    plat::DispatchQueue& contextQueue() { return *_contextQueue; }
    // Created on first use; aborts with a clear message when OpenGL ES 2.0
    // cannot be had (no EGL, no surfaceless platform).
    const std::shared_ptr<plat::GLContext>& context();
    // Before the first use of context() only.
    void useSharegroup(std::shared_ptr<plat::GLSharegroup> sharegroup);
    void presentBufferForDisplay();

    // Context queue. The program for the pair of sources, made and cached on
    // first request; the caller links it when it is not yet initialized.
    std::shared_ptr<GLProgram> programForVertexShaderString(
        const std::string& vertexShaderString, const std::string& fragmentShaderString);
    const std::shared_ptr<GLProgram>& currentShaderProgram() const { return _currentShaderProgram; }

    // Once the process has begun to exit and the queued work has finished,
    // blocks from outside the queue are no longer run: EGL goes next.
    void closeForExit() { _closedForExit = true; }
    bool isClosedForExit() const { return _closedForExit.load(); }

    GLImageContext(const GLImageContext&) = delete;
    GLImageContext& operator=(const GLImageContext&) = delete;

private:
    GLImageContext();
    void createContext();

    std::shared_ptr<plat::DispatchQueue> _contextQueue;
    std::map<std::string, std::shared_ptr<GLProgram>> shaderProgramCache;  // context queue
    std::shared_ptr<plat::GLSharegroup> _sharegroup;  // context queue
    std::shared_ptr<plat::GLContext> _context;  // context queue
    std::shared_ptr<GLProgram> _currentShaderProgram;  // context queue
    std::atomic<bool> _closedForExit {false};
};

namespace detail {
// Fits a size in pixels into a square texture of maximumTextureSize a side,
// keeping its aspect ratio; a side equal to the maximum counts as too large.
plat::Size sizeThatFitsWithinTexture(plat::Size inputSize, double maximumTextureSize);
}  // namespace detail

}  // namespace zt
