#include "document/QVKeychainUtils.h"

#include "platform/foundation/Log.h"
#include "platform/security/Keychain.h"

namespace zt {

namespace {

plat::Error keychainError(int64_t code)
{
    std::string text = code == kQVKeychainMissingArgumentError ? "A user name, password or service name is missing."
        : code == kQVKeychainUnreadablePasswordError           ? "The stored password cannot be read."
                                                     : "The keychain reported status " + std::to_string(code) + ".";
    // Callers often ask for no error; a store that cannot be read must still leave a trace.
    if (code != kQVKeychainMissingArgumentError && code != plat::errSecItemNotFound)
        plat::log("keychain: {}", text);
    return plat::Error(kQVKeychainUtilsErrorDomain, code, text);
}

void setError(std::optional<plat::Error>* error, std::optional<plat::Error> value)
{
    if (error)
        *error = std::move(value);
}

plat::KeychainQuery itemQuery(const std::string& username, const std::string& serviceName)
{
    return plat::KeychainQuery {serviceName, username, std::nullopt};
}

}  // namespace

std::optional<std::string> QVKeychainUtils::getPasswordForUsername(
    const std::string& username, const std::string& serviceName, std::optional<plat::Error>* error)
{
    if (username.empty() || serviceName.empty()) {
        setError(error, keychainError(kQVKeychainMissingArgumentError));
        return std::nullopt;
    }
    auto keychain = plat::Keychain::forCurrentSandbox();
    auto query = itemQuery(username, serviceName);
    plat::OSStatus status = keychain.copyAttributes(query, nullptr);
    if (status == plat::errSecItemNotFound) {
        setError(error, std::nullopt);
        return std::nullopt;
    }
    if (status != plat::errSecSuccess) {
        setError(error, keychainError(status));
        return std::nullopt;
    }
    plat::Data data;
    status = keychain.copyData(query, &data);
    // Vanished between the two look-ups, or found without a password (none
    // can be stored empty): unreadable, so that a store replaces it.
    if (status == plat::errSecItemNotFound || (status == plat::errSecSuccess && data.empty())) {
        setError(error, keychainError(kQVKeychainUnreadablePasswordError));
        return std::nullopt;
    }
    if (status != plat::errSecSuccess) {
        setError(error, keychainError(status));
        return std::nullopt;
    }
    setError(error, std::nullopt);
    return std::string(data.begin(), data.end());
}

bool QVKeychainUtils::storeUsername(const std::string& username, const std::string& password,
    const std::string& serviceName, bool updateExisting, std::optional<plat::Error>* error)
{
    if (username.empty() || password.empty() || serviceName.empty()) {
        setError(error, keychainError(kQVKeychainMissingArgumentError));
        return false;
    }
    std::optional<plat::Error> readError;
    auto existing = getPasswordForUsername(username, serviceName, &readError);
    auto keychain = plat::Keychain::forCurrentSandbox();
    if (readError && readError->code() == kQVKeychainUnreadablePasswordError) {
        plat::OSStatus removed = keychain.remove(itemQuery(username, serviceName));
        if (removed != plat::errSecSuccess) {
            setError(error, keychainError(removed));
            return false;
        }
    } else if (readError) {
        setError(error, readError);
        return false;
    }

    plat::Data data(password.begin(), password.end());
    plat::OSStatus status = plat::errSecSuccess;
    if (existing) {
        if (*existing == password || !updateExisting) {
            setError(error, std::nullopt);
            return true;
        }
        status = keychain.update(plat::KeychainQuery {serviceName, username, serviceName}, data);
    } else {
        status = keychain.add(plat::KeychainItemAttributes {serviceName, username, serviceName}, data);
    }
    if (status != plat::errSecSuccess) {
        setError(error, keychainError(status));
        return false;
    }
    setError(error, std::nullopt);
    return true;
}

bool QVKeychainUtils::deleteItemForUsername(
    const std::string& username, const std::string& serviceName, std::optional<plat::Error>* error)
{
    if (username.empty() || serviceName.empty()) {
        setError(error, keychainError(kQVKeychainMissingArgumentError));
        return false;
    }
    plat::OSStatus status = plat::Keychain::forCurrentSandbox().remove(itemQuery(username, serviceName));
    if (status != plat::errSecSuccess) {
        setError(error, keychainError(status));
        return false;
    }
    setError(error, std::nullopt);
    return true;
}

}  // namespace zt
