#pragma once
#include <string>

namespace plat {
class Error;
}

namespace zt {

// Why something failed, in words for the person using the app: the
// system's own text for a file-system error ("Read-only file system", "No
// space left on device"), without the paths and operations that the log
// keeps; else the error's description. Any thread.
std::string failureReason(const plat::Error& error);

}  // namespace zt
