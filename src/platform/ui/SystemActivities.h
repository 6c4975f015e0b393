#pragma once
#include <memory>
#include <vector>

#include "platform/ui/Activity.h"

namespace plat::detail {

// The activities the system offers itself, where this system can do them:
// copying text, URLs and pictures to the general pasteboard, and saving
// pictures to the photo library's saved photos. (Posting to services, mail
// and messages have no counterpart here and are never offered.)
std::vector<std::shared_ptr<Activity>> makeSystemActivities();

}  // namespace plat::detail
