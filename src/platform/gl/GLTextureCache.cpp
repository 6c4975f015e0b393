#include "platform/gl/GLTextureCache.h"

#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>
#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/gl/GLContext.h"
#include "platform/gl/GLTextureMirror.h"

namespace plat {

namespace detail {

struct ReleasedTexture {
    uint32_t name;
    TextureShape shape;
};

// A camera hands over a new buffer every frame: allocating a texture for
// each made the driver clear the new storage before the upload filled it,
// as much work again as the upload. The last few released textures are
// kept for buffers of their shape; older ones are deleted.
constexpr size_t kKeptReleasedTextures = 2;
enum class KeepReleased { Latest, None };

struct GLTextureCacheState {
    std::shared_ptr<GLContext> context;
    std::mutex lock;
    std::vector<ReleasedTexture> releasedTextures;  // guarded by lock, the latest last
    bool keepsReleasedTextures = true;  // guarded by lock; off once the cache is gone

    bool isContextCurrent() const
    {
        auto current = GLContext::currentContext();
        return current && current->sharesObjectsWith(*context);
    }

    // Deletes released textures beyond those kept for reuse (all of them once the cache is gone).
    void deleteReleasedTextures(KeepReleased keep = KeepReleased::Latest)
    {
        std::vector<uint32_t> names;
        {
            std::lock_guard guard(lock);
            const size_t kept = keepsReleasedTextures && keep == KeepReleased::Latest ? kKeptReleasedTextures : 0;
            while (releasedTextures.size() > kept) {
                names.push_back(releasedTextures.front().name);
                releasedTextures.erase(releasedTextures.begin());
            }
        }
        if (!names.empty())
            glDeleteTextures(static_cast<GLsizei>(names.size()), names.data());
    }

    // A released texture of this shape, taken out of the kept ones; 0 when there is none.
    uint32_t takeReleasedTexture(const TextureShape& shape)
    {
        std::lock_guard guard(lock);
        for (auto it = releasedTextures.rbegin(); it != releasedTextures.rend(); ++it) {
            if (it->shape == shape) {
                const uint32_t name = it->name;
                releasedTextures.erase(std::next(it).base());
                return name;
            }
        }
        return 0;
    }
};

namespace {

constexpr size_t kBytesPerPixel = 4;

// Bytes of one pixel as GL unpacks it from memory of these formats.
size_t bytesPerPixelOf(uint32_t format)
{
    switch (format) {
    case GL_LUMINANCE:
    case GL_ALPHA:
        return 1;
    case GL_LUMINANCE_ALPHA:
        return 2;
    default:
        return kBytesPerPixel;
    }
}
// GL_UNPACK_ROW_LENGTH_EXT of GL_EXT_unpack_subimage (GL_UNPACK_ROW_LENGTH in OpenGL ES 3).
constexpr GLenum kUnpackRowLength = 0x0CF2;

bool hasExtension(const char* name)
{
    const auto* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!list)
        return false;
    // Whole names only: one extension's name may begin another's.
    const std::string_view names(list);
    const std::string_view wanted(name);
    for (size_t at = names.find(wanted); at != std::string_view::npos; at = names.find(wanted, at + 1)) {
        const size_t end = at + wanted.size();
        if ((at == 0 || names[at - 1] == ' ') && (end == names.size() || names[end] == ' '))
            return true;
    }
    return false;
}

}  // namespace

uint32_t uploadTextureRows(TextureStorage storage, int32_t internalFormat, int width, int height, uint32_t format,
    uint32_t type, const uint8_t* bytes, size_t bytesPerRow)
{
    const size_t pixelBytes = bytesPerPixelOf(format);
    const size_t rowBytes = static_cast<size_t>(width) * pixelBytes;
    GLint previousAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    // Rows of one- and two-byte pixels may end anywhere.
    glPixelStorei(GL_UNPACK_ALIGNMENT, pixelBytes == kBytesPerPixel ? 4 : 1);
    auto upload = [&](const uint8_t* rows) {
        if (storage == TextureStorage::Allocate)
            glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, format, type, rows);
        else
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, format, type, rows);
    };
    while (glGetError() != GL_NO_ERROR) { }
    if (bytesPerRow == rowBytes) {
        upload(bytes);
    } else if (bytesPerRow % pixelBytes == 0 && hasExtension("GL_EXT_unpack_subimage")) {
        glPixelStorei(kUnpackRowLength, static_cast<GLint>(bytesPerRow / pixelBytes));
        upload(bytes);
        glPixelStorei(kUnpackRowLength, 0);
    } else {
        std::vector<uint8_t> packed(rowBytes * static_cast<size_t>(height));
        for (int y = 0; y < height; ++y)
            std::memcpy(packed.data() + rowBytes * static_cast<size_t>(y), bytes + bytesPerRow * static_cast<size_t>(y),
                rowBytes);
        upload(packed.data());
    }
    const GLenum status = glGetError();
    glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
    return status;
}

