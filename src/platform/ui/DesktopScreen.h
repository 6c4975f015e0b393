#pragma once
#include <atomic>
#include <functional>

namespace plat {

// The device's screen in a desktop window (SDL): what changed of the key
// window is drawn again whenever something changed (and every refresh while
// animations run), and nothing while it rests; the
// mouse is a finger (press, drag, release; with Alt held a second finger
// mirrors it about the middle, to pinch and rotate), typed text goes to the
// keyboard's first responder (Backspace and Return too), Page Up and Page
// Down are the volume buttons, F5 is the home button (background, and back),
// F6 a memory warning. The loop sleeps in SDL until an event arrives or the
// run loop has work due. Main thread.
class DesktopScreen {
public:
    // True when a display can be opened (X11 or Wayland). Leaves whatever
    // else of SDL runs (the speaker) as it was.
    static bool isAvailable();
    // Whether the window logs each picture it shows (each draw of what
    // changed, with where the speaker's sound stood as it began to draw it
    // and as it showed it), each screen (view controller) as it has come,
    // and each frame the editor's preview asks for: set by the environment
    // variable ZANTROPE_LOG_PICTURES, for following the screen on the
    // machine's clock. Any thread.
    static bool logsPictures();
    // Runs until the window is closed or quitRequested turns true; returns the exit code.
    static int run(const std::atomic<bool>& quitRequested);
    // For a device script that drives the app: a window that shows the key
    // window each time the returned function is called, and takes no input.
    // The window closes when the last copy of the function goes. Empty when
    // no window can be opened.
    static std::function<void()> openPresenter();
};

}  // namespace plat
