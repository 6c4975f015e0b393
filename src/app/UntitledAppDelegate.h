#pragma once
#include <memory>
#include <string>
#include <vector>

#include "diagnostics/CrashReportManager.h"
#include "platform/ui/ApplicationDelegate.h"

namespace zt {
class MainViewController;
class MessagesAfterWelcome;

// The application's base delegate: it builds the window and the root
// container, queues the deferred start-up (loadApplication) for the first
// turn of the main run loop, saves the settings whenever the app resigns,
// goes to the background or terminates, and completes a Dropbox link that
// arrives as a URL. The window and the root container live as long as the
// process. Main thread.
class UntitledAppDelegate : public plat::ApplicationDelegate,
                            public CrashReportManagerDelegate,
                            public std::enable_shared_from_this<UntitledAppDelegate> {
public:
    static constexpr const char* kCrashReportSubmissionURL
        = "https://crashreports.quorvane.com/crashreporter3/crash_v300.php";
    // Data versions of the settings: below the first, the sample project and
    // the projects list are set up; the second is what this version writes.
    static constexpr double kDataVersionWithProjectsList = 3.0;
    static constexpr double kCurrentDataVersion = 4.0;
    static constexpr double kWindowCornerRadius = 5.0;

    UntitledAppDelegate();
    ~UntitledAppDelegate() override;

    bool applicationDidFinishLaunchingWithOptions(
        plat::Application& application, const plat::Dictionary& launchOptions) override;
    void applicationWillResignActive(plat::Application& application) override;
    void applicationDidEnterBackground(plat::Application& application) override;
    void applicationWillTerminate(plat::Application& application) override;
    // A Dropbox link answer; false for any other URL.
    bool applicationOpenURLSourceApplicationAnnotation(plat::Application& application, const plat::URL& url,
        const std::string& sourceApplication, const plat::Value& annotation) override;
    std::shared_ptr<plat::Window> window() const override { return _window; }

    const std::shared_ptr<MainViewController>& mainViewController() const { return _mainViewController; }

    // The deferred start-up; runs once, on the first turn of the main run loop.
    void loadApplication();
    // The project folders in Documents (names beginning with ".plovix-").
    static std::vector<std::string> searchForFiles();

protected:
    // Where start-up messages go, so that the first start's welcome does not cover them.
    MessagesAfterWelcome& messagesAfterWelcome() { return *_messagesAfterWelcome; }

private:
    void startRatePrompt();
    // Settings files that could not be read were set aside and the defaults apply: the person hears so.
    void tellOfUnreadableSettings();

    std::shared_ptr<plat::Window> _window;
    std::shared_ptr<MainViewController> _mainViewController;
    std::shared_ptr<MessagesAfterWelcome> _messagesAfterWelcome;
};

}  // namespace zt
