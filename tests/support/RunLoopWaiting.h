#pragma once
#include <functional>

namespace plat {
class ManualClock;
}

namespace plat::test {

// Runs the main queue's work (without moving the clock) until done() answers
// true, waiting in real time for work that other threads hand over; false
// when the timeout ran out first. done() is asked again whenever a block
// arrives and every few milliseconds besides, so a condition on state that
// another thread changes without posting anything is seen promptly too.
// For network replies and background queues.
bool runMainLoopUntil(const std::function<bool()>& done, double timeoutSeconds = 30);

// Moves the manual clock on by stepSeconds, at least once and at most
// maximumSteps times, until done() answers true; false when the steps did not
// bring it. The background work is let finish (RunLoop::settle) before the
// first step and after each one, before done() is asked: however slow the
// machine, a camera picture never comes while the one before it is still in
// flight, and a picture dropped all the same is followed by the next step's
// instead of being waited for in vain.
bool advanceClockUntil(ManualClock& clock, double stepSeconds, const std::function<bool()>& done, int maximumSteps);

}  // namespace plat::test
