#include "support/RunLoopWaiting.h"

#include <algorithm>
#include <chrono>

#include "platform/foundation/Clock.h"
#include "platform/foundation/RunLoop.h"

namespace plat::test {

namespace {

// Conditions on what other threads change (a test server's request log, an
// upload's ranges) come true without any main-queue block to wake us: look
// again at least this often.
constexpr double kLookAgainSeconds = 0.002;

}  // namespace

bool runMainLoopUntil(const std::function<bool()>& done, double timeoutSeconds)
{
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + duration<double>(timeoutSeconds);
    for (;;) {
        RunLoop::main().drain();
        if (done())
            return true;
        const double remaining = duration<double>(deadline - steady_clock::now()).count();
        if (remaining <= 0)
            return false;
        (void)RunLoop::main().waitForQueuedBlocks(std::min(remaining, kLookAgainSeconds));
    }
}

bool advanceClockUntil(ManualClock& clock, double stepSeconds, const std::function<bool()>& done, int maximumSteps)
{
    RunLoop::main().settle();
    for (int step = 0; step < maximumSteps; ++step) {
        clock.advance(stepSeconds);
        RunLoop::main().settle();
        if (done())
            return true;
    }
    return false;
}

}  // namespace plat::test