GLTextureMirror::GLTextureMirror(std::weak_ptr<GLContext> context, uint32_t texture, int width, int height)
    : _context(std::move(context))
    , _texture(texture)
    , _width(width)
    , _height(height)
{
}

bool GLTextureMirror::isContextCurrent() const
{
    auto owner = _context.lock();
    auto current = GLContext::currentContext();
    return owner && current && current->sharesObjectsWith(*owner);
}

void GLTextureMirror::copyIntoMemory(uint8_t* bgra, size_t bytesPerRow)
{
    if (!isContextCurrent())
        return;
    GLint previousFramebuffer = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previousFramebuffer);
    GLint previousPackAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &previousPackAlignment);
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, _texture, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) {
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        // BGRA where GL offers it for this texture (a BGRA texture's own
        // layout: a plain copy), else RGBA, the one read format every OpenGL
        // ES implementation has, turned into BGRA here. Read packed, then
        // each row moved out to its place, the last first so that no row
        // lands on one not yet moved.
        GLint readFormat = 0;
        GLint readType = 0;
        glGetIntegerv(GL_IMPLEMENTATION_COLOR_READ_FORMAT, &readFormat);
        glGetIntegerv(GL_IMPLEMENTATION_COLOR_READ_TYPE, &readType);
        const bool readsBGRA = readFormat == GL_BGRA_EXT && readType == GL_UNSIGNED_BYTE;
        glReadPixels(0, 0, _width, _height, readsBGRA ? GL_BGRA_EXT : GL_RGBA, GL_UNSIGNED_BYTE, bgra);
        const size_t rowBytes = static_cast<size_t>(_width) * kBytesPerPixel;
        for (int y = _height - 1; y >= 0; --y) {
            uint8_t* row = bgra + bytesPerRow * static_cast<size_t>(y);
            if (bytesPerRow != rowBytes)
                std::memmove(row, bgra + rowBytes * static_cast<size_t>(y), rowBytes);
            if (!readsBGRA) {
                for (size_t i = 0; i < rowBytes; i += kBytesPerPixel)
                    std::swap(row[i], row[i + 2]);
            }
        }
        glPixelStorei(GL_PACK_ALIGNMENT, previousPackAlignment);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previousFramebuffer));
    glDeleteFramebuffers(1, &framebuffer);
}

void GLTextureMirror::copyFromMemory(const uint8_t* bgra, size_t bytesPerRow)
{
    if (!isContextCurrent())
        return;
    GLint previousTexture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousTexture);
    glBindTexture(GL_TEXTURE_2D, _texture);
    (void)uploadTextureRows(
        TextureStorage::Replace, GL_RGBA, _width, _height, GL_BGRA_EXT, GL_UNSIGNED_BYTE, bgra, bytesPerRow);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previousTexture));
}

}  // namespace detail

GLCacheTexture::GLCacheTexture(uint32_t target, uint32_t name, const detail::TextureShape& shape,
    std::shared_ptr<PixelBuffer> buffer, std::shared_ptr<detail::GLTextureMirror> mirror,
    std::shared_ptr<detail::GLTextureCacheState> cache)
    : _target(target)
    , _name(name)
    , _shape(shape)
    , _buffer(std::move(buffer))
    , _mirror(std::move(mirror))
    , _cache(std::move(cache))
{
}

GLCacheTexture::~GLCacheTexture()
{
    {
        std::lock_guard guard(_cache->lock);
        _cache->releasedTextures.push_back({_name, _shape});
    }
    if (_cache->isContextCurrent())
        _cache->deleteReleasedTextures();
}

GLTextureCache::GLTextureCache(std::shared_ptr<detail::GLTextureCacheState> state)
    : _state(std::move(state))
{
}

GLTextureCache::~GLTextureCache()
{
    // Textures still held by cache textures are deleted when those go.
    {
        std::lock_guard guard(_state->lock);
        _state->keepsReleasedTextures = false;
    }
    if (_state->isContextCurrent())
        _state->deleteReleasedTextures();
}

