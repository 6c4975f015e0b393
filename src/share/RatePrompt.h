#pragma once
#include <cstdint>

namespace zt {

// Asks the user, now and then, to rate the app in the store. Every launch
// counts as a use; once the app has been used for kDaysUntilPrompt days
// and kUsesUntilPrompt times in its current version, and the user neither
// rated this version nor declined, a launch that may prompt shows the
// question: rate (opens the app's store page), remind me later (asks again
// kDaysBeforeReminding days later) or no, thanks. A new version starts the
// count again. The counts live in the user defaults under the keys below.
// Main thread.
class RatePrompt {
public:
    static void appLaunchedWithAppStoreID(int64_t appStoreID, bool canPromptForRating);

    static constexpr double kDaysUntilPrompt = 30;
    static constexpr int64_t kUsesUntilPrompt = 20;
    static constexpr double kDaysBeforeReminding = 1;

    static constexpr const char* kFirstUseDateKey = "kRatePromptFirstUseDate";
    static constexpr const char* kUseCountKey = "kRatePromptUseCount";
    static constexpr const char* kCurrentVersionKey = "kRatePromptCurrentVersion";
    static constexpr const char* kRatedCurrentVersionKey = "kRatePromptRatedCurrentVersion";
    static constexpr const char* kDeclinedToRateKey = "kRatePromptDeclinedToRate";
    static constexpr const char* kReminderRequestDateKey = "kRatePromptReminderRequestDate";

private:
    static void countUse();
    static bool ratingConditionsHaveBeenMet();
    static void showRatingAlert(int64_t appStoreID);
};

}  // namespace zt
