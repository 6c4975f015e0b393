#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Geometry.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Color.h"
#include "platform/ui/LayerDelegate.h"
#include "platform/ui/LayoutConstraint.h"
#include "platform/ui/Responder.h"
#include "platform/ui/ViewTypes.h"

namespace plat {
class GestureRecognizer;
class GraphicsContext;
class Layer;
class ViewController;
class Window;
namespace detail {
class ViewHierarchy;
}

// Told when a named (begin/commit) view animation starts and stops.
class ViewAnimationDelegate {
public:
    virtual ~ViewAnimationDelegate() = default;
    virtual void animationWillStart(const std::string& /*animationID*/, const Value& /*context*/) { }
    virtual void animationDidStop(const std::string& /*animationID*/, bool /*finished*/, const Value& /*context*/) { }
};

// The platform's view: a rectangle of the screen backed by a layer, with
// subviews, geometry (frame, bounds, centre, transform), look (alpha,
// hidden, background colour, clipping, content mode), autoresizing, layout
// on demand (layoutSubviews runs once per request: a new view, a change of
// its size, setNeedsLayout), drawing on demand (drawRect into a backing
// picture after setNeedsDisplay), hit testing, conversions between views,
// gesture recognisers, and block animations. Created with std::make_shared.
// Main thread.
class View : public Responder, public LayerDelegate {
public:
    View();
    explicit View(Rect frame);
    ~View() override;

    // Geometry. The frame is the superview's view of the transformed
    // bounds; with a transform that turns by right angles or scales, setting
    // it sets the bounds that give that frame.
    Rect frame() const;
    virtual void setFrame(Rect frame);
    Rect bounds() const;
    virtual void setBounds(Rect bounds);
    Point center() const;
    void setCenter(Point center);
    AffineTransform transform() const;
    void setTransform(const AffineTransform& transform);

    // Look.
    double alpha() const;
    void setAlpha(double alpha);
    bool isHidden() const;
    virtual void setHidden(bool hidden);
    bool isOpaque() const;
    void setOpaque(bool opaque);
    const std::optional<Color>& backgroundColor() const { return _backgroundColor; }
    virtual void setBackgroundColor(std::optional<Color> color);
    bool clipsToBounds() const;
    void setClipsToBounds(bool clips);
    ContentMode contentMode() const { return _contentMode; }
    virtual void setContentMode(ContentMode mode);
    // The tint of this view: its own, else its superview's, else the system blue.
    Color tintColor() const;
    void setTintColor(std::optional<Color> color);
    // Called when the tint or the tint adjustment mode in effect changes.
    virtual void tintColorDidChange() { }
    // The mode in effect: the view's own, else the nearest ancestor's that is
    // not automatic, else normal. Setting it tells the subtree that follows it.
    ViewTintAdjustmentMode tintAdjustmentMode() const;
    void setTintAdjustmentMode(ViewTintAdjustmentMode mode);
    const std::shared_ptr<Layer>& layer() const { return _layer; }
    double contentScaleFactor() const;
    void setContentScaleFactor(double scale);

    // Behaviour.
    unsigned autoresizingMask() const { return _autoresizingMask; }
    void setAutoresizingMask(unsigned mask) { _autoresizingMask = mask; }
    bool autoresizesSubviews() const { return _autoresizesSubviews; }
    void setAutoresizesSubviews(bool autoresizes) { _autoresizesSubviews = autoresizes; }
    bool isUserInteractionEnabled() const { return _userInteractionEnabled; }
    virtual void setUserInteractionEnabled(bool enabled) { _userInteractionEnabled = enabled; }
    bool isMultipleTouchEnabled() const { return _multipleTouchEnabled; }
    void setMultipleTouchEnabled(bool enabled) { _multipleTouchEnabled = enabled; }
    int64_t tag() const { return _tag; }
    void setTag(int64_t tag) { _tag = tag; }
    // This view or the first descendant (depth first) with the tag.
    std::shared_ptr<View> viewWithTag(int64_t tag);

    // The tree. Adding a view that has a superview moves it.
    std::shared_ptr<View> superview() const { return _superview.lock(); }
    const std::vector<std::shared_ptr<View>>& subviews() const { return _subviews; }
    std::shared_ptr<Window> window() const;
    void addSubview(const std::shared_ptr<View>& view);
    void insertSubview(const std::shared_ptr<View>& view, size_t index);
    void insertSubviewAboveSubview(const std::shared_ptr<View>& view, const View& sibling);
    void insertSubviewBelowSubview(const std::shared_ptr<View>& view, const View& sibling);
    void removeFromSuperview();
    void bringSubviewToFront(const View& view);
    void sendSubviewToBack(const View& view);
    bool isDescendantOfView(const View& view) const;
    // The controller whose root view this is.
    std::shared_ptr<ViewController> viewController() const { return _viewController.lock(); }

