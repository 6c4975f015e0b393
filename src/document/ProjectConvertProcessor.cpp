#include "document/ProjectConvertProcessor.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"

namespace zt {

namespace {

std::optional<double> productVersionAtPath(const std::string& projectPath)
{
    auto metadata = plat::dictionaryWithContentsOfFile(plat::appendingPathComponent(projectPath, "plovix.meta"));
    return metadata ? metadata->getDouble("ProductVersion") : std::nullopt;
}

bool isProjectFolder(const std::string& projectPath)
{
    if (!plat::isDirectory(projectPath)) {
        plat::log("project upgrade: {} is not a folder", projectPath);
        return false;
    }
    return true;
}

}  // namespace

void ProjectConvertProcessor::convertProjectAtPath(const std::string& projectPath, std::function<void()> completion)
{
    _status = Idle;
    plat::DispatchQueue::globalQueue().async([projectPath, completion = std::move(completion)] {
        auto version = productVersionAtPath(projectPath);
        if (!version) {
            plat::log("project upgrade: no readable format version in {}", projectPath);
        } else {
            bool fit = true;
            if (*version < 3.0)
                fit = convertProjectTo_3_0_AtPath(projectPath);
            if (fit && *version <= 3.0 && !convertProjectTo_4_0_AtPath(projectPath))
                plat::log("project upgrade: {} could not be brought to format 4.0", projectPath);
        }
        if (completion)
            completion();
    });
    _status = Queued;
}

bool ProjectConvertProcessor::convertProjectTo_3_0_AtPath(const std::string& projectPath)
{
    return isProjectFolder(projectPath);
}

bool ProjectConvertProcessor::convertProjectTo_4_0_AtPath(const std::string& projectPath)
{
    return isProjectFolder(projectPath);
}

}  // namespace zt
