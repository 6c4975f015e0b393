#include "platform/ui/View.h"

#include <algorithm>
#include <cmath>
#include <typeindex>
#include <unordered_map>

#include "platform/foundation/Fatal.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/ImageContext.h"
#include "platform/ui/Autoresizing.h"
#include "platform/ui/ConstraintLayout.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewAnimator.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/ViewHierarchy.h"
#include "platform/ui/Window.h"

namespace plat {

namespace {

// Views this transparent are skipped by hit testing, as on the platform.
constexpr double kMinimumHitAlpha = 0.01;
// Matrix entries this small count as zero (a quarter turn leaves cos = 6e-17).
constexpr double kAxisTolerance = 1e-9;

// The system blue that tints views without a tint of their own.
const Color kDefaultTint = Color::colorWithRed(0, 122 / 255.0, 1, 1);

// Whether a view class draws: learnt at the first display of a view of the
// class, by seeing whether View's own (empty) drawRect was the one that ran.
// Until then a class counts as drawing, so its first view gets a backing
// picture once.
thread_local bool t_baseDrawRectReached = false;

std::unordered_map<std::type_index, bool>& drawingClasses()
{
    static std::unordered_map<std::type_index, bool> classes;
    return classes;
}

bool classDraws(const View& view)
{
    auto& classes = drawingClasses();
    auto it = classes.find(std::type_index(typeid(view)));
    return it == classes.end() || it->second;
}

void requireMainThread(const char* operation)
{
    if (!isMainThread())
        detail::fatal("View::{}: main thread only", operation);
}

}  // namespace

View::View()
    : View(Rect {}, std::make_shared<Layer>())
{
}

View::View(Rect frame)
    : View(frame, std::make_shared<Layer>())
{
}

View::View(Rect frame, std::shared_ptr<Layer> layer)
    : _layer(std::move(layer))
{
    _layer->setContentsScale(Screen::mainScreen().scale());
    _layer->setFrame(frame);
    _layer->_ownerView = this;
    // A new view is laid out and displayed once, at the next update pass.
    _layer->setNeedsLayout();
    _layer->setNeedsDisplay();
}

View::~View()
{
    if (!_constraints.empty())
        detail::ConstraintLayout::noteHolderRemoved();
    _layer->_ownerView = nullptr;
    for (auto& subview : _subviews)
        subview->_superview.reset();
    for (auto& recognizer : _recognizers)
        recognizer->_view.reset();
}

// Geometry

Rect View::frame() const
{
    return _layer->frame();
}

void View::setFrame(Rect frame)
{
    requireMainThread("setFrame");
    AffineTransform t = transform();
    Size size = frame.size;
    if (!t.isIdentity()) {
        // The bounds whose transformed box is the frame, where there is one.
        auto zero = [](double v) { return std::abs(v) < kAxisTolerance; };
        if (zero(t.b) && zero(t.c) && !zero(t.a) && !zero(t.d))
            size = {frame.width() / std::abs(t.a), frame.height() / std::abs(t.d)};
        else if (zero(t.a) && zero(t.d) && !zero(t.b) && !zero(t.c))
            size = {frame.height() / std::abs(t.b), frame.width() / std::abs(t.c)};
    }
    Point anchor = _layer->anchorPoint();
    if (t.isIdentity())
        _layer->setPosition({frame.minX() + anchor.x * frame.width(), frame.minY() + anchor.y * frame.height()});
    else
        _layer->setPosition({frame.midX(), frame.midY()});
    _layer->setBounds({_layer->bounds().origin, size});
}

Rect View::bounds() const
{
    return _layer->bounds();
}

void View::setBounds(Rect bounds)
{
    requireMainThread("setBounds");
    _layer->setBounds(bounds);
}

Point View::center() const
{
    return _layer->position();
}

void View::setCenter(Point center)
{
    requireMainThread("setCenter");
    _layer->setPosition(center);
}

AffineTransform View::transform() const
{
    return _layer->affineTransform();
}

void View::setTransform(const AffineTransform& transform)
{
    requireMainThread("setTransform");
    _layer->setAffineTransform(transform);
}

double View::alpha() const
{
    return _layer->opacity();
}

void View::setAlpha(double alpha)
{
    _layer->setOpacity(alpha);
}

bool View::isHidden() const
{
    return _layer->isHidden();
}

void View::setHidden(bool hidden)
{
    _layer->setHidden(hidden);
}

bool View::isOpaque() const
{
    return _layer->isOpaque();
}

void View::setOpaque(bool opaque)
{
    _layer->setOpaque(opaque);
}

void View::setBackgroundColor(std::optional<Color> color)
{
    _backgroundColor = color;
    _layer->setBackgroundColor(std::move(color));
}

bool View::clipsToBounds() const
{
    return _layer->masksToBounds();
}

void View::setClipsToBounds(bool clips)
{
    _layer->setMasksToBounds(clips);
}

void View::setContentMode(ContentMode mode)
{
    _contentMode = mode;
    _layer->setNeedsDisplayOnBoundsChange(mode == ContentMode::Redraw);
    static const ContentsGravity gravities[] = {ContentsGravity::Resize, ContentsGravity::ResizeAspect,
        ContentsGravity::ResizeAspectFill, ContentsGravity::Resize, ContentsGravity::Center, ContentsGravity::Top,
        ContentsGravity::Bottom, ContentsGravity::Left, ContentsGravity::Right, ContentsGravity::TopLeft,
        ContentsGravity::TopRight, ContentsGravity::BottomLeft, ContentsGravity::BottomRight};
    _layer->setContentsGravity(gravities[static_cast<int>(mode)]);
}

Color View::tintColor() const
{
    for (const View* view = this; view; view = view->_superview.lock().get())
        if (view->_tintColor)
            return *view->_tintColor;
    return kDefaultTint;
}

void View::setTintColor(std::optional<Color> color)
{
    _tintColor = std::move(color);
    notifyTintColorChanged();
}

void View::notifyTintColorChanged()
{
    tintColorDidChange();
    for (auto& subview : _subviews)
        if (!subview->_tintColor)
            subview->notifyTintColorChanged();
}

ViewTintAdjustmentMode View::tintAdjustmentMode() const
{
    for (const View* view = this; view; view = view->_superview.lock().get())
        if (view->_tintAdjustmentMode != ViewTintAdjustmentMode::Automatic)
            return view->_tintAdjustmentMode;
    return ViewTintAdjustmentMode::Normal;
}

void View::setTintAdjustmentMode(ViewTintAdjustmentMode mode)
{
    ViewTintAdjustmentMode before = tintAdjustmentMode();
    _tintAdjustmentMode = mode;
    if (tintAdjustmentMode() != before)
        notifyTintAdjustmentModeChanged();
}

void View::notifyTintAdjustmentModeChanged()
{
    tintColorDidChange();
    for (auto& subview : _subviews)
        if (subview->_tintAdjustmentMode == ViewTintAdjustmentMode::Automatic)
            subview->notifyTintAdjustmentModeChanged();
}

double View::contentScaleFactor() const
{
    return _layer->contentsScale();
}

void View::setContentScaleFactor(double scale)
{
    _layer->setContentsScale(scale);
    setNeedsDisplay();
}

std::shared_ptr<View> View::viewWithTag(int64_t tag)
{
    if (_tag == tag)
        return sharedAs<View>();
    for (auto& subview : _subviews)
        if (auto found = subview->viewWithTag(tag))
            return found;
    return nullptr;
}

// The tree

std::shared_ptr<Window> View::window() const
{
    const View* root = this;
    while (auto super = root->_superview.lock().get())
        root = super;
    if (auto* window = dynamic_cast<const Window*>(root))
        return std::static_pointer_cast<Window>(const_cast<Window*>(window)->shared_from_this());
    return nullptr;
}

void View::addSubview(const std::shared_ptr<View>& view)
{
    attachSubview(view, _subviews.size());
}

void View::insertSubview(const std::shared_ptr<View>& view, size_t index)
{
    attachSubview(view, index);
}

void View::insertSubviewAboveSubview(const std::shared_ptr<View>& view, const View& sibling)
{
    auto it = std::find_if(_subviews.begin(), _subviews.end(), [&](const auto& v) { return v.get() == &sibling; });
    attachSubview(view, it == _subviews.end() ? _subviews.size() : static_cast<size_t>(it - _subviews.begin()) + 1);
}

void View::insertSubviewBelowSubview(const std::shared_ptr<View>& view, const View& sibling)
{
    auto it = std::find_if(_subviews.begin(), _subviews.end(), [&](const auto& v) { return v.get() == &sibling; });
    attachSubview(view, it == _subviews.end() ? 0 : static_cast<size_t>(it - _subviews.begin()));
}

void View::attachSubview(const std::shared_ptr<View>& view, size_t index)
{
    requireMainThread("addSubview");
    detail::ViewHierarchy::attach(*this, view, index);
}

void View::removeFromSuperview()
{
    requireMainThread("removeFromSuperview");
    detail::ViewHierarchy::remove(*this);
}

void View::bringSubviewToFront(const View& view)
{
    detail::ViewHierarchy::bringToFront(*this, view);
}

void View::sendSubviewToBack(const View& view)
{
    detail::ViewHierarchy::sendToBack(*this, view);
}

bool View::isDescendantOfView(const View& view) const
{
    for (const View* v = this; v; v = v->_superview.lock().get())
        if (v == &view)
            return true;
    return false;
}

// Layout

void View::setNeedsLayout()
{
    _layer->setNeedsLayout();
}

void View::layoutIfNeeded()
{
    requireMainThread("layoutIfNeeded");
    _layer->layoutIfNeeded();
}

Size View::sizeThatFits(Size) const
{
    return bounds().size;
}

void View::sizeToFit()
{
    Size fitting = sizeThatFits(bounds().size);
    Rect f = frame();
    setFrame({f.origin, fitting});
}

void View::layoutSublayersOfLayer(Layer& layer)
{
    if (&layer != _layer.get())
        return;
    auto keepAlive = weak_from_this().lock();
    auto controller = viewController();
    if (controller)
        controller->viewWillLayoutSubviews();
    detail::ConstraintLayout::layOutSubviews(*this);
    layoutSubviews();
    if (controller)
        controller->viewDidLayoutSubviews();
}

void View::layerBoundsDidChange(Layer&, Rect oldBounds)
{
    if (oldBounds.size != bounds().size && _autoresizesSubviews)
        resizeSubviews(oldBounds.size);
    if (hasObserversForKey("bounds"))
        didChangeValueForKey("bounds");
}

void View::resizeSubviews(Size oldSize)
{
    Size newSize = bounds().size;
    auto subviews = _subviews;
    for (auto& subview : subviews) {
        if (subview->_autoresizingMask == ViewAutoresizingNone)
            continue;
        Rect resized = detail::autoresizedFrame(subview->frame(), subview->_autoresizingMask, oldSize, newSize);
        subview->setFrame(resized);
    }
}

// Drawing

void View::setNeedsDisplay()
{
    _layer->setNeedsDisplay();
}

void View::setNeedsDisplayInRect(Rect)
{
    // The whole backing picture is redrawn; a part would not be cheaper with cairo.
    _layer->setNeedsDisplay();
}

void View::drawRect(GraphicsContext&, Rect)
{
    t_baseDrawRectReached = true;
}

bool View::drawsLayerContent(const Layer&) const
{
    return classDraws(*this);
}

void View::drawLayer(Layer&, GraphicsContext& context)
{
    bool outer = t_baseDrawRectReached;  // drawing may display other views
    t_baseDrawRectReached = false;
    graphicsPushContext(context);
    drawRect(context, bounds());
    graphicsPopContext();
    drawingClasses().emplace(std::type_index(typeid(*this)), !t_baseDrawRectReached);
    t_baseDrawRectReached = outer;
}

void View::layerPropertyWillChange(Layer& layer, std::string_view keyPath)
{
    detail::ViewAnimator::shared().layerWillChange(layer, keyPath);
}

// Hit testing and conversions

std::shared_ptr<View> View::hitTest(Point point, const Event* event)
{
    if (isHidden() || !_userInteractionEnabled || alpha() < kMinimumHitAlpha
        || _layer->hasInteractionBlockingAnimations())
        return nullptr;
    if (!pointInside(point, event))
        return nullptr;
    auto subviews = _subviews;
    for (auto it = subviews.rbegin(); it != subviews.rend(); ++it) {
        Point inSubview = (*it)->convertPointFromView(point, this);
        if (auto hit = (*it)->hitTest(inSubview, event))
            return hit;
    }
    return sharedAs<View>();
}

bool View::pointInside(Point point, const Event*) const
{
    return bounds().contains(point);
}

Point View::convertPoint(Point point, const View* toView) const
{
    if (toView)
        return _layer->convertPoint(point, toView->_layer.get());
    auto win = window();
    return _layer->convertPoint(point, win ? win->_layer.get() : nullptr);
}

Point View::convertPointFromView(Point point, const View* fromView) const
{
    if (fromView)
        return fromView->convertPoint(point, this);
    auto win = window();
    return win ? win->convertPoint(point, this) : _layer->convertPointFromLayer(point, nullptr);
}

Rect View::convertRect(Rect rect, const View* toView) const
{
    if (toView)
        return _layer->convertRect(rect, toView->_layer.get());
    auto win = window();
    return _layer->convertRect(rect, win ? win->_layer.get() : nullptr);
}

Rect View::convertRectFromView(Rect rect, const View* fromView) const
{
    if (fromView)
        return fromView->convertRect(rect, this);
    auto win = window();
    return win ? win->convertRect(rect, this) : _layer->convertRectFromLayer(rect, nullptr);
}

// Gesture recognisers

void View::addGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer)
{
    if (!recognizer)
        return;
    if (auto old = recognizer->view()) {
        if (old.get() == this)
            return;
        old->removeGestureRecognizer(*recognizer);
    }
    _recognizers.push_back(recognizer);
    recognizer->_view = sharedAs<View>();
}

