#include "platform/media/BGRAToBiPlanar.h"

#include <cmath>

namespace plat::detail {

namespace {

constexpr int kShift = 14;
constexpr int kOne = 1 << kShift;

// Whole-number weights of B, G and R for one component, scaled by kOne, and
// what is added before the shift (the offset and the rounding).
struct Weights {
    int32_t b, g, r, add;
};

struct Coefficients {
    Weights luma;
    Weights cb;  // for the sum of four pixels: two more bits of shift
    Weights cr;
};

int32_t scaled(double value)
{
    return static_cast<int32_t>(std::lround(value * kOne));
}

// The weights of each row sum exactly to the range's span (luma) or to
// nothing (chroma), so white is white and greys carry no colour.
Coefficients coefficientsFor(YCbCrMatrix matrix, bool fullRange)
{
    const double kr = matrix == YCbCrMatrix::ITU601 ? 0.299 : 0.2126;
    const double kb = matrix == YCbCrMatrix::ITU601 ? 0.114 : 0.0722;
    const double lumaSpan = fullRange ? 1.0 : 219.0 / 255.0;
    const double chromaSpan = fullRange ? 1.0 : 224.0 / 255.0;
    const int32_t lumaOffset = fullRange ? 0 : 16;

    Coefficients c {};
    c.luma.r = scaled(kr * lumaSpan);
    c.luma.b = scaled(kb * lumaSpan);
    c.luma.g = scaled(lumaSpan) - c.luma.r - c.luma.b;
    c.luma.add = (lumaOffset << kShift) + kOne / 2;

    const double cbScale = chromaSpan * 0.5 / (1.0 - kb);
    const double crScale = chromaSpan * 0.5 / (1.0 - kr);
    c.cb.b = scaled(chromaSpan * 0.5);
    c.cb.r = scaled(-kr * cbScale);
    c.cb.g = -c.cb.b - c.cb.r;
    c.cr.r = scaled(chromaSpan * 0.5);
    c.cr.b = scaled(-kb * crScale);
    c.cr.g = -c.cr.r - c.cr.b;
    c.cb.add = c.cr.add = (128 << (kShift + 2)) + (1 << (kShift + 1));
    return c;
}

uint8_t clampedByte(int32_t value)
{
    return static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

// One CbCr pair from the sums of B, G and R over four pixels.
[[gnu::always_inline]] inline void storeChromaPair(
    uint8_t* pair, int32_t blue, int32_t green, int32_t red, const Coefficients& c)
{
    pair[0] = clampedByte((c.cb.b * blue + c.cb.g * green + c.cb.r * red + c.cb.add) >> (kShift + 2));
    pair[1] = clampedByte((c.cr.b * blue + c.cr.g * green + c.cr.r * red + c.cr.add) >> (kShift + 2));
}

// Where blue, green and red sit in a pixel's four bytes.
struct BGRAOrder {
    static constexpr int kBlue = 0, kGreen = 1, kRed = 2;
};
struct ARGBOrder {
    static constexpr int kBlue = 3, kGreen = 2, kRed = 1;
};

// Plain loops over whole numbers that the compiler turns into vectors;
// built twice below for each byte order, for SSE2 and for AVX2.
template <typename Order>
[[gnu::always_inline]] inline void lumaRowPortably(
    uint8_t* __restrict luma, const uint8_t* __restrict pixels, int width, const Weights& w)
{
    for (int x = 0; x < width; ++x) {
        const uint8_t* pixel = pixels + 4 * x;
        luma[x] = clampedByte(
            (w.b * pixel[Order::kBlue] + w.g * pixel[Order::kGreen] + w.r * pixel[Order::kRed] + w.add) >> kShift);
    }
}

template <typename Order>
[[gnu::always_inline]] inline void chromaRowPortably(uint8_t* __restrict chroma, const uint8_t* __restrict top,
    const uint8_t* __restrict bottom, int pairs, const Coefficients& c)
{
    for (int x = 0; x < pairs; ++x) {
        const uint8_t* a = top + 8 * x;
        const uint8_t* b = bottom + 8 * x;
        const int32_t blue = a[Order::kBlue] + a[Order::kBlue + 4] + b[Order::kBlue] + b[Order::kBlue + 4];
        const int32_t green = a[Order::kGreen] + a[Order::kGreen + 4] + b[Order::kGreen] + b[Order::kGreen + 4];
        const int32_t red = a[Order::kRed] + a[Order::kRed + 4] + b[Order::kRed] + b[Order::kRed + 4];
        storeChromaPair(chroma + 2 * x, blue, green, red, c);
    }
}

template <typename Order>
void lumaRowSSE2(uint8_t* __restrict luma, const uint8_t* __restrict pixels, int width, const Weights& w)
{
    lumaRowPortably<Order>(luma, pixels, width, w);
}

template <typename Order>
[[gnu::target("avx2")]] void lumaRowAVX2(
    uint8_t* __restrict luma, const uint8_t* __restrict pixels, int width, const Weights& w)
{
    lumaRowPortably<Order>(luma, pixels, width, w);
}

template <typename Order>
void chromaRowSSE2(uint8_t* __restrict chroma, const uint8_t* __restrict top, const uint8_t* __restrict bottom,
    int pairs, const Coefficients& c)
{
    chromaRowPortably<Order>(chroma, top, bottom, pairs, c);
}

template <typename Order>
[[gnu::target("avx2")]] void chromaRowAVX2(uint8_t* __restrict chroma, const uint8_t* __restrict top,
    const uint8_t* __restrict bottom, int pairs, const Coefficients& c)
{
    chromaRowPortably<Order>(chroma, top, bottom, pairs, c);
}

struct RowFunctions {
    void (*luma)(uint8_t*, const uint8_t*, int, const Weights&);
    void (*chroma)(uint8_t*, const uint8_t*, const uint8_t*, int, const Coefficients&);
};

// Chosen on first use, not by an ifunc resolver (see Resample.cpp).
template <typename Order> const RowFunctions& rowFunctionsForThisProcessor()
{
    static const RowFunctions chosen = __builtin_cpu_supports("avx2")
        ? RowFunctions {lumaRowAVX2<Order>, chromaRowAVX2<Order>}
        : RowFunctions {lumaRowSSE2<Order>, chromaRowSSE2<Order>};
    return chosen;
}

// The chroma pair of an odd last column, its pixel counted twice.
template <typename Order>
void lastChromaPair(uint8_t* chroma, const uint8_t* top, const uint8_t* bottom, const Coefficients& c)
{
    storeChromaPair(chroma, 2 * (top[Order::kBlue] + bottom[Order::kBlue]),
        2 * (top[Order::kGreen] + bottom[Order::kGreen]), 2 * (top[Order::kRed] + bottom[Order::kRed]), c);
}

template <typename Order>
void convertToBiPlanar420(const uint8_t* pixels, size_t stride, int width, int height, const BiPlanarPlanes& target,
    YCbCrMatrix matrix, bool fullRange)
{
    if (width <= 0 || height <= 0)
        return;
    const Coefficients c = coefficientsFor(matrix, fullRange);
    const RowFunctions& rows = rowFunctionsForThisProcessor<Order>();
    const int pairs = width / 2;
    for (int y = 0; y < height; y += 2) {
        const uint8_t* top = pixels + stride * static_cast<size_t>(y);
        const bool hasBottom = y + 1 < height;
        const uint8_t* bottom = hasBottom ? top + stride : top;
        rows.luma(target.luma + target.lumaStride * static_cast<size_t>(y), top, width, c.luma);
        if (hasBottom)
            rows.luma(target.luma + target.lumaStride * static_cast<size_t>(y + 1), bottom, width, c.luma);
        uint8_t* chroma = target.chroma + target.chromaStride * static_cast<size_t>(y / 2);
        rows.chroma(chroma, top, bottom, pairs, c);
        if (width % 2 != 0)
            lastChromaPair<Order>(chroma + 2 * pairs, top + 4 * (width - 1), bottom + 4 * (width - 1), c);
    }
}

}  // namespace

void convertBGRAToBiPlanar420(const uint8_t* bgra, size_t bgraStride, int width, int height,
    const BiPlanarPlanes& target, YCbCrMatrix matrix, bool fullRange)
{
    convertToBiPlanar420<BGRAOrder>(bgra, bgraStride, width, height, target, matrix, fullRange);
}

void convertARGBToBiPlanar420(const uint8_t* argb, size_t argbStride, int width, int height,
    const BiPlanarPlanes& target, YCbCrMatrix matrix, bool fullRange)
{
    convertToBiPlanar420<ARGBOrder>(argb, argbStride, width, height, target, matrix, fullRange);
}

}  // namespace plat::detail