    virtual void didAddSubview(View&) { }
    virtual void willRemoveSubview(View&) { }
    virtual void willMoveToSuperview(View*) { }
    virtual void didMoveToSuperview() { }
    virtual void willMoveToWindow(Window*) { }
    virtual void didMoveToWindow() { }

    // Layout.
    void setNeedsLayout();
    void layoutIfNeeded();
    virtual void layoutSubviews() { }
    virtual Size sizeThatFits(Size size) const;
    void sizeToFit();

    // Auto layout. The constraints a view holds are solved with those of
    // its ancestors and subviews that place its subviews, each time it lays
    // them out, before layoutSubviews (see detail::ConstraintLayout). Views
    // made here translate their frame into constraints until told not to.
    static constexpr double kNoIntrinsicMetric = -1;
    const std::vector<std::shared_ptr<LayoutConstraint>>& constraints() const { return _constraints; }
    void addConstraint(const std::shared_ptr<LayoutConstraint>& constraint);
    void addConstraints(const std::vector<std::shared_ptr<LayoutConstraint>>& constraints);
    void removeConstraint(const std::shared_ptr<LayoutConstraint>& constraint);
    void removeConstraints(const std::vector<std::shared_ptr<LayoutConstraint>>& constraints);
    bool translatesAutoresizingMaskIntoConstraints() const { return _translatesAutoresizingMask; }
    void setTranslatesAutoresizingMaskIntoConstraints(bool translates);
    // The size the content wants (kNoIntrinsicMetric for an axis without one).
    virtual Size intrinsicContentSize() const { return {kNoIntrinsicMetric, kNoIntrinsicMetric}; }
    void invalidateIntrinsicContentSize();
    LayoutPriority contentHuggingPriorityForAxis(LayoutConstraintAxis axis) const;
    void setContentHuggingPriority(LayoutPriority priority, LayoutConstraintAxis axis);
    LayoutPriority contentCompressionResistancePriorityForAxis(LayoutConstraintAxis axis) const;
    void setContentCompressionResistancePriority(LayoutPriority priority, LayoutConstraintAxis axis);
    // Constraints are brought up to date (updateConstraints) before the layout that needs them.
    void setNeedsUpdateConstraints();
    bool needsUpdateConstraints() const { return _needsUpdateConstraints; }
    void updateConstraintsIfNeeded();
    virtual void updateConstraints() { }

    // Drawing: a subclass that draws overrides drawRect (without calling
    // this one) and draws in bounds coordinates; the context is also the
    // current one (graphicsGetCurrentContext).
    void setNeedsDisplay();
    void setNeedsDisplayInRect(Rect rect);
    virtual void drawRect(GraphicsContext& context, Rect rect);

    // Hit testing: the deepest visible, interactive view containing the
    // point (in this view's coordinates), front subviews first.
    virtual std::shared_ptr<View> hitTest(Point point, const Event* event);
    virtual bool pointInside(Point point, const Event* event) const;

    // Conversions; nullptr stands for the window (or the root of a tree without one).
    Point convertPoint(Point point, const View* toView) const;
    Point convertPointFromView(Point point, const View* fromView) const;
    Rect convertRect(Rect rect, const View* toView) const;
    Rect convertRectFromView(Rect rect, const View* fromView) const;

    // Gesture recognisers.
    void addGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer);
    void removeGestureRecognizer(const GestureRecognizer& recognizer);
    const std::vector<std::shared_ptr<GestureRecognizer>>& gestureRecognizers() const { return _recognizers; }
    // Asked before a recogniser of this view, or of a view above the touched
    // one, begins; controls refuse recognisers that would take their own touches.
    virtual bool gestureRecognizerShouldBegin(GestureRecognizer& recognizer);

    // Makes the first responder within this view resign; with force, even
    // when it would refuse.
    bool endEditing(bool force);

