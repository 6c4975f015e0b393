#include "render/ProjectExportRenderer.h"

#include "document/ProjectModel.h"
#include "document/QVZipArchive.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

namespace zt {

namespace {

constexpr uint64_t kBaseKib = 212;
constexpr uint64_t kKibPerEntry = 1250;
constexpr float kListedProgress = 0.2f;
constexpr float kCollectedProgress = 0.3f;

}  // namespace

ProjectExportRenderer::ProjectExportRenderer(std::shared_ptr<ProjectModel> project)
    : MovieRenderer(std::move(project))
{
}

bool ProjectExportRenderer::getNeedsAudioMixing() const
{
    return false;
}

std::optional<std::string> ProjectExportRenderer::getSupportedUTI() const
{
    return std::string(kUTI);
}

std::vector<std::shared_ptr<MovieExportType>> ProjectExportRenderer::getSupportedExportTypes()
{
    return {std::make_shared<MovieExportType>(
        plat::localized("Export Project"), std::nullopt, plat::Size {0, 0}, kUTI, "zantropemobile")};
}

uint64_t ProjectExportRenderer::getEstimatedFileSizeAfterExportforType(const MovieExportType& type)
{
    (void)type;
    int64_t count = projectForReading()->getFrameList().count();
    return kBaseKib + static_cast<uint64_t>(std::max<int64_t>(count, 0)) * kKibPerEntry;
}

void ProjectExportRenderer::renderMovie()
{
    setStatusUnlessCancelled(MovieRendererStatusRendering);
    auto type = exportType();
    plat::URL url = getExportURLForExportType(type ? *type : *getSupportedExportTypes().front());
    setExportURL(url);
    const std::string archivePath = url.path();
    auto archivingError = [](const std::optional<plat::Error>& reason) {
        return writeError(kErrorDomain, kArchivingErrorCode, "Error archiving files.", reason);
    };

    const auto& projectPath = renderProject()->getProjectPath();
    auto names = projectPath
        ? plat::contentsOfDirectory(*projectPath)
        : plat::Result<std::vector<std::string>>(plat::Error::posix(ENOENT, "list a project without a folder"));
    if (!names.ok()) {
        // An archive of nothing would pass for a project: it fails instead.
        plat::log("project export: {}", names.error().localizedDescription());
        fail(archivingError(std::nullopt));
        return;
    }
    setProgress(kListedProgress);
    std::vector<std::string> files;
    for (const std::string& name : names.value()) {
        std::string path = plat::appendingPathComponent(*projectPath, name);
        // The archive is flat: a folder inside the project has no place in it.
        if (!plat::isDirectory(path))
            files.push_back(std::move(path));
    }
    setProgress(kCollectedProgress);
    // Zipped beside the last archive, which it replaces only when whole.
    const std::string building = plat::temporaryPathBeside(archivePath);
    std::optional<plat::Error> error;
    if (!QVZipArchive::createZipFileAtPath(building, files, &error)) {
        // Any file that could not be added fails the whole archive, which is removed.
        plat::log("project export: {}", error ? error->localizedDescription() : std::string("cannot archive"));
        fail(archivingError(error));
        return;
    }
    setProgress(1.0f);
    if (status() == MovieRendererStatusCancelled) {
        if (auto removed = plat::removeItemIfExists(building); !removed.ok())
            plat::log("project export: {}", removed.error().localizedDescription());
        return;
    }
    if (auto replaced = plat::replaceItemWithItemBuiltAside(building, archivePath); !replaced.ok()) {
        plat::log("project export: {}", replaced.error().localizedDescription());
        fail(archivingError(replaced.error()));
        return;
    }
    setStatus(MovieRendererStatusCompleted);
}

}  // namespace zt
