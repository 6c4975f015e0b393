#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Geometry.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Path.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/PropertyObservers.h"
#include "platform/ui/ViewController.h"
#include "uikit/SPSidePanelControllerDelegate.h"

namespace plat {
class Button;
class GestureRecognizer;
class PanGestureRecognizer;
class View;
}  // namespace plat

namespace zt {
class SPSidePanelView;

// Sides of the container; none is also the centre.
enum SPSidePanelSide : uint32_t {
    SPSidePanelSideNone = 0,
    SPSidePanelSideLeft = 1,
    SPSidePanelSideRight = 2,
    SPSidePanelSideTop = 3,
    SPSidePanelSideBottom = 4,
};
// What sideForController answers for a controller on no side.
inline constexpr uint32_t kSPSidePanelNoSide = 0xFFFFFFFF;

enum SPSidePanelOrientation : uint32_t {
    SPSidePanelOrientationNone = 0,
    SPSidePanelOrientationHorizontal = 1,  // left and right
    SPSidePanelOrientationVertical = 2,  // top and bottom
};

// Where a pan may start.
enum SPSidePanelPanningMode : uint32_t {
    SPSidePanelPanningModeNone = 0,
    // The sliding view, the centre tapper while it exists and the container's navigation bar while shown.
    SPSidePanelPanningModeFullView = 1,
    // The navigation bars of the container, of the centre's navigation controller and of a navigation centre.
    SPSidePanelPanningModeNavigationBars = 2,
    SPSidePanelPanningModePanningView = 3,  // only panningView
    SPSidePanelPanningModeFullViewAskingDelegate = 4,  // as full view, each pan allowed by the delegate
    // As full view, but with every side closed a pan on the sliding view starts only in the centre's navigation bar.
    SPSidePanelPanningModeFullViewNavigationBarWhenClosed = 5,
    SPSidePanelPanningModeContainerView = 6,  // the container's own view
};

// What the uncovered strip of the centre does while a side is open.
enum SPSidePanelCenterHiddenInteractivity : uint32_t {
    SPSidePanelCenterHiddenInteractive = 0,
    SPSidePanelCenterHiddenNotInteractive = 1,  // a clear tapper swallows its touches
    SPSidePanelCenterHiddenTapCloses = 2,
    SPSidePanelCenterHiddenTapClosesBouncing = 3,
};

enum SPSidePanelNavigationControllerBehavior : uint32_t {
    // The container slides its own centre view.
    SPSidePanelNavigationControllerContained = 0,
    // Inside a navigation controller, that navigation controller's view slides, within its superview.
    SPSidePanelNavigationControllerIntegrated = 1,
};

enum SPSidePanelSizeMode : uint32_t {
    SPSidePanelSizeModeLedge = 0,  // sizes are the strip of the centre left showing
    SPSidePanelSizeModeViewSize = 1,  // sizes are the uncovered panel's width (height)
};

// A container that shows a centre controller and up to four side
// controllers (left, right, top, bottom). The centre's view (the sliding
// view) slides aside to uncover a side, leaving a strip of the centre, the
// ledge, in view. Sides open and close by call (plain, bouncing, or as a
// preview bounce), by a tap on the uncovered centre and by panning with an
// elastic pull beyond the limits; the delegate (and, in a delegate mode
// other than 0, the children) hear of each step and may refuse opening and
// closing; the side controllers get their appearance callbacks as they are
// uncovered and covered, in the platform's order. A controller finds its
// container through sidePanelController() (UISidePanelItem.h).
//
// Main thread only. The container owns its children; each child points
// back to it weakly.
class SPSidePanelController : public plat::ViewController, public plat::GestureRecognizerDelegate {
public:
    using Completion = std::function<void(SPSidePanelController&, bool success)>;
    using BounceBlock = std::function<void(SPSidePanelController&)>;
    using ControllerBlock = std::function<void(const std::shared_ptr<plat::ViewController>&, uint32_t side)>;

