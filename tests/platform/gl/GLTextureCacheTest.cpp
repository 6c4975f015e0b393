#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>
#include <algorithm>
#include <array>
#include <gtest/gtest.h>

#include "platform/gl/GLContext.h"
#include "platform/gl/GLTextureCache.h"
#include "platform/graphics/PixelBuffer.h"

namespace {

using plat::GLContext;
using plat::GLTextureCache;
using plat::PixelBuffer;
using plat::PixelBufferLock;

class GLTextureCacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto made = GLContext::create(plat::GLRenderingAPI::OpenGLES2);
        ASSERT_TRUE(made.ok()) << made.error().description();
        context = made.value();
        ASSERT_TRUE(GLContext::setCurrentContext(context));
        auto cacheMade = GLTextureCache::create(context);
        ASSERT_TRUE(cacheMade.ok());
        cache = cacheMade.value();
    }
    void TearDown() override
    {
        cache.reset();
        GLContext::setCurrentContext(nullptr);
    }

    std::shared_ptr<PixelBuffer> makeBuffer(int width, int height)
    {
        auto buffer = PixelBuffer::create(width, height, plat::kPixelFormatType_32BGRA);
        EXPECT_TRUE(buffer.ok());
        return buffer.value();
    }

    // Reads texture through a framebuffer of its own, as RGBA.
    std::vector<uint8_t> readTexture(GLuint texture, int width, int height)
    {
        GLuint framebuffer = 0;
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
        std::vector<uint8_t> pixels(size_t(width * height * 4));
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        return pixels;
    }

    std::shared_ptr<GLContext> context;
    std::shared_ptr<GLTextureCache> cache;
};

TEST_F(GLTextureCacheTest, FillsTheTextureFromTheBuffersMemory)
{
    auto buffer = makeBuffer(2, 1);
    buffer->lockBaseAddress(PixelBufferLock::ReadWrite);
    const uint8_t bgra[] = {10, 20, 30, 255, 200, 100, 50, 255};
    std::copy(std::begin(bgra), std::end(bgra), buffer->baseAddress());
    buffer->unlockBaseAddress(PixelBufferLock::ReadWrite);

    auto texture
        = cache->createTextureFromImage(buffer, GL_TEXTURE_2D, GL_RGBA, 2, 1, GL_BGRA_EXT, GL_UNSIGNED_BYTE, 0);
    ASSERT_TRUE(texture.ok()) << texture.error().description();
    auto rgba = readTexture(texture.value()->name(), 2, 1);
    EXPECT_EQ(rgba, (std::vector<uint8_t> {30, 20, 10, 255, 50, 100, 200, 255}));
}

TEST_F(GLTextureCacheTest, LockingCopiesWhatGLDrewIntoMemory)
{
    auto buffer = makeBuffer(4, 4);
    auto texture
        = cache->createTextureFromImage(buffer, GL_TEXTURE_2D, GL_RGBA, 4, 4, GL_BGRA_EXT, GL_UNSIGNED_BYTE, 0);
    ASSERT_TRUE(texture.ok());
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture.value()->name(), 0);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();

    buffer->lockBaseAddress(PixelBufferLock::ReadOnly);
    const uint8_t* pixel = buffer->baseAddress() + buffer->bytesPerRow() + 1 * 4;
    EXPECT_EQ((std::array {pixel[0], pixel[1], pixel[2], pixel[3]}), (std::array<uint8_t, 4> {0, 0, 255, 255}));
    buffer->unlockBaseAddress(PixelBufferLock::ReadOnly);
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(GLuint(bound), framebuffer);
    glDeleteFramebuffers(1, &framebuffer);
}

