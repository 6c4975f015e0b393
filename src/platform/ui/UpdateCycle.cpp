#include "platform/ui/UpdateCycle.h"

#include <algorithm>
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
        // Lay out from the top of each tree, once per tree, so superlayers place their sublayers first.
        std::vector<std::shared_ptr<Layer>> roots;
        for (const auto& weak : layers) {
            auto layer = weak.lock();
            if (!layer || !layer->needsLayout())
                continue;
            auto root = layer;
            while (auto super = root->superlayer())
                root = super;
            if (std::find(roots.begin(), roots.end(), root) == roots.end())
                roots.push_back(root);
        }
        for (const auto& root : roots)
            root->layoutIfNeeded();
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
