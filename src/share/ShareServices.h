#pragma once
#include <memory>
#include <vector>

namespace plat {
class Activity;
}

namespace zt {

// The share targets of the app, offered as activities beside the platform's
// share sheet. The share sheet's item is the project (a
// std::shared_ptr<ProjectModel>). Main thread.
class ShareServices {
public:
    ShareServices() = default;
    std::vector<std::shared_ptr<plat::Activity>> getAvailableShareServices() const;
};

inline constexpr const char* UIActivityTypeShareToDuplicate = "UIActivityTypeShareToDuplicate";

}  // namespace zt
