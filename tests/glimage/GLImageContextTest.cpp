#include <GLES2/gl2.h>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

#include "GLImageTestSupport.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageFilter.h"
#include "glimage/GLImagePicture.h"
#include "glimage/GLProgram.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Semaphore.h"

namespace {

using zt::GLImageContext;

TEST(GLImageContext, FitsSizesIntoTheLargestTexture)
{
    using zt::detail::sizeThatFitsWithinTexture;
    EXPECT_EQ(sizeThatFitsWithinTexture({1000, 500}, 2048), (plat::Size {1000, 500}));
    EXPECT_EQ(sizeThatFitsWithinTexture({4096, 1024}, 2048), (plat::Size {2048, 512}));
    EXPECT_EQ(sizeThatFitsWithinTexture({1024, 4096}, 2048), (plat::Size {512, 2048}));
    EXPECT_EQ(sizeThatFitsWithinTexture({2048, 100}, 2048), (plat::Size {2048, 100}));
    EXPECT_EQ(sizeThatFitsWithinTexture({3000, 3000}, 2048), (plat::Size {2048, 2048}));
    EXPECT_EQ(sizeThatFitsWithinTexture({5000, 3000}, 4096), (plat::Size {4096, 2457.6}));
}

TEST(GLImageContext, AsksTheDeviceItsLimitsOnce)
{
    EXPECT_GE(GLImageContext::maximumTextureSizeForThisDevice(), 2048);
    EXPECT_GE(GLImageContext::maximumTextureUnitsForThisDevice(), 8);
    EXPECT_GE(GLImageContext::maximumVaryingVectorsForThisDevice(), 8);
    EXPECT_TRUE(GLImageContext::deviceSupportsOpenGLESExtension("GL_EXT_texture_format_BGRA8888"));
    EXPECT_FALSE(GLImageContext::deviceSupportsOpenGLESExtension("GL_EXT_texture"));
    EXPECT_NE(GLImageContext::contextKey(), nullptr);
}

TEST(GLImageContext, RunsABlockInlineWhenAlreadyOnTheContextQueue)
{
    std::vector<int> order;
    zt::runSynchronouslyOnContextQueue([&] {
        EXPECT_TRUE(GLImageContext::sharedContextQueue().isCurrent());
        zt::runSynchronouslyOnContextQueue([&] { order.push_back(1); });
        zt::runAsynchronouslyOnContextQueue([&] { order.push_back(2); });
        order.push_back(3);
    });
    EXPECT_EQ(order, (std::vector<int> {1, 2, 3}));
    EXPECT_FALSE(GLImageContext::sharedContextQueue().isCurrent());
}

TEST(GLImageContext, SharesOneProgramBetweenFiltersOfTheSameSources)
{
    // The shared context keeps its programs for the whole run: a source it has not seen yet.
    static int runs = 0;
    const std::string fragment
        = "varying highp vec2 textureCoordinate;\nuniform sampler2D inputImageTexture;\n"
          "void main() { gl_FragColor = texture2D(inputImageTexture, textureCoordinate).bgra; }\n// run "
        + std::to_string(++runs) + "\n";
    std::shared_ptr<zt::GLProgram> first, second;
    zt::runSynchronouslyOnContextQueue([&] {
        first = GLImageContext::sharedImageProcessingContext().programForVertexShaderString(
            zt::kGLImageVertexShaderString, fragment);
    });
    EXPECT_FALSE(first->initialized());
    auto filterA = std::make_shared<zt::GLImageFilter>(fragment);
    EXPECT_TRUE(first->initialized());
    auto filterB = std::make_shared<zt::GLImageFilter>(fragment);
    zt::runSynchronouslyOnContextQueue([&] {
        second = GLImageContext::sharedImageProcessingContext().programForVertexShaderString(
            zt::kGLImageVertexShaderString, fragment);
    });
    EXPECT_EQ(first, second);
}

// Whether the thread is asleep (blocked on a lock or a condition), from the kernel's view of it.
bool threadIsAsleep(pid_t tid)
{
    std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto end = line.rfind(')');
    return end != std::string::npos && end + 2 < line.size() && line[end + 2] == 'S';
}

// In a fresh process: another thread makes the first call of query and waits
// for the busy context queue; then the block running there makes its own
// first call. Exits 0 when both calls return.
void firstCallsFromTheQueueAndFromOutside(const std::function<void()>& query)
{
    constexpr double kGenerous = 20.0;
    plat::Semaphore release, bothReturned;
    std::atomic<pid_t> outsideThread = 0;
    GLImageContext::sharedContextQueue().async([&] {
        if (!release.wait(kGenerous))
            std::_Exit(2);
        query();
        bothReturned.signal();
    });
    std::thread outside([&] {
        outsideThread = gettid();
        query();
        bothReturned.signal();
    });
    while (outsideThread == 0 || !threadIsAsleep(outsideThread))
        std::this_thread::yield();
    release.signal();
    const bool returned = bothReturned.wait(kGenerous) && bothReturned.wait(kGenerous);
    if (!returned)
        std::_Exit(1);  // the threads are stuck: no orderly exit
    outside.join();
    std::exit(0);
}

TEST(GLImageContextDeathTest, FirstQueriesFromTheQueueAndAnotherThreadAtOnceBothReturn)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::function<void()> queries[] = {
        [] { (void)GLImageContext::maximumTextureSizeForThisDevice(); },
        [] { (void)GLImageContext::maximumTextureUnitsForThisDevice(); },
        [] { (void)GLImageContext::maximumVaryingVectorsForThisDevice(); },
        [] { (void)GLImageContext::deviceSupportsOpenGLESExtension("GL_EXT_texture_format_BGRA8888"); },
        [] { (void)GLImageContext::deviceSupportsRedTextures(); },
        [] { (void)GLImageContext::deviceSupportsFramebufferReads(); },
        [] {
            (void)GLImageContext::sizeThatFitsWithinATextureForSize({100, 50});
        },
    };
    for (size_t i = 0; i < std::size(queries); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EXIT(firstCallsFromTheQueueAndFromOutside(queries[i]), ::testing::ExitedWithCode(0), "");
    }
}