    static constexpr double kDefaultLedge = 44.0;
    static constexpr double kDefaultSlideSeconds = 0.3;
    static constexpr double kDefaultBounceDurationFactor = 0.3;
    // The setter's upper clamp is the single-precision 0.99, widened.
    static constexpr double kMaximumBounceDurationFactor = static_cast<double>(0.99f);
    static constexpr double kPreviewBounceDistance = 40.0;
    static constexpr double kPreviewBounceSeconds = static_cast<double>(1.2f);
    static constexpr double kPreviewBounceCount = 4.0;
    static constexpr double kPreviewBounceDamping = static_cast<double>(0.4f);
    // A release faster than this (points per second) flings the panel open or shut.
    static constexpr double kFlingVelocity = 500;
    static constexpr double kShadowRadius = 10.0;
    static constexpr double kShadowOpacity = 0.5;
    static constexpr double kPushOverCenterSeconds = 0.3;
    static constexpr const char* kPreviewBounceAnimationKey = "previewBounceAnimation";

    // initWithNibName:bundle: (no layout: the container makes its own view) and initWithCoder:.
    SPSidePanelController();
    explicit SPSidePanelController(std::string nibName);
    ~SPSidePanelController() override;

    // The initialisers that take controllers: the centre, then the sides
    // they name in the order left, right, top, bottom.
    static std::shared_ptr<SPSidePanelController> initWithCenterViewController(
        std::shared_ptr<plat::ViewController> center);
    static std::shared_ptr<SPSidePanelController> initWithCenterViewControllerLeftViewController(
        std::shared_ptr<plat::ViewController> center, std::shared_ptr<plat::ViewController> left);
    static std::shared_ptr<SPSidePanelController> initWithCenterViewControllerRightViewController(
        std::shared_ptr<plat::ViewController> center, std::shared_ptr<plat::ViewController> right);
    static std::shared_ptr<SPSidePanelController> initWithCenterViewControllerLeftViewControllerRightViewController(
        std::shared_ptr<plat::ViewController> center, std::shared_ptr<plat::ViewController> left,
        std::shared_ptr<plat::ViewController> right);
    static std::shared_ptr<SPSidePanelController> initWithCenterViewControllerTopViewController(
        std::shared_ptr<plat::ViewController> center, std::shared_ptr<plat::ViewController> top);
    static std::shared_ptr<SPSidePanelController> initWithCenterViewControllerBottomViewController(
        std::shared_ptr<plat::ViewController> center, std::shared_ptr<plat::ViewController> bottom);
    static std::shared_ptr<SPSidePanelController> initWithCenterViewControllerTopViewControllerBottomViewController(
        std::shared_ptr<plat::ViewController> center, std::shared_ptr<plat::ViewController> top,
        std::shared_ptr<plat::ViewController> bottom);
    static std::shared_ptr<SPSidePanelController>
    initWithCenterViewControllerLeftViewControllerRightViewControllerTopViewControllerBottomViewController(
        std::shared_ptr<plat::ViewController> center, std::shared_ptr<plat::ViewController> left,
        std::shared_ptr<plat::ViewController> right, std::shared_ptr<plat::ViewController> top,
        std::shared_ptr<plat::ViewController> bottom);

    // Delegates.
    std::shared_ptr<SPSidePanelControllerDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<SPSidePanelControllerDelegate> delegate) { _delegate = std::move(delegate); }
    // 0: only the delegate hears; any other value: the children that adopt the protocol too.
    uint32_t delegateMode() const { return _delegateMode; }
    void setDelegateMode(uint32_t mode) { _delegateMode = mode; }
    std::shared_ptr<plat::GestureRecognizerDelegate> panningGestureDelegate() const
    {
        return _panningGestureDelegate.lock();
    }
    // Asked first by the pan recognisers' callbacks.
    void setPanningGestureDelegate(std::weak_ptr<plat::GestureRecognizerDelegate> delegate)
    {
        _panningGestureDelegate = std::move(delegate);
    }

