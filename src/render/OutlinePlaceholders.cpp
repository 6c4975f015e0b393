#include "render/OutlinePlaceholders.h"

#include "document/ProjectDataWrapper.h"
#include "platform/foundation/Bundle.h"

namespace zt {

std::vector<OutlinePlaceholder> outlinePlaceholders()
{
    const std::string me = plat::localized("Me");
    return {
        {"META_RECORD_OUTLINE_MOVIE_NAME", "My First Movie"},
        {"META_RECORD_OUTLINE_STAR", "Pip Wobble & Captain Crumb"},
        {"META_RECORD_OUTLINE_STUDIO", plat::localized("Acme Studios")},
        {"META_RECORD_OUTLINE_DIRECTED_BY", me},
        {"META_RECORD_OUTLINE_PRODUCED_BY", me},
        {"META_RECORD_OUTLINE_WRITTEN_BY", me},
        {"META_RECORD_OUTLINE_EDITED_BY", me},
        {"META_RECORD_OUTLINE_MUSIC_BY", "iTunes"},
    };
}

plat::Dictionary getPlaceholderOutline(ProjectDataWrapper& project)
{
    plat::Dictionary outline;
    for (const OutlinePlaceholder& field : outlinePlaceholders())
        outline.set(field.key, field.placeholder);
    std::optional<std::string> title;
    if (auto metadata = project.getMetaData())
        title = metadata->getString("RecordName");
    outline.set("META_RECORD_OUTLINE_MOVIE_NAME", title ? *title : plat::localized("My Plovix Movie"));
    return outline;
}

}  // namespace zt
