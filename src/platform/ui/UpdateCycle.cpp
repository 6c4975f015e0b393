#include "platform/ui/UpdateCycle.h"

#include <atomic>

#include "platform/foundation/DispatchQueue.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Transaction.h"

namespace plat::detail {

namespace {

std::atomic<uint64_t> gRenderGeneration {1};

// Layout that keeps asking for layout would never end; the rest waits for the next pass.
constexpr int kMaxLayoutRounds = 8;

}  // namespace

UpdateCycle& UpdateCycle::shared()
{
    static UpdateCycle cycle;
    return cycle;
}

void UpdateCycle::layerNeedsLayout(const std::shared_ptr<Layer>& layer)
{
    _layout.push_back(layer);
    schedule();
}

void UpdateCycle::layerNeedsDisplay(const std::shared_ptr<Layer>& layer)
{
    _display.push_back(layer);
    schedule();
    noteVisualChange();
}

void UpdateCycle::schedule()
{
    if (_scheduled || _flushing)
        return;
    _scheduled = true;
    DispatchQueue::mainQueue().async([] { UpdateCycle::shared().flush(); });
}

void UpdateCycle::flush()
{
    _scheduled = false;
    _flushing = true;
    for (int round = 0; round < kMaxLayoutRounds && !_layout.empty(); ++round) {
        auto layers = std::move(_layout);
        _layout.clear();
        for (const auto& weak : layers) {
            auto layer = weak.lock();
            if (!layer || !layer->needsLayout())
                continue;
            // Lay out from the top, so superlayers place their sublayers first.
            auto root = layer;
            while (auto super = root->superlayer())
                root = super;
            root->layoutIfNeeded();
            layer->layoutIfNeeded();
        }
    }
    auto display = std::move(_display);
    _display.clear();
    for (const auto& weak : display)
        if (auto layer = weak.lock())
            layer->displayIfNeeded();
    _flushing = false;
    Transaction::commitImplicit();
    if (!_layout.empty() || !_display.empty())
        schedule();
}

void UpdateCycle::discardPendingWork()
{
    _scheduled = false;
    _flushing = false;
    _layout.clear();
    _display.clear();
    Transaction::discardAll();
}

uint64_t UpdateCycle::renderGeneration()
{
    return gRenderGeneration.load(std::memory_order_relaxed);
}

void UpdateCycle::noteVisualChange()
{
    gRenderGeneration.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace plat::detail
