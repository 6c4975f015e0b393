#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/foundation/Result.h"

namespace plat {

// A picture in memory for the media frameworks: 32-bit pixels (ARGB or BGRA
// byte order, alpha ignored by encoders), rows bytesPerRow apart, padded to
// 64 bytes as the platform pads them. The memory is reachable while the base
// address is locked. Its memory is not cleared. One queue at a time.
class PixelBuffer {
public:
    // Fails for a format other than 32ARGB or 32BGRA, or a size that is not
    // positive or beyond 16384 pixels a side.
    static Result<std::shared_ptr<PixelBuffer>> create(int width, int height, uint32_t pixelFormatType);
    ~PixelBuffer();
    PixelBuffer(const PixelBuffer&) = delete;
    PixelBuffer& operator=(const PixelBuffer&) = delete;

    int width() const { return _width; }
    int height() const { return _height; }
    uint32_t pixelFormatType() const { return _pixelFormatType; }
    size_t bytesPerRow() const { return _bytesPerRow; }

    // Locks nest; each lock needs its unlock.
    void lockBaseAddress();
    void unlockBaseAddress();
    // The first row while locked; nullptr while not.
    uint8_t* baseAddress();
    const uint8_t* baseAddress() const;

    static bool isSupportedPixelFormat(uint32_t pixelFormatType);

    // Used by pools: memory is handed back through recycle instead of freed.
    PixelBuffer(int width, int height, uint32_t pixelFormatType, size_t bytesPerRow, uint8_t* memory,
        std::function<void(uint8_t*)> recycle);

private:
    int _width;
    int _height;
    uint32_t _pixelFormatType;
    size_t _bytesPerRow;
    uint8_t* _memory;
    std::function<void(uint8_t*)> _recycle;
    std::atomic<int> _locks {0};
};

// Pixel buffers of one size and format whose memory is reused once a buffer
// is released, so a stream of pictures does not allocate a picture's worth of
// memory per picture. Any thread.
class PixelBufferPool {
public:
    static Result<std::shared_ptr<PixelBufferPool>> create(int width, int height, uint32_t pixelFormatType);
    ~PixelBufferPool();

    Result<std::shared_ptr<PixelBuffer>> createPixelBuffer();

    int width() const { return _width; }
    int height() const { return _height; }
    uint32_t pixelFormatType() const { return _pixelFormatType; }

    PixelBufferPool(int width, int height, uint32_t pixelFormatType);

private:
    struct Shelf;
    int _width;
    int _height;
    uint32_t _pixelFormatType;
    std::shared_ptr<Shelf> _shelf;  // outlives the pool while buffers are out
};

}  // namespace plat
