#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/foundation/Result.h"
#include "platform/graphics/PixelFormat.h"

namespace plat {

class Bitmap;

// A lock is ended with the same kind it was taken with.
enum class PixelBufferLock { ReadWrite, ReadOnly };

// Pixels kept outside the buffer's memory that the buffer is kept in step
// with: a GL texture that a texture cache made from it. Both calls come with
// the buffer's own lock held and take rows bytesPerRow apart; either may
// leave memory or the mirror as they are where it cannot copy now (a GL
// texture without its context current on the calling thread).
class PixelBufferMirror {
public:
    virtual ~PixelBufferMirror() = default;
    // When the first lock is taken: what the mirror holds into memory.
    virtual void copyIntoMemory(uint8_t* bytes, size_t bytesPerRow) = 0;
    // When a read-write lock ends: memory into the mirror.
    virtual void copyFromMemory(const uint8_t* bytes, size_t bytesPerRow) = 0;
};

// A picture in memory, as the platform's pixel buffer: capture hands its
// frames out in them, the movie writer encodes them, the GL texture cache
// turns them into textures. Either 32-bit pixels (ARGB or BGRA byte order,
// alpha ignored by encoders), rows bytesPerRow apart: padded to 64 bytes in
// buffers made here, as the platform pads them, or as given for memory
// wrapped with createWithBytes. Or bi-planar 4:2:0 YCbCr in one block of
// memory: plane 0 the luminance (a byte a pixel), plane 1 the Cb, Cr pairs
// of each 2 x 2 block (odd sizes round the halves up), each plane's rows
// padded to 64 bytes. The memory is reachable while the base address is
// locked; locks nest.
//
// Its memory can be shared with pictures (sharePixels) instead of copied.
// Shared memory never changes again: a later read-write lock, or a mirror
// about to copy in, first moves the buffer to memory of its own. A buffer with a mirror (see
// PixelBufferMirror) copies from it at its first lock and into it when a
// read-write lock ends. Any thread.
class PixelBuffer {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    // Memory of its own, cleared (YCbCr to black). Errors
    // kCVReturnInvalidPixelFormat for a format other than 32ARGB, 32BGRA,
    // 420v or 420f, kCVReturnInvalidSize for a size that is not positive or
    // beyond the bitmap limits.
    static Result<std::shared_ptr<PixelBuffer>> create(int width, int height, uint32_t pixelFormatType);
    // Over memory that owner keeps alive (32-bit formats only; rows
    // bytesPerRow apart, at least width * 4 and a multiple of 4); owner is let go when the buffer and
    // every picture sharing its pixels are gone. kCVReturnInvalidArgument
    // without memory or owner, or when the rows do not fit.
    static Result<std::shared_ptr<PixelBuffer>> createWithBytes(int width, int height, uint32_t pixelFormatType,
        uint8_t* baseAddress, size_t bytesPerRow, std::shared_ptr<const void> owner);
    static bool isSupportedPixelFormat(uint32_t pixelFormatType);
    static bool isBiPlanarPixelFormat(uint32_t pixelFormatType);
    // The row length of 32-bit buffers made here.
    static size_t paddedBytesPerRow(int width);

    int width() const { return _width; }
    int height() const { return _height; }
    uint32_t pixelFormatType() const { return _pixelFormatType; }
    // Plane 0's rows for a bi-planar buffer.
    size_t bytesPerRow() const { return _planes[0].bytesPerRow; }
    // All planes together.
    size_t dataSize() const { return _dataSize; }

    // 0 for a buffer of 32-bit pixels, which is not planar; 2 for YCbCr.
    size_t planeCount() const { return _planeCount; }
    // Plane 0 of a 32-bit buffer is the buffer itself; a plane index out of
    // range is a programmer error and aborts.
    int widthOfPlane(size_t planeIndex) const { return plane(planeIndex).width; }
    int heightOfPlane(size_t planeIndex) const { return plane(planeIndex).height; }
    size_t bytesPerRowOfPlane(size_t planeIndex) const { return plane(planeIndex).bytesPerRow; }
    // The plane's first row while locked; nullptr while not.
    uint8_t* baseAddressOfPlane(size_t planeIndex);
    const uint8_t* baseAddressOfPlane(size_t planeIndex) const;

