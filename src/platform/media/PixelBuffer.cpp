#include "platform/media/PixelBuffer.h"

#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

#include "platform/media/MediaConstants.h"

namespace plat {

namespace {

constexpr int kMaxEdge = 16384;
constexpr size_t kRowAlignment = 64;
// Buffers kept for reuse; more than a writer holds in flight at once.
constexpr size_t kMaxIdleBuffers = 8;

size_t paddedRowBytes(int width)
{
    size_t bytes = static_cast<size_t>(width) * 4;
    return (bytes + kRowAlignment - 1) / kRowAlignment * kRowAlignment;
}

Error pixelBufferError(const std::string& text)
{
    return Error(kMediaErrorDomain, kMediaErrorUnknown, "pixel buffer: " + text);
}

uint8_t* allocatePixels(size_t bytes)
{
    return static_cast<uint8_t*>(std::aligned_alloc(kRowAlignment, bytes));
}

Result<void> checkFormat(int width, int height, uint32_t pixelFormatType)
{
    if (!PixelBuffer::isSupportedPixelFormat(pixelFormatType))
        return pixelBufferError("unsupported pixel format");
    if (width <= 0 || height <= 0 || width > kMaxEdge || height > kMaxEdge)
        return pixelBufferError("unsupported size");
    return {};
}

}  // namespace

PixelBuffer::PixelBuffer(int width, int height, uint32_t pixelFormatType, size_t bytesPerRow, uint8_t* memory,
    std::function<void(uint8_t*)> recycle)
    : _width(width)
    , _height(height)
    , _pixelFormatType(pixelFormatType)
    , _bytesPerRow(bytesPerRow)
    , _memory(memory)
    , _recycle(std::move(recycle))
{
}

PixelBuffer::~PixelBuffer()
{
    if (_recycle)
        _recycle(_memory);
    else
        std::free(_memory);
}

bool PixelBuffer::isSupportedPixelFormat(uint32_t pixelFormatType)
{
    return pixelFormatType == kPixelFormatType_32ARGB || pixelFormatType == kPixelFormatType_32BGRA;
}

Result<std::shared_ptr<PixelBuffer>> PixelBuffer::create(int width, int height, uint32_t pixelFormatType)
{
    auto checked = checkFormat(width, height, pixelFormatType);
    if (!checked.ok())
        return checked.error();
    size_t bytesPerRow = paddedRowBytes(width);
    uint8_t* memory = allocatePixels(bytesPerRow * static_cast<size_t>(height));
    if (!memory)
        return pixelBufferError("out of memory");
    return std::make_shared<PixelBuffer>(width, height, pixelFormatType, bytesPerRow, memory, nullptr);
}

void PixelBuffer::lockBaseAddress()
{
    ++_locks;
}

void PixelBuffer::unlockBaseAddress()
{
    if (--_locks < 0)
        std::abort();  // an unlock without its lock is a programmer error
}

uint8_t* PixelBuffer::baseAddress()
{
    return _locks.load() > 0 ? _memory : nullptr;
}

const uint8_t* PixelBuffer::baseAddress() const
{
    return _locks.load() > 0 ? _memory : nullptr;
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
    auto checked = checkFormat(width, height, pixelFormatType);
    if (!checked.ok())
        return checked.error();
    return std::make_shared<PixelBufferPool>(width, height, pixelFormatType);
}

Result<std::shared_ptr<PixelBuffer>> PixelBufferPool::createPixelBuffer()
{
    size_t bytesPerRow = paddedRowBytes(_width);
    uint8_t* memory = nullptr;
    {
        std::lock_guard lock(_shelf->lock);
        if (!_shelf->idle.empty()) {
            memory = _shelf->idle.back();
            _shelf->idle.pop_back();
        }
    }
    if (!memory)
        memory = allocatePixels(bytesPerRow * static_cast<size_t>(_height));
    if (!memory)
        return pixelBufferError("out of memory");
    auto recycle = [shelf = _shelf](uint8_t* released) {
        std::lock_guard lock(shelf->lock);
        if (shelf->idle.size() < kMaxIdleBuffers)
            shelf->idle.push_back(released);
        else
            std::free(released);
    };
    return std::make_shared<PixelBuffer>(_width, _height, _pixelFormatType, bytesPerRow, memory, std::move(recycle));
}

}  // namespace plat
