#include "painter/StrokeCanvasFinder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "painter/Stroke.h"
#include "platform/graphics/Image.h"

namespace zt {

namespace {
// A pixel is painted where some component differs more than a JPEG saved
// again at full quality ever moves it.
constexpr int kPaintedDifference = 12;
// Enough samples to tell a canvas, however long the painting.
constexpr size_t kMostSamplesLookedAt = 1000;
constexpr double kSharePaintedAtItsCanvas = 0.75;

bool isDrawingStroke(const Stroke& stroke)
{
    return stroke.type() == kBrushTypeBrush || stroke.type() == kBrushTypePen || stroke.type() == kBrushTypeFountainPen;
}

// Where the canvas drew each sample, in its pixels with the origin at the bottom left.
std::vector<plat::Point> drawnSamples(const StrokeList& strokes)
{
    std::vector<plat::Point> samples;
    for (const auto& stroke : strokes) {
        if (!isDrawingStroke(*stroke))
            continue;
        const plat::Point offset = stroke->offset();
        for (const auto& window : stroke->points())
            for (const auto& sample : window)
                samples.push_back({sample.pos().x + offset.x, sample.pos().y + offset.y});
    }
    if (samples.size() <= kMostSamplesLookedAt)
        return samples;
    std::vector<plat::Point> spread;
    spread.reserve(kMostSamplesLookedAt);
    for (size_t index = 0; index < kMostSamplesLookedAt; ++index)
        spread.push_back(samples[index * samples.size() / kMostSamplesLookedAt]);
    return spread;
}

class PaintedPixels {
public:
    PaintedPixels(const plat::Bitmap& unpainted, const plat::Bitmap& painted)
        : _unpainted(unpainted)
        , _painted(painted)
    {
    }
    // Whether the pixel or one beside it was painted: a sample's dab covers
    // it, however small, give or take the rounding of the stretch.
    bool isPaintedNear(int x, int y) const
    {
        for (int row = std::max(y - 1, 0); row <= std::min(y + 1, _painted.height() - 1); ++row)
            for (int column = std::max(x - 1, 0); column <= std::min(x + 1, _painted.width() - 1); ++column)
                if (differs(column, row))
                    return true;
        return false;
    }

private:
    bool differs(int x, int y) const
    {
        const uint8_t* before = _unpainted.row(y) + static_cast<size_t>(x) * 4;
        const uint8_t* after = _painted.row(y) + static_cast<size_t>(x) * 4;
        for (int component = 0; component < 4; ++component)
            if (std::abs(before[component] - after[component]) > kPaintedDifference)
                return true;
        return false;
    }
    const plat::Bitmap& _unpainted;
    const plat::Bitmap& _painted;
};

// The share of the samples that fall on painted pixels when drawn on the canvas.
double sharePainted(const std::vector<plat::Point>& samples, plat::Size canvas, const PaintedPixels& pixels,
    int pictureWidth, int pictureHeight)
{
    const double xScale = pictureWidth / canvas.width;
    const double yScale = pictureHeight / canvas.height;
    size_t painted = 0;
    for (const plat::Point& sample : samples) {
        const double x = std::floor(sample.x * xScale);
        const double y = std::floor((canvas.height - sample.y) * yScale);
        if (x >= 0 && y >= 0 && x < pictureWidth && y < pictureHeight
            && pixels.isPaintedNear(static_cast<int>(x), static_cast<int>(y)))
            ++painted;
    }
    return static_cast<double>(painted) / static_cast<double>(samples.size());
}
}  // namespace

std::optional<plat::Size> StrokeCanvasFinder::canvasOfStrokes(const StrokeList& strokes, const plat::Image& unpainted,
    const plat::Image& painted, const std::vector<plat::Size>& canvases)
{
    const auto& before = unpainted.bitmap();
    auto after = painted.bitmap();
    if (!before || !after || before->width() != after->width() || before->height() != after->height())
        return std::nullopt;
    if (after->order() != before->order())
        after = after->copyWithOrder(before->order());
    const std::vector<plat::Point> samples = drawnSamples(strokes);
    if (samples.empty() || !after)
        return std::nullopt;
    const PaintedPixels pixels(*before, *after);
    std::optional<plat::Size> found;
    for (const plat::Size& canvas : canvases) {
        if (canvas.width < 1 || canvas.height < 1
            || sharePainted(samples, canvas, pixels, before->width(), before->height()) < kSharePaintedAtItsCanvas)
            continue;
        if (found)
            return std::nullopt;  // the pictures do not tell one from the other
        found = canvas;
    }
    return found;
}

}  // namespace zt
