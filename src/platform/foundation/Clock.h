#pragma once
#include <memory>

#include "platform/foundation/Date.h"

namespace plat {

// Where time comes from. The app runs on the system clock; tests install a
// manual clock and advance it, so nothing ever waits on the wall clock.
class Clock {
public:
    virtual ~Clock() = default;

    // Seconds on a monotonic time line: timers and delays are measured on it.
    virtual double uptimeSeconds() const = 0;
    // The calendar date now.
    virtual Date date() const = 0;

    // The clock in use (the system clock unless another is installed).
    static Clock& current();
    static std::shared_ptr<Clock> currentShared();
    static void setCurrent(std::shared_ptr<Clock> clock);
};

class SystemClock final : public Clock {
public:
    double uptimeSeconds() const override;
    Date date() const override;
};

}  // namespace plat
