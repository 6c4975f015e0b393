#include "platform/ui/scripting/StartedWork.h"

#include <algorithm>

#include "platform/foundation/Clock.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/scripting/UIDriver.h"

namespace plat::scripting::detail {

void StartedWork::note(const std::function<void()>& action)
{
    const uint64_t from = RunLoop::scheduleMark();
    action();
    _actions.emplace_back(from, RunLoop::scheduleMark());
}

void StartedWork::letEnd(UIDriver& driver)
{
    const double now = Clock::current().uptimeSeconds();
    double end = now;
    for (const RunLoop::OneShotWork& work : RunLoop::main().oneShotWorkDueBy(now + kLongestWaitSeconds))
        if (std::any_of(_actions.begin(), _actions.end(),
                [&](const auto& action) { return work.mark >= action.first && work.mark < action.second; }))
            end = std::max(end, work.dueUptime);
    _actions.clear();
    // What it sets going in turn, animations, is waited for with the rest (see comeToRest).
    if (end > now)
        driver.wait(end - now);
}

}  // namespace plat::scripting::detail
