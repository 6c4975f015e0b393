#include "platform/ui/Animation.h"

#include <cmath>
#include <limits>

#include "platform/foundation/Clock.h"

namespace plat {

double currentMediaTime()
{
    return Clock::current().uptimeSeconds();
}

double Animation::activeDurationSeconds() const
{
    double cycles = _repeatCount > 0 ? _repeatCount : 1;
    if (std::isinf(cycles))
        return std::numeric_limits<double>::infinity();
    return effectiveDuration() * cycles * (_autoreverses ? 2 : 1);
}

std::optional<double> Animation::progressAt(double elapsedSeconds) const
{
    const double cycle = effectiveDuration();
    const double active = activeDurationSeconds();
    double local = 0;
    if (elapsedSeconds < 0) {
        if (_fillMode != FillMode::Backwards && _fillMode != FillMode::Both)
            return std::nullopt;
        local = 0;
    } else if (elapsedSeconds >= active) {
        if (_fillMode != FillMode::Forwards && _fillMode != FillMode::Both)
            return std::nullopt;
        local = active;
    } else {
        local = elapsedSeconds;
    }
    double span = _autoreverses ? 2 * cycle : cycle;
    double inSpan = std::fmod(local, span);
    if (local > 0 && inSpan == 0)
        inSpan = span;  // the very end of a cycle shows its end, not the next start
    double fraction = inSpan <= cycle ? inSpan / cycle : (span - inSpan) / cycle;
    fraction = std::clamp(fraction, 0.0, 1.0);
    return _timingFunction ? _timingFunction->apply(fraction) : fraction;
}

}  // namespace plat
