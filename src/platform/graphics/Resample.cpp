#include "platform/graphics/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace plat::detail {

namespace {

// Weights are 14-bit fixed point: a destination pixel that the picture covers
// whole has weights summing to exactly kOne, so flat colours stay exact.
constexpr int kWeightBits = 14;
constexpr int kOne = 1 << kWeightBits;
// The vertical pass keeps 8 fractional bits per component (8.8 in 16 bits).
constexpr int kVerticalShift = kWeightBits - 8;
constexpr int kHorizontalShift = kWeightBits + 8;

// The source pixels that make up each destination pixel along one axis.
struct AxisWeights {
    int firstDest = 0;
    std::vector<int> firstSource;  // per destination pixel
    std::vector<int> count;  // per destination pixel
    std::vector<int> start;  // per destination pixel, into weights
    std::vector<int> weights;
    int minSource = 0;
    int maxSource = 0;  // exclusive
    int size() const { return static_cast<int>(count.size()); }
};

// Rounds the real weights to fixed point so that they sum to the rounded
// coverage; the remainder goes to the largest weight.
void appendRounded(AxisWeights& axis, const std::vector<double>& real, double coverage)
{
    int target = static_cast<int>(std::lround(coverage * kOne));
    int sum = 0;
    size_t largest = 0;
    size_t base = axis.weights.size();
    for (size_t i = 0; i < real.size(); ++i) {
        int weight = static_cast<int>(std::lround(real[i] * kOne));
        axis.weights.push_back(weight);
        sum += weight;
        if (real[i] > real[largest])
            largest = i;
    }
    if (!real.empty())
        axis.weights[base + largest] += target - sum;
}

// length of [a0, a1) ∩ [b0, b1)
double overlap(double a0, double a1, double b0, double b1)
{
    return std::max(0.0, std::min(a1, b1) - std::max(a0, b0));
}

std::optional<AxisWeights> makeAxisWeights(int sourceLength, double scale, double offset, int clipLength)
{
    double pictureStart = offset;
    double pictureEnd = offset + sourceLength * scale;
    int firstDest = std::max(0, static_cast<int>(std::floor(pictureStart)));
    int endDest = std::min(clipLength, static_cast<int>(std::ceil(pictureEnd)));
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
        appendRounded(axis, real, coverage);
        if (!real.empty()) {
            axis.minSource = std::min(axis.minSource, first);
            axis.maxSource = std::max(axis.maxSource, first + static_cast<int>(real.size()));
        }
    }
    if (axis.maxSource <= axis.minSource)
        return std::nullopt;
    return axis;
}

// accumulator[i] += weight * row[i] over one span of components; written
// plainly so the compiler vectorises it.
void accumulateRow(int32_t* __restrict accumulator, const uint8_t* __restrict row, int weight, int components)
{
    for (int i = 0; i < components; ++i)
        accumulator[i] += weight * row[i];
}

void narrowRow(uint16_t* __restrict narrow, const int32_t* __restrict accumulator, int components)
{
    constexpr int32_t kHalf = 1 << (kVerticalShift - 1);
    for (int i = 0; i < components; ++i)
        narrow[i] = static_cast<uint16_t>((accumulator[i] + kHalf) >> kVerticalShift);
}

// One destination row from the vertically filtered row; swaps red and blue
// when the source is RGBA, since the tile is BGRA.
void filterRowHorizontally(
    uint8_t* __restrict out, const uint16_t* __restrict narrow, const AxisWeights& horizontal, bool swapRedAndBlue)
{
    constexpr uint32_t kHalf = 1u << (kHorizontalShift - 1);
    const int* weights = horizontal.weights.data();
    for (int dest = 0; dest < horizontal.size(); ++dest) {
        uint32_t sum[4] = {kHalf, kHalf, kHalf, kHalf};
        const uint16_t* pixel = narrow + static_cast<size_t>(horizontal.firstSource[dest] - horizontal.minSource) * 4;
        const int* weight = weights + horizontal.start[dest];
        for (int k = 0; k < horizontal.count[dest]; ++k, pixel += 4) {
            uint32_t w = static_cast<uint32_t>(weight[k]);
            sum[0] += w * pixel[0];
            sum[1] += w * pixel[1];
            sum[2] += w * pixel[2];
            sum[3] += w * pixel[3];
        }
        uint8_t* to = out + static_cast<size_t>(dest) * 4;
        to[swapRedAndBlue ? 2 : 0] = static_cast<uint8_t>(std::min<uint32_t>(sum[0] >> kHorizontalShift, 255));
        to[1] = static_cast<uint8_t>(std::min<uint32_t>(sum[1] >> kHorizontalShift, 255));
        to[swapRedAndBlue ? 0 : 2] = static_cast<uint8_t>(std::min<uint32_t>(sum[2] >> kHorizontalShift, 255));
        to[3] = static_cast<uint8_t>(std::min<uint32_t>(sum[3] >> kHorizontalShift, 255));
    }
}

}  // namespace

std::optional<ResampledTile> resampleAxisAligned(
    const Bitmap& source, double scaleX, double scaleY, double offsetX, double offsetY, int clipWidth, int clipHeight)
{
    if (!(scaleX > 0) || !(scaleY > 0) || !std::isfinite(offsetX) || !std::isfinite(offsetY))
        return std::nullopt;
    auto horizontal = makeAxisWeights(source.width(), scaleX, offsetX, clipWidth);
    auto vertical = makeAxisWeights(source.height(), scaleY, offsetY, clipHeight);
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
    std::vector<int32_t> accumulator(spanComponents);
    std::vector<uint16_t> narrow(spanComponents);
    bool swap = source.order() == PixelOrder::RGBA;
    for (int dest = 0; dest < vertical->size(); ++dest) {
        std::fill(accumulator.begin(), accumulator.end(), 0);
        const int* weight = vertical->weights.data() + vertical->start[dest];
        for (int k = 0; k < vertical->count[dest]; ++k) {
            if (weight[k] != 0)
                accumulateRow(accumulator.data(), source.row(vertical->firstSource[dest] + k) + spanOffset, weight[k],
                    spanComponents);
        }
        narrowRow(narrow.data(), accumulator.data(), spanComponents);
        filterRowHorizontally(tile.pixels->mutableRow(dest), narrow.data(), *horizontal, swap);
    }
    return tile;
}

}  // namespace plat::detail
