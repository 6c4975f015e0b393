#include "glimage/GLImageNearestSampling.h"

#include <GLES3/gl31.h>
#include <algorithm>
#include <cstdio>

#include "glimage/GLImageFilter.h"

namespace zt {

namespace {

constexpr int kRotationModeCount = 8;
constexpr int kQuadFloats = 8;  // four vertices, two floats each
constexpr int kUnitsTracked = 32;  // bits of the unit mask

bool hasSamplersAndTextureSizes()
{
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0;
    int minor = 0;
    if (!version || std::sscanf(version, "OpenGL ES %d.%d", &major, &minor) != 2)
        return false;
    return major > 3 || (major == 3 && minor >= 1);
}

// One sampler for every such draw, made in the image-processing context on
// first use; that context lives as long as the process, and so does this.
// 0 where the context has no sampler objects.
GLuint nearestSampler()
{
    static const GLuint sampler = [] {
        if (!hasSamplersAndTextureSizes())
            return GLuint(0);
        GLuint name = 0;
        glGenSamplers(1, &name);
        glSamplerParameteri(name, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glSamplerParameteri(name, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glSamplerParameteri(name, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glSamplerParameteri(name, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        return name;
    }();
    return sampler;
}

// Whether these are the coordinates of a rotation mode, and whether that
// mode swaps width and height.
bool areRotationModeCoordinates(const float* textureCoordinates, bool* swapsWidthAndHeight)
{
    for (int mode = 0; mode < kRotationModeCount; ++mode) {
        const auto rotation = static_cast<GLImageRotationMode>(mode);
        const float* table = GLImageFilter::filterTextureCoordinatesForRotation(rotation);
        if (std::equal(table, table + kQuadFloats, textureCoordinates)) {
            *swapsWidthAndHeight = rotationSwapsWidthAndHeight(rotation);
            return true;
        }
    }
    return false;
}

// Whether the 2-D texture bound on the active unit filters linearly from a
// level 0 of width x height, with nothing that sampler state would change
// besides its filtering (depth comparison, a later base level).
bool isLinearTextureOfSize(GLint width, GLint height)
{
    GLint minFilter = 0;
    GLint magFilter = 0;
    GLint baseLevel = 0;
    GLint compareMode = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, &baseLevel);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, &compareMode);
    if (minFilter != GL_LINEAR || magFilter != GL_LINEAR || baseLevel != 0 || compareMode != GL_NONE)
        return false;
    GLint textureWidth = 0;
    GLint textureHeight = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &textureWidth);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &textureHeight);
    return textureWidth == width && textureHeight == height;
}

}  // namespace

GLImageNearestSampling::~GLImageNearestSampling()
{
    for (int unit = 0; _nearestUnits != 0; ++unit, _nearestUnits >>= 1) {
        if (_nearestUnits & 1)
            glBindSampler(GLuint(unit), 0);
    }
}

void GLImageNearestSampling::readNearestWherePixelForPixel(
    int unit, const float* vertices, const float* textureCoordinates)
{
    if (unit < 0 || unit >= kUnitsTracked || !vertices || !textureCoordinates)
        return;
    const float* fullFrame = GLImageFilter::fullFrameVertices();
    if (!std::equal(fullFrame, fullFrame + kQuadFloats, vertices))
        return;
    bool swapsWidthAndHeight = false;
    if (!areRotationModeCoordinates(textureCoordinates, &swapsWidthAndHeight))
        return;
    const GLuint sampler = nearestSampler();
    if (!sampler)
        return;

    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const GLint width = swapsWidthAndHeight ? viewport[3] : viewport[2];
    const GLint height = swapsWidthAndHeight ? viewport[2] : viewport[3];
    GLint activeUnit = GL_TEXTURE0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeUnit);
    glActiveTexture(GLenum(GL_TEXTURE0 + unit));
    const bool pixelForPixel = width > 0 && height > 0 && isLinearTextureOfSize(width, height);
    glActiveTexture(GLenum(activeUnit));
    if (!pixelForPixel)
        return;
    glBindSampler(GLuint(unit), sampler);
    _nearestUnits |= 1u << unit;
}

bool GLImageNearestSampling::readsNearest(int unit) const
{
    return unit >= 0 && unit < kUnitsTracked && ((_nearestUnits >> unit) & 1) != 0;
}

}  // namespace zt
