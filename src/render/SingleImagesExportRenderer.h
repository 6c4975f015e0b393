#pragma once
#include <cstdint>
#include <memory>

#include "render/MovieRenderer.h"

namespace zt {
class MovieRenderAdditionalRendering;
class RenderImageProducer;

// Writes every movie frame as a JPEG (quality 1.0, the stored size, with the
// effect, foreground, fade and mask) named "frame-%.5d.jpg" by its render
// index into a folder with the extension "export". Runs on the render queue.
class SingleImagesExportRenderer : public MovieRenderer {
public:
    explicit SingleImagesExportRenderer(std::shared_ptr<ProjectModel> project);
    ~SingleImagesExportRenderer() override;

    void renderMovie() override;
    uint64_t getEstimatedFileSizeAfterExportforType(const MovieExportType& type) override;
    std::optional<std::string> getSupportedUTI() const override;
    std::vector<std::shared_ptr<MovieExportType>> getSupportedExportTypes() override;

    static constexpr const char* kUTI = "com.quorvane.plovix.all-images";
    static constexpr const char* kErrorDomain = "SingleImagesExportRenderer";
    static constexpr int64_t kNoFramesErrorCode = 38;
    // A picture could not be written, or there was none to write.
    static constexpr int64_t kWriteErrorCode = 39;

private:
    std::shared_ptr<RenderImageProducer> _imageProducer;
    std::shared_ptr<MovieRenderAdditionalRendering> _additionalRendering;  // never set
};

}  // namespace zt