// exit() destroys the exiting thread's thread-locals, then runs the exit
// handlers in reverse order of registration.
std::atomic<bool> gQueuedWorkFinished = false;
std::atomic<bool> gQueuedWorkFinishedBeforeALaterHandler = false;
plat::Semaphore gReleaseQueuedWork;

// Made on the main thread after the pipeline's first use there, so it is
// the first to go when the process begins to exit.
struct ReleaseQueuedWorkWhenExitBegins {
    ~ReleaseQueuedWorkWhenExitBegins() { gReleaseQueuedWork.signal(); }
    void arm() const { }
};
thread_local ReleaseQueuedWorkWhenExitBegins releaseQueuedWorkWhenExitBegins;

// Registered after the first context was made, as the driver registers its
// own when it first compiles a shader: it runs before EGL's teardown and may
// take down what a draw needs, so the queued work must be done by then.
void noteWhetherTheQueuedWorkFinished()
{
    gQueuedWorkFinishedBeforeALaterHandler = gQueuedWorkFinished.load();
}

// Registered before the first context, so it runs after EGL's teardown.
void exitTellingWhetherTheQueuedWorkFinished()
{
    std::_Exit(gQueuedWorkFinishedBeforeALaterHandler ? 0 : 3);
}

// In a fresh process: queues a render and a read-back that may start only
// once the process has begun to exit, then exits. Exits 0 when the work
// ran whole before an exit handler registered after the context ran, 3
// when it had not finished.
void exitWithGLWorkQueued()
{
    std::atexit(exitTellingWhetherTheQueuedWorkFinished);
    auto input = zt::test::makeColourRamp(256, 256);
    auto filter = std::make_shared<zt::GLImageFilter>();  // makes the context
    auto picture = std::make_shared<zt::GLImagePicture>(*input);
    picture->addTarget(filter);
    std::atexit(noteWhetherTheQueuedWorkFinished);
    releaseQueuedWorkWhenExitBegins.arm();
    zt::runAsynchronouslyOnContextQueue([picture, filter, release = gReleaseQueuedWork]() mutable {
        if (!release.wait(20.0))
            std::_Exit(2);
        picture->processImage();
        if (filter->newCGImageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up))
            gQueuedWorkFinished = true;
    });
    std::exit(0);
}

