#pragma once
#include <mutex>
#include <utility>

namespace plat {

// The platform's dispatch_once: block runs exactly once per flag, and every
// caller returns only after it has run. A flag is normally a function-local
// or namespace-scope static. Any thread.
using OnceFlag = std::once_flag;

template <typename Block> void dispatchOnce(OnceFlag& flag, Block&& block)
{
    std::call_once(flag, std::forward<Block>(block));
}

}  // namespace plat
