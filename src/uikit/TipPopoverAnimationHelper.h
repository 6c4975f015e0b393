#pragma once
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/ui/View.h"

namespace zt {

// The fade-in and fade-out of a help bubble: durations, delays, animation
// options and the blocks that prepare, animate and finish each. The default
// blocks fade the bubble's alpha and reach it without keeping it alive.
// Main thread.
class TipPopoverAnimationHelper {
public:
    using Block = std::function<void()>;
    using CompletionBlock = std::function<void(bool finished)>;

    explicit TipPopoverAnimationHelper(std::weak_ptr<plat::View> annotationView);

    std::shared_ptr<plat::View> annotationView() const { return _annotationView.lock(); }

    double presentDuration() const { return _presentDuration; }
    void setPresentDuration(double seconds) { _presentDuration = seconds; }
    double dismissDuration() const { return _dismissDuration; }
    void setDismissDuration(double seconds) { _dismissDuration = seconds; }
    double adjustPositionDuration() const { return _adjustPositionDuration; }
    void setAdjustPositionDuration(double seconds) { _adjustPositionDuration = seconds; }
    double presentDelay() const { return _presentDelay; }
    void setPresentDelay(double seconds) { _presentDelay = seconds; }
    double dismissDelay() const { return _dismissDelay; }
    void setDismissDelay(double seconds) { _dismissDelay = seconds; }
    uint64_t presentOptions() const { return _presentOptions; }
    void setPresentOptions(uint64_t options) { _presentOptions = options; }
    uint64_t dismissOptions() const { return _dismissOptions; }
    void setDismissOptions(uint64_t options) { _dismissOptions = options; }

    // Before the bubble is added (alpha 0), inside the fade-in (alpha 1),
    // inside the fade-out (alpha 0), and after each fade.
    const Block& prepareBlock() const { return _prepareBlock; }
    void setPrepareBlock(Block block) { _prepareBlock = std::move(block); }
    const Block& presentAnimationsBlock() const { return _presentAnimationsBlock; }
    void setPresentAnimationsBlock(Block block) { _presentAnimationsBlock = std::move(block); }
    const Block& dismissAnimationsBlock() const { return _dismissAnimationsBlock; }
    void setDismissAnimationsBlock(Block block) { _dismissAnimationsBlock = std::move(block); }
    const CompletionBlock& presentCompletionBlock() const { return _presentCompletionBlock; }
    void setPresentCompletionBlock(CompletionBlock block) { _presentCompletionBlock = std::move(block); }
    const CompletionBlock& dismissCompletionBlock() const { return _dismissCompletionBlock; }
    void setDismissCompletionBlock(CompletionBlock block) { _dismissCompletionBlock = std::move(block); }

    // Run the block when there is one.
    static void safePerformBlock(const Block& block);
    static void safePerformCompletionBlock(const CompletionBlock& block, bool finished);

private:
    std::weak_ptr<plat::View> _annotationView;
    double _presentDuration = 0.25;
    double _dismissDuration = 0.25;
    double _adjustPositionDuration = 0.25;
    double _presentDelay = 0;
    double _dismissDelay = 0;
    uint64_t _presentOptions = plat::ViewAnimationOptionCurveEaseIn;
    uint64_t _dismissOptions = plat::ViewAnimationOptionCurveEaseIn;
    Block _prepareBlock;
    Block _presentAnimationsBlock;
    Block _dismissAnimationsBlock;
    CompletionBlock _presentCompletionBlock;
    CompletionBlock _dismissCompletionBlock;
};

}  // namespace zt
