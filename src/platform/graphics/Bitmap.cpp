#include "platform/graphics/Bitmap.h"

#include <cstring>

namespace plat {

namespace {

// Copies one row of pixels, swapping bytes 0 and 2 when asked.
void copyRow(const uint8_t* from, uint8_t* to, int width, bool swapRedAndBlue)
{
    if (!swapRedAndBlue) {
        std::memcpy(to, from, static_cast<size_t>(width) * 4);
        return;
    }
    for (int x = 0; x < width; ++x) {
        to[0] = from[2];
        to[1] = from[1];
        to[2] = from[0];
        to[3] = from[3];
        from += 4;
        to += 4;
    }
}

}  // namespace

Bitmap::Bitmap(int width, int height, PixelOrder order, size_t bytesPerRow, std::unique_ptr<uint8_t[]> bytes)
    : _width(width)
    , _height(height)
    , _bytesPerRow(bytesPerRow)
    , _order(order)
    , _ownBytes(std::move(bytes))
    , _bytes(_ownBytes.get())
{
}

Bitmap::Bitmap(int width, int height, PixelOrder order, size_t bytesPerRow, std::shared_ptr<const uint8_t> sharedBytes)
    : _width(width)
    , _height(height)
    , _bytesPerRow(bytesPerRow)
    , _order(order)
    , _sharedBytes(std::move(sharedBytes))
    // Never written through: the only writer is the maker, and a sharing bitmap's maker fills nothing.
    , _bytes(const_cast<uint8_t*>(_sharedBytes.get()))
{
}

bool Bitmap::isAllowedSize(int64_t width, int64_t height)
{
    return width >= 1 && height >= 1 && width <= kMaxBitmapEdge && height <= kMaxBitmapEdge
        && width * height <= kMaxBitmapPixels;
}

std::shared_ptr<Bitmap> Bitmap::allocate(int width, int height, PixelOrder order)
{
    return allocate(width, height, order, static_cast<size_t>(width > 0 ? width : 0) * 4);
}

std::shared_ptr<Bitmap> Bitmap::allocate(int width, int height, PixelOrder order, size_t bytesPerRow)
{
    constexpr size_t kMaxRowPadding = 4096;
    if (!isAllowedSize(width, height) || bytesPerRow < static_cast<size_t>(width) * 4
        || bytesPerRow > static_cast<size_t>(width) * 4 + kMaxRowPadding)
        return nullptr;
    // Uninitialised on purpose: a full-size frame is 33 MB that its maker overwrites anyway.
    auto bytes = std::make_unique_for_overwrite<uint8_t[]>(bytesPerRow * static_cast<size_t>(height));
    return std::make_shared<Bitmap>(width, height, order, bytesPerRow, std::move(bytes));
}

std::shared_ptr<Bitmap> Bitmap::sharing(
    int width, int height, PixelOrder order, size_t bytesPerRow, std::shared_ptr<const uint8_t> pixels)
{
    if (!pixels || !isAllowedSize(width, height) || bytesPerRow < static_cast<size_t>(width) * 4)
        return nullptr;
    return std::make_shared<Bitmap>(width, height, order, bytesPerRow, std::move(pixels));
}

std::shared_ptr<Bitmap> Bitmap::allocateCleared(int width, int height, PixelOrder order)
{
    auto bitmap = allocate(width, height, order);
    if (bitmap)
        std::memset(bitmap->mutableBytes(), 0, bitmap->byteCount());
    return bitmap;
}

void Bitmap::copyPixelsTo(uint8_t* dest, PixelOrder order) const
{
    bool swap = order != _order;
    size_t destRow = static_cast<size_t>(_width) * 4;
    if (!swap && destRow == _bytesPerRow) {
        std::memcpy(dest, bytes(), byteCount());
        return;
    }
    for (int y = 0; y < _height; ++y)
        copyRow(row(y), dest + destRow * static_cast<size_t>(y), _width, swap);
}

std::shared_ptr<Bitmap> Bitmap::copyWithOrder(PixelOrder order) const
{
    auto copy = allocate(_width, _height, order);
    if (!copy)
        return nullptr;
    copyPixelsTo(copy->mutableBytes(), order);
    copy->setOpaque(_opaque);
    return copy;
}

}  // namespace plat
