#include "share/ShareServices.h"

#include "share/DuplicateProjectActivity.h"

namespace zt {

std::vector<std::shared_ptr<plat::Activity>> ShareServices::getAvailableShareServices() const
{
    return {std::make_shared<DuplicateProjectActivity>()};
}

}  // namespace zt