    // Controllers.
    // The controllers there are, in the order centre, left, right, top, bottom.
    std::vector<std::shared_ptr<plat::ViewController>> controllers() const;
    const std::shared_ptr<plat::ViewController>& centerController() const { return _centerController; }
    void setCenterController(std::shared_ptr<plat::ViewController> controller);
    std::shared_ptr<plat::ViewController> leftController() const { return _controllers[SPSidePanelSideLeft]; }
    void setLeftController(std::shared_ptr<plat::ViewController> controller);
    std::shared_ptr<plat::ViewController> rightController() const { return _controllers[SPSidePanelSideRight]; }
    void setRightController(std::shared_ptr<plat::ViewController> controller);
    std::shared_ptr<plat::ViewController> topController() const { return _controllers[SPSidePanelSideTop]; }
    void setTopController(std::shared_ptr<plat::ViewController> controller);
    std::shared_ptr<plat::ViewController> bottomController() const { return _controllers[SPSidePanelSideBottom]; }
    void setBottomController(std::shared_ptr<plat::ViewController> controller);
    void setController(std::shared_ptr<plat::ViewController> controller, uint32_t side);
    // The controller whose view slides: the centre, or in the integrated
    // behaviour the navigation controller around the container.
    std::shared_ptr<plat::ViewController> slidingController() const { return _slidingController.lock(); }
    // Nullptr for side 0 and sides beyond 4.
    std::shared_ptr<plat::ViewController> controllerForSide(uint32_t side) const;
    // The first of sides 1 to 4 that holds it, else kSPSidePanelNoSide.
    uint32_t sideForController(const plat::ViewController* controller) const;
    static uint32_t oppositeOfSide(uint32_t side);
    static uint32_t orientationOfSide(uint32_t side);
    // Each side's controller (nullptr included) and its side, 1 to 4.
    void doForControllers(const ControllerBlock& block) const;

    // Behaviour.
    bool isEnabled() const { return _enabled; }
    // Off: pans are ignored.
    void setEnabled(bool enabled) { _enabled = enabled; }
    bool isElastic() const { return _elastic; }
    void setElastic(bool elastic) { _elastic = elastic; }
    const std::shared_ptr<plat::View>& panningView() const { return _panningView; }
    void setPanningView(std::shared_ptr<plat::View> view);
    uint32_t panningMode() const { return _panningMode; }
    void setPanningMode(uint32_t mode);
    bool panningCancelsTouchesInView() const { return _panningCancelsTouchesInView; }
    void setPanningCancelsTouchesInView(bool cancels);
    uint32_t centerhiddenInteractivity() const { return _centerhiddenInteractivity; }
    void setCenterhiddenInteractivity(uint32_t interactivity);
    uint32_t navigationControllerBehavior() const { return _navigationControllerBehavior; }
    // Fixed once the container first appeared: a change then is a programmer error and aborts.
    void setNavigationControllerBehavior(uint32_t behavior);
    bool automaticallyUpdateTabBarItems() const { return _automaticallyUpdateTabBarItems; }
    void setAutomaticallyUpdateTabBarItems(bool update);
    bool resizesCenterView() const { return _resizesCenterView; }
    void setResizesCenterView(bool resizes) { _resizesCenterView = resizes; }
    uint32_t sizeMode() const { return _sizeMode; }
    void setSizeMode(uint32_t mode) { _sizeMode = mode; }

    // Durations.
    double bounceDurationFactor() const { return _bounceDurationFactor; }
    // Clamped to [0, kMaximumBounceDurationFactor]; NaN is refused.
    void setBounceDurationFactor(double factor);
    // 0: derived from the bounce duration factor.
    double bounceOpenSideDurationFactor() const { return _bounceOpenSideDurationFactor; }
    // Negative values count as 0; NaN is refused.
    void setBounceOpenSideDurationFactor(double factor);
    double openSlideAnimationDuration() const { return _openSlideAnimationDuration; }
    // Seconds; negative values count as 0 (at once); NaN is refused.
    void setOpenSlideAnimationDuration(double seconds);
    double closeSlideAnimationDuration() const { return _closeSlideAnimationDuration; }
    void setCloseSlideAnimationDuration(double seconds);
    double parallaxAmount() const { return _parallaxAmount; }
    // 0 or less turns the parallax off; NaN is refused.
    void setParallaxAmount(double amount);