// GL keeps a texture made from BGRA bytes as BGRA and reads it back so; one
// made from RGBA bytes is read as RGBA and turned around. Memory gets BGRA
// from both, row for row.
TEST_F(GLTextureCacheTest, LockingGivesBGRAWhicheverOrderTheTextureKeeps)
{
    for (GLenum format : {GLenum(GL_BGRA_EXT), GLenum(GL_RGBA)}) {
        SCOPED_TRACE(format == GL_RGBA ? "RGBA texture" : "BGRA texture");
        auto buffer = makeBuffer(3, 2);
        auto texture = cache->createTextureFromImage(buffer, GL_TEXTURE_2D, GL_RGBA, 3, 2, format, GL_UNSIGNED_BYTE, 0);
        ASSERT_TRUE(texture.ok()) << texture.error().description();
        GLuint framebuffer = 0;
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture.value()->name(), 0);
        glClearColor(0.2f, 0.4f, 0.6f, 0.8f);
        glClear(GL_COLOR_BUFFER_BIT);
        // The lower row (GL's first) another colour, to show the rows' order.
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, 3, 1);
        glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
        glFinish();

        buffer->lockBaseAddress(PixelBufferLock::ReadOnly);
        const uint8_t* bytes = buffer->baseAddress();
        const uint8_t* secondRow = bytes + buffer->bytesPerRow();
        EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 12),
            (std::vector<uint8_t> {0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255}));
        EXPECT_EQ(std::vector<uint8_t>(secondRow, secondRow + 12),
            (std::vector<uint8_t> {153, 102, 51, 204, 153, 102, 51, 204, 153, 102, 51, 204}));
        buffer->unlockBaseAddress(PixelBufferLock::ReadOnly);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
    }
}

TEST_F(GLTextureCacheTest, UnlockingAfterWritingCopiesMemoryIntoTheTexture)
{
    auto buffer = makeBuffer(1, 1);
    auto texture
        = cache->createTextureFromImage(buffer, GL_TEXTURE_2D, GL_RGBA, 1, 1, GL_BGRA_EXT, GL_UNSIGNED_BYTE, 0);
    ASSERT_TRUE(texture.ok());
    buffer->lockBaseAddress(PixelBufferLock::ReadWrite);
    const uint8_t bgra[] = {0, 255, 0, 255};
    std::copy(std::begin(bgra), std::end(bgra), buffer->baseAddress());
    buffer->unlockBaseAddress(PixelBufferLock::ReadWrite);
    EXPECT_EQ(readTexture(texture.value()->name(), 1, 1), (std::vector<uint8_t> {0, 255, 0, 255}));
}

// 5 pixels (20 bytes) a row, padded to 64: up and back by the stride.
TEST_F(GLTextureCacheTest, TakesBuffersWithPaddedRowsBothWays)
{
    constexpr int kWidth = 5;
    constexpr int kHeight = 3;
    auto buffer = makeBuffer(kWidth, kHeight);
    ASSERT_EQ(buffer->bytesPerRow(), 64u);
    auto paint = [&](auto pixelAt) {
        buffer->lockBaseAddress(PixelBufferLock::ReadWrite);
        uint8_t* base = buffer->baseAddress();
        for (int y = 0; y < kHeight; ++y) {
            uint8_t* row = base + buffer->bytesPerRow() * size_t(y);
            for (int x = 0; x < kWidth; ++x) {
                auto bgra = pixelAt(x, y);
                std::copy(bgra.begin(), bgra.end(), row + x * 4);
            }
            std::fill(row + kWidth * 4, row + buffer->bytesPerRow(), uint8_t(0xEE));  // never shown
        }
        buffer->unlockBaseAddress(PixelBufferLock::ReadWrite);
    };
    auto first = [](int x, int y) { return std::array<uint8_t, 4> {uint8_t(10 * x), uint8_t(50 * y), 7, 255}; };
    paint(first);

    auto texture = cache->createTextureFromImage(
        buffer, GL_TEXTURE_2D, GL_RGBA, kWidth, kHeight, GL_BGRA_EXT, GL_UNSIGNED_BYTE, 0);
    ASSERT_TRUE(texture.ok()) << texture.error().description();
    GLuint name = texture.value()->name();
    auto rgba = readTexture(name, kWidth, kHeight);
    EXPECT_EQ((std::array {rgba[4 * 7], rgba[4 * 7 + 1], rgba[4 * 7 + 2]}), (std::array<uint8_t, 3> {7, 50, 20}));
    EXPECT_EQ((std::array {rgba[4 * 14], rgba[4 * 14 + 1], rgba[4 * 14 + 2]}), (std::array<uint8_t, 3> {7, 100, 40}));

    // Written again through the buffer: the texture follows by the stride.
    paint([](int x, int y) { return std::array<uint8_t, 4> {uint8_t(x), uint8_t(y), 200, 255}; });
    rgba = readTexture(name, kWidth, kHeight);
    EXPECT_EQ((std::array {rgba[4 * 13], rgba[4 * 13 + 1], rgba[4 * 13 + 2]}), (std::array<uint8_t, 3> {200, 2, 3}));

    // Drawn by GL: each row comes back to its own place.
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, name, 0);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 2, kWidth, 1);  // the last row only
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glFinish();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    buffer->lockBaseAddress(PixelBufferLock::ReadOnly);
    const uint8_t* base = buffer->baseAddress();
    for (int y = 0; y < kHeight; ++y) {
        const uint8_t* row = base + buffer->bytesPerRow() * size_t(y);
        for (int x = 0; x < kWidth; ++x) {
            auto expected = y == 2 ? std::array<uint8_t, 4> {0, 255, 0, 255}
                                   : std::array<uint8_t, 4> {uint8_t(x), uint8_t(y), 200, 255};
            EXPECT_EQ((std::array {row[x * 4], row[x * 4 + 1], row[x * 4 + 2], row[x * 4 + 3]}), expected)
                << "pixel " << x << ", " << y;
        }
    }
    buffer->unlockBaseAddress(PixelBufferLock::ReadOnly);
}

