#include "platform/graphics/PixelBuffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/foundation/Fatal.h"
#include "platform/graphics/Bitmap.h"

namespace plat {

namespace {

constexpr size_t kRowAlignment = 64;
// Memory kept for reuse by a pool; more than a writer or a camera holds in flight at once.
constexpr size_t kMaxIdleBuffers = 8;

struct AlignedFree {
    void operator()(uint8_t* memory) const { std::free(memory); }
};

uint8_t* allocateAligned(size_t bytes)
{
    // aligned_alloc wants a multiple of the alignment; every row length made here is one.
    size_t rounded = (bytes + kRowAlignment - 1) / kRowAlignment * kRowAlignment;
    return static_cast<uint8_t*>(std::aligned_alloc(kRowAlignment, rounded));
}

std::shared_ptr<uint8_t> allocateMemory(size_t bytes)
{
    uint8_t* memory = allocateAligned(bytes);
    if (!memory)
        return nullptr;
    return std::shared_ptr<uint8_t>(memory, AlignedFree());
}

size_t paddedRow(size_t bytes)
{
    return (bytes + kRowAlignment - 1) / kRowAlignment * kRowAlignment;
}

// YCbCr black: no light, no colour.
constexpr uint8_t kVideoRangeBlack = 16;
constexpr uint8_t kFullRangeBlack = 0;
constexpr uint8_t kNoChroma = 128;

Result<void> checkFormatAndSize(int width, int height, uint32_t pixelFormatType)
{
    if (!PixelBuffer::isSupportedPixelFormat(pixelFormatType))
        return Error(kCVReturnErrorDomain, kCVReturnInvalidPixelFormat,
            "pixel buffers hold 32-bit ARGB or BGRA or bi-planar 4:2:0 YCbCr, not format "
                + std::to_string(pixelFormatType));
    if (!Bitmap::isAllowedSize(width, height))
        return Error(kCVReturnErrorDomain, kCVReturnInvalidSize,
            "no pixel buffer of " + std::to_string(width) + " x " + std::to_string(height) + " pixels");
    return {};
}

Error outOfMemory(int width, int height)
{
    return Error(kCVReturnErrorDomain, kCVReturnAllocationFailed,
        "out of memory for a pixel buffer of " + std::to_string(width) + " x " + std::to_string(height) + " pixels");
}

}  // namespace

bool PixelBuffer::isSupportedPixelFormat(uint32_t pixelFormatType)
{
    return pixelFormatType == kPixelFormatType_32ARGB || pixelFormatType == kPixelFormatType_32BGRA
        || isBiPlanarPixelFormat(pixelFormatType);
}

bool PixelBuffer::isBiPlanarPixelFormat(uint32_t pixelFormatType)
{
    return pixelFormatType == kPixelFormatType_420YpCbCr8BiPlanarVideoRange
        || pixelFormatType == kPixelFormatType_420YpCbCr8BiPlanarFullRange;
}

size_t PixelBuffer::paddedBytesPerRow(int width)
{
    return paddedRow(static_cast<size_t>(width > 0 ? width : 0) * 4);
}

PixelBuffer::Layout PixelBuffer::layoutFor(int width, int height, uint32_t pixelFormatType, size_t rows32Bit)
{
    Layout layout;
    if (!isBiPlanarPixelFormat(pixelFormatType)) {
        layout.planes[0] = {width, height, rows32Bit, 0};
        layout.dataSize = rows32Bit * static_cast<size_t>(height);
        return layout;
    }
    // Each chroma pair covers a 2 x 2 block; an odd last column or row has a pair of its own.
    const int chromaWidth = (width + 1) / 2;
    const int chromaHeight = (height + 1) / 2;
    layout.planeCount = 2;
    layout.planes[0] = {width, height, paddedRow(static_cast<size_t>(width)), 0};
    const size_t lumaBytes = layout.planes[0].bytesPerRow * static_cast<size_t>(height);
    layout.planes[1] = {chromaWidth, chromaHeight, paddedRow(static_cast<size_t>(chromaWidth) * 2), lumaBytes};
    layout.dataSize = lumaBytes + layout.planes[1].bytesPerRow * static_cast<size_t>(chromaHeight);
    return layout;
}

Result<std::shared_ptr<PixelBuffer>> PixelBuffer::create(int width, int height, uint32_t pixelFormatType)
{
    auto checked = checkFormatAndSize(width, height, pixelFormatType);
    if (!checked.ok())
        return checked.error();
    const size_t bytesPerRow = paddedBytesPerRow(width);
    const Layout layout = layoutFor(width, height, pixelFormatType, bytesPerRow);
    auto memory = allocateMemory(layout.dataSize);
    if (!memory)
        return outOfMemory(width, height);
    if (layout.planeCount == 2) {
        const uint8_t black
            = pixelFormatType == kPixelFormatType_420YpCbCr8BiPlanarVideoRange ? kVideoRangeBlack : kFullRangeBlack;
        std::memset(memory.get(), black, layout.planes[1].offset);
        std::memset(memory.get() + layout.planes[1].offset, kNoChroma, layout.dataSize - layout.planes[1].offset);
    } else {
        std::memset(memory.get(), 0, layout.dataSize);
    }
    return std::make_shared<PixelBuffer>(Passkey(), width, height, pixelFormatType, bytesPerRow, std::move(memory));
}

Result<std::shared_ptr<PixelBuffer>> PixelBuffer::createWithBytes(int width, int height, uint32_t pixelFormatType,
    uint8_t* baseAddress, size_t bytesPerRow, std::shared_ptr<const void> owner)
{
    auto checked = checkFormatAndSize(width, height, pixelFormatType);
    if (!checked.ok())
        return checked.error();
    if (isBiPlanarPixelFormat(pixelFormatType))
        return Error(kCVReturnErrorDomain, kCVReturnInvalidPixelFormat, "only 32-bit pixels are wrapped in place");
    if (!baseAddress || !owner || bytesPerRow < static_cast<size_t>(width) * 4 || bytesPerRow % 4 != 0)
        return Error(kCVReturnErrorDomain, kCVReturnInvalidArgument,
            "pixel rows of " + std::to_string(bytesPerRow) + " bytes cannot hold " + std::to_string(width) + " pixels");
    // Shares owner's count, so that pictures sharing the pixels keep owner too.
    std::shared_ptr<uint8_t> memory(std::const_pointer_cast<void>(std::move(owner)), baseAddress);
    return std::make_shared<PixelBuffer>(Passkey(), width, height, pixelFormatType, bytesPerRow, std::move(memory));
}

PixelBuffer::PixelBuffer(
    Passkey, int width, int height, uint32_t pixelFormatType, size_t bytesPerRow, std::shared_ptr<uint8_t> memory)
    : _width(width)
    , _height(height)
    , _pixelFormatType(pixelFormatType)
    , _memory(std::move(memory))
{
    const Layout layout = layoutFor(width, height, pixelFormatType, bytesPerRow);
    _planeCount = layout.planeCount;
    _planes[0] = layout.planes[0];
    _planes[1] = layout.planes[1];
    _dataSize = layout.dataSize;
}

const PixelBuffer::Plane& PixelBuffer::plane(size_t planeIndex) const
{
    if (planeIndex >= std::max<size_t>(_planeCount, 1))
        detail::fatal("PixelBuffer: no plane {} in a buffer of {} planes", planeIndex, _planeCount);
    return _planes[planeIndex];
}

uint8_t* PixelBuffer::baseAddressOfPlane(size_t planeIndex)
{
    const size_t offset = plane(planeIndex).offset;
    std::lock_guard guard(_lock);
    return _locks > 0 ? _memory.get() + offset : nullptr;
}

const uint8_t* PixelBuffer::baseAddressOfPlane(size_t planeIndex) const
{
    const size_t offset = plane(planeIndex).offset;
    std::lock_guard guard(_lock);
    return _locks > 0 ? _memory.get() + offset : nullptr;
}

std::string PixelBuffer::yCbCrMatrix() const
{
    std::lock_guard guard(_lock);
    return _yCbCrMatrix;
}

void PixelBuffer::setYCbCrMatrix(std::string matrix)
{
    std::lock_guard guard(_lock);
    _yCbCrMatrix = std::move(matrix);
}

std::shared_ptr<uint8_t> PixelBuffer::copyOfMemoryLocked() const
{
    auto copy = allocateMemory(dataSize());
    if (copy)
        std::memcpy(copy.get(), _memory.get(), dataSize());
    return copy;
}

void PixelBuffer::lockBaseAddress(PixelBufferLock lock)
{
    std::lock_guard guard(_lock);
    auto mirror = _locks == 0 ? _mirror.lock() : nullptr;
    // Pictures show this memory: a writer (the mirror too) gets a copy of its own.
    if ((lock == PixelBufferLock::ReadWrite || mirror) && !_shared.expired()) {
        auto moved = copyOfMemoryLocked();
        if (!moved) {
            // No status to report it through, and writing on would change pictures that must not change.
            detail::fatal("PixelBuffer: out of memory moving {} x {} pixels for writing", _width, _height);
        }
        if (_locks > 0)
            _retired.push_back(std::move(_memory));
        _memory = std::move(moved);
        _shared.reset();
    }
    if (mirror)
        mirror->copyIntoMemory(_memory.get(), bytesPerRow());
    ++_locks;
    if (lock == PixelBufferLock::ReadWrite)
        ++_readWriteLocks;
}

void PixelBuffer::unlockBaseAddress(PixelBufferLock lock)
{
    std::lock_guard guard(_lock);
    if (_locks == 0 || (lock == PixelBufferLock::ReadWrite && _readWriteLocks == 0))
        detail::fatal("PixelBuffer: unlocked without a matching lock");
    --_locks;
    if (lock == PixelBufferLock::ReadWrite) {
        --_readWriteLocks;
        if (auto mirror = _mirror.lock())
            mirror->copyFromMemory(_memory.get(), bytesPerRow());
    }
    if (_locks == 0)
        _retired.clear();
}

uint8_t* PixelBuffer::baseAddress()
{
    std::lock_guard guard(_lock);
    return _locks > 0 ? _memory.get() : nullptr;
}

const uint8_t* PixelBuffer::baseAddress() const
{
    std::lock_guard guard(_lock);
    return _locks > 0 ? _memory.get() : nullptr;
}

std::shared_ptr<const uint8_t> PixelBuffer::sharePixels()
{
    std::lock_guard guard(_lock);
    if (_locks == 0)
        return nullptr;
    if (_readWriteLocks > 0)
        return copyOfMemoryLocked();
    if (auto shared = _shared.lock())
        return shared;
    // A count of its own, so that the buffer can tell whether pictures still show its memory.
    std::shared_ptr<const uint8_t> shared(_memory.get(), [memory = _memory](const uint8_t*) {});
    _shared = shared;
    return shared;
}

void PixelBuffer::setMirror(std::weak_ptr<PixelBufferMirror> mirror)
{
    std::lock_guard guard(_lock);
    _mirror = std::move(mirror);
}

std::shared_ptr<Bitmap> bitmapSharingPixels(PixelBuffer& buffer)
{
    if (buffer.pixelFormatType() != kPixelFormatType_32BGRA)
        return nullptr;
    buffer.lockBaseAddress(PixelBufferLock::ReadOnly);
    auto pixels = buffer.sharePixels();
    buffer.unlockBaseAddress(PixelBufferLock::ReadOnly);
    if (!pixels)
        return nullptr;
    return Bitmap::sharing(buffer.width(), buffer.height(), PixelOrder::BGRA, buffer.bytesPerRow(), std::move(pixels));
}

struct PixelBufferPool::Shelf {
    std::mutex lock;
    std::vector<uint8_t*> idle;  // guarded by lock
    ~Shelf()
    {
        for (uint8_t* memory : idle)
            std::free(memory);
    }
};

PixelBufferPool::PixelBufferPool(int width, int height, uint32_t pixelFormatType)
    : _width(width)
    , _height(height)
    , _pixelFormatType(pixelFormatType)
    , _shelf(std::make_shared<Shelf>())
{
}

PixelBufferPool::~PixelBufferPool() = default;

Result<std::shared_ptr<PixelBufferPool>> PixelBufferPool::create(int width, int height, uint32_t pixelFormatType)
{
    auto checked = checkFormatAndSize(width, height, pixelFormatType);
    if (!checked.ok())
        return checked.error();
    return std::make_shared<PixelBufferPool>(width, height, pixelFormatType);
}

Result<std::shared_ptr<PixelBuffer>> PixelBufferPool::createPixelBuffer()
{
    const size_t bytesPerRow = PixelBuffer::paddedBytesPerRow(_width);
    const size_t dataSize = PixelBuffer::layoutFor(_width, _height, _pixelFormatType, bytesPerRow).dataSize;
    uint8_t* memory = nullptr;
    {
        std::lock_guard lock(_shelf->lock);
        if (!_shelf->idle.empty()) {
            memory = _shelf->idle.back();
            _shelf->idle.pop_back();
        }
    }
    if (!memory)
        memory = allocateAligned(dataSize);
    if (!memory)
        return outOfMemory(_width, _height);
    // Back on the shelf once the buffer and every picture sharing its pixels are gone.
    std::shared_ptr<uint8_t> owned(memory, [shelf = _shelf](uint8_t* released) {
        std::lock_guard lock(shelf->lock);
        if (shelf->idle.size() < kMaxIdleBuffers)
            shelf->idle.push_back(released);
        else
            std::free(released);
    });
    return std::make_shared<PixelBuffer>(
        PixelBuffer::Passkey(), _width, _height, _pixelFormatType, bytesPerRow, std::move(owned));
}

}  // namespace plat
