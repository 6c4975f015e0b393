#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Geometry.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"
#include "platform/ui/BackgroundTaskList.h"
#include "platform/ui/Responder.h"

namespace plat {
class ApplicationDelegate;
class ViewController;
class Window;

enum class ApplicationState : int { Active = 0, Inactive = 1, Background = 2 };

// The platform's interface orientations and their masks, with its numbers.
enum class InterfaceOrientation : int {
    Unknown = 0,
    Portrait = 1,
    PortraitUpsideDown = 2,
    LandscapeRight = 3,
    LandscapeLeft = 4,
};
enum InterfaceOrientationMask : unsigned {
    InterfaceOrientationMaskPortrait = 1u << 1,
    InterfaceOrientationMaskPortraitUpsideDown = 1u << 2,
    InterfaceOrientationMaskLandscapeRight = 1u << 3,
    InterfaceOrientationMaskLandscapeLeft = 1u << 4,
    InterfaceOrientationMaskLandscape = (1u << 3) | (1u << 4),
    InterfaceOrientationMaskAll = (1u << 1) | (1u << 2) | (1u << 3) | (1u << 4),
    InterfaceOrientationMaskAllButUpsideDown = (1u << 1) | (1u << 3) | (1u << 4),
};
inline unsigned maskForOrientation(InterfaceOrientation orientation)
{
    return 1u << static_cast<unsigned>(orientation);
}
inline bool isLandscape(InterfaceOrientation orientation)
{
    return orientation == InterfaceOrientation::LandscapeLeft || orientation == InterfaceOrientation::LandscapeRight;
}

enum class StatusBarAnimation { None, Fade, Slide };

// Notification names and keys, with the platform's values.
inline constexpr const char* ApplicationDidFinishLaunchingNotification = "UIApplicationDidFinishLaunchingNotification";
inline constexpr const char* ApplicationDidBecomeActiveNotification = "UIApplicationDidBecomeActiveNotification";
inline constexpr const char* ApplicationWillResignActiveNotification = "UIApplicationWillResignActiveNotification";
inline constexpr const char* ApplicationDidEnterBackgroundNotification = "UIApplicationDidEnterBackgroundNotification";
inline constexpr const char* ApplicationWillEnterForegroundNotification
    = "UIApplicationWillEnterForegroundNotification";
inline constexpr const char* ApplicationWillTerminateNotification = "UIApplicationWillTerminateNotification";
inline constexpr const char* ApplicationDidReceiveMemoryWarningNotification
    = "UIApplicationDidReceiveMemoryWarningNotification";
inline constexpr const char* ApplicationLaunchOptionsURLKey = "UIApplicationLaunchOptionsURLKey";
inline constexpr const char* ApplicationLaunchOptionsSourceApplicationKey
    = "UIApplicationLaunchOptionsSourceApplicationKey";
// The URL that opens the app's page in the system settings.
inline constexpr const char* ApplicationOpenSettingsURLString = "app-settings:";
// Whether the system has that page: from system 8.0 on, as on the platform,
// where the constant is missing before.
bool isOpenSettingsURLAvailable();

// The platform's application object: the app's lifecycle as the system
// drives it (launch, active, background, foreground, termination, memory
// warnings, URLs from other apps), its windows, the status bar and
// orientation, the idle timer, and URLs the app asks the system to open
// (recorded and logged: there is no other app here). Main thread.
class Application : public Responder {
public:
    static Application& sharedApplication();

    const std::shared_ptr<ApplicationDelegate>& delegate() const { return _delegate; }
    void setDelegate(std::shared_ptr<ApplicationDelegate> delegate) { _delegate = std::move(delegate); }
    ApplicationState applicationState() const { return _state; }

    // What the system does to the app.
    bool launch(const Dictionary& launchOptions);  // did-finish-launching, then did-become-active
    void resignActive();
    void becomeActive();
    void enterBackground();  // resign active, then enter background
    void enterForeground();  // enter foreground, then become active
    // Once: later calls do nothing.
    void terminate();
    bool isTerminated() const { return _terminated; }
    void receiveMemoryWarning();
    // A URL handed over by another app (sourceApplication its bundle identifier).
    bool openURLFromApplication(const URL& url, const std::string& sourceApplication, const Value& annotation);

    // What the app asks of the system.
    // Work that goes on after the app leaves the screen, for as long as the
    // system allows (BackgroundTaskList). Any thread, as on the platform; the
    // handler runs on the main thread when the time runs out and must end its task.
    BackgroundTaskIdentifier beginBackgroundTaskWithExpirationHandler(std::function<void()> handler);
    void endBackgroundTask(BackgroundTaskIdentifier identifier);
    double backgroundTimeRemaining() const { return _backgroundTasks.timeRemaining(); }
    // For whoever looks (tests, scripts): the tasks begun and not yet ended.
    size_t backgroundTaskCount() const { return _backgroundTasks.count(); }
    bool canOpenURL(const URL& url) const;
    bool openURL(const URL& url);
    const std::vector<std::string>& openedURLs() const { return _openedURLs; }

    std::shared_ptr<Window> keyWindow() const { return _keyWindow.lock(); }
    // Visible windows, back to front.
    std::vector<std::shared_ptr<Window>> windows() const;
    void sendEvent(Window& window, const Event& event);

    bool isIdleTimerDisabled() const { return _idleTimerDisabled; }
    void setIdleTimerDisabled(bool disabled) { _idleTimerDisabled = disabled; }
    bool isStatusBarHidden() const { return _statusBarHidden; }
    void setStatusBarHidden(bool hidden, StatusBarAnimation animation = StatusBarAnimation::None);
    // In screen coordinates; empty while hidden.
    Rect statusBarFrame() const;
    InterfaceOrientation statusBarOrientation() const { return _orientation; }
    // The orientations the app allows (its bundle's list, landscape by default).
    unsigned supportedInterfaceOrientationsForWindow(const Window& window) const;
    // The device turned: the frontmost controller of the key window decides
    // whether the interface follows; if so the rotation callbacks run.
    bool rotateToInterfaceOrientation(InterfaceOrientation orientation);

    // Windows report themselves.
    void windowBecameKey(const std::shared_ptr<Window>& window);
    void windowBecameVisible(const std::shared_ptr<Window>& window);

    // For test isolation: forgets the delegate, windows, state and records.
    void resetForTesting();

private:
    Application() = default;
    friend std::shared_ptr<Application> makeApplication();
    void post(const char* name);
    std::shared_ptr<ViewController> frontmostController() const;
    bool rotateInterface(InterfaceOrientation orientation);

    std::shared_ptr<ApplicationDelegate> _delegate;
    ApplicationState _state = ApplicationState::Inactive;
    std::weak_ptr<Window> _keyWindow;
    std::vector<std::weak_ptr<Window>> _windows;
    std::vector<std::string> _openedURLs;
    bool _idleTimerDisabled = false;
    bool _statusBarHidden = false;
    bool _terminated = false;
    InterfaceOrientation _orientation = InterfaceOrientation::LandscapeRight;
    BackgroundTaskList _backgroundTasks;
};

}  // namespace plat