TEST_F(GLTextureCacheTest, RefusesWhereItsContextIsNotCurrentOrTheSizeDiffers)
{
    auto buffer = makeBuffer(2, 2);
    auto wrongSize
        = cache->createTextureFromImage(buffer, GL_TEXTURE_2D, GL_RGBA, 4, 2, GL_BGRA_EXT, GL_UNSIGNED_BYTE, 0);
    ASSERT_FALSE(wrongSize.ok());
    EXPECT_EQ(wrongSize.error().code(), plat::kCVReturnInvalidSize);
    ASSERT_TRUE(GLContext::setCurrentContext(nullptr));
    auto offThread
        = cache->createTextureFromImage(buffer, GL_TEXTURE_2D, GL_RGBA, 2, 2, GL_BGRA_EXT, GL_UNSIGNED_BYTE, 0);
    ASSERT_FALSE(offThread.ok());
    EXPECT_EQ(offThread.error().code(), plat::kCVReturnInvalidArgument);
}

// A camera's frames: each buffer's texture is let go before the next
// frame's is made. The released texture takes the next buffer of its size
// and formats in place, with that buffer's pixels and a new texture's
// filtering; one of another shape is made anew and what was kept goes.
TEST_F(GLTextureCacheTest, AReleasedTextureTakesTheNextBufferOfItsShapeAndGoesForAnother)
{
    auto filled = [&](int width, int height, uint8_t blue) {
        auto buffer = makeBuffer(width, height);
        buffer->lockBaseAddress(PixelBufferLock::ReadWrite);
        for (int y = 0; y < height; ++y) {
            uint8_t* row = buffer->baseAddress() + buffer->bytesPerRow() * size_t(y);
            for (int x = 0; x < width; ++x)
                std::copy_n(std::array<uint8_t, 4> {blue, 20, 30, 255}.begin(), 4, row + 4 * x);
        }
        buffer->unlockBaseAddress(PixelBufferLock::ReadWrite);
        return buffer;
    };
    auto first = cache->createTextureFromImage(
        filled(2, 2, 10), GL_TEXTURE_2D, GL_RGBA, 2, 2, GL_BGRA_EXT, GL_UNSIGNED_BYTE, 0);
    ASSERT_TRUE(first.ok());
    const GLuint firstName = first.value()->name();
    glBindTexture(GL_TEXTURE_2D, firstName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    first = plat::Error("test", 0, "released");

    auto second = cache->createTextureFromImage(
        filled(2, 2, 90), GL_TEXTURE_2D, GL_RGBA, 2, 2, GL_BGRA_EXT, GL_UNSIGNED_BYTE, 0);
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(second.value()->name(), firstName);
    EXPECT_EQ(readTexture(firstName, 2, 2)[2], 90);
    GLint minFilter = 0;
    glBindTexture(GL_TEXTURE_2D, firstName);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_LINEAR);
    second = plat::Error("test", 0, "released");

    auto larger = cache->createTextureFromImage(
        filled(4, 2, 50), GL_TEXTURE_2D, GL_RGBA, 4, 2, GL_BGRA_EXT, GL_UNSIGNED_BYTE, 0);
    ASSERT_TRUE(larger.ok());
    EXPECT_NE(larger.value()->name(), firstName);
    EXPECT_EQ(glIsTexture(firstName), GL_FALSE);
    EXPECT_EQ(readTexture(larger.value()->name(), 4, 2)[2], 50);
}