    // Sizes, in the current size mode: ledges (mode 0) or panel sizes (mode
    // 1). Each setter slides an exactly open side to its new ledge.
    double leftSize() const { return sizeForSide(SPSidePanelSideLeft); }
    double rightSize() const { return sizeForSide(SPSidePanelSideRight); }
    double topSize() const { return sizeForSide(SPSidePanelSideTop); }
    double bottomSize() const { return sizeForSide(SPSidePanelSideBottom); }
    void setLeftSize(double size, Completion completion = nullptr);
    void setRightSize(double size, Completion completion = nullptr);
    void setTopSize(double size, Completion completion = nullptr);
    void setBottomSize(double size, Completion completion = nullptr);
    // Each side's panel size and ledge, whatever the size mode.
    double leftViewSize() const { return ledgeAsSize(_ledge[SPSidePanelSideLeft], 1, SPSidePanelSideLeft); }
    double rightViewSize() const { return ledgeAsSize(_ledge[SPSidePanelSideRight], 1, SPSidePanelSideRight); }
    double topViewSize() const { return ledgeAsSize(_ledge[SPSidePanelSideTop], 1, SPSidePanelSideTop); }
    double bottomViewSize() const { return ledgeAsSize(_ledge[SPSidePanelSideBottom], 1, SPSidePanelSideBottom); }
    double leftLedgeSize() const { return _ledge[SPSidePanelSideLeft]; }
    double rightLedgeSize() const { return _ledge[SPSidePanelSideRight]; }
    double topLedgeSize() const { return _ledge[SPSidePanelSideTop]; }
    double bottomLedgeSize() const { return _ledge[SPSidePanelSideBottom]; }
    // The upper bound of every ledge (0: none), as stored.
    double maxSize() const { return _maxLedge; }
    // Only with at most one side controller; otherwise logged and ignored.
    void setMaxSize(double size, Completion completion = nullptr);
    double sizeAsLedge(double size, uint32_t side) const;
    double ledgeAsSize(double ledge, uint32_t mode, uint32_t side) const;
    double ledgeAsSize(double ledge, uint32_t side) const { return ledgeAsSize(ledge, _sizeMode, side); }
    double sizeForSide(uint32_t side) const;
    // A size with NaN or an infinity is refused; the ledge it makes is kept
    // within [0, the extent]. The completion runs at the end of the slide of
    // an exactly open side, and only then.
    void setSize(double size, uint32_t side, Completion completion);
    // Capped by the maximum, offered to the delegates, stored.
    void setLedgeValue(double ledge, uint32_t side);
    // The sliding offset at which the side is fully open.
    double ledgeOffsetForSide(uint32_t side) const;

    // Geometry.
    // The reference view's bounds, or the main screen's while there is none.
    plat::Rect referenceBounds() const;
    double statusBarHeight() const;
    // The status bar's height when the reference view is a window, else 0.
    double relativeStatusBarHeight() const;
    plat::Rect centerViewBounds() const;
    plat::Rect sideViewBounds() const;
    // The view that slides.
    std::shared_ptr<plat::View> slidingControllerView() const;

    // Accessibility of the tapper that covers the uncovered centre.
    const std::string& centerTapperAccessibilityLabel() const { return _centerTapperAccessibilityLabel; }
    void setCenterTapperAccessibilityLabel(std::string label);
    const std::string& centerTapperAccessibilityHint() const { return _centerTapperAccessibilityHint; }
    void setCenterTapperAccessibilityHint(std::string hint);
    // The tapper while a side is open and the centre is covered (for tests and drivers).
    const std::shared_ptr<plat::Button>& centerTapper() const { return _centerTapper; }
    const std::vector<std::shared_ptr<plat::PanGestureRecognizer>>& panners() const { return _panners; }

    // Offsets and frames.
    double limitOffset(double offset, uint32_t orientation) const;
    plat::Size slidingSizeForOffset(double offset, uint32_t orientation) const;
    plat::Rect slidingRectForOffset(double offset, uint32_t orientation) const;
    void setSlidingFrameForOffset(double offset, uint32_t orientation);
    void setSlidingFrameForOffset(double offset, bool limit, uint32_t orientation);
    void setSlidingFrameForOffset(double offset, bool limit, bool panning, uint32_t orientation);
    void panToSlidingFrameForOffset(double offset, uint32_t orientation);
    void hideAppropriateSideViews();
    // The current sliding offset (points; positive moves right or down) and its orientation.
    double offset() const { return _offset; }
    uint32_t offsetOrientation() const { return _offsetOrientation; }

    // States; sides without a controller count as closed.
    bool isSideClosed(uint32_t side) const;
    // Exactly at its ledge.
    bool isSideOpen(uint32_t side) const;
    bool isAnySideOpen() const;
    bool isSideTransitioning(uint32_t side) const;
    bool checkCanOpenSide(uint32_t side);
    bool checkCanCloseSide(uint32_t side);
    double openSlideDuration(bool animated) const;
    double closeSlideDuration(bool animated) const;

