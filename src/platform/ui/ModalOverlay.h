#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/View.h"

namespace plat {
class Window;
}

namespace plat::detail {

// A view over the whole key window that holds what the system shows in
// front of the app (alerts, action sheets, popovers): it dims the app
// (or not) and takes the touches that land beside its content, telling
// whoever shows it; touches on a passthrough view, or inside one, go on to
// the app instead. Removed by whoever shows it. Main thread.
class ModalOverlay : public View {
public:
    // In front of everything in the key window; nullptr without a key window.
    static std::shared_ptr<ModalOverlay> showInKeyWindow(double dimmingAlpha);
    // In front of everything in the given window.
    static std::shared_ptr<ModalOverlay> showInWindow(Window& window, double dimmingAlpha);

    explicit ModalOverlay(Rect frame);

    void setTouchedOutside(std::function<void()> handler) { _touchedOutside = std::move(handler); }
    void setPassthroughViews(std::vector<std::weak_ptr<View>> views) { _passthrough = std::move(views); }
    // Keeps something alive as long as the overlay is (a popover shown for someone who keeps no reference).
    void retainObject(std::shared_ptr<const void> object) { _retained.push_back(std::move(object)); }

    std::shared_ptr<View> hitTest(Point point, const Event* event) override;
    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet&, const Event&) override { }
    void touchesEnded(const TouchSet&, const Event&) override { }
    void touchesCancelled(const TouchSet&, const Event&) override { }

private:
    bool isPassthrough(const View* view) const;

    std::function<void()> _touchedOutside;
    std::vector<std::weak_ptr<View>> _passthrough;
    bool _lookingBeneath = false;
    std::vector<std::shared_ptr<const void>> _retained;
};

}  // namespace plat::detail
