#include "support/RunLoopWaiting.h"

#include <chrono>

#include "platform/foundation/RunLoop.h"

namespace plat::test {

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
        (void)RunLoop::main().waitForQueuedBlocks(remaining);
    }
}

}  // namespace plat::test
