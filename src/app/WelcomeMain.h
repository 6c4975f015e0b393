#pragma once
#include <functional>
#include <optional>
#include <string>

#include "platform/foundation/Value.h"

namespace zt {

// The welcome screen's content (the bundle's "Welcome" property list) and
// its show-once flag in the user defaults. Main thread.
class WelcomeMain {
public:
    // Posted on the main thread once the welcome screen has closed.
    static constexpr const char* kDidCloseNotification = "WelcomeDidCloseNotification";

    // Calls show with the list when it holds something and the welcome was
    // never handled; in every case marks it handled.
    static void handleWelcome(const std::function<void(const plat::Dictionary& features)>& show);
    // Whether handleWelcome would show the welcome now.
    static bool isDue();
    static bool getHasSeen();
    static void setHasSeen(bool seen);
    // The bundle identifier followed by ".welcome".
    static std::string storageKey();
    static void reset();
    // The "Welcome" list; none when missing or unreadable.
    static std::optional<plat::Dictionary> features();
};

// The what's-new screen's content (the bundle's "What's New" property list:
// version to features) and the version of the last run that handled it.
// Main thread.
class QVWhatsNew {
public:
    static constexpr const char* kLastAppVersionKey = "QVWhatsNew.lastAppVersion";

    // Calls show with the versions newer than the last run's, up to this
    // one, when there are any; then stores this version.
    static void handleWhatsNew(const std::function<void(const plat::Dictionary& versions)>& show);
    // None on a fresh installation (no last version).
    static std::optional<plat::Dictionary> whatsNew();
    static std::optional<plat::Dictionary> allFeatures();
    // The entries of all newer than last and not newer than current.
    static plat::Dictionary versionsBetween(
        const plat::Dictionary& all, const std::string& last, const std::string& current);
    static std::string appVersion();
    static std::optional<std::string> lastAppVersion();
    static void setLastAppVersion(const std::optional<std::string>& version);
    static void updateLastAppVersion();
    static void reset();
    // Numeric comparison of version strings part by part (1.10 after 1.9).
    static int compareVersions(const std::string& left, const std::string& right);
};

}  // namespace zt
