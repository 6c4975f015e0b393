#pragma once
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace plat::scripting {
class UIDriver;
}

namespace plat::scripting::detail {

// The work that runs once and that what a check did to the screen set going
// (a message that goes a second later, a popover that closes late, a
// picture that fades in): taps, drags, a control turned back, what came put
// away. Before the next tap it is let run out, so that the next tap is not
// given what this work changes. What the screen has going on its own (a
// render's progress, a playing movie) is not waited for: only work
// scheduled while the check acts counts. Main thread, manual clock.
class StartedWork {
public:
    // Work falling due later than this after letEnd is not waited for.
    static constexpr double kLongestWaitSeconds = 3;

    // Runs the action, noting the work it schedules.
    void note(const std::function<void()>& action);
    // Lets the work noted that falls due soon run out, then forgets it.
    void letEnd(UIDriver& driver);

private:
    // The marks (see RunLoop::scheduleMark) at the start and end of each action.
    std::vector<std::pair<uint64_t, uint64_t>> _actions;
};

}  // namespace plat::scripting::detail
