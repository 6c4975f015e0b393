#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/foundation/Error.h"

namespace zt {

// Why something failed, in words for the person using the app: the
// system's own text for a file-system error ("Read-only file system", "No
// space left on device"), without the paths and operations that the log
// keeps; else the error's description. Of an error that wraps another,
// the innermost one's. Any thread.
std::string failureReason(const plat::Error& error);

// Why a stored file could not be read, in words for the person and without
// its path: "the file cannot be opened (permission denied)." when the system
// refused it, else "the file is damaged." (its contents are not what they
// should be). Any thread.
std::string unreadableFileReason(const plat::Error& error);

// An error that tells what did not happen (text) and wraps why (cause, when
// known) as its underlying error.
plat::Error errorWithCause(std::string domain, int64_t code, std::string text, const std::optional<plat::Error>& cause);

}  // namespace zt
