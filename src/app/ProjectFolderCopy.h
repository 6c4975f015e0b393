#pragma once
#include <string>

#include "platform/foundation/Result.h"

namespace zt {

// Copies a project folder's contents into a new project folder in
// Documents and gives the new folder's name. The copy is built aside under
// a hidden temporary name and moved into place whole: a failure leaves
// nothing, and a run killed on the way leaves only the temporary, which the
// next start removes. Once in place it is a ProjectArrival: the caller lists
// it and then calls ProjectArrival::finishArrival. Any thread.
plat::Result<std::string> copyProjectFolder(const std::string& source);

}  // namespace zt
