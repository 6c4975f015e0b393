#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/Object.h"
#include "platform/ui/View.h"

namespace plat {
class BarButtonItem;
class PopoverController;
class ViewController;
namespace detail {
class ModalOverlay;
}

// The platform's arrow directions (bits); Unknown when none was chosen.
enum PopoverArrowDirection : unsigned {
    PopoverArrowDirectionUp = 1u << 0,
    PopoverArrowDirectionDown = 1u << 1,
    PopoverArrowDirectionLeft = 1u << 2,
    PopoverArrowDirectionRight = 1u << 3,
    PopoverArrowDirectionAny = 0xFu,
    PopoverArrowDirectionUnknown = ~0u,
};

class PopoverControllerDelegate {
public:
    virtual ~PopoverControllerDelegate() = default;
    virtual bool popoverControllerShouldDismissPopover(PopoverController&) { return true; }
    virtual void popoverControllerDidDismissPopover(PopoverController&) { }
};

// The platform's popover controller: shows a content controller's view in
// a rounded panel whose arrow points at a rect of a view (or a bar item),
// in front of the app. The panel goes on the side of the rect with room
// (the permitted directions are tried below, above, right, left of it)
// and keeps inside the screen. A touch beside the panel asks the delegate
// and dismisses it (the delegate then hears of it); touches on passthrough
// views go to them instead. Dismissing by code tells no delegate. The
// content hears the appearance callbacks; it finds the popover through
// presentingPopover. Fades take kFadeSeconds. Main thread.
class PopoverController : public Object {
public:
    static constexpr double kFadeSeconds = 0.2;
    static constexpr double kArrowHeight = 13;
    static constexpr double kScreenMargin = 10;

    explicit PopoverController(std::shared_ptr<ViewController> contentViewController);
    ~PopoverController() override;

    const std::shared_ptr<ViewController>& contentViewController() const { return _content; }
    void setContentViewController(std::shared_ptr<ViewController> controller, bool animated = false);
    // Zero: the content's contentSizeForViewInPopover.
    Size popoverContentSize() const { return _contentSize; }
    void setPopoverContentSize(Size size, bool animated = false);
    bool isPopoverVisible() const { return _visible; }
    unsigned popoverArrowDirection() const { return _arrowDirection; }
    const std::vector<std::weak_ptr<View>>& passthroughViews() const { return _passthrough; }
    void setPassthroughViews(std::vector<std::weak_ptr<View>> views);
    std::weak_ptr<PopoverControllerDelegate> delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<PopoverControllerDelegate> delegate) { _delegate = std::move(delegate); }

    void presentPopoverFromRect(Rect rect, const View& view, unsigned permittedArrowDirections, bool animated);
    // From the view the bar shows the item with.
    void presentPopoverFromBarButtonItem(const BarButtonItem& item, unsigned permittedArrowDirections, bool animated);
    void dismissPopoverAnimated(bool animated);
    // With a block run once the popover is gone.
    void dismissPopoverAnimated(bool animated, std::function<void()> completion);

    // The panel while it is shown (for tests and drivers).
    std::shared_ptr<View> popoverView() const { return _panel; }
    // The popover showing a controller's view, if any.
    static std::shared_ptr<PopoverController> presentingPopover(const ViewController& content);

private:
    void place(Rect anchorInWindow, unsigned permitted);
    void touchedOutside();
    void startDismissal(bool animated, bool userInitiated, std::function<void()> completion);
    void finishDismissal();

    std::shared_ptr<ViewController> _content;
    Size _contentSize;
    bool _visible = false;
    bool _dismissing = false;
    // The dismissal under way: who asked, what runs at its end, and its number
    // (a fade that ends after a newer dismissal began has nothing to finish).
    bool _dismissalByUser = false;
    std::function<void()> _dismissalCompletion;
    uint64_t _dismissals = 0;
    unsigned _arrowDirection = PopoverArrowDirectionUnknown;
    std::vector<std::weak_ptr<View>> _passthrough;
    std::weak_ptr<PopoverControllerDelegate> _delegate;
    // The window holds the overlay while the popover shows.
    std::weak_ptr<detail::ModalOverlay> _overlay;
    std::shared_ptr<View> _panel;
    Rect _anchor;
    unsigned _permitted = PopoverArrowDirectionAny;
};

}  // namespace plat
