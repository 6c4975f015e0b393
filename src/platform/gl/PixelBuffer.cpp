#include "platform/gl/PixelBuffer.h"

#include <string>

#include "platform/gl/GLTextureMirror.h"

namespace plat {

Result<std::shared_ptr<PixelBuffer>> PixelBuffer::create(int width, int height, uint32_t pixelFormatType)
{
    if (pixelFormatType != kPixelFormatType_32BGRA)
        return Error(kCVReturnErrorDomain, kCVReturnInvalidPixelFormat,
            "pixel buffers hold 32-bit BGRA only, not format " + std::to_string(pixelFormatType));
    // The same limits as bitmaps: 64 megapixels, 32767 a side.
    constexpr int kMaxEdge = 32767;
    constexpr int64_t kMaxPixels = int64_t(64) * 1024 * 1024;
    if (width <= 0 || height <= 0 || width > kMaxEdge || height > kMaxEdge
        || int64_t(width) * int64_t(height) > kMaxPixels)
        return Error(kCVReturnErrorDomain, kCVReturnInvalidSize,
            "no pixel buffer of " + std::to_string(width) + " x " + std::to_string(height) + " pixels");
    return std::make_shared<PixelBuffer>(width, height);
}

PixelBuffer::PixelBuffer(int width, int height)
    : _width(width)
    , _height(height)
    , _bytes(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0)
{
}

void PixelBuffer::lockBaseAddress(PixelBufferLock)
{
    std::lock_guard guard(_lock);
    if (_lockCount++ == 0) {
        if (auto mirror = _mirror.lock(); mirror && mirror->isContextCurrent())
            mirror->copyTextureToMemory(_bytes.data());
    }
}

void PixelBuffer::unlockBaseAddress(PixelBufferLock lock)
{
    std::lock_guard guard(_lock);
    if (_lockCount == 0)
        return;
    --_lockCount;
    if (lock == PixelBufferLock::ReadWrite) {
        if (auto mirror = _mirror.lock(); mirror && mirror->isContextCurrent())
            mirror->copyMemoryToTexture(_bytes.data());
    }
}

uint8_t* PixelBuffer::baseAddress()
{
    std::lock_guard guard(_lock);
    return _lockCount > 0 ? _bytes.data() : nullptr;
}

}  // namespace plat
