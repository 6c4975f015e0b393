#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>
#include <gtest/gtest.h>
#include <thread>

#include "platform/gl/GLContext.h"
#include "platform/gl/GLProcAddress.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/ui/EAGLLayer.h"
#include "support/ManualClockScope.h"
#include "support/RunLoopWaiting.h"

namespace {

using plat::GLContext;
using plat::GLRenderingAPI;

std::array<int, 4> pixelOf(const plat::Image& image, int x, int y)
{
    const uint8_t* p = image.bitmap()->row(y) + x * 4;
    if (image.bitmap()->order() == plat::PixelOrder::BGRA)
        return {p[2], p[1], p[0], p[3]};
    return {p[0], p[1], p[2], p[3]};
}

// A framebuffer whose colour renderbuffer has its storage from the layer.
struct DrawableTarget {
    GLuint framebuffer = 0;
    GLuint renderbuffer = 0;
};

DrawableTarget attach(GLContext& context, const std::shared_ptr<plat::EAGLLayer>& layer, bool* stored)
{
    DrawableTarget target;
    glGenFramebuffers(1, &target.framebuffer);
    glGenRenderbuffers(1, &target.renderbuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, target.renderbuffer);
    *stored = context.renderbufferStorage(GL_RENDERBUFFER, layer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, target.renderbuffer);
    return target;
}

// Clears the lower half to one colour and the upper half to another.
void clearHalves()
{
    GLint size[4] = {};
    glGetIntegerv(GL_VIEWPORT, size);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 1000, 4);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glScissor(0, 4, 1000, 1000);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

class GLDrawableLayer : public ::testing::Test {
protected:
    GLDrawableLayer()
    {
        layer->setBounds(plat::makeRect(0, 0, 8, 4));
        layer->setContentsScale(2);
    }
    ~GLDrawableLayer() override { GLContext::setCurrentContext(nullptr); }

    plat::test::ManualClockScope clock;
    std::shared_ptr<plat::EAGLLayer> layer = plat::EAGLLayer::layer();
};

}  // namespace

TEST_F(GLDrawableLayer, APresentedRenderbufferBecomesTheLayersPictureUpright)
{
    auto context = GLContext::create(GLRenderingAPI::OpenGLES2);
    ASSERT_TRUE(context.ok());
    ASSERT_TRUE(GLContext::setCurrentContext(context.value()));
    bool stored = false;
    auto target = attach(*context.value(), layer, &stored);
    ASSERT_TRUE(stored);
    GLint width = 0;
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &width);
    EXPECT_EQ(width, 16);
    ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    clearHalves();
    ASSERT_TRUE(context.value()->presentRenderbuffer(GL_RENDERBUFFER));
    auto shown = layer->contents();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->bitmap()->width(), 16);
    EXPECT_EQ(shown->bitmap()->height(), 8);
    EXPECT_DOUBLE_EQ(shown->scale(), 2);
    // GL's bottom rows are the picture's bottom rows.
    EXPECT_EQ(pixelOf(*shown, 3, 7), (std::array {255, 0, 0, 255}));
    EXPECT_EQ(pixelOf(*shown, 3, 0), (std::array {0, 0, 255, 255}));
    // The application's framebuffer binding is left alone.
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(GLuint(bound), target.framebuffer);
    glDeleteFramebuffers(1, &target.framebuffer);
    glDeleteRenderbuffers(1, &target.renderbuffer);
}

TEST_F(GLDrawableLayer, APresentFromTheContextsOwnThreadReachesTheLayerOnTheMainQueue)
{
    auto context = GLContext::create(GLRenderingAPI::OpenGLES2);
    ASSERT_TRUE(context.ok());
    layer->layoutSublayers();  // the size other threads see
    bool stored = false;
    bool presented = false;
    std::thread renderer([&] {
        GLContext::setCurrentContext(context.value());
        auto target = attach(*context.value(), layer, &stored);
        clearHalves();
        presented = context.value()->presentRenderbuffer(GL_RENDERBUFFER);
        glDeleteFramebuffers(1, &target.framebuffer);
        glDeleteRenderbuffers(1, &target.renderbuffer);
        GLContext::setCurrentContext(nullptr);
    });
    renderer.join();
    ASSERT_TRUE(stored);
    ASSERT_TRUE(presented);
    EXPECT_FALSE(layer->contents());  // not before the main queue runs
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return layer->contents() != nullptr; }));
    EXPECT_EQ(pixelOf(*layer->contents(), 0, 7), (std::array {255, 0, 0, 255}));
}

TEST_F(GLDrawableLayer, AnOpenGLES1ContextGetsStorageThroughItsExtension)
{
    auto context = GLContext::create(GLRenderingAPI::OpenGLES1);
    ASSERT_TRUE(context.ok());
    ASSERT_TRUE(GLContext::setCurrentContext(context.value()));
    using GenFunction = void (*)(GLsizei, GLuint*);
    using BindFunction = void (*)(GLenum, GLuint);
    auto genRenderbuffers = reinterpret_cast<GenFunction>(plat::glProcAddress("glGenRenderbuffersOES"));
    auto bindRenderbuffer = reinterpret_cast<BindFunction>(plat::glProcAddress("glBindRenderbufferOES"));
    ASSERT_TRUE(genRenderbuffers && bindRenderbuffer);
    GLuint renderbuffer = 0;
    genRenderbuffers(1, &renderbuffer);
    bindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
    EXPECT_TRUE(context.value()->renderbufferStorage(GL_RENDERBUFFER, layer));
    EXPECT_TRUE(context.value()->presentRenderbuffer(GL_RENDERBUFFER));
    EXPECT_TRUE(layer->contents());
}

TEST_F(GLDrawableLayer, AnEmptyLayerGivesNoStorage)
{
    auto context = GLContext::create(GLRenderingAPI::OpenGLES2);
    ASSERT_TRUE(context.ok());
    ASSERT_TRUE(GLContext::setCurrentContext(context.value()));
    layer->setBounds(plat::makeRect(0, 0, 0, 4));
    bool stored = true;
    auto target = attach(*context.value(), layer, &stored);
    EXPECT_FALSE(stored);
    EXPECT_FALSE(context.value()->renderbufferStorage(GL_TEXTURE_2D, layer));
    glDeleteFramebuffers(1, &target.framebuffer);
    glDeleteRenderbuffers(1, &target.renderbuffer);
}
