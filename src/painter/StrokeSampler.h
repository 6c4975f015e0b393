#pragma once
#include <optional>
#include <vector>

#include "painter/LinePoint.h"
#include "painter/Stroke.h"

namespace zt {

// The canvases' touch samples: the point buffer of raw samples not yet
// smoothed, the widths computed from the finger's speed, and the curve
// through the buffer that the dabs are drawn at. Main queue.
class StrokeSampler {
public:
    static constexpr float kSpeedPerWidth = 166.0f;  // points per second for a width of 1
    static constexpr float kMinimumWidth = 1.0f;
    static constexpr float kMaximumWidth = 40.0f;
    static constexpr double kMinimumSpacing = 1.5;  // pixels between touch samples

    void reset();
    const PointWindow& points() const { return _points; }
    void setPoints(PointWindow window) { _points = std::move(window); }
    const std::vector<float>& velocities() const { return _velocities; }
    void setVelocities(std::vector<float> velocities) { _velocities = std::move(velocities); }

    void startNewLineFrom(plat::Point position, double width);
    void addPoint(plat::Point position, double width);
    void endLineAt(plat::Point position, double width);
    // True when the buffer is empty or its last sample is at least the
    // minimum spacing away.
    bool acceptsSampleAt(plat::Point position) const;

    // A tap: four samples of one width at one position, in an empty buffer.
    void tapAt(plat::Point position, double width);
    // A finger: down (three samples where it went down, at the width of its
    // speed), moved (one more sample, unless it is closer than the minimum
    // spacing: false), lifted (a last sample, which nothing draws).
    void beginAt(plat::Point position, plat::Point velocity);
    bool continueTo(plat::Point position, plat::Point velocity);
    void endAt(plat::Point position, plat::Point velocity);

    // The width of a touch sample from the pan's velocity (points per
    // second), smoothed against the previous width from the third sample on;
    // it is appended to the velocity list.
    float extractSize(plat::Point velocity);

    // The curve samples through the buffer (33 to 129 per triple of
    // samples), leaving its last two samples; none with fewer than three.
    std::optional<std::vector<LinePoint>> calculateSmoothLinePoints();

private:
    PointWindow _points;
    std::vector<float> _velocities;
};

}  // namespace zt
