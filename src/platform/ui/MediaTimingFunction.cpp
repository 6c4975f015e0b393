#include "platform/ui/MediaTimingFunction.h"

#include <algorithm>
#include <cmath>

namespace plat {

namespace {

// A spring is taken as settled once its displacement is below this share of the distance.
constexpr double kSpringSettledFraction = 0.001;

double bezier(double p1, double p2, double t)
{
    // B(t) for control values 0, p1, p2, 1.
    double u = 1 - t;
    return 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t;
}

double bezierDerivative(double p1, double p2, double t)
{
    double u = 1 - t;
    return 3 * u * u * p1 + 6 * u * t * (p2 - p1) + 3 * t * t * (1 - p2);
}

}  // namespace

MediaTimingFunction::MediaTimingFunction(double c1x, double c1y, double c2x, double c2y)
    : _c1x(c1x)
    , _c1y(c1y)
    , _c2x(c2x)
    , _c2y(c2y)
{
}

MediaTimingFunction MediaTimingFunction::functionWithName(Name name)
{
    switch (name) {
    case Name::Linear:
        return {0, 0, 1, 1};
    case Name::EaseIn:
        return {0.42, 0, 1, 1};
    case Name::EaseOut:
        return {0, 0, 0.58, 1};
    case Name::EaseInEaseOut:
        return {0.42, 0, 0.58, 1};
    case Name::Default:
        return {0.25, 0.1, 0.25, 1};
    }
    return {};
}

MediaTimingFunction MediaTimingFunction::spring(double dampingRatio, double initialVelocity, double durationSeconds)
{
    MediaTimingFunction f;
    f._spring = true;
    f._damping = std::clamp(dampingRatio, 0.01, 10.0);
    f._velocity = initialVelocity;
    f._duration = durationSeconds > 0 ? durationSeconds : 0;
    return f;
}

double MediaTimingFunction::solveCurveX(double x) const
{
    // Newton's method, then bisection where the slope is too flat.
    double t = x;
    for (int i = 0; i < 8; ++i) {
        double error = bezier(_c1x, _c2x, t) - x;
        if (std::abs(error) < 1e-7)
            return t;
        double slope = bezierDerivative(_c1x, _c2x, t);
        if (std::abs(slope) < 1e-6)
            break;
        t -= error / slope;
    }
    double low = 0, high = 1;
    t = x;
    for (int i = 0; i < 40; ++i) {
        double value = bezier(_c1x, _c2x, t);
        if (std::abs(value - x) < 1e-7)
            break;
        if (value < x)
            low = t;
        else
            high = t;
        t = (low + high) / 2;
    }
    return t;
}

double MediaTimingFunction::apply(double t) const
{
    if (t <= 0)
        return 0;
    if (t >= 1)
        return 1;
    if (!_spring) {
        if (_c1x == _c1y && _c2x == _c2y)
            return t;
        return bezier(_c1y, _c2y, solveCurveX(t));
    }
    if (_duration <= 0)
        return 1;
    // Displacement d from the target, d(0) = -1, d'(0) = velocity; the
    // natural frequency is chosen so that the envelope settles at the end.
    double zeta = _damping;
    double omega = -std::log(kSpringSettledFraction) / (std::min(zeta, 1.0) * _duration);
    double time = t * _duration;
    double d = 0;
    if (zeta < 1) {
        double omegaD = omega * std::sqrt(1 - zeta * zeta);
        double b = (_velocity - zeta * omega) / omegaD;
        d = std::exp(-zeta * omega * time) * (-std::cos(omegaD * time) + b * std::sin(omegaD * time));
    } else {
        double b = _velocity - omega;
        d = std::exp(-omega * time) * (-1 + b * time);
    }
    return 1 + d;
}

}  // namespace plat
