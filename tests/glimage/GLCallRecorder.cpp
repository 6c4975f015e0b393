#include "GLCallRecorder.h"

#include <GLES3/gl31.h>
#include <atomic>
#include <dlfcn.h>
#include <mutex>

#include "glimage/GLImageContext.h"
#include "platform/foundation/DispatchQueue.h"

namespace {

std::atomic<bool> gRecording = false;
std::atomic<uint64_t> gCallsOnQueue = 0;
std::atomic<uint64_t> gSamplerObjectBindings = 0;
std::mutex gOffQueueLock;
std::vector<std::string> gCallsOffQueue;  // guarded by gOffQueueLock

void noteCall(const char* name)
{
    if (!gRecording.load())
        return;
    if (zt::GLImageContext::sharedContextQueue().isCurrent()) {
        ++gCallsOnQueue;
        return;
    }
    std::lock_guard lock(gOffQueueLock);
    gCallsOffQueue.emplace_back(name);
}

template <typename Function> Function realFunction(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

namespace zt::test {

GLCallRecorder::GLCallRecorder()
{
    {
        std::lock_guard lock(gOffQueueLock);
        gCallsOffQueue.clear();
    }
    gCallsOnQueue = 0;
    gSamplerObjectBindings = 0;
    gRecording = true;
}

GLCallRecorder::~GLCallRecorder()
{
    gRecording = false;
}

uint64_t GLCallRecorder::callsOnTheContextQueue() const
{
    return gCallsOnQueue.load();
}

std::vector<std::string> GLCallRecorder::callsOffTheContextQueue() const
{
    std::lock_guard lock(gOffQueueLock);
    return gCallsOffQueue;
}

uint64_t GLCallRecorder::samplerObjectBindings() const
{
    return gSamplerObjectBindings.load();
}

}  // namespace zt::test

// The entry points the pipeline's filters use, each noted and passed on.
#define ZT_RECORDED_GL_CALL(returnType, name, parameters, arguments)                                                   \
    extern "C" GL_APICALL returnType GL_APIENTRY name parameters                                                       \
    {                                                                                                                  \
        noteCall(#name);                                                                                               \
        static const auto real = realFunction<returnType(GL_APIENTRY*) parameters>(#name);                             \
        return real arguments;                                                                                         \
    }

ZT_RECORDED_GL_CALL(void, glActiveTexture, (GLenum texture), (texture))
ZT_RECORDED_GL_CALL(void, glBindFramebuffer, (GLenum target, GLuint framebuffer), (target, framebuffer))
ZT_RECORDED_GL_CALL(void, glBindTexture, (GLenum target, GLuint texture), (target, texture))
ZT_RECORDED_GL_CALL(void, glBlendEquation, (GLenum mode), (mode))
ZT_RECORDED_GL_CALL(void, glBlendFunc, (GLenum sfactor, GLenum dfactor), (sfactor, dfactor))
ZT_RECORDED_GL_CALL(void, glBlendFuncSeparate, (GLenum srcRGB, GLenum dstRGB, GLenum srcAlpha, GLenum dstAlpha),
    (srcRGB, dstRGB, srcAlpha, dstAlpha))
ZT_RECORDED_GL_CALL(GLenum, glCheckFramebufferStatus, (GLenum target), (target))
ZT_RECORDED_GL_CALL(void, glClear, (GLbitfield mask), (mask))
ZT_RECORDED_GL_CALL(void, glClearColor, (GLfloat r, GLfloat g, GLfloat b, GLfloat a), (r, g, b, a))
ZT_RECORDED_GL_CALL(void, glDeleteFramebuffers, (GLsizei n, const GLuint* names), (n, names))
ZT_RECORDED_GL_CALL(void, glDeleteTextures, (GLsizei n, const GLuint* names), (n, names))
ZT_RECORDED_GL_CALL(void, glDisable, (GLenum capability), (capability))
ZT_RECORDED_GL_CALL(void, glDisableVertexAttribArray, (GLuint index), (index))
ZT_RECORDED_GL_CALL(void, glDrawArrays, (GLenum mode, GLint first, GLsizei count), (mode, first, count))
ZT_RECORDED_GL_CALL(void, glEnable, (GLenum capability), (capability))
ZT_RECORDED_GL_CALL(void, glEnableVertexAttribArray, (GLuint index), (index))
ZT_RECORDED_GL_CALL(void, glFinish, (), ())
ZT_RECORDED_GL_CALL(void, glFramebufferTexture2D,
    (GLenum target, GLenum attachment, GLenum textarget, GLuint texture, GLint level),
    (target, attachment, textarget, texture, level))
ZT_RECORDED_GL_CALL(void, glGenFramebuffers, (GLsizei n, GLuint* names), (n, names))
ZT_RECORDED_GL_CALL(void, glGenTextures, (GLsizei n, GLuint* names), (n, names))
ZT_RECORDED_GL_CALL(GLint, glGetUniformLocation, (GLuint program, const GLchar* name), (program, name))
ZT_RECORDED_GL_CALL(void, glLineWidth, (GLfloat width), (width))
ZT_RECORDED_GL_CALL(void, glLinkProgram, (GLuint program), (program))
ZT_RECORDED_GL_CALL(void, glPixelStorei, (GLenum pname, GLint param), (pname, param))
ZT_RECORDED_GL_CALL(void, glReadPixels,
    (GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* pixels),
    (x, y, width, height, format, type, pixels))
ZT_RECORDED_GL_CALL(void, glTexImage2D,
    (GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height, GLint border, GLenum format,
        GLenum type, const void* pixels),
    (target, level, internalformat, width, height, border, format, type, pixels))
ZT_RECORDED_GL_CALL(void, glTexParameteri, (GLenum target, GLenum pname, GLint param), (target, pname, param))
ZT_RECORDED_GL_CALL(void, glUniform1f, (GLint location, GLfloat v0), (location, v0))
ZT_RECORDED_GL_CALL(void, glUniform1i, (GLint location, GLint v0), (location, v0))
ZT_RECORDED_GL_CALL(void, glUniform2f, (GLint location, GLfloat v0, GLfloat v1), (location, v0, v1))
ZT_RECORDED_GL_CALL(void, glUniform1fv, (GLint location, GLsizei count, const GLfloat* value), (location, count, value))
ZT_RECORDED_GL_CALL(void, glUniform3fv, (GLint location, GLsizei count, const GLfloat* value), (location, count, value))
ZT_RECORDED_GL_CALL(void, glUniform4fv, (GLint location, GLsizei count, const GLfloat* value), (location, count, value))
ZT_RECORDED_GL_CALL(void, glUniformMatrix3fv,
    (GLint location, GLsizei count, GLboolean transpose, const GLfloat* value), (location, count, transpose, value))
ZT_RECORDED_GL_CALL(void, glUniformMatrix4fv,
    (GLint location, GLsizei count, GLboolean transpose, const GLfloat* value), (location, count, transpose, value))
ZT_RECORDED_GL_CALL(void, glUseProgram, (GLuint program), (program))
ZT_RECORDED_GL_CALL(void, glVertexAttribPointer,
    (GLuint index, GLint size, GLenum type, GLboolean normalized, GLsizei stride, const void* pointer),
    (index, size, type, normalized, stride, pointer))
ZT_RECORDED_GL_CALL(void, glViewport, (GLint x, GLint y, GLsizei width, GLsizei height), (x, y, width, height))

extern "C" GL_APICALL void GL_APIENTRY glBindSampler(GLuint unit, GLuint sampler)
{
    noteCall("glBindSampler");
    if (sampler != 0 && gRecording.load())
        ++gSamplerObjectBindings;
    static const auto real = realFunction<void(GL_APIENTRY*)(GLuint, GLuint)>("glBindSampler");
    real(unit, sampler);
}
