#pragma once
#include <functional>
#include <memory>

namespace plat {

class DispatchQueue;

// Tracks a set of blocks or tasks, as the platform's dispatch group. Copies
// share one group, so blocks can capture it by value. Any thread.
class DispatchGroup {
public:
    DispatchGroup();

    void enter();
    // A leave without its enter is a programmer error and aborts.
    void leave();
    // Runs block on queue as a member of the group.
    void async(DispatchQueue& queue, std::function<void()> block);
    // Hands block to queue once the group is empty (at once if it is now).
    // The queue's state is kept alive until then.
    void notify(DispatchQueue& queue, std::function<void()> block);
    // Real-time wait (synchronisation, not a way to let time pass); an
    // infinite timeout waits for ever. Returns false when the timeout ran out.
    [[nodiscard]] bool wait(double timeoutSeconds);

private:
    struct State;
    std::shared_ptr<State> _state;
};

}  // namespace plat
