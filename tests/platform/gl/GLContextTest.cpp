#include <GLES2/gl2.h>
#include <gtest/gtest.h>
#include <thread>

#include "platform/gl/GLContext.h"

namespace {

using plat::GLContext;
using plat::GLRenderingAPI;
using plat::GLSharegroup;

std::shared_ptr<GLContext> makeContext(std::shared_ptr<GLSharegroup> sharegroup = nullptr)
{
    auto context = GLContext::create(GLRenderingAPI::OpenGLES2, std::move(sharegroup));
    if (!context.ok())
        ADD_FAILURE() << context.error().description();
    return context.ok() ? context.value() : nullptr;
}

// Leaves the test thread without a current context whatever the test did.
class GLContextTest : public ::testing::Test {
protected:
    void TearDown() override { GLContext::setCurrentContext(nullptr); }
};

TEST_F(GLContextTest, CreatesAnOpenGLES2ContextThatRendersIntoAFramebuffer)
{
    auto context = makeContext();
    ASSERT_TRUE(context);
    ASSERT_TRUE(GLContext::setCurrentContext(context));
    EXPECT_EQ(GLContext::currentContext(), context);

    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    glClearColor(1.0f, 0.5f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char pixel[4] = {};
    glReadPixels(1, 1, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_NEAR(pixel[1], 128, 1);
    EXPECT_EQ(pixel[2], 0);
    EXPECT_EQ(pixel[3], 255);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(1, &texture);
}

TEST_F(GLContextTest, AContextCurrentOnAnotherThreadCannotBeMadeCurrentHere)
{
    auto context = makeContext();
    ASSERT_TRUE(context);
    ASSERT_TRUE(GLContext::setCurrentContext(context));
    bool tookItWhileHeld = true;
    std::thread([&] { tookItWhileHeld = GLContext::setCurrentContext(context); }).join();
    EXPECT_FALSE(tookItWhileHeld);

    ASSERT_TRUE(GLContext::setCurrentContext(nullptr));
    bool tookItWhenFree = false;
    std::thread([&] {
        tookItWhenFree = GLContext::setCurrentContext(context);
        GLContext::setCurrentContext(nullptr);
    }).join();
    EXPECT_TRUE(tookItWhenFree);
}

TEST_F(GLContextTest, AThreadThatEndsReleasesItsCurrentContext)
{
    auto context = makeContext();
    ASSERT_TRUE(context);
    std::thread([&] { ASSERT_TRUE(GLContext::setCurrentContext(context)); }).join();
    EXPECT_TRUE(GLContext::setCurrentContext(context));
}

TEST_F(GLContextTest, ContextsOfOneSharegroupSeeEachOthersTextures)
{
    auto sharegroup = std::make_shared<GLSharegroup>();
    auto first = makeContext(sharegroup);
    auto second = makeContext(sharegroup);
    auto stranger = makeContext();
    ASSERT_TRUE(first && second && stranger);
    EXPECT_TRUE(first->sharesObjectsWith(*second));
    EXPECT_FALSE(first->sharesObjectsWith(*stranger));

    ASSERT_TRUE(GLContext::setCurrentContext(first));
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glFinish();
    ASSERT_TRUE(GLContext::setCurrentContext(second));
    EXPECT_EQ(glIsTexture(texture), GL_TRUE);
    ASSERT_TRUE(GLContext::setCurrentContext(stranger));
    EXPECT_EQ(glIsTexture(texture), GL_FALSE);
}

TEST_F(GLContextTest, ASharegroupRefusesContextsOfAnotherVersion)
{
    auto sharegroup = std::make_shared<GLSharegroup>();
    ASSERT_TRUE(makeContext(sharegroup));
    auto older = GLContext::create(GLRenderingAPI::OpenGLES1, sharegroup);
    ASSERT_FALSE(older.ok());
    EXPECT_EQ(older.error().domain(), "plat.GLContext");
}

TEST_F(GLContextTest, CreatesAnOpenGLES1Context)
{
    auto context = GLContext::create(GLRenderingAPI::OpenGLES1);
    ASSERT_TRUE(context.ok()) << context.error().description();
    EXPECT_EQ(context.value()->api(), GLRenderingAPI::OpenGLES1);
    EXPECT_TRUE(GLContext::setCurrentContext(context.value()));
}

TEST_F(GLContextTest, PresentsARenderbufferOnlyWhereItsContextIsCurrent)
{
    auto context = makeContext();
    ASSERT_TRUE(context);
    EXPECT_FALSE(context->presentRenderbuffer(GL_RENDERBUFFER));
    ASSERT_TRUE(GLContext::setCurrentContext(context));
    EXPECT_TRUE(context->presentRenderbuffer(GL_RENDERBUFFER));
    EXPECT_FALSE(context->presentRenderbuffer(GL_TEXTURE_2D));
}

}  // namespace