void View::removeGestureRecognizer(const GestureRecognizer& recognizer)
{
    auto it
        = std::find_if(_recognizers.begin(), _recognizers.end(), [&](const auto& r) { return r.get() == &recognizer; });
    if (it == _recognizers.end())
        return;
    auto removed = *it;
    _recognizers.erase(it);
    removed->_view.reset();
    removed->reset();
}

bool View::gestureRecognizerShouldBegin(GestureRecognizer&)
{
    return true;
}

bool View::endEditing(bool force)
{
    auto win = window();
    if (!win)
        return true;
    auto responder = std::dynamic_pointer_cast<View>(win->firstResponder());
    if (!responder || !responder->isDescendantOfView(*this))
        return true;
    if (responder->resignFirstResponder())
        return true;
    if (force) {
        win->setFirstResponder(nullptr);
        return true;
    }
    return false;
}

Rect View::accessibilityFrame() const
{
    if (_accessibilityFrame)
        return *_accessibilityFrame;
    return convertRect(bounds(), nullptr);
}

// Responder

std::shared_ptr<Responder> View::nextResponder() const
{
    if (auto controller = viewController())
        return controller;
    return superview();
}

// Animations

void View::animateWithDuration(double duration, const std::function<void()>& animations)
{
    animateWithDuration(duration, 0, ViewAnimationOptionCurveEaseInOut, animations, nullptr);
}

