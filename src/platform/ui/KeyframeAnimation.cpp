#include "platform/ui/KeyframeAnimation.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/LayerProperties.h"

namespace plat {

namespace {

// Curves are followed as this many straight pieces.
constexpr int kCurveSegments = 16;

Point cubicPoint(Point p0, Point p1, Point p2, Point p3, double t)
{
    double u = 1 - t;
    return {u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x,
        u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y};
}

std::vector<Point> flatten(const Path& path)
{
    std::vector<Point> points;
    Point current;
    Point start;
    for (const auto& element : path.elements()) {
        switch (element.type) {
        case Path::ElementType::MoveTo:
            current = start = element.points[0];
            if (points.empty())
                points.push_back(current);
            break;
        case Path::ElementType::LineTo:
            current = element.points[0];
            points.push_back(current);
            break;
        case Path::ElementType::CurveTo:
            for (int i = 1; i <= kCurveSegments; ++i)
                points.push_back(cubicPoint(current, element.points[0], element.points[1], element.points[2],
                    static_cast<double>(i) / kCurveSegments));
            current = element.points[2];
            break;
        case Path::ElementType::Close:
            current = start;
            points.push_back(current);
            break;
        }
    }
    return points;
}

}  // namespace

std::shared_ptr<KeyframeAnimation> KeyframeAnimation::animationWithKeyPath(std::string keyPath)
{
    return std::make_shared<KeyframeAnimation>(std::move(keyPath));
}

std::optional<Point> KeyframeAnimation::pointOnPath(double progress) const
{
    std::vector<Point> points = flatten(*_path);
    if (points.empty())
        return std::nullopt;
    std::vector<double> lengths {0};
    for (size_t i = 1; i < points.size(); ++i)
        lengths.push_back(lengths.back() + std::hypot(points[i].x - points[i - 1].x, points[i].y - points[i - 1].y));
    double target = std::clamp(progress, 0.0, 1.0) * lengths.back();
    for (size_t i = 1; i < points.size(); ++i) {
        if (target <= lengths[i]) {
            double piece = lengths[i] - lengths[i - 1];
            double t = piece > 0 ? (target - lengths[i - 1]) / piece : 0;
            return Point {points[i - 1].x + (points[i].x - points[i - 1].x) * t,
                points[i - 1].y + (points[i].y - points[i - 1].y) * t};
        }
    }
    return points.back();
}

std::optional<AnimationValue> KeyframeAnimation::valueAt(double progress) const
{
    if (_values.empty())
        return std::nullopt;
    if (_values.size() == 1)
        return _values.front();
    std::vector<double> times = _keyTimes;
    if (_calculationMode == CalculationMode::Paced) {
        times.assign(1, 0);
        double total = 0;
        for (size_t i = 1; i < _values.size(); ++i)
            times.push_back(total += valueDistance(_values[i - 1], _values[i]));
        for (double& t : times)
            t = total > 0 ? t / total : 0;
    } else if (times.size() != _values.size()) {
        times.clear();
        size_t steps = _calculationMode == CalculationMode::Discrete ? _values.size() : _values.size() - 1;
        for (size_t i = 0; i < _values.size(); ++i)
            times.push_back(static_cast<double>(i) / static_cast<double>(steps));
    }
    if (progress <= times.front())
        return _values.front();
    for (size_t i = 1; i < times.size(); ++i) {
        if (progress < times[i] || i == times.size() - 1) {
            if (_calculationMode == CalculationMode::Discrete)
                return progress < times[i] ? _values[i - 1] : _values[i];
            double span = times[i] - times[i - 1];
            double t = span > 0 ? std::clamp((progress - times[i - 1]) / span, 0.0, 1.0) : 1;
            if (i - 1 < _timingFunctions.size())
                t = _timingFunctions[i - 1].apply(t);
            return interpolate(_values[i - 1], _values[i], t);
        }
    }
    return _values.back();
}

void KeyframeAnimation::applyAt(double progress, LayerProperties& properties) const
{
    if (_path) {
        if (auto point = pointOnPath(progress)) {
            if (_keyPath == "position.x")
                setValueForKeyPath(properties, _keyPath, point->x);
            else if (_keyPath == "position.y")
                setValueForKeyPath(properties, _keyPath, point->y);
            else
                setValueForKeyPath(properties, _keyPath, *point);
        }
        return;
    }
    if (auto value = valueAt(progress))
        setValueForKeyPath(properties, _keyPath, *value);
}

}  // namespace plat
