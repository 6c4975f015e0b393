#pragma once

namespace plat {

// How an animation's progress follows its time: a cubic Bézier curve from
// (0, 0) to (1, 1) with two control points, as the platform's timing
// functions, or the damped spring of the platform's spring view animations.
// Any thread (value type).
class MediaTimingFunction {
public:
    enum class Name { Linear, EaseIn, EaseOut, EaseInEaseOut, Default };

    MediaTimingFunction()
        : MediaTimingFunction(0, 0, 1, 1)
    {
    }
    MediaTimingFunction(double c1x, double c1y, double c2x, double c2y);
    static MediaTimingFunction functionWithName(Name name);
    // A spring that settles on the target by the end of durationSeconds:
    // damping ratio 1 does not overshoot, smaller ratios oscillate;
    // initialVelocity is in target distances per second.
    static MediaTimingFunction spring(double dampingRatio, double initialVelocity, double durationSeconds);

    // Progress for time fraction t in 0...1 (a spring may overshoot 1).
    double apply(double t) const;
    bool isSpring() const { return _spring; }

    friend bool operator==(const MediaTimingFunction&, const MediaTimingFunction&) = default;

private:
    double solveCurveX(double x) const;

    double _c1x = 0, _c1y = 0, _c2x = 1, _c2y = 1;
    bool _spring = false;
    double _damping = 1, _velocity = 0, _duration = 0;
};

}  // namespace plat
