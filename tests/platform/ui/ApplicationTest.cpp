#include "platform/ui/Application.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/Files.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/URL.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/Device.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/TemporarySandbox.h"

namespace {

using Log = std::vector<std::string>;

class Delegate : public plat::ApplicationDelegate {
public:
    explicit Delegate(Log& log)
        : _log(log)
    {
    }
    bool applicationDidFinishLaunchingWithOptions(plat::Application&, const plat::Dictionary& options) override
    {
        auto url = options.get(plat::ApplicationLaunchOptionsURLKey);
        _log.push_back(std::string("launch ") + (url.asString() ? *url.asString() : "-"));
        return true;
    }
    void applicationDidBecomeActive(plat::Application&) override { _log.push_back("active"); }
    void applicationWillResignActive(plat::Application&) override { _log.push_back("resign"); }
    void applicationDidEnterBackground(plat::Application&) override { _log.push_back("background"); }
    void applicationWillEnterForeground(plat::Application&) override { _log.push_back("foreground"); }
    void applicationWillTerminate(plat::Application&) override { _log.push_back("terminate"); }
    void applicationDidReceiveMemoryWarning(plat::Application&) override { _log.push_back("memory"); }
    bool applicationOpenURLSourceApplicationAnnotation(
        plat::Application&, const plat::URL& url, const std::string& source, const plat::Value&) override
    {
        _log.push_back("open " + url.absoluteString() + " from " + source);
        return url.pathExtension() == "zantropemobile";
    }

private:
    Log& _log;
};

class ApplicationLifecycle : public ::testing::Test {
protected:
    ApplicationLifecycle()
    {
        app.setDelegate(std::make_shared<Delegate>(log));
        for (const char* name : {plat::ApplicationDidBecomeActiveNotification,
                 plat::ApplicationWillResignActiveNotification, plat::ApplicationDidEnterBackgroundNotification,
                 plat::ApplicationWillEnterForegroundNotification, plat::ApplicationWillTerminateNotification}) {
            tokens.push_back(plat::NotificationCenter::defaultCenter().addObserver(
                name, nullptr, [this](const plat::Notification& n) { log.push_back(n.name); }));
        }
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    plat::Application& app = plat::Application::sharedApplication();
    Log log;
    std::vector<plat::ObserverToken> tokens;
};

}  // namespace

TEST_F(ApplicationLifecycle, LaunchThenBecomeActive)
{
    plat::Dictionary options;
    options.set(plat::ApplicationLaunchOptionsURLKey, "file:///tmp/a.zantropemobile");
    EXPECT_TRUE(app.launch(options));
    EXPECT_EQ(
        log, (Log {"launch file:///tmp/a.zantropemobile", "active", plat::ApplicationDidBecomeActiveNotification}));
    EXPECT_EQ(app.applicationState(), plat::ApplicationState::Active);
}

TEST_F(ApplicationLifecycle, BackgroundAndForegroundInThePlatformsOrder)
{
    app.launch({});
    log.clear();
    app.enterBackground();
    app.enterBackground();
    app.enterForeground();
    EXPECT_EQ(log,
        (Log {"resign", plat::ApplicationWillResignActiveNotification, "background",
            plat::ApplicationDidEnterBackgroundNotification, "foreground",
            plat::ApplicationWillEnterForegroundNotification, "active", plat::ApplicationDidBecomeActiveNotification}));
}

TEST_F(ApplicationLifecycle, TerminateResignsFirst)
{
    app.launch({});
    log.clear();
    app.terminate();
    EXPECT_EQ(log,
        (Log {"resign", plat::ApplicationWillResignActiveNotification, "terminate",
            plat::ApplicationWillTerminateNotification}));
}

TEST_F(ApplicationLifecycle, URLsFromOtherAppsGoToTheDelegate)
{
    auto archive = plat::URL::URLWithString("file:///inbox/My%20Movie.zantropemobile");
    ASSERT_TRUE(archive);
    EXPECT_TRUE(app.openURLFromApplication(*archive, "com.example.mail", {}));
    auto other = plat::URL::URLWithString("https://example.com/");
    EXPECT_FALSE(app.openURLFromApplication(*other, "", {}));
    EXPECT_EQ(log.front(), "open file:///inbox/My%20Movie.zantropemobile from com.example.mail");
}

TEST_F(ApplicationLifecycle, AFileFromAnotherAppArrivesAsACopyInTheInboxAndTheOtherAppKeepsItsOwn)
{
    plat::test::TemporarySandbox sandbox;
    plat::test::TemporaryFolder otherApp;
    const std::string original = otherApp.path("My Movie.zantropemobile");
    ASSERT_TRUE(plat::writeFileAtomically(original, std::string_view("archive")).ok());
    const std::string inbox = sandbox.documents() + "/Inbox/";

    EXPECT_TRUE(app.openURLFromApplication(plat::URL::fileURLWithPath(original), "com.example.mail", {}));
    EXPECT_TRUE(app.openURLFromApplication(plat::URL::fileURLWithPath(original), "com.example.mail", {}));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0],
        "open " + plat::URL::fileURLWithPath(inbox + "My Movie.zantropemobile").absoluteString()
            + " from com.example.mail");
    EXPECT_EQ(log[1],
        "open " + plat::URL::fileURLWithPath(inbox + "My Movie-1.zantropemobile").absoluteString()
            + " from com.example.mail")
        << "a name already in the inbox is not replaced";
    auto copy = plat::readFile(inbox + "My Movie.zantropemobile");
    ASSERT_TRUE(copy.ok());
    EXPECT_EQ(std::string(copy.value().begin(), copy.value().end()), "archive");
    EXPECT_TRUE(plat::fileExists(original));
}

