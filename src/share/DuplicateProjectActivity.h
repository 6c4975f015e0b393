#pragma once
#include <any>
#include <string>
#include <vector>

#include "platform/ui/Activity.h"

namespace zt {

// The duplicate share target: performing it posts
// DoDuplicateProjectNotification, on which the project explorer copies its
// selected project (the one being shared). Main thread.
class DuplicateProjectActivity : public plat::Activity {
public:
    std::string activityType() const override;
    std::string activityTitle() const override;
    std::shared_ptr<const plat::Image> activityImage() const override;
    plat::ActivityCategory activityCategory() const override { return plat::ActivityCategory::Action; }
    // Any project that has a folder can be copied.
    bool canPerformWithActivityItems(const std::vector<std::any>& items) override;
    void performActivity() override;
};

}  // namespace zt