    // Accessibility, which the test drivers use to find views.
    virtual std::string accessibilityLabel() const { return _accessibilityLabel; }
    void setAccessibilityLabel(std::string label) { _accessibilityLabel = std::move(label); }
    const std::string& accessibilityHint() const { return _accessibilityHint; }
    void setAccessibilityHint(std::string hint) { _accessibilityHint = std::move(hint); }
    const std::string& accessibilityIdentifier() const { return _accessibilityIdentifier; }
    void setAccessibilityIdentifier(std::string identifier) { _accessibilityIdentifier = std::move(identifier); }
    bool isAccessibilityElement() const { return _isAccessibilityElement; }
    void setIsAccessibilityElement(bool element) { _isAccessibilityElement = element; }
    // In window coordinates; by default the frame converted there.
    Rect accessibilityFrame() const;
    void setAccessibilityFrame(std::optional<Rect> frame) { _accessibilityFrame = frame; }
    bool accessibilityViewIsModal() const { return _accessibilityViewIsModal; }
    void setAccessibilityViewIsModal(bool modal) { _accessibilityViewIsModal = modal; }

    // Block animations: the changes made in `animations` take their new
    // values at once; the screen shows them moving over the duration, and
    // the completion runs on the main run loop once all of them ended
    // (finished false when one was removed before), or on the next turn
    // when nothing was changed.
    static void animateWithDuration(double duration, const std::function<void()>& animations);
    static void animateWithDuration(
        double duration, const std::function<void()>& animations, std::function<void(bool finished)> completion);
    static void animateWithDuration(double duration, double delay, uint64_t options,
        const std::function<void()>& animations, std::function<void(bool finished)> completion);
    // A spring: damping ratio 1 without overshoot, velocity in distances per second.
    static void animateWithDuration(double duration, double delay, double dampingRatio, double initialVelocity,
        uint64_t options, const std::function<void()>& animations, std::function<void(bool finished)> completion);
    static void performWithoutAnimation(const std::function<void()>& actions);
    static void setAnimationsEnabled(bool enabled);
    static bool areAnimationsEnabled();
    // Named animations: the changes between begin and commit animate with
    // the settings made meanwhile; the delegate hears of start and stop.
    static void beginAnimations(std::string animationID, Value context);
    static void commitAnimations();
    static void setAnimationDuration(double seconds);
    static void setAnimationDelay(double seconds);
    static void setAnimationCurve(ViewAnimationCurve curve);
    static void setAnimationBeginsFromCurrentState(bool fromCurrentState);
    static void setAnimationDelegate(std::weak_ptr<ViewAnimationDelegate> delegate);

    // Responder.
    std::shared_ptr<Responder> nextResponder() const override;

    // Layer delegate.
    void drawLayer(Layer& layer, GraphicsContext& context) override;
    bool drawsLayerContent(const Layer& layer) const override;
    void layoutSublayersOfLayer(Layer& layer) override;
    void layerPropertyWillChange(Layer& layer, std::string_view keyPath) override;
    void layerBoundsDidChange(Layer& layer, Rect oldBounds) override;

protected:
    // For views with a layer of their own class.
    View(Rect frame, std::shared_ptr<Layer> layer);
    std::shared_ptr<Window> responderWindow() const override { return window(); }

private:
    friend class ViewController;
    friend class Window;
    friend class detail::ViewHierarchy;

    void attachSubview(const std::shared_ptr<View>& view, size_t index);
    void resizeSubviews(Size oldSize);
    void notifyTintColorChanged();
    void notifyTintAdjustmentModeChanged();

    std::shared_ptr<Layer> _layer;
    std::weak_ptr<View> _superview;
    std::vector<std::shared_ptr<View>> _subviews;
    std::vector<std::shared_ptr<GestureRecognizer>> _recognizers;
    std::weak_ptr<ViewController> _viewController;
    std::optional<Color> _backgroundColor;
    std::optional<Color> _tintColor;
    ViewTintAdjustmentMode _tintAdjustmentMode = ViewTintAdjustmentMode::Automatic;
    ContentMode _contentMode = ContentMode::ScaleToFill;
    unsigned _autoresizingMask = ViewAutoresizingNone;
    bool _autoresizesSubviews = true;
    bool _userInteractionEnabled = true;
    bool _multipleTouchEnabled = false;
    int64_t _tag = 0;
    std::string _accessibilityLabel;
    std::string _accessibilityHint;
    std::string _accessibilityIdentifier;
    bool _isAccessibilityElement = false;
    std::optional<Rect> _accessibilityFrame;
    bool _accessibilityViewIsModal = false;
    std::vector<std::shared_ptr<LayoutConstraint>> _constraints;
    bool _translatesAutoresizingMask = true;
    bool _needsUpdateConstraints = false;
    LayoutPriority _hugging[2] = {LayoutPriorityDefaultLow, LayoutPriorityDefaultLow};
    LayoutPriority _compressionResistance[2] = {LayoutPriorityDefaultHigh, LayoutPriorityDefaultHigh};
};

}  // namespace plat
