#pragma once
#include <cstdint>
#include <memory>

#include "render/MovieRenderer.h"

namespace zt {
class MovieRenderAdditionalRendering;
class RenderImageProducer;

// Writes the movie's pictures as an endlessly looping animated GIF of at
// most 50 pictures of 640 x 360, spread evenly over the movie, each shown
// for one frame of the project's rate; no sound. Runs on the render queue.
class AnimatedGifRenderer : public MovieRenderer {
public:
    explicit AnimatedGifRenderer(std::shared_ptr<ProjectModel> project);
    ~AnimatedGifRenderer() override;

    void renderMovie() override;
    uint64_t getEstimatedFileSizeAfterExportforType(const MovieExportType& type) override;
    bool getNeedsAudioMixing() const override;
    std::optional<std::string> getSupportedUTI() const override;
    std::vector<std::shared_ptr<MovieExportType>> getSupportedExportTypes() override;

    static constexpr const char* kErrorDomain = "AnimatedGifRenderer";
    static constexpr int64_t kNoFramesErrorCode = 38;
    // The GIF could not be written, or held no picture.
    static constexpr int64_t kWriteErrorCode = 39;
    static constexpr int64_t kMaxPictures = 50;

private:
    int64_t _totalFrames = 0;
    std::shared_ptr<RenderImageProducer> _imageProducer;
    std::shared_ptr<MovieRenderAdditionalRendering> _additionalRendering;  // never set
};

namespace detail {

// KiB for a GIF of a project with entryCount frame-list entries at fps.
uint64_t estimatedGifFileSize(int64_t entryCount, int64_t fps);

}  // namespace detail

}  // namespace zt
