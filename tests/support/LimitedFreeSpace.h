#pragma once
#include <cstdint>
#include <optional>

#include "platform/foundation/Files.h"

namespace plat::test {

// Makes the device report this many free bytes while in scope.
class LimitedFreeSpace {
public:
    explicit LimitedFreeSpace(uint64_t bytes) { detail::setFreeSpaceOverride(bytes); }
    ~LimitedFreeSpace() { detail::setFreeSpaceOverride(std::nullopt); }
    LimitedFreeSpace(const LimitedFreeSpace&) = delete;
    LimitedFreeSpace& operator=(const LimitedFreeSpace&) = delete;
};

}  // namespace plat::test
