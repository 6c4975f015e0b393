#pragma once
#include <memory>
#include <optional>
#include <vector>

#include "platform/foundation/Value.h"
#include "platform/ui/Object.h"
#include "platform/ui/View.h"
#include "uikit/BubblePopoverContainerView.h"
#include "uikit/BubbleTouchableView.h"

namespace plat {
class BarButtonItem;
class ViewController;
}  // namespace plat

namespace zt {
class BubblePopoverController;

// Every popover delegate answers both: the popover asks without checking.
class BubblePopoverControllerDelegate {
public:
    virtual ~BubblePopoverControllerDelegate() = default;
    // After a touch beside the bubble closed it (never after a close asked for by code).
    virtual void popoverControllerDidDismissPopover(BubblePopoverController& controller) = 0;
    // A touch beside the shown bubble: may it close?
    virtual bool popoverControllerShouldDismissPopover(BubblePopoverController& controller) = 0;
};

// A view the popover may be presented from that limits where the bubble
// may go (in its own coordinates); by default the screen less the status bar.
class BubblePopoverParentView {
public:
    virtual ~BubblePopoverParentView() = default;
    virtual std::optional<plat::Rect> displayAreaForPopover() const { return std::nullopt; }
};

// Shows a content controller's view in a floating bubble whose arrow
// points at a rectangle of a view, in front of the key window's content,
// without the platform's own popover. A clear view over the screen catches
// touches beside the bubble and asks the delegate whether they may close
// it; the bubble fades in and out over kFadeSeconds; a shown popover can
// take other content in the same bubble. The content hears the appearance
// callbacks but is not made a child controller. Main thread.
class BubblePopoverController : public plat::Object, public BubbleTouchableViewDelegate {
public:
    static constexpr double kFadeSeconds = 0.25;
    static constexpr double kReplaceSeconds = 0.3;

    BubblePopoverController();
    explicit BubblePopoverController(std::shared_ptr<plat::ViewController> contentViewController);
    // Dismisses without animation.
    ~BubblePopoverController() override;

    const std::shared_ptr<plat::ViewController>& contentViewController() const { return _contentViewController; }
    // A different controller also resets popoverContentSize to zero.
    void setContentViewController(std::shared_ptr<plat::ViewController> controller);
    // The bubble while one is shown (fading included), else nullptr.
    const std::shared_ptr<BubblePopoverContainerView>& view() const { return _view; }
    // From the end of the fade-in (or an unanimated presentation) until a dismissal starts.
    bool isPopoverVisible() const { return _popoverVisible; }
    BubblePopoverArrowDirection popoverArrowDirection() const { return _popoverArrowDirection; }
    std::shared_ptr<BubblePopoverControllerDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<BubblePopoverControllerDelegate> delegate) { _delegate = std::move(delegate); }
    // Zero: the next presentation takes the content's contentSizeForViewInPopover
    // and keeps it here. A size with NaN, an infinity or a negative side is refused.
    plat::Size popoverContentSize() const { return _popoverContentSize; }
    void setPopoverContentSize(plat::Size size);
    // Nullptr: the default properties, made afresh at each presentation.
    const std::shared_ptr<BubblePopoverContainerViewProperties>& containerViewProperties() const
    {
        return _containerViewProperties;
    }
    void setContainerViewProperties(std::shared_ptr<BubblePopoverContainerViewProperties> properties)
    {
        _containerViewProperties = std::move(properties);
    }
    // Anything the caller wants to keep with the popover.
    const plat::Value& context() const { return _context; }
    void setContext(plat::Value context) { _context = std::move(context); }
    // Views whose touches reach them while the popover shows.
    const std::vector<std::shared_ptr<plat::View>>& passthroughViews() const { return _passthroughViews; }
    void setPassthroughViews(std::vector<std::shared_ptr<plat::View>> views);
    // The clear view over the screen while a popover shows (for tests and drivers).
    const std::shared_ptr<BubbleTouchableView>& backgroundView() const { return _backgroundView; }

    // The rectangle is in the view's coordinates. A shown popover is first
    // dismissed without animation (its delegate is not told).
    void presentPopoverFromRect(
        plat::Rect rect, const plat::View& view, BubblePopoverArrowDirection permittedArrowDirections, bool animated);
    // From where a bar shows the item, in the key view.
    void presentPopoverFromBarButtonItem(
        const plat::BarButtonItem& item, BubblePopoverArrowDirection permittedArrowDirections, bool animated);
    // A dismissal by code: the delegate is not told.
    void dismissPopoverAnimated(bool animated);
    // Shows another controller in the shown bubble, with the arrow on the
    // same side, moving the bubble to its new frame over kReplaceSeconds.
    // Without a shown popover it only becomes the content controller.
    void updateContentViewController(std::shared_ptr<plat::ViewController> controller);
    void repositionPopoverFromRect(
        plat::Rect rect, const plat::View& view, BubblePopoverArrowDirection permittedArrowDirections);

    void viewWasTouched(BubbleTouchableView& view) override;

private:
    class Fade;

    // The end of the running fade; the ends of fades that a later one
    // replaced never arrive here.
    void animationDidStop(const std::string& animationID, bool finished, const plat::Value& context);
    void beginFade(const char* animationID, plat::Value context, double toAlpha);
    // The key window's first subview, else the key window: the background view goes there.
    static std::shared_ptr<plat::View> keyView();
    static plat::Rect displayAreaForView(const plat::View& view);
    static std::shared_ptr<BubblePopoverContainerViewProperties> defaultContainerViewProperties();
    std::shared_ptr<BubblePopoverContainerViewProperties> propertiesForPresentation() const;
    void setView(std::shared_ptr<BubblePopoverContainerView> view);
    void updateBackgroundPassthroughViews();
    void dismissPopoverAnimated(bool animated, bool userInitiated);
    // Takes the container and the background view off the screen.
    void removeFromScreen();

    std::shared_ptr<plat::ViewController> _contentViewController;
    std::shared_ptr<BubblePopoverContainerView> _view;
    bool _popoverVisible = false;
    BubblePopoverArrowDirection _popoverArrowDirection = kBubbleArrowDirectionUnknown;
    std::weak_ptr<BubblePopoverControllerDelegate> _delegate;
    plat::Size _popoverContentSize;
    std::shared_ptr<BubblePopoverContainerViewProperties> _containerViewProperties;
    plat::Value _context;
    std::vector<std::shared_ptr<plat::View>> _passthroughViews;
    std::shared_ptr<BubbleTouchableView> _backgroundView;
    // The last presentation's anchor and view, which a content replacement reuses.
    plat::Rect _anchorRect;
    std::weak_ptr<const plat::View> _rootView;
    std::weak_ptr<BubblePopoverContainerView> _savedContainerView;
    // The animation delegate of the running fade. A newer presentation,
    // dismissal or content replacement drops it, so that the end of a fade
    // it replaced (a fade-in cut short by a fade-out, say) finishes nothing.
    std::shared_ptr<Fade> _runningFade;
};

// Where a bar shows the item, in the view's coordinates (zero when no bar shows it).
plat::Rect frameInView(const plat::BarButtonItem& item, const plat::View& view);
// The bar that shows the item, or nullptr.
std::shared_ptr<plat::View> superview(const plat::BarButtonItem& item);

}  // namespace zt
