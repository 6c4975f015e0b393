#include "document/FailureReason.h"

#include <system_error>

#include "platform/foundation/Error.h"

namespace zt {

std::string failureReason(const plat::Error& error)
{
    std::string reason = error.domain() == plat::kPOSIXErrorDomain && error.code() > 0
        ? std::error_code(static_cast<int>(error.code()), std::generic_category()).message()
        : error.localizedDescription();
    // Library texts come as fragments ("failed to open zip file"): a sentence reads better in a message.
    if (!reason.empty() && reason.front() >= 'a' && reason.front() <= 'z')
        reason.front() = static_cast<char>(reason.front() - 'a' + 'A');
    if (!reason.empty() && reason.back() != '.' && reason.back() != '!' && reason.back() != '?')
        reason += '.';
    return reason;
}

}  // namespace zt
