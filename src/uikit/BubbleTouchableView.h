#pragma once
#include <memory>
#include <vector>

#include "platform/ui/View.h"

namespace zt {
class BubbleTouchableView;

class BubbleTouchableViewDelegate {
public:
    virtual ~BubbleTouchableViewDelegate() = default;
    virtual void viewWasTouched(BubbleTouchableView& view) = 0;
};

// The clear view a popover spreads over the whole screen while it shows:
// it catches touches beside the bubble and tells its delegate, except those
// on passthrough views (or their subviews), which reach those views. Main thread.
class BubbleTouchableView : public plat::View {
public:
    explicit BubbleTouchableView(plat::Rect frame = {});

    // With forwarding disabled every touch beside the bubble stays here, passthrough views included.
    bool touchForwardingDisabled() const { return _touchForwardingDisabled; }
    void setTouchForwardingDisabled(bool disabled) { _touchForwardingDisabled = disabled; }
    std::shared_ptr<BubbleTouchableViewDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<BubbleTouchableViewDelegate> delegate) { _delegate = std::move(delegate); }
    // Kept (the list is copied).
    const std::vector<std::shared_ptr<plat::View>>& passthroughViews() const { return _passthroughViews; }
    void setPassthroughViews(std::vector<std::shared_ptr<plat::View>> views) { _passthroughViews = std::move(views); }

    std::shared_ptr<plat::View> hitTest(plat::Point point, const plat::Event* event) override;
    void touchesBegan(const plat::TouchSet& touches, const plat::Event& event) override;

private:
    // The view or one of its ancestors is in the list.
    bool isPassthroughView(const plat::View* view) const;

    bool _touchForwardingDisabled = false;
    std::weak_ptr<BubbleTouchableViewDelegate> _delegate;
    std::vector<std::shared_ptr<plat::View>> _passthroughViews;
    // Set while the superview is asked what lies below this view.
    bool _testingHits = false;
};

}  // namespace zt