Result<std::shared_ptr<GLTextureCache>> GLTextureCache::create(std::shared_ptr<GLContext> context)
{
    if (!context)
        return Error(kCVReturnErrorDomain, kCVReturnInvalidArgument, "a texture cache needs a context");
    auto state = std::make_shared<detail::GLTextureCacheState>();
    state->context = std::move(context);
    return std::shared_ptr<GLTextureCache>(new GLTextureCache(std::move(state)));
}

Result<std::shared_ptr<GLCacheTexture>> GLTextureCache::createTextureFromImage(
    const std::shared_ptr<PixelBuffer>& buffer, uint32_t target, int32_t internalFormat, int width, int height,
    uint32_t format, uint32_t type, size_t planeIndex)
{
    if (!buffer || target != GL_TEXTURE_2D || planeIndex >= std::max<size_t>(buffer->planeCount(), 1))
        return Error(kCVReturnErrorDomain, kCVReturnInvalidArgument, "a cache texture is one plane of a buffer, 2-D");
    const bool planar = buffer->planeCount() > 0;
    // A plane's bytes per pixel decide the formats it can be read as.
    const size_t planePixelBytes = planar ? (planeIndex == 0 ? 1 : 2) : detail::kBytesPerPixel;
    if (detail::bytesPerPixelOf(format) != planePixelBytes)
        return Error(kCVReturnErrorDomain, kCVReturnInvalidPixelFormat,
            "GL format " + std::to_string(format) + " does not fit plane " + std::to_string(planeIndex)
                + " of the pixel buffer");
    // Integer halves of an odd-sized buffer's size leave out its last chroma column or row.
    if (width <= 0 || height <= 0 || width > buffer->widthOfPlane(planeIndex)
        || height > buffer->heightOfPlane(planeIndex))
        return Error(kCVReturnErrorDomain, kCVReturnInvalidSize, "a cache texture fits within its plane");
    if (!planar && (width != buffer->width() || height != buffer->height()))
        return Error(kCVReturnErrorDomain, kCVReturnInvalidSize, "a cache texture has its buffer's size");
    if (!_state->isContextCurrent())
        return Error(kCVReturnErrorDomain, kCVReturnInvalidArgument, "the texture cache's context is not current");

    const detail::TextureShape shape {internalFormat, width, height, format, type};
    GLuint name = _state->takeReleasedTexture(shape);
    const auto storage = name != 0 ? detail::TextureStorage::Replace : detail::TextureStorage::Allocate;
    if (name == 0) {
        // Buffers of another shape now: what was kept would only hold memory.
        _state->deleteReleasedTextures(detail::KeepReleased::None);
        glGenTextures(1, &name);
    }
    // Asked after the deleting: binding a deleted name again would make a new texture of it.
    GLint previousTexture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousTexture);
    glBindTexture(GL_TEXTURE_2D, name);
    // A kept texture starts over as a new one would: its last user may have changed these.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    // A read-only lock: filled from memory as it stands (a texture made from
    // the buffer before brings its pixels into memory first).
    buffer->lockBaseAddress(PixelBufferLock::ReadOnly);
    const GLenum status = detail::uploadTextureRows(storage, internalFormat, width, height, format, type,
        buffer->baseAddressOfPlane(planeIndex), buffer->bytesPerRowOfPlane(planeIndex));
    buffer->unlockBaseAddress(PixelBufferLock::ReadOnly);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previousTexture));
    if (status != GL_NO_ERROR) {
        glDeleteTextures(1, &name);
        return Error(kCVReturnErrorDomain, kCVReturnError,
            "cannot make a texture of format " + std::to_string(format) + " from a pixel buffer (GL error "
                + std::to_string(status) + ")");
    }
    // Plane textures are read, never drawn into: nothing to bring back to memory.
    std::shared_ptr<detail::GLTextureMirror> mirror;
    if (!planar) {
        mirror = std::make_shared<detail::GLTextureMirror>(_state->context, name, width, height);
        buffer->setMirror(mirror);
    }
    return std::shared_ptr<GLCacheTexture>(new GLCacheTexture(target, name, shape, buffer, std::move(mirror), _state));
}

void GLTextureCache::flush()
{
    if (_state->isContextCurrent())
        _state->deleteReleasedTextures();
}

}  // namespace plat
