#pragma once
#include <functional>

namespace zt {

// Whether the application's idle timer is off, so the screen neither dims nor
// locks (exports switch it off while they run). The application object of
// the user-interface stand-in installs itself as the observer at start and
// applies the state to the screen; the renderers, below the interface, only
// flip the switch. Any thread.
class ApplicationIdleTimer {
public:
    static void setIdleTimerDisabled(bool disabled);
    static bool isIdleTimerDisabled();
    // Called with every change, on the thread that made it; empty removes it.
    static void setObserver(std::function<void(bool disabled)> observer);
};

}  // namespace zt