    // Opening and closing. Each answers whether it went ahead (a refusal
    // answers NO) and tells its completion the same.
    bool openSideView(uint32_t side, bool animated, Completion completion);
    bool openSideView(uint32_t side, bool animated, double duration, Completion completion);
    bool closeSideView(uint32_t side, bool animated, Completion completion);
    bool closeSideView(uint32_t side, bool animated, double duration, Completion completion);
    bool openLeftView() { return openLeftViewAnimated(true); }
    bool openRightView() { return openRightViewAnimated(true); }
    bool openTopView() { return openTopViewAnimated(true); }
    bool openBottomView() { return openBottomViewAnimated(true); }
    bool openLeftViewAnimated(bool animated, Completion completion = nullptr);
    bool openRightViewAnimated(bool animated, Completion completion = nullptr);
    bool openTopViewAnimated(bool animated, Completion completion = nullptr);
    bool openBottomViewAnimated(bool animated, Completion completion = nullptr);
    bool closeLeftView() { return closeLeftViewAnimated(true); }
    bool closeRightView() { return closeRightViewAnimated(true); }
    bool closeTopView() { return closeTopViewAnimated(true); }
    bool closeBottomView() { return closeBottomViewAnimated(true); }
    bool closeLeftViewAnimated(bool animated, Completion completion = nullptr);
    bool closeRightViewAnimated(bool animated, Completion completion = nullptr);
    bool closeTopViewAnimated(bool animated, Completion completion = nullptr);
    bool closeBottomViewAnimated(bool animated, Completion completion = nullptr);
    bool closeLeftViewAnimated(bool animated, double duration, Completion completion);
    bool closeRightViewAnimated(bool animated, double duration, Completion completion);
    bool closeTopViewAnimated(bool animated, double duration, Completion completion);
    bool closeBottomViewAnimated(bool animated, double duration, Completion completion);
    bool toggleLeftView() { return toggleLeftViewAnimated(true); }
    bool toggleRightView() { return toggleRightViewAnimated(true); }
    bool toggleTopView() { return toggleTopViewAnimated(true); }
    bool toggleBottomView() { return toggleBottomViewAnimated(true); }
    bool toggleLeftViewAnimated(bool animated, Completion completion = nullptr);
    bool toggleRightViewAnimated(bool animated, Completion completion = nullptr);
    bool toggleTopViewAnimated(bool animated, Completion completion = nullptr);
    bool toggleBottomViewAnimated(bool animated, Completion completion = nullptr);
    // Out past the ledge to the bounce offset, then back to it.
    bool openLeftViewBouncing(BounceBlock bounced, Completion completion = nullptr);
    bool openRightViewBouncing(BounceBlock bounced, Completion completion = nullptr);
    bool openTopViewBouncing(BounceBlock bounced, Completion completion = nullptr);
    bool openBottomViewBouncing(BounceBlock bounced, Completion completion = nullptr);
    bool openSideView(
        uint32_t side, double bounceOffset, double targetOffset, BounceBlock bounced, Completion completion);
    bool closeLeftViewBouncing(BounceBlock bounced, Completion completion = nullptr);
    bool closeRightViewBouncing(BounceBlock bounced, Completion completion = nullptr);
    bool closeTopViewBouncing(BounceBlock bounced, Completion completion = nullptr);
    bool closeBottomViewBouncing(BounceBlock bounced, Completion completion = nullptr);
    bool closeSideView(uint32_t side, double bounceOffset, BounceBlock bounced, Completion completion);
    // Closes the open side and opens its opposite.
    bool toggleOpenView() { return toggleOpenViewAnimated(true); }
    bool toggleOpenViewAnimated(bool animated, Completion completion = nullptr);
    bool closeOpenView() { return closeOpenViewAnimated(true); }
    bool closeOpenViewAnimated(bool animated, Completion completion = nullptr);
    bool closeOpenViewAnimated(bool animated, double duration, Completion completion);
    bool closeOpenViewBouncing(BounceBlock bounced, Completion completion = nullptr);

    // A damped wobble of the closed centre that hints at the side.
    bool previewBounceView(uint32_t side, Completion completion = nullptr);
    bool previewBounceView(uint32_t side, double distance, double duration, bool callDelegate, Completion completion);
    bool previewBounceView(uint32_t side, double distance, double duration, double numberOfBounces,
        double dampingFactor, bool callDelegate, Completion completion);
    // The sliding layer's positions for a preview bounce (single-precision
    // values); empty for sides other than 1 to 4.
    std::vector<float> bouncingValuesForViewSide(
        uint32_t side, double maximumBounce, double numberOfBounces, double dampingFactor, double duration) const;

