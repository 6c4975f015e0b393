#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/foundation/Error.h"

namespace zt {

inline constexpr const char* kQVKeychainUtilsErrorDomain = "QVKeychainUtilsErrorDomain";
inline constexpr int64_t kQVKeychainMissingArgumentError = -2000;
inline constexpr int64_t kQVKeychainUnreadablePasswordError = -1999;

// A user name and password per service name in the keychain, so a login
// survives restarts without being kept in the app's files. An empty string
// counts as a missing argument. The error, when asked for, receives the
// failure and is cleared on success; other codes are keychain statuses.
// Any thread.
class QVKeychainUtils {
public:
    static std::optional<std::string> getPasswordForUsername(
        const std::string& username, const std::string& serviceName, std::optional<plat::Error>* error = nullptr);
    // With updateExisting NO an existing password is kept (and YES returned).
    // An item whose password cannot be read is removed and stored anew.
    static bool storeUsername(const std::string& username, const std::string& password, const std::string& serviceName,
        bool updateExisting, std::optional<plat::Error>* error = nullptr);
    static bool deleteItemForUsername(
        const std::string& username, const std::string& serviceName, std::optional<plat::Error>* error = nullptr);
};

}  // namespace zt