    // The YCbCr matrix attachment (kCVImageBufferYCbCrMatrix_...): how a
    // YCbCr buffer's colours were made. Empty when not attached.
    std::string yCbCrMatrix() const;
    void setYCbCrMatrix(std::string matrix);

    void lockBaseAddress(PixelBufferLock lock = PixelBufferLock::ReadWrite);
    // An unlock without its lock is a programmer error and aborts.
    void unlockBaseAddress(PixelBufferLock lock = PixelBufferLock::ReadWrite);
    // The first row while locked; nullptr while not.
    uint8_t* baseAddress();
    const uint8_t* baseAddress() const;

    // The pixels as they stand, for a picture that shows them without a
    // copy: the buffer's memory itself, unless a read-write lock is held
    // (then a copy, since the holder may still write). Only while locked;
    // nullptr while not, or when a copy cannot be allocated.
    std::shared_ptr<const uint8_t> sharePixels();

    // Kept weakly: the mirror's owner (a cache texture) decides how long it lasts.
    void setMirror(std::weak_ptr<PixelBufferMirror> mirror);

    // Used by create, createWithBytes and pools.
    PixelBuffer(
        Passkey, int width, int height, uint32_t pixelFormatType, size_t bytesPerRow, std::shared_ptr<uint8_t> memory);
    PixelBuffer(const PixelBuffer&) = delete;
    PixelBuffer& operator=(const PixelBuffer&) = delete;

    struct Plane {
        int width = 0;
        int height = 0;
        size_t bytesPerRow = 0;
        size_t offset = 0;  // from the base address
    };
    struct Layout {
        size_t planeCount = 0;
        Plane planes[2];
        size_t dataSize = 0;
    };
    // Where a buffer made here keeps each plane; rows32Bit is the row length of a 32-bit buffer.
    static Layout layoutFor(int width, int height, uint32_t pixelFormatType, size_t rows32Bit);

private:
    friend class PixelBufferPool;
    std::shared_ptr<uint8_t> copyOfMemoryLocked() const;
    const Plane& plane(size_t planeIndex) const;

    const int _width;
    const int _height;
    const uint32_t _pixelFormatType;
    size_t _planeCount = 0;
    Plane _planes[2];
    size_t _dataSize = 0;
    mutable std::mutex _lock;
    std::shared_ptr<uint8_t> _memory;  // guarded by _lock
    // What sharePixels handed out last; while any of it lives, _memory is shared.
    std::weak_ptr<const uint8_t> _shared;  // guarded by _lock
    // Memory left behind by moves while other locks were held: their
    // pointers stay good until the last unlock.
    std::vector<std::shared_ptr<uint8_t>> _retired;  // guarded by _lock
    int _locks = 0;  // guarded by _lock
    int _readWriteLocks = 0;  // guarded by _lock
    std::weak_ptr<PixelBufferMirror> _mirror;  // guarded by _lock
    std::string _yCbCrMatrix;  // guarded by _lock
};

// Pixel buffers of one size and format whose memory is reused once a buffer
// (and every picture sharing its pixels) is gone, so a stream of pictures
// does not allocate a picture's worth of memory per picture. Its buffers'
// memory is not cleared. Any thread.
class PixelBufferPool {
public:
    // The errors of PixelBuffer::create.
    static Result<std::shared_ptr<PixelBufferPool>> create(int width, int height, uint32_t pixelFormatType);
    ~PixelBufferPool();

    Result<std::shared_ptr<PixelBuffer>> createPixelBuffer();

    int width() const { return _width; }
    int height() const { return _height; }
    uint32_t pixelFormatType() const { return _pixelFormatType; }

    PixelBufferPool(int width, int height, uint32_t pixelFormatType);
    PixelBufferPool(const PixelBufferPool&) = delete;
    PixelBufferPool& operator=(const PixelBufferPool&) = delete;

private:
    struct Shelf;
    int _width;
    int _height;
    uint32_t _pixelFormatType;
    std::shared_ptr<Shelf> _shelf;  // outlives the pool while its memory is out
};

// A 32BGRA buffer's pixels as a bitmap that shares them (see sharePixels):
// no copy unless a read-write lock is held. nullptr for 32ARGB, which
// bitmaps do not hold, or when memory runs out. The bitmap's pixels must not
// be written.
std::shared_ptr<Bitmap> bitmapSharingPixels(PixelBuffer& buffer);

}  // namespace plat