    bool canRightViewPushViewControllerOverCenterController() const;
    void rightViewPushViewControllerOverCenterController(std::shared_ptr<plat::ViewController> controller);

    // The centre's cover while a side is open.
    void centerViewVisible();
    void centerViewHidden();
    void centerTapped();
    void setAccessibilityForCenterTapper();
    // Nested: touches return only after as many enables as disables.
    void disableUserInteraction();
    void enableUserInteraction();

    // Appearance of the side controllers (states 0 gone, 1 changing, 2 shown).
    void notifyAppearanceForSide(uint32_t side, bool animated, uint32_t from, uint32_t to);
    void transitionAppearanceFrom(uint32_t from, uint32_t to, bool animated);
    void notifyWillOpenSide(uint32_t side, bool animated);
    void notifyDidOpenSide(uint32_t side, bool animated);
    void notifyWillCloseSide(uint32_t side, bool animated);
    void notifyDidCloseSide(uint32_t side, bool animated);
    void notifyDidChangeOffset(double offset, uint32_t orientation, bool panning);

    // Panning.
    void addPanner(const std::shared_ptr<plat::View>& view);
    void addPanners();
    void removePanners();
    bool hasActivePanner() const;
    void setNeedsAddPanners();
    void addPannersIfAllPannersAreInactiveAndNeeded();
    void panned(plat::PanGestureRecognizer& recognizer);
    void panned(plat::PanGestureRecognizer& recognizer, uint32_t orientation);
    double locationOfPanner(plat::PanGestureRecognizer& recognizer, uint32_t orientation) const;
    void setParallax();
    plat::Rect getLeftParallax() const;
    plat::Rect getRightParallax() const;
    bool gestureRecognizerShouldBegin(plat::GestureRecognizer& recognizer) override;
    bool gestureRecognizerShouldReceiveTouch(plat::GestureRecognizer& recognizer, plat::Touch& touch) override;
    bool gestureRecognizerShouldRecognizeSimultaneouslyWithGestureRecognizer(
        plat::GestureRecognizer& recognizer, plat::GestureRecognizer& other) override;

    // Containment.
    bool setSlidingAndReferenceViews();
    void finishTransitionBlocks();
    bool shouldAutomaticallyForwardAppearanceMethods() const override { return false; }
    bool shouldAutomaticallyForwardRotationMethods() const override { return false; }
    bool safe_shouldManageAppearanceMethods() const { return !shouldAutomaticallyForwardAppearanceMethods(); }
    bool safe_shouldForwardRotationMethods() const { return !shouldAutomaticallyForwardRotationMethods(); }
    void relayRotationMethod(const std::function<void(const std::shared_ptr<plat::ViewController>&)>& call) const;
    void applyShadowToSlidingViewAnimated(bool animated);
    void restoreShadowToSlidingView();
    void arrangeViewsAfterRotation();
    void cleanup();

    void setTitle(std::string title) override;
    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewDidDisappear(bool animated) override;
    void didReceiveMemoryWarning() override;
    bool shouldAutorotate() const override;
    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const override;
    unsigned supportedInterfaceOrientations() const override;
    plat::InterfaceOrientation preferredInterfaceOrientationForPresentation() const override;
    void willRotateToInterfaceOrientation(plat::InterfaceOrientation orientation, double duration) override;
    void willAnimateRotationToInterfaceOrientation(plat::InterfaceOrientation orientation, double duration) override;
    void didRotateFromInterfaceOrientation(plat::InterfaceOrientation fromOrientation) override;

private:
    using FinishTransitionBlock = std::function<void()>;

    void commonInitWithCenterViewController(std::shared_ptr<plat::ViewController> center);
    std::shared_ptr<SPSidePanelView> sidePanelView() const;
    std::shared_ptr<plat::NavigationController> ownNavigationController();
    double extentForOrientation(uint32_t orientation) const;
    // The sliding view's frame, or where it would be while there is none.
    plat::Rect slidingFrame() const;
    double positionOfSlidingView(uint32_t orientation) const;
    double offsetForLedge(double ledge, uint32_t side) const;
    void appearanceMessage(plat::ViewController& controller, bool appearing, uint32_t target, bool animated);
    void recordPreRotationSizes() const;

