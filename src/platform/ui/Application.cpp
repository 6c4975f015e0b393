#include "platform/ui/Application.h"

#include <algorithm>
#include <cerrno>
#include <optional>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/URL.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/Device.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

namespace plat {

namespace {

// The status bar's height in points while it shows.
constexpr double kStatusBarHeight = 20;
// The time the platform gives an interface rotation.
constexpr double kRotationSeconds = 0.4;

// Names tried in the inbox for one handed-over file ("name", "name-1", ...).
constexpr int kInboxNames = 1000;

// The system hands another app's file over as a copy in the app's
// Documents/Inbox, so the app may move or delete what it gets while the
// other app keeps its own. A name already in the inbox gets "-1", "-2"...
// Files of the app's own sandbox, and what is not a plain file, come as they
// are. Why not when the copy cannot be made.
Result<URL> handedOverURL(const URL& url)
{
    if (!url.isFileURL())
        return url;
    const std::string source = url.path();
    auto sandbox = Sandbox::current();
    auto attributes = attributesOfItem(source);
    if (!attributes.ok() || attributes.value().isDirectory || attributes.value().isSymbolicLink
        || sandbox->relativePath(source))
        return url;
    const std::string inbox = sandbox->inboxDirectory();
    if (auto created = createDirectory(inbox, IntermediateDirectories::Yes); !created.ok()) {
        log("application: cannot hand over {}: {}", source, created.error().localizedDescription());
        return created.error();
    }
    const std::string name = lastPathComponent(source);
    const std::string stem = deletingPathExtension(name);
    const std::string extension = pathExtension(name);
    for (int n = 0; n < kInboxNames; ++n) {
        const std::string candidate = n == 0 ? name : appendingPathExtension(stem + "-" + std::to_string(n), extension);
        const std::string destination = appendingPathComponent(inbox, candidate);
        if (fileExists(destination))
            continue;
        // Copied aside and renamed whole: a run ended meanwhile leaves only a
        // temporary, which the next start removes. Files are handed over one
        // at a time on the main thread, so nothing takes the name meanwhile.
        auto copied = copyFileAtomically(source, destination);
        if (copied.ok())
            return URL::fileURLWithPath(destination);
        log("application: cannot hand over {}: {}", source, copied.error().localizedDescription());
        return copied.error();
    }
    log("application: cannot hand over {}: the inbox has no free name", source);
    return Error::posix(EEXIST, "hand over", source);
}

unsigned orientationMaskFromNames(const Value& list)
{
    auto array = list.asArray();
    if (!array)
        return InterfaceOrientationMaskLandscape;
    unsigned mask = 0;
    for (const auto& entry : *array) {
        const std::string name = entry.asString() ? *entry.asString() : std::string();
        if (name == "UIInterfaceOrientationPortrait")
            mask |= InterfaceOrientationMaskPortrait;
        else if (name == "UIInterfaceOrientationPortraitUpsideDown")
            mask |= InterfaceOrientationMaskPortraitUpsideDown;
        else if (name == "UIInterfaceOrientationLandscapeLeft")
            mask |= InterfaceOrientationMaskLandscapeLeft;
        else if (name == "UIInterfaceOrientationLandscapeRight")
            mask |= InterfaceOrientationMaskLandscapeRight;
    }
    return mask ? mask : InterfaceOrientationMaskLandscape;
}

}  // namespace

std::shared_ptr<Application> makeApplication()
{
    return std::shared_ptr<Application>(new Application());
}

Application& Application::sharedApplication()
{
    static std::shared_ptr<Application> application = makeApplication();
    return *application;
}

void Application::post(const char* name)
{
    NotificationCenter::defaultCenter().post(name, this);
}

bool Application::launch(const Dictionary& launchOptions)
{
    if (!isMainThread())
        detail::fatal("Application::launch: main thread only");
    auto delegate = _delegate;
    bool result = true;
    if (delegate)
        result = delegate->applicationDidFinishLaunchingWithOptions(*this, launchOptions);
    NotificationCenter::defaultCenter().post(ApplicationDidFinishLaunchingNotification, this, launchOptions);
    becomeActive();
    return result;
}

void Application::becomeActive()
{
    if (_state == ApplicationState::Active)
        return;
    _state = ApplicationState::Active;
    if (auto delegate = _delegate)
        delegate->applicationDidBecomeActive(*this);
    post(ApplicationDidBecomeActiveNotification);
}

void Application::resignActive()
{
    if (_state != ApplicationState::Active)
        return;
    _state = ApplicationState::Inactive;
    if (auto delegate = _delegate)
        delegate->applicationWillResignActive(*this);
    post(ApplicationWillResignActiveNotification);
}

void Application::enterBackground()
{
    if (_state == ApplicationState::Background)
        return;
    resignActive();
    _state = ApplicationState::Background;
    _backgroundTasks.appEnteredBackground();
    if (auto delegate = _delegate)
        delegate->applicationDidEnterBackground(*this);
    post(ApplicationDidEnterBackgroundNotification);
}

void Application::enterForeground()
{
    if (_state != ApplicationState::Background)
        return;
    _state = ApplicationState::Inactive;
    _backgroundTasks.appEnteredForeground();
    if (auto delegate = _delegate)
        delegate->applicationWillEnterForeground(*this);
    post(ApplicationWillEnterForegroundNotification);
    becomeActive();
}

void Application::terminate()
{
    if (_terminated)
        return;
    _terminated = true;
    if (_state == ApplicationState::Active)
        resignActive();
    if (auto delegate = _delegate)
        delegate->applicationWillTerminate(*this);
    post(ApplicationWillTerminateNotification);
}

void Application::receiveMemoryWarning()
{
    if (auto delegate = _delegate)
        delegate->applicationDidReceiveMemoryWarning(*this);
    post(ApplicationDidReceiveMemoryWarningNotification);
    for (const auto& window : windows())
        if (auto root = window->rootViewController())
            root->sendMemoryWarning();
}

bool Application::openURLFromApplication(const URL& url, const std::string& sourceApplication, const Value& annotation)
{
    auto delegate = _delegate;
    if (!delegate)
        return false;
    auto handedOver = handedOverURL(url);
    if (!handedOver.ok()) {
        delegate->applicationDidFailToReceiveURL(*this, url, handedOver.error());
        return false;
    }
    return delegate->applicationOpenURLSourceApplicationAnnotation(
        *this, handedOver.value(), sourceApplication, annotation);
}

BackgroundTaskIdentifier Application::beginBackgroundTaskWithExpirationHandler(std::function<void()> handler)
{
    return _backgroundTasks.begin(std::move(handler));
}

void Application::endBackgroundTask(BackgroundTaskIdentifier identifier)
{
    _backgroundTasks.end(identifier);
}

bool isOpenSettingsURLAvailable()
{
    return Device::currentDevice().systemVersionIsAtLeast("8.0");
}

bool Application::canOpenURL(const URL& url) const
{
    return !url.scheme().empty();
}

bool Application::openURL(const URL& url)
{
    if (!canOpenURL(url))
        return false;
    // No other app runs here: the request is recorded for whoever looks (tests, scripts, the log).
    _openedURLs.push_back(url.absoluteString());
    log("application: asked the system to open {}", url.absoluteString());
    return true;
}

std::vector<std::shared_ptr<Window>> Application::windows() const
{
    std::vector<std::shared_ptr<Window>> list;
    for (const auto& weak : _windows)
        if (auto window = weak.lock(); window && !window->isHidden())
            list.push_back(window);
    std::stable_sort(
        list.begin(), list.end(), [](const auto& a, const auto& b) { return a->windowLevel() < b->windowLevel(); });
    return list;
}

void Application::sendEvent(Window& window, const Event& event)
{
    window.sendEvent(event);
}

void Application::windowBecameKey(const std::shared_ptr<Window>& window)
{
    _keyWindow = window;
    windowBecameVisible(window);
}

void Application::windowBecameVisible(const std::shared_ptr<Window>& window)
{
    _windows.erase(
        std::remove_if(_windows.begin(), _windows.end(), [](const auto& w) { return w.expired(); }), _windows.end());
    for (const auto& weak : _windows)
        if (weak.lock() == window)
            return;
    _windows.push_back(window);
}

void Application::setStatusBarHidden(bool hidden, StatusBarAnimation)
{
    _statusBarHidden = hidden;
}

Rect Application::statusBarFrame() const
{
    if (_statusBarHidden)
        return {};
    return {{0, 0}, {Screen::mainScreen().bounds().width(), kStatusBarHeight}};
}

unsigned Application::supportedInterfaceOrientationsForWindow(const Window&) const
{
    return orientationMaskFromNames(
        Bundle::mainBundle().objectForInfoDictionaryKey("UISupportedInterfaceOrientations"));
}

std::shared_ptr<ViewController> Application::frontmostController() const
{
    auto window = keyWindow();
    if (!window)
        return nullptr;
    auto controller = window->rootViewController();
    while (
        controller && controller->presentedViewController() && controller->presentedViewController()->coversPresenter())
        controller = controller->presentedViewController();
    return controller;
}

bool Application::rotateToInterfaceOrientation(InterfaceOrientation orientation)
{
    if (orientation == _orientation || orientation == InterfaceOrientation::Unknown)
        return false;
    bool rotated = rotateInterface(orientation);
    // The device turned, whether or not the interface followed.
    if (Device::isGeneratingDeviceOrientationNotifications())
        NotificationCenter::defaultCenter().post(DeviceOrientationDidChangeNotification);
    return rotated;
}

bool Application::rotateInterface(InterfaceOrientation orientation)
{
    auto window = keyWindow();
    auto controller = frontmostController();
    if (!window || !controller)
        return false;
    unsigned allowed = supportedInterfaceOrientationsForWindow(*window) & controller->supportedInterfaceOrientations();
    if (!controller->shouldAutorotate() || !(allowed & maskForOrientation(orientation)))
        return false;
    InterfaceOrientation previous = _orientation;
    controller->willRotateToInterfaceOrientation(orientation, kRotationSeconds);
    _orientation = orientation;
    // Screen bounds follow the interface: the windows take the new shape.
    for (const auto& shown : windows())
        shown->setFrame(Screen::mainScreen().bounds());
    controller->willAnimateRotationToInterfaceOrientation(orientation, kRotationSeconds);
    controller->didRotateFromInterfaceOrientation(previous);
    return true;
}

void Application::resetForTesting()
{
    _delegate.reset();
    _state = ApplicationState::Inactive;
    _keyWindow.reset();
    _windows.clear();
    _openedURLs.clear();
    _idleTimerDisabled = false;
    _statusBarHidden = false;
    _terminated = false;
    _orientation = InterfaceOrientation::LandscapeRight;
    _backgroundTasks.reset();
}

}  // namespace plat
