#pragma once
#include <cstdlib>
#include <string_view>

#include "platform/foundation/Log.h"

namespace plat::detail {

// A programmer error (wrong queue, deadlocking call, unbalanced calls): log
// the reason and abort. Never used for outside input.
template <typename... Args> [[noreturn]] void fatal(std::string_view format, const Args&... args)
{
    writeLogLine("fatal: " + formatLine(format, args...));
    std::abort();
}

}  // namespace plat::detail
