#include "document/FailureReason.h"

#include <memory>
#include <system_error>
#include <utility>

#include "document/FilledText.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Error.h"

namespace zt {

namespace {

// An error that wraps another tells what did not happen; the innermost one tells why.
const plat::Error& innermostCause(const plat::Error& error)
{
    const plat::Error* cause = &error;
    while (cause->underlyingError())
        cause = cause->underlyingError().get();
    return *cause;
}

}  // namespace

std::string failureReason(const plat::Error& error)
{
    const plat::Error* cause = &innermostCause(error);
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

std::string unreadableFileReason(const plat::Error& error)
{
    const plat::Error& cause = innermostCause(error);
    if (cause.domain() != plat::kPOSIXErrorDomain || cause.code() <= 0)
        return plat::localized("the file is damaged.");
    // Mid-sentence: "Permission denied" reads as "permission denied"; "I/O error" stays as it is.
    std::string why = std::error_code(static_cast<int>(cause.code()), std::generic_category()).message();
    if (why.size() > 1 && why[0] >= 'A' && why[0] <= 'Z' && why[1] >= 'a' && why[1] <= 'z')
        why[0] = static_cast<char>(why[0] - 'A' + 'a');
    return filledText(plat::localized("the file cannot be opened (%@)."), {why});
}

plat::Error errorWithCause(std::string domain, int64_t code, std::string text, const std::optional<plat::Error>& cause)
{
    return plat::Error(
        std::move(domain), code, std::move(text), {}, cause ? std::make_shared<const plat::Error>(*cause) : nullptr);
}

}  // namespace zt