void View::animateWithDuration(
    double duration, const std::function<void()>& animations, std::function<void(bool finished)> completion)
{
    animateWithDuration(duration, 0, ViewAnimationOptionCurveEaseInOut, animations, std::move(completion));
}

void View::animateWithDuration(double duration, double delay, uint64_t options, const std::function<void()>& animations,
    std::function<void(bool finished)> completion)
{
    detail::ViewAnimator::Settings settings;
    settings.duration = duration;
    settings.delay = delay;
    settings.options = options;
    detail::ViewAnimator::shared().animate(settings, animations, std::move(completion));
}

void View::animateWithDuration(double duration, double delay, double dampingRatio, double initialVelocity,
    uint64_t options, const std::function<void()>& animations, std::function<void(bool finished)> completion)
{
    detail::ViewAnimator::Settings settings;
    settings.duration = duration;
    settings.delay = delay;
    settings.options = options;
    settings.spring = MediaTimingFunction::spring(dampingRatio, initialVelocity, duration);
    detail::ViewAnimator::shared().animate(settings, animations, std::move(completion));
}

void View::performWithoutAnimation(const std::function<void()>& actions)
{
    detail::ViewAnimator::shared().performWithoutAnimation(actions);
}

void View::setAnimationsEnabled(bool enabled)
{
    detail::ViewAnimator::shared().setAnimationsEnabled(enabled);
}

bool View::areAnimationsEnabled()
{
    return detail::ViewAnimator::shared().animationsEnabled();
}

void View::beginAnimations(std::string animationID, Value context)
{
    detail::ViewAnimator::shared().beginAnimations(std::move(animationID), std::move(context));
}

void View::commitAnimations()
{
    detail::ViewAnimator::shared().commitAnimations();
}

void View::setAnimationDuration(double seconds)
{
    detail::ViewAnimator::shared().setDuration(seconds);
}

void View::setAnimationDelay(double seconds)
{
    detail::ViewAnimator::shared().setDelay(seconds);
}

void View::setAnimationCurve(ViewAnimationCurve curve)
{
    detail::ViewAnimator::shared().setCurve(curve);
}

void View::setAnimationBeginsFromCurrentState(bool fromCurrentState)
{
    detail::ViewAnimator::shared().setBeginsFromCurrentState(fromCurrentState);
}

void View::setAnimationDelegate(std::weak_ptr<ViewAnimationDelegate> delegate)
{
    detail::ViewAnimator::shared().setDelegate(std::move(delegate));
}

}  // namespace plat
