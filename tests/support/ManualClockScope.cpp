#include "support/ManualClockScope.h"

#include "platform/foundation/RunLoop.h"

namespace plat::test {

ManualClockScope::ManualClockScope(
    double startUptimeSeconds, Date startDate, ManualClock::BackgroundWork backgroundWork)
    : _clock(std::make_shared<ManualClock>(startUptimeSeconds, startDate, backgroundWork))
    , _previousClock(Clock::currentShared())
    , _previousMainThread(RunLoop::main().boundThread())
{
    RunLoop::main().discardPendingWork();
    Clock::setCurrent(_clock);
    RunLoop::main().bindToCurrentThread();
}

ManualClockScope::~ManualClockScope()
{
    RunLoop::main().discardPendingWork();
    Clock::setCurrent(_previousClock);
    RunLoop::main().bindToThread(_previousMainThread);
}

}  // namespace plat::test
