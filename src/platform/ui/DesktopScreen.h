#pragma once
#include <atomic>

namespace plat {

// The device's screen in a desktop window (SDL): the key window is drawn
// whenever something changed (and every refresh while animations run), the
// mouse is a finger (press, drag, release; with Alt held a second finger
// mirrors it about the middle, to pinch and rotate), typed text goes to the
// keyboard's first responder (Backspace and Return too), Page Up and Page
// Down are the volume buttons, F5 is the home button (background, and back),
// F6 a memory warning. The loop sleeps in SDL until an event arrives or the
// run loop has work due. Main thread.
class DesktopScreen {
public:
    // True when a display can be opened (X11 or Wayland).
    static bool isAvailable();
    // Runs until the window is closed or quitRequested turns true; returns the exit code.
    static int run(const std::atomic<bool>& quitRequested);
};

}  // namespace plat
