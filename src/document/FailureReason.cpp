#include "document/FailureReason.h"

#include <memory>
#include <system_error>
#include <utility>

#include "platform/foundation/Error.h"

namespace zt {

std::string failureReason(const plat::Error& error)
{
    // An error that wraps another tells what did not happen; the innermost one tells why.
    const plat::Error* cause = &error;
    while (cause->underlyingError())
        cause = cause->underlyingError().get();
    std::string reason = cause->domain() == plat::kPOSIXErrorDomain && cause->code() > 0
        ? std::error_code(static_cast<int>(cause->code()), std::generic_category()).message()
        : cause->localizedDescription();
    // Library texts come as fragments ("failed to open zip file"): a sentence reads better in a message.
    if (!reason.empty() && reason.front() >= 'a' && reason.front() <= 'z')
        reason.front() = static_cast<char>(reason.front() - 'a' + 'A');
    if (!reason.empty() && reason.back() != '.' && reason.back() != '!' && reason.back() != '?')
        reason += '.';
    return reason;
}

plat::Error errorWithCause(std::string domain, int64_t code, std::string text, const std::optional<plat::Error>& cause)
{
    return plat::Error(
        std::move(domain), code, std::move(text), {}, cause ? std::make_shared<const plat::Error>(*cause) : nullptr);
}

}  // namespace zt
