#include "app/UntitledAppDelegate.h"

#include "app/MainViewController.h"
#include "app/MessagesAfterWelcome.h"
#include "app/StartupFiles.h"
#include "document/DataManager.h"
#include "document/FailureReason.h"
#include "document/FilledText.h"
#include "document/ProjectsList.h"
#include "dropbox/DBSession.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/Device.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "share/RatePrompt.h"
#include "uikit/MessageAlert.h"

namespace zt {

namespace {

constexpr const char* kVersionPreferenceKey = "version_preference";
constexpr const char* kResetSettingsKey = "isResetSettings";
constexpr const char* kDropboxLoginNotification = "DropboxLoginNotification";
const plat::Color kWindowTint = plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1.0);

std::string rootLayoutName()
{
    const auto& device = plat::Device::currentDevice();
    if (device.systemVersionIsAtLeast("8.0"))
        return "MainViewController_ios8";
    return device.isTablet() ? "MainViewController_iPad" : "MainViewController";
}

}  // namespace

UntitledAppDelegate::UntitledAppDelegate()
    : _messagesAfterWelcome(std::make_shared<MessagesAfterWelcome>())
{
}

UntitledAppDelegate::~UntitledAppDelegate() = default;

bool UntitledAppDelegate::applicationDidFinishLaunchingWithOptions(
    plat::Application& application, const plat::Dictionary& launchOptions)
{
    _window = std::make_shared<plat::Window>(plat::Screen::mainScreen().bounds());
    _mainViewController = std::make_shared<MainViewController>(rootLayoutName());
    _mainViewController->setMessagesAfterWelcome(_messagesAfterWelcome);
    _window->setRootViewController(_mainViewController);
    _window->makeKeyAndVisible();

    if (auto text = launchOptions.getString(plat::ApplicationLaunchOptionsURLKey)) {
        if (auto url = plat::URL::URLWithString(*text))
            applicationOpenURLSourceApplicationAnnotation(application, *url, "", plat::Value());
        else
            plat::log("start-up: the launch URL \"{}\" cannot be read", *text);
    }

    std::weak_ptr<UntitledAppDelegate> weakSelf = weak_from_this();
    plat::DispatchQueue::mainQueue().async([weakSelf] {
        if (auto self = weakSelf.lock())
            self->loadApplication();
    });
    return true;
}

void UntitledAppDelegate::loadApplication()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto& defaults = plat::UserDefaults::standardUserDefaults();
    auto info = plat::Bundle::mainBundle().infoDictionary();
    defaults.setObject(
        plat::Value(plat::formatLine("{} ({})", info.getString("CFBundleShortVersionString").value_or(""),
            info.getString("CFBundleVersion").value_or(""))),
        kVersionPreferenceKey);

    auto& crashReporter = CrashReportManager::sharedCrashReportManager();
    crashReporter.setSubmissionURL(kCrashReportSubmissionURL);
    crashReporter.setDelegate(std::static_pointer_cast<CrashReportManagerDelegate>(shared_from_this()));
    crashReporter.startManager();
    const bool crashed = crashReporter.didCrashInLastSession();

    if (crashed || defaults.boolForKey(kResetSettingsKey)) {
        detail::resetSettingsKeepingParentalControls();
        defaults.setBool(false, kResetSettingsKey);
    }
    DataManager::loadState();
    tellOfUnreadableSettings();

    auto& settings = DataManager::sharedDataManager();
    if (settings.version().value_or(0) < kDataVersionWithProjectsList) {
        detail::installSampleProject();
        detail::createProjectsListIfUnreadable(detail::IntroductionEntry::Always);
        settings.setVersion(kCurrentDataVersion);
        DataManager::saveState();
    } else {
        // A list lost after the upgrade would hide every project made since: rebuild it from the folders.
        detail::createProjectsListIfUnreadable(detail::IntroductionEntry::WhenItsFolderExists);
    }
    // A sample that is not there by now (its Delete cut short, Caches lost it) would show as an empty project.
    ProjectsList::removeNamesOfMissingFolders(ProjectsList::SampleFolder::Settled);

    _mainViewController->showProjectExplorerFromDefault();
    if (!crashed)
        startRatePrompt();

    _window->setBackgroundColor(plat::Color::blackColor());
    _window->setTintColor(kWindowTint);
    _window->layer()->setMasksToBounds(true);
    _window->layer()->setCornerRadius(kWindowCornerRadius);
}

void UntitledAppDelegate::tellOfUnreadableSettings()
{
    auto tell = [this](const std::string& whatCouldNotBeRead, const plat::UnreadableStoredFile& file) {
        std::string message = filledText(whatCouldNotBeRead, {unreadableFileReason(file.reason)}) + " "
            + (file.keptAs ? filledText(plat::localized("The defaults apply; the unreadable file is kept as “%@”."),
                   {plat::lastPathComponent(*file.keptAs)})
                           : plat::localized("The defaults apply."));
        _messagesAfterWelcome->show(
            makeMessageAlert(plat::localized("Settings Reset"), message, plat::localized("OK")));
    };
    if (auto settings = DataManager::sharedDataManager().takeUnreadableSettings())
        tell(plat::localized("The settings could not be read: %@"), *settings);
    if (auto preferences = plat::UserDefaults::standardUserDefaults().takeUnreadableFile())
        tell(plat::localized("The app's preferences could not be read: %@"), *preferences);
}

void UntitledAppDelegate::startRatePrompt()
{
    auto& bundle = plat::Bundle::mainBundle();
    auto path = bundle.pathForResource(bundle.bundleIdentifier(), "plist");
    auto properties = path ? plat::dictionaryWithContentsOfFile(*path) : std::nullopt;
    auto storeID = properties ? properties->getInt64("itunes_id") : std::nullopt;
    if (!storeID) {
        plat::log("start-up: the bundle's {}.plist names no itunes_id; no rating prompt", bundle.bundleIdentifier());
        return;
    }
    RatePrompt::appLaunchedWithAppStoreID(*storeID, /*canPromptForRating=*/true);
}

std::vector<std::string> UntitledAppDelegate::searchForFiles()
{
    return detail::projectFolderNames();
}

void UntitledAppDelegate::applicationWillResignActive(plat::Application&)
{
    DataManager::saveState();
}

void UntitledAppDelegate::applicationDidEnterBackground(plat::Application&)
{
    DataManager::saveState();
}

void UntitledAppDelegate::applicationWillTerminate(plat::Application&)
{
    DataManager::saveState();
}

bool UntitledAppDelegate::applicationOpenURLSourceApplicationAnnotation(
    plat::Application&, const plat::URL& url, const std::string&, const plat::Value&)
{
    auto session = DBSession::sharedSession();
    if (!session->handleOpenURL(url))
        return false;
    plat::NotificationCenter::defaultCenter().post(
        kDropboxLoginNotification, this, plat::Dictionary {{kDropboxLoginNotification, session->isLinked()}});
    return true;
}

}  // namespace zt
