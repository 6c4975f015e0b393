#include "platform/ui/scripting/UIDriver.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/Control.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Layer.h"
#include "platform/ui/TouchSynthesizer.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "platform/ui/scripting/ViewDescription.h"

namespace plat::scripting {

namespace {

using detail::describe;
using detail::isShown;

// The platform file manager's code for a write that failed for no reason of its own.
constexpr int64_t kFileWriteUnknownError = 512;

// What a button shows in words, which a person taps even when the button's
// accessibility label says it otherwise ("+" read as "Longer").
std::string shownTitle(const View& view)
{
    auto* button = dynamic_cast<const Button*>(&view);
    return button ? button->currentTitle() : std::string();
}

// Front to back: later subviews, and subviews before their superview. A
// control is one element: its title label and image are parts of it.
std::shared_ptr<View> searchFrontFirst(
    const std::shared_ptr<View>& view, const std::function<bool(const View&)>& matches)
{
    if (!isShown(*view))
        return nullptr;
    if (dynamic_cast<const Control*>(view.get()))
        return matches(*view) ? view : nullptr;
    const auto& subviews = view->subviews();
    for (auto it = subviews.rbegin(); it != subviews.rend(); ++it)
        if (auto found = searchFrontFirst(*it, matches))
            return found;
    return matches(*view) ? view : nullptr;
}

bool isSelfOrAncestor(const View* candidate, const View& view)
{
    for (const View* v = &view; v; v = v->superview().get())
        if (v == candidate)
            return true;
    return false;
}

// True when a is drawn over b: a lies in a later branch below their nearest
// common ancestor. Neither may contain the other.
bool isDrawnOver(const View& a, const View& b)
{
    for (const View* aSide = &a; aSide->superview(); aSide = aSide->superview().get()) {
        const View* common = aSide->superview().get();
        const View* bSide = &b;
        while (bSide && bSide->superview().get() != common)
            bSide = bSide->superview().get();
        if (!bSide)
            continue;
        const auto& siblings = common->subviews();
        auto position = [&](const View* v) {
            return std::find_if(siblings.begin(), siblings.end(), [v](const auto& s) { return s.get() == v; });
        };
        return position(aSide) > position(bSide);
    }
    return false;
}

double area(const Rect& rect)
{
    return rect.size.width * rect.size.height;
}

// A view drawn over another that belongs to the same element rather than
// covering it: a sibling of about its size (a selection mark, a touch zone).
// A cover (a coach mark, a popover's backdrop, a sheet) hangs higher up or
// spans far more of the screen.
bool isOverlayOfSameElement(const View& over, const View& view)
{
    auto container = view.superview();
    if (!container || !isSelfOrAncestor(container.get(), over))
        return false;
    constexpr double kLargestOverlayAreaRatio = 2;
    return area(over.convertRect(over.bounds(), nullptr))
        <= kLargestOverlayAreaRatio * area(view.convertRect(view.bounds(), nullptr));
}

// A view that takes no touches keeps none from anything while it moves
// (a picture fading in over a panel), nor does what it holds.
bool hasInteractionBlockingAnimations(const View& view)
{
    if (view.isHidden() || !view.isUserInteractionEnabled())
        return false;
    if (view.layer()->hasInteractionBlockingAnimations())
        return true;
    for (const auto& subview : view.subviews())
        if (hasInteractionBlockingAnimations(*subview))
            return true;
    return false;
}

bool reportMissedTap(const Result<void>& tapped)
{
    if (!tapped.ok())
        log("UIDriver: {}", tapped.error().localizedDescription());
    return tapped.ok();
}

}  // namespace

Result<void> writeScreenshot(const Image& picture, const std::string& path)
{
    auto png = PNGRepresentation(picture);
    if (!png)
        return Error(kCocoaErrorDomain, kFileWriteUnknownError, "cannot encode the picture for " + path);
    return writeFileAtomically(path, *png);
}

void passTime(double seconds)
{
    auto clock = Clock::currentShared();
    if (auto* manual = dynamic_cast<ManualClock*>(clock.get())) {
        manual->advance(seconds > 0 ? seconds : 0);
        return;
    }
    if (seconds <= 0)
        RunLoop::main().drain();
    else
        RunLoop::main().runUntil(clock->uptimeSeconds() + seconds);
}

UIDriver::UIDriver(std::shared_ptr<Window> window)
    : _window(std::move(window))
{
}

std::shared_ptr<Window> UIDriver::window() const
{
    return _window ? _window : Application::sharedApplication().keyWindow();
}

std::shared_ptr<View> UIDriver::findView(const std::string& text) const
{
    auto win = window();
    if (!win)
        return nullptr;
    return searchFrontFirst(win, [&](const View& view) {
        const bool shows = view.accessibilityLabel() == text || (!text.empty() && shownTitle(view) == text)
            || (!text.empty() && view.accessibilityIdentifier() == text);
        return shows && windowPointOf(view);
    });
}

std::shared_ptr<View> UIDriver::findOutlet(const std::string& name) const
{
    auto win = window();
    if (!win)
        return nullptr;
    for (const auto& controller : detail::controllersOnScreen(*win))
        if (auto view = controller->outlet(name))
            return view;
    return nullptr;
}

std::shared_ptr<ViewController> UIDriver::findController(const std::string& className) const
{
    auto win = window();
    if (!win)
        return nullptr;
    for (const auto& controller : detail::controllersOnScreen(*win))
        if (controller->className() == className)
            return controller;
    return nullptr;
}

std::optional<Point> UIDriver::windowPointOf(const View& view) const
{
    auto win = window();
    if (!win || view.window() != win)
        return std::nullopt;
    // A person sees the screen laid out.
    win->layoutIfNeeded();
    for (const View* v = &view; v; v = v->superview().get())
        if (!isShown(*v))
            return std::nullopt;
    Rect b = view.bounds();
    Point middle = view.convertPoint({b.midX(), b.midY()}, nullptr);
    // Its middle must be where a person can see it: on the screen, and not
    // cut away by a container that clips (a scrolled-off carousel item).
    for (const View* v = view.superview().get(); v; v = v->superview().get())
        if ((v->clipsToBounds() || v == win.get()) && !v->bounds().contains(v->convertPointFromView(middle, nullptr)))
            return std::nullopt;
    return middle;
}

void settle()
{
    RunLoop::main().settle();
}

void UIDriver::waitForTouchableScreen()
{
    auto win = window();
    if (!win || !dynamic_cast<ManualClock*>(Clock::currentShared().get()))
        return;
    for (double waited = 0; waited < kLongestInteractionPauseSeconds && hasInteractionBlockingAnimations(*win);
         waited += kStepSeconds)
        passTime(kStepSeconds);
}

bool UIDriver::tap(const View& view)
{
    return reportMissedTap(tryTap(view));
}

bool UIDriver::tap(const std::string& text)
{
    return reportMissedTap(tryTap(text));
}

Result<void> UIDriver::tryTap(const std::string& text)
{
    auto view = findView(text);
    if (!view)
        return Error(UIDriver::kErrorDomain, UIDriver::kTapMissed, "no view on screen shows \"" + text + "\"");
    return tryTap(*view);
}

Result<void> UIDriver::tryTap(const View& view)
{
    auto point = touchPoint(view);
    if (!point.ok())
        return point.error();
    tapAt(point.value());
    return Result<void>::success();
}

Result<Point> UIDriver::touchPoint(const View& view) const
{
    auto point = windowPointOf(view);
    if (!point)
        return Error(UIDriver::kErrorDomain, UIDriver::kTapMissed, describe(view) + " is not on screen");
    // A dimmed control takes the touch and does nothing with it.
    if (auto* control = dynamic_cast<const Control*>(&view); control && !control->isEnabled())
        return Error(UIDriver::kErrorDomain, UIDriver::kTapMissed, describe(view) + " is disabled");
    // The touch goes where hit testing sends it: the view, a part of it, the
    // container that handles touches for it, or (for a caption or picture
    // that takes no touches) whatever lies under it. A view drawn over it is
    // in the way.
    auto hit = window()->hitTest(*point, nullptr);
    if (!hit)
        return Error(UIDriver::kErrorDomain, UIDriver::kTapMissed, describe(view) + " takes no touches");
    if (!isSelfOrAncestor(&view, *hit) && !isSelfOrAncestor(hit.get(), view) && isDrawnOver(*hit, view)
        && !isOverlayOfSameElement(*hit, view))
        return Error(UIDriver::kErrorDomain, UIDriver::kTapMissed, describe(view) + " is covered by " + describe(*hit));
    return *point;
}

void UIDriver::tapAt(Point locationInWindow)
{
    auto win = window();
    if (!win)
        return;
    TouchSynthesizer touches(win);
    auto finger = touches.touchDown(locationInWindow);
    passTime(kTapHoldSeconds);
    touches.liftTouch(finger);
    passTime(0);
}

void UIDriver::tapMiddleOf(const View& view)
{
    Rect b = view.bounds();
    tapAt(view.convertPoint({b.midX(), b.midY()}, nullptr));
}

void UIDriver::doubleTapAt(Point locationInWindow)
{
    auto win = window();
    if (!win)
        return;
    TouchSynthesizer touches(win);
    for (int i = 0; i < 2; ++i) {
        auto finger = touches.touchDown(locationInWindow);
        passTime(kTapHoldSeconds);
        touches.liftTouch(finger);
        passTime(kTapHoldSeconds);
    }
    passTime(0);
}

void UIDriver::drag(Point from, Point to, double seconds)
{
    auto win = window();
    if (!win)
        return;
    TouchSynthesizer touches(win);
    int steps = std::max(1, static_cast<int>(std::lround(seconds / kStepSeconds)));
    auto finger = touches.touchDown(from);
    for (int i = 1; i <= steps; ++i) {
        passTime(kStepSeconds);
        double f = static_cast<double>(i) / steps;
        touches.moveTouch(finger, {from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f});
    }
    touches.liftTouch(finger);
    passTime(0);
}

void UIDriver::pinch(Point center, double fromDistance, double toDistance, double seconds)
{
    auto win = window();
    if (!win)
        return;
    TouchSynthesizer touches(win);
    int steps = std::max(1, static_cast<int>(std::lround(seconds / kStepSeconds)));
    auto at = [&](double distance, double side) { return Point {center.x + side * distance / 2, center.y}; };
    auto fingers = touches.touchesDown({at(fromDistance, -1), at(fromDistance, 1)});
    for (int i = 1; i <= steps; ++i) {
        passTime(kStepSeconds);
        double d = fromDistance + (toDistance - fromDistance) * i / steps;
        touches.moveTouches({{fingers[0], at(d, -1)}, {fingers[1], at(d, 1)}});
    }
    touches.liftTouches(fingers);
    passTime(0);
}

bool UIDriver::type(const std::string& text)
{
    bool typed = Keyboard::shared().typeText(text);
    passTime(0);
    return typed;
}

std::shared_ptr<Image> UIDriver::screenshot() const
{
    auto win = window();
    if (!win)
        return nullptr;
    passTime(0);
    return snapshotWindow(*win);
}

}  // namespace plat::scripting
