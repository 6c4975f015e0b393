#pragma once
#include <string>

namespace plat {
class Error;
}

namespace zt {

// The platform alert with a title, a message and an "OK" button that only
// closes it. Main thread.
void showAlert(const std::string& title, const std::string& message);
// Tells the person that something they asked for did not happen, and why:
// titled with what failed, the reason as the message.
void showFailureAlert(const std::string& whatFailed, const plat::Error& error);

}  // namespace zt
