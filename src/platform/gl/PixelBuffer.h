#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/foundation/Result.h"

namespace plat {

namespace detail {
struct GLTextureMirror;
}

// The platform's pixel-format codes that pixel buffers take.
inline constexpr uint32_t kPixelFormatType_32BGRA = 0x42475241;  // 'BGRA'

// Status codes of pixel-buffer and texture-cache failures, as the platform numbers them.
inline constexpr int64_t kCVReturnError = -6660;
inline constexpr int64_t kCVReturnInvalidArgument = -6661;
inline constexpr int64_t kCVReturnAllocationFailed = -6662;
inline constexpr int64_t kCVReturnInvalidPixelFormat = -6680;
inline constexpr int64_t kCVReturnInvalidSize = -6681;
inline constexpr const char* kCVReturnErrorDomain = "plat.CVReturn";

enum class PixelBufferLock { ReadWrite, ReadOnly };

// Pixels in CPU memory, as the platform's pixel buffer: 32-bit BGRA, packed
// rows. A buffer that a texture cache has turned into a texture is kept in
// step with that texture: locking copies what GL drew into memory, and
// unlocking after a read-write lock copies memory back into the texture.
// Both copies need the texture's context current on the locking thread (as
// on the platform, lock after glFinish on the GL queue); elsewhere memory
// keeps what it held at the last copy. Any thread; the pixels only while
// locked.
class PixelBuffer {
public:
    // Errors kCVReturnInvalidPixelFormat and kCVReturnInvalidSize.
    static Result<std::shared_ptr<PixelBuffer>> create(int width, int height, uint32_t pixelFormatType);

    int width() const { return _width; }
    int height() const { return _height; }
    size_t bytesPerRow() const { return static_cast<size_t>(_width) * 4; }
    size_t dataSize() const { return bytesPerRow() * static_cast<size_t>(_height); }
    uint32_t pixelFormatType() const { return kPixelFormatType_32BGRA; }

    void lockBaseAddress(PixelBufferLock lock);
    void unlockBaseAddress(PixelBufferLock lock);
    // nullptr unless locked.
    uint8_t* baseAddress();

    PixelBuffer(int width, int height);
    PixelBuffer(const PixelBuffer&) = delete;
    PixelBuffer& operator=(const PixelBuffer&) = delete;

private:
    friend class GLTextureCache;

    int _width;
    int _height;
    std::mutex _lock;
    int _lockCount = 0;  // guarded by _lock
    std::vector<uint8_t> _bytes;
    std::weak_ptr<detail::GLTextureMirror> _mirror;  // guarded by _lock
};

}  // namespace plat
