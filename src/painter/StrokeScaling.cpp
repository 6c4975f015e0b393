#include "painter/StrokeScaling.h"

#include <algorithm>
#include <cmath>

#include "painter/Stroke.h"

namespace zt {

namespace {
plat::Point scaled(plat::Point point, double factor)
{
    return {point.x * factor, point.y * factor};
}

// The dab of a brush and of the eraser is its size times the sample's width,
// a pen's is its size, a fountain pen's its size less the width: each is
// scaled through what can carry a fraction.
struct DabScaling {
    bool size = false;
    bool width = false;
};

DabScaling dabScalingOf(int32_t type)
{
    switch (type) {
    case kBrushTypeEraser:
    case kBrushTypeBrush:
        return {.size = false, .width = true};
    case kBrushTypePen:
        return {.size = true, .width = false};
    case kBrushTypeFountainPen:
        return {.size = true, .width = true};
    default:
        return {};
    }
}

void scaleStroke(Stroke& stroke, double factor)
{
    stroke.setOffset(scaled(stroke.offset(), factor));
    if (auto move = stroke.moveDisplacement()) {
        stroke.setMoveDisplacement(LinePoint(scaled(move->pos(), factor), move->width()));
        return;
    }
    const DabScaling dabs = dabScalingOf(stroke.type());
    const double widthFactor = dabs.width ? factor : 1.0;
    std::vector<PointWindow> windows = stroke.points();
    for (auto& window : windows)
        for (auto& sample : window)
            sample = LinePoint(scaled(sample.pos(), factor), static_cast<float>(sample.width() * widthFactor));
    stroke.setPoints(std::move(windows));
    std::vector<float> velocities = stroke.velocities();
    for (float& velocity : velocities)
        velocity = static_cast<float>(velocity * widthFactor);
    stroke.setVelocities(std::move(velocities));
    const int64_t size = stroke.brushSize();
    if (!dabs.size || size < Stroke::kSmallestReplayedBrushSize || size > Stroke::kLargestReplayedBrushSize)
        return;
    // From the size with its fraction, so that a trip there and back gives the size painted.
    const double exact = stroke.exactBrushSize().value_or(static_cast<double>(size)) * factor;
    const int64_t whole = std::llround(exact);
    stroke.setBrushSize(
        std::clamp<int64_t>(whole, Stroke::kSmallestReplayedBrushSize, Stroke::kLargestReplayedBrushSize));
    // Back at a whole size (on the canvas it was painted on) it keeps no fraction.
    constexpr double kWholeSizeTolerance = 1e-6;
    const bool isWhole
        = std::abs(exact - static_cast<double>(whole)) < kWholeSizeTolerance && whole == stroke.brushSize();
    stroke.setExactBrushSize(isWhole ? std::nullopt : std::optional<double>(exact));
}
}  // namespace

bool StrokeScaling::isUnknownCanvasSize(const plat::Error& error)
{
    return error.domain() == kErrorDomain && error.code() == kUnknownCanvasSize;
}

void StrokeScaling::scaleStrokes(StrokeList& strokes, double factor)
{
    for (const auto& stroke : strokes)
        scaleStroke(*stroke, factor);
}

plat::Result<StrokeScaling::FittedArchive> StrokeScaling::fittedArchive(
    const plat::Data& archive, plat::Size canvasSize, std::optional<plat::Size> paintedOn)
{
    auto painted = StrokeArchive::paintedStrokesWithData(archive);
    if (!painted.ok())
        return painted.error();
    if (painted.value().canvasSize)
        paintedOn = painted.value().canvasSize;
    if (painted.value().strokes.empty() || (paintedOn && paintedOn->width == canvasSize.width))
        return FittedArchive {archive, paintedOn};
    if (!paintedOn)
        return plat::Error(kErrorDomain, kUnknownCanvasSize, "the strokes do not tell the canvas they were painted on");
    scaleStrokes(painted.value().strokes, canvasSize.width / paintedOn->width);
    auto scaled = StrokeArchive::archivedDataWithStrokes(painted.value().strokes, canvasSize);
    if (!scaled.ok())
        return scaled.error();
    return FittedArchive {std::move(scaled).value(), paintedOn};
}

}  // namespace zt
