#pragma once
#include <memory>
#include <string>

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

namespace plat {
class Application;
class Window;

// The application's delegate, as the platform's protocol: launch, the
// lifecycle events, memory warnings and URLs opened from other apps. Every
// operation is optional; the defaults do what the platform does without one.
class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;

    // launchOptions may hold ApplicationLaunchOptionsURLKey (a URL string)
    // and ApplicationLaunchOptionsSourceApplicationKey.
    virtual bool applicationDidFinishLaunchingWithOptions(Application&, const Dictionary& /*launchOptions*/)
    {
        return true;
    }
    virtual void applicationDidBecomeActive(Application&) { }
    virtual void applicationWillResignActive(Application&) { }
    virtual void applicationDidEnterBackground(Application&) { }
    virtual void applicationWillEnterForeground(Application&) { }
    virtual void applicationWillTerminate(Application&) { }
    virtual void applicationDidReceiveMemoryWarning(Application&) { }
    // A URL or file handed over by another app; true when handled.
    virtual bool applicationOpenURLSourceApplicationAnnotation(
        Application&, const URL& /*url*/, const std::string& /*sourceApplication*/, const Value& /*annotation*/)
    {
        return false;
    }
    // A file another app handed over that the system could not copy into
    // the app's inbox (a full or read-only device): the app is not asked to
    // open it, and may tell the person why.
    virtual void applicationDidFailToReceiveURL(Application&, const URL& /*url*/, const Error& /*error*/) { }
    // The delegate's window, as the platform's window property.
    virtual std::shared_ptr<Window> window() const { return nullptr; }
};

}  // namespace plat