TEST(GLImageContextDeathTest, WorkQueuedAtExitFinishesBeforeEGLGoes)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(exitWithGLWorkQueued(), ::testing::ExitedWithCode(0), "");
}

// Registered before the first context, so it runs after EGL's teardown:
// a frame handed over then, as a camera's thread may still do, must not
// reach GL. Exits 0 when the hand-over was turned away.
void handOverGLWorkAfterEGLWent()
{
    zt::runAsynchronouslyOnContextQueue([] {
        zt::GLImageContext::useImageProcessingContext();
        glFinish();
    });
    zt::runSynchronouslyOnContextQueue([] { std::_Exit(4); });
    // Straight through the queue: whatever was queued has run once this returns.
    zt::GLImageContext::sharedContextQueue().sync([] {});
    std::_Exit(0);
}

void exitWhileWorkKeepsComing()
{
    std::atexit(handOverGLWorkAfterEGLWent);
    auto filter = std::make_shared<zt::GLImageFilter>();  // makes the context
    std::exit(0);
}

TEST(GLImageContextDeathTest, WorkHandedOverAfterExitBeganIsTurnedAway)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(exitWhileWorkKeepsComing(), ::testing::ExitedWithCode(0), "");
}

TEST(GLProgram, KeepsOneLocationPerAttribute)
{
    zt::runSynchronouslyOnContextQueue([] {
        zt::GLProgram program(zt::kGLImageVertexShaderString, zt::kGLImagePassthroughFragmentShaderString);
        program.addAttribute("position");
        program.addAttribute("position");
        program.addAttribute("inputTextureCoordinate");
        EXPECT_EQ(program.attributeIndex("position"), 0);
        EXPECT_EQ(program.attributeIndex("inputTextureCoordinate"), 1);
        EXPECT_EQ(program.attributeIndex("missing"), plat::kNotFound);
        ASSERT_TRUE(program.link());
        EXPECT_TRUE(program.initialized());
        GLint location = -1;
        location = glGetAttribLocation(program.program(), "inputTextureCoordinate");
        EXPECT_EQ(location, 1);
        EXPECT_GE(program.uniformIndex("inputImageTexture"), 0);
        EXPECT_EQ(program.uniformIndex("missing"), -1);
        // The shaders are gone after linking: no logs to read.
        EXPECT_FALSE(program.vertexShaderLog());
    });
}

TEST(GLProgram, ReportsABrokenShaderThroughItsLogAndAFailedLink)
{
    zt::runSynchronouslyOnContextQueue([] {
        zt::GLProgram program(zt::kGLImageVertexShaderString, "void main() { gl_FragColor = undefinedThing; }");
        EXPECT_FALSE(program.link());
        EXPECT_FALSE(program.initialized());
        auto log = program.fragmentShaderLog();
        ASSERT_TRUE(log);
        EXPECT_NE(log->find("undefinedThing"), std::string::npos);
    });
}

TEST(GLProgram, AnEmptyInfoLogIsNone)
{
    zt::runSynchronouslyOnContextQueue([] {
        zt::GLProgram program(zt::kGLImageVertexShaderString, zt::kGLImagePassthroughFragmentShaderString);
        GLuint shader = glCreateShader(GL_VERTEX_SHADER);
        EXPECT_FALSE(zt::GLProgram::logForOpenGLObject(shader, glGetShaderiv, glGetShaderInfoLog));
        glDeleteShader(shader);
    });
}

}  // namespace
