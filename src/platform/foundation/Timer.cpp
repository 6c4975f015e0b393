#include "platform/foundation/Timer.h"

#include "platform/foundation/Clock.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/RunLoop.h"

namespace plat {

std::shared_ptr<Timer> Timer::scheduledTimerWithTimeInterval(
    double seconds, std::function<void(Timer&)> block, bool repeats)
{
    RunLoop::main().requireMainThread("scheduledTimerWithTimeInterval");
    if (!block)
        detail::fatal("Timer::scheduledTimerWithTimeInterval: no block");
    auto timer = std::make_shared<Timer>(Passkey(), seconds, std::move(block), repeats);
    RunLoop::main().scheduleTimer(timer);
    return timer;
}

std::shared_ptr<Timer> Timer::scheduledTimerWithTimeInterval(double seconds, std::function<void()> block, bool repeats)
{
    if (!block)
        detail::fatal("Timer::scheduledTimerWithTimeInterval: no block");
    return scheduledTimerWithTimeInterval(
        seconds, std::function<void(Timer&)>([block = std::move(block)](Timer&) { block(); }), repeats);
}

Timer::Timer(Passkey, double seconds, std::function<void(Timer&)> block, bool repeats)
    : _interval(seconds > 0 ? seconds : kMinimumIntervalSeconds)
    , _repeats(repeats)
    , _block(std::move(block))
{
}

void Timer::fire()
{
    RunLoop::main().requireMainThread("Timer::fire");
    if (!isValid())
        return;
    auto self = shared_from_this();  // the block may drop the last other reference
    _block(*this);
    if (!_repeats)
        invalidate();
}

void Timer::invalidate()
{
    RunLoop::main().invalidateTimer(*this);
}

bool Timer::isValid() const
{
    return RunLoop::main().isTimerValid(*this);
}

Date Timer::fireDate() const
{
    auto clock = Clock::currentShared();
    double fireUptime = RunLoop::main().timerFireUptime(*this);
    return clock->date().addingTimeInterval(fireUptime - clock->uptimeSeconds());
}

double Timer::timeInterval() const
{
    return _repeats ? _interval : 0;
}

}  // namespace plat
