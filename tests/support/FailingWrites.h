#pragma once
#include <string>

#include "platform/foundation/Files.h"

namespace plat::test {

// Makes every atomic write whose path contains `pathPart` fail at `point`
// while in scope.
class FailingWrites {
public:
    FailingWrites(std::string pathPart, detail::WriteFailurePoint point)
    {
        detail::setWriteFaultInjector([pathPart = std::move(pathPart), point](const std::string& path) {
            return path.find(pathPart) != std::string::npos ? point : detail::WriteFailurePoint::None;
        });
    }
    ~FailingWrites() { detail::setWriteFaultInjector({}); }
    FailingWrites(const FailingWrites&) = delete;
    FailingWrites& operator=(const FailingWrites&) = delete;
};

}  // namespace plat::test
