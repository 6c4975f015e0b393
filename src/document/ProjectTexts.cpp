#include "document/ProjectTexts.h"

#include "document/FailureReason.h"
#include "document/FilledText.h"
#include "document/ProjectDataWrapper.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Text.h"

namespace zt {

std::string shownNameOf(ProjectDataWrapper& project)
{
    auto metadata = project.getMetaData();
    auto name = metadata ? metadata->getString("RecordName") : std::nullopt;
    return name ? *name : plat::localized("My Plovix Movie");
}

std::string nameInMessage(ProjectDataWrapper& project)
{
    return plat::escapedForMessage(shownNameOf(project));
}

std::optional<std::string> unreadableFrameListText(ProjectDataWrapper& project)
{
    auto error = project.frameListReadError();
    if (!error)
        return std::nullopt;
    return filledText(
        plat::localized("The frame list of “%@” cannot be read: %@"), {nameInMessage(project), failureReason(*error)});
}

}  // namespace zt
