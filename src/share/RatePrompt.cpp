#include "share/RatePrompt.h"

#include <limits>
#include <string>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Date.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Application.h"
#include "uikit/AlertView.h"

namespace zt {

namespace {

constexpr double kSecondsPerDay = 24 * 60 * 60;

std::string appVersion()
{
    return plat::Bundle::mainBundle().infoDictionary().getString("CFBundleVersion").value_or("");
}

std::string appName()
{
    auto info = plat::Bundle::mainBundle().infoDictionary();
    return info.getString("CFBundleDisplayName").value_or(info.getString("CFBundleName").value_or(""));
}

// The texts name the app in place of "%@".
std::string withAppName(const std::string& text)
{
    std::string result = text;
    if (auto at = result.find("%@"); at != std::string::npos)
        result.replace(at, 2, appName());
    return result;
}

double now()
{
    return plat::Date::now().timeIntervalSince1970();
}

}  // namespace

void RatePrompt::appLaunchedWithAppStoreID(int64_t appStoreID, bool canPromptForRating)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    countUse();
    if (canPromptForRating && ratingConditionsHaveBeenMet())
        showRatingAlert(appStoreID);
}

void RatePrompt::countUse()
{
    auto& defaults = plat::UserDefaults::standardUserDefaults();
    std::string version = appVersion();
    if (defaults.stringForKey(kCurrentVersionKey) != version) {
        // A new version: its own count, its own answer.
        defaults.setObject(plat::Value(version), kCurrentVersionKey);
        defaults.setDouble(now(), kFirstUseDateKey);
        defaults.setInteger(1, kUseCountKey);
        defaults.setBool(false, kRatedCurrentVersionKey);
        defaults.setBool(false, kDeclinedToRateKey);
        defaults.setDouble(0, kReminderRequestDateKey);
        return;
    }
    if (defaults.doubleForKey(kFirstUseDateKey) == 0)
        defaults.setDouble(now(), kFirstUseDateKey);
    // The stored count is read back from a file: at its largest it stays there.
    const int64_t uses = defaults.integerForKey(kUseCountKey);
    if (uses < std::numeric_limits<int64_t>::max())
        defaults.setInteger(uses + 1, kUseCountKey);
}

bool RatePrompt::ratingConditionsHaveBeenMet()
{
    auto& defaults = plat::UserDefaults::standardUserDefaults();
    if (defaults.boolForKey(kDeclinedToRateKey) || defaults.boolForKey(kRatedCurrentVersionKey))
        return false;
    double current = now();
    if (current - defaults.doubleForKey(kFirstUseDateKey) < kDaysUntilPrompt * kSecondsPerDay)
        return false;
    if (defaults.integerForKey(kUseCountKey) < kUsesUntilPrompt)
        return false;
    double reminder = defaults.doubleForKey(kReminderRequestDateKey);
    return reminder == 0 || current - reminder >= kDaysBeforeReminding * kSecondsPerDay;
}

void RatePrompt::showRatingAlert(int64_t appStoreID)
{
    auto alert = std::make_shared<AlertView>(withAppName(plat::localized("Rate %@")),
        withAppName(plat::localized("If you enjoy using %@, would you mind taking a moment to rate it? It won't take "
                                    "more than a minute. Thanks for your support!")));
    alert->addButtonWithTitle(withAppName(plat::localized("Rate %@")), [appStoreID](AlertView&, int64_t) {
        plat::UserDefaults::standardUserDefaults().setBool(true, kRatedCurrentVersionKey);
        auto page = plat::URL::URLWithString("itms-apps://itunes.apple.com/app/id" + std::to_string(appStoreID));
        if (!page || !plat::Application::sharedApplication().openURL(*page))
            plat::log("rate prompt: cannot open the store page of {}", appStoreID);
    });
    alert->addButtonWithTitle(plat::localized("Remind me later"), [](AlertView&, int64_t) {
        plat::UserDefaults::standardUserDefaults().setDouble(now(), kReminderRequestDateKey);
    });
    alert->addButtonWithTitle(plat::localized("No, Thanks"),
        [](AlertView&, int64_t) { plat::UserDefaults::standardUserDefaults().setBool(true, kDeclinedToRateKey); });
    alert->show();
}

}  // namespace zt