    // The delegate fan-out: the delegate, then (delegate mode other than 0)
    // each child or navigation top controller that adopts the protocol and
    // is not the delegate.
    std::vector<SPSidePanelControllerDelegate*> delegateListeners();
    bool checkDelegate(const std::function<std::optional<bool>(SPSidePanelControllerDelegate&)>& question);
    void performDelegate(const std::function<void(SPSidePanelControllerDelegate&)>& message);
    double performDelegateLedge(double ledge, uint32_t side);

    // Steps that the opening operations chain.
    void runOpening(uint32_t side, bool animated, double duration, Completion completion, bool finished);
    bool closeSideViewWithIndex(uint32_t side, bool animated, double duration, Completion completion);

    // Containment steps.
    void removeSideView(uint32_t side, const std::shared_ptr<plat::ViewController>& controller);
    void insertSideView(uint32_t side, const std::shared_ptr<plat::ViewController>& controller);
    void observeCenter();
    void stopObservingCenter();
    void observeCenterTabBarItem();
    void copyCenterTabBarItem();
    void centerChangedValueForKey(std::string_view key);
    void containerBoundsChanged();
    void arrangeViewsOnFirstAppearance();
    void forceNavigationBarLayout();
    std::shared_ptr<plat::View> navigationBarToPan(const std::shared_ptr<plat::NavigationController>& navigation);

    std::weak_ptr<SPSidePanelControllerDelegate> _delegate;
    uint32_t _delegateMode = 0;
    std::weak_ptr<plat::GestureRecognizerDelegate> _panningGestureDelegate;
    std::shared_ptr<plat::ViewController> _centerController;
    std::array<std::shared_ptr<plat::ViewController>, 6> _controllers;
    std::weak_ptr<plat::ViewController> _slidingController;
    std::shared_ptr<plat::View> _panningView;
    bool _enabled = true;
    bool _elastic = true;
    uint32_t _panningMode = SPSidePanelPanningModeFullView;
    bool _panningCancelsTouchesInView = true;
    uint32_t _centerhiddenInteractivity = SPSidePanelCenterHiddenInteractive;
    uint32_t _navigationControllerBehavior = SPSidePanelNavigationControllerContained;
    bool _automaticallyUpdateTabBarItems = false;
    bool _resizesCenterView = false;
    uint32_t _sizeMode = SPSidePanelSizeModeLedge;
    double _bounceDurationFactor = kDefaultBounceDurationFactor;
    double _bounceOpenSideDurationFactor = 0;
    double _openSlideAnimationDuration = kDefaultSlideSeconds;
    double _closeSlideAnimationDuration = kDefaultSlideSeconds;
    double _parallaxAmount = 0;
    std::string _centerTapperAccessibilityLabel;
    std::string _centerTapperAccessibilityHint;

    plat::Point _panOrigin;
    uint32_t _viewAppeared = 0;
    bool _viewFirstAppeared = false;
    std::array<uint32_t, 6> _sideAppeared {};
    std::array<double, 5> _ledge {};
    double _offset = 0;
    double _maxLedge = 0;
    // Recorded by the rotation questions, which the platform asks as const.
    mutable plat::Size _preRotationSize;
    mutable plat::Size _preRotationCenterSize;
    mutable bool _preRotationIsLandscape = false;
    uint32_t _offsetOrientation = SPSidePanelOrientationHorizontal;
    mutable int64_t _willAppearShouldArrangeViewsAfterRotation = 0;
    plat::Point _willAppearOffset;
    std::optional<std::vector<FinishTransitionBlock>> _finishTransitionBlocks;
    int32_t _disabledUserInteractions = 0;
    bool _needsAddPannersIfAllPannersAreInactive = false;

    std::weak_ptr<plat::View> _referenceView;
    std::vector<std::shared_ptr<plat::PanGestureRecognizer>> _panners;
    double _originalShadowRadius = 0;
    double _originalShadowOpacity = 0;
    std::optional<plat::Color> _originalShadowColor;
    plat::Size _originalShadowOffset;
    std::optional<plat::Path> _originalShadowPath;
    // Whether the delegate drew the shadow the last time one was applied.
    bool _delegateDrawsShadow = false;
    std::shared_ptr<plat::Button> _centerTapper;
    std::shared_ptr<plat::View> _centerView;

    plat::ObservationToken _boundsObservation;
    plat::ObservationToken _parentObservation;
    std::vector<plat::ObservationToken> _centerObservations;
    std::vector<plat::ObservationToken> _centerTabBarObservations;
};

}  // namespace zt
