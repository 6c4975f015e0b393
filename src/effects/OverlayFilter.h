#pragma once
#include <cstdint>
#include <deque>
#include <memory>

namespace plat {
class Image;
}

namespace zt {

// The echo effect: each frame is drawn with the last few frames added on top
// at a tenth of their brightness. Keeps its last numberOfOverlays source
// pictures between calls, so one queue at a time.
class OverlayFilter {
public:
    explicit OverlayFilter(int32_t numberOfOverlays);  // initFilter:

    // Remembers source and writes the sum of the remembered pictures into
    // dest (width x height pixels, 4 bytes each, packed). Source rows are
    // bytesPerRow apart; its pixels are blue, green, red, alpha (premultiplied).
    void processFilter(const uint8_t* source, uint8_t* dest, int32_t width, int32_t height, uint32_t bytesPerRow);

    // A picture of a copy of the buffer, in the layout processFilter takes.
    std::shared_ptr<plat::Image> getImageFromPixelBuffer(
        const uint8_t* buffer, int32_t width, int32_t height, uint32_t bytesPerRow) const;
    void cleanPixelBuffer(uint8_t* buffer, int32_t width, int32_t height) const;
    // Adds a tenth of each of the picture's first three bytes to dest (8-bit
    // sums that wrap past 255) and sets each pixel's fourth byte to alpha.
    void produceEffectImage(
        const plat::Image& image, uint8_t* dest, int32_t width, int32_t height, int32_t alpha) const;

    int32_t numberOfOverlays() const { return _numberOfOverlays; }
    size_t imageCount() const { return _images.size(); }

private:
    std::deque<std::shared_ptr<plat::Image>> _images;  // newest first
    int32_t _numberOfOverlays;
};

}  // namespace zt
