#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/Value.h"

namespace plat {

// A failure as the platform reports it: a domain (as a rule the reporting
// class's name), an integer code, a text for the user and free details.
// Any thread (immutable once made).
class Error {
public:
    Error(std::string domain, int64_t code, std::string localizedDescription, Dictionary userInfo = {},
        std::shared_ptr<const Error> underlyingError = nullptr);

    const std::string& domain() const { return _domain; }
    int64_t code() const { return _code; }
    const std::string& localizedDescription() const { return _localizedDescription; }
    const Dictionary& userInfo() const { return _userInfo; }
    // The error this one wraps (the platform's underlying-error entry), or nullptr.
    const std::shared_ptr<const Error>& underlyingError() const { return _underlyingError; }

    // "domain (code): description", for logs.
    std::string description() const;

    // An error of the POSIX domain from an errno value, naming the operation and path.
    static Error posix(int errnoValue, const std::string& operation, const std::string& path = {});
    // Whether this is that errno value's error of the POSIX domain.
    bool isPOSIXError(int errnoValue) const;

private:
    std::string _domain;
    int64_t _code;
    std::string _localizedDescription;
    Dictionary _userInfo;
    std::shared_ptr<const Error> _underlyingError;
};

inline constexpr const char* kPOSIXErrorDomain = "NSPOSIXErrorDomain";
inline constexpr const char* kCocoaErrorDomain = "NSCocoaErrorDomain";
inline constexpr const char* kFilePathErrorKey = "NSFilePath";
// The user-info key of a failure's reason, as the platform names it.
inline constexpr const char* kLocalizedFailureReasonErrorKey = "NSLocalizedFailureReason";

}  // namespace plat
