#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/foundation/Value.h"

namespace plat {

// Status codes of keychain calls, with the platform's values.
using OSStatus = int32_t;
inline constexpr OSStatus errSecSuccess = 0;
inline constexpr OSStatus errSecParam = -50;
inline constexpr OSStatus errSecIO = -36;
inline constexpr OSStatus errSecDuplicateItem = -25299;
inline constexpr OSStatus errSecItemNotFound = -25300;

// The attributes of a generic-password item.
struct KeychainItemAttributes {
    std::string service;
    std::string account;
    std::string label;
};

// Which items a call applies to: every attribute given must match.
struct KeychainQuery {
    std::optional<std::string> service;
    std::optional<std::string> account;
    std::optional<std::string> label;
};

// Generic-password items kept in a file of the device sandbox that only its
// owner can read (Library/Keychains). The file is read and written whole on
// every call under a process-wide lock. A damaged file is set aside, not
// overwritten, the first time something is written; a file that cannot be
// read for now makes calls fail with errSecIO. Any thread.
class Keychain {
public:
    explicit Keychain(std::string storePath);
    // The keychain of the current sandbox.
    static Keychain forCurrentSandbox();

    // The first matching item's attributes, or its data.
    OSStatus copyAttributes(const KeychainQuery& query, KeychainItemAttributes* attributes) const;
    OSStatus copyData(const KeychainQuery& query, Data* data) const;
    // A second item with the same service and account is errSecDuplicateItem.
    OSStatus add(const KeychainItemAttributes& attributes, const Data& data);
    // Replaces the data of every matching item; none matching is errSecItemNotFound.
    OSStatus update(const KeychainQuery& query, const Data& data);
    // Removes every matching item; none matching is errSecItemNotFound.
    OSStatus remove(const KeychainQuery& query);

    const std::string& storePath() const { return _storePath; }

private:
    std::string _storePath;
};

}  // namespace plat
