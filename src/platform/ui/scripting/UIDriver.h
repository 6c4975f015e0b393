#pragma once
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Geometry.h"
#include "platform/foundation/Result.h"

namespace plat {
class Image;
class View;
class ViewController;
class Window;
}  // namespace plat

namespace plat::scripting {

// Writes a picture of the screen as a PNG file, whole or not at all.
Result<void> writeScreenshot(const Image& picture, const std::string& path);

// Lets time pass: on a manual clock it is advanced; on the system clock the
// main run loop runs for that long. Zero runs what is ready now.
void passTime(double seconds);

// Lets the app come to rest without moving the clock: main-queue work run,
// background queues drained (see RunLoop::settle).
void settle();

// Drives the screens as a person would: finds views by what they show or
// by outlet, taps, drags, pinches and types through the platform's event
// path (hit testing, recognisers, controls, the keyboard), lets time pass,
// and takes pictures. Works on the key window unless given one. Used by the
// tests and by the app's device scripts. Main thread.
class UIDriver {
public:
    // Steps of a drag or pinch come this often, as a screen refreshes.
    static constexpr double kStepSeconds = 1.0 / 60;
    static constexpr double kTapHoldSeconds = 0.05;
    static constexpr double kLongestInteractionPauseSeconds = 2;
    // Errors of domain "UIDriver": 1 a tap that could not land on its view.
    static constexpr const char* kErrorDomain = "UIDriver";
    static constexpr int64_t kTapMissed = 1;

    UIDriver() = default;
    explicit UIDriver(std::shared_ptr<Window> window);

    std::shared_ptr<Window> window() const;

    // The frontmost visible view whose accessibility label (a button's
    // title, a label's text, a field's placeholder by default), shown title
    // (a button's, whatever its accessibility label) or accessibility
    // identifier is the text; a control counts as one view (its title label
    // is part of it).
    std::shared_ptr<View> findView(const std::string& text) const;
    // A view a layout connected under that outlet name, in any controller on
    // screen (root, children, presented), front first.
    std::shared_ptr<View> findOutlet(const std::string& name) const;
    // The first controller on screen of that class name, front first.
    std::shared_ptr<ViewController> findController(const std::string& className) const;

    // Taps the middle of the view; false when it is not on screen or another
    // view covers its middle (the touch would land there instead).
    bool tap(const View& view);
    bool tap(const std::string& text);
    // The same, saying why a tap could not land: no such view on screen, or
    // which view is in the way.
    Result<void> tryTap(const View& view);
    Result<void> tryTap(const std::string& text);
    // Where a finger lands to tap the view (its middle), or why it cannot:
    // not on screen, disabled, taking no touches, or covered.
    Result<Point> touchPoint(const View& view) const;
    // Before a touch: lets view animations that take no touches run to their
    // end (up to kLongestInteractionPauseSeconds), as a person waits for a
    // screen to stop moving. Manual clocks only.
    void waitForTouchableScreen();
    void tapAt(Point locationInWindow);
    // A finger on the view's middle whatever lies there or however the view
    // is set (dimmed, covered): for checking that such a tap does nothing.
    void tapMiddleOf(const View& view);
    void doubleTapAt(Point locationInWindow);
    void drag(Point from, Point to, double seconds = 0.3);
    void pinch(Point center, double fromDistance, double toDistance, double seconds = 0.3);
    // Types into the first responder ("\n" is return, "\b" backspace); false when nothing takes text.
    bool type(const std::string& text);
    void wait(double seconds) { passTime(seconds); }

    // The screen as shown now.
    std::shared_ptr<Image> screenshot() const;

private:
    std::optional<Point> windowPointOf(const View& view) const;

    std::shared_ptr<Window> _window;
};

}  // namespace plat::scripting
