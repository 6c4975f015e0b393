#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace plat {

// Byte order of the four 8-bit components of a pixel in memory. Alpha is
// always premultiplied. BGRA is cairo's native ARGB32 on little-endian
// machines, so such bitmaps are drawn without conversion.
enum class PixelOrder { RGBA, BGRA };

// Limits for every bitmap, decoded or drawn: a picture beyond them is refused
// before its memory is allocated. 64 megapixels covers full-resolution camera
// photos; cairo cannot address edges beyond 32767 pixels.
inline constexpr int kMaxBitmapEdge = 32767;
inline constexpr int64_t kMaxBitmapPixels = int64_t(64) * 1024 * 1024;

// The pixels behind an image, as the platform's bitmap image is: width and
// height in pixels, 4 bytes a pixel, rows bytesPerRow apart. Mutable only
// while its maker fills it; images share it as std::shared_ptr<const Bitmap>.
// Any thread (immutable once shared).
class Bitmap {
public:
    // An uninitialised bitmap with packed rows, or nullptr when the size is
    // not positive or beyond the limits.
    static std::shared_ptr<Bitmap> allocate(int width, int height, PixelOrder order);
    // Rows bytesPerRow apart (at least width * 4), as camera and movie frames
    // come; nullptr also when bytesPerRow is too small.
    static std::shared_ptr<Bitmap> allocate(int width, int height, PixelOrder order, size_t bytesPerRow);
    // The same, every byte 0 (transparent black).
    static std::shared_ptr<Bitmap> allocateCleared(int width, int height, PixelOrder order);
    // Over pixels that others keep too (a pixel buffer's, shown without a
    // copy): read-only, so its maker fills nothing. nullptr as allocate.
    static std::shared_ptr<Bitmap> sharing(
        int width, int height, PixelOrder order, size_t bytesPerRow, std::shared_ptr<const uint8_t> pixels);
    static bool isAllowedSize(int64_t width, int64_t height);

    int width() const { return _width; }
    int height() const { return _height; }
    size_t bytesPerRow() const { return _bytesPerRow; }
    PixelOrder order() const { return _order; }
    // True when every pixel is known to have alpha 255 (decoded JPEGs,
    // opaque contexts); false means "maybe not".
    bool isOpaque() const { return _opaque; }
    void setOpaque(bool opaque) { _opaque = opaque; }

    const uint8_t* bytes() const { return _bytes; }
    // Not for a bitmap over shared pixels.
    uint8_t* mutableBytes() { return _bytes; }
    const uint8_t* row(int y) const { return _bytes + static_cast<size_t>(y) * _bytesPerRow; }
    uint8_t* mutableRow(int y) { return _bytes + static_cast<size_t>(y) * _bytesPerRow; }
    size_t byteCount() const { return _bytesPerRow * static_cast<size_t>(_height); }

    // A packed copy in the given order (one pass; swaps red and blue when the orders differ).
    std::shared_ptr<Bitmap> copyWithOrder(PixelOrder order) const;
    // Copies into dest (packed rows of width * 4 bytes) in the given order.
    void copyPixelsTo(uint8_t* dest, PixelOrder order) const;

    bool hasPackedRows() const { return _bytesPerRow == static_cast<size_t>(_width) * 4; }

    Bitmap(int width, int height, PixelOrder order, size_t bytesPerRow, std::unique_ptr<uint8_t[]> bytes);
    Bitmap(int width, int height, PixelOrder order, size_t bytesPerRow, std::shared_ptr<const uint8_t> sharedBytes);

private:
    int _width;
    int _height;
    size_t _bytesPerRow;
    PixelOrder _order;
    bool _opaque = false;
    std::unique_ptr<uint8_t[]> _ownBytes;
    std::shared_ptr<const uint8_t> _sharedBytes;  // instead of _ownBytes
    uint8_t* _bytes;  // into one of the two
};

}  // namespace plat
