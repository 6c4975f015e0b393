#include "platform/foundation/Error.h"

#include <system_error>

namespace plat {

Error::Error(std::string domain, int64_t code, std::string localizedDescription, Dictionary userInfo,
    std::shared_ptr<const Error> underlyingError)
    : _domain(std::move(domain))
    , _code(code)
    , _localizedDescription(std::move(localizedDescription))
    , _userInfo(std::move(userInfo))
    , _underlyingError(std::move(underlyingError))
{
}

std::string Error::description() const
{
    return _domain + " (" + std::to_string(_code) + "): " + _localizedDescription;
}

bool Error::isPOSIXError(int errnoValue) const
{
    return _domain == kPOSIXErrorDomain && _code == errnoValue;
}

Error Error::posix(int errnoValue, const std::string& operation, const std::string& path)
{
    std::string text = operation;
    if (!path.empty())
        text += " " + path;
    text += ": ";
    text += std::error_code(errnoValue, std::generic_category()).message();
    Dictionary userInfo;
    if (!path.empty())
        userInfo.set(kFilePathErrorKey, path);
    return Error(kPOSIXErrorDomain, errnoValue, std::move(text), std::move(userInfo));
}

}  // namespace plat
