#include <GLES3/gl31.h>
#include <functional>
#include <gtest/gtest.h>

#include "glimage/GLImageContext.h"
#include "glimage/GLImageFilter.h"
#include "glimage/GLImageNearestSampling.h"

namespace {

using zt::GLImageFilter;
using zt::GLImageNearestSampling;
using zt::GLImageRotationMode;

constexpr int kUnit = 2;

struct TextureSetUp {
    int width = 6;
    int height = 4;
    GLint minFilter = GL_LINEAR;
    int viewportWidth = 6;
    int viewportHeight = 4;
};

// Runs body on the context queue with a texture of the set-up bound on unit
// kUnit, the set-up's viewport and unit 0 active; takes it all down after.
void withTexture(const TextureSetUp& setUp, const std::function<void()>& body)
{
    zt::runSynchronouslyOnContextQueue([&] {
        zt::GLImageContext::useImageProcessingContext();
        GLint previousViewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, previousViewport);
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glActiveTexture(GL_TEXTURE0 + kUnit);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, setUp.minFilter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, setUp.width, setUp.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glActiveTexture(GL_TEXTURE0);
        glViewport(0, 0, setUp.viewportWidth, setUp.viewportHeight);
        body();
        glActiveTexture(GL_TEXTURE0 + kUnit);
        glBindTexture(GL_TEXTURE_2D, 0);
        glDeleteTextures(1, &texture);
        glActiveTexture(GL_TEXTURE0);
        glViewport(previousViewport[0], previousViewport[1], previousViewport[2], previousViewport[3]);
    });
}

GLint samplerBoundOn(int unit)
{
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glActiveTexture(GLenum(GL_TEXTURE0 + unit));
    GLint sampler = 0;
    glGetIntegerv(GL_SAMPLER_BINDING, &sampler);
    glActiveTexture(GLenum(active));
    return sampler;
}

// Whether a draw of the full frame at the mode's coordinates reads the texture nearest.
bool readsNearest(const TextureSetUp& setUp, GLImageRotationMode mode,
    const float* vertices = GLImageFilter::fullFrameVertices(), const float* coordinates = nullptr)
{
    bool nearest = false;
    withTexture(setUp, [&] {
        GLImageNearestSampling sampling;
        sampling.readNearestWherePixelForPixel(
            kUnit, vertices, coordinates ? coordinates : GLImageFilter::filterTextureCoordinatesForRotation(mode));
        nearest = sampling.readsNearest(kUnit);
        EXPECT_EQ(samplerBoundOn(kUnit) != 0, nearest);
    });
    return nearest;
}

TEST(GLImageNearestSampling, ReadsATextureDrawnPixelForPixelNearestForTheDrawOnly)
{
    withTexture({}, [] {
        {
            GLImageNearestSampling sampling;
            sampling.readNearestWherePixelForPixel(kUnit, GLImageFilter::fullFrameVertices(),
                GLImageFilter::filterTextureCoordinatesForRotation(GLImageRotationMode::NoRotation));
            EXPECT_TRUE(sampling.readsNearest(kUnit));
            EXPECT_FALSE(sampling.readsNearest(kUnit + 1));
            EXPECT_NE(samplerBoundOn(kUnit), 0);
            GLint active = 0;
            glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
            EXPECT_EQ(active, GL_TEXTURE0);
        }
        EXPECT_EQ(samplerBoundOn(kUnit), 0);
        // The texture's own filtering was never touched.
        glActiveTexture(GL_TEXTURE0 + kUnit);
        GLint minFilter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        glActiveTexture(GL_TEXTURE0);
        EXPECT_EQ(minFilter, GL_LINEAR);
    });
}

TEST(GLImageNearestSampling, ATurningModeNeedsTheTextureTurnedToTheViewport)
{
    const TextureSetUp lying {.width = 6, .height = 4, .viewportWidth = 6, .viewportHeight = 4};
    const TextureSetUp standing {.width = 6, .height = 4, .viewportWidth = 4, .viewportHeight = 6};
    EXPECT_TRUE(readsNearest(standing, GLImageRotationMode::RotateRight));
    EXPECT_TRUE(readsNearest(standing, GLImageRotationMode::RotateLeft));
    EXPECT_TRUE(readsNearest(standing, GLImageRotationMode::RotateRightFlipHorizontal));
    EXPECT_FALSE(readsNearest(lying, GLImageRotationMode::RotateRight));
    EXPECT_TRUE(readsNearest(lying, GLImageRotationMode::Rotate180));
    EXPECT_TRUE(readsNearest(lying, GLImageRotationMode::FlipVertical));
    EXPECT_FALSE(readsNearest(standing, GLImageRotationMode::FlipHorizontal));
}

TEST(GLImageNearestSampling, KeepsTheTexturesFilteringWhereTheDrawScalesCropsOrMipmaps)
{
    // Scaled up and down.
    EXPECT_FALSE(readsNearest({.viewportWidth = 12, .viewportHeight = 8}, GLImageRotationMode::NoRotation));
    EXPECT_FALSE(readsNearest({.viewportWidth = 6, .viewportHeight = 3}, GLImageRotationMode::NoRotation));
    // The middle of the texture, and the texture on half the frame.
    const float middle[8] = {0.25f, 0.25f, 0.75f, 0.25f, 0.25f, 0.75f, 0.75f, 0.75f};
    EXPECT_FALSE(readsNearest({}, GLImageRotationMode::NoRotation, GLImageFilter::fullFrameVertices(), middle));
    const float leftHalf[8] = {-1.0f, -1.0f, 0.0f, -1.0f, -1.0f, 1.0f, 0.0f, 1.0f};
    EXPECT_FALSE(readsNearest({}, GLImageRotationMode::NoRotation, leftHalf));
    // Filtering of its own that is not linear: mipmaps, or nearest already.
    EXPECT_FALSE(readsNearest({.minFilter = GL_LINEAR_MIPMAP_LINEAR}, GLImageRotationMode::NoRotation));
    EXPECT_FALSE(readsNearest({.minFilter = GL_NEAREST}, GLImageRotationMode::NoRotation));
}

}  // namespace
