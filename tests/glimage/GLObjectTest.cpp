#include "glimage/GLObject.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>
#include <vector>

#include "glimage/GLImageContext.h"

namespace {

using zt::GLFramebuffer;
using zt::GLTexture;

// Whether GL knows the name as a texture or framebuffer (a name counts once bound).
bool isTexture(uint32_t name)
{
    bool known = false;
    zt::runSynchronouslyOnContextQueue([&] {
        zt::GLImageContext::useImageProcessingContext();
        known = glIsTexture(name) == GL_TRUE;
    });
    return known;
}

bool isFramebuffer(uint32_t name)
{
    bool known = false;
    zt::runSynchronouslyOnContextQueue([&] {
        zt::GLImageContext::useImageProcessingContext();
        known = glIsFramebuffer(name) == GL_TRUE;
    });
    return known;
}

GLTexture boundTexture()
{
    GLTexture texture;
    zt::runSynchronouslyOnContextQueue([&] {
        texture = GLTexture::generate();
        glBindTexture(GL_TEXTURE_2D, texture.name());
        glBindTexture(GL_TEXTURE_2D, 0);
    });
    return texture;
}

TEST(GLObject, ATextureLivesAsLongAsItsOwnerWhereverTheOwnerEnds)
{
    uint32_t name = 0;
    {
        GLTexture texture = boundTexture();
        name = texture.name();
        ASSERT_NE(name, 0u);
        EXPECT_TRUE(isTexture(name));
    }  // let go on this thread, not the context queue
    EXPECT_FALSE(isTexture(name));
}

TEST(GLObject, MovingHandsTheObjectOverWithoutDeletingIt)
{
    GLTexture first = boundTexture();
    const uint32_t name = first.name();
    GLTexture second = std::move(first);
    EXPECT_FALSE(first);
    EXPECT_EQ(first.name(), 0u);
    EXPECT_EQ(second.name(), name);
    {
        GLTexture gone = std::move(first);
    }  // an empty owner deletes nothing
    EXPECT_TRUE(isTexture(name));

    GLTexture third = boundTexture();
    const uint32_t replaced = third.name();
    third = std::move(second);  // the object third held goes, the moved one stays
    EXPECT_FALSE(isTexture(replaced));
    EXPECT_TRUE(isTexture(name));
    third.reset();
    EXPECT_FALSE(isTexture(name));
}

TEST(GLObject, FramebuffersInAContainerAreDeletedWithIt)
{
    std::vector<uint32_t> names;
    {
        std::vector<GLFramebuffer> framebuffers;
        zt::runSynchronouslyOnContextQueue([&] {
            for (int i = 0; i < 3; ++i) {
                framebuffers.push_back(GLFramebuffer::generate());
                glBindFramebuffer(GL_FRAMEBUFFER, framebuffers.back().name());
                names.push_back(framebuffers.back().name());
            }
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
        });
        for (uint32_t name : names)
            EXPECT_TRUE(isFramebuffer(name));
    }
    for (uint32_t name : names)
        EXPECT_FALSE(isFramebuffer(name));
}

TEST(GLObjectDeathTest, IsMadeOnTheContextQueueOnly)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(GLTexture::generate(), "made on the context queue");
}

}  // namespace
