#include "render/AnimatedGifRenderer.h"

#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/UniformTypeIdentifiers.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageDestination.h"
#include "render/MovieRenderAdditionalRendering.h"
#include "render/RenderImageProducer.h"

namespace zt {

namespace {

constexpr plat::Size kGifSize {640, 360};
constexpr float kGifKibPerSecond = 1750;
constexpr float kGifBaseKib = 212;
constexpr int64_t kLoopForEver = 0;

}  // namespace

namespace detail {

uint64_t estimatedGifFileSize(int64_t entryCount, int64_t fps)
{
    if (fps < 1)
        return kUnknownEstimatedFileSize;
    float kib = static_cast<float>(entryCount - 1) / static_cast<float>(fps) * kGifKibPerSecond + kGifBaseKib;
    return kib > 0 ? static_cast<uint64_t>(kib) : 0;
}

}  // namespace detail

AnimatedGifRenderer::AnimatedGifRenderer(std::shared_ptr<ProjectModel> project)
    : MovieRenderer(std::move(project))
{
}

AnimatedGifRenderer::~AnimatedGifRenderer() = default;

bool AnimatedGifRenderer::getNeedsAudioMixing() const
{
    return false;
}

std::optional<std::string> AnimatedGifRenderer::getSupportedUTI() const
{
    return std::string(plat::kUTTypeGIF);
}

std::vector<std::shared_ptr<MovieExportType>> AnimatedGifRenderer::getSupportedExportTypes()
{
    return {std::make_shared<MovieExportType>(
        plat::localized("Animated GIF"), std::nullopt, kGifSize, plat::kUTTypeGIF, "gif")};
}

uint64_t AnimatedGifRenderer::getEstimatedFileSizeAfterExportforType(const MovieExportType& type)
{
    (void)type;  // every GIF is 640 x 360
    auto source = projectForReading();
    return detail::estimatedGifFileSize(source->getFrameList().count(), source->recordFPS());
}

void AnimatedGifRenderer::renderMovie()
{
    if (!_imageProducer)
        _imageProducer = std::make_shared<RenderImageProducer>(renderProject());
    int64_t frames = _imageProducer->getNumberOfFramesForRendering();
    if (frames < 1) {
        fail(noFramesError(kErrorDomain, kNoFramesErrorCode));
        return;
    }
    // Beyond 50 pictures, every stride-th movie frame (in single precision, as stored) is taken.
    float stride = 1.0f;
    _totalFrames = frames;
    if (frames > kMaxPictures) {
        stride = static_cast<float>(frames) / static_cast<float>(kMaxPictures);
        _totalFrames = kMaxPictures;
    }
    setStatusUnlessCancelled(MovieRendererStatusRendering);
    auto type = exportType();
    plat::URL url = getExportURLForExportType(type ? *type : *getSupportedExportTypes().front());
    setExportURL(url);
    int64_t fps = renderProject()->recordFPS();
    auto destination
        = plat::ImageDestination::createWithURL(url, plat::kUTTypeGIF, static_cast<size_t>(_totalFrames), std::nullopt);
    if (!destination) {
        fail(plat::Error(kErrorDomain, kWriteErrorCode, "Error writing animated GIF."));
        return;
    }
    float delaySeconds = (100.0f / static_cast<float>(fps)) / 100.0f;
    plat::Dictionary pictureProperties {
        {plat::kImagePropertyGIFDictionary, plat::Dictionary {{plat::kImagePropertyGIFDelayTime, delaySeconds}}}};
    plat::Dictionary fileProperties {
        {plat::kImagePropertyGIFDictionary, plat::Dictionary {{plat::kImagePropertyGIFLoopCount, kLoopForEver}}}};
    int64_t added = 0;
    for (int64_t k = 0; k < _totalFrames; ++k) {
        auto index = static_cast<int64_t>(stride * static_cast<float>(k));
        if (auto picture = _imageProducer->getImageForRenderingAtIndex(index, kGifSize)) {
            destination->addImage(std::move(picture), pictureProperties);
            ++added;
        } else {
            noteUnreadableFrame(index);
        }
        setProgress(static_cast<float>(k) / static_cast<float>(_totalFrames));
        if (status() == MovieRendererStatusCancelled)
            break;
    }
    // A cancelled export writes nothing: the last GIF stays as it was.
    if (status() == MovieRendererStatusCancelled)
        return;
    if (added == 0) {
        fail(plat::Error(kErrorDomain, kWriteErrorCode, "Error writing animated GIF."));
        return;
    }
    destination->setProperties(fileProperties);
    // The GIF is written aside and replaces the last one only when whole.
    if (!destination->finalize()) {
        fail(writeError(kErrorDomain, kWriteErrorCode, "Error writing animated GIF.", destination->error()));
        return;
    }
    setStatusUnlessCancelled(MovieRendererStatusCompleted);
}

}  // namespace zt