TEST_F(ApplicationLifecycle, URLsTheAppOpensAreRecorded)
{
    auto settings = plat::URL::URLWithString(plat::ApplicationOpenSettingsURLString);
    ASSERT_TRUE(settings);
    EXPECT_TRUE(app.openURL(*settings));
    EXPECT_EQ(app.openedURLs(), (std::vector<std::string> {"app-settings:"}));
}

TEST_F(ApplicationLifecycle, StatusBarTakesTheTopOfTheScreenWhileShown)
{
    EXPECT_EQ(app.statusBarFrame(), plat::makeRect(0, 0, 568, 20));
    EXPECT_EQ(plat::Screen::mainScreen().applicationFrame(), plat::makeRect(0, 20, 568, 300));
    app.setStatusBarHidden(true);
    EXPECT_EQ(app.statusBarFrame(), plat::Rect {});
    EXPECT_EQ(plat::Screen::mainScreen().applicationFrame(), plat::makeRect(0, 0, 568, 320));
}

TEST_F(ApplicationLifecycle, KeyWindowIsTheLastMadeKey)
{
    auto first = std::make_shared<plat::Window>();
    auto second = std::make_shared<plat::Window>();
    first->makeKeyAndVisible();
    second->makeKeyAndVisible();
    EXPECT_TRUE(second->isKeyWindow());
    EXPECT_FALSE(first->isKeyWindow());
    EXPECT_EQ(app.windows().size(), 2u);
    second->setHidden(true);
    EXPECT_EQ(app.windows(), (std::vector<std::shared_ptr<plat::Window>> {first}));
}

TEST(Device, IdiomDecidesScreenAndModel)
{
    plat::test::UIScope tablet(plat::UserInterfaceIdiom::Pad);
    EXPECT_EQ(plat::Screen::mainScreen().bounds(), plat::makeRect(0, 0, 1024, 768));
    EXPECT_EQ(plat::Screen::mainScreen().scale(), 2);
    EXPECT_EQ(plat::Device::currentDevice().model(), "iPad");
    EXPECT_EQ(plat::Device::currentDevice().systemVersion(), "8.0");
}

TEST(Device, VersionsCompareNumerically)
{
    EXPECT_LT(plat::Device::compareVersions("8.0", "8.1"), 0);
    EXPECT_LT(plat::Device::compareVersions("8.9", "10.0"), 0);
    EXPECT_EQ(plat::Device::compareVersions("8", "8.0.0"), 0);
    EXPECT_GT(plat::Device::compareVersions("8.0.1", "8.0"), 0);
    EXPECT_TRUE(plat::Device(plat::UserInterfaceIdiom::Phone, "8.0").systemVersionIsAtLeast("8.0"));
    EXPECT_FALSE(plat::Device(plat::UserInterfaceIdiom::Phone, "7.1").systemVersionIsAtLeast("8.0"));
    EXPECT_EQ(plat::Device::compareVersions("99999999999999999999", "1"), 1) << "huge parts do not overflow";
}