// Released textures beyond the latest two are deleted at once where the
// context is current, else at the next flush; the cache's end deletes all.
TEST_F(GLTextureCacheTest, ReleasedTexturesBeyondTheLatestTwoAreDeletedAndTheCachesEndDeletesAll)
{
    auto buffer = makeBuffer(2, 2);
    std::vector<std::shared_ptr<plat::GLCacheTexture>> textures;
    std::vector<GLuint> names;
    for (int i = 0; i < 4; ++i) {
        auto made
            = cache->createTextureFromImage(buffer, GL_TEXTURE_2D, GL_RGBA, 2, 2, GL_BGRA_EXT, GL_UNSIGNED_BYTE, 0);
        ASSERT_TRUE(made.ok());
        textures.push_back(made.value());
        names.push_back(made.value()->name());
    }
    textures[0].reset();
    textures[1].reset();
    textures[2].reset();
    EXPECT_EQ(glIsTexture(names[0]), GL_FALSE);
    EXPECT_EQ(glIsTexture(names[1]), GL_TRUE);
    EXPECT_EQ(glIsTexture(names[2]), GL_TRUE);

    ASSERT_TRUE(GLContext::setCurrentContext(nullptr));
    textures[3].reset();
    ASSERT_TRUE(GLContext::setCurrentContext(context));
    EXPECT_EQ(glIsTexture(names[1]), GL_TRUE);
    cache->flush();
    EXPECT_EQ(glIsTexture(names[1]), GL_FALSE);
    EXPECT_EQ(glIsTexture(names[3]), GL_TRUE);

    cache.reset();
    EXPECT_EQ(glIsTexture(names[2]), GL_FALSE);
    EXPECT_EQ(glIsTexture(names[3]), GL_FALSE);
}

}  // namespace

namespace {

// Draws texture (nearest, one texel a pixel) into an RGBA texture and reads
// that back: luminance textures cannot be framebuffer attachments themselves.
std::vector<uint8_t> readThroughDrawing(GLuint texture, int width, int height)
{
    const char* vertexSource = "attribute vec2 position; varying vec2 coordinate;"
                               "void main() { coordinate = position * 0.5 + 0.5; gl_Position = vec4(position, 0, 1); }";
    const char* fragmentSource = "precision highp float; varying vec2 coordinate; uniform sampler2D picture;"
                                 "void main() { gl_FragColor = texture2D(picture, coordinate); }";
    auto compile = [](GLenum type, const char* source) {
        GLuint shader = glCreateShader(type);
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        return shader;
    };
    GLuint program = glCreateProgram();
    GLuint vertexShader = compile(GL_VERTEX_SHADER, vertexSource);
    GLuint fragmentShader = compile(GL_FRAGMENT_SHADER, fragmentSource);
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    glBindAttribLocation(program, 0, "position");
    glLinkProgram(program);
    glUseProgram(program);

    GLuint target = 0;
    glGenTextures(1, &target);
    glBindTexture(GL_TEXTURE_2D, target);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
    glViewport(0, 0, width, height);

    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glUniform1i(glGetUniformLocation(program, "picture"), 0);
    const GLfloat square[] = {-1, -1, 1, -1, -1, 1, 1, 1};
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, square);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    std::vector<uint8_t> pixels(size_t(width * height * 4));
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());

    glDisableVertexAttribArray(0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(1, &target);
    glDeleteProgram(program);
    glDeleteShader(vertexShader);
    glDeleteShader(fragmentShader);
    return pixels;
}

}  // namespace

