#include "share/DuplicateProjectActivity.h"

#include <memory>

#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "share/ShareNotifications.h"
#include "share/ShareServices.h"

namespace zt {

std::string DuplicateProjectActivity::activityType() const
{
    return UIActivityTypeShareToDuplicate;
}

std::string DuplicateProjectActivity::activityTitle() const
{
    return plat::localized("Duplicate");
}

std::shared_ptr<const plat::Image> DuplicateProjectActivity::activityImage() const
{
    return plat::Image::imageNamed("share_icon_duplicate");
}

bool DuplicateProjectActivity::canPerformWithActivityItems(const std::vector<std::any>& items)
{
    for (const std::any& item : items) {
        if (const auto* project = std::any_cast<std::shared_ptr<ProjectModel>>(&item))
            if (*project && (*project)->getProjectPath())
                return true;
    }
    return false;
}

void DuplicateProjectActivity::performActivity()
{
    plat::NotificationCenter::defaultCenter().post(DoDuplicateProjectNotification, this);
    activityDidFinish(/*completed=*/true);
}

}  // namespace zt
