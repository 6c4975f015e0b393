#pragma once
#include <memory>

#include "render/MovieRenderer.h"

namespace zt {

// Writes the project archive: a flat zip of the files directly in the
// project folder, with the extension "zantropemobile", which another copy of
// the app imports. Runs on the render queue.
class ProjectExportRenderer : public MovieRenderer {
public:
    explicit ProjectExportRenderer(std::shared_ptr<ProjectModel> project);

    void renderMovie() override;
    uint64_t getEstimatedFileSizeAfterExportforType(const MovieExportType& type) override;
    bool getNeedsAudioMixing() const override;
    std::optional<std::string> getSupportedUTI() const override;
    std::vector<std::shared_ptr<MovieExportType>> getSupportedExportTypes() override;

    static constexpr const char* kUTI = "com.quorvane.plovix.archive";
    static constexpr const char* kErrorDomain = "ProjectExportZipRenderer";
    static constexpr int64_t kArchivingErrorCode = 45;
};

}  // namespace zt
