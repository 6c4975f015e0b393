#include "app/ProjectFolderCopy.h"

#include <optional>

#include "document/FileUtil.h"
#include "document/ProjectArrival.h"
#include "document/ProjectDataWrapper.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"

namespace zt {

plat::Result<std::string> copyProjectFolder(const std::string& source)
{
    auto fail = [&](const plat::Error& error) -> plat::Result<std::string> {
        plat::log("explorer: cannot copy {}: {}", source, error.localizedDescription());
        return error;
    };
    auto entries = plat::contentsOfDirectory(source);
    if (!entries.ok())
        return fail(entries.error());
    const std::string documents = plat::Sandbox::current()->documentsDirectory();
    auto aside
        = plat::createTemporaryFolderBeside(plat::appendingPathComponent(documents, plat::lastPathComponent(source)));
    if (!aside.ok())
        return fail(aside.error());
    const std::string& building = aside.value();
    auto giveUp = [&](const plat::Error& error) {
        std::optional<plat::Error> removeError;
        if (!FileUtil::removeFolderAtPath(building, &removeError))
            plat::log("explorer: cannot remove {}: {}", building, removeError->localizedDescription());
        return fail(error);
    };
    for (const std::string& entry : entries.value()) {
        auto copied = plat::copyItem(plat::appendingPathComponent(source, entry),
            plat::appendingPathComponent(building, entry), plat::ReplaceExisting::No);
        if (!copied.ok())
            return giveUp(copied.error());
    }
    // Named only now, so that a copy in the same second as another project gets a name of its own.
    auto placed = ProjectArrival::placeProjectDir(building, ProjectDataWrapper::createProjectDirName);
    if (!placed.ok())
        return giveUp(placed.error());
    return placed.value();
}

}  // namespace zt
