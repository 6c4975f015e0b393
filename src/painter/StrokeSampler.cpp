#include "painter/StrokeSampler.h"

#include <algorithm>
#include <cmath>

#include "painter/PointFunctions.h"

namespace zt {

namespace {
constexpr int kMinimumCurveSamples = 32;
constexpr int kMaximumCurveSamples = 128;
}  // namespace

void StrokeSampler::reset()
{
    _points.clear();
    _velocities.clear();
}

void StrokeSampler::startNewLineFrom(plat::Point position, double width)
{
    _points.emplace_back(position, static_cast<float>(width));
}

void StrokeSampler::addPoint(plat::Point position, double width)
{
    _points.emplace_back(position, static_cast<float>(width));
}

void StrokeSampler::endLineAt(plat::Point position, double width)
{
    _points.emplace_back(position, static_cast<float>(width));
}

bool StrokeSampler::acceptsSampleAt(plat::Point position) const
{
    return _points.empty() || pointDistance(_points.back().pos(), position) >= kMinimumSpacing;
}

void StrokeSampler::tapAt(plat::Point position, double width)
{
    reset();
    startNewLineFrom(position, width);
    addPoint(position, width);
    addPoint(position, width);
    endLineAt(position, width);
}

void StrokeSampler::beginAt(plat::Point position, plat::Point velocity)
{
    reset();
    const float width = extractSize(velocity);
    startNewLineFrom(position, width);
    addPoint(position, width);
    addPoint(position, width);
}

bool StrokeSampler::continueTo(plat::Point position, plat::Point velocity)
{
    if (!acceptsSampleAt(position))
        return false;
    addPoint(position, extractSize(velocity));
    return true;
}

void StrokeSampler::endAt(plat::Point position, plat::Point velocity)
{
    endLineAt(position, extractSize(velocity));
}

float StrokeSampler::extractSize(plat::Point velocity)
{
    const auto speed = static_cast<float>(pointLength(velocity));
    float width = clampValue(speed / kSpeedPerWidth, kMinimumWidth, kMaximumWidth);
    if (_velocities.size() >= 2)
        width = 0.2f * width + 0.8f * _velocities.back();
    _velocities.push_back(width);
    return width;
}

std::optional<std::vector<LinePoint>> StrokeSampler::calculateSmoothLinePoints()
{
    if (_points.size() < 3)
        return std::nullopt;
    std::vector<LinePoint> samples;
    for (size_t i = 2; i < _points.size(); ++i) {
        const LinePoint& p0 = _points[i - 2];
        const LinePoint& p1 = _points[i - 1];
        const LinePoint& p2 = _points[i];
        const plat::Point mid1 = pointScale(pointAdd(p1.pos(), p0.pos()), 0.5);
        const plat::Point mid2 = pointScale(pointAdd(p2.pos(), p1.pos()), 0.5);
        const double distance = pointDistance(mid1, mid2);
        const int count
            = std::clamp(static_cast<int>(std::floor(distance * 0.5)), kMinimumCurveSamples, kMaximumCurveSamples);
        const float step = 1.0f / static_cast<float>(count);
        const double w0 = (p1.width() + p0.width()) * 0.5;
        const double w1 = p1.width();
        const double w2 = (p2.width() + p1.width()) * 0.5;
        float t = 0.0f;
        for (int j = 0; j < count; ++j) {
            const double u = 1.0 - t;
            const double a = u * u;
            const double b = 2.0 * u * t;
            const double c = static_cast<double>(t) * t;
            const plat::Point position {
                a * mid1.x + b * p1.pos().x + c * mid2.x, a * mid1.y + b * p1.pos().y + c * mid2.y};
            samples.emplace_back(position, static_cast<float>(a * w0 + b * w1 + c * w2));
            t += step;
        }
        samples.emplace_back(mid2, static_cast<float>(w2));
    }
    _points.erase(_points.begin(), _points.end() - 2);
    return samples;
}

}  // namespace zt
