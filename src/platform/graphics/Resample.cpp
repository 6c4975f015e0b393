#include "platform/graphics/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <immintrin.h>
#include <vector>

namespace plat::detail {

namespace {

// Vertical weights are 16-bit fractions of 65535, horizontal ones 14-bit
// fractions of 16384: a destination pixel that the picture covers whole has
// weights summing to exactly that, so flat colours stay exact.
constexpr int kVerticalOne = 65535;
constexpr int kHorizontalOne = 1 << 14;
// The vertical pass keeps each component as v * 257 (0...65535).
constexpr uint32_t kWideComponent = 257;

// The source pixels that make up each destination pixel along one axis.
struct AxisWeights {
    int firstDest = 0;
    std::vector<int> firstSource;  // per destination pixel
    std::vector<int> count;  // per destination pixel
    std::vector<int> start;  // per destination pixel, into weights
    std::vector<int> weights;
    std::vector<float> weightsAsFloats;  // the same, for the horizontal pass
    int minSource = 0;
    int maxSource = 0;  // exclusive
    int size() const { return static_cast<int>(count.size()); }
};

// Rounds the real weights to fixed point so that they sum to the rounded
// coverage; the remainder goes to the largest weight.
void appendRounded(AxisWeights& axis, const std::vector<double>& real, double coverage, int one)
{
    int target = static_cast<int>(std::lround(coverage * one));
    int sum = 0;
    size_t largest = 0;
    size_t base = axis.weights.size();
    for (size_t i = 0; i < real.size(); ++i) {
        int weight = static_cast<int>(std::lround(real[i] * one));
        axis.weights.push_back(weight);
        sum += weight;
        if (real[i] > real[largest])
            largest = i;
    }
    if (!real.empty())
        axis.weights[base + largest] = std::max(0, axis.weights[base + largest] + target - sum);
}

// length of [a0, a1) ∩ [b0, b1)
double overlap(double a0, double a1, double b0, double b1)
{
    return std::max(0.0, std::min(a1, b1) - std::max(a0, b0));
}

std::optional<AxisWeights> makeAxisWeights(
    int sourceLength, double scale, double offset, int clipStart, int clipEnd, int one)
{
    double pictureStart = offset;
    double pictureEnd = offset + sourceLength * scale;
    int firstDest = std::max(clipStart, static_cast<int>(std::floor(pictureStart)));
    int endDest = std::min(clipEnd, static_cast<int>(std::ceil(pictureEnd)));
    if (endDest <= firstDest)
        return std::nullopt;
    AxisWeights axis;
    axis.firstDest = firstDest;
    axis.minSource = sourceLength;
    axis.maxSource = 0;
    std::vector<double> real;
    for (int dest = firstDest; dest < endDest; ++dest) {
        double coverage = overlap(dest, dest + 1, pictureStart, pictureEnd);
        real.clear();
        int first;
        if (scale < 1) {
            // Area average: each source pixel weighs the length of its overlap with the footprint.
            double from = (dest - offset) / scale;
            double to = (dest + 1 - offset) / scale;
            first = std::max(0, static_cast<int>(std::floor(from)));
            int last = std::min(sourceLength, static_cast<int>(std::ceil(to)));
            for (int source = first; source < last; ++source)
                real.push_back(overlap(source, source + 1, from, to) * scale);
        } else {
            // Linear interpolation between the two nearest pixel centres, clamped at the edges.
            double u = (dest + 0.5 - offset) / scale - 0.5;
            int left = static_cast<int>(std::floor(u));
            double t = u - left;
            int right = left + 1;
            left = std::clamp(left, 0, sourceLength - 1);
            right = std::clamp(right, 0, sourceLength - 1);
            first = left;
            if (right == left) {
                real.push_back(1);
            } else {
                real.push_back(1 - t);
                real.push_back(t);
            }
        }
        double total = 0;
        for (double weight : real)
            total += weight;
        if (total > 0) {
            for (double& weight : real)
                weight = weight / total * coverage;
        }
        axis.firstSource.push_back(first);
        axis.count.push_back(static_cast<int>(real.size()));
        axis.start.push_back(static_cast<int>(axis.weights.size()));
        appendRounded(axis, real, coverage, one);
        if (!real.empty()) {
            axis.minSource = std::min(axis.minSource, first);
            axis.maxSource = std::max(axis.maxSource, first + static_cast<int>(real.size()));
        }
    }
    if (axis.maxSource <= axis.minSource)
        return std::nullopt;
    axis.weightsAsFloats.assign(axis.weights.begin(), axis.weights.end());
    return axis;
}

// accumulator[i] += row[i] * 257 * weight / 65536, in 16 bits: the high half
// of a 16 x 16-bit product, which SSE2 and AVX2 do 8 or 16 at a time. The
// sum cannot pass 65535, since the weights of one pixel sum to at most 65535.
[[gnu::always_inline]] inline void accumulateRowPortably(
    uint16_t* __restrict accumulator, const uint8_t* __restrict row, uint16_t weight, int components)
{
    for (int i = 0; i < components; ++i) {
        uint16_t wide = static_cast<uint16_t>(row[i] * kWideComponent);
        accumulator[i] = static_cast<uint16_t>(accumulator[i] + ((static_cast<uint32_t>(wide) * weight) >> 16));
    }
}

void accumulateRowSSE2(uint16_t* __restrict accumulator, const uint8_t* __restrict row, uint16_t weight, int components)
{
    accumulateRowPortably(accumulator, row, weight, components);
}

[[gnu::target("avx2")]] void accumulateRowAVX2(
    uint16_t* __restrict accumulator, const uint8_t* __restrict row, uint16_t weight, int components)
{
    accumulateRowPortably(accumulator, row, weight, components);
}

using AccumulateRow = void (*)(uint16_t*, const uint8_t*, uint16_t, int);

// Chosen on first use rather than by the compiler's target_clones: those
// are picked by an ifunc resolver that runs while the program is loaded,
// before ThreadSanitizer's runtime is set up, and crashed every binary
// built with it.
AccumulateRow accumulateRowForThisProcessor()
{
    static const AccumulateRow chosen = __builtin_cpu_supports("avx2") ? accumulateRowAVX2 : accumulateRowSSE2;
    return chosen;
}

void widenRow(float* __restrict wide, const uint16_t* __restrict accumulator, int components)
{
    for (int i = 0; i < components; ++i)
        wide[i] = static_cast<float>(accumulator[i]);
}

// One destination row from the vertically filtered row; swaps red and blue
// when the source is RGBA, since the tile is BGRA. In SSE2, which every
// x86-64 processor has: the weights are whole numbers, exact as floats, and
// the products are summed in the same order as the portable vectors did, so
// every pixel comes out as it always has.
void filterRowHorizontally(
    uint8_t* __restrict out, const float* __restrict wide, const AxisWeights& horizontal, bool swapRedAndBlue)
{
    // From weights of 16384 and components of 65535 back to bytes.
    constexpr float kToByte = 255.0f / (static_cast<float>(kHorizontalOne) * 65535.0f);
    const __m128 toByte = _mm_set1_ps(kToByte);
    const __m128 half = _mm_set1_ps(0.5f);
    const __m128 top = _mm_set1_ps(255.0f);
    const float* weights = horizontal.weightsAsFloats.data();
    const int* firstSource = horizontal.firstSource.data();
    const int* start = horizontal.start.data();
    const int* count = horizontal.count.data();
    const float* base = wide - static_cast<ptrdiff_t>(horizontal.minSource) * 4;
    const int size = horizontal.size();
    for (int dest = 0; dest < size; ++dest) {
        __m128 sum = _mm_setzero_ps();
        const float* pixel = base + static_cast<ptrdiff_t>(firstSource[dest]) * 4;
        const float* weight = weights + start[dest];
        const int taps = count[dest];
        for (int k = 0; k < taps; ++k, pixel += 4)
            sum = _mm_add_ps(sum, _mm_mul_ps(_mm_set1_ps(weight[k]), _mm_loadu_ps(pixel)));
        sum = _mm_min_ps(_mm_add_ps(_mm_mul_ps(sum, toByte), half), top);
        __m128i whole = _mm_cvttps_epi32(sum);  // 0 to 255: the packing below keeps each value
        if (swapRedAndBlue)
            whole = _mm_shuffle_epi32(whole, _MM_SHUFFLE(3, 0, 1, 2));
        const __m128i words = _mm_packs_epi32(whole, whole);
        const int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
        std::memcpy(out + static_cast<size_t>(dest) * 4, &bytes, sizeof bytes);
    }
}

}  // namespace

std::optional<ResampledTile> resampleAxisAligned(
    const Bitmap& source, double scaleX, double scaleY, double offsetX, double offsetY, int clipWidth, int clipHeight)
{
    return resampleAxisAlignedWithin(source, scaleX, scaleY, offsetX, offsetY, {0, 0, clipWidth, clipHeight});
}

std::optional<ResampledTile> resampleAxisAlignedWithin(
    const Bitmap& source, double scaleX, double scaleY, double offsetX, double offsetY, PixelClip clip)
{
    if (!(scaleX > 0) || !(scaleY > 0) || !std::isfinite(offsetX) || !std::isfinite(offsetY))
        return std::nullopt;
    auto horizontal = makeAxisWeights(source.width(), scaleX, offsetX, clip.x, clip.x + clip.width, kHorizontalOne);
    auto vertical = makeAxisWeights(source.height(), scaleY, offsetY, clip.y, clip.y + clip.height, kVerticalOne);
    if (!horizontal || !vertical)
        return std::nullopt;
    ResampledTile tile;
    tile.x = horizontal->firstDest;
    tile.y = vertical->firstDest;
    tile.pixels = Bitmap::allocate(horizontal->size(), vertical->size(), PixelOrder::BGRA);
    if (!tile.pixels)
        return std::nullopt;

    // Vertical first: it walks whole source rows, contiguous and vectorisable,
    // and leaves the horizontal pass only the destination's rows.
    int spanOffset = horizontal->minSource * 4;
    int spanComponents = (horizontal->maxSource - horizontal->minSource) * 4;
    std::vector<uint16_t> accumulator(spanComponents);
    std::vector<float> wide(spanComponents);
    bool swap = source.order() == PixelOrder::RGBA;
    const AccumulateRow accumulateRow = accumulateRowForThisProcessor();
    for (int dest = 0; dest < vertical->size(); ++dest) {
        std::fill(accumulator.begin(), accumulator.end(), 0);
        const int* weight = vertical->weights.data() + vertical->start[dest];
        for (int k = 0; k < vertical->count[dest]; ++k) {
            if (weight[k] != 0)
                accumulateRow(accumulator.data(), source.row(vertical->firstSource[dest] + k) + spanOffset,
                    static_cast<uint16_t>(weight[k]), spanComponents);
        }
        widenRow(wide.data(), accumulator.data(), spanComponents);
        filterRowHorizontally(tile.pixels->mutableRow(dest), wide.data(), *horizontal, swap);
    }
    return tile;
}

}  // namespace plat::detail
