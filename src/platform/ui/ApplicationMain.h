#pragma once
#include <atomic>
#include <functional>
#include <memory>

#include "platform/foundation/Value.h"

namespace plat {
class ApplicationDelegate;

struct ApplicationMainOptions {
    // Handed to the delegate's did-finish-launching (a URL under
    // ApplicationLaunchOptionsURLKey, as when another app opens this one).
    Dictionary launchOptions;
    // No desktop window even where a display exists.
    bool headless = false;
    // Run after launch in place of the event loop (device scripts), on the
    // main thread; its result is the exit code. It is to end soon after
    // quitRequested turns true (SIGINT or SIGTERM).
    std::function<int(const std::atomic<bool>& quitRequested)> session;
};

// The process entry of the app, as the platform's: makes the delegate,
// launches (did-finish-launching, did-become-active), then runs the main
// run loop: with a session, until it returns; with a display, in a desktop
// window until it is closed; else headless until SIGINT or SIGTERM. The app
// is told it terminates before this returns. Call once, from main().
int ApplicationMain(
    const ApplicationMainOptions& options, std::function<std::shared_ptr<ApplicationDelegate>()> makeDelegate);

}  // namespace plat
