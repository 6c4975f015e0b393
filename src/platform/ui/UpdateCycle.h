#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace plat {
class Layer;
}

namespace plat::detail {

// The end of a turn of the main run loop, where the platform commits its
// implicit transaction: layers that asked for layout are laid out, those
// that asked for display are drawn, the implicit transaction is committed,
// and whoever shows the screen hears that the picture may have changed.
// A pass is queued on the main queue when the first request of a turn
// arrives. Main thread.
class UpdateCycle {
public:
    static UpdateCycle& shared();

    void layerNeedsLayout(const std::shared_ptr<Layer>& layer);
    void layerNeedsDisplay(const std::shared_ptr<Layer>& layer);
    // Queues a pass (once until it runs).
    void schedule();
    // Runs the pass now.
    void flush();
    bool isScheduled() const { return _scheduled; }
    // For test isolation: forgets pending requests and any queued pass
    // (whose block the run loop dropped), and the open transactions.
    void discardPendingWork();

    // Counts changes of anything drawn, so a screen knows when to redraw. Any thread.
    static uint64_t renderGeneration();
    static void noteVisualChange();

private:
    UpdateCycle() = default;

    bool _scheduled = false;
    bool _flushing = false;
    std::vector<std::weak_ptr<Layer>> _layout;
    std::vector<std::weak_ptr<Layer>> _display;
};

}  // namespace plat::detail
