#include "platform/ui/scripting/UIDriver.h"

#include <cmath>
#include <functional>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/ui/Application.h"
#include "platform/ui/Control.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/TouchSynthesizer.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"

namespace plat::scripting {

namespace {

// The platform file manager's code for a write that failed for no reason of its own.
constexpr int64_t kFileWriteUnknownError = 512;
// Views this faint are not on screen for a person.
constexpr double kVisibleAlpha = 0.01;

bool isShown(const View& view)
{
    return !view.isHidden() && view.alpha() > kVisibleAlpha;
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

// Controllers on screen, front first: presented ones, then children, then the controller.
void collectControllers(
    const std::shared_ptr<ViewController>& controller, std::vector<std::shared_ptr<ViewController>>& out)
{
    if (!controller)
        return;
    if (auto presented = controller->presentedViewController();
        presented && presented->presentingViewController() == controller)
        collectControllers(presented, out);
    const auto& children = controller->childViewControllers();
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        collectControllers(*it, out);
    out.push_back(controller);
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
        return view.accessibilityLabel() == text || (!text.empty() && view.accessibilityIdentifier() == text);
    });
}

std::shared_ptr<View> UIDriver::findOutlet(const std::string& name) const
{
    auto win = window();
    if (!win)
        return nullptr;
    std::vector<std::shared_ptr<ViewController>> controllers;
    collectControllers(win->rootViewController(), controllers);
    for (const auto& controller : controllers)
        if (auto view = controller->outlet(name))
            return view;
    return nullptr;
}

std::shared_ptr<ViewController> UIDriver::findController(const std::string& className) const
{
    auto win = window();
    if (!win)
        return nullptr;
    std::vector<std::shared_ptr<ViewController>> controllers;
    collectControllers(win->rootViewController(), controllers);
    for (const auto& controller : controllers)
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
    return view.convertPoint({b.midX(), b.midY()}, nullptr);
}

bool UIDriver::tap(const View& view)
{
    auto point = windowPointOf(view);
    if (!point)
        return false;
    tapAt(*point);
    return true;
}

bool UIDriver::tap(const std::string& text)
{
    auto view = findView(text);
    return view && tap(*view);
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
