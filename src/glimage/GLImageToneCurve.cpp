#include "glimage/GLImageToneCurve.h"

#include <algorithm>
#include <cmath>

namespace zt::detail {

namespace {

constexpr double kLargestValue = 255.0;
constexpr size_t kEntries = 256;
// Spline values meant to be whole (an identity curve) come out a hair
// below; truncation would take them one step down.
constexpr double kTruncationSlack = 1e-3;

int truncatedClamp(double value)
{
    return int(std::clamp(value + kTruncationSlack, 0.0, kLargestValue));
}

}  // namespace

std::vector<double> secondDerivative(const std::vector<plat::Point>& points)
{
    const size_t n = points.size();
    if (n < 2)
        return {};
    // The tridiagonal system: below, on and above the diagonal, and the
    // right side; the first and last rows say s = 0.
    std::vector<double> below(n, 0.0);
    std::vector<double> diagonal(n, 1.0);
    std::vector<double> above(n, 0.0);
    std::vector<double> result(n, 0.0);
    for (size_t i = 1; i + 1 < n; ++i) {
        const plat::Point p1 = points[i - 1];
        const plat::Point p2 = points[i];
        const plat::Point p3 = points[i + 1];
        below[i] = (p2.x - p1.x) / 6;
        diagonal[i] = (p3.x - p1.x) / 3;
        above[i] = (p3.x - p2.x) / 6;
        result[i] = (p3.y - p2.y) / (p3.x - p2.x) - (p2.y - p1.y) / (p2.x - p1.x);
    }
    // Forward elimination.
    for (size_t i = 1; i < n; ++i) {
        const double k = below[i] / diagonal[i - 1];
        diagonal[i] -= k * above[i - 1];
        below[i] = 0;
        result[i] -= k * result[i - 1];
    }
    // Back substitution.
    for (size_t i = n - 1; i-- > 0;) {
        const double k = above[i] / diagonal[i + 1];
        diagonal[i] -= k * below[i + 1];
        above[i] = 0;
        result[i] -= k * result[i + 1];
    }
    std::vector<double> derivatives(n);
    for (size_t i = 0; i < n; ++i)
        derivatives[i] = result[i] / diagonal[i];
    return derivatives;
}

std::vector<plat::Point> splineCurve(const std::vector<plat::Point>& points)
{
    const auto sd = secondDerivative(points);
    if (sd.size() < 2)
        return {};
    std::vector<plat::Point> output;
    for (size_t i = 0; i + 1 < sd.size(); ++i) {
        const plat::Point cur = points[i];
        const plat::Point next = points[i + 1];
        const double h = next.x - cur.x;
        for (int x = int(cur.x); x < int(next.x); ++x) {
            const double t = (x - cur.x) / h;
            const double a = 1 - t;
            const double b = t;
            double y = a * cur.y + b * next.y + (h * h / 6) * ((a * a * a - a) * sd[i] + (b * b * b - b) * sd[i + 1]);
            y = std::clamp(y, 0.0, kLargestValue);
            output.push_back({double(x), y});
        }
    }
    output.push_back(points.back());
    return output;
}

std::vector<float> getPreparedSplineCurve(const std::vector<plat::Point>& points)
{
    std::vector<plat::Point> sorted;
    for (const auto& point : points) {
        if (std::isnan(point.x) || std::isnan(point.y))
            continue;
        sorted.push_back({std::clamp(point.x, 0.0, 1.0), std::clamp(point.y, 0.0, 1.0)});
    }
    std::stable_sort(sorted.begin(), sorted.end(),
        [](const plat::Point& a, const plat::Point& b) { return float(a.x) < float(b.x); });
    // Two points at one input would divide the spline by a zero width.
    sorted.erase(std::unique(sorted.begin(), sorted.end(),
                     [](const plat::Point& a, const plat::Point& b) { return float(a.x) == float(b.x); }),
        sorted.end());
    for (auto& point : sorted)
        point = {point.x * kLargestValue, point.y * kLargestValue};

    const auto splinePoints = splineCurve(sorted);
    if (splinePoints.empty())
        return {};

    // Entry i stands for input i: inputs before the first point map to 0,
    // the first point takes its own place rather than one after it.
    std::vector<plat::Point> curve;
    const int first = int(splinePoints.front().x);
    for (int x = 0; x < first; ++x)
        curve.push_back({double(x), 0.0});
    curve.insert(curve.end(), splinePoints.begin(), splinePoints.end());
    const double last = splinePoints.back().x;
    if (last < kLargestValue) {
        for (int x = int(last + 1); x <= int(kLargestValue); ++x)
            curve.push_back({double(x), kLargestValue});
    }

    std::vector<float> prepared;
    prepared.reserve(curve.size());
    for (const auto& point : curve)
        prepared.push_back(float(point.y - point.x));
    return prepared;
}

std::optional<std::array<uint8_t, 1024>> toneCurveBytes(const std::vector<float>& composite,
    const std::vector<float>& red, const std::vector<float>& green, const std::vector<float>& blue)
{
    if (composite.size() < kEntries || red.size() < kEntries || green.size() < kEntries || blue.size() < kEntries)
        return std::nullopt;
    std::array<uint8_t, 1024> bytes {};
    for (size_t i = 0; i < kEntries; ++i) {
        const auto through = [&](const std::vector<float>& channel) {
            const int j = truncatedClamp(double(i) + channel[i]);
            return uint8_t(truncatedClamp(double(j) + composite[size_t(j)]));
        };
        bytes[i * 4] = through(red);
        bytes[i * 4 + 1] = through(green);
        bytes[i * 4 + 2] = through(blue);
        bytes[i * 4 + 3] = 255;
    }
    return bytes;
}

}  // namespace zt::detail