// --- background tasks ---

TEST_F(ApplicationLifecycle, BackgroundTasksExpireWhenTheAllowedTimeRunsOutOnTheClock)
{
    app.launch({});
    Log expired;
    plat::BackgroundTaskIdentifier ended
        = app.beginBackgroundTaskWithExpirationHandler([&] { expired.push_back("ended"); });
    plat::BackgroundTaskIdentifier first = plat::BackgroundTaskInvalid;
    first = app.beginBackgroundTaskWithExpirationHandler([&] {
        expired.push_back("first");
        app.endBackgroundTask(first);
    });
    plat::BackgroundTaskIdentifier second = app.beginBackgroundTaskWithExpirationHandler([&] {
        expired.push_back("second");  // and never ends its task
    });
    EXPECT_NE(first, plat::BackgroundTaskInvalid);
    EXPECT_NE(second, first);
    app.endBackgroundTask(ended);
    EXPECT_EQ(app.backgroundTaskCount(), 2u);

    // In the foreground nothing counts down.
    clock.advance(1000);
    EXPECT_TRUE(expired.empty());
    EXPECT_GT(app.backgroundTimeRemaining(), 1e300);

    app.enterBackground();
    clock.advance(100);
    EXPECT_DOUBLE_EQ(app.backgroundTimeRemaining(), 80);
    clock.advance(79.9);
    EXPECT_TRUE(expired.empty());
    clock.advance(0.1);
    EXPECT_EQ(expired, (Log {"first", "second"}));
    // A task its handler left running is given up all the same.
    EXPECT_EQ(app.backgroundTaskCount(), 0u);
    EXPECT_EQ(app.backgroundTimeRemaining(), 0);
    EXPECT_EQ(app.beginBackgroundTaskWithExpirationHandler([] {}), plat::BackgroundTaskInvalid);
}

TEST_F(ApplicationLifecycle, ReturningToTheForegroundStopsTheCountAndTheNextVisitGetsTheFullTime)
{
    app.launch({});
    int expirations = 0;
    plat::BackgroundTaskIdentifier task = plat::BackgroundTaskInvalid;
    task = app.beginBackgroundTaskWithExpirationHandler([&] {
        ++expirations;
        app.endBackgroundTask(task);
    });
    app.enterBackground();
    clock.advance(170);
    app.enterForeground();
    clock.advance(100);
    EXPECT_EQ(expirations, 0);
    app.enterBackground();
    clock.advance(179);
    EXPECT_EQ(expirations, 0);
    // A task begun in the background shares the time that is left.
    bool laterExpired = false;
    plat::BackgroundTaskIdentifier later = plat::BackgroundTaskInvalid;
    later = app.beginBackgroundTaskWithExpirationHandler([&] {
        laterExpired = true;
        app.endBackgroundTask(later);
    });
    clock.advance(1);
    EXPECT_EQ(expirations, 1);
    EXPECT_TRUE(laterExpired);
    EXPECT_EQ(app.backgroundTaskCount(), 0u);
}

TEST_F(ApplicationLifecycle, ATaskEndedInTimeIsNeverToldItExpired)
{
    app.launch({});
    bool expired = false;
    auto task = app.beginBackgroundTaskWithExpirationHandler([&] { expired = true; });
    app.enterBackground();
    clock.advance(10);
    app.endBackgroundTask(task);
    app.endBackgroundTask(task);  // twice is once
    clock.advance(1000);
    EXPECT_FALSE(expired);
}

TEST_F(ApplicationLifecycle, BackgroundTasksBeginAndEndOnAnyThread)
{
    plat::BackgroundTaskIdentifier task = plat::BackgroundTaskInvalid;
    std::thread([&] { task = app.beginBackgroundTaskWithExpirationHandler([] {}); }).join();
    EXPECT_NE(task, plat::BackgroundTaskInvalid);
    EXPECT_EQ(app.backgroundTaskCount(), 1u);
    std::thread([&] { app.endBackgroundTask(task); }).join();
    EXPECT_EQ(app.backgroundTaskCount(), 0u);
}
