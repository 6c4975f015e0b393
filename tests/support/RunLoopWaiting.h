#pragma once
#include <functional>

namespace plat::test {

// Runs the main queue's work (without moving the clock) until done() answers
// true, waiting in real time for work that other threads hand over; false
// when the timeout ran out first. done() is asked again whenever a block
// arrives and every few milliseconds besides, so a condition on state that
// another thread changes without posting anything is seen promptly too.
// For network replies and background queues.
bool runMainLoopUntil(const std::function<bool()>& done, double timeoutSeconds = 30);

}  // namespace plat::test