TEST_F(GLTextureCacheTest, MakesLuminanceAndLuminanceAlphaTexturesOfTheTwoPlanesByTheirStrides)
{
    // 5 x 3: rows of 5 luminance bytes and of 3 chroma pairs, each padded to 64.
    auto made = PixelBuffer::create(5, 3, plat::kPixelFormatType_420YpCbCr8BiPlanarFullRange);
    ASSERT_TRUE(made.ok());
    auto buffer = made.value();
    buffer->lockBaseAddress();
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x)
            buffer->baseAddressOfPlane(0)[size_t(y) * buffer->bytesPerRowOfPlane(0) + size_t(x)] = uint8_t(10 * x + y);
    }
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            uint8_t* pair = buffer->baseAddressOfPlane(1) + size_t(y) * buffer->bytesPerRowOfPlane(1) + size_t(x) * 2;
            pair[0] = uint8_t(100 + 10 * x + y);
            pair[1] = uint8_t(200 + 10 * x + y);
        }
    }
    buffer->unlockBaseAddress();

    auto luminance
        = cache->createTextureFromImage(buffer, GL_TEXTURE_2D, GL_LUMINANCE, 5, 3, GL_LUMINANCE, GL_UNSIGNED_BYTE, 0);
    ASSERT_TRUE(luminance.ok()) << luminance.error().description();
    auto chrominance = cache->createTextureFromImage(
        buffer, GL_TEXTURE_2D, GL_LUMINANCE_ALPHA, 3, 2, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, 1);
    ASSERT_TRUE(chrominance.ok()) << chrominance.error().description();

    auto lumaPixels = readThroughDrawing(luminance.value()->name(), 5, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            const uint8_t* pixel = &lumaPixels[size_t(y * 5 + x) * 4];
            EXPECT_EQ(pixel[0], 10 * x + y) << x << ", " << y;
            EXPECT_EQ(pixel[2], 10 * x + y) << x << ", " << y;
            EXPECT_EQ(pixel[3], 255);
        }
    }
    auto chromaPixels = readThroughDrawing(chrominance.value()->name(), 3, 2);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            const uint8_t* pixel = &chromaPixels[size_t(y * 3 + x) * 4];
            EXPECT_EQ(pixel[0], 100 + 10 * x + y) << x << ", " << y;
            EXPECT_EQ(pixel[3], 200 + 10 * x + y) << x << ", " << y;
        }
    }
}

TEST_F(GLTextureCacheTest, APlaneIsReadOnlyInAFormatOfItsPixelSizeAndWithinItsSize)
{
    auto buffer = PixelBuffer::create(4, 4, plat::kPixelFormatType_420YpCbCr8BiPlanarVideoRange).value();
    auto wrongFormat
        = cache->createTextureFromImage(buffer, GL_TEXTURE_2D, GL_RGBA, 4, 4, GL_BGRA_EXT, GL_UNSIGNED_BYTE, 0);
    ASSERT_FALSE(wrongFormat.ok());
    EXPECT_EQ(wrongFormat.error().code(), plat::kCVReturnInvalidPixelFormat);
    auto luminanceOfChroma
        = cache->createTextureFromImage(buffer, GL_TEXTURE_2D, GL_LUMINANCE, 2, 2, GL_LUMINANCE, GL_UNSIGNED_BYTE, 1);
    EXPECT_FALSE(luminanceOfChroma.ok());
    auto tooLarge = cache->createTextureFromImage(
        buffer, GL_TEXTURE_2D, GL_LUMINANCE_ALPHA, 3, 2, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, 1);
    ASSERT_FALSE(tooLarge.ok());
    EXPECT_EQ(tooLarge.error().code(), plat::kCVReturnInvalidSize);
    auto noThirdPlane
        = cache->createTextureFromImage(buffer, GL_TEXTURE_2D, GL_LUMINANCE, 1, 1, GL_LUMINANCE, GL_UNSIGNED_BYTE, 2);
    EXPECT_FALSE(noThirdPlane.ok());
    // A 32-bit buffer has its one plane only.
    auto bgra = makeBuffer(2, 2);
    EXPECT_FALSE(
        cache->createTextureFromImage(bgra, GL_TEXTURE_2D, GL_RGBA, 2, 2, GL_BGRA_EXT, GL_UNSIGNED_BYTE, 1).ok());
}
