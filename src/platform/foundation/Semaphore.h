#pragma once
#include <memory>

namespace plat {

// A counting semaphore, as the platform's dispatch semaphore. Copies share
// one semaphore (it is a reference type on the platform too), so a block can
// capture it by value. Any thread.
class Semaphore {
public:
    explicit Semaphore(long value = 0);

    void signal();
    void wait();
    // Real-time wait: this is synchronisation between threads, not a way to let
    // time pass. Returns false when the timeout ran out first.
    [[nodiscard]] bool wait(double timeoutSeconds);

private:
    struct State;
    std::shared_ptr<State> _state;
};

}  // namespace plat
